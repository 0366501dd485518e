// pelmo-capturas: pictures of the editor's windows for the documentation and
// for a look at the layout. It starts the editor on an install tree, grabs the
// screen as the start-up leaves it (the validator's findings listed, their
// fields and lines coloured), then with the frame maximised (the three windows
// tiled, every section in view), with a donor line being typed, after a click
// on the last finding of the error list (its line shown first), and with the
// colour legend open.
//
//   pelmo-capturas --install DIR --salida DIR
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <string>

#include "arranque.hpp"
#include "platform/qt_port.hpp"
#include "platform/screen_grab.hpp"

namespace {

QString salida;

void capturar(const char* nombre) {
    static platform::ScreenGrabber pantalla(salida, QStringLiteral("pelmo-"),
                                            QStringLiteral("pelmo-capturas"));
    pantalla.grab(nombre);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string install;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string opcion = argv[i];
        if (opcion == "--install")
            install = argv[i + 1];
        else if (opcion == "--salida")
            salida = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (install.empty() || salida.isEmpty()) {
        std::fprintf(stderr, "uso: pelmo-capturas --install CARPETA --salida CARPETA\n");
        return 2;
    }
    platform::QtPort port;
    auto programa = pelmo::Arrancar(install, port, false);
    if (!programa) return 1;
    pelmo::Vista& v = *programa->vista;
    QTimer::singleShot(1500, [&v] {
        capturar("inicio");
        v.marco()->showMaximized();
        QTimer::singleShot(1500, [&v] {
            capturar("maximizado");
            if (auto* celda = qobject_cast<QLineEdit*>(v.widget({pelmo::Campo::Cajas, 13}))) {
                celda->setFocus();
                celda->selectAll();
                for (QChar c : QStringLiteral("9876543")) {  // typed as the user would
                    QKeyEvent tecla(QEvent::KeyPress, Qt::Key_0 + (c.unicode() - '0'),
                                    Qt::NoModifier, QString(c));
                    QApplication::sendEvent(celda, &tecla);
                }
            }
            QTimer::singleShot(800, [&v] {
                capturar("linea");
                if (auto* lista = v.errores()->findChild<QListWidget*>(QStringLiteral("List1"));
                    lista && lista->count() > 0) {
                    QListWidgetItem* ultimo = lista->item(lista->count() - 1);
                    lista->setCurrentItem(ultimo);
                    emit lista->itemClicked(ultimo);
                }
                QTimer::singleShot(800, [&v] {
                    capturar("hallazgo");
                    if (auto* b =
                            v.botones()->findChild<QToolButton*>(QStringLiteral("cmdLeyenda")))
                        b->click();
                    QTimer::singleShot(800, [] {
                        capturar("leyenda");
                        QCoreApplication::exit(0);
                    });
                });
            });
        });
    });
    return app.exec();
}
