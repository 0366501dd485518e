#include "orvex/empaquetado.hpp"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "orvex/catalogo.hpp"
#include "platform/errors.hpp"
#include "platform/files.hpp"
#include "platform/lines.hpp"
#include "platform/paths.hpp"
#include "platform/process.hpp"
#include "platform/text.hpp"

namespace orvex {

namespace fs = std::filesystem;

namespace {

constexpr int kIntentos = 100;
constexpr auto kPausa = std::chrono::milliseconds(20);

// The install folder's path as text, without a trailing separator.
std::string texto_carpeta(const fs::path& carpeta) {
    std::string s = carpeta.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

bool dos_digitos(std::string_view s) {
    return s.size() == 2 && s[0] >= '0' && s[0] <= '9' && s[1] >= '0' && s[1] <= '9';
}

void mensaje_error(const Entorno& entorno, const std::string& texto) {
    entorno.port.message(texto, std::string(kTituloGeneracion), platform::Buttons::ok,
                         platform::Icon::critical);
}

FinZip i18(const Entorno& entorno, const platform::RuntimeError& e) {
    mensaje_error(entorno, "I18: No se ha podido crear archivo ZIP\r" + std::to_string(e.number) +
                               ":" + e.description);
    return FinZip::fallo;
}

FinZip i19(const Entorno& entorno) {
    mensaje_error(entorno, "I19: No se ha podido crear archivo ZIP");
    return FinZip::no_aparece;
}

}  // namespace

bool Es_Nombre_Seguro(std::string_view texto) {
    if (texto.empty() || texto.find("..") != std::string_view::npos) return false;
    for (unsigned char c : texto) {
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == '*' || c == '?') return false;
    }
    return true;
}

bool Es_Rut_Nombrable(std::string_view rut) {
    if (rut.empty()) return false;
    for (char c : rut)
        if (c < '0' || c > '9') return false;
    return true;
}

RutasZip Rutas_Zip(const fs::path& install, std::string_view rut_Decla, std::string_view fldc_tipo,
                   std::string_view periodo) {
    const fs::path raiz = platform::drive_root(install);
    const std::string mes =
        listas::mensual(fldc_tipo) ? std::string(platform::mid(periodo, 5, 2)) + "/" : "";
    const std::string rut(platform::trim(rut_Decla));

    RutasZip r;
    r.archivo = platform::join(raiz, "GEN_2018/ZIP/" + mes + rut + ".zip");
    r.fuente = platform::join(
        raiz, "GEN_2018/Respal/" + mes + rut + "." + std::string(platform::mid(fldc_tipo, 2, 3)));
    r.linea_historial =
        texto_carpeta(install) + "/7z a " + r.archivo.string() + " " + r.fuente.string();
    return r;
}

bool Borrar_Si_Existe(const fs::path& path) {
    const fs::path real = platform::resolve(path);
    std::error_code ec;
    const fs::file_status st = fs::status(real, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) return false;
    if (!fs::is_regular_file(st)) return true;  // nothing of that name, or not an ordinary file
    return fs::remove(real, ec) && !ec;
}

bool Esperar_Archivo(const fs::path& path, const platform::EventPump& pump) {
    for (int intento = 0; intento < kIntentos; ++intento) {
        if (platform::is_regular_file(path)) return true;
        if (pump) pump();
        std::this_thread::sleep_for(kPausa);
    }
    return false;
}

FinZip Crear_Archivo_ZIP(const Entorno& entorno, std::string_view rut_Decla,
                         std::string_view fldc_tipo, std::string_view periodo) {
    // Texts from the declaration become names, and names reach 7-Zip: refuse
    // any that could leave GEN_2018 or match other files.
    if (!Es_Rut_Nombrable(platform::trim(rut_Decla)) ||
        !Es_Nombre_Seguro(platform::mid(fldc_tipo, 2, 3)) ||
        (listas::mensual(fldc_tipo) && !dos_digitos(platform::mid(periodo, 5, 2)))) {
        return i18(entorno, platform::RuntimeError::from(platform::err::bad_file_name));
    }
    const RutasZip rutas = Rutas_Zip(entorno.install, rut_Decla, fldc_tipo, periodo);

    auto i17 = [&] {
        mensaje_error(entorno,
                      "I17: No se ha podido crear archivo ZIP, el archivo esta siendo ocupado por "
                      "el sistema");
        return FinZip::ocupado;
    };

    // 7-Zip writes a temporary archive beside the final one, which takes its
    // name only once whole: a run that fails or is ended leaves no half
    // archive under the name the user sends, and a link or FIFO planted there
    // is replaced, not followed. The earlier archive is replaced by the
    // rename, not deleted first, so the name never stands empty while another
    // program (or the user) looks for it; one that cannot be replaced is I17.
    // The paths are absolute, so the archive holds the upload file's bare name.
    static std::atomic<unsigned> serie{0};
    const fs::path temporal = rutas.archivo.parent_path() /
                              ("." + rutas.archivo.stem().string() + "." +
                               std::to_string(::getpid()) + "-" + std::to_string(serie++) + ".zip");
    std::error_code ec;
    fs::remove(temporal, ec);
    const std::vector<std::string> argv{
        fs::absolute(platform::join(entorno.install, "7z")).string(), "a",
        fs::absolute(temporal).string(), fs::absolute(rutas.fuente).string()};
    const platform::RunResult run = platform::Ejecutar_y_Esperar(argv, entorno.pump, /*pause=*/true,
                                                                 /*quiet=*/true, /*tied=*/true);
    // A failed run leaves no archive at all: neither a partial one (an empty
    // one when the upload file is missing) nor the earlier run's, which no
    // longer matches the upload file.
    auto sin_archivo = [&] {
        fs::remove(temporal, ec);
        Borrar_Si_Existe(rutas.archivo);
    };
    if (!run.started) {
        sin_archivo();
        // A missing program makes no archive; any other start failure is reported as such.
        if (run.error == ENOENT) return i19(entorno);
        return i18(entorno, platform::RuntimeError::from(platform::error_number(run.error)));
    }
    if (run.exit_code != 0 || !Esperar_Archivo(temporal, entorno.pump)) {
        sin_archivo();
        return i19(entorno);
    }
    if (!platform::replace_file(temporal, rutas.archivo, ec)) {
        fs::remove(temporal, ec);
        return i17();
    }

    platform::LineWriter historial;
    if (!historial.open(platform::join(entorno.install, "histzip.txt"),
                        platform::LineWriter::Mode::append)) {
        return i18(entorno, platform::RuntimeError::from(historial.error()));
    }
    historial.write_line(rutas.linea_historial);
    if (!historial.close()) return i18(entorno, platform::RuntimeError::from(historial.error()));

    entorno.port.message("Se ha Generado el archivo Internet para el Formulario " +
                             platform::cp1252_to_utf8(fldc_tipo) +
                             ", registrado en: " + rutas.archivo.string(),
                         "Generador de Archivo", platform::Buttons::ok, platform::Icon::none);
    return FinZip::creado;
}

}  // namespace orvex
