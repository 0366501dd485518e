#include "orvex/sesion.hpp"

#include <string>

#include "platform/lines.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace orvex {

std::vector<Par> separar_pares(std::string_view texto) {
    std::vector<Par> pares;
    while (!texto.empty()) {
        std::size_t fin = texto.find('&');
        std::string_view par = texto.substr(0, fin);
        texto = fin == std::string_view::npos ? std::string_view() : texto.substr(fin + 1);
        std::size_t igual = par.find('=');
        if (igual == std::string_view::npos) continue;
        pares.emplace_back(std::string(par.substr(0, igual)), std::string(par.substr(igual + 1)));
    }
    return pares;
}

std::string unir_pares(const std::vector<Par>& pares) {
    std::string texto;
    for (const Par& p : pares) {
        if (!texto.empty()) texto += '&';
        texto += p.first;
        texto += '=';
        texto += p.second;
    }
    return texto;
}

bool Anotar_Archivo(const std::filesystem::path& install, std::string_view path) {
    // The note goes into an existing "registro" folder only; it is never created here.
    if (!platform::is_directory(platform::join(install, "registro"))) return false;
    platform::LineWriter nota;
    if (!nota.open(platform::join(install, "registro/GenDj.Tmp"),
                   platform::LineWriter::Mode::truncate)) {
        return false;
    }
    std::string linea = "FORM=";
    linea += platform::trim(path);
    nota.write_line(linea);
    return nota.close();
}

}  // namespace orvex
