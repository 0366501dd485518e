// The error report: header, the five-column layout to the byte, counting.
#include <gtest/gtest.h>

#include "../../support/temp_folder.hpp"
#include "orvex/informe.hpp"

namespace {

using orvex::Hallazgo;
using orvex::Informe;

const std::string kEncabezado =
    "NUM.LINEA    REGISTRO   VALOR ESPERADO  VALOR INFORMADO   DESCRIPCION\r\n";

std::string blancos(std::size_t n) {
    return std::string(n, ' ');
}

TEST(Informe, RellenarDerecha) {
    struct {
        std::string valor;
        std::size_t ancho;
        std::string esperado;
    } casos[] = {
        {"5", 8, "5       "},
        {"", 10, blancos(10)},
        {"ABC", 3, "ABC"},
        {"ABCDEFGHIJKL", 10, "ABCDEFGHIJKL"},
    };
    for (const auto& c : casos) EXPECT_EQ(orvex::Rellenar_Derecha(c.valor, c.ancho), c.esperado);
}

TEST(Informe, LinesAreLaidOutInFiveColumns) {
    testsupport::TempFolder tmp;
    std::filesystem::create_directories(tmp / "registro");
    Informe informe;
    std::vector<std::string> vistos;
    informe.al_anotar = [&](const Hallazgo& h) { vistos.push_back(h.mensaje); };
    ASSERT_TRUE(informe.abrir(tmp.path()));
    EXPECT_EQ(informe.ruta(), tmp / "registro/errores.txt");

    informe.anotar(Hallazgo{5, '2', "250", " 249", "LARGO ERRONEO", true});
    informe.anotar(Hallazgo{12, '1', "8023401", "ABCDEFGHIJKL", "FOLIO", false});
    informe.anotar(Hallazgo{123456789, '3', "", "", "LINEA VACIA", true});
    informe.anotar(Hallazgo{7, '2', "A,B,C,D", "a", "Medio", false}, 7);
    informe.Anotar_Error("izquierda", "derecha");
    EXPECT_EQ(informe.errores(), 5);
    informe.cerrar();

    // Line number 1-8, type 16-18, expected 26-35, informed 42-51, message from 57.
    const std::string esperado =
        kEncabezado + "5" + blancos(7) + blancos(7) + "2  " + blancos(7) + "250" + blancos(7) +
        " " + blancos(5) + " 249" + blancos(6) + blancos(5) + "LARGO ERRONEO\r\n" +
        // An informed value of 12 characters pushes the message two places right.
        "12      " + blancos(7) + "1  " + blancos(7) + "8023401   " + " " + blancos(5) +
        "ABCDEFGHIJKL" + blancos(5) + "FOLIO\r\n" +
        // A line number of nine digits, empty values: blank columns.
        "123456789" + blancos(7) + "3  " + blancos(7) + blancos(10) + " " + blancos(5) +
        blancos(10) + blancos(5) + "LINEA VACIA\r\n" +
        // The wider gap before the message.
        "7       " + blancos(7) + "2  " + blancos(7) + "A,B,C,D   " + " " + blancos(5) +
        "a         " + blancos(7) + "Medio\r\n" + "izquierda derecha\r\n";
    EXPECT_EQ(testsupport::read_file(informe.ruta()), esperado);
    EXPECT_EQ(esperado.find("LARGO ERRONEO") - kEncabezado.size(), 56u);
    // The observer sees the laid-out findings, not the raw lines.
    EXPECT_EQ(vistos, (std::vector<std::string>{"LARGO ERRONEO", "FOLIO", "LINEA VACIA", "Medio"}));
}

TEST(Informe, OpeningAgainDiscardsTheOldReport) {
    testsupport::TempFolder tmp;
    tmp.write("registro/errores.txt", "old\r\nlines\r\n");
    Informe informe;
    ASSERT_TRUE(informe.abrir(tmp.path()));
    informe.anotar(Hallazgo{1, '1', "x", "y", "z", false});
    informe.cerrar();
    ASSERT_TRUE(informe.abrir(tmp.path()));
    EXPECT_EQ(informe.errores(), 0);
    informe.cerrar();
    EXPECT_EQ(testsupport::read_file(tmp / "registro/errores.txt"), kEncabezado);
}

TEST(Informe, WithoutItsFolderErrorsAreStillCounted) {
    testsupport::TempFolder tmp;
    Informe informe;
    int vistos = 0;
    informe.al_anotar = [&](const Hallazgo&) { ++vistos; };
    EXPECT_FALSE(informe.abrir(tmp.path()));
    informe.anotar(Hallazgo{1, '1', "x", "y", "z", true});
    informe.Anotar_Error("a", "b");
    informe.cerrar();
    EXPECT_EQ(informe.errores(), 2);
    EXPECT_EQ(vistos, 1);
    EXPECT_FALSE(std::filesystem::exists(tmp / "registro"));
}

TEST(Informe, FolderIsFoundWhateverItsLetterCase) {
    testsupport::TempFolder tmp;
    std::filesystem::create_directories(tmp / "REGISTRO");
    EXPECT_EQ(orvex::ruta_informe(tmp.path()), tmp / "REGISTRO/errores.txt");
}

}  // namespace
