// bench_tolvan [LINES]: builds a form-1887 data file of LINES informado lines
// (30,000 by default, 19 fields each), then times a clsdj object created by
// its programmatic identifier and called by name
//   export: Abrir_Archivo + Exportar_a_Excel (data file to workbook),
//   import: Importar_de_Excel + Grabar_Archivo (workbook to data file),
// beside a Python script doing the same with openpyxl in its fast modes
// (write-only, read-only; best of three) and, once, with its ordinary
// workbooks. Tolvan's times are the best of three. The script's import reads the workbook that
// Tolvan wrote, and Tolvan's import the one the script wrote, so each reads a workbook it did not
// write itself.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "components/component.hpp"
#include "platform/paths.hpp"
#include "platform/process.hpp"

namespace fs = std::filesystem;
namespace comp = components;

namespace {

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench_tolvan: %s\n", what);
    std::exit(1);
}

// Every field filled: numbers for most, a check digit that may be K and a
// certificate code that is text.
void write_declaration(const fs::path& p, int lines) {
    std::string d = "RUT=76543210&DV=K&FORMDJ=1887&AT=2018&MAX_ROWS=" + std::to_string(lines) + "&";
    unsigned x = 12345;
    int item = 1;
    auto add = [&](const std::string& v) { d += "ITEM" + std::to_string(item++) + "=" + v + "&"; };
    for (int i = 1; i <= lines; ++i) {
        add(std::to_string(i));
        add(std::to_string(10000000 + i));
        add(i % 11 == 10 ? "K" : std::to_string(i % 10));
        for (int f = 4; f <= 18; ++f) {
            x = x * 1103515245u + 12345u;
            add(std::to_string(x % 5000000u));
        }
        add("C-" + std::to_string(i));
    }
    std::ofstream(p, std::ios::binary).write(d.data(), std::streamsize(d.size()));
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double tolvan_export(const fs::path& data, const fs::path& book) {
    fs::remove(book);
    const auto start = std::chrono::steady_clock::now();
    comp::Dispatch dj(comp::CreateObject("Tolvan.clsdj"));
    dj.let("Ubicacion_Archivo_VAzorode", data.string());
    if (!dj.call("Abrir_Archivo", {false}).to_bool()) fail("Abrir_Archivo failed");
    dj.let("Ubicacion_Archivo_Excels", book.string());
    dj.call("Exportar_a_Excel");
    const double s = seconds_since(start);
    if (!fs::exists(book)) fail("the export wrote no workbook");
    return s;
}

double tolvan_import(const fs::path& book, const fs::path& data, int lines) {
    fs::remove(data);
    const auto start = std::chrono::steady_clock::now();
    comp::Dispatch dj(comp::CreateObject("Tolvan.clsdj"));
    dj.let("Ubicacion_Archivo_VAzorode", data.string());
    dj.let("Formulario", "1887");
    dj.call("Agrega_Dupla_Cabecera", {"RUT", "76543210"});
    dj.call("Agrega_Dupla_Cabecera", {"DV", "K"});
    dj.call("Agrega_Dupla_Cabecera", {"FORMDJ", "1887"});
    dj.let("Ubicacion_Archivo_Excels", book.string());
    dj.call("Importar_de_Excel");
    if (!dj.call("Grabar_Archivo").to_bool()) fail("Grabar_Archivo failed");
    const double s = seconds_since(start);
    if (dj.call("Obtiene_Dupla_Informado", {lines, "CERTIFICADO"}).to_text() !=
        "C-" + std::to_string(lines))
        fail("the import lost lines");
    return s;
}

double python(const char* action, const fs::path& from, const fs::path& to, const fs::path& t) {
    const auto r = platform::Ejecutar_y_Esperar(
        {TOLVAN_BENCH_PYTHON, TOLVAN_BENCH_SCRIPT, action, from.string(), to.string(), t.string()});
    if (!r.started || r.exit_code != 0) return -1;  // no python3 with openpyxl
    return std::atof(read_all(t).c_str());
}

// Tolvan's time beside openpyxl's fast and ordinary modes.
void report(const char* what, double tolvan, double fast, double ordinary) {
    std::printf("%-8s %10.3f", what, tolvan);
    for (double py : {fast, ordinary}) {
        if (py <= 0)
            std::printf(" %12s %8s", "-", "-");
        else
            std::printf(" %12.3f %7.1fx", py, py / tolvan);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 30000;
    if (lines < 1) fail("LINES must be at least 1");
    const fs::path work =
        fs::temp_directory_path() / ("bench-tolvan-" + std::to_string(::getpid()));
    fs::create_directories(work);
    ::setenv("ORVEX_COMPONENTS", (work / "components").c_str(), 1);
    for (const char* lib : {"libKvario3.so", "libTolvan.so"}) {
        auto r = comp::register_library(platform::program_folder() / lib);
        if (r.stage != comp::LibraryResult::Stage::done) fail(r.error.description.c_str());
    }

    const fs::path data = work / "dj.txt", book = work / "tolvan.xlsx";
    const fs::path py_book = work / "openpyxl.xlsx", py_data = work / "openpyxl.txt";
    write_declaration(data, lines);
    std::printf("form 1887: %d lines, %d cells, data file %.1f MB\n", lines, lines * 19,
                double(fs::file_size(data)) / 1e6);

    // Each side's runs follow one another.
    double te = 1e9, ti = 1e9, pe = 1e9, pi = 1e9;
    for (int run = 0; run < 3; ++run) te = std::min(te, tolvan_export(data, book));
    for (int run = 0; run < 3 && pe > 0; ++run)
        pe = std::min(pe, python("export", data, py_book, work / "t"));
    const fs::path tolvan_reads = pe > 0 ? py_book : book;
    for (int run = 0; run < 3; ++run)
        ti = std::min(ti, tolvan_import(tolvan_reads, work / "importado.txt", lines));
    for (int run = 0; run < 3 && pi > 0; ++run)
        pi = std::min(pi, python("import", book, py_data, work / "t"));

    const double de = pe > 0 ? python("export-default", data, work / "d.xlsx", work / "t") : -1;
    const double di = pi > 0 ? python("import-default", book, work / "d.txt", work / "t") : -1;

    std::printf("workbook %.1f MB (Tolvan), %.1f MB (openpyxl)\n",
                double(fs::file_size(book)) / 1e6,
                pe > 0 ? double(fs::file_size(py_book)) / 1e6 : 0.0);
    std::printf("%-8s %10s %12s %8s %12s %8s\n", "", "Tolvan s", "openpyxl s", "ratio",
                "ordinary s", "ratio");
    report("export", te, pe, de);
    report("import", ti, pi, di);
    if (pi > 0) {
        // Both imports of Tolvan's workbook give the same pairs, in the same order.
        tolvan_import(book, work / "importado.txt", lines);
        const bool same = read_all(work / "importado.txt") ==
                          "RUT=76543210&DV=K&FORMDJ=1887&" + read_all(py_data);
        std::printf("same pairs imported by both: %s\n", same ? "yes" : "NO");
    }
    if (pe <= 0 || pi <= 0) std::printf("(no python3 with openpyxl at %s)\n", TOLVAN_BENCH_PYTHON);
    fs::remove_all(work);
    return 0;
}
