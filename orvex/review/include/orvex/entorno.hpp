// What the review, the upload-file build and the packaging share: where they
// run (install folder, message port, event pump) and the state that a review
// without errors hands over to the build.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "orvex/catalogo.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"

namespace orvex {

struct Entorno {
    std::filesystem::path install;  // the install folder
    platform::MessagePort& port;
    platform::EventPump pump;  // lets window events run during long work; empty when headless
    // Progress of long work: bytes done of bytes in all (0 when unknown). May be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> progreso;
    // Called once the declaration file is open (the window then shows " ok"). May be empty.
    std::function<void()> archivo_abierto;
    // A status line for waits the user should know about (another run holding
    // the output folder, say); empty text when the wait is over. May be empty.
    std::function<void(const std::string&)> estado;
};

// The declaration file as the review opened and read it. The build copies from
// this same descriptor, so it copies the bytes that were reviewed, and checks
// that the file did not change meanwhile.
struct ArchivoLeido {
    ArchivoLeido() = default;
    ArchivoLeido(const ArchivoLeido&) = delete;
    ArchivoLeido& operator=(const ArchivoLeido&) = delete;
    ~ArchivoLeido() {
        if (fd >= 0) ::close(fd);
    }
    int fd = -1;                // open for reading
    struct stat inicial {};     // the file as it was opened
    std::uint64_t bytes = 0;    // bytes the review read
    std::uint64_t lineas = 0;   // lines the review read
    bool leido_entero = false;  // the review read to the end of the file
};

// The declarant values of the last type-1 record with line code "11".
struct Declarante {
    std::string ano;               // field 1
    std::string codigo;            // field 2, presentation code
    std::string folio;             // field 3
    std::string tipo_declaracion;  // field 4
    std::string rut_anterior;      // field 5
    std::string dv_anterior;       // field 6
    std::string folio_anterior;    // field 8
    std::string rut;               // field 9
    std::string dv;                // field 10
};

// State of one review, and what the upload-file build takes over from it.
struct EstadoRevision {
    std::string formulario;  // four characters
    std::string ano_combo;   // first four characters of the chosen tax-year entry
    std::string periodo;     // tax year, or for monthly forms the period AAAAMM read
    bool mensual = false;
    TablaFormatos tabla{};
    Declarante declarante;
    std::uint64_t lineas_registro0 = 1;         // line count for record 0
    std::uint64_t cantidad_tipo2 = 0;           // type-2 records
    bool registro0 = false;                     // the file began with a type-0 line
    std::filesystem::path archivo;              // the declaration file, blanks trimmed
    std::shared_ptr<const ArchivoLeido> leido;  // its descriptor; empty when not opened
    std::int32_t errores = 0;                   // error lines written
};

}  // namespace orvex
