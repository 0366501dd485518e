// ZIP packaging of the upload file with the 7-Zip program of the install
// folder, and the history file "histzip.txt".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "orvex/entorno.hpp"

namespace orvex {

enum class FinZip {
    creado,      // archive made, history line written, success message shown
    ocupado,     // I17: the old archive could not be deleted
    no_aparece,  // I19: the archive did not appear, or 7-Zip reported a failure
    fallo,       // I18: any other failure (error number and description shown)
};

inline constexpr std::string_view kTituloGeneracion = "GENERACION ARCHIVO INTERNET";

// Paths of one packing run (drive root = parent of the install folder). The
// folders are looked up without regard to letter case, so "ZIP" finds the
// "zip" folder that the build creates.
struct RutasZip {
    std::filesystem::path archivo;  // GEN_2018/ZIP/[MM/]RUT.zip
    std::filesystem::path fuente;   // GEN_2018/Respal/[MM/]RUT.fff
    std::string linea_historial;    // install "/7z a " archive " " source
};
RutasZip Rutas_Zip(const std::filesystem::path& install, std::string_view rut_Decla,
                   std::string_view fldc_tipo, std::string_view periodo);

// Whether a text read from a declaration can safely become one component of a
// file name under GEN_2018: not empty, and free of path separators, "..",
// control characters (NUL included) and the wildcards "*" and "?", which
// 7-Zip would expand.
bool Es_Nombre_Seguro(std::string_view texto);

// Whether a RUT text, trimmed, can name the upload file and its archive: one
// or more digits only, nothing else (no blanks inside, no letters, no
// 8-bit characters).
bool Es_Rut_Nombrable(std::string_view rut);

// Packs the upload file of `rut_Decla` (trimmed where it becomes a name) and
// form `fldc_tipo` into its archive, appends the history line and tells the
// user the outcome in a message box. A RUT or month that cannot name a file
// under GEN_2018 is refused with I18 before anything is touched. The archive
// is made under a temporary name and renamed into place, and holds the upload
// file under its bare name. 7-Zip is ended if this program ends first.
FinZip Crear_Archivo_ZIP(const Entorno& entorno, std::string_view rut_Decla,
                         std::string_view fldc_tipo, std::string_view periodo);

// Deletes the file (ordinary files only) if it exists; true when nothing failed.
bool Borrar_Si_Existe(const std::filesystem::path& path);
// Waits for the file to exist: 100 attempts with a short pause each, letting
// window events run. True as soon as it exists.
bool Esperar_Archivo(const std::filesystem::path& path, const platform::EventPump& pump);

}  // namespace orvex
