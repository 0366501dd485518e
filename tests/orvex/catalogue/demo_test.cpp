// The shipped demo catalogue and sample declarations, read through the same
// functions the review uses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "orvex/catalogo.hpp"
#include "platform/lines.hpp"

namespace orvex {
namespace {

const std::filesystem::path kDemo = ORVEX_DEMO_DIR;
const std::filesystem::path kInstall = kDemo / "Orvex18";

std::vector<std::string> lineas(const char* muestra) {
    std::error_code ec;
    auto l = platform::read_lines(kDemo / "samples" / muestra, ec);
    EXPECT_FALSE(ec) << muestra;
    return l;
}

TEST(DemoCatalogue, EveryListedFormHasTheFieldsTheReviewReads) {
    EXPECT_EQ(Cargar_Anos(kInstall), (std::vector<std::string>{"2018", "2017", "2016"}));
    const std::vector<std::string> formularios = Cargar_Formularios(kInstall);
    ASSERT_GE(formularios.size(), 8u);
    for (const std::string& entrada : formularios) {
        const std::string form(numero_de_formulario(entrada));
        SCOPED_TRACE(form);
        TablaFormatos t = Cargar_Formatos(kInstall, form);
        EXPECT_GE(t[1].largo, 95);  // record 0 of the upload file fits the type-1 length
        EXPECT_GT(t[2].largo, 0);
        EXPECT_GT(t[3].largo, 0);
        auto definido = [&t](int tipo, int k) { return t[tipo].campos[k].desde > 0; };
        for (int k = 1; k <= 10; ++k) EXPECT_TRUE(definido(1, k)) << "type 1 field " << k;
        for (int k = 1; k <= 5; ++k) EXPECT_TRUE(definido(2, k)) << "type 2 field " << k;
        for (int k : {2, 4, 5, 7, 8, 9}) EXPECT_TRUE(definido(3, k)) << "type 3 field " << k;
        EXPECT_EQ(t[1].modo == 'M',
                  listas::declarante_tres_lineas(form) || listas::declarante_dos_lineas(form));
    }
}

TEST(DemoSamples, Form1879LinesFitTheLayoutAndRepeatTheHeader) {
    const TablaFormatos t = Cargar_Formatos(kInstall, "1879");
    const std::vector<std::string> l = lineas("F1879_correcta.txt");
    ASSERT_EQ(l.size(), 9u);
    TextoRegistro encabezado, r;
    encabezado.empezar(l[0]);
    EXPECT_EQ(encabezado.tramo(1, 2), "11");
    EXPECT_EQ(encabezado.tramo(7, 4), "1879");
    EXPECT_EQ(Valor_Campo(encabezado, t, 1, 1), "2018");
    EXPECT_EQ(Valor_Campo(encabezado, t, 1, 3), "8023401");
    for (const std::string& linea : l) {
        const int tipo = linea[0] - '0';
        EXPECT_EQ(linea.size(), static_cast<std::size_t>(t[tipo].largo)) << linea;
        r.empezar(linea);
        if (tipo == 2) {
            EXPECT_EQ(Valor_Campo(r, t, 2, 1), "M");
            for (auto [k2, k1] : {std::pair{2, 3}, {3, 4}, {4, 9}, {5, 10}}) {
                EXPECT_EQ(Valor_Campo(r, t, 2, k2), Valor_Campo(encabezado, t, 1, k1));
            }
        }
    }
    r.empezar(l[8]);
    EXPECT_EQ(Valor_Campo(r, t, 3, 7) + Valor_Campo(r, t, 3, 8) + Valor_Campo(r, t, 3, 9),
              "00   0000");

    const std::vector<std::string> corto = lineas("F1879_largo_erroneo.txt");
    ASSERT_EQ(corto.size(), 9u);
    EXPECT_EQ(corto[4].size(), 249u);
}

TEST(DemoSamples, Form1831DeclarantSectionHasThreeLinesOfTheLayoutLength) {
    const TablaFormatos t = Cargar_Formatos(kInstall, "1831");
    const std::vector<std::string> l = lineas("F1831_correcta.txt");
    ASSERT_GE(l.size(), 3u);
    TextoRegistro r;
    r.empezar(l[0]);
    r.agregar(l[1]);
    r.agregar(l[2]);
    ASSERT_EQ(t[1].modo, 'M');
    EXPECT_EQ((r.largo() - 1 - t[1].largo) / 3.0, t[1].largo);
    EXPECT_EQ(Valor_Campo(r, t, 1, 9), "76543210");
    EXPECT_EQ(r.tramo(361, 2), "13");
}

}  // namespace
}  // namespace orvex
