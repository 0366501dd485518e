// A small reader of .xlsx workbooks (Office Open XML spreadsheets): the cells
// of the first worksheet, row by row, as the texts a spreadsheet shows for them.
//
// - The first worksheet is the first sheet of the workbook's sheet order that
//   is a worksheet (chart sheets and the like are passed over), hidden or not.
// - Texts: shared strings, inline strings and string results of formulas, rich
//   text runs joined, "_xHHHH_" escapes decoded. Numbers are shown as in the
//   General format (texto_de_numero). Booleans read "TRUE" and "FALSE". Error
//   values read as written ("#N/A"). A formula without a stored result, an
//   empty cell and a missing cell read "". Number formats are not applied: a
//   date reads as its serial number.
// - Texts come out in UTF-8, as the workbook holds them.
//
// Input is untrusted. The sheet and the shared strings are streamed from the
// ZIP entry and parsed a group of rows (or strings) at a time, so a sheet of any
// length costs memory for one group only, and reading stops as soon as the
// caller has seen enough rows. Limits, beyond which the workbook counts as
// unreadable: row numbers up to 1,048,576 and columns up to XFD (16,384), as a
// spreadsheet holds; one row or one string at most 64 MiB of XML; all shared
// strings together at most 1 GiB; the small parts (workbook, relationships) at
// most 64 MiB each. Rows must come in ascending order. Document type
// declarations are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace tolvan::xlsx {

// A workbook that cannot be read: missing, not a ZIP archive, not a
// spreadsheet, damaged or beyond the limits above.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Libro {
  public:
    // Opens the workbook, finds its first worksheet and loads the shared strings.
    explicit Libro(const std::filesystem::path& ruta);
    ~Libro();
    Libro(const Libro&) = delete;
    Libro& operator=(const Libro&) = delete;

    // Hands out the rows of the first worksheet in ascending order: the row
    // number (1-based) and the texts of its columns 0 .. columnas - 1 (A, B,
    // ...), "" where a cell is missing or empty. Rows that the sheet does not
    // hold are not handed out. `fila` returns false to stop the reading. Can be
    // called once per Libro.
    using Fila = std::function<bool(std::uint32_t fila, std::span<const std::string> celdas)>;
    void leer_filas(std::size_t columnas, const Fila& fila);

  private:
    struct Datos;
    std::unique_ptr<Datos> d_;
};

// A number as a spreadsheet shows it in the General format: up to 15
// significant digits without trailing zeros, "." before a fraction, and
// exponent notation from 1E+15 up and below 1E-4 (12345678 gives "12345678",
// 0.5 "0.5", 1E+20 "1E+20", 0.00001 "1E-05").
std::string texto_de_numero(double valor);

// The value of a text that texto_de_numero would write back exactly as it
// stands ("12", "-0.5", "1E+20"); false for any other text ("012", "1.50",
// " 5", "K").
bool numero_exacto(std::string_view texto, double& valor);

}  // namespace tolvan::xlsx
