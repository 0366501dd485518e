#include "celdas.hpp"

#include <algorithm>
#include <string_view>

#include "formularios.hpp"
#include "platform/text.hpp"

namespace tolvan {

namespace {

constexpr const char* kNadaImportado = " No se import\xF3 nada del libro.";

// A bound as the message gives it: in GiB or MiB when it is a whole number of them.
std::string cantidad(std::uint64_t bytes) {
    if (bytes % (std::uint64_t(1) << 30) == 0) return std::to_string(bytes >> 30) + " GiB";
    if (bytes % (std::uint64_t(1) << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

}  // namespace

std::string CeldasImportadas::tomar(const std::string& utf8, std::uint32_t fila,
                                    std::size_t columna, std::int32_t item) {
    std::string celda;
    for (std::size_t c = columna + 1; c > 0; c = (c - 1) / 26)
        celda.insert(celda.begin(), char('A' + (c - 1) % 26));
    celda += std::to_string(fila);

    // Four bytes at most per character: a longer text is too long unconverted.
    std::string t;
    if (utf8.size() <= 4 * kMaxCaracteresCelda) {
        const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        t = ascii ? utf8 : platform::utf8_to_cp1252(utf8);
    }
    if (utf8.size() > 4 * kMaxCaracteresCelda || t.size() > kMaxCaracteresCelda)
        throw Rechazo{"La celda " + celda + " tiene m\xE1s de " +
                      std::to_string(kMaxCaracteresCelda) + " caracteres." + kNadaImportado};
    total_ += t.size();
    if (total_ > presupuesto_)
        throw Rechazo{"El texto del libro pasa de " + cantidad(presupuesto_) + " en la celda " +
                      celda + "." + kNadaImportado};
    // "&" would split the value (its rest read as a pair of its own), and the
    // readers drop line breaks and NUL bytes.
    const std::size_t malo = t.find_first_of(std::string_view("&\r\n\0", 4));
    if (malo != std::string::npos) {
        const char c = t[malo];
        const std::string que = c == '&'    ? "\"&\""
                                : c == '\0' ? "un car\xE1"
                                              "cter nulo"
                                            : "un salto de l\xEDnea";
        throw Rechazo{"La celda " + celda + " (" + clave_de_item(item) + ") contiene " + que +
                      ", que el archivo de datos no admite." + kNadaImportado};
    }
    return t;
}

}  // namespace tolvan
