// The folio of a declaration: prefix from the parameter file, three characters
// of the declarant's RUT and a two-digit sequence kept in the folio sequence
// file; and the comuna list.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pelmo {

// The parameter file "Sistema/param.txt": entries 0 to 100.
struct Parametros {
    struct Entrada {
        double numero = 0;
        std::string texto;
    };
    std::array<Entrada, 101> entradas{};
    const std::string& prefijo_folio() const { return entradas[1].texto; }
};

// Reads the parameter file into `p`; true when it was read to its end.
bool LeeParametros(const std::filesystem::path& install, Parametros& p);

// The trimmed text followed by "0" up to `ancho`; a longer text unchanged.
std::string RellenaCeros(std::string_view texto, std::size_t ancho);

// The three RUT characters of a folio, from the session RUT.
std::string parte_rut_folio(std::string_view rut_sesion);

// Folio sequence file of a form for a session RUT.
std::filesystem::path ruta_secuencia(const std::filesystem::path& install, std::string_view form,
                                     std::string_view rut_sesion);

// A new folio; `secuencia` gets its two-digit sequence ("01" when the sequence
// file cannot be created or read).
std::string NuevoFolio(const std::filesystem::path& install, std::string_view form,
                       std::string_view rut_sesion, const Parametros& p, std::string& secuencia);

// Advances the sequence (99 goes to "01") and stores it as the file's one line.
bool GrabaSecuencia(const std::filesystem::path& install, std::string_view form,
                    std::string_view rut_sesion, std::string& secuencia);

// The comuna list: "(Seleccione Valor)" then the upper-cased names from
// character 8 of each line of "Sistema/Comunas.txt", in alphabetical order.
// Throws platform::RuntimeError-carrying ErrorArranque when the file cannot be read.
std::vector<std::string> CargaComunas(const std::filesystem::path& install);

// Alphabetical order of Windows-1252 names: accents and case do not count,
// "Ñ" follows "N", and "(" sorts before letters.
bool antes_alfabetico(std::string_view a, std::string_view b);

}  // namespace pelmo
