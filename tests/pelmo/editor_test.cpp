// The editor's start-up on an install tree: the windows' places, the loads of a
// saved declaration, start-up failures, and leaving through "&Menú".
#include <gtest/gtest.h>

#include "pelmo/editor.hpp"
#include "prueba.hpp"
#include "scripted_port.hpp"

namespace pelmo {
namespace {

using prueba::Instalacion;
using prueba::PantallaGrabada;
using testsupport::read_file;

// A cell as the data file rebuilds it: 18 characters and ";".
std::string celdas(std::vector<std::string> c) {
    std::string r;
    for (auto& x : c) {
        x.resize(18, ' ');
        r += x + ";";
    }
    r.resize(133, ' ');
    return r;
}

class Arranque : public ::testing::Test {
  protected:
    void SetUp() override {
        i_.escribir("registro/Rut.Tmp", "RUT=76543210&DV=K&RAZ=FUNDACI\xD3N EJEMPLO&AT=2014&");
        i_.escribir(
            "registro/76543210.Rut",
            "DOM=AV. SIEMPRE VIVA 742&DIR=contacto@ejemplo.cl&TEL=022223333&COMUNA=\xD1U\xD1"
            "OA&");
        i_.escribir("Sistema/Comunas.txt",
                    "13101  Santiago\r\n13120  \xD1u\xF1oa\r\n05101  Valpara\xEDso\r\n");
        i_.escribir("Sistema/param.txt", "P001 80\r\n");
        // The start-up validates: a stand-in validator that finds nothing.
        i_.escribir("Vexal", "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(i_.install / "Vexal", std::filesystem::perms::owner_all);
    }
    // A data file written by another program: record numbers 5, 9 and 12.
    void declaracion_guardada() {
        i_.escribir("Forms/1832/76543210.Rut",
                    "RUT=76543210&DV=K&FOLIO=8076503&ORI=NO&RUTANT=7654321&DVANT=6&FOLANT=8076502&"
                    "TOT1=3500000&TOT2=3&RUTREP=12345678&DVREP=5&MAX_ELEMENTOS=21&MAX_COLS=7&"
                    "MAX_ROWS=3&"
                    "ITEM1=5&ITEM2=11111111&ITEM3=1&ITEM4=1&ITEM5=1000000&ITEM6=01022013&ITEM7=10&"
                    "ITEM8=9&ITEM9=22222222&ITEM10=2&ITEM11=4&ITEM12=2000000&ITEM13=15032013&"
                    "ITEM15=12&ITEM16=33333333&ITEM17=K&ITEM18=6&ITEM19=500000&ITEM20=31122013&"
                    "ITEM21=30&");
    }
    std::string dmp() const { return read_file(i_.install / "Forms/1832/76543210.DMP"); }

    Instalacion i_;
    testsupport::ScriptedPort port_;
    PantallaGrabada pantalla_;
    std::vector<std::vector<std::string>> iniciados_;
    void preparar(Editor& e) {
        e.iniciar = [this](const std::vector<std::string>& argv) {
            iniciados_.push_back(argv);
            return true;
        };
    }
};

TEST_F(Arranque, PlacesTheWindowsInOrderAndLoadsTheSavedDeclaration) {
    declaracion_guardada();
    Editor e(i_.install, port_, pantalla_);
    preparar(e);
    ASSERT_TRUE(e.Main());
    EXPECT_TRUE(port_.calls.empty()) << port_.calls[0].text;

    using V = Ventana;
    const std::vector<std::pair<Ventana, Rect>> colocadas = {
        {V::frmHeader1832, {0, 0, 13365, 3735}},
        {V::frmInformados, {0, 3835, 11535, 1995}},
        {V::MDIFormDJ, {0, 0, 10850, 7140}},
        {V::frmBotones, {10850, 0, 1050, 8475}},
        {V::frmTotales, {0, 5930, 12060, 1815}},
        {V::frmRutRepresentateLegal, {0, 7995, 4095, 1080}},
        {V::frmRelleno, {15000, 9075, 4680, 3435}},
        {V::frmErrores, {0, 7140, 10850, 1335}},
    };
    EXPECT_EQ(pantalla_.colocadas, colocadas);
    EXPECT_TRUE(e.marco.FormaLista);
    EXPECT_EQ(e.foco, (Foco{Campo::txtRutDeclarante}));
    EXPECT_EQ(pantalla_.focos.back(), (Foco{Campo::txtRutDeclarante}));

    // The header from the session, the registry file and the data file.
    const Encabezado& h = e.encabezado;
    EXPECT_EQ(h.txtRutDeclarante.texto, "76543210");  // entered: plain digits
    EXPECT_EQ(h.txtDvDeclarante.texto, "K");
    EXPECT_EQ(h.txtNombreDeclarante.texto, "FUNDACI\xD3N EJEMPLO");
    EXPECT_EQ(h.txtDireccion.texto, "AV. SIEMPRE VIVA 742");
    EXPECT_EQ(h.txtCorreo.texto, "contacto@ejemplo.cl");
    EXPECT_EQ(h.txtTelefono.texto, "022223333");
    EXPECT_EQ(h.txtFax.texto, "");
    ASSERT_EQ(h.cmbComuna.size(), 4u);
    EXPECT_EQ(h.cmbComuna[h.cmbComuna_indice], "\xD1U\xD1OA");
    EXPECT_EQ(h.lblFolio, "8076503");
    EXPECT_EQ(h.secuencia, "03");
    EXPECT_EQ(h.txtOriginal.texto, "");
    EXPECT_EQ(h.txtRutAnterior.texto, "7654321");
    EXPECT_EQ(h.txtFolioAnterior.texto, "8076502");
    EXPECT_EQ(e.totales.Cajas[1].texto, "3.500.000");
    EXPECT_EQ(e.totales.Cajas[2].texto, "3");
    EXPECT_EQ(e.totales.Cajas[2].max_largo, 9);
    EXPECT_EQ(h.txtRutRepresentanteLegal.texto, "12.345.678");
    EXPECT_EQ(h.txtDvRepresentanteLegal.texto, "5");
    EXPECT_EQ(e.marco.Caption, "F1832 - DECLARANTE: 76.543.210-K FUNDACI\xD3N EJEMPLO");
    EXPECT_EQ(e.RutDeclarante, "76543210");

    // Records 5, 9 and 12 of the other program are grid records 1, 2 and 3.
    EXPECT_EQ(dmp(), celdas({"11111111", "1", "1", "1000000", "01022013", "10"}) +
                         celdas({"22222222", "2", "4", "2000000", "15032013", ""}) +
                         celdas({"33333333", "K", "6", "500000", "31122013", "30"}));
    EXPECT_EQ(e.informados.TXTINDICE, (std::array<std::string, 3>{"1", "2", "3"}));
    EXPECT_EQ(e.informados.Cajas[7].texto, "22.222.222");
    EXPECT_EQ(e.informados.Cajas[11].texto, "15-03-2013");
    EXPECT_EQ(e.informados.Cajas[12].texto, "");
    EXPECT_EQ(e.informados.Cajas[16].texto, "500.000");
    EXPECT_EQ(e.informados.FILAS_DE_DATOS(), 3);
}

TEST_F(Arranque, AMissingDataFileIsAnEmptyDeclarationWithANewFolio) {
    // Without the forms folder the grid work file would have nowhere to go.
    std::filesystem::remove_all(i_.install / "Forms");
    Editor e(i_.install, port_, pantalla_);
    preparar(e);
    ASSERT_TRUE(e.Main());
    EXPECT_EQ(e.encabezado.lblFolio, "8076501");
    EXPECT_EQ(read_file(i_.install / "Forms/1832/76543210.seq"), "01\r\n");
    EXPECT_EQ(e.encabezado.txtOriginal.texto, "X");
    EXPECT_EQ(dmp(), "");  // rebuilt empty: no lines
    EXPECT_EQ(e.informados.FILAS_DE_DATOS(), 0);
    EXPECT_EQ(e.informados.Cajas[1].texto, "");
}

TEST_F(Arranque, FailuresEndTheStartUpWithTheirNumberAndStartTheMenu) {
    struct Caso {
        const char* que;
        bool registrar;
        bool comunas;
        const char* rut;
        const char* prefijo;
    };
    for (const Caso& c :
         {Caso{"data-file component not registered", false, true, "76543210", "429:"},
          Caso{"no comuna list", true, false, "76543210", "53:"},
          Caso{"a RUT that names a path", true, true, "../../x", "52:"}}) {
        SCOPED_TRACE(c.que);
        Instalacion i(c.registrar);
        i.escribir("registro/Rut.Tmp", "RUT=" + std::string(c.rut) + "&DV=K&");
        i.escribir("registro/76543210.Rut", "DOM=X&");
        if (c.comunas) i.escribir("Sistema/Comunas.txt", "13101  Santiago\r\n");
        testsupport::ScriptedPort port;
        PantallaGrabada pantalla;
        Editor e(i.install, port, pantalla);
        std::vector<std::string> iniciado;
        e.iniciar = [&](const std::vector<std::string>& argv) {
            iniciado = argv;
            return false;  // a menu that cannot start changes nothing
        };
        EXPECT_FALSE(e.Main());
        EXPECT_TRUE(e.terminado);
        ASSERT_EQ(port.calls.size(), 1u);
        EXPECT_EQ(port.calls[0].text.rfind(c.prefijo, 0), 0u) << port.calls[0].text;
        EXPECT_GT(port.calls[0].text.size(), std::string(c.prefijo).size());
        EXPECT_EQ(port.calls[0].title, "No se puede inicalizar la DJ");
        EXPECT_EQ(port.calls[0].icon, platform::Icon::critical);
        EXPECT_EQ(iniciado, std::vector<std::string>{"Tarvo"});
        EXPECT_FALSE(std::filesystem::exists(i.install / "Forms/1832/76543210.DMP"));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(i.install / "Forms/1832"),
                                std::filesystem::directory_iterator()),
                  0);
    }
}

TEST_F(Arranque, AMissingSessionFileGivesEmptyValues) {
    std::filesystem::remove(i_.install / "registro/Rut.Tmp");
    Editor e(i_.install, port_, pantalla_);
    preparar(e);
    ASSERT_TRUE(e.Main());
    EXPECT_EQ(e.encabezado.txtRutDeclarante.texto, "");
    EXPECT_EQ(e.encabezado.txtNombreDeclarante.texto, "");
    EXPECT_EQ(e.encabezado.lblFolio, "8001");  // no RUT part without a RUT
}

TEST_F(Arranque, MenuAsksToSaveCancelStaysAndNoLeavesTheFilesAsTheyWere) {
    declaracion_guardada();
    i_.escribir("Tarvo", "#!/bin/sh\n");
    std::filesystem::permissions(i_.install / "Tarvo", std::filesystem::perms::owner_all);
    Editor e(i_.install, port_, pantalla_);
    preparar(e);
    ASSERT_TRUE(e.Main());
    const std::string datos = read_file(i_.install / "Forms/1832/76543210.Rut");
    const std::string registro = read_file(i_.install / "registro/76543210.Rut");

    port_.answers = {platform::Answer::cancel, platform::Answer::no};
    e.Salir_Click();
    EXPECT_FALSE(e.terminado);
    EXPECT_TRUE(iniciados_.empty());
    e.Salir_Click();
    EXPECT_TRUE(e.terminado);
    ASSERT_EQ(iniciados_.size(), 1u);
    EXPECT_EQ(iniciados_[0], std::vector<std::string>{(i_.install / "Tarvo").string()});
    ASSERT_EQ(port_.calls.size(), 2u);
    EXPECT_EQ(port_.calls[0].text, "Desea guardar los cambios?");
    EXPECT_EQ(port_.calls[0].title, "Declaraciones Juradas");
    EXPECT_EQ(port_.calls[0].buttons, platform::Buttons::yes_no_cancel);
    EXPECT_EQ(port_.calls[0].icon, platform::Icon::exclamation);
    EXPECT_EQ(read_file(i_.install / "Forms/1832/76543210.Rut"), datos);
    EXPECT_EQ(read_file(i_.install / "registro/76543210.Rut"), registro);
}

TEST_F(Arranque, FocusMovesRunTheEventsOfBothControls) {
    declaracion_guardada();
    Editor e(i_.install, port_, pantalla_);
    preparar(e);
    ASSERT_TRUE(e.Main());
    int enter = 13;
    e.KeyPress(e.foco, enter);  // RUT -> check digit: the RUT is shown grouped again
    EXPECT_EQ(e.foco, (Foco{Campo::txtDvDeclarante}));
    EXPECT_EQ(e.encabezado.txtRutDeclarante.texto, "76.543.210");
    // From the telephone into the grid's first cell, in edit format.
    e.enfocar({Campo::txtTelefono});
    enter = 13;
    e.KeyPress(e.foco, enter);
    EXPECT_EQ(e.foco, (Foco{Campo::Cajas, 1}));
    EXPECT_EQ(e.informados.Cajas[1].texto, "11111111");
    EXPECT_EQ(e.informados.Cajas[1].max_largo, 8);
    // Leaving cells: the first one left does not write, the next one does.
    e.Change({Campo::Cajas, 1}, "44444444");
    e.enfocar({Campo::Cajas, 2});
    EXPECT_EQ(dmp().substr(0, 8), "11111111");
    e.enfocar({Campo::Cajas, 3});
    EXPECT_EQ(dmp().substr(0, 8), "44444444");
}

}  // namespace
}  // namespace pelmo
