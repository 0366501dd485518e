// The spreadsheet exchange of the declaration component: import and export of
// forms 1879 and 1887, their failure paths, and workbooks shared with
// openpyxl and LibreOffice.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "celdas.hpp"
#include "libros.hpp"
#include "platform/process.hpp"
#include "tolvan_fixture.hpp"

namespace {

using namespace tolvan_test;
using comp::Dispatch;
using testsupport::read_file;
using Fila = std::vector<std::string>;

const Fila kTitulos1879 = {"NUM",
                           "RUT",
                           "DV",
                           "RETENCION 10%",
                           "RETENCION DIRECTORES 10%",
                           "RETENCION DIRECTORES 20%",
                           "CERTIFICADO"};
const Fila kTitulos1887 = {
    "NUM",        "RUT",     "DV",         "RENTA NETA", "IMPUESTO UNICO", "MAYOR RETENCION",
    "ENERO",      "FEBRERO", "MARZO",      "ABRIL",      "MAYO",           "JUNIO",
    "JULIO",      "AGOSTO",  "SEPTIEMBRE", "OCTUBRE",    "NOVIEMBRE",      "DICIEMBRE",
    "CERTIFICADO"};

class IntercambioTest : public TolvanTest {
  protected:
    // A workbook of one sheet with these rows, written as `nombre`.
    fs::path libro_con(const std::string& nombre, const std::string& filas,
                       const std::string& sst = "") {
        return escribir_zip(t_ / nombre, libro({{"Hoja1", hoja(filas)}}, sst));
    }

    void importar(const Dispatch& dj, const fs::path& libro) {
        dj.let("Ubicacion_Archivo_Excels", texto(libro));
        dj.call("Importar_de_Excel");
    }
    void exportar(const Dispatch& dj, const fs::path& libro) {
        dj.let("Ubicacion_Archivo_Excels", texto(libro));
        dj.call("Exportar_a_Excel");
    }
    // The pairs the object holds, as a save writes them (empty values dropped).
    Pares guardados(const Dispatch& dj) {
        EXPECT_TRUE(dj.call("Grabar_Archivo").to_bool());
        return pares(read_file(datos_));
    }
    static std::vector<std::string> items(const Pares& p) {
        std::vector<std::string> k;
        for (const auto& [clave, valor] : p)
            if (clave.rfind("ITEM", 0) == 0) k.push_back(clave);
        return k;
    }
};

TEST_F(IntercambioTest, ImportReadsLinesFromRowTwoUntilTheFirstEmptyACell) {
    const std::string filas =
        fila(1, kTitulos1879) +
        // Row 2 from shared strings and numbers, an empty cell in F.
        "<row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"B2\"><v>111</v></c>"
        "<c r=\"C2\" t=\"s\"><v>0</v></c><c r=\"D2\"><v>1000</v></c><c r=\"E2\"><v>0.5</v></c>"
        "<c r=\"G2\" t=\"s\"><v>1</v></c></row>" +
        fila(3, {"#2", "#222", "#2", "", "", "",
                 "Pe\xC3\xB1"
                 "a"}) +
        fila(4, {"#3", "#333", "3", "", "", "", "X"}) +
        fila(5, {"", "#555", "5", "#5", "#5", "#5", "5"}) +  // A5 empty, the rest full
        fila(6, {"#6", "#666", "6", "", "", "", "Y"});
    const fs::path p = libro_con("1879.xlsx", filas, cadenas_compartidas({"K", "C-1"}));

    Dispatch dj = abrir("MAX_ROWS=1&ITEM2=999&ITEM3=9&ITEM50=queda&");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {999, "DV"}).to_text(), "9");
    importar(dj, p);

    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, "NUM"}).to_text(), "1");  // not the title
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, "DV"}).to_text(), "K");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, "RETENCION10"}).to_text(), "0.5");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, "CERTIFICADO"}).to_text(), "C-1");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {2, "CERTIFICADO"}).to_text(),
              "Pe\xF1"
              "a");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {3, "RUT"}).to_text(), "333");
    // The RUT index is rebuilt from the imported lines.
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {999, "DV"}).to_text(), "");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {222, "DV"}).to_text(), "2");

    const Pares g = guardados(dj);
    EXPECT_EQ(g.at("MAX_ROWS"), "3");
    EXPECT_EQ(g.at("ITEM50"), "queda");  // pairs beyond the sheet stay
    // Lines 1 to 3 only; the empty cells were stored as "" and are not saved.
    EXPECT_EQ(items(g), (std::vector<std::string>{"ITEM1", "ITEM10", "ITEM14", "ITEM15", "ITEM16",
                                                  "ITEM17", "ITEM2", "ITEM21", "ITEM3", "ITEM4",
                                                  "ITEM5", "ITEM50", "ITEM7", "ITEM8", "ITEM9"}));
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(IntercambioTest, AnEmptyA2ImportsOnlyACountOfZero) {
    const std::pair<const char*, std::string> casos[] = {
        {"A2 empty", fila(1, kTitulos1879) + fila(2, {"", "#5", "K"}) + fila(3, {"#1", "#2"})},
        {"titles only", fila(1, kTitulos1879)},
        {"row 2 missing", fila(1, kTitulos1879) + fila(3, {"#1", "#2"})},
        {"empty sheet", ""},
    };
    for (const auto& [caso, filas] : casos) {
        Dispatch dj = abrir("MAX_ROWS=4&");
        importar(dj, libro_con("vacio.xlsx", filas));
        const Pares g = guardados(dj);
        EXPECT_EQ(g.at("MAX_ROWS"), "0") << caso;
        EXPECT_TRUE(items(g).empty()) << caso;
    }
}

TEST_F(IntercambioTest, ImportOf1887PutsEachMonthUnderItsOwnField) {
    Fila valores = {"#1", "#12345678", "K", "#1000000", "#5000", "#0"};
    for (int mes = 1; mes <= 12; ++mes) valores.push_back("#" + std::to_string(100 + mes));
    valores.push_back("C7");
    Dispatch dj = abrir("", "1887");
    importar(dj, libro_con("1887.xlsx", fila(1, kTitulos1887) + fila(2, valores)));

    const char* codigos[] = {
        "NUM",        "RUT", "DV",  "RENTA_NETA", "IMP_UNICO", "MAYOR_RETENCION",
        "ENE",        "FEB", "MAR", "ABR",        "MAY",       "JUN",
        "JUL",        "AGO", "SEP", "OCT",        "NOV",       "DIC",
        "CERTIFICADO"};
    for (std::size_t j = 0; j < 19; ++j) {
        const std::string esperado = valores[j][0] == '#' ? valores[j].substr(1) : valores[j];
        EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, codigos[j]}).to_text(), esperado)
            << codigos[j];
    }
    EXPECT_EQ(guardados(dj).at("MAX_ROWS"), "1");
}

TEST_F(IntercambioTest, AWorkbookThatCannotBeReadImportsNothingAndSaysNothing) {
    std::vector<Parte> sin_libro = {{"xl/worksheets/sheet1.xml", hoja(fila(2, {"#1", "#2"}))}};
    const std::pair<const char*, fs::path> casos[] = {
        {"missing", t_ / "no-esta.xlsx"},
        {"not a ZIP", t_.write("texto.xlsx", "NUM;RUT;DV\r\n1;111;K\r\n")},
        {"not a workbook", escribir_zip(t_ / "zip.xlsx", sin_libro)},
        {"damaged sheet", libro_con("mal.xlsx", fila(2, {"#1", "#2"}) + "<row r=\"3\"><c>")},
    };
    for (const auto& [caso, ruta] : casos) {
        Dispatch dj = abrir("MAX_ROWS=4&");
        importar(dj, ruta);
        const Pares g = guardados(dj);
        EXPECT_EQ(g.at("MAX_ROWS"), "4") << caso;
        EXPECT_TRUE(items(g).empty()) << caso;
    }

    // Another form starts nothing.
    Dispatch dj = abrir("MAX_ROWS=4&", "1832");
    importar(dj, libro_con("bueno.xlsx", fila(2, {"#1", "#2"})));
    EXPECT_EQ(guardados(dj).at("MAX_ROWS"), "4");
    EXPECT_TRUE(port_.calls.empty());
}

// A successful import leaves the pairs as adding each imported pair to the
// previous list would: the pairs it did not replace first, in their order,
// then the imported ones. A cell of 32,767 characters is still a cell.
TEST_F(IntercambioTest, ImportKeepsThePairsItDoesNotReplaceInTheirOrder) {
    const std::string largo(32767, 'z');
    const fs::path p = libro_con(
        "1879.xlsx", fila(1, kTitulos1879) + fila(2, {"#1", "#111", "K", "", "", "", largo}) +
                         fila(3, {"", "#2"}) + fila(4, {"#3", "a&b"}));  // beyond the last line
    for (const std::string antes : {"", "=suelto&"}) {  // one entry the key index cannot reach
        Dispatch dj = abrir(antes + "MAX_ROWS=1&ITEM2=999&ITEM50=queda&ZZ=1&");
        importar(dj, p);
        ASSERT_TRUE(dj.call("Grabar_Archivo").to_bool());
        EXPECT_EQ(read_file(datos_),
                  "RUT=7&DV=K&FORMDJ=1879&ITEM50=queda&ZZ=1&ITEM1=1&ITEM2=111&"
                  "ITEM3=K&ITEM7=" +
                      largo + "&MAX_ROWS=1&")
            << antes;
    }
    EXPECT_TRUE(port_.calls.empty());
}

// A cell that the data file cannot hold ("&" would forge a key on reload, line
// breaks and NUL bytes would be lost) or longer than a spreadsheet cell stops
// the import with one message, and the data object keeps what it had.
TEST_F(IntercambioTest, ACellThatCannotBeImportedStopsTheImportWithOneMessage) {
    const std::string bien = fila(1, kTitulos1879) + fila(2, {"#1", "#111", "K"});
    // 100,000 cells that all show one shared string of 1 MB.
    std::string cien_mil = fila(1, kTitulos1879);
    for (std::uint32_t r = 2; r < 2 + 100000 / 7; ++r) {
        cien_mil += "<row r=\"" + std::to_string(r) + "\">";
        for (std::size_t c = 0; c < 7; ++c)
            cien_mil += "<c r=\"" + columna(c) + std::to_string(r) + "\" t=\"s\"><v>0</v></c>";
        cien_mil += "</row>";
    }
    const std::string no_admite =
        ", que el archivo de datos no admite. No se import\xF3 nada del libro.";
    struct Caso {
        std::string filas, sst, mensaje;
    };
    const Caso casos[] = {
        {bien + fila(3, {"#2", "#222", "C1&amp;MAX_ROWS=1"}), "",
         "La celda C3 (ITEM10) contiene \"&\"" + no_admite},
        {bien + fila(3, {"#2", "#222", "1", "", "", "", "calle_x000D__x000A_2"}), "",
         "La celda G3 (ITEM14) contiene un salto de l\xEDnea" + no_admite},
        {bien + fila(3, {"#2", "a_x0000_b"}), "",
         "La celda B3 (ITEM9) contiene un car\xE1"
         "cter nulo" +
             no_admite},
        {bien + fila(3, {"#2", std::string(32768, 'y')}), "",
         "La celda B3 tiene m\xE1s de 32767 caracteres. No se import\xF3 nada del libro."},
        {cien_mil, cadenas_compartidas({std::string(1 << 20, 'x')}),
         "La celda A2 tiene m\xE1s de 32767 caracteres. No se import\xF3 nada del libro."},
    };
    const std::string antes = "MAX_ROWS=1&ITEM2=999&ITEM50=queda&";
    for (const Caso& c : casos) {
        port_.calls.clear();
        Dispatch dj = abrir(antes);
        importar(dj, libro_con("malo.xlsx", c.filas, c.sst));
        ASSERT_EQ(port_.calls.size(), 1u) << c.mensaje;
        EXPECT_EQ(port_.calls[0].text, platform::cp1252_to_utf8(c.mensaje));
        EXPECT_EQ(port_.calls[0].title, "Error en Tolvan");
        EXPECT_EQ(port_.calls[0].icon, platform::Icon::critical);
        ASSERT_TRUE(dj.call("Grabar_Archivo").to_bool());
        EXPECT_EQ(read_file(datos_), "RUT=7&DV=K&FORMDJ=1879&" + antes) << c.mensaje;
    }
}

// An ADD_Valor that fails (as when memory runs out) shows its message and ends
// the import there: one message, not one per cell, and nothing imported.
TEST_F(IntercambioTest, AFailedAddEndsTheImportAfterItsOneMessage) {
    auto r = comp::register_library(KVARIO_CON_FALLAS_PATH);  // now "Kvario3.clsURL"
    ASSERT_EQ(r.stage, comp::LibraryResult::Stage::done) << r.error.description;
    ::setenv("KVARIO_FALLA_DESDE", "10", 1);  // the tenth ADD_Valor and all after it
    const std::string antes = "MAX_ROWS=1&ITEM2=999&ITEM50=queda&";
    Dispatch dj = abrir(antes);
    ::unsetenv("KVARIO_FALLA_DESDE");
    std::string filas = fila(1, kTitulos1879);
    for (std::uint32_t r = 2; r < 12; ++r)
        filas += fila(
            r, {"#" + std::to_string(r - 1), "#1" + std::to_string(r), "K", "#5", "#6", "#7", "C"});
    importar(dj, libro_con("diez.xlsx", filas));
    ASSERT_EQ(port_.calls.size(), 1u);
    EXPECT_EQ(port_.calls[0].text, "Error");
    EXPECT_EQ(port_.calls[0].title, "Error no definido -Versi\xC3\xB3n Prueba");
    ASSERT_TRUE(dj.call("Grabar_Archivo").to_bool());
    EXPECT_EQ(read_file(datos_), "RUT=7&DV=K&FORMDJ=1879&" + antes);
}

TEST(CeldasImportadas, TheTextOfAnImportIsBoundedAndCellsCountCharacters) {
    tolvan::CeldasImportadas control(100);
    EXPECT_EQ(control.tomar("Pe\xC3\xB1"
                            "a",
                            2, 0, 1),
              "Pe\xF1"
              "a");
    EXPECT_EQ(control.tomar(std::string(92, 'x'), 2, 1, 2).size(), 92u);  // 96 in all
    EXPECT_EQ(control.tomar("1234", 2, 2, 3), "1234");                    // 100: the bound itself
    try {
        control.tomar("5", 3, 26, 4);
        ADD_FAILURE() << "beyond the bound";
    } catch (const tolvan::Rechazo& r) {
        EXPECT_EQ(r.mensaje,
                  "El texto del libro pasa de 100 bytes en la celda AA3. No se import\xF3 nada "
                  "del libro.");
    }

    // 32,767 characters of two bytes each in the workbook are a full cell.
    tolvan::CeldasImportadas sin_tope;
    std::string enes;
    for (int i = 0; i < 32767; ++i) enes += "\xC3\xB1";
    EXPECT_EQ(sin_tope.tomar(enes, 2, 0, 1), std::string(32767, '\xF1'));
    EXPECT_THROW(sin_tope.tomar(enes + "n", 2, 0, 1), tolvan::Rechazo);
}

TEST_F(IntercambioTest, ExportNumbersLinesFromOneAndPutsFieldsUnderTheirTitles) {
    // NUM items that are not 1, 2; line 2 partly empty.
    Dispatch dj = abrir(
        "MAX_ROWS=2&ITEM1=7&ITEM2=12345678&ITEM3=K&ITEM4=1000000&ITEM5=a_x0041_b&ITEM11=1500&"
        "ITEM17=0012&"
        "ITEM19=C-1&ITEM20=9&ITEM21=22&ITEM22=2&ITEM37=1.50&",
        "1887");
    const fs::path p = t_ / "salida.xlsx";
    exportar(dj, p);

    const Celdas c = leer_hoja(p, 20);
    ASSERT_EQ(c.size(), 3u);
    Fila titulos = kTitulos1887;
    titulos.push_back("");
    EXPECT_EQ(c.at(1), titulos);
    EXPECT_EQ(c.at(2),
              (Fila{"1",    "12345678", "K", "1000000", "a_x0041_b", "", "",     "", "",    "",
                    "1500", "",         "",  "",        "",          "", "0012", "", "C-1", ""}));
    EXPECT_EQ(c.at(3), (Fila{"2", "22", "2", "", "", "", "", "",     "", "",
                             "",  "",   "",  "", "", "", "", "1.50", "", ""}));

    // A round trip renumbers NUM and keeps every other value as it was.
    Dispatch otro = abrir("", "1887");
    importar(otro, p);
    const Pares g = guardados(otro);
    const Pares esperado = {{"ITEM1", "1"},       {"ITEM2", "12345678"},  {"ITEM3", "K"},
                            {"ITEM4", "1000000"}, {"ITEM5", "a_x0041_b"}, {"ITEM11", "1500"},
                            {"ITEM17", "0012"},   {"ITEM19", "C-1"},      {"ITEM20", "2"},
                            {"ITEM21", "22"},     {"ITEM22", "2"},        {"ITEM37", "1.50"}};
    for (const auto& [k, v] : esperado) EXPECT_EQ(g.at(k), v) << k;
    EXPECT_EQ(items(g).size(), esperado.size());
    EXPECT_EQ(g.at("MAX_ROWS"), "2");
}

TEST_F(IntercambioTest, ExportWithoutAUsableCountWritesTheTitleRowOnly) {
    for (const char* cuenta : {"", "MAX_ROWS=abc&", "MAX_ROWS=-3&", "MAX_ROWS=0.4&"}) {
        Dispatch dj = abrir(std::string(cuenta) + "ITEM1=1&ITEM2=111&");
        const fs::path p = t_ / "titulos.xlsx";
        exportar(dj, p);
        EXPECT_EQ(leer_hoja(p, 7), (Celdas{{1, {kTitulos1879.begin(), kTitulos1879.end()}}}))
            << cuenta;
        fs::remove(p);
    }
}

TEST_F(IntercambioTest, ExportWritesAsManyLinesAsASheetHoldsAndNoMore) {
    // Beyond 32,766 lines, with most fields empty.
    Dispatch dj = abrir("MAX_ROWS=32767.5&ITEM229370=1&ITEM229376=fin&");  // line 32768
    const fs::path p = t_ / "largo.xlsx";
    exportar(dj, p);
    const Celdas c = leer_hoja(p, 7);
    ASSERT_EQ(c.size(), 32769u);
    EXPECT_EQ(c.at(32769), (Fila{"32768", "", "", "", "", "", "fin"}));

    // One line too many: nothing is written and the workbook there stays.
    const std::string antes = read_file(p);
    Dispatch demasiado = abrir("MAX_ROWS=1048576&");
    exportar(demasiado, p);
    EXPECT_EQ(read_file(p), antes);

    // Nowhere to write, or another form: no file, no message.
    Dispatch dj2 = abrir("MAX_ROWS=1&");
    exportar(dj2, t_ / "no-hay" / "salida.xlsx");
    Dispatch otro = abrir("MAX_ROWS=1&", "1832");
    exportar(otro, t_ / "1832.xlsx");
    EXPECT_FALSE(fs::exists(t_ / "no-hay"));
    EXPECT_FALSE(fs::exists(t_ / "1832.xlsx"));
    for (const auto& e : fs::directory_iterator(t_.path()))
        EXPECT_EQ(e.path().filename().string().find(".~"), std::string::npos) << e.path();
    EXPECT_TRUE(port_.calls.empty());
}

// ---- With the outside programs ----

const char* const kLeerConOpenpyxl = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
with open(sys.argv[2], "w", encoding="utf-8") as out:
    for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=7):
        out.write("|".join("" if c.value is None else type(c.value).__name__ + ":" + str(c.value)
                           for c in row) + "\n")
)";

// Values of both kinds: numbers, texts that look like numbers, accented text.
const char* const kDatosMixtos =
    "MAX_ROWS=2&ITEM1=5&ITEM2=12345678&ITEM3=K&ITEM4=0012&ITEM5=0.5&ITEM7=Pe\xF1"
    "a&"
    "ITEM9=222&ITEM10=2&ITEM11=-1500&";

TEST_F(IntercambioTest, ExportedWorkbooksOpenInOpenpyxl) {
    if (!hay_openpyxl()) GTEST_SKIP() << "openpyxl is not installed for /usr/bin/python3";
    Dispatch dj = abrir(kDatosMixtos);
    const fs::path p = t_ / "exportado.xlsx";
    exportar(dj, p);
    ASSERT_TRUE(python(t_.path(), kLeerConOpenpyxl, {p.string(), (t_ / "celdas.txt").string()}));
    EXPECT_EQ(read_file(t_ / "celdas.txt"),
              "str:NUM|str:RUT|str:DV|str:RETENCION 10%|str:RETENCION DIRECTORES 10%|"
              "str:RETENCION DIRECTORES 20%|str:CERTIFICADO\n"
              "int:1|int:12345678|str:K|str:0012|float:0.5||str:Pe\xC3\xB1"
              "a\n"
              "int:2|int:222|int:2|int:-1500|||\n");
}

TEST_F(IntercambioTest, ExportedWorkbooksOpenInLibreOffice) {
    if (!hay_libreoffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    Dispatch dj = abrir(kDatosMixtos);
    const fs::path p = t_ / "exportado.xlsx";
    exportar(dj, p);
    const fs::path csv =
        convertir_con_libreoffice(p, "csv:Text - txt - csv (StarCalc):44,34,76", t_ / "lo");
    ASSERT_FALSE(csv.empty());
    EXPECT_EQ(read_file(csv),
              "NUM,RUT,DV,RETENCION 10%,RETENCION DIRECTORES 10%,RETENCION DIRECTORES 20%,"
              "CERTIFICADO\n1,12345678,K,0012,0.5,,Pe\xC3\xB1"
              "a\n2,222,2,-1500,,,\n");
}

const char* const kEscribirConOpenpyxl = R"(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Datos"
ws.append(["NUM", "RUT", "DV", "RETENCION 10%", "RETENCION DIRECTORES 10%",
           "RETENCION DIRECTORES 20%", "CERTIFICADO"])
ws.append([1, 12345678, "K", 1000.25, None, True, "Peña"])
ws.append([2, 22222222, 7, "0012", 1e20, None, "C-2"])
ws.append([None, 3, "3"])
ws.append([4, 4, "4"])
wb.create_sheet("Otra")["A2"] = "no"
wb.save(sys.argv[1])
)";

TEST_F(IntercambioTest, WorkbooksWrittenByOpenpyxlImport) {
    if (!hay_openpyxl()) GTEST_SKIP() << "openpyxl is not installed for /usr/bin/python3";
    const fs::path p = t_ / "openpyxl.xlsx";
    ASSERT_TRUE(python(t_.path(), kEscribirConOpenpyxl, {p.string()}));
    Dispatch dj = abrir("");
    importar(dj, p);
    const Pares g = guardados(dj);
    const Pares esperado = {{"ITEM1", "1"},
                            {"ITEM2", "12345678"},
                            {"ITEM3", "K"},
                            {"ITEM4", "1000.25"},
                            {"ITEM6", "TRUE"},
                            {"ITEM7",
                             "Pe\xF1"
                             "a"},
                            {"ITEM8", "2"},
                            {"ITEM9", "22222222"},
                            {"ITEM10", "7"},
                            {"ITEM11", "0012"},
                            {"ITEM12", "1E+20"},
                            {"ITEM14", "C-2"}};
    for (const auto& [k, v] : esperado) EXPECT_EQ(g.at(k), v) << k;
    EXPECT_EQ(items(g).size(), esperado.size());
    EXPECT_EQ(g.at("MAX_ROWS"), "2");
}

TEST_F(IntercambioTest, WorkbooksWrittenByLibreOfficeImport) {
    if (!hay_libreoffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const fs::path csv =
        t_.write("calc.csv",
                 "NUM,RUT,DV,RENTA NETA\n1,11111111,K,2500000\n2,22222222,9,\"texto, con coma\"\n");
    const fs::path p = convertir_con_libreoffice(csv, "xlsx", t_ / "lo");
    ASSERT_FALSE(p.empty());
    Dispatch dj = abrir("", "1887");
    importar(dj, p);
    const Pares g = guardados(dj);
    EXPECT_EQ(g.at("MAX_ROWS"), "2");
    const Pares esperado = {
        {"ITEM1", "1"},  {"ITEM2", "11111111"},  {"ITEM3", "K"},  {"ITEM4", "2500000"},
        {"ITEM20", "2"}, {"ITEM21", "22222222"}, {"ITEM22", "9"}, {"ITEM23", "texto, con coma"}};
    for (const auto& [k, v] : esperado) EXPECT_EQ(g.at(k), v) << k;
    EXPECT_EQ(items(g).size(), esperado.size());
}

}  // namespace
