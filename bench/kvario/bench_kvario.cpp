// bench_kvario [ENTRIES...]: builds a data file of ENTRIES pairs (100,000 and
// 1,000,000 by default, about 20 bytes each), then times a Kvario object
// created by its programmatic identifier and called by name reading it,
// looking up every key and saving it, beside a Python script that splits the
// same file into a dict and writes it back. Each time is the best of three
// runs.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kvario/kvario.hpp"
#include "platform/paths.hpp"
#include "platform/process.hpp"

namespace fs = std::filesystem;

namespace {

std::string key(int i) {
    return "ITEM" + std::to_string(i);
}

void write_data_file(const fs::path& p, int entries) {
    std::string bytes;
    bytes.reserve(std::size_t(entries) * 22);
    unsigned x = 12345;
    char value[16];
    for (int i = 1; i <= entries; ++i) {
        x = x * 1103515245u + 12345u;
        std::snprintf(value, sizeof value, "v%07u", x % 10000000u);
        bytes += key(i);
        bytes += '=';
        bytes += value;
        bytes += '&';
    }
    std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double kvario_once(const fs::path& data, int entries) {
    auto start = std::chrono::steady_clock::now();
    kvario::Kvario k;
    k.UbicacionArchivo2(data);
    if (!k.LeerDatos() || k.Cantidad_de_Elementos() != entries) {
        std::fprintf(stderr, "bench_kvario: reading failed: %s\n", k.MensajeError().c_str());
        std::exit(1);
    }
    std::size_t total = 0;
    for (int i = 1; i <= entries; ++i) total += k.Get_Valor(key(i)).size();
    if (total != std::size_t(entries) * 8 || !k.EscribirDatos()) {
        std::fprintf(stderr, "bench_kvario: lookup or save failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double python_once(const fs::path& data, const fs::path& out, const fs::path& time_file) {
    auto r = platform::Ejecutar_y_Esperar({KVARIO_BENCH_PYTHON, KVARIO_BENCH_SCRIPT, data.string(),
                                           out.string(), time_file.string()});
    if (!r.started || r.exit_code != 0) return -1;  // no usable python3
    return std::atof(read_all(time_file).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {100000, 1000000};

    const fs::path work =
        fs::temp_directory_path() / ("bench-kvario-" + std::to_string(::getpid()));
    fs::create_directories(work);
    ::setenv("ORVEX_COMPONENTS", (work / "components").c_str(), 1);
    auto reg = components::register_library(platform::program_folder() / "libKvario3.so");
    if (reg.stage != components::LibraryResult::Stage::done) {
        std::fprintf(stderr, "bench_kvario: %s\n", reg.error.description.c_str());
        return 1;
    }

    std::printf("%10s %8s %12s %12s %10s %8s %s\n", "entries", "MB", "kvario s", "python s",
                "kvario ns", "ratio", "same output");
    for (int n : sizes) {
        const fs::path data = work / "datos.txt", out = work / "python.txt";
        write_data_file(data, n);
        const std::string original = read_all(data);
        // Each side's runs follow one another: memory a large run has just
        // given back is slower to take again in some virtual machines, which
        // would charge each side for the other's run.
        double k = 1e9, p = 1e9;
        for (int run = 0; run < 3; ++run) k = std::min(k, kvario_once(data, n));
        for (int run = 0; run < 3 && p > 0; ++run)
            p = std::min(p, python_once(data, out, work / "time.txt"));
        if (p <= 0) {
            std::printf("%10d %8.1f %12.3f %12s %10.0f %8s %s\n", n, original.size() / 1e6, k, "-",
                        k * 1e9 / n, "-", read_all(data) == original ? "yes" : "NO");
            continue;
        }
        const bool same = read_all(data) == original && read_all(out) == original;
        std::printf("%10d %8.1f %12.3f %12.3f %10.0f %7.1fx %s\n", n, original.size() / 1e6, k, p,
                    k * 1e9 / n, p / k, same ? "yes" : "NO");
    }
    fs::remove_all(work);
    return 0;
}
