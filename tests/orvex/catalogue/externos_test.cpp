#include <gtest/gtest.h>

#include "../../support/temp_folder.hpp"
#include "orvex/externos.hpp"
#include "platform/messages.hpp"
#include "scripted_port.hpp"

namespace orvex {
namespace {

using Kind = testsupport::ScriptedPort::Call::Kind;
using testsupport::TempFolder;

TEST(AbrirHoja, MissingWorkbookOpensNothing) {
    TempFolder dir;
    testsupport::ScriptedPort port;
    EXPECT_FALSE(Abrir_Hoja(port, dir.path() / "Sistema" / "Formato.xls"));
    EXPECT_TRUE(port.calls.empty());
}

TEST(AbrirHoja, ExistingWorkbookGoesToTheDocumentOpener) {
    TempFolder dir;
    auto libro = dir.write("Sistema/formato.XLS", "xls");
    testsupport::ScriptedPort port;
    ASSERT_TRUE(Abrir_Hoja(port, dir.path() / "Sistema" / "Formato.xls"));
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].kind, Kind::open_document);
    EXPECT_EQ(port.calls[0].text, libro.string());

    port.documents_open = false;  // no opener for it
    EXPECT_FALSE(Abrir_Hoja(port, libro));
}

TEST(MostrarTexto, HandsTheFileToTheViewer) {
    TempFolder dir;
    auto leame = dir.write("Sistema/leame.ASC", "Instrucciones\r\n");
    testsupport::ScriptedPort port;
    EXPECT_TRUE(Mostrar_Texto(port, leame));
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].kind, Kind::show_text_file);
    EXPECT_EQ(port.calls[0].text, leame.string());
    EXPECT_EQ(port.calls[0].shown, "Instrucciones\r\n");
}

}  // namespace
}  // namespace orvex
