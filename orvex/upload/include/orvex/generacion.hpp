// The upload-file build that follows a review without errors: folders under
// the drive root's GEN_2018, record 0, the copy of the declaration's lines,
// the control-number stamp and the hand-over to the ZIP packaging.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "orvex/entorno.hpp"

namespace orvex {

enum class FinGeneracion {
    empaquetado,           // stamped where due and packed
    declaracion_vacia,     // "Archivo NO Contiene DDJJ, Archivo vació"
    rut_invalido,          // the RUT (or month, or form) cannot name a file; nothing written
    fallo_archivo,         // the upload file could not be written whole (message shown)
    declaracion_cambiada,  // the declaration changed since the review; nothing stamped or packed
    fallo_sello,           // the stamp failed (its message shown)
    fallo_zip,             // the packaging failed (its message shown)
};

// Binds `sigmar` of libsigmar32.so at its first call and keeps it bound for
// the life of the object. The library is looked for in `carpetas`, in order,
// then, with `busqueda_general`, by name through the usual library search.
class Sellador {
  public:
    explicit Sellador(std::vector<std::filesystem::path> carpetas, bool busqueda_general = true);
    ~Sellador();
    Sellador(const Sellador&) = delete;
    Sellador& operator=(const Sellador&) = delete;

    // Stamps the file and returns the library's result kept to 16 bits; 1 when
    // the library or its function cannot be loaded. The library reads a name
    // up to its first blank and of at most 151 characters: a path that does
    // not fit is handed over as the short name of an open descriptor of the
    // same file, so install folders with blanks can be stamped too.
    std::int16_t sellar(const std::filesystem::path& archivo);
    // Binds if not tried yet; whether `sigmar` is available.
    bool disponible();

  private:
    using Funcion = std::int32_t (*)(const char*);
    bool enlazar();

    std::vector<std::filesystem::path> carpetas_;
    bool busqueda_general_;
    bool intentado_ = false;
    void* biblioteca_ = nullptr;
    Funcion funcion_ = nullptr;
};

// The process-wide binder: the program's own folder, then `install`, then the
// usual library search. Its folders are fixed at its first use.
Sellador& Sellador_del_Programa(const std::filesystem::path& install);

// Stamps through the process-wide binder.
std::int16_t Sellar(const std::filesystem::path& archivo,
                    const std::filesystem::path& install = {});

// Record 0 for the review's state (variant A or B, with the form's tail).
std::string Registro_Cero(const EstadoRevision& estado);

// The upload file's path: GEN_2018/Respal/[MM/]RUT.fff under the drive root.
std::filesystem::path Ruta_Archivo_Internet(const std::filesystem::path& install,
                                            const EstadoRevision& estado);

// The whole build, stamping through the process-wide binder.
FinGeneracion Generar_Archivo_Internet(const Entorno& entorno, const EstadoRevision& estado);
// The same with a binder of the caller's.
FinGeneracion Generar_Archivo_Internet(const Entorno& entorno, const EstadoRevision& estado,
                                       Sellador& sellador);

}  // namespace orvex
