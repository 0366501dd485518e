// A demonstration stand-in for the outside validator of the form-1832
// editor. It honours only what the editor relies on: it reads the validation
// file (a key=value data file), writes the error file (another one, one entry
// per finding: the key is the code, optionally followed by ":" and more text,
// the value the message) and ends. It checks a few things a user can see.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vexal {

using Par = std::pair<std::string, std::string>;

// One finding: key (code, or code + ":" + more) and message, Windows-1252.
struct Hallazgo {
    std::string clave;
    std::string mensaje;
    bool operator==(const Hallazgo&) const = default;
};

// The findings on the entries of a validation file, in a fixed order: the
// name (H012a), the e-mail (H012d), then each grid line's donor check digit
// (H017) and date (H018), then the summary amount (H020a) and count (H020c).
std::vector<Hallazgo> revisar(const std::vector<Par>& datos);

// The check digit of a RUT given as digits: "0" to "9" or "K" (modulo 11).
std::string digito_verificador(const std::string& rut);

// Whether DDMMAAAA is a date of the calendar.
bool fecha_valida(const std::string& ddmmaaaa);

// Reads a key=value data file: entries end with "&"; CR, LF and NUL are
// ignored; segments without "=" are skipped. Nothing when it cannot be read.
std::vector<Par> leer_datos(const std::filesystem::path& archivo);

// Writes the findings as a data file, replacing the old one atomically (a
// temporary file next to it, renamed over it). False when it cannot.
bool escribir_errores(const std::filesystem::path& archivo, const std::vector<Hallazgo>& hallazgos);

}  // namespace vexal
