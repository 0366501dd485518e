#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "orvex/generacion.hpp"

namespace orvex {
namespace {

const std::string k20(20, '0');
const std::string k16(16, '0');

struct Caso {
    const char* nombre;
    const char* form;
    const char* periodo;
    const char* rut;
    const char* folio;
    int largo;
    std::uint64_t lineas;  // line count for record 0
    std::uint64_t tipo2;   // type-2 records
    std::string esperado;
};

EstadoRevision estado_de(const Caso& c) {
    EstadoRevision e;
    e.formulario = c.form;
    e.periodo = c.periodo;
    e.declarante.rut = c.rut;
    e.declarante.dv = "K";
    e.declarante.folio = c.folio;
    e.declarante.tipo_declaracion = "O";
    e.tabla[1].largo = static_cast<std::int16_t>(c.largo);
    e.lineas_registro0 = c.lineas;
    e.cantidad_tipo2 = c.tipo2;
    return e;
}

// The pieces joined in order.
std::string unir(std::initializer_list<std::string> piezas) {
    std::string s;
    for (const auto& p : piezas) s += p;
    return s;
}

std::string blancos(std::size_t n) {
    return std::string(n, ' ');
}

// Every piece spelled out in its place, so a shifted or misnumbered piece shows.
const Caso kCasos[] = {
    {"OtherFormVariantA", "1879", "2018", "12345678", "8023401", 120, 3, 5,
     unir({"0", "2018", "1879", "12345678", "K", "0000008", "800000", k20, "M", "O", "8023401", k16,
           "23", "00000000", blancos(34)})},
    {"List92VariantA", "1805", "2018", "12345678", "8023401", 150, 3, 5,
     unir({"0", "2018", "1805", "12345678", "K", "0000008", "800000", k20, "M", "O", "8023401", k16,
           "23", "00000000", "2018", "00", blancos(58)})},
    {"List95VariantB", "1900", "2018", "12345678", "8023401", 150, 3, 5,
     unir({"0", "2018", "1900", "12345678", "K", "0000000008", "800000", k20, "M", "O", "8023401",
           k16, "23", "00000000", "2018", "00", blancos(55)})},
    {"MonthlyVariantB", "2807", "201803", "12345678", "8023401", 120, 2, 1234567,
     unir({"0", "2018", "2807", "12345678", "K", "0001234569", "800000", k20, "M", "O", "8023401",
           k16, "23", "00000000", "201803", blancos(25)})},
    // Numbers are read from the text: blanks around a RUT or folio go, zeros fill.
    {"NumbersReadFromPaddedTexts", "1879", "2018", " 9876543", "  23401", 90, 1, 0,
     unir({"0", "2018", "1879", "09876543", "K", "0000001", "800000", k20, "M", "O", "0023401", k16,
           "23", "00000000", blancos(4)})},
    // A longer number is written whole and pushes the rest; the blanks do not shrink.
    {"LongerValuePushesTheTail", "1879", "2018", "123456789", "8023401", 90, 1, 0,
     unir({"0", "2018", "1879", "123456789", "K", "0000001", "800000", k20, "M", "O", "8023401",
           k16, "23", "00000000", blancos(4)})},
    // A text that is not a number stands as it is.
    {"NonNumberWrittenAsItStands", "1879", "2018", "12A45678", "80X3401", 86, 1, 0,
     unir({"0", "2018", "1879", "12A45678", "K", "0000001", "800000", k20, "M", "O", "80X3401", k16,
           "23", "00000000"})},
    // A record length shorter than the pieces adds no blanks.
    {"ShortRecordLengthAddsNoBlanks", "1805", "2018", "12345678", "8023401", 60, 1, 0,
     unir({"0", "2018", "1805", "12345678", "K", "0000001", "800000", k20, "M", "O", "8023401", k16,
           "23", "00000000", "2018", "00"})},
    // A count that outgrows seven digits is written whole.
    {"CountBeyondItsWidth", "1879", "2018", "12345678", "8023401", 86, 9999999, 1,
     unir({"0", "2018", "1879", "12345678", "K", "10000000", "800000", k20, "M", "O", "8023401",
           k16, "23", "00000000"})},
};

class RegistroCero : public ::testing::TestWithParam<Caso> {};

TEST_P(RegistroCero, ByteByByte) {
    const Caso& c = GetParam();
    EXPECT_EQ(Registro_Cero(estado_de(c)), c.esperado);
}

INSTANTIATE_TEST_SUITE_P(Casos, RegistroCero, ::testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST(RegistroCeroCampo, TwentyZerosWhereTheStampGoes) {
    // Variant A: positions 32-51 (bytes 31-50), where the stamp library looks.
    const std::string a = Registro_Cero(estado_de(kCasos[0]));
    ASSERT_EQ(a.size(), 120u);
    EXPECT_EQ(a.substr(25, 6), "800000");
    EXPECT_EQ(a.substr(31, 20), k20);
    EXPECT_EQ(a[51], 'M');
    // Variant B shifts them by three: 800000 at 29-34, zeros from 35.
    const std::string b = Registro_Cero(estado_de(kCasos[2]));
    EXPECT_EQ(b.substr(28, 6), "800000");
    EXPECT_EQ(b.substr(34, 20), k20);
    EXPECT_EQ(b[54], 'M');
}

}  // namespace
}  // namespace orvex
