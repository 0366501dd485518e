// The error report "errores.txt" in the install folder's "registro" folder:
// a fixed column header, then one line per error in the order found.
// Texts are Windows-1252 bytes: in the file, and in every Hallazgo handed to
// `al_anotar` (messages such as "AÑO TRIBUTARIO NO CORRESPONDE" hold one byte
// 0xD1 for the "Ñ"; values are the declaration's own bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/lines.hpp"

namespace orvex {

inline constexpr std::string_view kEncabezadoInforme =
    "NUM.LINEA    REGISTRO   VALOR ESPERADO  VALOR INFORMADO   DESCRIPCION";

// One error as the checks give it, before it is laid out in columns. All
// texts are Windows-1252.
struct Hallazgo {
    std::uint64_t linea = 0;  // record line number
    char tipo = '0';          // record type being read
    std::string esperado;     // "VALOR ESPERADO"
    std::string informado;    // "VALOR INFORMADO"
    std::string mensaje;      // "DESCRIPCION"
    bool fatal = false;
};

// The value's text filled with blanks on the right up to `ancho`; a longer
// text comes back unchanged.
std::string Rellenar_Derecha(std::string_view valor, std::size_t ancho);

// The report is written under a temporary name in "registro" and renamed into
// place when closed, so a reader never sees half a report nor another run's.
// When it cannot be written there (a missing or read-only "registro"), the
// findings go to a temporary file of the system instead, which the caller
// shows and removes.
class Informe {
  public:
    ~Informe();
    // Creates the report anew with its header. False when it cannot be created
    // in "registro"; errors are still counted and written to the fallback then.
    bool abrir(const std::filesystem::path& install);
    // Appends left part, one blank, right part, and counts the error.
    void Anotar_Error(std::string_view izquierda, std::string_view derecha);
    // Lays an error out in the five columns (gap before the message: `hueco`
    // blanks, 5 for every check but one value check), writes it and hands it
    // to `al_anotar`.
    void anotar(const Hallazgo& h, std::size_t hueco = 5);
    // Closes the report and renames it into place.
    void cerrar();

    std::int32_t errores() const { return errores_; }
    // Where the findings lie once closed: the report, or the fallback file.
    const std::filesystem::path& ruta() const { return ruta_; }
    // Why the report could not be written in "registro"; empty when it was.
    const std::error_code& error() const { return error_; }
    // Whether ruta() is a temporary file of the system, for the caller to remove.
    bool temporal() const { return temporal_; }
    // The folder the report is written in (registro); empty for the fallback.
    const std::filesystem::path& carpeta() const { return carpeta_; }
    // Called with every error written, for callers that also want the findings.
    std::function<void(const Hallazgo&)> al_anotar;

  private:
    platform::LineWriter salida_;
    std::filesystem::path ruta_;     // the final report
    std::filesystem::path escrito_;  // the file being written
    std::filesystem::path carpeta_;
    std::error_code error_;
    bool temporal_ = false;
    std::int32_t errores_ = 0;
};

// The report's path under an install folder.
std::filesystem::path ruta_informe(const std::filesystem::path& install);

}  // namespace orvex
