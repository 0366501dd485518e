// Outside programs that Orvex hands work to: the text viewer and the desktop's
// document opener, both through the message port.
#pragma once

#include <filesystem>

#include "platform/messages.hpp"

namespace orvex {

// Opens a workbook for the user with the desktop's application, not waited for.
// A missing file opens nothing.
bool Abrir_Hoja(platform::MessagePort& port, const std::filesystem::path& path);

// Shows a text file in the viewer and returns when the user has closed it.
bool Mostrar_Texto(platform::MessagePort& port, const std::filesystem::path& path);

}  // namespace orvex
