#include "platform/errors.hpp"

#include <cerrno>

namespace platform {

namespace {

struct Entry {
    int number;
    std::string_view text;
};

constexpr Entry kDescriptions[] = {
    {err::invalid_call, "Llamada a procedimiento o argumento no válido"},
    {err::overflow, "Desbordamiento"},
    {err::out_of_memory, "Memoria insuficiente"},
    {err::subscript, "Subíndice fuera del intervalo"},
    {err::division_by_zero, "División por cero"},
    {err::type_mismatch, "No coinciden los tipos"},
    {err::bad_file_name, "Nombre o número de archivo incorrecto"},
    {err::file_not_found, "No se ha encontrado el archivo"},
    {err::file_already_open, "El archivo ya está abierto"},
    {err::device_io, "Error de E/S en el dispositivo"},
    {err::file_exists, "El archivo ya existe"},
    {err::disk_full, "Disco lleno"},
    {err::past_end, "La entrada pasa del final del archivo"},
    {err::too_many_files, "Demasiados archivos"},
    {err::device_unavailable, "Dispositivo no disponible"},
    {err::permission_denied, "Permiso denegado"},
    {err::disk_not_ready, "El disco no está listo"},
    {err::rename_across_devices, "No se puede cambiar el nombre con una unidad de disco diferente"},
    {err::path_access, "Error de acceso a la ruta o el archivo"},
    {err::path_not_found, "No se ha encontrado la ruta de acceso"},
    {err::cannot_create_object, "No se puede crear el objeto"},
    {err::no_such_member, "El objeto no acepta esta propiedad o método"},
    {err::key_present, "Esta clave ya está asociada con un elemento de esta colección"},
};

constexpr std::string_view kUndefined = "Error definido por la aplicación o el objeto";

}  // namespace

std::string_view error_description(int number) {
    for (const Entry& e : kDescriptions) {
        if (e.number == number) return e.text;
    }
    return kUndefined;
}

int error_number(int errno_value) {
    switch (errno_value) {
        case 0:
            return 0;
        case ENOENT:
            return err::file_not_found;
        case ENOTDIR:
            return err::path_not_found;
        case EACCES:
        case EPERM:
        case EROFS:
        case EBUSY:
        case ETXTBSY:
        case EAGAIN:  // a lock held by another process
            return err::permission_denied;
        case EEXIST:
            return err::file_exists;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return err::disk_full;
        case EISDIR:
        case ENOTEMPTY:
        case ENAMETOOLONG:
        case ELOOP:
            return err::path_access;
        case EXDEV:
            return err::rename_across_devices;
        case EMFILE:
        case ENFILE:
            return err::too_many_files;
        case EBADF:
            return err::bad_file_name;
        case ENXIO:
        case ENODEV:
            return err::device_unavailable;
        case ENOMEM:
            return err::out_of_memory;
        case EINVAL:
            return err::invalid_call;
        default:
            return err::device_io;
    }
}

int error_number(const std::error_code& ec) {
    if (!ec) return 0;
    if (ec.category() == std::generic_category() || ec.category() == std::system_category()) {
        return error_number(ec.value());
    }
    return err::device_io;
}

RuntimeError RuntimeError::from(int number) {
    return RuntimeError{number, std::string(error_description(number))};
}

RuntimeError RuntimeError::from(const std::error_code& ec) {
    return from(error_number(ec));
}

}  // namespace platform
