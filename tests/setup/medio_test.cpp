// The setup folder of the build, installed headless into temporary drives:
// the exit statuses, the registrations as clients see them, and a working
// installation.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../support/temp_folder.hpp"
#include "components/component.hpp"

namespace fs = std::filesystem;
namespace comp = components;
using testsupport::read_file;
using testsupport::TempFolder;

extern char** environ;

namespace {

const fs::path kMedio = ORVEX_SETUP_FOLDER;

struct Salida {
    int estado = -1;
    std::string out, err;
};

// Runs a program with its output and errors in files of `t`.
Salida correr(const TempFolder& t, std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t acciones;
    ::posix_spawn_file_actions_init(&acciones);
    ::posix_spawn_file_actions_addopen(&acciones, 1, (t / "out").c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::posix_spawn_file_actions_addopen(&acciones, 2, (t / "err").c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    Salida s;
    if (::posix_spawn(&pid, args[0], &acciones, nullptr, args.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        s.estado = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    ::posix_spawn_file_actions_destroy(&acciones);
    s.out = read_file(t / "out");
    s.err = read_file(t / "err");
    return s;
}

class Medio : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kMedio / "setup")) << kMedio;
        for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "ORVEX_COMPONENTS"}) {
            const char* antes = std::getenv(v);
            guardado_.emplace_back(v, antes ? std::optional<std::string>(antes) : std::nullopt);
        }
        fs::create_directories(t_ / "casa/Escritorio");
        fs::create_directories(t_ / "unidad");
        ::setenv("HOME", (t_ / "casa").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (t_ / "casa/.config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (t_ / "casa/datos").c_str(), 1);
        ::setenv("ORVEX_COMPONENTS", (t_ / "componentes").c_str(), 1);
        t_.write("casa/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n");
    }
    void TearDown() override {
        for (const auto& [v, valor] : guardado_)
            valor ? ::setenv(v.c_str(), valor->c_str(), 1) : ::unsetenv(v.c_str());
    }

    Salida instalar(const fs::path& raiz) {
        return correr(t_, {(kMedio / "setup").string(), "--install-to", raiz.string()});
    }

    TempFolder t_;
    std::vector<std::pair<std::string, std::optional<std::string>>> guardado_;
};

}  // namespace

TEST_F(Medio, HeadlessInstallRegistersTheComponentsAndGivesAWorkingTree) {
    const Salida s = instalar(t_ / "unidad");
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.out,
              "Instalando componentes...\nInstalando...\nInstalando configuracion...\n"
              "Creando Acceso directo...\n"
              "Instalación terminada, con un Icono en su escritorio bajo el texto Orvex18.\n");
    const fs::path instalacion = t_ / "unidad/Orvex18";

    // The registration file the test names points at the installed libraries,
    // and clients create both components through it.
    const std::string registro = read_file(t_ / "componentes");
    EXPECT_NE(registro.find("Kvario3.clsURL\t" + (instalacion / "libKvario3.so").string()),
              std::string::npos);
    EXPECT_NE(registro.find("Tolvan.clsdj\t" + (instalacion / "libTolvan.so").string()),
              std::string::npos);
    EXPECT_NO_THROW(comp::CreateObject("Kvario3.clsURL"));
    EXPECT_NO_THROW(comp::CreateObject("Tolvan.clsdj"));

    // The desktop entry and the menu entry start the installed program.
    const std::string entrada = read_file(t_ / "casa/Escritorio/Orvex 2018.desktop");
    EXPECT_NE(entrada.find("Exec=\"" + (instalacion / "orvex").string() + "\"\n"),
              std::string::npos);
    EXPECT_EQ(read_file(t_ / "casa/datos/applications/Orvex 2018.desktop"), entrada);

    // The installed tree reviews, stamps and packs the demo's clean sample.
    const fs::path muestra = fs::path(ORVEX_TEST_SOURCE_DIR) / "demo/samples/F1879_correcta.txt";
    const Salida cli =
        correr(t_, {(instalacion / "orvex-cli").string(), "--install", instalacion.string(),
                    "--form", "1879", "--year", "2018", muestra.string()});
    EXPECT_EQ(cli.estado, 0) << cli.out << cli.err;
    if (fs::exists(kMedio / "7z")) {
        EXPECT_FALSE(fs::is_symlink(instalacion / "7z"));
        EXPECT_EQ(std::distance(fs::directory_iterator(t_ / "unidad/GEN_2018/zip"),
                                fs::directory_iterator()),
                  1);
    }
}

TEST_F(Medio, HeadlessExitStatusesOfRefusedDrives) {
    const struct {
        fs::path raiz;
        const char* mensaje;
    } casos[] = {
        {t_ / "no-existe",
         "¡ Advertencia !: Disco no disponible en este momento , seleccione "
         "otra unidad\n"},
        // Even root makes no folder in /proc.
        {"/proc", "¡ Advertencia !: No es posible instalar la aplicación en este disco\n"},
    };
    for (const auto& c : casos) {
        const Salida s = instalar(c.raiz);
        EXPECT_EQ(s.estado, 2) << c.raiz;
        EXPECT_EQ(s.err, c.mensaje);
        EXPECT_EQ(s.out, "");
    }
    EXPECT_FALSE(fs::exists(t_ / "no-existe"));
    EXPECT_EQ(correr(t_, {(kMedio / "setup").string(), "--install-to"}).estado, 1);
}
