#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "carpeta_temporal.hpp"
#include "orvex/sesion.hpp"

namespace orvex {
namespace {

using prueba::CarpetaTemporal;
using prueba::leer;

TEST(ParesClaveValor, SplitAndJoin) {
    struct Caso {
        std::string texto;
        std::vector<Par> pares;
    };
    const std::vector<Caso> casos = {
        {"RUT=12345678&DV=K&RAZ=COMERCIAL LTDA.",
         {{"RUT", "12345678"}, {"DV", "K"}, {"RAZ", "COMERCIAL LTDA."}}},
        {"", {}},
        {"A=", {{"A", ""}}},
        {"URL=a=b&X=1", {{"URL", "a=b"}, {"X", "1"}}},  // only the first "=" separates
        {"A=1&&SOLO&B=2&", {{"A", "1"}, {"B", "2"}}},   // empty and "="-less segments skipped
        {"=v", {{"", "v"}}},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(separar_pares(c.texto), c.pares) << c.texto;
    }
    const std::vector<Par> pares = {{"RUT", "12345678"}, {"DV", "K"}, {"AT", "2018"}};
    EXPECT_EQ(unir_pares(pares), "RUT=12345678&DV=K&AT=2018");
    EXPECT_EQ(separar_pares(unir_pares(pares)), pares);
    EXPECT_EQ(unir_pares({}), "");
}

TEST(AnotarArchivo, WritesOneTrimmedLineAndReplacesTheLastNote) {
    CarpetaTemporal dir;
    std::filesystem::create_directories(dir.raiz() / "registro");
    const std::filesystem::path nota = dir.raiz() / "registro" / "GenDj.Tmp";

    ASSERT_TRUE(Anotar_Archivo(dir.raiz(), "  /home/ana/F1879 dic.txt "));
    EXPECT_EQ(leer(nota), "FORM=/home/ana/F1879 dic.txt\r\n");

    ASSERT_TRUE(Anotar_Archivo(dir.raiz(), "/tmp/b.txt"));
    EXPECT_EQ(leer(nota), "FORM=/tmp/b.txt\r\n");
}

TEST(AnotarArchivo, UsesAnExistingCaseVariantOfTheFolderAndFile) {
    CarpetaTemporal dir;
    dir.escribir("REGISTRO/gendj.tmp", "FORM=old\r\nFORM=older\r\n");
    ASSERT_TRUE(Anotar_Archivo(dir.raiz(), "x.txt"));
    EXPECT_EQ(leer(dir.raiz() / "REGISTRO" / "gendj.tmp"), "FORM=x.txt\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.raiz() / "registro"));
}

TEST(AnotarArchivo, FailsWithoutRegistroAndDoesNotCreateIt) {
    CarpetaTemporal dir;
    EXPECT_FALSE(Anotar_Archivo(dir.raiz(), "/tmp/a.txt"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.raiz()));

    // A file named "registro" is no folder either.
    dir.escribir("registro", "");
    EXPECT_FALSE(Anotar_Archivo(dir.raiz(), "/tmp/a.txt"));
}

}  // namespace
}  // namespace orvex
