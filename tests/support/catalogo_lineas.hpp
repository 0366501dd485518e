// Lines of the catalogue files that describe a form's layout, for tests and
// benchmarks that build small install folders.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace testsupport {

// One FORMATOSDJ.TXT line: form at 1-4, record type at 6, record length at
// 8-11, modo at 17, then `resto` after a blank (when given).
inline std::string linea_formato(std::string_view form, char tipo, int largo, char modo,
                                 std::string_view resto = {}) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%-4.4s %c %04d     %c", std::string(form).c_str(), tipo, largo,
                  modo);
    std::string linea = buf;
    if (!resto.empty()) linea += " " + std::string(resto);
    return linea;
}

// One REGISTROSDJ.txt line: form at 1-4, record type at 6, field number at
// 8-9, description at 10-29, first position at 30-32, last at 34-36, class at 38.
inline std::string linea_campo(std::string_view form, char tipo, int campo, int desde, int hasta,
                               char clase = 'N', std::string_view descripcion = "CAMPO") {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%-4.4s %c %02d%-20.20s%03d %03d %c", std::string(form).c_str(),
                  tipo, campo, std::string(descripcion).c_str(), desde, hasta, clase);
    return buf;
}

// The digit of a record type.
inline char tipo_de(int tipo) {
    return char('0' + tipo);
}

}  // namespace testsupport
