// The two forms whose informado lines the declaration object addresses: their
// field codes, the spreadsheet column titles and the item keys under which a
// line's fields are stored.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tolvan {

struct Campo {
    const char* codigo;  // field code, compared exactly
    const char* titulo;  // spreadsheet column title
};

struct Formulario {
    std::string_view numero;        // "1879"
    std::span<const Campo> campos;  // in position order: field k is campos[k - 1]
};

extern const Formulario kForm1879;
extern const Formulario kForm1887;

// The form of a form number; nullptr for any other number.
const Formulario* formulario_de(std::string_view numero);

// The item number of field k (1-based) of line L: k + F x (L - 1), F the
// form's field count. 0 when the line is below 1. ComponentError 6 when the
// number does not fit a 32-bit integer.
std::int32_t numero_de_item(const Formulario& f, std::int32_t Linea, std::int32_t k);

// "ITEM" followed by the decimal item number, held in place.
class ClaveItem {
  public:
    explicit ClaveItem(std::int32_t numero);
    std::string_view vista() const { return {buf_, largo_}; }

  private:
    char buf_[16];
    std::size_t largo_;
};

inline std::string clave_de_item(std::int32_t numero) {
    return std::string(ClaveItem(numero).vista());
}

// The item key of a field of a line: "" for a code the form lacks or a line
// below 1 (such a line addresses nothing).
std::string clave_informado(const Formulario& f, std::int32_t Linea, std::string_view Codigo);
std::string Clave_Informado_1879(std::int32_t Linea, std::string_view Codigo);
std::string Clave_Informado_1887(std::int32_t Linea, std::string_view Codigo);

}  // namespace tolvan
