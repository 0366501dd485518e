// bench_pelmo [DONORS...]: writes a saved form-1832 declaration of DONORS
// donors (100,000 by default) into a scratch install folder, then times the
// editor's logic as the program runs it: the start-up (session and data file
// read, header load, grid work file rebuilt from the data file, lines counted)
// followed by the compaction that every validation starts with; a page step
// down (which writes the line, shows the next one and recounts the lines); and
// writing one line. Beside them: the data file's and the grid work file's
// sizes and `wc -l` on the grid work file, a plain pass over the same bytes.
// Peak memory (VmHWM) is shown for the start-up (the data file's pairs held by
// the data object included) and, reset after it, as the growth during the
// paging, where only the mark array grows with the number of lines.
// A second table times one validation round trip (the validation file
// written, a stand-in validator that exits at once, the file read back, the
// error list read) and one save ("&Grabar": a validation, the data file, the
// registry file and the folio sequence), each with its peak memory growth,
// beside the data file's size.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/medicion.hpp"
#include "components/component.hpp"
#include "pelmo/editor.hpp"
#include "platform/paths.hpp"
#include "scripted_port.hpp"

namespace fs = std::filesystem;

namespace {

struct SinPantalla : pelmo::Pantalla {
    void DesplazaVentana(int) override {}
    void enfocar(pelmo::Foco) override {}
    void colocar(pelmo::Ventana, pelmo::Rect) override {}
};

// A figure of /proc/self/status in kB: "VmHWM:" (peak) or "VmRSS:" (now).
long estado_kb(const char* campo) {
    std::ifstream in("/proc/self/status");
    std::string l;
    while (std::getline(in, l))
        if (l.rfind(campo, 0) == 0) return std::atol(l.c_str() + std::string(campo).size());
    return -1;
}

// Resets VmHWM to the current resident size (Linux 4.0 on).
void reinicia_pico() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void escribir(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

void declaracion(const fs::path& install, int donantes) {
    escribir(install / "registro/Rut.Tmp", "RUT=76123456&DV=3&RAZ=FUNDACION DE PRUEBA&");
    escribir(install / "registro/76123456.Rut", "DOM=CALLE 1&COMUNA=PROVIDENCIA&");
    fs::create_directories(install / "Sistema");
    fs::copy_file(fs::path(PELMO_BENCH_DEMO) / "Sistema/Comunas.txt",
                  install / "Sistema/Comunas.txt", fs::copy_options::overwrite_existing);
    escribir(install / "Sistema/param.txt", "P001 80\r\n");
    // A stand-in validator that finds nothing and exits at once.
    escribir(install / "Vexal", "#!/bin/sh\nexit 0\n");
    fs::permissions(install / "Vexal", fs::perms::owner_all);
    std::string d =
        "RUT=76123456&DV=3&FOLIO=8076101&MAX_COLS=7&MAX_ROWS=" + std::to_string(donantes) +
        "&TOT1=1&TOT2=" + std::to_string(donantes) + "&";
    d.reserve(std::size_t(donantes) * 110);
    int item = 0;
    for (int k = 1; k <= donantes; ++k) {
        const std::string valores[7] = {std::to_string(k),
                                        std::to_string(10000000 + k * 7 % 89999999),
                                        std::to_string(k % 10),
                                        std::to_string(1 + k % 6),
                                        std::to_string(100000 + k * 13),
                                        "15032013",
                                        std::to_string(k)};
        for (const std::string& v : valores) d += "ITEM" + std::to_string(++item) + "=" + v + "&";
    }
    escribir(install / "Forms/1832/76123456.Rut", d);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> tamanos;
    for (int i = 1; i < argc; ++i) tamanos.push_back(std::atoi(argv[i]));
    if (tamanos.empty()) tamanos = {100000};

    const fs::path trabajo =
        fs::temp_directory_path() / ("bench-pelmo-" + std::to_string(::getpid()));
    fs::create_directories(trabajo);
    ::setenv("ORVEX_COMPONENTS", (trabajo / "components").c_str(), 1);
    auto reg = components::register_library(platform::program_folder() / "libKvario3.so");
    if (reg.stage != components::LibraryResult::Stage::done) {
        std::fprintf(stderr, "bench_pelmo: %s\n", reg.error.description.c_str());
        return 1;
    }

    struct Fila {
        int n;
        double datos, validar, grabar;
        long validar_kb, grabar_kb;
    };
    std::vector<Fila> filas;
    std::printf("%8s %9s %9s %10s %10s %10s %10s %10s %10s %9s %9s\n", "donors", "data MB",
                "grid MB", "start s", "page ms", "line ms", "wc -l ms", "wc -l", "lines",
                "start MB", "page +kB");
    for (int n : tamanos) {
        const fs::path install = trabajo / ("Orvex18-" + std::to_string(n));
        declaracion(install, n);
        testsupport::ScriptedPort port;
        SinPantalla pantalla;

        reinicia_pico();
        pelmo::Editor editor(install, port, pantalla);
        editor.iniciar = [](const std::vector<std::string>&) { return true; };
        bool ok = true;
        const double arranque = bench::segundos([&] {
            ok = editor.Main();
            editor.informados.CompactaDMP();
            editor.informados.CargaGrilla();
        });
        const long pico_arranque = estado_kb("VmHWM:");
        pelmo::Informados& g = editor.informados;
        const std::int32_t lineas = g.FILAS_DE_DATOS();
        if (!ok || lineas != n || !port.calls.empty()) {
            std::fprintf(stderr, "bench_pelmo: start-up failed (%d of %d lines)%s%s\n", lineas, n,
                         port.calls.empty() ? "" : ": ",
                         port.calls.empty() ? "" : port.calls[0].text.c_str());
            return 1;
        }

        // Page steps from the last visible line, each writing, paging and recounting.
        reinicia_pico();
        const long antes_pagina = estado_kb("VmRSS:");
        const int pasos = 200;
        const double paginas = bench::segundos([&] {
            for (int i = 0; i < pasos; ++i) g.MueveCelda(13, pelmo::tecla::abajo);
        });
        const long crece_pagina = estado_kb("VmHWM:") - antes_pagina;
        const int escrituras = 2000;
        const double escribir_linea = bench::segundos([&] {
            for (int i = 0; i < escrituras; ++i) g.GRABA_FILA(1 + i % 18);
        });

        const std::string dmp = g.FILE_DMP.string();
        std::string wc;
        const double t_wc = bench::mejor(3, [&] { bench::correr({"wc", "-l", dmp}, &wc); });
        std::printf("%8d %9.1f %9.1f %10.3f %10.3f %10.4f %10.3f %10s %10d %9.1f %9ld\n", n,
                    fs::file_size(install / "Forms/1832/76123456.Rut") / 1e6,
                    fs::file_size(g.FILE_DMP) / 1e6, arranque, paginas * 1e3 / pasos,
                    escribir_linea * 1e3 / escrituras, t_wc * 1e3,
                    wc.substr(0, wc.find(' ')).c_str(), lineas, pico_arranque / 1024.0,
                    crece_pagina);
        filas.push_back(
            {n, double(fs::file_size(install / "Forms/1832/76123456.Rut")), 0, 0, 0, 0});
        Fila& f = filas.back();
        reinicia_pico();
        long antes = estado_kb("VmRSS:");
        f.validar = bench::segundos([&] { editor.cmdValidar_Click(); });
        f.validar_kb = estado_kb("VmHWM:") - antes;
        reinicia_pico();
        antes = estado_kb("VmRSS:");
        bool grabado = false;
        f.grabar = bench::segundos([&] { grabado = editor.Grabar(); });
        f.grabar_kb = estado_kb("VmHWM:") - antes;
        if (!grabado || !port.calls.empty() || editor.informados.FILAS_DE_DATOS() != n) {
            std::fprintf(stderr, "bench_pelmo: the validation or the save failed%s%s\n",
                         port.calls.empty() ? "" : ": ",
                         port.calls.empty() ? "" : port.calls[0].text.c_str());
            return 1;
        }
    }
    std::printf("\n%8s %9s %11s %12s %9s %11s\n", "donors", "data MB", "validate s", "validate +MB",
                "save s", "save +MB");
    for (const Fila& f : filas)
        std::printf("%8d %9.1f %11.3f %12.1f %9.3f %11.1f\n", f.n, f.datos / 1e6, f.validar,
                    f.validar_kb / 1024.0, f.grabar, f.grabar_kb / 1024.0);
    fs::remove_all(trabajo);
    return 0;
}
