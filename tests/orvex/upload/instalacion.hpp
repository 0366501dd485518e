// A throw-away drive root with an install folder "Orvex18" below it, a
// scripted message port, and helpers for the state a clean review hands over.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "../../support/temp_folder.hpp"
#include "orvex/entorno.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "scripted_port.hpp"

namespace prueba {

namespace fs = std::filesystem;

inline const std::string kTitulo = "GENERACION ARCHIVO INTERNET";

class Instalacion {
  public:
    // `carpeta` is the install folder's path below the temporary root.
    explicit Instalacion(std::string_view carpeta = "Orvex18")
        : install_(tmp_.path() / carpeta), raiz_(install_.parent_path()) {
        fs::create_directories(install_);
    }

    const fs::path& install() const { return install_; }
    const fs::path& raiz() const { return raiz_; }
    fs::path gen() const { return raiz_ / "GEN_2018"; }
    testsupport::ScriptedPort port;
    orvex::Entorno entorno() {
        return orvex::Entorno{.install = install_,
                              .port = port,
                              .pump = {},
                              .progreso = {},
                              .archivo_abierto = {},
                              .estado = {}};
    }

    // Puts the real 7-Zip program into the install folder as "7z". False when
    // the machine has none.
    bool con_7z() {
        const fs::path real = platform::find_program("7zz");
        if (real.empty()) return false;
        fs::create_symlink(real, install_ / "7z");
        return true;
    }

    fs::path escribir(std::string_view rel, std::string_view bytes) const {
        return tmp_.write(rel, bytes);
    }

    std::vector<testsupport::ScriptedPort::Call> mensajes() const { return port.messages(); }

  private:
    testsupport::TempFolder tmp_;
    fs::path install_;
    fs::path raiz_;
};

// The files an archive holds, extracted by the real 7-Zip into `carpeta`.
inline bool extraer(const fs::path& archivo, const fs::path& carpeta) {
    const fs::path real = platform::find_program("7zz");
    fs::create_directories(carpeta);
    const auto r = platform::Ejecutar_y_Esperar(
        {real.string(), "e", "-y", "-o" + carpeta.string(), archivo.string()}, {}, false, true);
    return r.started && r.exit_code == 0;
}

inline std::vector<std::string> nombres_en(const fs::path& carpeta) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(carpeta)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

// The folder of the stamp library built with the project; empty when unknown.
inline fs::path carpeta_biblioteca() {
    const char* dir = std::getenv("ORVEX_BIN_DIR");
    if (!dir || !fs::exists(fs::path(dir) / "libsigmar32.so")) return {};
    return dir;
}

}  // namespace prueba
