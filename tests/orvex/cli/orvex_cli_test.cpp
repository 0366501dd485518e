// orvex-cli run as a program on a copy of the demo install tree: exit status,
// messages on standard output, the report, the JSON findings and the archive.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../../support/temp_folder.hpp"
#include "platform/process.hpp"

namespace fs = std::filesystem;
using testsupport::TempFolder;

namespace {

struct Demo {
    TempFolder drive;
    fs::path install = drive / "Orvex 18";  // a blank in the path on purpose
    fs::path samples = fs::path(std::getenv("ORVEX_SOURCE_DIR")) / "demo/samples";
    Demo() {
        fs::copy(fs::path(std::getenv("ORVEX_SOURCE_DIR")) / "demo/Orvex18", install,
                 fs::copy_options::recursive);
        fs::create_symlink(platform::find_program("7zz"), install / "7z");
        fs::copy_file(fs::path(std::getenv("ORVEX_BIN_DIR")) / "libsigmar32.so",
                      install / "libsigmar32.so");
    }

    // Runs orvex-cli with these arguments; its standard output lands in `salida`.
    int correr(std::vector<std::string> args, std::string& salida) {
        const fs::path out = drive / "stdout.txt";
        std::vector<std::string> argv{
            "/bin/sh",
            "-c",
            "exec \"$0\" \"$@\" > \"$OUT\" 2>/dev/null",
            (fs::path(std::getenv("ORVEX_BIN_DIR")) / "orvex-cli").string(),
            "--install",
            install.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        ::setenv("OUT", out.c_str(), 1);
        auto r = platform::Ejecutar_y_Esperar(argv);
        EXPECT_TRUE(r.started);
        salida = testsupport::read_file(out);
        return r.exit_code;
    }
};

}  // namespace

TEST(OrvexCli, RefusesAFormOrYearOutsideTheCatalogue) {
    Demo d;
    std::string out;
    EXPECT_EQ(d.correr({"--form", "9999", "--year", "2018", "x.txt"}, out), 2);
    EXPECT_EQ(d.correr({"--form", "1879", "--year", "1999", "x.txt"}, out), 2);
    EXPECT_EQ(d.correr({"--form", "1879", "--year", "2018"}, out), 2);  // no file
    EXPECT_EQ(d.correr({"--form", "1879", "--year", "2018", "--bogus", "x.txt"}, out), 2);
    EXPECT_FALSE(fs::exists(d.drive / "GEN_2018"));
}

TEST(OrvexCli, ReportsErrorsWithExitStatusOneAndJsonFindings) {
    Demo d;
    std::string out;
    ASSERT_EQ(d.correr({"--form", "1879", "--year", "2018", "--json",
                        (d.samples / "F1879_con_errores.txt").string()},
                       out),
              1);
    EXPECT_NE(out.find("Archivo con Errores: ... Presione el botón Aceptar para Visualizarlos\n"),
              std::string::npos);
    // The printed report is the report file, decoded to UTF-8.
    EXPECT_NE(out.find("NUM.LINEA    REGISTRO   VALOR ESPERADO  VALOR INFORMADO   DESCRIPCION"),
              std::string::npos);
    EXPECT_NE(out.find("fecha de presentación = 00   0000"), std::string::npos);
    EXPECT_NE(testsupport::read_file(d.install / "registro/errores.txt")
                  .find("Folio Declaraci\xF3n No corresponde"),
              std::string::npos);

    // The JSON array comes last, whole, and parses.
    const auto inicio = out.find("\n[");
    ASSERT_NE(inicio, std::string::npos);
    const std::string json = out.substr(inicio + 1);
    EXPECT_NE(json.find(R"({"line": 1, "record_type": 1, "expected": "M", "informed": "P", )"
                        R"("message": "TIPO DE PRESENTACION NO CORRESPONDE", "fatal": false})"),
              std::string::npos);
    auto archivo = d.drive.write("hallazgos.json", json);
    auto r = platform::Ejecutar_y_Esperar(
        {"python3", "-c",
         "import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); "
         "sys.exit(0 if len(d) == 4 and d[3]['message'].startswith('fecha de presentaci\\u00f3n') "
         "else 1)",
         archivo.string()});
    EXPECT_EQ(r.exit_code, 0);
}

TEST(OrvexCli, CleanDeclarationEndsWithAStampedArchive) {
    Demo d;
    std::string out;
    ASSERT_EQ(
        d.correr({"--form", "1879", "--year", "2018", (d.samples / "F1879_correcta.txt").string()},
                 out),
        0)
        << out;
    EXPECT_NE(out.find("Archivo sin Errores: .. Presione el Botón Aceptar para generar el Archivo "
                       "Internet\n"),
              std::string::npos);
    EXPECT_NE(out.find("Generador de Archivo: Se ha Generado el archivo Internet para el "
                       "Formulario 1879, registrado en: "),
              std::string::npos);
    EXPECT_TRUE(fs::exists(d.drive / "GEN_2018/zip/12345678.zip"));
    auto verificar = platform::Ejecutar_y_Esperar(
        {(fs::path(std::getenv("ORVEX_BIN_DIR")) / "sigmar-stamp").string(), "--verify",
         (d.drive / "GEN_2018/Respal/12345678.879").string()},
        {}, false, true);
    EXPECT_EQ(verificar.exit_code, 0);
}

TEST(OrvexCli, EmptyPathOrDeclarationIsExitStatusOne) {
    Demo d;
    std::string out;
    EXPECT_EQ(d.correr({"--form", "1879", "--year", "2018", "   "}, out), 1);
    EXPECT_NE(out.find("Resultado del Proceso: Debe seleccionar un Archivo.."), std::string::npos);
    auto vacio = d.drive.write("vacio.txt", "");
    EXPECT_EQ(d.correr({"--form", "1879", "--year", "2018", vacio.string()}, out), 1);
    EXPECT_NE(out.find("ARCHIVO INCOMPLETO"), std::string::npos);
}

namespace {

// Runs a shell line with $CLI naming orvex-cli and $D the drive folder; its
// exit status, with standard output and error in `out` and `err`.
int shell(Demo& d, const std::string& linea, std::string& out, std::string& err) {
    ::setenv("CLI", (fs::path(std::getenv("ORVEX_BIN_DIR")) / "orvex-cli").c_str(), 1);
    ::setenv("D", d.drive.path().c_str(), 1);
    const fs::path o = d.drive / "out.txt", e = d.drive / "err.txt";
    auto r =
        platform::Ejecutar_y_Esperar({"/bin/sh", "-c", linea + " 2>\"$D/err.txt\"", o.string()});
    out = testsupport::read_file(o);
    err = testsupport::read_file(e);
    return r.exit_code;
}

}  // namespace

// A relative install folder is made absolute first: GEN_2018 lies beside it,
// and the archive holds the upload file's bare name.
TEST(OrvexCli, RelativeInstallFolderWorksFromItsParent) {
    Demo d;
    const std::string muestra = (d.samples / "F1879_correcta.txt").string();
    std::string out, err;
    ASSERT_EQ(shell(d,
                    "cd \"$D\" && \"$CLI\" --install 'Orvex 18/' --form 1879 --year 2018 '" +
                        muestra + "' > \"$0\"",
                    out, err),
              0)
        << out << err;
    EXPECT_FALSE(fs::exists(d.install / "GEN_2018"));
    const fs::path zip = d.drive / "GEN_2018/zip/12345678.zip";
    ASSERT_TRUE(fs::exists(zip));
    const fs::path lista = d.drive / "lista.txt";
    ::setenv("OUT", lista.c_str(), 1);
    platform::Ejecutar_y_Esperar({"/bin/sh", "-c", "exec \"$0\" l -slt \"$1\" > \"$OUT\"",
                                  platform::find_program("7zz").string(), zip.string()});
    const std::string listado = testsupport::read_file(lista);
    // One entry, under the bare name.
    const auto entradas = listado.find("----------\n");
    ASSERT_NE(entradas, std::string::npos) << listado;
    EXPECT_EQ(listado.substr(entradas + 11, 20), "Path = 12345678.879\n") << listado;
    EXPECT_EQ(listado.find("\nPath = ", entradas + 11), std::string::npos) << listado;
}

// The stamped upload file given back as the declaration: its record 0 is left
// out and the file is rebuilt from what was read, not truncated by its own build.
TEST(OrvexCli, ReviewingTheUploadFileRebuildsIt) {
    Demo d;
    std::string out;
    ASSERT_EQ(
        d.correr({"--form", "1879", "--year", "2018", (d.samples / "F1879_correcta.txt").string()},
                 out),
        0);
    const fs::path subida = d.drive / "GEN_2018/Respal/12345678.879";
    const std::string primera = testsupport::read_file(subida);
    ASSERT_EQ(d.correr({"--form", "1879", "--year", "2018", subida.string()}, out), 0) << out;
    EXPECT_EQ(testsupport::read_file(subida), primera);
    auto verificar = platform::Ejecutar_y_Esperar(
        {(fs::path(std::getenv("ORVEX_BIN_DIR")) / "sigmar-stamp").string(), "--verify",
         subida.string()},
        {}, false, true);
    EXPECT_EQ(verificar.exit_code, 0);
}

// A report that cannot be written is said so, and this run's findings are
// printed, not whatever an earlier run left.
TEST(OrvexCli, UnwritableReportIsToldAndTheFindingsPrinted) {
    Demo d;
    fs::remove_all(d.install / "registro");
    std::string out;
    ASSERT_EQ(d.correr({"--form", "1879", "--year", "2018",
                        (d.samples / "F1879_con_errores.txt").string()},
                       out),
              1);
    EXPECT_NE(out.find("Resultado del Proceso: No se ha podido grabar el archivo de errores " +
                       (d.install / "registro/errores.txt").string()),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("fecha de presentación = 00   0000"), std::string::npos);
}

// Results that cannot be written to standard output fail the run.
TEST(OrvexCli, FailedWritesOnStandardOutputAreExitStatusTwo) {
    Demo d;
    const std::string muestra = (d.samples / "F1879_con_errores.txt").string();
    for (const std::string redireccion : {"> /dev/full", ">&-"}) {
        SCOPED_TRACE(redireccion);
        std::string out, err;
        EXPECT_EQ(shell(d,
                        "\"$CLI\" --install '" + d.install.string() +
                            "' --form 1879 --year 2018 '" + muestra + "' " + redireccion,
                        out, err),
                  2);
        EXPECT_NE(err.find("orvex-cli: error al escribir la salida estándar"), std::string::npos)
            << err;
    }
}

// 7-Zip that hangs keeps the job waiting, but ending orvex-cli ends it too.
TEST(OrvexCli, AHungSevenZipEndsWithTheProgram) {
    Demo d;
    fs::remove(d.install / "7z");
    const fs::path pidfile = d.drive / "7z.pid";
    {
        std::ofstream f(d.install / "7z");
        f << "#!/bin/sh\necho $$ > '" << pidfile.string() << "'\nexec sleep 60\n";
    }
    fs::permissions(d.install / "7z", fs::perms::owner_all);
    const std::string cli = (fs::path(std::getenv("ORVEX_BIN_DIR")) / "orvex-cli").string();
    const std::string muestra = (d.samples / "F1879_correcta.txt").string();
    const pid_t job = ::fork();
    if (job == 0) {
        const int nulo = ::open("/dev/null", O_WRONLY);
        ::dup2(nulo, 1);
        ::execl(cli.c_str(), cli.c_str(), "--install", d.install.c_str(), "--form", "1879",
                "--year", "2018", muestra.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    pid_t siete = 0;
    for (int i = 0; i < 1000 && siete == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        siete = std::atoi(testsupport::read_file(pidfile).c_str());
    }
    ASSERT_GT(siete, 0);
    ::kill(job, SIGKILL);
    int status;
    ::waitpid(job, &status, 0);
    auto terminado = [siete] {
        const std::string stat = testsupport::read_file("/proc/" + std::to_string(siete) + "/stat");
        const auto cierre = stat.rfind(')');
        return stat.empty() ||
               (cierre != std::string::npos && stat.size() > cierre + 2 && stat[cierre + 2] == 'Z');
    };
    bool fin = false;
    for (int i = 0; i < 300 && !(fin = terminado()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fin);
    if (!fin) ::kill(siete, SIGKILL);
    // No half archive under the final name.
    EXPECT_FALSE(fs::exists(d.drive / "GEN_2018/zip/12345678.zip"));
}
