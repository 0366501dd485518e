// The button's whole job: the review, then either the report shown to the
// user or the upload file built and packed.
#include <gtest/gtest.h>

#include "declaracion.hpp"
#include "orvex/revisar_declaracion.hpp"
#include "platform/process.hpp"
#include "scripted_port.hpp"

namespace revtest {
namespace {

using orvex::FinTrabajo;
using Kind = testsupport::ScriptedPort::Call::Kind;

class Trabajo : public Instalacion {
  protected:
    FinTrabajo correr(const std::string& form, const std::vector<std::string>& lineas) {
        return orvex::Revisar_Declaracion(entorno, {form, "2018", declarar(lineas)});
    }
};

TEST_F(Trabajo, ErrorsAreToldThenTheReportIsShown) {
    Declaracion d = limpia("1879");
    d.t2[1].pres = "X";
    EXPECT_EQ(correr("1879", d.lineas()), FinTrabajo::con_errores);
    ASSERT_EQ(port.calls.size(), 2u);
    EXPECT_EQ(port.calls[0].kind, Kind::message);
    EXPECT_EQ(port.calls[0].text, "... Presione el botón Aceptar para Visualizarlos");
    EXPECT_EQ(port.calls[0].title, "Archivo con Errores");
    EXPECT_EQ(port.calls[0].buttons, platform::Buttons::ok);
    EXPECT_EQ(port.calls[1].kind, Kind::show_text_file);
    EXPECT_EQ(port.calls[1].text, (install / "registro/errores.txt").string());
    EXPECT_EQ(port.calls[1].shown, informe());
    EXPECT_NE(port.calls[1].shown.find("TIPO DE PRESENTACION NO CORRESPONDE"), std::string::npos);
    EXPECT_FALSE(fs::exists(tmp / "GEN_2018"));  // nothing is built
}

TEST_F(Trabajo, ReportPathIsShownEvenWhenItCouldNotBeWritten) {
    fs::remove_all(install / "registro");
    EXPECT_EQ(correr("1879", {}), FinTrabajo::con_errores);
    ASSERT_EQ(port.calls.size(), 2u);
    EXPECT_EQ(port.calls[1].kind, Kind::show_text_file);
    EXPECT_EQ(port.calls[1].text, (install / "registro/errores.txt").string());
}

TEST_F(Trabajo, NoFileEndsTheJobAndItsMessageIsTheCallers) {
    EXPECT_EQ(orvex::Revisar_Declaracion(entorno, {"1879", "2018", {}}), FinTrabajo::sin_archivo);
    EXPECT_TRUE(port.calls.empty());
    orvex::Avisar_Sin_Archivo(port);
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].text,
              "Debe seleccionar un Archivo.. Presione el Botón Aceptar para continuar");
    EXPECT_EQ(port.calls[0].title, "Resultado del Proceso");
    EXPECT_EQ(port.calls[0].buttons, platform::Buttons::ok);
}

// Form 2807 is not stamped, so a clean review goes straight to the packing.
TEST_F(Trabajo, CleanFileIsBuiltAndPacked) {
    const fs::path siete = platform::find_program("7zz");
    if (siete.empty()) GTEST_SKIP() << "7zz is not installed";
    fs::create_symlink(siete, install / "7z");
    EXPECT_EQ(correr("2807", limpia("2807").lineas()), FinTrabajo::generado);
    ASSERT_FALSE(port.messages().empty());
    EXPECT_EQ(port.messages().front().title, "Archivo sin Errores");
    EXPECT_TRUE(fs::exists(tmp / "GEN_2018/Respal/05/12345678.807"));
}

TEST_F(Trabajo, FailedPackingIsAFailure) {
    EXPECT_EQ(correr("2807", limpia("2807").lineas()), FinTrabajo::fallo);  // no 7z
    EXPECT_EQ(port.messages().front().title, "Archivo sin Errores");
}

}  // namespace
}  // namespace revtest
