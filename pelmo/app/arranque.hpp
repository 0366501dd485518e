// Pelmo's start-up: the single-copy check first, before any file is touched,
// then the windows and the editor's start procedure.
#pragma once

#include <filesystem>
#include <memory>

#include "pelmo/editor.hpp"
#include "vista.hpp"

namespace platform {
class MessagePort;
}

namespace pelmo {

struct Programa {
    std::unique_ptr<Vista> vista;
    std::unique_ptr<Editor> editor;
    ~Programa();
};

// Runs the start-up. `otra_copia` tells whether another copy of the program
// was running when this one started: it shows the message and ends before
// reading or writing anything. Nothing (the program ends now) after that
// message or a start-up failure; otherwise the running editor.
std::unique_ptr<Programa> Arrancar(const std::filesystem::path& install,
                                   platform::MessagePort& port, bool otra_copia);

}  // namespace pelmo
