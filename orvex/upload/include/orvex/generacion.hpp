// The upload-file build that follows a review without errors: folders under
// the drive root's GEN_2018, record 0, the copy of the declaration's lines,
// the control-number stamp and the hand-over to the ZIP packaging.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "orvex/trabajo.hpp"

namespace orvex {

enum class FinGeneracion {
    empaquetado,        // stamped where due and packed
    declaracion_vacia,  // "Archivo NO Contiene DDJJ, Archivo vació"
    rut_invalido,       // the RUT cannot name a file; nothing written
    fallo_sello,        // the stamp failed (its message shown)
    fallo_zip,          // the packaging failed (its message shown)
};

// Record 0 for the review's state (variant A or B, with the form's tail).
std::string Registro_Cero(const EstadoRevision& estado);

// The upload file's path: GEN_2018/Respal/[MM/]RUT.fff under the drive root.
std::filesystem::path Ruta_Archivo_Internet(const std::filesystem::path& install,
                                            const EstadoRevision& estado);

FinGeneracion Generar_Archivo_Internet(const Entorno& entorno, const EstadoRevision& estado);

// Calls `sigmar` of libsigmar32.so (the program's folder first, then the usual
// library search), bound at the first call; 1 when it cannot be loaded. The
// result is kept to 16 bits.
std::int16_t Sellar(const std::filesystem::path& archivo);

}  // namespace orvex
