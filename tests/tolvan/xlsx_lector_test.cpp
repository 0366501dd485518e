// The .xlsx reader: cell texts of every kind, the first worksheet, streaming
// of long sheets and the refusal of files that are not readable workbooks.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "../support/temp_folder.hpp"
#include "libros.hpp"
#include "xlsx_lector.hpp"

namespace {

using tolvan::xlsx::Error;
using tolvan::xlsx::Libro;
using tolvan::xlsx::numero_exacto;
using tolvan::xlsx::texto_de_numero;
using namespace tolvan_test;
using Fila = std::vector<std::string>;

TEST(XlsxNumeros, ShowAsTheGeneralFormatShowsThem) {
    const std::pair<double, const char*> casos[] = {
        {12345678, "12345678"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {0.1 + 0.2, "0.3"},  // 15 significant digits
        {1e20, "1E+20"},
        {1e15, "1E+15"},
        {999999999999999, "999999999999999"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-0.0, "0"},
    };
    for (const auto& [v, texto] : casos) EXPECT_EQ(texto_de_numero(v), texto) << v;

    // A text counts as a number only when it comes back exactly.
    const std::pair<const char*, bool> textos[] = {
        {"12", true},
        {"-0.5", true},
        {"1E+20", true},
        {"0", true},
        {"012", false},
        {"1.50", false},
        {" 5", false},
        {"+5", false},
        {"K", false},
        {"", false},
        {"1e+20", false},
        {"-0", false},
        {"12345678901234567", false},
        {"0.30000000000000004", false},
    };
    for (const auto& [t, es] : textos) {
        double v = std::numeric_limits<double>::quiet_NaN();
        EXPECT_EQ(numero_exacto(t, v), es) << t;
        if (es) {
            EXPECT_EQ(texto_de_numero(v), t);
        }
    }
}

TEST(XlsxLector, ReadsTheTextOfEveryKindOfCell) {
    testsupport::TempFolder t;
    const std::string sst =
        std::string("<?xml version=\"1.0\"?><sst ") + kNsHoja +
        "><si><t>RUT</t></si>"
        "<si><r><rPr><b/></rPr><t>Pe\xC3\xB1</t></r><r><t xml:space=\"preserve\">a "
        "S.A.</t></r><rPh><t>fonetica</t></rPh></si>"
        "<si><t>a_x000D_b_x005F_x0041_</t></si>"
        "<si><t xml:space=\"preserve\"> </t></si></sst>";
    const std::string filas =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
        "<c r=\"C1\" t=\"s\"><v>2</v></c><c r=\"D1\" t=\"s\"><v>3</v></c></row>"
        // Numbers as writers store them, Booleans, an error value, a formula's text.
        "<row r=\"2\"><c r=\"A2\"><v>1.2345678E7</v></c><c r=\"B2\" t=\"n\"><v>0.5</v></c>"
        "<c r=\"C2\" t=\"b\"><v>1</v></c><c r=\"D2\" t=\"b\"><v>0</v></c>"
        "<c r=\"E2\" t=\"e\"><v>#N/A</v></c><c r=\"F2\" "
        "t=\"str\"><f>A1&amp;\"x\"</f><v>RUTx</v></c>"
        "<c r=\"G2\"><f>1/0</f></c><c r=\"H2\" s=\"3\"/></row>"
        // Cells without references follow each other; an inline string in runs.
        "<row><c><v>7</v></c><c t=\"inlineStr\"><is><r><t>uno </t></r><r><t>dos</t></r></is></c>"
        "<c r=\"E3\"><v>5</v></c><c><v>6</v></c><c r=\"Z3\"><v>99</v></c></row>";
    const fs::path p = escribir_zip(t / "tipos.xlsx", libro({{"Datos", hoja(filas)}}, sst));

    const Celdas c = leer_hoja(p, 8);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c.at(1), (Fila{"RUT",
                             "Pe\xC3\xB1"
                             "a S.A.",
                             "a\rb_x0041_", " ", "", "", "", ""}));
    EXPECT_EQ(c.at(2), (Fila{"12345678", "0.5", "TRUE", "FALSE", "#N/A", "RUTx", "", ""}));
    EXPECT_EQ(c.at(3), (Fila{"7", "uno dos", "", "", "5", "6", "", ""}));
}

TEST(XlsxLector, ReadsElementsWithAnyNamespacePrefix) {
    testsupport::TempFolder t;
    std::vector<Parte> partes = libro({{"Datos", ""}});
    partes[0].contenido =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData><x:row r=\"2\"><x:c r=\"B2\" t=\"inlineStr\"><x:is><x:t>K</x:t></x:is>"
        "</x:c></x:row></x:sheetData></x:worksheet>";
    const fs::path p = escribir_zip(t / "prefijo.xlsx", partes);
    EXPECT_EQ(leer_hoja(p, 3), (Celdas{{2, {"", "K", ""}}}));
}

TEST(XlsxLector, TakesTheFirstWorksheetInTheWorkbooksOrder) {
    testsupport::TempFolder t;
    // A chart sheet comes first; part names and relationship ids run the
    // other way from the sheet order.
    const fs::path p =
        escribir_zip(t / "orden.xlsx", libro({{"Grafico", "<chartsheet/>", "chartsheet"},
                                              {"Primera", hoja(fila(1, {"primera"}))},
                                              {"Segunda", hoja(fila(1, {"segunda"}))}}));
    EXPECT_EQ(leer_hoja(p, 1), (Celdas{{1, {"primera"}}}));
}

TEST(XlsxLector, StreamsLongSheetsAndStopsWhenAsked) {
    testsupport::TempFolder t;
    // Well beyond one parse group; markup that looks like a row end inside a
    // comment and a CDATA section must not split a row.
    const std::uint32_t n = 150000;
    std::string filas;
    for (std::uint32_t r = 1; r <= n; ++r) {
        filas += fila(r, {"#" + std::to_string(r), "texto de la fila " + std::to_string(r)});
        if (r == 70000)
            filas +=
                "<!-- </row> --><row r=\"70001\"><c t=\"inlineStr\"><is><t><![CDATA[a</row>"
                "<b>]]></t></is></c><c><v>1</v></c></row>";
        if (r == 70000) r = 70001;
    }
    const fs::path p = escribir_zip(t / "larga.xlsx", libro({{"Datos", hoja(filas)}}));

    std::uint32_t cuenta = 0, ultima = 0;
    std::vector<std::string> de_70001, de_ultima;
    Libro l(p);
    l.leer_filas(2, [&](std::uint32_t f, std::span<const std::string> c) {
        ++cuenta;
        ultima = f;
        if (f == 70001) de_70001.assign(c.begin(), c.end());
        de_ultima.assign(c.begin(), c.end());
        return true;
    });
    EXPECT_EQ(cuenta, n);
    EXPECT_EQ(ultima, n);
    EXPECT_EQ(de_70001, (Fila{"a</row><b>", "1"}));
    EXPECT_EQ(de_ultima, (Fila{"150000", "texto de la fila 150000"}));

    std::vector<std::uint32_t> vistas;
    Libro otra(p);
    otra.leer_filas(1, [&](std::uint32_t f, std::span<const std::string>) {
        vistas.push_back(f);
        return f < 3;
    });
    EXPECT_EQ(vistas, (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST(XlsxLector, RefusesWhatIsNotAReadableWorkbook) {
    testsupport::TempFolder t;
    auto con_hoja = [&](const std::string& nombre, const std::string& contenido,
                        const std::string& sst = "") {
        return escribir_zip(t / nombre, libro({{"Datos", contenido}}, sst));
    };
    std::vector<Parte> sin_parte = libro({{"Datos", hoja("")}});
    sin_parte.erase(sin_parte.begin());  // the sheet part itself
    const std::string truncada = hoja(fila(1, {"a"}) + fila(2, {"b"}));
    const std::pair<const char*, fs::path> casos[] = {
        {"missing file", t / "no-esta.xlsx"},
        {"folder", t.path()},
        {"text file", t.write("texto.xlsx", "RUT=1&DV=K&")},
        {"ZIP without workbook", escribir_zip(t / "otro.zip", {{"leame.txt", "hola"}})},
        {"workbook without worksheets",
         escribir_zip(t / "graf.xlsx", libro({{"G", "<chartsheet/>", "chartsheet"}}))},
        {"sheet part missing", escribir_zip(t / "sinparte.xlsx", sin_parte)},
        {"truncated sheet", con_hoja("trunca.xlsx", truncada.substr(0, truncada.size() - 30))},
        {"malformed row", con_hoja("mal.xlsx", hoja("<row r=\"1\"><c><v>1</c></row>"))},
        {"rows out of order", con_hoja("orden.xlsx", hoja(fila(3, {"a"}) + fila(2, {"b"})))},
        {"row beyond the sheet", con_hoja("fuera.xlsx", hoja(fila(1048577, {"a"})))},
        {"column beyond XFD",
         con_hoja("col.xlsx", hoja("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"))},
        {"shared string missing",
         con_hoja("sst.xlsx", hoja("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"),
                  cadenas_compartidas({"a"}))},
        {"document type declaration",
         con_hoja("dtd.xlsx",
                  "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaa\">]><worksheet>"
                  "<sheetData>" +
                      fila(1, {"&a;"}) + "</sheetData></worksheet>")},
    };
    for (const auto& [caso, ruta] : casos) {
        EXPECT_THROW(
            {
                Libro l(ruta);
                l.leer_filas(3, [](std::uint32_t, std::span<const std::string>) { return true; });
            },
            Error)
            << caso;
    }
}

}  // namespace
