// Declaration file layout and catalogue files: the forms, tax years and record
// layouts delivered in the install folder's "Sistema" folder, the lists of
// forms that special rules apply to, and the record text that the review
// checks. Texts are Windows-1252 bytes as read from the files.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

struct CampoRegistro {
    std::int16_t desde = 0;  // first position in the record text (1-based)
    std::int16_t hasta = 0;  // last position, inclusive
    char clase = ' ';
};

struct FormatoRegistro {
    char modo = ' ';  // 'U': every line is a record; otherwise one record per section
    std::int16_t largo = 0;
    std::array<CampoRegistro, 41> campos{};
};

// One layout per record-type digit 0-9.
using TablaFormatos = std::array<FormatoRegistro, 10>;

// Builds the layout table of one form from FORMATOSDJ.TXT and REGISTROSDJ.txt
// in install/Sistema (names matched without regard to letter case). Missing
// files give an empty table. A line whose numbers cannot be read (short, not
// digits, too large for 16 bits), whose record type is not a digit or whose
// field number lies outside 0-40 is skipped; a later line overwrites an earlier one.
TablaFormatos Cargar_Formatos(const std::filesystem::path& install, std::string_view form);

// The entries of FormsDJ.txt: form number, ",", description. Empty lines are skipped.
std::vector<std::string> Cargar_Formularios(const std::filesystem::path& install);

// The tax years of ANOT.TXT: the upper-cased first four characters of each line;
// the first entry is the default choice. Empty lines are skipped.
std::vector<std::string> Cargar_Anos(const std::filesystem::path& install);

// The form number of a form-list entry: its first four characters.
std::string_view numero_de_formulario(std::string_view entrada);

// Form lists. Membership is tested on the four-character text, except for the
// long-header list and the two multi-line declarant lists, which read it as a number.
namespace listas {
bool mensual(std::string_view form);           // period AAAAMM, month folders
bool encabezado_largo(std::string_view form);  // type-1 form number at 9-12
bool diez_digitos(std::string_view form);      // record 0 variant B, not stamped
bool lista_92(std::string_view form);          // record 0 tail to position 92
bool lista_95(std::string_view form);          // record 0 tail to position 95
bool declarante_tres_lineas(std::string_view form);
bool declarante_dos_lineas(std::string_view form);
bool gran_declarante(std::string_view form);  // RUT must exceed 50,000,000
}  // namespace listas

// The text of one record as the review sees it. A single line L gives L "B".
// A section of lines L1..Ln gives L1, then L2, L2 L3, ..., L2..Ln, then "B"
// (w·(1 + n(n−1)/2) + 1 characters for n lines of width w). The composed
// text is never built: the record keeps its lines once and answers its length
// and any range of positions from them, so a section costs time and memory in
// proportion to its own bytes. A line that the reader cut to a bound is held
// cut, with the number of bytes it lost (`recortado`): they count in the
// length but are not held, so positions past the cut read as the text ends.
class TextoRegistro {
  public:
    TextoRegistro() = default;
    // Starts a record with its first line (clears what was held).
    void empezar(std::string_view primera, std::uint64_t recortado = 0);
    // Adds the next line of a multi-line section.
    void agregar(std::string_view linea, std::uint64_t recortado = 0);

    // Length of the record text, end mark "B" included.
    std::uint64_t largo() const { return largo_guardado() + recortado_; }
    // Lines that make up the record.
    std::size_t lineas() const { return 1 + finales_.size(); }
    // The characters from 1-based position `desde`, at most `cuantos`: shorter
    // when the text ends earlier, empty when it ends before `desde`.
    std::string tramo(std::uint64_t desde, std::uint64_t cuantos) const;
    bool empieza_con(std::string_view prefijo) const;

  private:
    std::string primera_;                 // L1
    std::string resto_;                   // L2 .. Ln, joined
    std::vector<std::uint64_t> finales_;  // end of L2..Lk in resto_, for k = 2..n
    std::vector<std::uint64_t> inicios_;  // start of the part L2..Lk in the record text
    std::uint64_t recortado_ = 0;         // bytes of cut lines, counted in the length
    std::uint64_t recortado_resto_ = 0;   // bytes cut from L2..Lk so far
    std::uint64_t largo_guardado() const;
};

// The value of field `campo` of a record of type `tipo`: the text from `desde`
// with `hasta` − `desde` + 1 characters, unchanged (shorter when the record
// text ends earlier). Empty for an undefined field (`desde` 0), a field whose
// last position lies before its first, and a type or field number outside the table.
std::string Valor_Campo(const TextoRegistro& registro, const TablaFormatos& tabla, int tipo,
                        int campo);

}  // namespace orvex
