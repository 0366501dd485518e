#include "pelmo/formatos.hpp"

#include <cmath>

#include "platform/numtext.hpp"

namespace pelmo {

std::string sin_separador(std::string_view texto) {
    const char miles = platform::thousands_separator();
    std::string out;
    out.reserve(texto.size());
    for (char c : texto)
        if (c != miles) out += c;
    return out;
}

std::string formato(std::string_view texto, std::string_view patron) {
    const std::string plano = sin_separador(texto);
    if (!platform::is_number(plano)) return std::string(texto);
    return platform::format_pattern(plano, patron, platform::thousands_separator());
}

long long valor_entero(std::string_view texto) {
    const double v = platform::leading_value(texto);
    if (!std::isfinite(v)) return 0;
    if (v > 2147483647.0) return 2147483647;
    if (v < -2147483648.0) return -2147483648LL;
    return static_cast<long long>(v);
}

std::string alinear_izquierda(std::string_view texto, std::size_t ancho) {
    std::string out(texto.substr(0, ancho));
    out.resize(ancho, ' ');
    return out;
}

}  // namespace pelmo
