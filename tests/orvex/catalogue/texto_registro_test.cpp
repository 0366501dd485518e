#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvex/catalogo.hpp"

namespace orvex {
namespace {

// The record text written out in full: L1, then L2..Lk for k = 2..n, then "B".
std::string componer(const std::vector<std::string>& lineas) {
    std::string texto = lineas[0];
    std::string junta;
    for (std::size_t k = 1; k < lineas.size(); ++k) {
        junta += lineas[k];
        texto += junta;
    }
    return texto + "B";
}

// Lines of the given widths; every character tells its line and place, so a
// range taken from the wrong line or offset shows.
std::vector<std::string> lineas_de(const std::vector<std::size_t>& anchos) {
    std::vector<std::string> lineas;
    for (std::size_t i = 0; i < anchos.size(); ++i) {
        std::string l;
        for (std::size_t j = 0; j < anchos[i]; ++j) {
            l += static_cast<char>(j == 0 ? '1' + i : 'a' + (i * 7 + j) % 26);
        }
        lineas.push_back(l);
    }
    return lineas;
}

void cargar(TextoRegistro& r, const std::vector<std::string>& lineas) {
    r.empezar(lineas[0]);
    for (std::size_t k = 1; k < lineas.size(); ++k) r.agregar(lineas[k]);
}

TEST(TextoRegistro, MatchesTheComposedTextForOneToFiveLines) {
    const std::vector<std::vector<std::size_t>> casos = {
        {5},       {5, 5},       {5, 5, 5},       {5, 5, 5, 5}, {5, 5, 5, 5, 5}, {3}, {3, 8},
        {6, 1, 4}, {2, 0, 7, 3}, {9, 4, 0, 6, 2}, {0},          {0, 4},
    };
    TextoRegistro r;  // reused across records, as the reader does
    for (const auto& anchos : casos) {
        SCOPED_TRACE(::testing::PrintToString(anchos));
        std::vector<std::string> lineas = lineas_de(anchos);
        cargar(r, lineas);
        const std::string esperado = componer(lineas);
        ASSERT_EQ(r.largo(), esperado.size());
        EXPECT_EQ(r.lineas(), lineas.size());
        for (std::uint64_t desde = 0; desde <= esperado.size() + 2; ++desde) {
            for (std::uint64_t cuantos : {0u, 1u, 2u, 3u, 7u, 1000u}) {
                std::string naive;
                if (desde >= 1 && desde <= esperado.size())
                    naive = esperado.substr(desde - 1, cuantos);
                ASSERT_EQ(r.tramo(desde, cuantos), naive)
                    << "desde " << desde << " cuantos " << cuantos;
            }
        }
        EXPECT_EQ(r.tramo(1, UINT64_MAX), esperado);
        EXPECT_EQ(r.tramo(r.largo(), UINT64_MAX), "B");
    }
}

TEST(TextoRegistro, EqualWidthLengthFollowsTheSectionFormula) {
    // w·(1 + n(n−1)/2) + 1; two 120-character lines give 241, three give 481.
    const std::size_t w = 120;
    TextoRegistro r;
    for (std::size_t n = 1; n <= 5; ++n) {
        cargar(r, lineas_de(std::vector<std::size_t>(n, w)));
        EXPECT_EQ(r.largo(), w * (1 + n * (n - 1) / 2) + 1) << n << " lines";
    }
    cargar(r, lineas_de({120, 120}));
    EXPECT_EQ(r.largo(), 241u);
    cargar(r, lineas_de({120, 120, 120}));
    EXPECT_EQ(r.largo(), 481u);
}

TEST(TextoRegistro, EmpezarForgetsThePreviousSection) {
    TextoRegistro r;
    cargar(r, {"1AAA", "1BBB", "1CCC"});
    r.empezar("2xyz");
    EXPECT_EQ(r.largo(), 5u);
    EXPECT_EQ(r.lineas(), 1u);
    EXPECT_EQ(r.tramo(1, 10), "2xyzB");
}

TEST(TextoRegistro, EmpiezaConLooksAcrossPartsAndTheEndMark) {
    TextoRegistro r;
    cargar(r, {"1", "2", "3"});  // "1" "2" "23" "B"
    EXPECT_TRUE(r.empieza_con(""));
    EXPECT_TRUE(r.empieza_con("12"));
    EXPECT_TRUE(r.empieza_con("1223B"));
    EXPECT_FALSE(r.empieza_con("1224"));
    EXPECT_FALSE(r.empieza_con("1223BX"));
    r.empezar("31xyz");
    EXPECT_TRUE(r.empieza_con("31"));
    EXPECT_FALSE(r.empieza_con("32"));
}

TEST(ValorCampo, TakesTheFieldFromTheComposedText) {
    TablaFormatos tabla{};
    auto definir = [&tabla](int k, int desde, int hasta) {
        tabla[1].campos[k] =
            CampoRegistro{static_cast<std::int16_t>(desde), static_cast<std::int16_t>(hasta), 'N'};
    };
    // Three lines of 4: "1abc" "2def" "2def3ghi" "B" (17 characters).
    definir(1, 1, 2);    // inside L1
    definir(2, 3, 6);    // L1 into the first part
    definir(3, 7, 10);   // across the boundary of two parts
    definir(4, 15, 17);  // reaches the end mark
    definir(5, 16, 20);  // runs past the end: shorter
    definir(6, 18, 20);  // starts after the end: empty
    definir(8, 5, 4);    // last position before the first: empty
    // field 9 is undefined (desde 0)
    TextoRegistro r;
    cargar(r, {"1abc", "2def", "3ghi"});
    ASSERT_EQ(componer({"1abc", "2def", "3ghi"}), "1abc2def2def3ghiB");

    const std::vector<std::pair<int, std::string>> casos = {
        {1, "1a"}, {2, "bc2d"}, {3, "ef2d"}, {4, "hiB"}, {5, "iB"}, {6, ""}, {8, ""}, {9, ""},
    };
    for (const auto& [campo, valor] : casos) {
        EXPECT_EQ(Valor_Campo(r, tabla, 1, campo), valor) << "field " << campo;
    }
    // Outside the table: no value, no fault.
    EXPECT_EQ(Valor_Campo(r, tabla, 1, 41), "");
    EXPECT_EQ(Valor_Campo(r, tabla, 1, -1), "");
    EXPECT_EQ(Valor_Campo(r, tabla, 10, 1), "");
    EXPECT_EQ(Valor_Campo(r, tabla, -1, 1), "");
    // Blanks are part of the value.
    r.empezar("2 M  ");
    tabla[2].campos[1] = CampoRegistro{2, 5, 'A'};
    EXPECT_EQ(Valor_Campo(r, tabla, 2, 1), " M  ");
}

}  // namespace
}  // namespace orvex
