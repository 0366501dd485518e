// The installation into temporary drives from a small setup folder of our own,
// whose regsvr32 is a script that records when and how it was run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "../support/temp_folder.hpp"
#include "platform/paths.hpp"
#include "platform/process.hpp"
#include "setup/instalacion.hpp"

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::TempFolder;

namespace {

class Instalacion : public ::testing::Test {
  protected:
    void SetUp() override {
        // Every program and library of the copy list holds its own name.
        for (const auto& paso : setup::Lista_Copias())
            if (paso.tipo == setup::Paso::Tipo::copiar)
                t_.write("medio/" + std::string(paso.nombre), std::string(paso.nombre));
        t_.write("medio/Orvex18.desktop", "[Desktop Entry]\nType=Application\nName=Orvex 2018\n");
        fs::permissions(medio() / "orvex", fs::perms::owner_all | fs::perms::group_read |
                                               fs::perms::group_exec | fs::perms::others_read |
                                               fs::perms::others_exec);
        // The catalogue in the spelling of the demo tree.
        for (const char* f : {"ANOT.TXT", "FormsDJ.txt", "FORMATOSDJ.TXT", "REGISTROSDJ.txt",
                              "leame.ASC", "Validaciones.xls"})
            t_.write(std::string("medio/Sistema/") + f, f);
        // regsvr32 writes its arguments, the installation folder's entries and
        // those of its catalogue folder.
        t_.write(
            "medio/regsvr32",
            "#!/bin/sh\n"
            "last=\"\"; for a in \"$@\"; do last=\"$a\"; done\n"
            "d=$(dirname \"$last\")\n"
            "echo \"$* | $(ls \"$d\" | tr '\\n' ' ')| $(ls \"$d/SISTEMA\" | tr '\\n' ' ')\" >> \"" +
                (t_ / "regsvr32.log").string() + "\"\n");
        fs::permissions(medio() / "regsvr32", fs::perms::owner_all);
        fs::create_directories(raiz());
        fs::create_directories(t_ / "casa/Escritorio");
    }

    fs::path medio() const { return t_ / "medio"; }
    fs::path raiz() const { return t_ / "unidad"; }
    fs::path instalacion() const { return raiz() / "Orvex18"; }

    setup::Entorno entorno() {
        setup::Entorno e;
        e.carpeta_setup = medio();
        e.raiz = raiz().string() + "/";
        e.carpetas = {t_ / "casa/Escritorio", t_ / "casa/.local/share/applications"};
        e.estado = [this](std::string_view s) { estados_.emplace_back(s); };
        return e;
    }

    std::vector<std::string> registros() const {
        std::vector<std::string> out;
        std::string texto = read_file(t_ / "regsvr32.log");
        for (std::size_t i = 0; i < texto.size();) {
            std::size_t fin = texto.find('\n', i);
            out.push_back(texto.substr(i, fin - i));
            i = fin + 1;
        }
        return out;
    }

    TempFolder t_;
    std::vector<std::string> estados_;
};

std::vector<std::string> entradas(const fs::path& carpeta) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(carpeta)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST_F(Instalacion, LaysOutTheTreeCopiesInOrderAndRegistersBetweenTheCopies) {
    EXPECT_EQ(setup::Instalar(entorno()), instalacion());

    EXPECT_EQ(estados_, (std::vector<std::string>{
                            "Instalando componentes...", "Instalando...",
                            "Instalando configuracion...", "Creando Acceso directo...",
                            "Instalación terminada, con un Icono en su escritorio bajo el "
                            "texto Orvex18."}));
    for (const char* c : {"REGISTRO", "SISTEMA", "Forms"})
        EXPECT_TRUE(fs::is_directory(instalacion() / c)) << c;
    std::vector<std::string> formularios(setup::kFormularios.begin(), setup::kFormularios.end());
    EXPECT_EQ(entradas(instalacion() / "Forms"), formularios);
    EXPECT_EQ(formularios.size(), 21u);

    // Programs keep their contents and their execute bits.
    EXPECT_EQ(read_file(instalacion() / "libKvario3.so"), "libKvario3.so");
    EXPECT_EQ(read_file(instalacion() / "7z"), "7z");
    EXPECT_NE(read_file(instalacion() / "Orvex18.desktop").find("Exec=\"" + instalacion().string()),
              std::string::npos);
    EXPECT_EQ(fs::status(instalacion() / "orvex").permissions() & fs::perms::owner_exec,
              fs::perms::owner_exec);
    // The catalogue lands in the folder created as "SISTEMA", under the names of the list.
    EXPECT_EQ(entradas(instalacion() / "SISTEMA"),
              (std::vector<std::string>{"ANOT.TXT", "FORMATOSDJ.TXT", "FORMSDJ.TXT", "LEAME.asc",
                                        "REGISTROSDJ.txt", "Validaciones.xls"}));
    EXPECT_EQ(read_file(instalacion() / "SISTEMA/FORMSDJ.TXT"), "FormsDJ.txt");

    // Kvario is unregistered and registered once it and the runtime library
    // are in place and before Tolvan is copied; Tolvan right after its copy;
    // both before the catalogue.
    const std::string kvario = (instalacion() / "libKvario3.so").string();
    const std::string tolvan = (instalacion() / "libTolvan.so").string();
    const auto r = registros();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].substr(0, r[0].find(" | ")), "/s /u " + kvario);
    EXPECT_EQ(r[1].substr(0, r[1].find(" | ")), "/s " + kvario);
    EXPECT_EQ(r[2].substr(0, r[2].find(" | ")), "/s /u " + tolvan);
    EXPECT_EQ(r[3].substr(0, r[3].find(" | ")), "/s " + tolvan);
    for (int i : {0, 1}) {
        EXPECT_NE(r[i].find("liborvex_components.so"), std::string::npos);
        EXPECT_NE(r[i].find("libKvario3.so"), std::string::npos);
        EXPECT_EQ(r[i].find("libTolvan.so"), std::string::npos);
    }
    EXPECT_NE(r[2].find("libTolvan.so"), std::string::npos);
    for (const auto& linea : r) EXPECT_TRUE(linea.ends_with("| ")) << linea;
}

TEST_F(Instalacion, MissingSourcesAreSkippedAndTheInstallationStillEnds) {
    // A setup folder without 7-Zip, without Tolvan and without its regsvr32.
    for (const char* f : {"7z", "libTolvan.so", "regsvr32"}) fs::remove(medio() / f);
    setup::Instalar(entorno());
    EXPECT_FALSE(fs::exists(instalacion() / "7z"));
    EXPECT_FALSE(fs::exists(instalacion() / "libTolvan.so"));
    EXPECT_TRUE(fs::exists(instalacion() / "libKvario3.so"));
    EXPECT_TRUE(fs::exists(instalacion() / "SISTEMA/ANOT.TXT"));
    ASSERT_FALSE(estados_.empty());
    EXPECT_EQ(estados_.back(), setup::kInstalacionTerminada);
}

TEST_F(Instalacion, OverAnEarlierInstallationKeepsTheUsersFilesAndFolders) {
    // An earlier installation with lower-case folders, the user's working
    // files, an old program, and output beside it.
    t_.write("unidad/Orvex18/registro/Rut.Tmp", "RUT=1");
    t_.write("unidad/Orvex18/Sistema/FormsDJ.txt", "viejo");
    t_.write("unidad/Orvex18/Sistema/propio.txt", "mio");
    t_.write("unidad/Orvex18/forms/1805/datos.txt", "datos");
    t_.write("unidad/Orvex18/orvex", "programa viejo");
    t_.write("unidad/GEN_2018/ZIP/123.zip", "zip");
    fs::create_symlink("/bin/true", instalacion() / "7z");

    setup::Instalar(entorno());

    EXPECT_EQ(read_file(instalacion() / "registro/Rut.Tmp"), "RUT=1");
    EXPECT_EQ(read_file(instalacion() / "Sistema/propio.txt"), "mio");
    EXPECT_EQ(read_file(instalacion() / "forms/1805/datos.txt"), "datos");
    EXPECT_EQ(read_file(raiz() / "GEN_2018/ZIP/123.zip"), "zip");
    // The existing case-variants are used, never a second spelling beside them.
    std::vector<std::string> carpetas;
    for (const auto& e : fs::directory_iterator(instalacion()))
        if (e.is_directory()) carpetas.push_back(e.path().filename());
    std::sort(carpetas.begin(), carpetas.end());
    EXPECT_EQ(carpetas, (std::vector<std::string>{"Sistema", "forms", "registro"}));
    for (const char* otra : {"REGISTRO", "SISTEMA", "Forms"})
        EXPECT_FALSE(fs::exists(instalacion() / otra)) << otra;
    EXPECT_EQ(entradas(instalacion() / "forms").size(), 21u);
    // Program and catalogue are replaced; a link in the way is replaced by the file.
    EXPECT_EQ(read_file(instalacion() / "orvex"), "orvex");
    EXPECT_EQ(read_file(instalacion() / "Sistema/FormsDJ.txt"), "FormsDJ.txt");
    EXPECT_FALSE(fs::is_symlink(instalacion() / "7z"));
    EXPECT_EQ(read_file(instalacion() / "7z"), "7z");
}

TEST(CopiarArchivo, ReplacesTheTargetByRenameSoItsOldContentsStayWhole) {
    TempFolder t;
    const fs::path origen = t.write("medio/orvex", "programa nuevo");
    const fs::path destino = t.write("Orvex18/orvex", "programa viejo");
    // A running program holds its file: it keeps the old contents.
    fs::create_hard_link(destino, t / "en_uso");

    ASSERT_TRUE(setup::Copiar_Archivo(origen, destino));
    EXPECT_EQ(read_file(destino), "programa nuevo");
    EXPECT_EQ(read_file(t / "en_uso"), "programa viejo");
    EXPECT_EQ(entradas(t / "Orvex18"), std::vector<std::string>{"orvex"});
}

TEST(CopiarArchivo, AWriteThatFailsHalfwayLeavesTheOldTargetAndNoLeftover) {
    TempFolder t;
    const fs::path origen = t.write("medio/libKvario3.so", std::string(64 * 1024, 'n'));
    const fs::path destino = t.write("Orvex18/libKvario3.so", "biblioteca vieja");
    // The disk "fills up" after 4 KiB: a write beyond it fails.
    struct sigaction ignorar {
    }, antes{};
    ignorar.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignorar, &antes);
    rlimit limite{}, previo{};
    ::getrlimit(RLIMIT_FSIZE, &previo);
    limite.rlim_cur = 4096;
    limite.rlim_max = previo.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limite);
    const bool copiado = setup::Copiar_Archivo(origen, destino);
    ::setrlimit(RLIMIT_FSIZE, &previo);
    ::sigaction(SIGXFSZ, &antes, nullptr);

    EXPECT_FALSE(copiado);
    EXPECT_EQ(read_file(destino), "biblioteca vieja");
    EXPECT_EQ(entradas(t / "Orvex18"), std::vector<std::string>{"libKvario3.so"});
}

TEST(AccesoDirecto, WritesAValidExecutableEntryOnTheDesktopAndInTheMenu) {
    TempFolder t;
    fs::create_directories(t / "Escritorio");
    // A folder whose name needs the Exec key's quoting and escaping.
    const fs::path instalacion = t / "mis $cosas \"100%\"" / "Orvex18";
    fs::create_directories(instalacion);
    const setup::CarpetasUsuario carpetas{t / "Escritorio", t / "datos/applications"};
    ASSERT_TRUE(setup::Crear_Acceso_Directo(instalacion, carpetas));

    const fs::path escritorio = t / "Escritorio/Orvex 2018.desktop";
    const fs::path menu = t / "datos/applications/Orvex 2018.desktop";
    ASSERT_TRUE(fs::exists(escritorio));
    EXPECT_EQ(read_file(escritorio), read_file(menu));
    EXPECT_NE(fs::status(escritorio).permissions() & fs::perms::owner_exec, fs::perms::none);
    const std::string texto = read_file(escritorio);
    EXPECT_NE(texto.find("Name=Orvex 2018\n"), std::string::npos);
    // "\$" and "\"" inside the quotes, each backslash doubled by the string
    // escaping, "%" doubled.
    EXPECT_NE(texto.find("Exec=\"" + t.path().string() +
                         "/mis \\\\$cosas \\\\\"100%%\\\\\"/Orvex18/orvex\"\n"),
              std::string::npos)
        << texto;

    const fs::path validador = platform::find_program("desktop-file-validate");
    if (validador.empty()) GTEST_SKIP() << "desktop-file-validate is not installed";
    for (const fs::path& p : {escritorio, menu}) {
        const auto r = platform::Ejecutar_y_Esperar({validador.string(), p.string()});
        EXPECT_TRUE(r.started && r.exit_code == 0) << p;
    }
}

TEST(AccesoDirecto, WithoutADesktopFolderOnlyTheMenuEntryIsWritten) {
    TempFolder t;
    const setup::CarpetasUsuario carpetas{t / "no-hay", t / "datos/applications"};
    EXPECT_TRUE(setup::Crear_Acceso_Directo(t / "Orvex18", carpetas));
    EXPECT_FALSE(fs::exists(t / "no-hay"));
    EXPECT_TRUE(fs::exists(t / "datos/applications/Orvex 2018.desktop"));
}

TEST(CarpetasUsuario, DesktopFolderFromUserDirs) {
    const struct {
        const char* texto;
        const char* escritorio;
    } casos[] = {
        {"# comentario\nXDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n", "/home/ana/Escritorio"},
        {"XDG_DOWNLOAD_DIR=\"$HOME/x\"\r\nXDG_DESKTOP_DIR=\"/datos/Mesa\"\r\n", "/datos/Mesa"},
        {"XDG_DESKTOP_DIR=\"$HOME/Mi \\\"Mesa\\\"\"\n", "/home/ana/Mi \"Mesa\""},
        {"XDG_DESKTOP_DIR=\"$HOME/a\"\nXDG_DESKTOP_DIR=\"$HOME/b\"\n", "/home/ana/b"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", ""},
    };
    for (const auto& c : casos)
        EXPECT_EQ(setup::escritorio_de_user_dirs(c.texto, "/home/ana"), c.escritorio) << c.texto;
}

TEST(CarpetasUsuario, FromTheEnvironmentAbsolutePathsOnly) {
    TempFolder t;
    t.write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n");
    const std::string config = (t / "config").string();
    const struct {
        const char *home, *config, *datos, *escritorio_env;
        const char *escritorio, *aplicaciones;
    } casos[] = {
        {"/h", nullptr, nullptr, nullptr, "/h/Desktop", "/h/.local/share/applications"},
        {"/h", config.c_str(), "/d", nullptr, "/h/Escritorio", "/d/applications"},
        {"/h", nullptr, "relativa", "/mesa", "/mesa", "/h/.local/share/applications"},
        // Without a home folder nothing relative to the current folder is used.
        {nullptr, nullptr, nullptr, nullptr, "", ""},
        {"", nullptr, "relativa", "mesa", "", ""},
    };
    const char* nombres[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DESKTOP_DIR"};
    std::vector<std::optional<std::string>> antes;
    for (const char* n : nombres)
        antes.push_back(std::getenv(n) ? std::optional<std::string>(std::getenv(n)) : std::nullopt);
    for (const auto& c : casos) {
        const char* valores[] = {c.home, c.config, c.datos, c.escritorio_env};
        for (int i = 0; i < 4; ++i)
            valores[i] ? ::setenv(nombres[i], valores[i], 1) : ::unsetenv(nombres[i]);
        const setup::CarpetasUsuario r = setup::Carpetas_Usuario();
        EXPECT_EQ(r.escritorio, fs::path(c.escritorio)) << (c.home ? c.home : "(sin HOME)");
        EXPECT_EQ(r.aplicaciones, fs::path(c.aplicaciones)) << (c.home ? c.home : "(sin HOME)");
    }
    for (int i = 0; i < 4; ++i)
        antes[i] ? ::setenv(nombres[i], antes[i]->c_str(), 1) : ::unsetenv(nombres[i]);
}

TEST(AccesoDirecto, ThePreparedEntryIsCopiedNamingTheInstalledProgram) {
    TempFolder t;
    const fs::path preparada = fs::path(std::getenv("ORVEX_SOURCE_DIR")) / "setup/Orvex18.desktop";
    const fs::path instalacion = t / "mi disco/Orvex18";
    fs::create_directories(instalacion);
    ASSERT_TRUE(setup::Copiar_Entrada(preparada, instalacion / "Orvex18.desktop", instalacion));
    const std::string texto = read_file(instalacion / "Orvex18.desktop");
    EXPECT_NE(texto.find("\nExec=\"" + (instalacion / "orvex").string() + "\"\n"),
              std::string::npos)
        << texto;
    EXPECT_NE(texto.find("\nPath=" + instalacion.string() + "\n"), std::string::npos);
    EXPECT_NE(texto.find("\nName=Orvex 2018\n"), std::string::npos);
    EXPECT_EQ(texto.find("Exec=orvex"), std::string::npos);

    // Keys it lacks are added to its group; anything but an entry is not copied.
    t.write("sin_exec.desktop", "# x\n[Desktop Entry]\nType=Application\nName=Orvex 2018\n");
    ASSERT_TRUE(setup::Copiar_Entrada(t / "sin_exec.desktop", t / "a.desktop", instalacion));
    EXPECT_EQ(read_file(t / "a.desktop"),
              "# x\n[Desktop Entry]\nExec=\"" + (instalacion / "orvex").string() +
                  "\"\nPath=" + instalacion.string() + "\nType=Application\nName=Orvex 2018\n");
    t.write("otra.txt", "Exec=orvex\n");
    EXPECT_FALSE(setup::Copiar_Entrada(t / "otra.txt", t / "b.desktop", instalacion));
    EXPECT_FALSE(fs::exists(t / "b.desktop"));

    const fs::path validador = platform::find_program("desktop-file-validate");
    if (validador.empty()) GTEST_SKIP() << "desktop-file-validate is not installed";
    for (const fs::path& p : {instalacion / "Orvex18.desktop", t / "a.desktop"}) {
        const auto r = platform::Ejecutar_y_Esperar({validador.string(), p.string()});
        EXPECT_TRUE(r.started && r.exit_code == 0) << p;
    }
}
