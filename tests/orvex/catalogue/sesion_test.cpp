#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../support/temp_folder.hpp"
#include "orvex/sesion.hpp"

namespace orvex {
namespace {

using testsupport::read_file;
using testsupport::TempFolder;

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
    TempFolder dir;
    std::filesystem::create_directories(dir.path() / "registro");
    const std::filesystem::path nota = dir.path() / "registro" / "GenDj.Tmp";

    ASSERT_TRUE(Anotar_Archivo(dir.path(), "  /home/ana/F1879 dic.txt "));
    EXPECT_EQ(testsupport::read_file(nota), "FORM=/home/ana/F1879 dic.txt\r\n");

    ASSERT_TRUE(Anotar_Archivo(dir.path(), "/tmp/b.txt"));
    EXPECT_EQ(testsupport::read_file(nota), "FORM=/tmp/b.txt\r\n");
}

TEST(AnotarArchivo, UsesAnExistingCaseVariantOfTheFolderAndFile) {
    TempFolder dir;
    dir.write("REGISTRO/gendj.tmp", "FORM=old\r\nFORM=older\r\n");
    ASSERT_TRUE(Anotar_Archivo(dir.path(), "x.txt"));
    EXPECT_EQ(testsupport::read_file(dir.path() / "REGISTRO" / "gendj.tmp"), "FORM=x.txt\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "registro"));
}

TEST(AnotarArchivo, FailsWithoutRegistroAndDoesNotCreateIt) {
    TempFolder dir;
    EXPECT_FALSE(Anotar_Archivo(dir.path(), "/tmp/a.txt"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    // A file named "registro" is no folder either.
    dir.write("registro", "");
    EXPECT_FALSE(Anotar_Archivo(dir.path(), "/tmp/a.txt"));
}

}  // namespace
}  // namespace orvex
