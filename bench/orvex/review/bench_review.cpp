// The review on large declarations:
//  1. one-line informados of 250 characters (1,000,000 by default): the review
//     beside `wc -l` on the same file (goal: within 4 times);
//  2. an informado section that is one multi-line record of 25,000, 50,000
//     and 100,000 lines: time and peak memory, which should grow linearly.
//
//   bench_review [FOLDER] [TYPE2_LINES]
//
// FOLDER (default: a new folder under the system's temporary folder) receives
// the install tree and the generated declarations; it is removed at the end.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/declaracion_sintetica.hpp"
#include "common/medicion.hpp"
#include "orvex/revision.hpp"
#include "platform/messages.hpp"
#include "scripted_port.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int kRepeticiones = 3;

// Catalogue of form 1879 with 250-character records; `modo2` is the informados' modo.
void catalogo(const fs::path& install, char modo2) {
    const bench::Campos tipo1 = {{1, 3, 6},   {2, 11, 11}, {3, 12, 18}, {4, 19, 19}, {5, 20, 27},
                                 {6, 28, 28}, {8, 29, 35}, {9, 36, 43}, {10, 44, 44}};
    bench::catalogo(install, modo2, tipo1,
                    {{1, 2, 2}, {2, 3, 9}, {3, 10, 10}, {4, 11, 18}, {5, 19, 19}},
                    {{2, 3, 9}, {4, 10, 17}, {5, 18, 18}, {7, 19, 20}, {8, 21, 23}, {9, 24, 27}});
}

// A declaration of `n` informado lines of 250 characters.
void declaracion(const fs::path& p, long n) {
    const std::string rut = "12345678", folio = "8023401";
    bench::declaracion(p,
                       "112018" + std::string("1879") + "M" + folio + "O" + std::string(8, ' ') +
                           " " + std::string(7, ' ') + rut + "9",
                       "2M" + folio + "O" + rut + "9", n,
                       {"31" + folio + rut + "9", "32" + folio + rut + "9" + "00   0000"});
}

struct Medida {
    double segundos = 0;
    long rss_kb = 0;  // peak resident set of the process
    int errores = 0;
    std::uint64_t tipo2 = 0;  // informado records read
};

Medida revisar(const fs::path& install, const fs::path& archivo) {
    testsupport::ScriptedPort port;
    orvex::Entorno entorno{install, port, {}, {}, {}, {}};
    Medida m;
    m.segundos = bench::mejor(kRepeticiones, [&] {
        orvex::ResultadoRevision r = orvex::Revisar(entorno, {"1879", "2018", archivo});
        m.errores = r.estado.errores;
        m.tipo2 = r.estado.cantidad_tipo2;
    });
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    m.rss_kb = uso.ru_maxrss;
    return m;
}

// Runs the review in a child process, so that its peak memory is its own.
Medida revisar_aparte(const fs::path& install, const fs::path& archivo) {
    int tubo[2];
    if (pipe(tubo) != 0) std::exit(1);
    pid_t pid = fork();
    if (pid == 0) {
        close(tubo[0]);
        Medida m = revisar(install, archivo);
        ssize_t escrito = write(tubo[1], &m, sizeof m);
        _exit(escrito == static_cast<ssize_t>(sizeof m) ? 0 : 1);
    }
    close(tubo[1]);
    Medida m;
    if (read(tubo[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) m.segundos = -1;
    close(tubo[0]);
    int estado = 0;
    waitpid(pid, &estado, 0);
    return m;
}

double mb(std::uintmax_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    const bool propia = argc < 2;
    const fs::path base =
        propia ? fs::temp_directory_path() / ("orvex-bench-review-" + std::to_string(getpid()))
               : fs::path(argv[1]);
    const long lineas = argc > 2 ? std::atol(argv[2]) : 1000000;

    // 1. One-line informados beside wc -l.
    const fs::path install_u = base / "u/Orvex18";
    catalogo(install_u, 'U');
    const fs::path archivo_u = base / "u/dj.txt";
    declaracion(archivo_u, lineas);
    const std::vector<std::string> wc{"wc", "-l", archivo_u.string()};
    const double t_wc = bench::mejor(kRepeticiones, [&] { bench::correr(wc); });
    Medida u = revisar_aparte(install_u, archivo_u);
    std::printf("One-line informados: %ld lines, %.1f MB\n", lineas + 3,
                mb(fs::file_size(archivo_u)));
    std::printf("  wc -l     %8.3f s\n", t_wc);
    std::printf("  review    %8.3f s   (%llu informados, %d errors, peak %ld KB)\n", u.segundos,
                static_cast<unsigned long long>(u.tipo2), u.errores, u.rss_kb);
    std::printf("  ratio     %8.2f x   (goal: at most 4)\n", u.segundos / t_wc);

    // 2. One informado record of many lines.
    const fs::path install_m = base / "m/Orvex18";
    catalogo(install_m, 'M');
    std::printf("\nOne multi-line informado record (ends in LARGO ERRONEO):\n");
    std::printf("  %8s %10s %10s %12s %12s\n", "lines", "MB", "seconds", "s per MB", "peak KB");
    for (long n : {25000L, 50000L, 100000L}) {
        const fs::path archivo = base / ("m/dj-" + std::to_string(n) + ".txt");
        declaracion(archivo, n);
        Medida m = revisar_aparte(install_m, archivo);
        const double tam = mb(fs::file_size(archivo));
        std::printf("  %8ld %10.1f %10.3f %12.4f %12ld\n", n, tam, m.segundos, m.segundos / tam,
                    m.rss_kb);
        fs::remove(archivo);
    }

    if (propia) fs::remove_all(base);
    return 0;
}
