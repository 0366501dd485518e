// The Qt windows of Orvex, run offscreen: the generator window bound to its
// logic, the start-up sequence and the report viewer.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

#include "../../support/temp_folder.hpp"
#include "arranque.hpp"
#include "generador_view.hpp"
#include "orvex/generador.hpp"
#include "platform/qt_port.hpp"
#include "scripted_port.hpp"
#include "test_env.hpp"

namespace fs = std::filesystem;
using testsupport::ScriptedPort;
using testsupport::TempFolder;

namespace {

fs::path source_dir() {
    return std::getenv("ORVEX_SOURCE_DIR");
}

// A demo install tree in a temporary drive, with 7-Zip and the stamp library.
struct Instalacion {
    TempFolder drive;
    fs::path install = drive / "Orvex18";
    Instalacion() {
        fs::copy(source_dir() / "demo/Orvex18", install, fs::copy_options::recursive);
        fs::create_symlink("/usr/bin/7zz", install / "7z");
        fs::copy_file(fs::path(std::getenv("ORVEX_BIN_DIR")) / "libsigmar32.so",
                      install / "libsigmar32.so");
    }
};

// A key pressed and released on a widget, as the keyboard would send it.
void tecla(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

template <class T>
T* hijo(QWidget& w, const char* nombre) {
    T* c = w.findChild<T*>(QString::fromLatin1(nombre));
    EXPECT_NE(c, nullptr) << nombre;
    return c;
}

}  // namespace

TEST(GeneradorQt, LoadsTheDemoCatalogueAndFollowsTheStateTable) {
    ScriptedPort port;
    orvex::Generador logica(source_dir() / "demo/Orvex18", port);
    orvex::GeneradorView ventana(logica);
    logica.Load();
    ventana.refrescar();

    auto* lista = hijo<QListWidget>(ventana, "ListDj");
    auto* anos = hijo<QComboBox>(ventana, "CmbAnot");
    auto* explorar = hijo<QPushButton>(ventana, "cmd_buscar");
    ASSERT_GT(lista->count(), 5);
    EXPECT_TRUE(lista->item(0)->text().contains(QChar(',')));
    EXPECT_EQ(anos->currentText(), QStringLiteral("2018"));
    EXPECT_FALSE(anos->isEnabled());
    EXPECT_FALSE(explorar->isEnabled());
    EXPECT_FALSE(hijo<QPushButton>(ventana, "Cmd_Generar")->isEnabled());
    EXPECT_EQ(explorar->text(), QStringLiteral("&Explorar"));
    EXPECT_EQ(hijo<QWidget>(ventana, "Frame8")->property("title").toString(),
              QStringLiteral("Seleccionar Año Tributario"));

    lista->setCurrentRow(0);
    EXPECT_TRUE(anos->isEnabled());
    EXPECT_TRUE(explorar->isEnabled());
    EXPECT_EQ(logica.lblglosaform, logica.ListDj[0]);
}

// No button is a default button: Enter in the path box or a list presses
// nothing (the typed path stays, no picker opens), and Esc does not close the
// window. With nothing chosen, the first Down chooses the first form.
TEST(GeneradorQt, EnterAndEscDoNothingAndDownChoosesTheFirstForm) {
    ScriptedPort port;
    port.picks.push_back(std::filesystem::path("/elegido/por/el/selector.txt"));
    orvex::Generador logica(source_dir() / "demo/Orvex18", port);
    orvex::GeneradorView ventana(logica);
    logica.Load();
    ventana.refrescar();
    ventana.show();
    QApplication::processEvents();

    auto* lista = hijo<QListWidget>(ventana, "ListDj");
    lista->setFocus();
    tecla(lista, Qt::Key_Down);
    EXPECT_EQ(lista->currentRow(), 0);
    EXPECT_EQ(logica.ListDj_indice, 0);
    tecla(lista, Qt::Key_Down);
    EXPECT_EQ(logica.ListDj_indice, 1);

    for (auto* b : ventana.findChildren<QPushButton*>()) {
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_FALSE(b->isDefault());
        EXPECT_FALSE(b->autoDefault());
    }

    auto* caja = hijo<QLineEdit>(ventana, "txt_archivo");
    caja->setFocus();
    caja->setText(QStringLiteral("/tmp/escrito.txt"));
    for (QWidget* w : std::initializer_list<QWidget*>{caja, lista}) {
        for (int k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) tecla(w, k);
    }
    QApplication::processEvents();
    EXPECT_TRUE(port.calls.empty());  // no picker, no message
    EXPECT_EQ(caja->text(), QStringLiteral("/tmp/escrito.txt"));
    EXPECT_TRUE(ventana.isVisible());
    EXPECT_EQ(ventana.result(), 0);
}

TEST(GeneradorQt, ReviewsTheDemoSamplesFromTheWindow) {
    Instalacion demo;
    ScriptedPort port;
    orvex::Generador logica(demo.install, port);
    orvex::GeneradorView ventana(logica);
    logica.Load();
    ventana.refrescar();

    auto* lista = hijo<QListWidget>(ventana, "ListDj");
    auto entradas = lista->findItems(QStringLiteral("1879,"), Qt::MatchStartsWith);
    ASSERT_EQ(entradas.size(), 1);
    lista->setCurrentItem(entradas[0]);

    // The faulty sample: the message, then the report in the viewer.
    port.picks = {source_dir() / "demo/samples/F1879_con_errores.txt"};
    hijo<QPushButton>(ventana, "cmd_buscar")->click();
    auto* generar = hijo<QPushButton>(ventana, "Cmd_Generar");
    ASSERT_TRUE(generar->isEnabled());
    generar->click();
    ASSERT_GE(port.calls.size(), 3u);
    EXPECT_EQ(port.calls[1].title, "Archivo con Errores");
    EXPECT_EQ(port.calls[2].kind, ScriptedPort::Call::Kind::show_text_file);
    EXPECT_NE(port.calls[2].shown.find("TIPO DE PRESENTACION NO CORRESPONDE"), std::string::npos);
    EXPECT_EQ(logica.prueba, " ok");

    // The clean sample: no errors, upload file, stamp, archive, success message.
    port.calls.clear();
    port.picks = {source_dir() / "demo/samples/F1879_correcta.txt"};
    hijo<QPushButton>(ventana, "cmd_buscar")->click();
    generar->click();
    auto mensajes = port.messages();
    ASSERT_FALSE(mensajes.empty());
    EXPECT_EQ(mensajes.front().title, "Archivo sin Errores");
    EXPECT_EQ(mensajes.back().title, "Generador de Archivo");
    EXPECT_NE(
        mensajes.back().text.find("Se ha Generado el archivo Internet para el Formulario 1879"),
        std::string::npos);
    EXPECT_TRUE(fs::exists(demo.drive / "GEN_2018/zip/12345678.zip"));
}

TEST(GeneradorQt, SecondCopyIsToldOnlyAfterItsWindowIsClosed) {
    TempFolder t;
    struct Caso {
        bool otra_copia;
        bool por_salir;
        bool sigue;
        std::size_t mensajes;
    } casos[] = {
        {true, false, false, 1},  // close box: the message, then the end
        {true, true, false, 0},   // "Salir": ends without the message
        {false, false, true, 0},  // first copy: the empty frame stays
    };
    for (const auto& c : casos) {
        ScriptedPort port;
        orvex::Marco marco;
        std::size_t mensajes_con_ventana = 99;
        bool sigue = orvex::Arrancar(marco, t.path(), port, c.otra_copia,
                                     [&](orvex::GeneradorView& v, orvex::Generador&) {
                                         mensajes_con_ventana = port.messages().size();
                                         if (c.por_salir)
                                             hijo<QPushButton>(v, "CmdSalir")->click();
                                         else
                                             v.reject();  // the window's close box
                                     });
        EXPECT_EQ(mensajes_con_ventana, 0u);
        EXPECT_EQ(sigue, c.sigue);
        auto mensajes = port.messages();
        ASSERT_EQ(mensajes.size(), c.mensajes);
        if (c.mensajes) {
            EXPECT_EQ(mensajes[0].text, "Este programa ya se encuentra en ejecución  !!");
            EXPECT_EQ(mensajes[0].title, "Editor - Declaraciones Juradas Anuales");
            EXPECT_EQ(mensajes[0].buttons, platform::Buttons::ok);
            EXPECT_EQ(mensajes[0].icon, platform::Icon::none);
        }
        EXPECT_EQ(marco.pos(), QPoint(0, 0));
        EXPECT_EQ(marco.size(), QSize(1123, 829));
        EXPECT_EQ(marco.windowTitle(),
                  QStringLiteral("Herramienta para Revisar Declaraciones ZO2018. (V.1.6)"));
    }
}

TEST(GeneradorQt, ViewerShowsTheWindows1252FileInAFixedFont) {
    TempFolder t;
    auto p = t.write("errores.txt", "NUM.LINEA\r\n1       A\xD1O TRIBUTARIO NO CORRESPONDE\r\n");
    QString titulo, texto;
    bool fijo = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QStringLiteral("visor") || !w->isVisible()) continue;
            titulo = w->windowTitle();
            auto* edit = w->findChild<QPlainTextEdit*>(QStringLiteral("texto"));
            texto = edit->toPlainText();
            fijo = QFontInfo(edit->font()).fixedPitch();
            static_cast<QDialog*>(w)->accept();
        }
    });
    EXPECT_TRUE(platform::show_text_viewer(nullptr, p));
    EXPECT_EQ(titulo, QStringLiteral("errores.txt"));
    EXPECT_EQ(texto, QStringLiteral("NUM.LINEA\n1       AÑO TRIBUTARIO NO CORRESPONDE\n"));
    EXPECT_TRUE(fijo);
    EXPECT_FALSE(platform::show_text_viewer(nullptr, t / "none.txt"));
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testsupport::set_test_environment();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
