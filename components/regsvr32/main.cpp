// regsvr32 [/s] [/u] LIBRARY: registers the classes of a component library
// (with /u removes them) in the per-user registration file. Without /s it
// reports the outcome as a message: success on standard output, failure on
// standard error. Options may be written in either letter case.
//
// Exit status: 0 done, 1 wrong arguments, 3 the library could not be loaded,
// 4 it lacks the register or unregister entry point, 5 the entry point failed.
#include <iostream>
#include <string>
#include <string_view>

#include "components/component.hpp"
#include "platform/messages.hpp"

namespace components = components;

int main(int argc, char** argv) {
    bool silent = false, unregister = false;
    std::string library;
    int libraries = 0;
    bool bad = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a.size() == 2 && a[0] == '/') {
            if (a[1] == 's' || a[1] == 'S')
                silent = true;
            else if (a[1] == 'u' || a[1] == 'U')
                unregister = true;
            else
                bad = true;
        } else {
            library = a;
            ++libraries;
        }
    }
    const std::string title = "regsvr32";
    if (bad || libraries != 1) {
        if (!silent) {
            platform::ConsolePort err(std::cerr);
            err.message("Uso: regsvr32 [/s] [/u] BIBLIOTECA", title, platform::Buttons::ok,
                        platform::Icon::critical);
        }
        return 1;
    }

    components::LibraryResult r = components::register_library(library, unregister);
    using Stage = components::LibraryResult::Stage;
    if (r.stage == Stage::done) {
        if (!silent) {
            platform::ConsolePort out(std::cout);
            out.message(unregister ? "Se quitó el registro de " + library + " correctamente."
                                   : "Se registró " + library + " correctamente.",
                        title, platform::Buttons::ok, platform::Icon::information);
        }
        return 0;
    }
    if (!silent) {
        platform::ConsolePort err(std::cerr);
        err.message((unregister ? "No se pudo quitar el registro de " : "No se pudo registrar ") +
                        library + ": " + r.error.description,
                    title, platform::Buttons::ok, platform::Icon::critical);
    }
    switch (r.stage) {
        case Stage::load_failed:
            return 3;
        case Stage::no_entry_point:
            return 4;
        default:
            return 5;
    }
}
