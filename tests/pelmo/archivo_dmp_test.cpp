// The grid work file: reads past the end and in gaps, the data-line test.
#include <gtest/gtest.h>

#include "../support/temp_folder.hpp"
#include "pelmo/archivo_dmp.hpp"

namespace pelmo {
namespace {

using testsupport::read_file;
using testsupport::TempFolder;

const std::string kNul(133, '\0');

TEST(ArchivoDMP, ReadsPastTheEndAndInNeverWrittenGapsGiveNulRecords) {
    TempFolder t;
    ArchivoRegistros a;
    std::error_code ec;
    ASSERT_TRUE(a.abrir(t / "x.DMP", ec));
    EXPECT_EQ(a.leer(1, ec), kNul);  // empty file
    ASSERT_TRUE(a.escribir(2, "uno", ec));
    ASSERT_TRUE(a.escribir(5, std::string(140, 'x'), ec));  // cut at 133
    EXPECT_EQ(a.leer(1, ec), kNul);
    EXPECT_EQ(a.leer(2, ec), "uno" + std::string(130, '\0'));
    EXPECT_EQ(a.leer(3, ec), kNul);
    EXPECT_EQ(a.leer(5, ec), std::string(133, 'x'));
    EXPECT_EQ(a.leer(6, ec), kNul);
    EXPECT_EQ(a.leer(40000, ec), kNul);
    EXPECT_FALSE(ec);
    a.cerrar();
    EXPECT_EQ(read_file(t / "x.DMP").size(), 5 * 133u);

    // A short last record reads NUL-filled in the sequential reader too.
    t.write("corto.DMP", std::string(133, 'a') + "bb");
    std::vector<std::string> vistos;
    ASSERT_TRUE(recorrer_registros(
        t / "corto.DMP",
        [&](std::int64_t, std::string_view r) {
            vistos.emplace_back(r);
            return true;
        },
        ec));
    ASSERT_EQ(vistos.size(), 2u);
    EXPECT_EQ(vistos[1], "bb" + std::string(131, '\0'));
}

TEST(ArchivoDMP, DataLineTest) {
    auto celdas = [](std::vector<std::string> c, char fin, char relleno) {
        std::string r;
        for (std::size_t i = 0; i < 6; ++i) {
            if (i) r += ';';
            std::string x = i < c.size() ? c[i] : "";
            x.resize(18, ' ');
            r += x;
        }
        if (fin) r += fin;
        r.resize(133, relleno);
        return r;
    };
    struct Caso {
        const char* que;
        std::string registro;
        bool datos;
    };
    const Caso casos[] = {
        {"never written", kNul, false},
        {"emptied in the grid", std::string(133, ' '), false},
        {"a whole line", celdas({"12345678", "K", "1", "100000", "01012018", "55"}, 0, '\xA0'),
         true},
        // Only a check digit "K": the grid's character-160 filler makes it a data line.
        {"check digit only, written by the grid", celdas({"", "K"}, 0, '\xA0'), true},
        {"check digit only, rebuilt with blanks", celdas({"", "K"}, ';', ' '), false},
        {"two characters rebuilt with blanks", celdas({"12"}, ';', ' '), true},
        {"empty cells rebuilt with blanks", celdas({}, ';', ' '), false},
        {"separators and NULs", std::string(";;;;") + std::string(129, '\0'), false},
    };
    for (const Caso& c : casos) EXPECT_EQ(es_linea_de_datos(c.registro), c.datos) << c.que;
    EXPECT_TRUE(empieza_vacio(kNul));
    EXPECT_FALSE(empieza_vacio(std::string(9, '\0') + " "));
}

}  // namespace
}  // namespace pelmo
