// Orvex's start-up: the frame, then the generator window shown modally over
// it, then (unless "Salir" ended the program) the single-copy check.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>

namespace platform {
class MessagePort;
}

namespace orvex {

class Generador;
class GeneradorView;

// The frame window MDIForm1: empty, no controls, no menu.
class Marco : public QWidget {
  public:
    Marco();
};

// Runs the start-up sequence. `otra_copia` tells whether another copy was
// already running when this one started. `al_mostrar` (may be empty) runs once
// the generator window is up (tests drive it from there). Returns true when
// the program should go on with the empty frame, false when it ends now.
bool Arrancar(Marco& marco, const std::filesystem::path& install, platform::MessagePort& port,
              bool otra_copia,
              const std::function<void(GeneradorView&, Generador&)>& al_mostrar = {});

}  // namespace orvex
