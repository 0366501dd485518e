// Setup's Qt windows, run offscreen: the program from frmMain to the end of
// an installation and back, through the widgets.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "../support/temp_folder.hpp"
#include "vistas.hpp"

namespace fs = std::filesystem;
using testsupport::TempFolder;

namespace {

template <class T>
T* hijo(QWidget* w, const char* nombre) {
    T* c = w ? w->findChild<T*>(QString::fromLatin1(nombre)) : nullptr;
    EXPECT_NE(c, nullptr) << nombre;
    return c;
}

}  // namespace

TEST(SetupQt, FromTheDriveChoiceThroughTheInstallation) {
    TempFolder t;
    fs::create_directories(t / "casa");
    fs::create_directories(t / "disco");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", (t / "casa").c_str(), 1);

    setup::Programa programa(t / "medio", {(t / "casa").string(), (t / "disco").string()},
                             {t / "casa/Escritorio", t / "casa/applications"});
    programa.iniciar();
    QWidget* principal = programa.principal();
    ASSERT_TRUE(principal && principal->isVisible());
    EXPECT_EQ(principal->windowTitle(),
              QString::fromUtf8("Instalador del Software Generador. ZO2018  (V.1.6)"));
    EXPECT_EQ(principal->size(), QSize(320, 140));
    auto* drive = hijo<QComboBox>(principal, "Drive1");
    ASSERT_EQ(drive->count(), 2);
    EXPECT_EQ(drive->currentIndex(), 0);

    // The second drive, then "Siguiente": frmInstalad replaces frmMain.
    drive->setCurrentIndex(1);
    emit drive->activated(1);
    hijo<QPushButton>(principal, "cmdSiguiente")->click();
    QWidget* instalacion = programa.instalacion();
    ASSERT_TRUE(instalacion && instalacion->isVisible());
    EXPECT_FALSE(principal->isVisible());
    EXPECT_EQ(hijo<QLabel>(instalacion, "lblDireccion")->toolTip(),
              QString::fromStdString((t / "disco").string() + "/Orvex18/*.*"));

    // "Volver" shows frmMain again with the drive chosen before.
    hijo<QPushButton>(instalacion, "cmdVolver")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(principal->isVisible());
    EXPECT_EQ(programa.instalacion(), nullptr);
    EXPECT_EQ(drive->currentIndex(), 1);

    // Again, and the installation: only "Salir" is left.
    hijo<QPushButton>(principal, "cmdSiguiente")->click();
    instalacion = programa.instalacion();
    ASSERT_NE(instalacion, nullptr);
    hijo<QPushButton>(instalacion, "cmdInstalar")->click();
    EXPECT_EQ(hijo<QLabel>(instalacion, "lblEstado")->text(),
              QString::fromUtf8(
                  "Instalación terminada, con un Icono en su escritorio bajo el texto Orvex18."));
    EXPECT_FALSE(hijo<QPushButton>(instalacion, "cmdInstalar")->isEnabled());
    EXPECT_FALSE(hijo<QPushButton>(instalacion, "cmdVolver")->isEnabled());
    EXPECT_TRUE(hijo<QPushButton>(instalacion, "cmdSalir")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(fs::is_directory(t / "disco/Orvex18/Forms/1805"));
    EXPECT_TRUE(fs::exists(t / "casa/applications/Orvex 2018.desktop"));

    ::setenv("HOME", home.c_str(), 1);
}

int main(int argc, char** argv) {
    // No display is needed, whoever lists or runs the tests.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
