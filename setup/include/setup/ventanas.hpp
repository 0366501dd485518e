// The logic of Setup's two windows, frmMain (choice of the drive) and
// frmInstalad (the installation): the state of their controls and their event
// handlers, without any toolkit. The Qt views bind widgets to them; tests drive
// them directly with a scripted message port.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.hpp"
#include "setup/instalacion.hpp"

namespace setup {

inline constexpr std::string_view kTituloMain =
    "Instalador del Software Generador. ZO2018  (V.1.6)";
inline constexpr std::string_view kTituloInstalad =
    "Instalador Software Generador. ZO2018  (V.1.6)";

// State shared by the two windows.
struct Compartido {
    std::string Ruta_Destino;        // the chosen drive with a trailing "/"; "" until one is chosen
    std::int16_t Indice_Unidad = 0;  // its position in the drive list
};

// Top-left corner of a window centred on a screen (any unit): the top is
// raised to 0 when the window is taller than the screen.
struct Posicion {
    int left = 0, top = 0;
};
Posicion Centrar(int ancho_pantalla, int alto_pantalla, int ancho, int alto);

class frmMain {
  public:
    frmMain(Compartido& compartido, fs::path carpeta_setup, platform::MessagePort& port,
            std::vector<std::string> unidades)
        : Drive1(std::move(unidades)),
          compartido_(compartido),
          carpeta_setup_(std::move(carpeta_setup)),
          port_(port) {}

    // Load: selects the initial drive (the home folder, else the drive of the
    // setup folder), which runs Drive1_Change.
    void Form_Load();
    // The user (or the program) selected the drive at this position.
    void Drive1_Change(int indice);
    // True when frmInstalad takes over (the view then closes this window).
    bool cmdSiguiente_Click();
    void cmdCancelar_Click() { salir = true; }

    std::vector<std::string> Drive1;  // the drive list
    int Drive1_indice = -1;
    bool salir = false;  // the program ends at once

  private:
    Compartido& compartido_;
    fs::path carpeta_setup_;
    platform::MessagePort& port_;
};

class frmInstalad {
  public:
    frmInstalad(Compartido& compartido, fs::path carpeta_setup, CarpetasUsuario carpetas)
        : compartido_(compartido),
          carpeta_setup_(std::move(carpeta_setup)),
          carpetas_(std::move(carpetas)) {}

    void Form_Load();
    // The installation. Runs to its end whatever fails on the way.
    void cmdInstalar_Click();
    // Shows frmMain again (its Load runs, then the drive chosen before is
    // selected unless it was the first of the list) and closes this window.
    void cmdVolver_Click(frmMain& principal);
    void cmdSalir_Click() { salir = true; }

    void SetHourGlass() { reloj_arena = true; }
    void SetHourDefault() { reloj_arena = false; }

    std::string lblDireccion;
    std::string lblEstado;
    bool cmdInstalar_enabled = true;
    bool cmdVolver_enabled = true;
    bool reloj_arena = false;  // hourglass pointer over the whole screen
    bool volver = false;       // frmMain is shown again and this window closes
    bool salir = false;        // the program ends at once

    // Set by the view: repaint now; let pending events run; beep.
    std::function<void()> repintar;
    platform::EventPump pump;
    std::function<void()> pitido;

  private:
    Compartido& compartido_;
    fs::path carpeta_setup_;
    CarpetasUsuario carpetas_;
};

}  // namespace setup
