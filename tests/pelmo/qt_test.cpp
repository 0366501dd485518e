// The editor's Qt windows, run offscreen on a copy of the demo tree: the
// start-up as the user sees it, the fields' keys through real key events, the
// resize rule, the refused close, the single-copy check, and the program
// itself started twice.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "arranque.hpp"
#include "prueba.hpp"
#include "scripted_port.hpp"
#include "test_env.hpp"

extern char** environ;

namespace pelmo {
namespace {

namespace fs = std::filesystem;
using testsupport::read_file;

fs::path fuente() {
    return fs::path(std::getenv("ORVEX_SOURCE_DIR"));
}
fs::path binarios() {
    return fs::path(std::getenv("ORVEX_BIN_DIR"));
}

// The demo install tree in a temporary drive, Kvario registered privately.
struct Demo : prueba::Instalacion {
    Demo() {
        fs::remove_all(install);
        fs::copy(fuente() / "demo/Orvex18", install, fs::copy_options::recursive);
        fs::copy_file(binarios() / "Vexal", install / "Vexal");
    }
    fs::path dmp() const { return install / "Forms/1832/76123456.DMP"; }
};

template <class T>
T* hijo(QWidget* w, const char* nombre) {
    T* c = w->findChild<T*>(QString::fromLatin1(nombre));
    EXPECT_NE(c, nullptr) << nombre;
    return c;
}

QLineEdit* caja(Vista& v, Foco f) {
    return qobject_cast<QLineEdit*>(v.widget(f));
}

TEST(PelmoQt, StartsOnTheDemoTreeWithEverySectionInPlace) {
    Demo d;
    testsupport::ScriptedPort port;
    auto p = Arrancar(d.install, port, false);
    ASSERT_TRUE(p);
    EXPECT_TRUE(port.calls.empty());
    Vista& v = *p->vista;
    EXPECT_EQ(v.marco()->windowTitle(),
              QStringLiteral("F1832 - DECLARANTE: 76.123.456-3 FUNDACIÓN ARAUCARIA DEL SUR"));
    EXPECT_EQ(caja(v, {Campo::txtRutDeclarante})->text(), QStringLiteral("76123456"));
    EXPECT_TRUE(caja(v, {Campo::txtRutDeclarante})->isReadOnly());
    EXPECT_EQ(hijo<QComboBox>(v.marco(), "cmbComuna")->currentText(),
              QStringLiteral("PROVIDENCIA"));
    EXPECT_EQ(hijo<QComboBox>(v.marco(), "cmbComuna")->itemText(0),
              QStringLiteral("(Seleccione Valor)"));
    EXPECT_EQ(hijo<QLabel>(v.marco(), "lblFolio")->text(), QStringLiteral("8076102"));
    EXPECT_EQ(caja(v, {Campo::Cajas, 1})->text(), QStringLiteral("9.876.543"));
    EXPECT_EQ(caja(v, {Campo::Cajas, 5})->text(), QStringLiteral("15-03-2013"));
    EXPECT_EQ(caja(v, {Campo::Totales, 1})->text(), QStringLiteral("17.430.000"));
    EXPECT_EQ(caja(v, {Campo::txtRutRepresentanteLegal})->text(), QStringLiteral("10.987.654"));
    EXPECT_FALSE(hijo<QLineEdit>(v.marco(), "txtOriginal")->isEnabled());
    EXPECT_EQ(hijo<QLineEdit>(v.marco(), "txtOriginal")->text(), QStringLiteral("X"));

    // The child windows at their places (twips / 15), the satellites beside.
    struct Lugar {
        const char* nombre;
        QRect r;
    };
    for (const Lugar& l : {Lugar{"frmHeader1832_ventana", {0, 0, 891, 249}},
                           Lugar{"frmInformados_ventana", {0, 256, 769, 133}},
                           Lugar{"frmTotales_ventana", {0, 395, 804, 121}},
                           Lugar{"frmRutRepresentateLegal_ventana", {0, 533, 273, 72}},
                           Lugar{"frmRelleno_ventana", {1000, 605, 312, 229}}}) {
        auto* sub = hijo<QMdiSubWindow>(v.marco(), l.nombre);
        EXPECT_EQ(sub->geometry().translated(v.area()->horizontalScrollBar()->value(),
                                             v.area()->verticalScrollBar()->value()),
                  l.r)
            << l.nombre;
        EXPECT_TRUE(sub->isVisible()) << l.nombre;
    }
    EXPECT_EQ(v.marco()->frameGeometry(), QRect(0, 0, 723, 476));
    EXPECT_EQ(v.botones()->frameGeometry().topLeft(), QPoint(723, 0));
    EXPECT_EQ(v.errores()->frameGeometry().topLeft(), QPoint(0, 476));
    // The demo validator's findings: three donor lines, the first one shown
    // marked, and the number of cases typed short.
    auto* lista = hijo<QListWidget>(v.errores(), "List1");
    ASSERT_EQ(lista->count(), 4);
    EXPECT_TRUE(lista->item(3)->text().startsWith(QStringLiteral(" H020c  ")))
        << lista->item(3)->text().toStdString();
    EXPECT_EQ(caja(v, {Campo::Totales, 2})->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(caja(v, {Campo::Totales, 1})->palette().color(QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(lista->item(1)->text(),
              QStringLiteral(" H017   Línea 3, el dígito verificador no corresponde al RUT del "
                             "donante"));
    EXPECT_EQ(caja(v, {Campo::Cajas, 1})->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(caja(v, {Campo::Cajas, 7})->palette().color(QPalette::Base), QColor(255, 255, 255));
    // A click on a finding shows its line first.
    lista->scrollToItem(lista->item(1));
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {},
                      lista->visualItemRect(lista->item(1)).center());
    EXPECT_EQ(hijo<QLineEdit>(v.marco(), "TXTINDICE_0")->text(), QStringLiteral("3"));
    EXPECT_EQ(caja(v, {Campo::Cajas, 1})->palette().color(QPalette::Base), QColor(255, 255, 0));

    // The colour legend: three rows shown, two hidden; the frame and the bar
    // wait for "Regresar", the error window does not.
    hijo<QToolButton>(v.botones(), "cmdLeyenda")->click();
    QDialog* leyenda = v.leyenda();
    ASSERT_TRUE(leyenda->isVisible());
    EXPECT_EQ(leyenda->windowTitle(),
              QStringLiteral("Declaraciones Juradas Anuales, Leyenda de Colores"));
    EXPECT_FALSE(v.area()->isEnabled());
    EXPECT_FALSE(v.botones()->isEnabled());
    EXPECT_TRUE(v.errores()->isEnabled());
    QStringList filas;
    for (int i = 0; i < 5; ++i) {
        auto* l = hijo<QLabel>(leyenda, qPrintable(QStringLiteral("Descripcion%1").arg(i)));
        if (l && l->isVisible()) filas << l->text();
    }
    EXPECT_EQ(filas, (QStringList{QStringLiteral("Error de llenado y/o cálculo"),
                                  QStringLiteral("Error, Código obligatorio"),
                                  QStringLiteral("Valor digitado por Usuario")}));
    hijo<QPushButton>(leyenda, "Regresar")->click();
    EXPECT_FALSE(leyenda->isVisible());
    EXPECT_TRUE(v.area()->isEnabled());
    EXPECT_TRUE(v.botones()->isEnabled());

    auto* validar = hijo<QToolButton>(v.botones(), "cmdValidar");
    EXPECT_EQ(validar->text(), QStringLiteral("&Validar"));
    EXPECT_EQ(validar->toolTip(),
              QStringLiteral("Valida consistencia aritmética y lógica tributaria"));
    EXPECT_FALSE(hijo<QToolButton>(v.botones(), "cmdCalcular")->isVisible());
    EXPECT_TRUE(hijo<QToolButton>(v.botones(), "Salir")->isVisible());

    // The close box does nothing.
    EXPECT_FALSE(v.marco()->close());
    EXPECT_TRUE(v.marco()->isVisible());
}

TEST(PelmoQt, KeysTypedInTheFieldsFollowTheirRules) {
    Demo d;
    testsupport::ScriptedPort port;
    auto p = Arrancar(d.install, port, false);
    ASSERT_TRUE(p);
    Vista& v = *p->vista;
    v.marco()->activateWindow();
    QApplication::setActiveWindow(v.marco());

    Editor& e = *p->editor;
    e.enfocar({Campo::txtNombreDeclarante});
    QLineEdit* nombre = caja(v, {Campo::txtNombreDeclarante});
    nombre->setText(QString());
    e.Change({Campo::txtNombreDeclarante}, "");
    QTest::keyClicks(nombre, QStringLiteral("ab&c'"));
    QKeyEvent enie(QEvent::KeyPress, Qt::Key_Ntilde, Qt::NoModifier, QStringLiteral("ñ"));
    QApplication::sendEvent(nombre, &enie);
    EXPECT_EQ(nombre->text(), QStringLiteral("ABCñ"));
    // Typing in the middle keeps the cursor where it is.
    nombre->setCursorPosition(1);
    QTest::keyClicks(nombre, QStringLiteral("xy"));
    EXPECT_EQ(nombre->text(), QStringLiteral("AXYBCñ"));
    nombre->setCursorPosition(1);
    nombre->cursorForward(true, 2);
    QTest::keyClick(nombre, Qt::Key_Z);  // replaces the selection
    EXPECT_EQ(nombre->text(), QStringLiteral("AZBCñ"));
    QTest::keyClick(nombre, Qt::Key_Return);
    EXPECT_EQ(e.foco, (Foco{Campo::txtDireccion}));
    EXPECT_EQ(nombre->text(), QStringLiteral("AZBCÑ"));
    EXPECT_TRUE(v.marco()->windowTitle().endsWith(QStringLiteral(" AZBCÑ")));

    e.enfocar({Campo::txtFax});
    QLineEdit* fax = caja(v, {Campo::txtFax});
    fax->clear();
    e.Change({Campo::txtFax}, "");
    QTest::keyClicks(fax, QStringLiteral("12-3x4"));
    EXPECT_EQ(fax->text(), QStringLiteral("1234"));

    // The grid: a check digit "k" becomes "K"; Enter moves on once the key timer allows.
    e.enfocar({Campo::Cajas, 2});
    QLineEdit* dv = caja(v, {Campo::Cajas, 2});
    dv->clear();
    e.Change({Campo::Cajas, 2}, "");
    QTest::keyClick(dv, Qt::Key_K);
    EXPECT_EQ(dv->text(), QStringLiteral("K"));
    QTest::qWait(300);
    QTest::keyClick(dv, Qt::Key_Return);
    EXPECT_EQ(e.foco, (Foco{Campo::Cajas, 3}));
}

TEST(PelmoQt, MaximisingTilesAndOtherSizesSnapBack) {
    Demo d;
    testsupport::ScriptedPort port;
    auto p = Arrancar(d.install, port, false);
    ASSERT_TRUE(p);
    Vista& v = *p->vista;
    v.marco()->resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(v.marco()->frameGeometry(), QRect(0, 0, 723, 476));

    v.marco()->showMaximized();
    QApplication::processEvents();
    const QRect pantalla = v.marco()->screen()->availableGeometry();
    const int ancho = pantalla.width() - 70, alto = pantalla.height() - 89;
    EXPECT_EQ(v.marco()->frameGeometry(), QRect(0, 0, ancho, alto));
    EXPECT_EQ(v.botones()->frameGeometry(), QRect(ancho, 0, 70, alto + 89));
    EXPECT_EQ(v.errores()->frameGeometry(), QRect(0, alto, ancho, 89));

    // Scrolling as the navigation keys would.
    v.marco()->resize(300, 200);
    QApplication::processEvents();
    QScrollBar* vertical = v.area()->verticalScrollBar();
    v.DesplazaVentana(tecla::av_pag);
    EXPECT_GT(vertical->value(), 0);
    v.DesplazaVentana(tecla::inicio);
    EXPECT_EQ(vertical->value(), 0);
}

TEST(PelmoQt, ASecondCopyShowsItsMessageBeforeTouchingAnyFile) {
    Demo d;
    testsupport::ScriptedPort port;
    auto p = Arrancar(d.install, port, true);
    EXPECT_FALSE(p);
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].text, "Este programa ya se encuentra en ejecución  !!");
    EXPECT_EQ(port.calls[0].title, "Editor - Declaraciones Juradas Anuales");
    EXPECT_EQ(port.calls[0].buttons, platform::Buttons::ok);
    EXPECT_FALSE(fs::exists(d.dmp()));
}

// The program started as a user would: a second start leaves the running
// copy's grid work file alone.
pid_t lanzar(const fs::path& programa) {
    pid_t pid = 0;
    const std::string ruta = programa.string();
    char* argv[] = {const_cast<char*>(ruta.c_str()), nullptr};
    EXPECT_EQ(posix_spawn(&pid, ruta.c_str(), nullptr, nullptr, argv, environ), 0);
    return pid;
}

bool sigue(pid_t pid) {
    int st = 0;
    return waitpid(pid, &st, WNOHANG) == 0;
}

void terminar(pid_t pid) {
    kill(pid, SIGTERM);
    int st = 0;
    waitpid(pid, &st, 0);
}

TEST(PelmoPrograma, SecondStartLeavesTheRunningEditorsFilesUntouched) {
    Demo d;
    for (const char* f : {"pelmo", "liborvex_components.so"})
        fs::copy_file(binarios() / f, d.install / f);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const pid_t primero = lanzar(d.install / "pelmo");
    // Ready once the grid work file holds the saved declaration's five lines.
    const auto hasta = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((!fs::exists(d.dmp()) || fs::file_size(d.dmp()) < 5 * 133) &&
           std::chrono::steady_clock::now() < hasta && sigue(primero))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(sigue(primero));
    const std::string antes = read_file(d.dmp());
    ASSERT_EQ(antes.size(), 5 * 133u);
    struct stat st_antes {};
    ::stat(d.dmp().c_str(), &st_antes);

    const pid_t segundo = lanzar(d.install / "pelmo");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    struct stat st_despues {};
    ::stat(d.dmp().c_str(), &st_despues);
    EXPECT_EQ(read_file(d.dmp()), antes);
    EXPECT_EQ(st_despues.st_mtim.tv_sec, st_antes.st_mtim.tv_sec);
    EXPECT_EQ(st_despues.st_mtim.tv_nsec, st_antes.st_mtim.tv_nsec);
    EXPECT_TRUE(sigue(primero));
    // The second copy waits on its message box (the text is checked above,
    // in-process); it neither ended by a failure nor touched a file.
    EXPECT_TRUE(sigue(segundo));
    if (sigue(segundo)) terminar(segundo);
    terminar(primero);
}

}  // namespace
}  // namespace pelmo

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testsupport::set_test_environment();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
