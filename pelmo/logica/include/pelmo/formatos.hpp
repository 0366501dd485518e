// Display patterns and text rules of the editor's fields, over the platform's
// one numeric-text module.
#pragma once

#include <string>
#include <string_view>

namespace pelmo {

// The text with the system's thousands separator removed: what a field shown
// with a grouping pattern holds as plain digits ("12.345.678" gives "12345678").
std::string sin_separador(std::string_view texto);

// Formats a field's text with a display pattern (platform::format_pattern with
// the system's separator); a text shown grouped is read as its plain digits
// first, and a text that is not a number comes back unchanged.
std::string formato(std::string_view texto, std::string_view patron);

// The integer value of a text's leading number, cut to 32 bits (0 when none).
long long valor_entero(std::string_view texto);

// Text left-aligned in `ancho` characters: cut, or filled with blanks.
std::string alinear_izquierda(std::string_view texto, std::size_t ancho);

}  // namespace pelmo
