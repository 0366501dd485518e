#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../support/catalogo_lineas.hpp"
#include "../../support/temp_folder.hpp"
#include "orvex/catalogo.hpp"
#include "platform/lines.hpp"

namespace orvex {
namespace {

using testsupport::TempFolder;

// The catalogue lines of these tests, with a description after the modo.
std::string formato(std::string_view form, char tipo, int largo, char modo) {
    return testsupport::linea_formato(form, tipo, largo, modo, "REGISTRO");
}
std::string registro(std::string_view form, char tipo, int campo, int desde, int hasta,
                     char clase) {
    return testsupport::linea_campo(form, tipo, campo, desde, hasta, clase, "DESCRIPCION");
}

std::string con_crlf(const std::vector<std::string>& lineas) {
    std::string s;
    for (const auto& l : lineas) s += l + "\r\n";
    return s;
}

TEST(CargarFormatos, LineHelpersPutTheValuesAtTheirPositions) {
    EXPECT_EQ(formato("1879", '2', 250, 'U'), "1879 2 0250     U REGISTRO");
    std::string r = registro("1879", '2', 4, 12, 19, 'N');
    EXPECT_EQ(r.substr(0, 9), "1879 2 04");
    EXPECT_EQ(r.substr(29, 9), "012 019 N");
}

TEST(CargarFormatos, MissingFilesGiveAnEmptyTable) {
    TempFolder dir;
    TablaFormatos t = Cargar_Formatos(dir.path(), "1879");
    for (const FormatoRegistro& f : t) {
        EXPECT_EQ(f.modo, ' ');
        EXPECT_EQ(f.largo, 0);
        for (const CampoRegistro& c : f.campos) {
            EXPECT_EQ(c.desde, 0);
            EXPECT_EQ(c.hasta, 0);
            EXPECT_EQ(c.clase, ' ');
        }
    }
    EXPECT_TRUE(Cargar_Formularios(dir.path()).empty());
    EXPECT_TRUE(Cargar_Anos(dir.path()).empty());
}

TEST(CargarFormatos, ReadsOneFormAndSkipsBadLines) {
    TempFolder dir;
    dir.write("Sistema/FORMATOSDJ.TXT",
              con_crlf({
                  formato("1879", '1', 120, 'U'),
                  formato("1887", '2', 999, 'M'),  // another form
                  formato("1879", '2', 100, 'M'),
                  "1879 3 0120",        // too short for modo: blank
                  "1879 2 x250     U",  // length not a number: skipped
                  "1879 x 0250     U",  // type not a digit: skipped
                  "1879 4 99999    U",  // positions 8-11 "9999": read
                  "1879 5 -012     U",  // a sign is no digit: skipped
                  "1879 6",             // no length at all: skipped
                  "",
              }) + formato("1879", '2', 250, 'U'));  // last line, no line end, overwrites
    dir.write("Sistema/REGISTROSDJ.txt",
              con_crlf({
                  registro("1879", '1', 1, 3, 6, 'N'), registro("1879", '2', 1, 2, 2, 'A'),
                  registro("1887", '2', 2, 50, 60, 'N'),  // another form
                  registro("1879", '2', 2, 3, 9, 'N'),
                  registro("1879", '2', 2, 3, 10, 'X'),      // later line overwrites
                  registro("1879", '2', 41, 1, 2, 'N'),      // field number out of range
                  registro("1879", '2', 0, 11, 11, 'A'),     // field 0 is valid
                  registro("1879", '2', 40, 240, 250, 'N'),  // so is 40
                  registro("1879", '7', 1, 1, 5, 'N'),       // type without a layout line
                  "1879 2 03DESCRIPCION         abc 012 N",  // first position not a number
                  "1879 2 04DESCRIPCION         012",        // no last position
                  "1879 2 xxDESCRIPCION         012 019 N",  // field number not a number
                  "1879 2 05DESCRIPCION         020 029",    // short of clase: blank
                  "1879 2 06DESCRIPCION          30  35 N",  // blanks around numbers
              }));

    TablaFormatos t = Cargar_Formatos(dir.path(), "1879");
    EXPECT_EQ(t[1].modo, 'U');
    EXPECT_EQ(t[1].largo, 120);
    EXPECT_EQ(t[2].modo, 'U');
    EXPECT_EQ(t[2].largo, 250);
    EXPECT_EQ(t[3].modo, ' ');
    EXPECT_EQ(t[3].largo, 120);
    EXPECT_EQ(t[4].largo, 9999);
    EXPECT_EQ(t[5].largo, 0);
    EXPECT_EQ(t[6].largo, 0);
    EXPECT_EQ(t[0].modo, ' ');

    struct Caso {
        int tipo, campo, desde, hasta;
        char clase;
    };
    const std::vector<Caso> campos = {
        {1, 1, 3, 6, 'N'},      {2, 1, 2, 2, 'A'}, {2, 2, 3, 10, 'X'}, {2, 0, 11, 11, 'A'},
        {2, 40, 240, 250, 'N'}, {2, 3, 0, 0, ' '}, {2, 4, 0, 0, ' '},  {2, 5, 20, 29, ' '},
        {2, 6, 30, 35, 'N'},    {7, 1, 0, 0, ' '},
    };
    for (const Caso& c : campos) {
        const CampoRegistro& got = t[c.tipo].campos[c.campo];
        EXPECT_EQ(got.desde, c.desde) << c.tipo << "/" << c.campo;
        EXPECT_EQ(got.hasta, c.hasta) << c.tipo << "/" << c.campo;
        EXPECT_EQ(got.clase, c.clase) << c.tipo << "/" << c.campo;
    }
    // Nothing of form 1887 leaked in.
    EXPECT_EQ(Cargar_Formatos(dir.path(), "1887")[2].largo, 999);
}

TEST(CargarFormatos, FileNamesAreFoundWhateverTheirLetterCase) {
    TempFolder dir;
    dir.write("sistema/formatosdj.txt", formato("1879", '1', 120, 'U') + "\n");
    dir.write("sistema/REGISTROSDJ.TXT", registro("1879", '1', 9, 20, 27, 'N') + "\n");
    TablaFormatos t = Cargar_Formatos(dir.path(), "1879");
    EXPECT_EQ(t[1].largo, 120);
    EXPECT_EQ(t[1].campos[9].desde, 20);
}

TEST(CargarFormatos, UndefinedFieldNineGivesAnEmptyRut) {
    TempFolder dir;
    dir.write("Sistema/FORMATOSDJ.TXT",
              con_crlf({formato("1879", '1', 30, 'U'), formato("1879", '2', 30, 'U'),
                        formato("1879", '3', 30, 'U')}));
    dir.write("Sistema/REGISTROSDJ.txt", con_crlf({registro("1879", '1', 10, 19, 19, 'A')}));
    TablaFormatos t = Cargar_Formatos(dir.path(), "1879");
    TextoRegistro r;
    r.empezar(
        "1120181879"
        "12345678"
        "5");
    EXPECT_EQ(Valor_Campo(r, t, 1, 9), "");
    EXPECT_EQ(Valor_Campo(r, t, 1, 10), "5");
}

TEST(CargarFormularios, ListsFormNumberCommaAndDescription) {
    TempFolder dir;
    dir.write("Sistema/FormsDJ.txt",
              "1879 Retenciones art. 42 N\xB0"
              "2\r\n\r\n1887-Sueldos\r\n1831\n");
    std::vector<std::string> lista = Cargar_Formularios(dir.path());
    ASSERT_EQ(lista.size(), 3u);
    EXPECT_EQ(lista[0],
              "1879,Retenciones art. 42 N\xB0"
              "2");
    EXPECT_EQ(lista[1], "1887,Sueldos");
    EXPECT_EQ(lista[2], "1831,");
    EXPECT_EQ(numero_de_formulario(lista[0]), "1879");
    EXPECT_EQ(numero_de_formulario("18"), "18");
}

// A catalogue line of megabytes is kept only up to the readers' bound, so
// memory stays bounded; the lines around it read as usual.
TEST(CargarFormularios, OverlongLineIsCutToTheBound) {
    TempFolder dir;
    dir.write("Sistema/FormsDJ.txt",
              "1879 Uno\r\n1887 " + std::string(5u << 20, 'x') + "\r\n1831 Tres\r\n");
    std::vector<std::string> lista = Cargar_Formularios(dir.path());
    ASSERT_EQ(lista.size(), 3u);
    EXPECT_EQ(lista[0], "1879,Uno");
    EXPECT_LE(lista[1].size(), platform::kSmallFileMaxLine + 1);
    EXPECT_EQ(lista[1].substr(0, 8), "1887,xxx");
    EXPECT_EQ(lista[2], "1831,Tres");
}

TEST(CargarAnos, UpperCasesTheFirstFourCharacters) {
    TempFolder dir;
    dir.write("Sistema/anot.txt", "2018\r\nab\xF1z resto de la linea\r\n\r\n2016 x\r\n20\r\n");
    std::vector<std::string> anos = Cargar_Anos(dir.path());
    EXPECT_EQ(anos, (std::vector<std::string>{"2018", "AB\xD1Z", "2016", "20"}));
}

TEST(Listas, MembershipAsTheRulesRead) {
    using namespace listas;
    // 1944 is in the ten-digit and 95 lists but not the long-header list.
    EXPECT_FALSE(encabezado_largo("1944"));
    EXPECT_TRUE(diez_digitos("1944"));
    EXPECT_TRUE(lista_95("1944"));
    EXPECT_TRUE(encabezado_largo("1805"));
    EXPECT_TRUE(lista_92("1805"));
    EXPECT_FALSE(lista_95("1805"));
    EXPECT_FALSE(diez_digitos("1805"));
    EXPECT_TRUE(encabezado_largo("2964"));
    EXPECT_FALSE(encabezado_largo("1879"));

    // These three lists read the form's four characters as a number.
    EXPECT_FALSE(encabezado_largo(" 1805"));  // " 180" reads 180
    EXPECT_TRUE(encabezado_largo("1805 "));
    EXPECT_TRUE(declarante_tres_lineas("1831"));
    EXPECT_TRUE(declarante_tres_lineas("1889x"));
    EXPECT_TRUE(declarante_dos_lineas("1890 "));
    EXPECT_FALSE(declarante_dos_lineas("1889"));
    EXPECT_FALSE(declarante_tres_lineas("1890"));
    // The others compare the text exactly.
    EXPECT_FALSE(mensual("2807 "));
    EXPECT_TRUE(mensual("2807"));
    EXPECT_FALSE(mensual("1805"));
    EXPECT_FALSE(gran_declarante("1889 "));
    EXPECT_TRUE(gran_declarante("1899"));
    EXPECT_FALSE(gran_declarante("1831"));
    EXPECT_TRUE(lista_92("1899"));
    EXPECT_FALSE(lista_92("1848"));
}

}  // namespace
}  // namespace orvex
