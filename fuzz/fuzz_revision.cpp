// The review on arbitrary declaration files against a fixed small layout
// (form 1831, whose value checks also run): nothing may crash or loop.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "orvex/revision.hpp"
#include "scripted_port.hpp"

namespace {

void escribir(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

const std::filesystem::path& instalacion() {
    static const std::filesystem::path p = [] {
        auto dir = std::filesystem::temp_directory_path() /
                   ("orvex-fuzz-revision-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "Sistema");
        std::filesystem::create_directories(dir / "registro");
        // Three-line declarant section, single-line informados, two-line summary.
        escribir(dir / "Sistema/FORMATOSDJ.TXT",
                 "1831 1 0040     M\r\n1831 2 0030     U\r\n1831 3 0020     M\r\n");
        std::string campos;
        auto campo = [&](int tipo, int n, int desde, int hasta) {
            char linea[64];
            std::snprintf(linea, sizeof linea, "1831 %d %02d%-20s%03d %03d N\r\n", tipo, n, "CAMPO",
                          desde, hasta);
            campos += linea;
        };
        for (int n = 1; n <= 10; ++n) campo(1, n, 3 + 3 * n, 5 + 3 * n);
        for (int n = 1; n <= 12; ++n) campo(2, n, 2 + 2 * n, 3 + 2 * n);
        for (int n = 1; n <= 9; ++n) campo(3, n, 3 + 2 * n, 4 + 2 * n);
        escribir(dir / "Sistema/REGISTROSDJ.txt", campos);
        return dir;
    }();
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& install = instalacion();
    auto archivo = install / "declaracion.txt";
    escribir(archivo, std::string_view(reinterpret_cast<const char*>(data), size));
    testsupport::ScriptedPort port;
    orvex::Entorno entorno{install, port, {}, {}, {}, {}};
    (void)orvex::Revisar(entorno, {"1831", "2018", archivo});
    return 0;
}
