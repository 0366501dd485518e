// The structural review of a declaration file: lengths, record types and the
// header fields the records must repeat, plus the value checks of form 1831.
// Every error becomes one line of the error report.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "orvex/entorno.hpp"
#include "orvex/informe.hpp"
#include "platform/files.hpp"
#include "platform/lines.hpp"

namespace orvex {

// Reads a declaration file once, line by line, with one line of look-ahead,
// and groups the lines into records (one line, or a whole multi-line section).
// Memory stays bounded by the reader's buffer and the record being read.
class LectorDeclaracion {
  public:
    enum class Lectura {
        ninguno,    // none left: the look-ahead is empty (end of file, or an empty line)
        otro_tipo,  // the look-ahead does not begin with the digit asked for; nothing read
        leido,      // the record text is set; the look-ahead holds the line after it
    };

    // Opens the file and reads its first line into the look-ahead. A file that
    // cannot be opened reads as an empty file (false).
    bool abrir(const std::filesystem::path& archivo);
    // The same on an open descriptor, which the reader then owns.
    bool abrir(int fd);
    void cerrar() { lector_.close(); }
    // Keeps at most `bytes` of each line; longer lines count whole in the
    // record's length (see TextoRegistro).
    void limitar_lineas(std::size_t bytes) { lector_.set_max_line(bytes); }

    // Makes the next line the look-ahead; at the end of the file it is empty.
    void Leer_Linea();
    // Reads the record of type `tipo` that starts at the look-ahead into
    // `registro`. Lines of types 1 and 3 read as one-line records, and every
    // line of a multi-line record of any type, add to `lineas_registro0`.
    Lectura Leer_Registro(int tipo, const TablaFormatos& tabla, TextoRegistro& registro,
                          std::uint64_t& lineas_registro0);

    const std::string& adelanto() const { return adelanto_; }
    // The number of the look-ahead line (lines read + 1 once the file is done).
    std::uint64_t linea_adelanto() const { return linea_adelanto_; }
    // The number of the first line of the record last read.
    std::uint64_t linea_registro() const { return linea_registro_; }
    std::uint64_t lineas_leidas() const { return lector_.line_number(); }
    // Whether every line of the file has been read.
    bool al_final() { return lector_.at_end(); }
    // Bytes read so far, counting CR LF for every line end (an estimate for
    // files with bare LF ends).
    std::uint64_t bytes_leidos() const { return bytes_; }
    // Bytes read from the file, exactly.
    std::uint64_t bytes_del_archivo() const { return lector_.bytes_read(); }

    // Called every 65,536 lines, so long reads can report progress.
    std::function<void()> cada_tanto;

  private:
    platform::LineReader lector_;
    std::string adelanto_;
    std::uint64_t recorte_adelanto_ = 0;  // bytes of the look-ahead line past the bound
    std::uint64_t linea_adelanto_ = 0;
    std::uint64_t linea_registro_ = 0;
    std::uint64_t bytes_ = 0;
};

enum class FinRevision {
    sin_archivo,  // no file was chosen; the report holds only its header
    no_regular,   // the path names no regular file (a FIFO, a device, a folder);
                  // nothing was read and the report holds only its header
    con_errores,  // the report holds errors
    sin_errores,  // the file is clean; the state is ready for the build
};

struct ResultadoRevision {
    FinRevision fin = FinRevision::sin_archivo;
    EstadoRevision estado;
    // Where this review's findings lie: the report, or a temporary file of the
    // system (`informe_temporal`, for the caller to remove) when the report
    // could not be written; `error_informe` tells why it could not.
    std::filesystem::path informe;
    bool informe_temporal = false;
    std::error_code error_informe;
    // The report folder's lock, held from the report's renaming until the
    // caller has shown it, so that no other run's report takes its place
    // meanwhile. Empty when the report is not in its folder.
    std::shared_ptr<platform::FolderLock> bloqueo_informe;
};

// What a review reads: the form, the tax year and the declaration file.
struct Pedido {
    std::string formulario;         // the form number, four characters ("1879")
    std::string ano;                // the tax year, four characters ("2018")
    std::filesystem::path archivo;  // the declaration file; empty when none was chosen
};

// Reads the declaration once and writes the report. With no file the report
// holds only its header and the result is sin_archivo; the caller tells the
// user. `al_anotar` (may be empty) receives every error as it is written.
ResultadoRevision Revisar(const Entorno& entorno, const Pedido& pedido,
                          const std::function<void(const Hallazgo&)>& al_anotar = {});

// Checks of form 1831 on one type-2 record (date, amount, medium).
void Validar_Valores_1831(const TextoRegistro& registro, std::uint64_t linea,
                          const TablaFormatos& tabla, Informe& informe);

// DDMMYYYY to YYYYMMDD; 0 when the text cannot be converted.
std::int32_t Fecha_a_Numero(std::string_view texto);

}  // namespace orvex
