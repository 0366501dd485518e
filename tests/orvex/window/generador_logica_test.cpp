// The generator window's state table and events, driven without a display.
#include <gtest/gtest.h>

#include "../../support/temp_folder.hpp"
#include "orvex/generador.hpp"
#include "scripted_port.hpp"

using orvex::Generador;
using testsupport::ScriptedPort;
using testsupport::TempFolder;

namespace {

struct Ventana {
    TempFolder t;
    ScriptedPort port;
    Generador g{t.path(), port};
    Ventana() {
        t.write("Sistema/FormsDJ.txt", "1879 Retenciones\r\n1887 Sueldos\r\n");
        t.write("Sistema/ANOT.TXT", "2018\r\n2017 anterior\r\n");
        std::filesystem::create_directory(t / "registro");
        g.Load();
    }
};

}  // namespace

TEST(GeneradorLogica, OnlyTheFormListAndDocumentsRespondAtStart) {
    Ventana v;
    EXPECT_EQ(v.g.ListDj, (std::vector<std::string>{"1879,Retenciones", "1887,Sueldos"}));
    EXPECT_EQ(v.g.CmbAnot, (std::vector<std::string>{"2018", "2017"}));
    EXPECT_EQ(v.g.CmbAnot_indice, 0);
    EXPECT_FALSE(v.g.CmbAnot_enabled);
    EXPECT_FALSE(v.g.cmd_buscar_enabled);
    EXPECT_FALSE(v.g.Cmd_Generar_enabled);
    EXPECT_FALSE(v.g.Cmd_Editar_enabled);

    v.g.ListDj_Click(1);
    EXPECT_EQ(v.g.lblglosaform, "1887,Sueldos");
    EXPECT_TRUE(v.g.CmbAnot_enabled);
    EXPECT_TRUE(v.g.cmd_buscar_enabled);
    EXPECT_FALSE(v.g.Cmd_Generar_enabled);

    v.g.Opt_Click(Generador::Documento::validaciones);
    EXPECT_TRUE(v.g.Cmd_Editar_enabled);
}

TEST(GeneradorLogica, PickingAFileEnablesTheReviewAndNotesIt) {
    Ventana v;
    v.g.ListDj_Click(0);
    v.port.picks = {std::filesystem::path("  /datos/mi declaracion.txt ")};
    v.g.cmd_buscar_Click();
    EXPECT_EQ(v.g.txt_archivo, "  /datos/mi declaracion.txt ");
    EXPECT_TRUE(v.g.Cmd_Generar_enabled);
    EXPECT_EQ(testsupport::read_file(v.t / "registro/GenDj.Tmp"),
              "FORM=/datos/mi declaracion.txt\r\n");
    ASSERT_EQ(v.port.calls.size(), 1u);
    EXPECT_EQ(v.port.calls[0].kind, ScriptedPort::Call::Kind::pick_file);
    EXPECT_EQ(v.port.calls[0].text, v.t.path().string());  // starts in the install folder

    // Cancelling empties the box and disables the review again.
    v.g.cmd_buscar_Click();
    EXPECT_EQ(v.g.txt_archivo, "");
    EXPECT_FALSE(v.g.Cmd_Generar_enabled);
    EXPECT_EQ(testsupport::read_file(v.t / "registro/GenDj.Tmp"), "FORM=\r\n");
}

TEST(GeneradorLogica, TypingNeverEnablesTheReviewButEmptyingDisablesIt) {
    Ventana v;
    v.g.ListDj_Click(0);
    v.g.txt_archivo_KeyPress();  // first key into an empty box
    v.g.txt_archivo_Change("/x");
    v.g.txt_archivo_LostFocus();
    EXPECT_FALSE(v.g.Cmd_Generar_enabled);

    v.port.picks = {std::filesystem::path("/datos/f.txt")};
    v.g.cmd_buscar_Click();
    ASSERT_TRUE(v.g.Cmd_Generar_enabled);
    v.g.txt_archivo_KeyPress();  // text not empty before the key: stays enabled
    EXPECT_TRUE(v.g.Cmd_Generar_enabled);
    v.g.txt_archivo_Change("");
    v.g.txt_archivo_LostFocus();
    EXPECT_FALSE(v.g.Cmd_Generar_enabled);
}

TEST(GeneradorLogica, EditarOpensTheChosenDocument) {
    Ventana v;
    v.t.write("Sistema/leame.ASC", "Instrucci\xF3n\r\n");
    v.t.write("Sistema/formato.XLS", "x");

    v.g.Opt_Click(Generador::Documento::instrucciones);
    v.g.Cmd_Editar_Click();
    v.g.Opt_Click(Generador::Documento::formato_registros);
    v.g.Cmd_Editar_Click();
    v.g.Opt_Click(Generador::Documento::validaciones);  // not installed: nothing opens
    v.g.Cmd_Editar_Click();

    ASSERT_EQ(v.port.calls.size(), 2u);
    EXPECT_EQ(v.port.calls[0].kind, ScriptedPort::Call::Kind::show_text_file);
    EXPECT_EQ(v.port.calls[0].shown, "Instrucci\xF3n\r\n");
    EXPECT_EQ(v.port.calls[1].kind, ScriptedPort::Call::Kind::open_document);
    EXPECT_EQ(v.port.calls[1].text, (v.t / "Sistema/formato.XLS").string());
}

TEST(GeneradorLogica, MissingCatalogueGivesEmptyLists) {
    TempFolder t;
    ScriptedPort port;
    Generador g(t.path(), port);
    g.Load();
    EXPECT_TRUE(g.ListDj.empty());
    EXPECT_TRUE(g.CmbAnot.empty());
    EXPECT_EQ(g.CmbAnot_indice, -1);
    g.ListDj_Click(0);  // no entry to choose
    EXPECT_FALSE(g.CmbAnot_enabled);
}

// The window turns its controls into the request: the form number from the
// list entry, the year from the combo, the path without its blanks; a path
// of blanks gets the window's own message and reviews nothing.
TEST(GeneradorLogica, ReviewTakesItsRequestFromTheControls) {
    Ventana v;
    v.t.write("Sistema/FORMATOSDJ.TXT", "");
    v.g.ListDj_Click(1);
    v.g.CmbAnot_indice = 1;
    v.g.txt_archivo = "   ";
    EXPECT_EQ(v.g.Cmd_Generar_Click(), orvex::FinTrabajo::sin_archivo);
    ASSERT_EQ(v.port.messages().size(), 1u);
    EXPECT_EQ(v.port.messages()[0].text,
              "Debe seleccionar un Archivo.. Presione el Botón Aceptar para continuar");
    EXPECT_EQ(v.port.messages()[0].title, "Resultado del Proceso");

    // An empty file: "ARCHIVO INCOMPLETO" names the form as the expected
    // value, and the window's path was trimmed to find the file.
    v.port.calls.clear();
    const auto dj = v.t.write("dj.txt", "");
    v.g.txt_archivo = "  " + dj.string() + " ";
    EXPECT_EQ(v.g.Cmd_Generar_Click(), orvex::FinTrabajo::con_errores);
    const std::string informe = testsupport::read_file(v.t / "registro/errores.txt");
    EXPECT_NE(informe.find("1887"), std::string::npos) << informe;
}
