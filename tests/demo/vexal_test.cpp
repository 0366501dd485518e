// The demo validator: its checks, and the program as the editor runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/process.hpp"
#include "platform/text.hpp"
#include "temp_folder.hpp"
#include "vexal.hpp"

namespace fs = std::filesystem;
using vexal::Hallazgo;
using vexal::Par;

namespace {

std::string ansi(const char* utf8) {
    return platform::utf8_to_cp1252(utf8);
}

// A validation file's entries with two grid lines; `cambiar` adjusts them.
std::vector<Par> validacion(std::vector<Par> cambios = {}) {
    std::vector<Par> d = {{"RUT", "12345678"},
                          {"DV", "5"},
                          {"RAZ", "COMERCIAL SUR"},
                          {"DIR", "ana@sur.cl"},
                          {"FORMDJ", "1832"},
                          {"ITEM1", "1"},
                          {"ITEM2", "12345678"},
                          {"ITEM3", "5"},
                          {"ITEM4", "1"},
                          {"ITEM5", "1000"},
                          {"ITEM6", "15032018"},
                          {"ITEM8", "2"},
                          {"ITEM9", "7"},
                          {"ITEM10", "8"},
                          {"ITEM11", "2"},
                          {"ITEM12", "500"},
                          {"ITEM13", "29022016"},
                          {"MAX_ROWS", "2"},
                          {"MAX_COLS", "7"},
                          {"TOT1", "                1500"},
                          {"TOT2", "                   2"}};
    for (auto& [k, v] : cambios) {
        std::erase_if(d, [&](const Par& p) { return p.first == k; });
        if (!v.empty()) d.emplace_back(k, v);
    }
    return d;
}

std::vector<std::string> claves(const std::vector<Hallazgo>& h) {
    std::vector<std::string> out;
    for (const auto& x : h) out.push_back(x.clave);
    return out;
}

}  // namespace

TEST(VexalDemo, CheckDigitsAndDates) {
    for (const auto& [rut, dv] : std::vector<std::pair<std::string, std::string>>{
             {"12345678", "5"}, {"11111111", "1"}, {"7", "8"}, {"6", "K"}, {"31", "0"}})
        EXPECT_EQ(vexal::digito_verificador(rut), dv) << rut;
    for (const auto& [fecha, valida] :
         std::vector<std::pair<std::string, bool>>{{"29022016", true},
                                                   {"29022019", false},
                                                   {"29022000", true},
                                                   {"29021900", false},
                                                   {"31042018", false},
                                                   {"01011900", true},
                                                   {"00012018", false},
                                                   {"15132018", false},
                                                   {"1503201", false},
                                                   {"15-03-20", false}})
        EXPECT_EQ(vexal::fecha_valida(fecha), valida) << fecha;
}

TEST(VexalDemo, FindingsNameTheFieldsAndTheGridRecords) {
    EXPECT_EQ(vexal::revisar(validacion()), std::vector<Hallazgo>{});

    const auto h = vexal::revisar(validacion({{"RAZ", ""},
                                              {"DIR", "ana@@sur"},
                                              {"ITEM10", "K"},
                                              {"ITEM13", "31022018"},
                                              {"TOT1", "999"},
                                              {"TOT2", "3"}}));
    EXPECT_EQ(claves(h),
              (std::vector<std::string>{"H012a", "H012d", "H017:2", "H018:2", "H020a", "H020c"}));
    // The grid findings name their record as "Línea n," so the editor marks it.
    EXPECT_EQ(h[2].mensaje.rfind(ansi("Línea 2, "), 0), 0u) << h[2].mensaje;
    EXPECT_EQ(h[3].mensaje.rfind(ansi("Línea 2, "), 0), 0u) << h[3].mensaje;
    for (const auto& x : h) {
        EXPECT_EQ(x.mensaje.find_first_of("&=\r\n"), std::string::npos) << x.mensaje;
        EXPECT_EQ(x.clave.find_first_of("&="), std::string::npos);
    }
}

// The program reads the validation file under its install folder and replaces
// the error file there, as the editor expects; --help says what it is.
TEST(VexalDemo, ProgramWritesTheErrorFileAsADataFile) {
    testsupport::TempFolder t;
    std::string datos;
    for (const auto& [k, v] : validacion({{"TOT2", "5"}})) datos += k + "=" + v + "&";
    t.write("Orvex18/Forms/Temp/Temporal.txt", datos);
    t.write("Orvex18/Forms/Temp/errores.txt", "VIEJO=1&");
    const fs::path vexal = fs::path(std::getenv("ORVEX_BIN_DIR")) / "Vexal";
    const auto r = platform::Ejecutar_y_Esperar(
        {vexal.string(), "--install", (t / "Orvex18").string()}, {}, false, true);
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0);
    const std::string errores = testsupport::read_file(t / "Orvex18/Forms/Temp/errores.txt");
    EXPECT_EQ(errores.rfind("H020c=", 0), 0u) << errores;
    EXPECT_EQ(errores.back(), '&');
    EXPECT_EQ(errores.find("VIEJO"), std::string::npos);
    EXPECT_EQ(vexal::leer_datos(t / "Orvex18/Forms/Temp/errores.txt").size(), 1u);

    const fs::path salida = t / "ayuda.txt";
    // The help goes to standard output; run it through a file to read it.
    ASSERT_EQ(std::system(("'" + vexal.string() + "' --help > '" + salida.string() + "'").c_str()),
              0);
    EXPECT_NE(testsupport::read_file(salida).find("DEMOSTRACI"), std::string::npos);
}
