// orvex-capturas: saves pictures of Orvex's windows for the documentation and
// for a look at the layout. It starts the frame and the generator window on an
// install tree, drives them as a user would (a form, a tax year, a declaration
// file, a review with errors) and grabs the screen at each step.
//
//   orvex-capturas --install DIR --declaracion FILE --salida DIR
#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <string>

#include "arranque.hpp"
#include "generador_view.hpp"
#include "platform/qt_port.hpp"
#include "platform/screen_grab.hpp"

namespace {

// The real dialogs, except the file picker, which answers with the given file.
class PuertoCapturas final : public platform::MessagePort {
  public:
    PuertoCapturas(QWidget* parent, std::filesystem::path archivo)
        : real_(parent), archivo_(std::move(archivo)) {}
    platform::Answer message(const std::string& t, const std::string& ti, platform::Buttons b,
                             platform::Icon i) override {
        return real_.message(t, ti, b, i);
    }
    std::optional<std::filesystem::path> pick_file(const platform::FilePick&) override {
        return archivo_;
    }
    bool show_text_file(const std::filesystem::path& f) override { return real_.show_text_file(f); }
    bool open_document(const std::filesystem::path&) override { return false; }

  private:
    platform::QtPort real_;
    std::filesystem::path archivo_;
};

QString salida;

void capturar(const char* nombre) {
    static platform::ScreenGrabber pantalla(salida, QStringLiteral(""),
                                            QStringLiteral("orvex-capturas"));
    pantalla.grab(nombre);
}

// Grabs and closes the next modal window that opens (a message box, the viewer).
void al_abrirse(const char* nombre) {
    QTimer::singleShot(400, [nombre] {
        QWidget* modal = QApplication::activeModalWidget();
        capturar(nombre);
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->accept();
        else if (auto* d = qobject_cast<QDialog*>(modal))
            d->accept();
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string install, declaracion;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string opcion = argv[i];
        if (opcion == "--install")
            install = argv[i + 1];
        else if (opcion == "--declaracion")
            declaracion = argv[i + 1];
        else if (opcion == "--salida")
            salida = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (install.empty() || declaracion.empty() || salida.isEmpty()) {
        std::fprintf(
            stderr,
            "uso: orvex-capturas --install CARPETA --declaracion ARCHIVO --salida CARPETA\n");
        return 2;
    }

    orvex::Marco marco;
    PuertoCapturas port(&marco, declaracion);
    orvex::Arrancar(marco, install, port, false, [&](orvex::GeneradorView& v, orvex::Generador&) {
        QTimer::singleShot(500, [&v] {
            capturar("inicio");
            auto* lista = v.findChild<QListWidget*>(QStringLiteral("ListDj"));
            auto elegidos = lista->findItems(QStringLiteral("1879,"), Qt::MatchStartsWith);
            if (!elegidos.isEmpty()) lista->setCurrentItem(elegidos.front());
            v.findChild<QPushButton*>(QStringLiteral("cmd_buscar"))->click();
            capturar("formulario-y-archivo");
            // The review with errors: its message box, then the report viewer.
            al_abrirse("mensaje-errores");
            QTimer::singleShot(1200, [] { al_abrirse("informe"); });
            v.findChild<QPushButton*>(QStringLiteral("Cmd_Generar"))->click();
            v.reject();
        });
    });
    return 0;
}
