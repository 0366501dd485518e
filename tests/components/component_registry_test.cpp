// The registration file, regsvr32 and creation by programmatic identifier.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "../support/temp_folder.hpp"
#include "components/component.hpp"

namespace comp = components;
namespace fs = std::filesystem;
using testsupport::read_file;

namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("ORVEX_COMPONENTS", file().c_str(), 1); }
    void TearDown() override { ::unsetenv("ORVEX_COMPONENTS"); }
    fs::path file() const { return folder_ / "reg" / "components"; }

    std::set<std::string> lines() const {
        std::set<std::string> out;
        for (const auto& r : comp::registrations())
            out.insert(r.progid + " -> " + r.library.string());
        return out;
    }

    testsupport::TempFolder folder_;
};

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs a program with its output captured in files of `folder`.
Outcome run(const fs::path& folder, std::vector<std::string> argv) {
    const fs::path out = folder / "stdout", err = folder / "stderr";
    pid_t pid = ::fork();
    if (pid == 0) {
        int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(o, 1);
        ::dup2(e, 2);
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    Outcome r;
    int st = 0;
    ::waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = read_file(out);
    r.err = read_file(err);
    return r;
}

std::string bin(const char* name) {
    return std::string(std::getenv("ORVEX_BIN_DIR")) + "/" + name;
}

int creation_error(std::string_view progid, std::string& description) {
    try {
        comp::CreateObject(progid);
    } catch (const comp::ComponentError& e) {
        description = e.what();
        return e.number();
    }
    return 0;
}

}  // namespace

TEST_F(RegistryTest, Regsvr32RegistersUnregistersAndReports) {
    const std::string probe = COMPONENT_PROBE_PATH;
    Outcome r = run(folder_.path(), {bin("regsvr32"), probe});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "regsvr32: Se registró " + probe + " correctamente.\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(lines(), (std::set<std::string>{"OrvexProbe.Contador -> " + probe,
                                              "OrvexProbe.Otro -> " + probe}));
    EXPECT_NE(comp::CreateObject("OrvexProbe.Otro"), nullptr);

    // Silent, options in any case: nothing printed, the identifiers are gone.
    r = run(folder_.path(), {bin("regsvr32"), "/S", "/u", probe});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_TRUE(lines().empty());

    r = run(folder_.path(), {bin("regsvr32"), "/u", probe});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "regsvr32: Se quitó el registro de " + probe + " correctamente.\n");
}

TEST_F(RegistryTest, Regsvr32FailuresHaveTheirOwnExitStatus) {
    folder_.write("texto.so", "no soy una biblioteca");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;  // part of the message on standard error
    };
    const std::vector<Case> cases = {
        {{}, 1, "Uso: regsvr32 [/s] [/u] BIBLIOTECA"},
        {{"/x", COMPONENT_PROBE_PATH}, 1, "Uso:"},
        {{"a.so", "b.so"}, 1, "Uso:"},
        {{(folder_ / "falta.so").string()}, 3, "No se pudo registrar"},
        {{(folder_ / "texto.so").string()}, 3, "No se pudo cargar la biblioteca"},
        {{bin("liborvex_components.so")},
         4,
         "no tiene el punto de entrada orvex_component_register"},
        {{"/u", bin("liborvex_components.so")}, 4, "orvex_component_unregister"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{bin("regsvr32")};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        Outcome r = run(folder_.path(), argv);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        // Silent: the same outcome without a word.
        argv.insert(argv.begin() + 1, "/s");
        r = run(folder_.path(), argv);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_EQ(r.out + r.err, "");
    }
    EXPECT_TRUE(lines().empty());
}

TEST_F(RegistryTest, Regsvr32RecordsTheAbsolutePathOfARelativeName) {
    const fs::path probe = COMPONENT_PROBE_PATH;
    const fs::path here = fs::current_path();
    fs::current_path(probe.parent_path());
    auto r = comp::register_library(probe.filename());
    fs::current_path(here);
    ASSERT_EQ(r.stage, comp::LibraryResult::Stage::done) << r.error.description;
    auto regs = comp::registrations();
    ASSERT_EQ(regs.size(), 2u);
    EXPECT_EQ(regs[0].library, probe);
}

TEST_F(RegistryTest, UpdatesReplaceIdentifiersAndKeepOtherLines) {
    folder_.write("reg/components", "# a note of the user\nKvario3.clsURL\t/old/libKvario3.so\n");
    const std::string_view ids[] = {"KVARIO3.CLSURL", "Kvario3.clsCodigoValor"};
    comp::add_registrations("/new/libKvario3.so", ids);
    EXPECT_EQ(read_file(file()),
              "# a note of the user\nKVARIO3.CLSURL\t/new/libKvario3.so\n"
              "Kvario3.clsCodigoValor\t/new/libKvario3.so\n");

    // Unregistering another copy of the library leaves this one registered.
    comp::remove_registrations("/old/libKvario3.so", ids);
    EXPECT_EQ(lines().size(), 2u);
    comp::remove_registrations("/new/libKvario3.so", ids);
    EXPECT_EQ(read_file(file()), "# a note of the user\n");

    struct Bad {
        const char* library;
        std::string_view progid;
    };
    for (const Bad& b : {Bad{"relative.so", "A.b"}, Bad{"/x.so", ""}, Bad{"/x.so", "A\tb"},
                         Bad{"/x\n.so", "A.b"}}) {
        const std::string_view one[] = {b.progid};
        EXPECT_THROW(comp::add_registrations(b.library, one), comp::ComponentError) << b.library;
    }
    EXPECT_EQ(read_file(file()), "# a note of the user\n");
    EXPECT_TRUE(fs::exists(fs::path(file()) += ".lock"));
}

TEST_F(RegistryTest, ProgramsRegisteringAtOnceLoseNothing) {
    constexpr int kPerProgram = 40;
    std::vector<pid_t> children;
    for (const char* who : {"A", "B", "C"}) {
        pid_t pid = ::fork();
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < kPerProgram; ++i) {
                const std::string id = std::string(who) + ".Clase" + std::to_string(i);
                const std::string_view ids[] = {id};
                try {
                    comp::add_registrations(std::string("/lib/") + who + ".so", ids);
                } catch (...) {
                    ++failures;
                }
            }
            ::_exit(failures);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int st = 0;
        ::waitpid(pid, &st, 0);
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    }
    auto regs = comp::registrations();
    EXPECT_EQ(regs.size(), 3u * kPerProgram);
    std::set<std::string> ids;
    for (const auto& r : regs) ids.insert(r.progid);
    EXPECT_EQ(ids.size(), 3u * kPerProgram);
    // No temporary copy is left behind.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(file().parent_path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);  // the file and its lock file
}

TEST_F(RegistryTest, CreationErrorsSayWhatIsWrong) {
    folder_.write("texto.so", "no soy una biblioteca");
    const std::string_view probe_only[] = {"Sonda.NoServida"};
    comp::add_registrations(COMPONENT_PROBE_PATH, probe_only);
    const std::string_view missing[] = {"Sonda.Falta"};
    comp::add_registrations(folder_ / "falta.so", missing);
    const std::string_view text[] = {"Sonda.Texto"};
    comp::add_registrations(folder_ / "texto.so", text);
    const std::string_view no_entry[] = {"Sonda.SinEntrada"};
    comp::add_registrations(bin("liborvex_components.so"), no_entry);

    struct Case {
        const char* progid;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"Sonda.NoRegistrada", "el identificador no está registrado"},
        {"Sonda.Falta", "no se encuentra la biblioteca " + (folder_ / "falta.so").string()},
        {"Sonda.Texto", "no se pudo cargar la biblioteca " + (folder_ / "texto.so").string()},
        {"Sonda.SinEntrada", "no tiene el punto de entrada orvex_component_create"},
        {"Sonda.NoServida", "la biblioteca no tiene la clase \"Sonda.NoServida\""},
    };
    for (const Case& c : cases) {
        std::string description;
        EXPECT_EQ(creation_error(c.progid, description), 429) << c.progid;
        EXPECT_EQ(
            description.rfind("No se puede crear el objeto \"" + std::string(c.progid) + "\": ", 0),
            0u)
            << description;
        EXPECT_NE(description.find(c.reason), std::string::npos) << description;
    }
}

TEST(RegistrationFile, DefaultsToThePerUserDataFolder) {
    struct Case {
        const char* components;
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/tmp/mine", "/x/data", "/home/ana", "/tmp/mine"},
        {nullptr, "/x/data", "/home/ana", "/x/data/orvex/components"},
        {nullptr, nullptr, "/home/ana", "/home/ana/.local/share/orvex/components"},
        {nullptr, "relative/data", "/home/ana", "/home/ana/.local/share/orvex/components"},
        {"", "", "/home/ana", "/home/ana/.local/share/orvex/components"},
    };
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const Case& c : cases) {
        auto put = [](const char* name, const char* value) {
            value ? ::setenv(name, value, 1) : ::unsetenv(name);
        };
        put("ORVEX_COMPONENTS", c.components);
        put("XDG_DATA_HOME", c.xdg);
        put("HOME", c.home);
        EXPECT_EQ(comp::registration_file(), fs::path(c.expected));
    }
    ::unsetenv("ORVEX_COMPONENTS");
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", home.c_str(), 1);
}
