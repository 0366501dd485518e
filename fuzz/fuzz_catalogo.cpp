// The catalogue readers on arbitrary catalogue files: the input is split into
// the two layout files, which are read for one form; nothing may crash and
// every field the table holds must lie in the 0-40 range it was read into.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "orvex/catalogo.hpp"

namespace {

const std::filesystem::path& carpeta() {
    static const std::filesystem::path p = [] {
        auto dir = std::filesystem::temp_directory_path() /
                   ("orvex-fuzz-catalogo-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "Sistema");
        return dir;
    }();
    return p;
}

void escribir(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::size_t corte = in.find('\f');
    escribir(carpeta() / "Sistema/FORMATOSDJ.TXT", in.substr(0, corte));
    escribir(carpeta() / "Sistema/REGISTROSDJ.txt",
             corte == std::string_view::npos ? std::string_view() : in.substr(corte + 1));
    escribir(carpeta() / "Sistema/FormsDJ.txt", in);
    escribir(carpeta() / "Sistema/ANOT.TXT", in);

    orvex::TablaFormatos tabla = orvex::Cargar_Formatos(carpeta(), "1879");
    orvex::TextoRegistro r;
    r.empezar(in.substr(0, 300));
    for (int tipo = 0; tipo < 10; ++tipo) {
        if (tabla[tipo].largo < 0) std::abort();
        for (int campo = 0; campo <= 40; ++campo) (void)orvex::Valor_Campo(r, tabla, tipo, campo);
    }
    (void)orvex::Cargar_Formularios(carpeta());
    (void)orvex::Cargar_Anos(carpeta());
    return 0;
}
