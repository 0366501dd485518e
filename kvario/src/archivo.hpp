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

// Whether a regular file matches the path, whatever its name: folders,
// devices, FIFOs and other special files do not. A missing file or folder on
// the way is no error; any other failed look-up throws.
bool hay_archivo(const std::filesystem::path& ruta);

// Reads a file as raw bytes and hands out its segments: the bytes before each
// "&", with every CR, LF and NUL byte left out. They come in groups, in file
// order; a group's views are valid until `grupo` returns, which returns false
// to stop the reading. At the end, unless the last byte was "&", the rest
// comes as a last group of one segment with `final` true.
void leer_segmentos(
    const std::filesystem::path& ruta,
    const std::function<bool(std::span<const std::string_view> segmentos, bool final)>& grupo);

// Writes a file through a buffer: created or truncated when opened, or an
// open descriptor that the caller keeps.
class Escritor {
  public:
    explicit Escritor(const std::filesystem::path& ruta);
    explicit Escritor(int fd);
    ~Escritor();
    Escritor(const Escritor&) = delete;
    Escritor& operator=(const Escritor&) = delete;
    void escribir(std::string_view bytes);
    void cerrar();  // flushes and closes its own file; throws when anything failed

  private:
    void vaciar();
    int fd_ = -1;
    bool propio_ = true;
    std::unique_ptr<char[]> buf_;
    std::size_t lleno_ = 0;
};

// The size of a file, for sizing a read; 0 when it cannot be told.
std::uint64_t largo_de(const std::filesystem::path& ruta);

// One save of a data file, from its lock to its rename. While the object
// lives it holds an advisory lock (flock) on the data file's folder, so saves
// of files of one folder take turns, across objects and processes (a folder
// that cannot be read, or a file system without flock, is not locked). The data
// file is replaced by a private temporary file next to it, written completely,
// flushed and renamed over it, so readers see either the old file or the whole
// new one. A data file reached through a symbolic link has its target replaced.
class Guardado {
  public:
    // Takes the lock and checks that the data file may be replaced: one
    // without any write permission bit, or that the user cannot write, throws
    // error 70; a missing folder throws 76.
    explicit Guardado(const std::filesystem::path& datos);
    ~Guardado();  // removes a temporary file that was not put in place
    Guardado(const Guardado&) = delete;
    Guardado& operator=(const Guardado&) = delete;

    // Whether `otro` names the data file itself: the same path, or a link
    // to the same file.
    bool es_el_archivo(const std::filesystem::path& otro) const;
    // The private temporary file, created on the first call (throws when it
    // cannot be).
    int temporal();
    // Fills the temporary file with a copy of `origen`; false when that fails.
    bool copiar_de(const std::filesystem::path& origen);
    // Puts the temporary file in the data file's place, with the data file's
    // permissions; false when that fails, and the data file is then untouched.
    bool poner_en_lugar();

  private:
    void descartar();

    std::filesystem::path datos_;    // as given
    std::filesystem::path destino_;  // the file replaced: the target of links
    int carpeta_ = -1;               // the locked folder
    std::filesystem::path temporal_;
    int fd_ = -1;
};

}  // namespace kvario
