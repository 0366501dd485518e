// The grid work file: random-access records of 133 bytes numbered from 1, one
// grid line each. A record past the end of the file, or in a gap that was
// never written, reads as 133 NUL bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace pelmo {

inline constexpr std::size_t kLargoRegistro = 133;
inline constexpr std::size_t kLargoCelda = 18;
// A record that begins with these 10 NUL bytes was never written.
inline constexpr std::string_view kMarcaVacia{"\0\0\0\0\0\0\0\0\0\0", 10};

// Whether a record holds a line: with every ";" and NUL read as a blank and the
// blanks at both ends trimmed, more than one character remains.
bool es_linea_de_datos(std::string_view registro);
// Whether a record begins with the mark of a never-written record.
bool empieza_vacio(std::string_view registro);

// Random access through one open handle.
class ArchivoRegistros {
  public:
    ArchivoRegistros() = default;
    ~ArchivoRegistros() { cerrar(); }
    ArchivoRegistros(const ArchivoRegistros&) = delete;
    ArchivoRegistros& operator=(const ArchivoRegistros&) = delete;

    // Opens for reading and writing, creating the file when it is missing.
    bool abrir(const std::filesystem::path& ruta, std::error_code& ec);
    void cerrar();
    bool abierto() const { return fd_ >= 0; }

    // Record n (from 1); 133 NUL bytes past the end or in a gap.
    std::string leer(std::int64_t n, std::error_code& ec) const;
    // Writes record n, cut or NUL-filled to 133 bytes; the file grows as needed.
    bool escribir(std::int64_t n, std::string_view registro, std::error_code& ec);

  private:
    int fd_ = -1;
};

// Reads the records of a file in order, in large blocks. `fn` gets each record
// number and its 133 bytes (a short last record is NUL-filled) and returns
// false to stop. False with `ec` set when the file cannot be read.
bool recorrer_registros(const std::filesystem::path& ruta,
                        const std::function<bool(std::int64_t, std::string_view)>& fn,
                        std::error_code& ec);

// Writes records 1, 2, ... in order through a large buffer.
class EscritorRegistros {
  public:
    EscritorRegistros() = default;
    ~EscritorRegistros();
    EscritorRegistros(const EscritorRegistros&) = delete;
    EscritorRegistros& operator=(const EscritorRegistros&) = delete;

    // Creates or truncates the file.
    bool abrir(const std::filesystem::path& ruta, std::error_code& ec);
    // The next record, cut or filled with `relleno` to 133 bytes.
    bool agregar(std::string_view registro, char relleno, std::error_code& ec);
    // Writes what is buffered, syncs when asked, and closes.
    bool cerrar(std::error_code& ec, bool sincronizar = false);

  private:
    bool vaciar(std::error_code& ec);
    int fd_ = -1;
    std::string buf_;
};

}  // namespace pelmo
