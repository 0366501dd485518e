// ZIP packaging of the upload file with the 7-Zip program of the install
// folder, and the history file "histzip.txt".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "orvex/trabajo.hpp"

namespace orvex {

enum class FinZip {
    creado,      // archive made, history line written, success message shown
    ocupado,     // I17: the old archive could not be deleted
    no_aparece,  // I19: the archive did not appear
    fallo,       // I18: any other failure (error number and description shown)
};

// Paths of one packing run (drive root = parent of the install folder).
struct RutasZip {
    std::filesystem::path archivo;  // GEN_2018/ZIP/[MM/]RUT.zip
    std::filesystem::path fuente;   // GEN_2018/Respal/[MM/]RUT.fff
    std::string linea_historial;    // install "/7z a " archive " " source
};
RutasZip Rutas_Zip(const std::filesystem::path& install, std::string_view rut_Decla,
                   std::string_view fldc_tipo, std::string_view periodo);

FinZip Crear_Archivo_ZIP(const Entorno& entorno, std::string_view rut_Decla,
                         std::string_view fldc_tipo, std::string_view periodo);

// Deletes the file if it exists; true when nothing failed.
bool Borrar_Si_Existe(const std::filesystem::path& path);
// Waits for the file to exist: 100 attempts with a short pause each.
bool Esperar_Archivo(const std::filesystem::path& path, const platform::EventPump& pump);

}  // namespace orvex
