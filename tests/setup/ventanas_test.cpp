// The drive list, the drive checks and the two windows' logic, driven with a
// scripted message port.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../support/temp_folder.hpp"
#include "platform/messages.hpp"
#include "scripted_port.hpp"
#include "setup/unidades.hpp"
#include "setup/ventanas.hpp"

namespace fs = std::filesystem;
using testsupport::ScriptedPort;
using testsupport::TempFolder;

namespace {

using Lista = std::vector<std::string>;

// A folder that cannot take a new folder, whoever runs the tests: a
// read-only folder for an ordinary user; /proc, where even root makes none.
fs::path carpeta_sin_escritura(const TempFolder& t) {
    if (::geteuid() == 0) return "/proc";
    fs::create_directories(t / "solo-lectura");
    ::chmod((t / "solo-lectura").c_str(), 0555);
    return t / "solo-lectura";
}

}  // namespace

TEST(Unidades, MountPointsOfLocalFileSystemsInOrder) {
    const std::string montajes =
        "overlay / overlay rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /dev tmpfs rw 0 0\n"
        "/dev/sda1 /media/ana/MI\\040DISCO ext4 rw 0 0\n"
        "server:/export /mnt/red nfs4 rw 0 0\n"
        "sysfs /sys sysfs ro 0 0\n"
        "/dev/sdb1 /datos vfat rw 0 0\n"
        "/dev/sdb1 /datos vfat rw 0 0\n"
        "incompleta\n";
    EXPECT_EQ(setup::puntos_de_montaje(montajes), (Lista{"/", "/media/ana/MI DISCO", "/datos"}));
}

TEST(Unidades, DriveOfAPathAndTheTargetRoot) {
    const Lista unidades{"/home/ana", "/", "/home", "/media/ana/USB"};
    EXPECT_EQ(setup::unidad_de("/home/ana/descargas/medio", unidades), "/home/ana");
    EXPECT_EQ(setup::unidad_de("/home/anabel/medio", unidades), "/home");
    EXPECT_EQ(setup::unidad_de("/media/ana/USB", unidades), "/media/ana/USB");
    EXPECT_EQ(setup::unidad_de("/opt/medio", unidades), "/");
    EXPECT_EQ(setup::unidad_de("/opt/medio", Lista{}), "/");
    EXPECT_EQ(setup::ruta_destino("/home/ana"), "/home/ana/");
    EXPECT_EQ(setup::ruta_destino("/home/ana//"), "/home/ana/");
    EXPECT_EQ(setup::ruta_destino("/"), "/");
}

TEST(Unidades, TheHomeFolderLeadsTheListOnce) {
    TempFolder t;
    const char* antes = std::getenv("HOME");
    const std::string guardado = antes ? antes : "";
    ::setenv("HOME", (t.path().string() + "/").c_str(), 1);
    const Lista lista = setup::Lista_Unidades();
    if (antes) ::setenv("HOME", guardado.c_str(), 1);
    ASSERT_FALSE(lista.empty());
    EXPECT_EQ(lista[0], t.path().string());
    EXPECT_EQ(std::count(lista.begin(), lista.end(), lista[0]), 1);
    for (const auto& u : lista) EXPECT_TRUE(fs::is_directory(u)) << u;
}

TEST(Unidades, WritableTestLeavesNothingAndSparesAForeignTestInstall) {
    TempFolder t;
    EXPECT_TRUE(setup::unidad_escribible(t.path()));
    EXPECT_TRUE(fs::is_empty(t.path()));
    t.write("TestInstall/mio.txt", "x");
    EXPECT_TRUE(setup::unidad_escribible(t.path()));
    EXPECT_TRUE(fs::exists(t / "TestInstall/mio.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(t.path()), fs::directory_iterator()), 1);
    EXPECT_FALSE(setup::unidad_escribible(carpeta_sin_escritura(t)));
}

TEST(Centrado, CentresAndNeverAboveTheScreen) {
    EXPECT_EQ(setup::Centrar(1280, 900, 320, 140).left, 480);
    EXPECT_EQ(setup::Centrar(1280, 900, 320, 140).top, 380);
    EXPECT_EQ(setup::Centrar(300, 100, 320, 140).top, 0);
    EXPECT_EQ(setup::Centrar(300, 100, 320, 140).left, -10);
}

class Ventanas : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(t_ / "casa");
        fs::create_directories(t_ / "disco");
        const char* h = std::getenv("HOME");
        home_ = h ? h : "";
        ::setenv("HOME", (t_ / "casa").c_str(), 1);
    }
    void TearDown() override { ::setenv("HOME", home_.c_str(), 1); }

    Lista unidades() const {
        return {(t_ / "casa").string(), (t_ / "disco").string(), (t_ / "no-montado").string()};
    }

    TempFolder t_;
    std::string home_;
    ScriptedPort port_;
    setup::Compartido compartido_;
};

TEST_F(Ventanas, LoadChoosesTheHomeFolderAndAChangeToADriveNotReadyWarns) {
    setup::frmMain main(compartido_, t_ / "medio", port_, unidades());
    main.Form_Load();
    EXPECT_EQ(main.Drive1_indice, 0);
    EXPECT_EQ(compartido_.Ruta_Destino, (t_ / "casa").string() + "/");
    EXPECT_TRUE(port_.messages().empty());

    main.Drive1_Change(2);
    ASSERT_EQ(port_.messages().size(), 1u);
    EXPECT_EQ(port_.messages()[0].text,
              "Disco no disponible en este momento , seleccione otra unidad");
    EXPECT_EQ(port_.messages()[0].title, "¡ Advertencia !");
    // The choice stands, as the drive list reported it.
    EXPECT_EQ(compartido_.Ruta_Destino, (t_ / "no-montado").string() + "/");
    EXPECT_EQ(compartido_.Indice_Unidad, 2);
    // Going on to it fails the writable test.
    EXPECT_FALSE(main.cmdSiguiente_Click());
    ASSERT_EQ(port_.messages().size(), 2u);
    EXPECT_EQ(port_.messages()[1].text, "No es posible instalar la aplicación en este disco");
    EXPECT_EQ(port_.messages()[1].title, "¡ Advertencia !");
}

TEST_F(Ventanas, WithoutAHomeFolderTheSetupFoldersDriveIsChosen) {
    ::setenv("HOME", (t_ / "no-hay").c_str(), 1);
    setup::frmMain main(compartido_, t_ / "disco/medio", port_, unidades());
    main.Form_Load();
    EXPECT_EQ(main.Drive1_indice, 1);
    EXPECT_EQ(compartido_.Ruta_Destino, (t_ / "disco").string() + "/");
}

TEST_F(Ventanas, AnUnwritableDriveIsRefusedWithItsMessage) {
    const fs::path sin_escritura = carpeta_sin_escritura(t_);
    setup::frmMain main(compartido_, t_ / "medio", port_, Lista{sin_escritura.string()});
    main.Form_Load();
    EXPECT_FALSE(main.cmdSiguiente_Click());
    ASSERT_EQ(port_.messages().size(), 1u);
    EXPECT_EQ(port_.messages()[0].text, "No es posible instalar la aplicación en este disco");
}

TEST_F(Ventanas, SiguienteInstalarAndVolver) {
    setup::frmMain main(compartido_, t_ / "medio", port_, unidades());
    main.Form_Load();
    main.Drive1_Change(1);
    ASSERT_TRUE(main.cmdSiguiente_Click());
    EXPECT_TRUE(port_.calls.empty());

    setup::frmInstalad instalad(compartido_, t_ / "medio",
                                {t_ / "casa/Escritorio", t_ / "casa/applications"});
    instalad.Form_Load();
    EXPECT_EQ(instalad.lblDireccion, (t_ / "disco").string() + "/Orvex18/*.*");
    EXPECT_EQ(instalad.lblEstado, "");

    // Back: frmMain loads again and the chosen drive is selected once more.
    instalad.cmdVolver_Click(main);
    EXPECT_TRUE(instalad.volver);
    EXPECT_EQ(main.Drive1_indice, 1);
    EXPECT_EQ(compartido_.Ruta_Destino, (t_ / "disco").string() + "/");

    // The installation: hourglass while it runs, every status shown, then
    // only "Salir" is left.
    setup::frmInstalad otra(compartido_, t_ / "medio",
                            {t_ / "casa/Escritorio", t_ / "casa/applications"});
    otra.Form_Load();
    std::vector<std::pair<std::string, bool>> vistos;
    int pitidos = 0;
    otra.repintar = [&] { vistos.emplace_back(otra.lblEstado, otra.reloj_arena); };
    otra.pitido = [&] { ++pitidos; };
    otra.cmdInstalar_Click();
    ASSERT_GE(vistos.size(), 5u);
    EXPECT_EQ(vistos[0], (std::pair<std::string, bool>{"Instalando componentes...", true}));
    EXPECT_EQ(vistos.back(),
              (std::pair<std::string, bool>{std::string(setup::kInstalacionTerminada), false}));
    EXPECT_EQ(pitidos, 1);
    EXPECT_FALSE(otra.cmdInstalar_enabled);
    EXPECT_FALSE(otra.cmdVolver_enabled);
    EXPECT_TRUE(fs::is_directory(t_ / "disco/Orvex18/Forms/1899"));
}
