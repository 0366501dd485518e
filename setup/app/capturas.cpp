// setup-capturas: saves pictures of Setup's two windows for the documentation
// and for a look at the layout. The drive DIR stands in for the user's home
// folder (and holds the desktop, the menu folder and the component
// registration), so nothing is written outside it. It shows frmMain, presses
// "Siguiente", then "Instalar", and grabs the screen at each step.
//
//   setup-capturas --setup SETUP_FOLDER --unidad DIR --salida DIR
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/screen_grab.hpp"
#include "setup/instalacion.hpp"
#include "setup/unidades.hpp"
#include "vistas.hpp"

namespace {

QString salida;

void capturar(const char* nombre) {
    static platform::ScreenGrabber pantalla(salida, QStringLiteral("setup-"),
                                            QStringLiteral("setup-capturas"));
    pantalla.grab(nombre);
}

void pulsar(QWidget* ventana, const char* boton) {
    if (!ventana) return;
    if (auto* b = ventana->findChild<QPushButton*>(QString::fromLatin1(boton))) b->click();
}

}  // namespace

int main(int argc, char** argv) {
    std::string carpeta_setup, unidad;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string opcion = argv[i];
        if (opcion == "--setup")
            carpeta_setup = argv[i + 1];
        else if (opcion == "--unidad")
            unidad = argv[i + 1];
        else if (opcion == "--salida")
            salida = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (carpeta_setup.empty() || unidad.empty() || salida.isEmpty()) {
        std::fprintf(stderr,
                     "Uso: setup-capturas --setup CARPETA --unidad CARPETA --salida CARPETA\n");
        return 1;
    }
    std::filesystem::create_directories(std::filesystem::path(unidad) / "Escritorio");
    ::setenv("HOME", unidad.c_str(), 1);
    ::setenv("XDG_DESKTOP_DIR", (unidad + "/Escritorio").c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("ORVEX_COMPONENTS", (unidad + "/components").c_str(), 1);

    QApplication app(argc, argv);
    setup::Programa programa(carpeta_setup, setup::Lista_Unidades(), setup::Carpetas_Usuario());
    programa.iniciar();
    QTimer::singleShot(800, [&] {
        capturar("frmMain");
        pulsar(programa.principal(), "cmdSiguiente");
        QTimer::singleShot(800, [&] {
            capturar("frmInstalad");
            pulsar(programa.instalacion(), "cmdInstalar");
            QTimer::singleShot(800, [&] {
                capturar("frmInstalad-terminada");
                QCoreApplication::exit(0);
            });
        });
    });
    return app.exec();
}
