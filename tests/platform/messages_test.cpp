#include "platform/messages.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "../support/temp_folder.hpp"
#include "scripted_port.hpp"

using platform::Answer;
using platform::Buttons;
using platform::Icon;

TEST(ConsolePort, PrintsTitleAndTextAndConfirms) {
    std::ostringstream out;
    platform::ConsolePort port(out);
    EXPECT_EQ(port.message("I18: No se ha podido crear archivo ZIP\r53:No se ha encontrado",
                           "GENERACION ARCHIVO INTERNET", Buttons::ok, Icon::critical),
              Answer::ok);
    EXPECT_EQ(port.message("¿Grabar?", "Pregunta", Buttons::yes_no, Icon::question), Answer::yes);
    EXPECT_EQ(out.str(),
              "GENERACION ARCHIVO INTERNET: I18: No se ha podido crear archivo ZIP\n"
              "53:No se ha encontrado\nPregunta: ¿Grabar?\n");
    EXPECT_FALSE(port.pick_file({}).has_value());
}

TEST(ConsolePort, ShowsAWindows1252FileAsUtf8) {
    testsupport::TempFolder t;
    auto p = t.write("errores.txt", "A\xD1O TRIBUTARIO\r\n");
    std::ostringstream out;
    platform::ConsolePort port(out);
    EXPECT_TRUE(port.show_text_file(p));
    EXPECT_EQ(out.str(), "AÑO TRIBUTARIO\r\n");
    EXPECT_FALSE(port.show_text_file(t / "none.txt"));
}

TEST(ScriptedPort, RecordsCallsAndAnswersFromItsScript) {
    testsupport::TempFolder t;
    testsupport::ScriptedPort port;
    port.answers = {Answer::no};
    port.picks = {std::filesystem::path("/tmp/a b.txt")};
    int during = 0;
    port.while_showing = [&] { ++during; };

    EXPECT_EQ(port.message("uno", "T", Buttons::yes_no, Icon::question), Answer::no);
    EXPECT_EQ(port.message("dos", "T", Buttons::ok_cancel), Answer::ok);
    EXPECT_EQ(port.pick_file({}), std::filesystem::path("/tmp/a b.txt"));
    EXPECT_FALSE(port.pick_file({}).has_value());
    EXPECT_TRUE(port.show_text_file(t.write("r.txt", "contenido")));
    EXPECT_EQ(during, 1);

    ASSERT_EQ(port.calls.size(), 5u);
    EXPECT_EQ(port.calls[4].shown, "contenido");
    auto msgs = port.messages();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].text, "uno");
    EXPECT_EQ(msgs[0].icon, Icon::question);
    EXPECT_EQ(msgs[1].text, "dos");
}
