// The value checks of form 1831 and the date conversion they use.
#include <gtest/gtest.h>

#include "declaracion.hpp"

namespace revtest {
namespace {

TEST(Fecha_a_Numero, ConvertsDayMonthYear) {
    struct {
        const char* texto;
        std::int32_t numero;
    } casos[] = {
        {"15032017", 20170315},
        {"01011900", 19000101},
        {"00000000", 0},
        {"00032017", 201703},
        {"32012017", 20170132},
        {"01132017", 20171301},
        {"5 032017", 20170305},  // one digit of day: a zero in front
        {"AB032017", 0},
        {"0103201X", 0},
        {"", 0},
        {"0103", 0},  // no year
    };
    for (const auto& c : casos) EXPECT_EQ(orvex::Fecha_a_Numero(c.texto), c.numero) << c.texto;
}

class Valores1831 : public Instalacion {
  protected:
    // Reviews a clean form-1831 declaration whose first informado (line 4)
    // has these values; returns the messages written.
    std::vector<std::string> mensajes(const Tipo2& informado, const std::string& form = "1831") {
        Declaracion d = limpia(form);
        d.t2[0] = informado;
        revisar(form, d.lineas());
        std::vector<std::string> out;
        for (const orvex::Hallazgo& h : hallazgos)
            out.push_back(platform::cp1252_to_utf8(h.mensaje));
        return out;
    }
    static Tipo2 con(std::string fecha, std::string monto, std::string medio) {
        Tipo2 r;
        r.fecha = std::move(fecha);
        r.monto = std::move(monto);
        r.medio = std::move(medio);
        return r;
    }
};

const std::string kMonto = "debe ingresar valor en Monto Aporte";
const std::string kFecha = "debe ingresar valor en Fecha";
const std::string kMedio = "debe ingresar Medio del Aporte";
const std::string kRango = "fecha fuera de rango";
const std::string kMedioMal =
    "Medio del Aporte es incorrecto, debe ser igual a: A (Contado) o B (Cheque) o C (Letra) o D "
    "(Pagare)";

TEST_F(Valores1831, EachRule) {
    using V = std::vector<std::string>;
    struct {
        const char* nombre;
        Tipo2 informado;
        V esperado;
    } casos[] = {
        {"an amount of zeros passes", con("15032017", "0000000000", "A"), {}},
        {"a negative amount", con("15032017", "-000000005", "A"), {kMonto}},
        {"date of zeros", con("00000000", "0000000100", "A"), {kFecha, kRango}},
        {"the no-date filler is out of range", con("01011900", "0000000100", "A"), {kRango}},
        {"last day of the year", con("31122017", "0000000100", "B"), {}},
        {"first day of the year", con("01012017", "0000000100", "C"), {}},
        {"a day after the year", con("01012018", "0000000100", "D"), {kRango}},
        {"a day before the year", con("31122016", "0000000100", "A"), {kRango}},
        {"day 32 lies between the bounds as text", con("32012017", "0000000100", "A"), {}},
        {"month 13 does not", con("01132017", "0000000100", "A"), {kRango}},
        {"a lower-case medium", con("15032017", "0000000100", "a"), {kMedioMal}},
        {"a comma occurs in A,B,C,D", con("15032017", "0000000100", ","), {}},
        {"a blank medium is not empty", con("15032017", "0000000100", " "), {kMedioMal}},
        // An empty medium needs a short record: see ShortRecordsReadTheEndMarkOrNothing.
        {"several rules, in order",
         con("00000000", "-1", "E"),
         {kMonto, kFecha, kRango, kMedioMal}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(mensajes(c.informado), c.esperado);
    }
}

TEST_F(Valores1831, ColumnsAndPlaceAmongTheStructuralChecks) {
    Tipo2 r = con("00000000", "0000000100", "x");
    r.pres = "X";
    r.folio = "8023499";
    mensajes(r);
    // After the presentation code, before the folio; all on the record's line.
    EXPECT_EQ(descritos(), (std::vector<std::string>{
                               "4|2|M|X|TIPO DE PRESENTACION NO CORRESPONDE|F",
                               "4|2|40| 41|" + kFecha + "|-",
                               "4|2|40| 41|" + kRango + "|-",
                               "4|2|A,B,C,D|x|" + kMedioMal + "|-",
                               "4|2|8023401|8023499|Folio No corresponde|F",
                           }));
    // Rule 5 sets its message two blanks further off.
    const std::string informe_ = informe();
    std::string linea = "4       " + std::string(7, ' ') + "2  " + std::string(7, ' ') +
                        "A,B,C,D   " + " " + std::string(5, ' ') + "x" + std::string(9, ' ') +
                        std::string(7, ' ') + kMedioMal + "\r\n";
    EXPECT_NE(informe_.find(linea), std::string::npos) << informe_;
}

TEST_F(Valores1831, ShortRecordsReadTheEndMarkOrNothing) {
    Declaracion d = limpia("1831");
    std::vector<std::string> l = d.lineas();
    l[3].resize(37);  // the end mark "B" falls on the medium: it passes
    revisar("1831", l);
    EXPECT_EQ(descritos(), std::vector<std::string>{"4|2|40| 37|LARGO ERRONEO|F"});

    l[3].resize(36);  // the medium lies beyond the text
    revisar("1831", l);
    EXPECT_EQ(descritos(),
              (std::vector<std::string>{"4|2|40| 36|LARGO ERRONEO|F", "4|2|40| 37|" + kMedio + "|-",
                                        "4|2|A,B,C,D||" + kMedioMal + "|-"}));
}

TEST_F(Valores1831, OtherFormsHaveNoValueChecks) {
    EXPECT_EQ(mensajes(con("00000000", "-1", "x"), "1879"), std::vector<std::string>{});
}

}  // namespace
}  // namespace revtest
