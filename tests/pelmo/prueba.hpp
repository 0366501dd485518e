// Shared pieces of the editor's logic tests: a screen that records what the
// logic asks of it, and an install tree with the data-file component
// registered in a registration file of the test's own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../support/temp_folder.hpp"
#include "components/component.hpp"
#include "pelmo/comun.hpp"
#include "pelmo/entorno.hpp"
#include "platform/messages.hpp"
#include "scripted_port.hpp"

namespace pelmo::prueba {

struct PantallaGrabada : Pantalla {
    std::vector<int> desplazamientos;
    std::vector<Foco> focos;
    std::vector<std::pair<Ventana, Rect>> colocadas;
    int eventos_corridos = 0;
    std::vector<bool> habilitados;  // each enabling (true) or disabling of frame and bar
    bool puntero_ocupado = false;
    int beeps = 0;
    void DesplazaVentana(int t) override { desplazamientos.push_back(t); }
    void enfocar(Foco f) override { focos.push_back(f); }
    void colocar(Ventana v, Rect r) override { colocadas.emplace_back(v, r); }
    void eventos() override { ++eventos_corridos; }
    void habilitar(bool a) override { habilitados.push_back(a); }
    void ocupado(bool a) override { puntero_ocupado = a; }
    void beep() override { ++beeps; }
    // How many times the key was scrolled, and nothing else.
    bool solo(int tecla, std::size_t veces) const {
        if (desplazamientos.size() != veces) return false;
        for (int d : desplazamientos)
            if (d != tecla) return false;
        return true;
    }
};

// An install folder for one test; `registrar` puts Kvario into a private
// registration file.
class Instalacion {
  public:
    explicit Instalacion(bool registrar = true) {
        ::setenv("ORVEX_COMPONENTS", (drive_ / "components").c_str(), 1);
        if (registrar) {
            auto r = components::register_library(
                std::filesystem::path(std::getenv("ORVEX_BIN_DIR")) / "libKvario3.so");
            EXPECT_EQ(r.stage, components::LibraryResult::Stage::done) << r.error.description;
        }
        std::filesystem::create_directories(install / "registro");
        std::filesystem::create_directories(install / "Forms" / "1832");
        std::filesystem::create_directories(install / "Sistema");
    }
    ~Instalacion() {
        components::set_message_port(nullptr);
        ::unsetenv("ORVEX_COMPONENTS");
    }
    std::filesystem::path escribir(const std::string& rel, const std::string& bytes) const {
        return drive_.write("Orvex18/" + rel, bytes);
    }

    testsupport::TempFolder drive_;
    std::filesystem::path install = drive_ / "Orvex18";
};

// A window logic's surroundings without the editor: focus moves are recorded.
struct EntornoPrueba {
    std::filesystem::path install;
    testsupport::ScriptedPort port;
    PantallaGrabada pantalla;
    Entorno entorno{install, port, pantalla, [this](Foco f) { pantalla.enfocar(f); }};
    explicit EntornoPrueba(std::filesystem::path i = {}) : install(std::move(i)) {
        entorno.install = install;
    }
};

}  // namespace pelmo::prueba
