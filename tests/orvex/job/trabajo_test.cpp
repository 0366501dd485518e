// The button's whole job: the review, then either the report shown to the
// user or the upload file built and packed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "declaracion.hpp"
#include "orvex/revisar_declaracion.hpp"
#include "platform/process.hpp"
#include "scripted_port.hpp"

namespace revtest {
namespace {

using orvex::FinTrabajo;
using Kind = testsupport::ScriptedPort::Call::Kind;

class Trabajo : public Instalacion {
  protected:
    FinTrabajo correr(const std::string& form, const std::vector<std::string>& lineas) {
        return orvex::Revisar_Declaracion(entorno, {form, "2018", declarar(lineas)});
    }
};

TEST_F(Trabajo, ErrorsAreToldThenTheReportIsShown) {
    Declaracion d = limpia("1879");
    d.t2[1].pres = "X";
    EXPECT_EQ(correr("1879", d.lineas()), FinTrabajo::con_errores);
    ASSERT_EQ(port.calls.size(), 2u);
    EXPECT_EQ(port.calls[0].kind, Kind::message);
    EXPECT_EQ(port.calls[0].text, "... Presione el botón Aceptar para Visualizarlos");
    EXPECT_EQ(port.calls[0].title, "Archivo con Errores");
    EXPECT_EQ(port.calls[0].buttons, platform::Buttons::ok);
    EXPECT_EQ(port.calls[1].kind, Kind::show_text_file);
    EXPECT_EQ(port.calls[1].text, (install / "registro/errores.txt").string());
    EXPECT_EQ(port.calls[1].shown, informe());
    EXPECT_NE(port.calls[1].shown.find("TIPO DE PRESENTACION NO CORRESPONDE"), std::string::npos);
    EXPECT_FALSE(fs::exists(tmp / "GEN_2018"));  // nothing is built
}

// A report that cannot be written is said so; the findings are still shown,
// from a temporary file that is removed afterwards.
TEST_F(Trabajo, UnwritableReportIsToldAndItsFindingsStillShown) {
    fs::remove_all(install / "registro");
    Declaracion d = limpia("1879");
    d.t2[1].pres = "X";
    EXPECT_EQ(correr("1879", d.lineas()), FinTrabajo::con_errores);
    ASSERT_EQ(port.calls.size(), 3u);
    EXPECT_EQ(port.calls[0].title, "Archivo con Errores");
    EXPECT_EQ(port.calls[1].kind, Kind::message);
    EXPECT_EQ(port.calls[1].text.rfind("No se ha podido grabar el archivo de errores " +
                                           (install / "registro/errores.txt").string() + "\r76:",
                                       0),
              0u)
        << port.calls[1].text;
    EXPECT_EQ(port.calls[1].icon, platform::Icon::critical);
    EXPECT_EQ(port.calls[2].kind, Kind::show_text_file);
    EXPECT_NE(port.calls[2].shown.find("TIPO DE PRESENTACION NO CORRESPONDE"), std::string::npos);
    EXPECT_FALSE(fs::exists(port.calls[2].text));
}

// What is shown is this run's report: it is renamed into place whole, and the
// report folder stays locked while it is shown, so no other run replaces it.
TEST_F(Trabajo, ShownReportIsThisRunsOwn) {
    tmp.write("Orvex18/registro/errores.txt", "an earlier run's report");
    bool bloqueado = false;
    port.while_showing = [&] {
        const int fd = ::open((install / "registro").c_str(), O_RDONLY | O_DIRECTORY);
        bloqueado = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
    };
    Declaracion d = limpia("1879");
    d.t2[1].pres = "X";
    EXPECT_EQ(correr("1879", d.lineas()), FinTrabajo::con_errores);
    ASSERT_EQ(port.calls.size(), 2u);
    EXPECT_EQ(port.calls[1].shown, informe());
    EXPECT_NE(informe().find("TIPO DE PRESENTACION NO CORRESPONDE"), std::string::npos);
    EXPECT_TRUE(bloqueado);
    // No temporary file is left beside it, and the lock is released.
    EXPECT_EQ(std::distance(fs::directory_iterator(install / "registro"), {}), 1);
    const int fd = ::open((install / "registro").c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

// Anything but a regular file is refused before it is read: a FIFO would
// block or read once, a device never ends.
TEST_F(Trabajo, NonRegularDeclarationsAreRefusedBeforeTheReview) {
    const fs::path fifo = tmp / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& ruta : {fifo, fs::path("/dev/zero"), fs::path("/dev/null"), tmp.path()}) {
        SCOPED_TRACE(ruta.string());
        port.calls.clear();
        EXPECT_EQ(orvex::Revisar_Declaracion(entorno, {"1879", "2018", ruta}),
                  FinTrabajo::no_regular);
        ASSERT_EQ(port.calls.size(), 1u);
        EXPECT_EQ(port.calls[0].text, "El Archivo " + ruta.string() +
                                          " no es un archivo común y no se puede revisar. "
                                          "Presione el Botón Aceptar para continuar");
        EXPECT_EQ(port.calls[0].title, "Resultado del Proceso");
        EXPECT_EQ(informe(), std::string(orvex::kEncabezadoInforme) + "\r\n");
        EXPECT_FALSE(fs::exists(tmp / "GEN_2018"));
    }
}

// The build copies what the review read, from the same descriptor; a file
// changed in between (still being written, replaced by another export) stops
// it with nothing written under GEN_2018.
TEST_F(Trabajo, DeclarationChangedAfterTheReviewStopsTheBuild) {
    struct Caso {
        const char* nombre;
        void (*cambiar)(const fs::path&);
    };
    const Caso casos[] = {
        {"Truncated", [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) / 2); }},
        {"Appended",
         [](const fs::path& p) { std::ofstream(p, std::ios::app | std::ios::binary) << "x\r\n"; }},
        {"ReplacedByAnother",
         [](const fs::path& p) {
             const std::string bytes = testsupport::read_file(p);
             std::ofstream(p.string() + ".new", std::ios::binary) << bytes;
             fs::rename(p.string() + ".new", p);
         }},
        {"RewrittenInPlace",
         [](const fs::path& p) {
             std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(5);
             f.put('9');
             f.close();
             fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(2));
         }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        port.calls.clear();
        fs::remove_all(tmp / "GEN_2018");
        const fs::path dj = declarar(limpia("2807").lineas());
        port.on_message = [&](const testsupport::ScriptedPort::Call& m) {
            if (m.title == "Archivo sin Errores") c.cambiar(dj);
        };
        EXPECT_EQ(orvex::Revisar_Declaracion(entorno, {"2807", "2018", dj}), FinTrabajo::fallo);
        ASSERT_EQ(port.calls.size(), 2u);
        EXPECT_EQ(port.calls[1].text, "No se ha podido generar el Archivo Internet: el archivo " +
                                          dj.string() +
                                          " cambió durante la revisión. Revíselo de nuevo.");
        EXPECT_EQ(port.calls[1].icon, platform::Icon::critical);
        EXPECT_TRUE(fs::is_empty(tmp / "GEN_2018/Respal/05"));
        EXPECT_TRUE(fs::is_empty(tmp / "GEN_2018/zip/05"));
        EXPECT_FALSE(fs::exists(install / "histzip.txt"));
    }
}

// The build of one GEN_2018 waits while another process holds its lock, and
// says so on the status line.
TEST_F(Trabajo, BuildWaitsForTheOutputFolderLock) {
    fs::create_directories(tmp / "GEN_2018");
    int listo[2];
    ASSERT_EQ(::pipe(listo), 0);
    const pid_t otro = ::fork();
    if (otro == 0) {
        const int fd = ::open((tmp / "GEN_2018").c_str(), O_RDONLY | O_DIRECTORY);
        ::flock(fd, LOCK_EX);
        [[maybe_unused]] auto n = ::write(listo[1], "x", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(listo[0], &c, 1), 1);
    std::vector<std::string> estados;
    entorno.estado = [&](const std::string& t) { estados.push_back(t); };
    EXPECT_EQ(correr("2807", limpia("2807").lineas()), FinTrabajo::fallo);  // no 7z
    int status;
    ::waitpid(otro, &status, 0);
    ::close(listo[0]);
    ::close(listo[1]);
    ASSERT_GE(estados.size(), 2u);
    EXPECT_EQ(estados[0].rfind("Esperando que termine otra generación en ", 0), 0u);
    EXPECT_EQ(estados.back(), "");
    EXPECT_TRUE(fs::exists(tmp / "GEN_2018/Respal/05/12345678.807"));
}

TEST_F(Trabajo, NoFileEndsTheJobAndItsMessageIsTheCallers) {
    EXPECT_EQ(orvex::Revisar_Declaracion(entorno, {"1879", "2018", {}}), FinTrabajo::sin_archivo);
    EXPECT_TRUE(port.calls.empty());
    orvex::Avisar_Sin_Archivo(port);
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].text,
              "Debe seleccionar un Archivo.. Presione el Botón Aceptar para continuar");
    EXPECT_EQ(port.calls[0].title, "Resultado del Proceso");
    EXPECT_EQ(port.calls[0].buttons, platform::Buttons::ok);
}

// Form 2807 is not stamped, so a clean review goes straight to the packing.
TEST_F(Trabajo, CleanFileIsBuiltAndPacked) {
    const fs::path siete = platform::find_program("7zz");
    if (siete.empty()) GTEST_SKIP() << "7zz is not installed";
    fs::create_symlink(siete, install / "7z");
    EXPECT_EQ(correr("2807", limpia("2807").lineas()), FinTrabajo::generado);
    ASSERT_FALSE(port.messages().empty());
    EXPECT_EQ(port.messages().front().title, "Archivo sin Errores");
    EXPECT_TRUE(fs::exists(tmp / "GEN_2018/Respal/05/12345678.807"));
}

// The upload file given back as the declaration: its record 0 is left out and
// the file is rebuilt from what the review read, not truncated by its own build.
TEST_F(Trabajo, ReviewingTheUploadFileRebuildsItWhole) {
    const fs::path siete = platform::find_program("7zz");
    if (siete.empty()) GTEST_SKIP() << "7zz is not installed";
    fs::create_symlink(siete, install / "7z");
    ASSERT_EQ(correr("2807", limpia("2807").lineas()), FinTrabajo::generado);
    const fs::path subida = tmp / "GEN_2018/Respal/05/12345678.807";
    const std::string primera = testsupport::read_file(subida);
    ASSERT_EQ(orvex::Revisar_Declaracion(entorno, {"2807", "2018", subida}), FinTrabajo::generado);
    EXPECT_EQ(testsupport::read_file(subida), primera);
}

TEST_F(Trabajo, FailedPackingIsAFailure) {
    EXPECT_EQ(correr("2807", limpia("2807").lineas()), FinTrabajo::fallo);  // no 7z
    EXPECT_EQ(port.messages().front().title, "Archivo sin Errores");
}

}  // namespace
}  // namespace revtest
