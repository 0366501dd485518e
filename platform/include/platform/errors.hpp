// Run-time error numbers with Spanish descriptions, as the programs show them
// ("error number: description"). The numbers are a stable set, independent of
// the operating system's own codes.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace platform {

namespace err {
inline constexpr int invalid_call = 5;            // llamada a procedimiento no valida
inline constexpr int overflow = 6;                // desbordamiento
inline constexpr int out_of_memory = 7;           // memoria insuficiente
inline constexpr int subscript = 9;               // subindice fuera del intervalo
inline constexpr int division_by_zero = 11;       // division por cero
inline constexpr int type_mismatch = 13;          // no coinciden los tipos
inline constexpr int bad_file_name = 52;          // nombre o numero de archivo incorrecto
inline constexpr int file_not_found = 53;         // archivo no encontrado
inline constexpr int file_already_open = 55;      // archivo ya abierto
inline constexpr int device_io = 57;              // error de E/S
inline constexpr int file_exists = 58;            // el archivo ya existe
inline constexpr int disk_full = 61;              // disco lleno
inline constexpr int past_end = 62;               // la entrada pasa del final del archivo
inline constexpr int too_many_files = 67;         // demasiados archivos
inline constexpr int device_unavailable = 68;     // dispositivo no disponible
inline constexpr int permission_denied = 70;      // permiso denegado
inline constexpr int disk_not_ready = 71;         // el disco no esta listo
inline constexpr int rename_across_devices = 74;  // cambiar el nombre con otra unidad
inline constexpr int path_access = 75;            // error de acceso a ruta o archivo
inline constexpr int path_not_found = 76;         // no se encontro la ruta
inline constexpr int cannot_create_object = 429;  // no se puede crear el objeto
inline constexpr int no_such_member = 438;        // el objeto no acepta la propiedad o metodo
inline constexpr int key_present = 457;           // la clave ya esta asociada
}  // namespace err

// The Spanish description of an error number (UTF-8), "Error definido por la
// aplicación o el objeto" for a number outside the set.
std::string_view error_description(int number);

// The error number of an operating-system error (errno value or
// std::error_code of the generic/system category). Unlisted errors, and codes
// of other categories, give 57; no error (0, an empty error_code) gives 0.
// ENOENT cannot tell a missing file from a missing folder on the way and gives
// 53; a caller that knows the folder is missing reports 76.
int error_number(int errno_value);
int error_number(const std::error_code& ec);

// An error as the programs report it: number and description.
struct RuntimeError {
    int number = 0;
    std::string description;  // UTF-8
    static RuntimeError from(int number);
    static RuntimeError from(const std::error_code& ec);
};

}  // namespace platform
