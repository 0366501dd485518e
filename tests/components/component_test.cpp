// Late-bound calls, value conversions, the C interface and the message port,
// on the probe component.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "../support/temp_folder.hpp"
#include "components/component.hpp"
#include "scripted_port.hpp"

namespace comp = components;
using comp::Arg;
using comp::ComponentError;
using comp::Dispatch;
using comp::Variant;

namespace {

// A registration file of the test's own with the probe library registered.
class ProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("ORVEX_COMPONENTS", (folder_ / "components").c_str(), 1);
        auto r = comp::register_library(COMPONENT_PROBE_PATH);
        ASSERT_EQ(r.stage, comp::LibraryResult::Stage::done) << r.error.description;
    }
    void TearDown() override {
        comp::set_message_port(nullptr);
        ::unsetenv("ORVEX_COMPONENTS");
    }
    testsupport::TempFolder folder_;
};

int error_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const ComponentError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST_F(ProbeTest, MembersAreFoundWithoutRegardToLetterCase) {
    Dispatch o(comp::CreateObject("orvexprobe.CONTADOR"));
    o.let("valor", 7);
    EXPECT_EQ(o.get("VALOR").to_int32(), 7);
    o.let("NoMbRe", "Peña");
    EXPECT_EQ(o.call("nombre").text(), "Peña");
    o.let("ACTIVO", true);
    EXPECT_EQ(o.get("Activo"), Variant(true));
    EXPECT_EQ(o.call("clase").text(), "Contador");
}

TEST_F(ProbeTest, CallErrorsCarryTheirNumbers) {
    Dispatch o(comp::CreateObject("OrvexProbe.Contador"));
    struct Case {
        const char* what;
        std::function<void()> call;
        int number;
    };
    const std::vector<Case> cases = {
        {"unknown member", [&] { o.call("NoExiste"); }, 438},
        {"let of a get-only property", [&] { o.let("Clase", "x"); }, 438},
        {"get of a method", [&] { o.get("Fallar"); }, 438},
        {"too few arguments", [&] { o.call("Duplicar"); }, 450},
        {"too many arguments", [&] { o.call("Clase", {1}); }, 450},
        {"text that is no number", [&] { o.call("Copiar", {"abc"}); }, 13},
        {"number out of range", [&] { o.call("Copiar", {"3000000000"}); }, 6},
        {"object for a text", [&] { o.let("Nombre", o.object()); }, 13},
        {"error raised by the member", [&] { o.call("Fallar"); }, 5},
        {"no object held", [] { Dispatch().call("Valor"); }, 91},
    };
    for (const Case& c : cases) EXPECT_EQ(error_of(c.call), c.number) << c.what;

    try {
        o.call("Fallar");
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.description(), "Falla pedida");
    }
}

TEST_F(ProbeTest, ByReferenceParametersWriteBackOnlyToVariablesPassedByReference) {
    Dispatch o(comp::CreateObject("OrvexProbe.Contador"));
    Variant n = 21;
    o.call("Duplicar", {Arg::ref(n)});
    EXPECT_EQ(n, Variant(42));

    Variant copy = n;  // passed by value: untouched
    o.call("Duplicar", {copy});
    EXPECT_EQ(copy, Variant(42));

    // A by-value parameter never reaches the caller's variable.
    Variant m = 5;
    EXPECT_EQ(o.call("Copiar", {Arg::ref(m)}), Variant(6));
    EXPECT_EQ(m, Variant(5));

    // The argument is converted to the parameter's type and comes back so.
    Variant t = "8";
    o.call("Duplicar", {Arg::ref(t)});
    EXPECT_EQ(t, Variant(16));

    Variant texto = "abc";
    EXPECT_EQ(o.call("Anexar", {Arg::ref(texto), "de"}), Variant(5));
    EXPECT_EQ(texto, Variant("abcde"));

    // A failing call writes nothing back.
    Variant x = "no";
    EXPECT_EQ(error_of([&] { o.call("Duplicar", {Arg::ref(x)}); }), 13);
    EXPECT_EQ(x, Variant("no"));
}

TEST(ComponentVariant, ConvertsAsLateBoundCallsDo) {
    struct Case {
        Variant v;
        const char* text;
        std::int32_t number;
        bool boolean;
    };
    const std::vector<Case> cases = {
        {Variant(), "", 0, false},           {Variant(true), "True", -1, true},
        {Variant(false), "False", 0, false}, {Variant(-12), "-12", -12, true},
        {Variant(" 42 "), " 42 ", 42, true}, {Variant("2.5"), "2.5", 2, true},  // half to even
        {Variant("3.5"), "3.5", 4, true},    {Variant("0"), "0", 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.v.to_text(), c.text);
        EXPECT_EQ(c.v.to_int32(), c.number) << c.text;
        EXPECT_EQ(c.v.to_bool(), c.boolean) << c.text;
    }
    EXPECT_TRUE(Variant("true").to_bool());
    EXPECT_FALSE(Variant("FALSE").to_bool());
    EXPECT_EQ(error_of([] { Variant("sí").to_bool(); }), 13);
    EXPECT_EQ(error_of([] { Variant("x").to_int32(); }), 13);
    EXPECT_EQ(error_of([] { Variant("2147483648").to_int32(); }), 6);
    EXPECT_EQ(Variant("-2147483648").to_int32(), INT32_MIN);
    EXPECT_EQ(error_of([] { Variant(1).to_object(); }), 13);
    EXPECT_EQ(Variant().to_object(), nullptr);
}

TEST_F(ProbeTest, MessagesGoToTheProgramsPortElseToStandardError) {
    Dispatch o(comp::CreateObject("OrvexProbe.Contador"));
    testsupport::ScriptedPort port;
    port.answers.push_back(platform::Answer::no);
    comp::set_message_port(&port);
    EXPECT_EQ(o.call("Mostrar", {"\xBFSeguir?"}), Variant(int(platform::Answer::no)));
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].text, "¿Seguir?");
    EXPECT_EQ(port.calls[0].title, "Sonda");
    EXPECT_EQ(port.calls[0].buttons, platform::Buttons::yes_no);
    EXPECT_EQ(port.calls[0].icon, platform::Icon::question);

    comp::set_message_port(nullptr);
    ::testing::internal::CaptureStderr();
    o.call("Mostrar", {"hola"});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Sonda: hola\n");
    EXPECT_EQ(port.calls.size(), 1u);
}

// ---- The C interface ----

namespace {

orvex_variant text_arg(const std::string& s, int flags = 0) {
    orvex_variant v{};
    v.type = ORVEX_TEXT;
    v.flags = flags;
    v.text = s.data();
    v.length = s.size();
    return v;
}

orvex_variant int_arg(int n, int flags = 0) {
    orvex_variant v{};
    v.type = ORVEX_INT32;
    v.flags = flags;
    v.number = n;
    return v;
}

std::string text_of(const orvex_variant& v) {
    return std::string(v.text, v.length);
}

}  // namespace

TEST_F(ProbeTest, CInterfaceCreatesCallsAndPassesByReference) {
    orvex_error err{};
    orvex_object* o = nullptr;
    ASSERT_EQ(orvex_create_object("OrvexProbe.Contador", &o, &err), 0) << err.description;

    int32_t kinds = 0, params = -1;
    ASSERT_EQ(orvex_member_info(o, "anexar", &kinds, &params, &err), 0);
    EXPECT_EQ(kinds, ORVEX_METHOD);
    EXPECT_EQ(params, 2);
    ASSERT_EQ(orvex_member_info(o, "NOMBRE", &kinds, &params, &err), 0);
    EXPECT_EQ(kinds, ORVEX_PROPERTY_GET | ORVEX_PROPERTY_LET);
    EXPECT_EQ(orvex_member_info(o, "Nada", &kinds, &params, &err), 438);
    EXPECT_EQ(err.number, 438);

    // A text passed by reference comes back in a text the layer owns; the
    // caller's buffer is left alone.
    const std::string mine = "ab\xF1";  // Windows-1252 bytes pass unchanged
    const std::string suffix = std::string("c\0d", 3);
    orvex_variant args[2] = {text_arg(mine, ORVEX_BYREF), text_arg(suffix)};
    orvex_variant result{};
    ASSERT_EQ(orvex_invoke(o, "Anexar", ORVEX_METHOD, args, 2, &result, &err), 0)
        << err.description;
    EXPECT_EQ(result.type, ORVEX_INT32);
    EXPECT_EQ(result.number, 6);
    EXPECT_EQ(args[0].flags, ORVEX_BYREF | ORVEX_OWNED);
    EXPECT_EQ(text_of(args[0]), std::string("ab\xF1"
                                            "c\0d",
                                            6));
    EXPECT_EQ(args[0].text[6], '\0');
    EXPECT_EQ(mine, "ab\xF1");
    orvex_variant_clear(&args[0]);
    EXPECT_EQ(args[0].type, ORVEX_EMPTY);
    orvex_variant_clear(&result);

    // Property let and get; a Boolean comes back as 1.
    orvex_variant yes{};
    yes.type = ORVEX_BOOLEAN;
    yes.number = -1;
    ASSERT_EQ(
        orvex_invoke(o, "activo", ORVEX_PROPERTY_LET | ORVEX_PROPERTY_SET, &yes, 1, nullptr, &err),
        0);
    ASSERT_EQ(
        orvex_invoke(o, "Activo", ORVEX_METHOD | ORVEX_PROPERTY_GET, nullptr, 0, &result, &err), 0);
    EXPECT_EQ(result.type, ORVEX_BOOLEAN);
    EXPECT_EQ(result.number, 1);

    // An object comes back as a new reference of its own.
    orvex_variant self{};
    self.type = ORVEX_OBJECT;
    self.object = o;
    ASSERT_EQ(orvex_invoke(o, "Eco", ORVEX_METHOD, &self, 1, &result, &err), 0);
    ASSERT_EQ(result.type, ORVEX_OBJECT);
    ASSERT_NE(result.object, o);
    orvex_variant n = int_arg(4, ORVEX_BYREF);
    ASSERT_EQ(orvex_invoke(result.object, "Duplicar", ORVEX_METHOD, &n, 1, nullptr, &err), 0);
    EXPECT_EQ(n.number, 8);
    orvex_variant_clear(&result);

    // A failure fills the error and leaves by-reference arguments as they were.
    const std::string x = "x";
    orvex_variant bad = text_arg(x, ORVEX_BYREF);
    EXPECT_EQ(orvex_invoke(o, "Duplicar", ORVEX_METHOD, &bad, 1, &result, &err), 13);
    EXPECT_EQ(std::string(err.description), "No coinciden los tipos");
    EXPECT_EQ(bad.flags, ORVEX_BYREF);
    EXPECT_EQ(result.type, ORVEX_EMPTY);
    EXPECT_EQ(orvex_invoke(o, "Fallar", ORVEX_METHOD, nullptr, 0, &result, &err), 5);
    EXPECT_EQ(std::string(err.description), "Falla pedida");

    orvex_object_release(o);
}

TEST_F(ProbeTest, CInterfaceReportsCreationErrors) {
    orvex_error err{};
    orvex_object* o = reinterpret_cast<orvex_object*>(1);
    EXPECT_EQ(orvex_create_object("Nadie.Registrado", &o, &err), 429);
    EXPECT_EQ(o, nullptr);
    EXPECT_EQ(err.number, 429);
    EXPECT_EQ(std::string(err.description),
              "No se puede crear el objeto \"Nadie.Registrado\": el identificador no está "
              "registrado");
}

TEST_F(ProbeTest, CInterfaceMessageHandlerReceivesComponentMessages) {
    struct Seen {
        std::string text, title;
        int buttons = 0, icon = 0;
    } seen;
    orvex_set_message_handler(
        [](const char* text, const char* title, int32_t buttons, int32_t icon, void* user) {
            auto* s = static_cast<Seen*>(user);
            *s = {text, title, buttons, icon};
            return int32_t(7);
        },
        &seen);
    Dispatch o(comp::CreateObject("OrvexProbe.Contador"));
    EXPECT_EQ(o.call("Mostrar", {"hola"}), Variant(7));
    EXPECT_EQ(seen.text, "hola");
    EXPECT_EQ(seen.title, "Sonda");
    EXPECT_EQ(seen.buttons, int(platform::Buttons::yes_no));
    EXPECT_EQ(seen.icon, int(platform::Icon::question));
    orvex_set_message_handler(nullptr, nullptr);
}
