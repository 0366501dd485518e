// Time of each stage of the whole job on a large clean declaration: review,
// upload-file build (folders, record 0, copy), stamp, ZIP; and the build
// beside a plain `cp` of the same file.
//
//   bench_upload [FOLDER] [TYPE2_LINES]
//
// FOLDER (default: a new folder under the system's temporary folder) receives
// the install tree and the generated declaration; it is removed at the end.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/declaracion_sintetica.hpp"
#include "common/medicion.hpp"
#include "orvex/empaquetado.hpp"
#include "orvex/generacion.hpp"
#include "orvex/revision.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "scripted_port.hpp"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const long tipo2 = argc > 2 ? std::atol(argv[2]) : 1000000;
    const fs::path base =
        argc > 1 ? fs::path(argv[1])
                 : fs::temp_directory_path() / ("bench-upload-" + std::to_string(::getpid()));
    const fs::path install = base / "Orvex18";
    const fs::path archivo = base / "declaracion.txt";
    fs::create_directories(install);
    bench::instalacion_1879(install);
    bench::declaracion(archivo, bench::kUno1879, bench::kDos1879, tipo2, {bench::kTres1879});
    const auto bytes = fs::file_size(archivo);
    std::printf("declaration: %ld type-2 lines of %d characters, %.1f MB\n", tipo2, bench::kLargo,
                bytes / 1e6);

    testsupport::ScriptedPort port;
    orvex::Entorno entorno{.install = install,
                           .port = port,
                           .pump = {},
                           .progreso = {},
                           .archivo_abierto = {},
                           .estado = {}};

    const double cp = bench::segundos([&] {
        platform::Ejecutar_y_Esperar({"cp", archivo.string(), (base / "copia.txt").string()});
    });
    fs::remove(base / "copia.txt");

    orvex::ResultadoRevision revision;
    const double t_revision = bench::segundos([&] {
        revision = orvex::Revisar(entorno, {"1879", "2018", archivo});
    });
    if (revision.fin != orvex::FinRevision::sin_errores) {
        std::fprintf(stderr, "the review found errors (%d); see %s\n", revision.estado.errores,
                     (install / "registro" / "errores.txt").c_str());
        return 1;
    }

    // The build with its stamp, stopped before the ZIP: with 7-Zip out of the
    // install folder the packing fails at once. The upload file only takes its
    // name once stamped, so the build is timed with the stamp and the stamp,
    // timed alone on the same file, is taken off.
    orvex::Sellador real({ORVEX_SIGMAR_DIR}, false);
    fs::rename(install / "7z", install / "7z.aparte");
    const double t_build_sello =
        bench::segundos([&] { orvex::Generar_Archivo_Internet(entorno, revision.estado, real); });
    fs::rename(install / "7z.aparte", install / "7z");
    const fs::path subida = orvex::Ruta_Archivo_Internet(install, revision.estado);
    const auto esperado = orvex::Registro_Cero(revision.estado).size() + 2 + bytes;
    if (!fs::exists(subida) || fs::file_size(subida) != esperado) {
        std::fprintf(stderr, "upload file missing or not of %ju bytes\n",
                     static_cast<std::uintmax_t>(esperado));
        return 1;
    }
    {
        std::fstream f(subida, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(31);
        f.write("00000000000000000000", 20);  // the control field empty again
    }
    std::int16_t sello = -1;
    const double t_sello = bench::segundos([&] { sello = real.sellar(subida); });
    const double t_build = t_build_sello - t_sello;
    orvex::FinZip zip = orvex::FinZip::fallo;
    const double t_zip = bench::segundos([&] {
        zip = orvex::Crear_Archivo_ZIP(entorno, revision.estado.declarante.rut,
                                       revision.estado.formulario, revision.estado.periodo);
    });
    if (sello != 0 || zip != orvex::FinZip::creado) {
        std::fprintf(stderr, "stamp result %d, packaging %s\n", sello,
                     zip == orvex::FinZip::creado ? "done" : "failed");
        return 1;
    }

    std::printf("\nbuild and stamp, no ZIP      %8.3f s\n", t_build_sello);
    std::printf("build without stamp and ZIP  %8.3f s   (less the stamp alone)\n", t_build);
    std::printf("cp of the same file          %8.3f s   ratio %.2f (goal <= 2)\n", cp,
                t_build / cp);
    std::printf("\nstage        seconds\n");
    std::printf("review      %8.3f\n", t_revision);
    std::printf("build       %8.3f\n", t_build);
    std::printf("stamp       %8.3f\n", t_sello);
    std::printf("ZIP         %8.3f\n", t_zip);
    std::printf("whole job   %8.3f\n", t_revision + t_build + t_sello + t_zip);

    if (argc <= 1) fs::remove_all(base);
    return 0;
}
