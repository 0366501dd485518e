#include "arranque.hpp"

#include <QApplication>

#include "components/component.hpp"
#include "platform/qt_port.hpp"

namespace pelmo {

Programa::~Programa() {
    components::set_event_pump({});
}

std::unique_ptr<Programa> Arrancar(const std::filesystem::path& install,
                                   platform::MessagePort& port, bool otra_copia) {
    if (otra_copia) {
        port.message("Este programa ya se encuentra en ejecución  !!",
                     "Editor - Declaraciones Juradas Anuales");
        return nullptr;
    }
    auto p = std::make_unique<Programa>();
    p->vista = std::make_unique<Vista>();
    if (auto* qt = dynamic_cast<platform::QtPort*>(&port)) qt->set_parent(p->vista->marco());
    p->editor = std::make_unique<Editor>(install, port, *p->vista);
    p->vista->enlazar(*p->editor);
    Vista* vista = p->vista.get();
    components::set_event_pump([vista] { vista->eventos(); });
    const bool ok = p->editor->Main();
    if (!ok) {
        components::set_event_pump({});
        return nullptr;
    }
    p->vista->refrescar();
    return p;
}

}  // namespace pelmo
