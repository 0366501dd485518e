// The cells an import takes in, checked one by one before anything is
// stored: a cell holds at most 32,767 characters, as in a spreadsheet; the
// text of one import is bounded (1 GiB); and a value must read back from the
// data file as it was, which has no escaping for "&", line breaks or NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvan {

inline constexpr std::size_t kMaxCaracteresCelda = 32767;
inline constexpr std::uint64_t kMaxTextoImportado = std::uint64_t(1) << 30;

// An import refused before it changed anything, with the message that says
// why (Windows-1252).
struct Rechazo {
    std::string mensaje;
};

class CeldasImportadas {
  public:
    explicit CeldasImportadas(std::uint64_t presupuesto = kMaxTextoImportado)
        : presupuesto_(presupuesto) {}

    // The text (UTF-8, as the workbook holds it) of the cell at row `fila`
    // and column `columna` (0 is A), to be stored under item `item`: its
    // Windows-1252 text, counted against the bound; Rechazo, naming the cell,
    // when it cannot be taken.
    std::string tomar(const std::string& utf8, std::uint32_t fila, std::size_t columna,
                      std::int32_t item);

  private:
    std::uint64_t presupuesto_;
    std::uint64_t total_ = 0;
};

}  // namespace tolvan
