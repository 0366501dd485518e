// File work of the data-file component: path texts, the reader's byte loop,
// the writer and the safe replacement of a data file. Failures are thrown as
// Falla with the platform's error number and description.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/errors.hpp"

namespace kvario {

struct Falla {
    platform::RuntimeError error;
};

// A path text (Windows-1252, as callers pass it) as a file-system path: UTF-8,
// resolved without regard to letter case. A text holding a NUL byte cannot
// name a file: error 52.
std::filesystem::path a_ruta(std::string_view texto);

// Whether a normal file matches the path: folders, hidden files (names that
// begin with ".") and special files do not. A missing file or folder on the
// way is no error; any other failed look-up throws.
bool hay_archivo(const std::filesystem::path& ruta);

// Reads a file as raw bytes and hands out its segments: the bytes before each
// "&", with every CR, LF and NUL byte left out. They come in groups, in file
// order; a group's views are valid until `grupo` returns, which returns false
// to stop the reading. At the end, unless the last byte was "&", the rest
// comes as a last group of one segment with `final` true.
void leer_segmentos(
    const std::filesystem::path& ruta,
    const std::function<bool(std::span<const std::string_view> segmentos, bool final)>& grupo);

// Writes a file through a buffer: created or truncated when opened.
class Escritor {
  public:
    explicit Escritor(const std::filesystem::path& ruta);
    ~Escritor();
    Escritor(const Escritor&) = delete;
    Escritor& operator=(const Escritor&) = delete;
    void escribir(std::string_view bytes);
    void cerrar();  // flushes and closes; throws when anything failed

  private:
    void vaciar();
    int fd_ = -1;
    std::unique_ptr<char[]> buf_;
    std::size_t lleno_ = 0;
};

// The size of a file, for sizing a read; 0 when it cannot be told.
std::uint64_t largo_de(const std::filesystem::path& ruta);

// Replaces `destino` with a copy of `origen`: the copy is written completely
// next to `destino`, flushed to disk and renamed over it, so `destino` is
// either the old file or the whole new one. A `destino` that is a symbolic
// link has its target replaced. False when anything fails; `destino` is then
// untouched and no partial copy is left behind.
bool reemplazar_con_copia(const std::filesystem::path& origen,
                          const std::filesystem::path& destino);

}  // namespace kvario
