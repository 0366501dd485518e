// Run-time error numbers with Spanish descriptions, as the programs show them
// ("error number: description"). The numbers are a stable set, independent of
// the operating system's own codes.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace platform {

namespace err {
inline constexpr int invalid_call = 5;         // llamada a procedimiento no valida
inline constexpr int overflow = 6;             // desbordamiento
inline constexpr int type_mismatch = 13;       // no coinciden los tipos
inline constexpr int file_not_found = 53;      // archivo no encontrado
inline constexpr int file_already_open = 55;   // archivo ya abierto
inline constexpr int device_io = 57;           // error de E/S
inline constexpr int file_exists = 58;         // el archivo ya existe
inline constexpr int disk_full = 61;           // disco lleno
inline constexpr int permission_denied = 70;   // permiso denegado
inline constexpr int path_access = 75;         // error de acceso a ruta o archivo
inline constexpr int path_not_found = 76;      // no se encontro la ruta
inline constexpr int key_present = 457;        // la clave ya esta asociada
}  // namespace err

// The Spanish description of an error number (UTF-8), "Error definido por la
// aplicación o el objeto" for a number outside the set.
std::string_view error_description(int number);

// The error number of an operating-system error (errno value or
// std::error_code of the generic/system category). Unlisted errors give 57.
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
