#include "platform/errors.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <ios>
#include <string>
#include <vector>

namespace {

TEST(Errors, SpanishDescriptions) {
    const std::vector<std::pair<int, std::string>> cases = {
        {5, "Llamada a procedimiento o argumento no válido"},
        {6, "Desbordamiento"},
        {13, "No coinciden los tipos"},
        {53, "No se ha encontrado el archivo"},
        {55, "El archivo ya está abierto"},
        {57, "Error de E/S en el dispositivo"},
        {58, "El archivo ya existe"},
        {61, "Disco lleno"},
        {70, "Permiso denegado"},
        {75, "Error de acceso a la ruta o el archivo"},
        {76, "No se ha encontrado la ruta de acceso"},
        {429, "No se puede crear el objeto"},
        {457, "Esta clave ya está asociada con un elemento de esta colección"},
        {0, "Error definido por la aplicación o el objeto"},
        {1000, "Error definido por la aplicación o el objeto"},
        {-1, "Error definido por la aplicación o el objeto"},
    };
    for (const auto& [number, text] : cases) {
        EXPECT_EQ(platform::error_description(number), text) << number;
    }
}

TEST(Errors, OperatingSystemErrorsMapToStableNumbers) {
    namespace err = platform::err;
    const std::vector<std::pair<int, int>> cases = {
        {0, 0},
        {ENOENT, err::file_not_found},
        {ENOTDIR, err::path_not_found},
        {EACCES, err::permission_denied},
        {EPERM, err::permission_denied},
        {EROFS, err::permission_denied},
        {EBUSY, err::permission_denied},
        {EEXIST, err::file_exists},
        {ENOSPC, err::disk_full},
        {EDQUOT, err::disk_full},
        {EISDIR, err::path_access},
        {ENAMETOOLONG, err::path_access},
        {EMFILE, err::too_many_files},
        {ENFILE, err::too_many_files},
        {EIO, err::device_io},
        {ENOMEM, err::out_of_memory},
        {EXDEV, err::rename_across_devices},
        {EPIPE, err::device_io},  // unlisted
        {99999, err::device_io},
    };
    for (const auto& [e, number] : cases) {
        EXPECT_EQ(platform::error_number(e), number) << "errno " << e;
        EXPECT_EQ(platform::error_number(std::error_code(e, std::generic_category())), number);
        EXPECT_EQ(platform::error_number(std::error_code(e, std::system_category())), number);
    }
}

TEST(Errors, ErrorCodesOfOtherCategoriesAreDeviceErrors) {
    // The value 1 is EPERM in the system categories but means something else here.
    std::error_code ec = std::make_error_code(std::io_errc::stream);
    ASSERT_EQ(ec.value(), EPERM);
    EXPECT_EQ(platform::error_number(ec), platform::err::device_io);
}

TEST(Errors, RuntimeErrorCarriesNumberAndDescription) {
    platform::RuntimeError a = platform::RuntimeError::from(platform::err::key_present);
    EXPECT_EQ(a.number, 457);
    EXPECT_EQ(a.description, "Esta clave ya está asociada con un elemento de esta colección");

    platform::RuntimeError b =
        platform::RuntimeError::from(std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_EQ(b.number, 53);
    EXPECT_EQ(b.description, "No se ha encontrado el archivo");

    platform::RuntimeError c =
        platform::RuntimeError::from(std::make_error_code(std::errc::no_space_on_device));
    EXPECT_EQ(c.number, 61);
    EXPECT_EQ(c.description, "Disco lleno");
}

}  // namespace
