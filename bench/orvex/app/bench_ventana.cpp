// The job run from the generator window (Qt view, events pumped, progress
// shown) beside the same job run headless as orvex-cli runs it, on a large
// declaration: once with an error in its last record (review and report) and
// once clean (review, build, stamp and ZIP).
//
//   QT_QPA_PLATFORM=offscreen bench_ventana [TYPE2_LINES]
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/declaracion_sintetica.hpp"
#include "common/medicion.hpp"
#include "generador_view.hpp"
#include "orvex/generador.hpp"
#include "orvex/revisar_declaracion.hpp"
#include "scripted_port.hpp"

namespace fs = std::filesystem;

namespace {

struct Tiempos {
    double sin_ventana, con_ventana;
    int bombeos;
};

Tiempos medir(const fs::path& install, const fs::path& archivo, orvex::FinTrabajo esperado) {
    Tiempos t{};
    testsupport::ScriptedPort port;
    orvex::Entorno entorno{install, port, {}, {}, {}, {}};
    orvex::FinTrabajo fin{};
    t.sin_ventana = bench::segundos([&] {
        fin = orvex::Revisar_Declaracion(entorno, {"1879", "2018", archivo});
    });
    if (fin != esperado) std::fprintf(stderr, "headless job ended unexpectedly (%d)\n", int(fin));

    orvex::Generador logica(install, port);
    orvex::GeneradorView ventana(logica);
    ventana.show();
    logica.Load();
    logica.ListDj_Click(0);
    logica.txt_archivo_Change(archivo.string());
    logica.Cmd_Generar_enabled = true;
    ventana.refrescar();
    auto pump = logica.pump;
    logica.pump = [&] {
        ++t.bombeos;
        pump();
    };
    auto* boton = ventana.findChild<QPushButton*>(QStringLiteral("Cmd_Generar"));
    t.con_ventana = bench::segundos([&] { boton->click(); });
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long tipo2 = argc > 1 ? std::atol(argv[1]) : 1000000;
    const fs::path base =
        fs::temp_directory_path() / ("bench-ventana-" + std::to_string(::getpid()));
    const fs::path install = base / "Orvex18";
    bench::instalacion_1879(install);
    fs::copy_file(fs::path(ORVEX_SIGMAR_DIR) / "libsigmar32.so", install / "libsigmar32.so");

    const fs::path con_error = base / "con_error.txt", limpia = base / "limpia.txt";
    // A folio that differs from the declarant's in the summary: one error, found at the end.
    bench::declaracion(con_error, bench::kUno1879, bench::kDos1879, tipo2, {"318023499"});
    bench::declaracion(limpia, bench::kUno1879, bench::kDos1879, tipo2, {bench::kTres1879});
    std::printf("declarations: %ld type-2 lines of %d characters, %.1f MB\n", tipo2, bench::kLargo,
                fs::file_size(limpia) / 1e6);

    std::printf("\njob                       headless s   window s   ratio   event pumps\n");
    const struct {
        const char* nombre;
        fs::path archivo;
        orvex::FinTrabajo fin;
    } casos[] = {{"review with an error", con_error, orvex::FinTrabajo::con_errores},
                 {"clean: build, stamp, ZIP", limpia, orvex::FinTrabajo::generado}};
    for (const auto& c : casos) {
        Tiempos t = medir(install, c.archivo, c.fin);
        std::printf("%-25s %10.3f %10.3f %7.2f %12d\n", c.nombre, t.sin_ventana, t.con_ventana,
                    t.con_ventana / t.sin_ventana, t.bombeos);
    }
    fs::remove_all(base);
    return 0;
}
