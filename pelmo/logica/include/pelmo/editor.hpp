// The editor as a whole: the program-wide state, the start procedure and the
// main frame's Load, the loads of a saved declaration, the buttons, and the
// focus, which moves between the windows' controls with their events.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kvario/kvario.hpp"
#include "pelmo/comun.hpp"
#include "pelmo/encabezado.hpp"
#include "pelmo/entorno.hpp"
#include "pelmo/folio.hpp"
#include "pelmo/informados.hpp"
#include "pelmo/marco.hpp"
#include "pelmo/totales.hpp"
#include "platform/messages.hpp"

namespace pelmo {

class Editor {
  public:
    // Starts a program without waiting for it (the menu program); false when
    // it could not be started.
    using Iniciador = std::function<bool(const std::vector<std::string>&)>;

    Editor(std::filesystem::path install, platform::MessagePort& port, Pantalla& pantalla);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // The start procedure: creates the three data objects and runs the frame's
    // Load. False when the start-up failed: the message is shown, the menu
    // program started, and the program ends.
    bool Main();
    // Main frame Load.
    void Form_Load();

    // Loads of the saved declaration.
    void CargaEncabezado();
    void CargaItems();
    // The summary box after a change of the grid: counts the lines.
    void RefrescaTotales();

    // The button bar.
    void cmdValidar_Click();
    void cmdCalcular_Click() { cmdValidar_Click(); }
    void cmdLimpiar_Click();
    void cmdGrabar_Click() { Grabar(); }
    void Salir_Click();
    void cmdLeyenda_Click();

    // The steps of the validation. GrabaTemporal is false when the validation
    // file could not be written (the user was told).
    bool GrabaTemporal();
    void EjecutaValidador();
    void LimpiaEncabezado();
    void LeeTemporal();
    void LeeErrores();
    // Colours the fields an error code names, or marks the grid line its
    // message names.
    void ColoreaError(const std::string& codigo, const std::string& mensaje);

    // The grid lines as "ITEM" keys of objDatos, 7 per data line.
    void AgregaItems();
    // Replaces the grid work file by one empty line.
    void LimpiaDMP();
    // "&Grabar": false when a file could not be saved (the user was told).
    bool Grabar();

    // The error list's click on row `fila` (from 0).
    void List1_Click(int fila);
    // The colour legend's "Regresar".
    void Regresar_Click();

    // The validation file and the error file under the install folder.
    std::filesystem::path ruta_temporal() const;
    std::filesystem::path ruta_errores() const;

    // The focus: runs LostFocus of the control that has it and GotFocus of
    // `destino`, then asks the screen to move it.
    void enfocar(Foco destino);
    // Key and text events of any field, dispatched to its window.
    void KeyPress(Foco f, int& KeyAscii);
    void KeyDown(Foco f, int KeyCode);
    void Change(Foco f, std::string texto);
    // The text box behind a field (nullptr for lists and buttons).
    Caja* caja(Foco f);

    // Starts the menu program "Tarvo" (install folder first, then PATH).
    void IniciaTarvo();

    const std::filesystem::path& install() const { return install_; }

    // Program-wide state.
    std::optional<kvario::Kvario> objDatos, objSesion, objRegistro;
    std::string RutDeclarante;
    std::string rut_sesion, dv_sesion, raz_sesion;  // from the session file
    Parametros parametros;
    Foco foco;
    bool terminado = false;  // the program ends
    // The main frame and the button bar (disabled while a validation runs or
    // the colour legend is shown).
    bool MDIFormDJ_habilitado = true;
    bool frmLeyenda_visible = false;
    Iniciador iniciar;

  private:
    void GotFocus(Foco f);
    void LostFocus(Foco f);
    void MuestraSecciones();
    void fallo_arranque(int numero, const std::string& descripcion);
    void habilitar(bool activo);
    void no_grabado(const std::filesystem::path& ruta, const std::string& motivo);

    std::filesystem::path install_;
    platform::MessagePort& port_;
    Pantalla& pantalla_;
    Entorno entorno_;

  public:
    // The windows' logic.
    MarcoDJ marco;
    Encabezado encabezado;
    Informados informados;
    Totales totales;
    Errores errores;
};

}  // namespace pelmo
