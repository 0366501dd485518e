#include "arranque.hpp"

#include <QApplication>
#include <QTimer>

#include "generador_view.hpp"
#include "orvex/generador.hpp"
#include "platform/messages.hpp"

namespace orvex {

namespace {
// Frame geometry in twips, shown at 15 twips per (logical) pixel.
constexpr int kTwipsPorPixel = 15;
constexpr int kAncho = 16850, kAlto = 12440;
}  // namespace

Marco::Marco() {
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Herramienta para Revisar Declaraciones ZO2018. (V.1.6)"));
    resize(kAncho / kTwipsPorPixel, kAlto / kTwipsPorPixel);
    move(0, 0);
}

bool Arrancar(Marco& marco, const std::filesystem::path& install, platform::MessagePort& port,
              bool otra_copia, const std::function<void(GeneradorView&, Generador&)>& al_mostrar) {
    marco.setWindowState(Qt::WindowNoState);
    marco.move(0, 0);
    marco.show();
    QCoreApplication::processEvents();

    Generador logica(install, port);
    GeneradorView ventana(logica, &marco);
    logica.Load();
    ventana.refrescar();
    // Over the middle of the frame.
    ventana.move(marco.geometry().center() - ventana.rect().center());
    if (al_mostrar) QTimer::singleShot(0, &ventana, [&] { al_mostrar(ventana, logica); });
    ventana.exec();
    if (logica.salir) return false;  // "Salir" ends the program at once

    QCoreApplication::processEvents();
    if (otra_copia) {
        port.message("Este programa ya se encuentra en ejecución  !!",
                     "Editor - Declaraciones Juradas Anuales");
        return false;
    }
    return true;
}

}  // namespace orvex
