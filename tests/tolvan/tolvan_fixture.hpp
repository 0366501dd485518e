// Tests of the declaration component: Kvario and Tolvan registered in a
// registration file of the test's own, messages caught by a scripted port.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "../support/temp_folder.hpp"
#include "components/component.hpp"
#include "platform/messages.hpp"
#include "platform/text.hpp"
#include "scripted_port.hpp"

namespace tolvan_test {

namespace comp = components;
namespace fs = std::filesystem;
using Pares = std::map<std::string, std::string>;

// The pairs of a data file's text ("K=V&K=V&").
inline Pares pares(const std::string& datos) {
    Pares p;
    std::size_t i = 0;
    while (i < datos.size()) {
        std::size_t j = datos.find('&', i);
        if (j == std::string::npos) j = datos.size();
        const std::string seg = datos.substr(i, j - i);
        const std::size_t igual = seg.find('=');
        if (igual != std::string::npos) p[seg.substr(0, igual)] = seg.substr(igual + 1);
        i = j + 1;
    }
    return p;
}

class TolvanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("ORVEX_COMPONENTS", (t_ / "components").c_str(), 1);
        for (const char* lib : {"libKvario3.so", "libTolvan.so"}) {
            auto r = comp::register_library(bin() / lib);
            ASSERT_EQ(r.stage, comp::LibraryResult::Stage::done)
                << lib << ": " << r.error.description;
        }
        comp::set_message_port(&port_);
    }
    void TearDown() override {
        comp::set_message_port(nullptr);
        ::unsetenv("ORVEX_COMPONENTS");
    }

    static fs::path bin() { return fs::path(std::getenv("ORVEX_BIN_DIR")); }
    static std::string texto(const fs::path& p) { return platform::utf8_to_cp1252(p.string()); }

    static comp::Dispatch crear() { return comp::Dispatch(comp::CreateObject("Tolvan.clsdj")); }

    // The declarant keys that saving needs.
    static void cabecera(const comp::Dispatch& dj) {
        dj.call("Agrega_Dupla_Cabecera", {"RUT", "7"});
        dj.call("Agrega_Dupla_Cabecera", {"DV", "K"});
        dj.call("Agrega_Dupla_Cabecera", {"FORMDJ", "1879"});
    }

    // An object opened on a data file of this form holding the declarant
    // keys and then `contenido`.
    comp::Dispatch abrir(const std::string& contenido, const std::string& form = "1879") {
        t_.write("dj.txt", "RUT=7&DV=K&FORMDJ=" + form + "&" + contenido);
        comp::Dispatch dj = crear();
        dj.let("Ubicacion_Archivo_VAzorode", texto(datos_));
        EXPECT_TRUE(dj.call("Abrir_Archivo", {false}).to_bool());
        return dj;
    }

    testsupport::TempFolder t_;
    fs::path datos_ = t_ / "dj.txt";
    testsupport::ScriptedPort port_;
};

}  // namespace tolvan_test
