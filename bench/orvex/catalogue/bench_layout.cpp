// Times reading a large declaration file record by record against its layout
// (layout load, line reading, record text and fields 1-5 of every record) and
// compares it with `wc -l` on the same file; then times one multi-line section
// of growing size to show that its cost is linear in its lines.
//
//   bench_layout [folder]   (default: the system's temporary folder)

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogo_lineas.hpp"
#include "common/medicion.hpp"
#include "orvex/catalogo.hpp"
#include "platform/lines.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int kInformados = 1'000'000;
constexpr int kAncho2 = 250;

void escribir(const fs::path& p, const std::vector<std::string>& lineas) {
    platform::LineWriter w(p, platform::LineWriter::Mode::truncate);
    for (const auto& l : lineas) w.write_line(l);
    w.close();
}

void catalogo(const fs::path& install) {
    fs::create_directories(install / "Sistema");
    using testsupport::linea_campo, testsupport::linea_formato;
    escribir(install / "Sistema" / "FORMATOSDJ.TXT",
             {linea_formato("1879", '1', 120, 'U'), linea_formato("1879", '2', kAncho2, 'U'),
              linea_formato("1879", '3', 120, 'U')});
    escribir(install / "Sistema" / "REGISTROSDJ.txt",
             {linea_campo("1879", '1', 1, 3, 6, 'N', "ANO TRIBUTARIO"),
              linea_campo("1879", '1', 3, 12, 18, 'N', "FOLIO"),
              linea_campo("1879", '1', 9, 36, 43, 'N', "RUT DECLARANTE"),
              linea_campo("1879", '2', 1, 6, 6, 'A', "COD. PRESENTACION"),
              linea_campo("1879", '2', 2, 7, 13, 'N', "FOLIO"),
              linea_campo("1879", '2', 3, 14, 14, 'A', "TIPO DECLARACION"),
              linea_campo("1879", '2', 4, 15, 22, 'N', "RUT DECLARANTE"),
              linea_campo("1879", '2', 5, 23, 23, 'X', "DV DECLARANTE")});
}

void declaracion(const fs::path& p) {
    platform::LineWriter w(p, platform::LineWriter::Mode::truncate);
    std::string l1 = "1120181879M8023401O0000000000000000123456785";
    l1.resize(120, ' ');
    w.write_line(l1);
    std::string l2 = "21879M8023401O123456785";
    for (int i = 0; i < kInformados; ++i) {
        char num[16];
        std::snprintf(num, sizeof num, "%08d", i);
        l2.resize(23);
        l2 += num;
        l2.resize(kAncho2, ' ');
        w.write_line(l2);
    }
    std::string l3 = "3118798023401M123456785";
    l3.resize(120, ' ');
    w.write_line(l3);
    w.close();
}

// The output of `wc -l path`.
std::string wc_l(const fs::path& p) {
    std::string salida;
    bench::correr({"wc", "-l", p.string()}, &salida);
    return salida;
}

struct Pasada {
    std::uint64_t registros = 0;
    std::uint64_t suma = 0;  // keeps the field reads from being optimised away
};

Pasada revisar(const fs::path& install, const fs::path& archivo) {
    Pasada p;
    const orvex::TablaFormatos tabla = orvex::Cargar_Formatos(install, "1879");
    platform::LineReader lector(archivo);
    orvex::TextoRegistro r;
    std::string_view linea;
    while (lector.next(linea)) {
        r.empezar(linea);
        const int tipo = linea.empty() ? 0 : linea[0] - '0';
        for (int k = 1; k <= 5; ++k) p.suma += orvex::Valor_Campo(r, tabla, tipo, k).size();
        p.suma += r.largo();
        ++p.registros;
    }
    return p;
}

void seccion(int n) {
    std::string l(kAncho2, 'x');
    l[0] = '2';
    orvex::TextoRegistro r;
    const double armar = bench::segundos([&] {
        r.empezar(l);
        for (int i = 1; i < n; ++i) r.agregar(l);
    });
    std::uint64_t suma = 0;
    const std::uint64_t largo = r.largo();
    const double leer = bench::segundos([&] {
        for (std::uint64_t d = 1; d < largo; d += largo / 1000) suma += r.tramo(d, 20).size();
    });
    std::printf(
        "  %7d lines: build %8.2f ms, record text %15llu characters, 1000 ranges %6.2f ms"
        " (%llu)\n",
        n, armar * 1e3, static_cast<unsigned long long>(largo), leer * 1e3,
        static_cast<unsigned long long>(suma));
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path install = base / ("orvex-bench-layout-" + std::to_string(::getpid()));
    fs::create_directories(install);
    catalogo(install);
    const fs::path archivo = install / "F1879.txt";

    const double escrita = bench::segundos([&] { declaracion(archivo); });
    std::printf("declaration: %llu bytes, written in %.2f s\n",
                static_cast<unsigned long long>(fs::file_size(archivo)), escrita);

    wc_l(archivo);  // warms the page cache for both timings
    for (int vuelta = 1; vuelta <= 2; ++vuelta) {
        Pasada p;
        const double nuestro = bench::segundos([&] { p = revisar(install, archivo); });
        std::string wc;
        const double suyo = bench::segundos([&] { wc = wc_l(archivo); });
        std::printf(
            "run %d: layout + records + fields 1-5: %.3f s (%llu records, %.2f M/s, check %llu)"
            "   wc -l: %.3f s (%s)\n",
            vuelta, nuestro, static_cast<unsigned long long>(p.registros),
            p.registros / nuestro / 1e6, static_cast<unsigned long long>(p.suma), suyo, wc.c_str());
    }

    std::printf("multi-line type-2 section, one record:\n");
    for (int n : {12'500, 25'000, 50'000, 100'000}) seccion(n);

    std::error_code ec;
    fs::remove_all(install, ec);
    return 0;
}
