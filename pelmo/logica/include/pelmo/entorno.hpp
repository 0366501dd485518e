// What every window logic of the editor reaches: the install folder, the
// message port, the screen, and the focus, which the editor moves (running the
// LostFocus and GotFocus events of the two controls).
#pragma once

#include <filesystem>
#include <functional>

#include "pelmo/comun.hpp"
#include "platform/messages.hpp"

namespace pelmo {

struct Entorno {
    std::filesystem::path install;
    platform::MessagePort& port;
    Pantalla& pantalla;
    std::function<void(Foco)> enfocar;
};

}  // namespace pelmo
