// The generator window's logic: the state of its controls and its event
// handlers, without any toolkit. The Qt view binds widgets to it and calls the
// handlers; tests drive it directly with a scripted message port.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "orvex/revisar_declaracion.hpp"
#include "platform/messages.hpp"

namespace orvex {

class Generador {
  public:
    enum class Documento { ninguno, formato_registros, validaciones, instrucciones };

    Generador(std::filesystem::path install, platform::MessagePort& port)
        : install_(std::move(install)), port_(port) {}

    // Window, Load: fills the lists and disables what needs a choice first.
    void Load();

    void ListDj_Click(int indice);
    void CmbAnot_Click(int indice);
    void CmbAnot_LostFocus();
    void cmd_buscar_Click();
    // The user typed a key; the text is the box's text before the key takes effect.
    void txt_archivo_KeyPress();
    // The box's text changed (typing, pasting, or set by the view).
    void txt_archivo_Change(std::string texto) { txt_archivo = std::move(texto); }
    void txt_archivo_LostFocus();
    void Opt_Click(Documento documento);
    void Cmd_Editar_Click();
    FinTrabajo Cmd_Generar_Click();
    void CmdSalir_Click() { salir = true; }

    // The file picker used by "&Explorar": the chosen path, or empty.
    std::string Elegir_Archivo();

    // The operation of the window that packs the upload file (for the build).
    const std::filesystem::path& install() const { return install_; }

    // Runs the review's long work with window events and progress.
    platform::EventPump pump;
    std::function<void(std::uint64_t, std::uint64_t)> progreso;
    // A status line for waits (another run holding the output folder); empty
    // text when the wait is over.
    std::function<void(const std::string&)> estado;

    // Controls' state. Texts of the lists are Windows-1252 as read from the
    // catalogue; the other texts are UTF-8.
    std::vector<std::string> ListDj;  // form entries
    int ListDj_indice = -1;
    std::string lblglosaform;
    std::vector<std::string> CmbAnot;  // tax years
    int CmbAnot_indice = -1;
    bool CmbAnot_enabled = false;
    std::string txt_archivo;
    bool cmd_buscar_enabled = false;
    bool Cmd_Generar_enabled = false;
    bool Cmd_Editar_enabled = false;
    Documento opcion = Documento::ninguno;
    std::string prueba;
    bool salir = false;  // "Salir" was pressed: the program ends at once

  private:
    std::filesystem::path install_;
    platform::MessagePort& port_;
};

}  // namespace orvex
