#include "orvex/externos.hpp"

#include <system_error>

#include "platform/paths.hpp"

namespace orvex {

bool Abrir_Hoja(platform::MessagePort& port, const std::filesystem::path& path) {
    std::filesystem::path archivo = platform::resolve(path);
    std::error_code ec;
    if (!std::filesystem::exists(archivo, ec)) return false;
    return port.open_document(archivo);
}

bool Mostrar_Texto(platform::MessagePort& port, const std::filesystem::path& path) {
    return port.show_text_file(path);
}

}  // namespace orvex
