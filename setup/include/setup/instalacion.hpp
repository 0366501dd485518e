// The installation: the folder tree Orvex18 with its form folders, the copy
// list from the setup folder, the registration of the component libraries with
// the setup folder's regsvr32, the catalogue copies and the desktop entry.
// Every step ignores its own failure and the next step runs; the status texts
// are handed to the caller as the work goes on.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.hpp"

namespace setup {

namespace fs = std::filesystem;

inline constexpr std::string_view kCarpetaInstalacion = "Orvex18";

inline constexpr std::string_view kInstalandoComponentes = "Instalando componentes...";
inline constexpr std::string_view kInstalando = "Instalando...";
inline constexpr std::string_view kInstalandoConfiguracion = "Instalando configuracion...";
inline constexpr std::string_view kCreandoAcceso = "Creando Acceso directo...";
inline constexpr std::string_view kInstalacionTerminada =
    "Instalación terminada, con un Icono en su escritorio bajo el texto Orvex18.";

// The form folders below "Forms", in the order they are created.
inline constexpr std::array<std::string_view, 21> kFormularios = {
    "1805", "1806", "1828", "1831", "1838", "1849", "1855", "1856", "1862", "1866", "1867",
    "1870", "1871", "1889", "1890", "1892", "1894", "1895", "1896", "1898", "1899"};

// The files of the setup folder's "Sistema" copied into Orvex18's, in order.
inline constexpr std::array<std::string_view, 9> kArchivosSistema = {
    "ANOT.TXT",  "FORMSDJ.TXT",      "PARAM.TXT",        "FORMATOSDJ.TXT", "REGISTROSDJ.txt",
    "LEAME.asc", "VALIDACIONES.asc", "Validaciones.xls", "formato.xls"};

// The name of the desktop entry on the user's desktop and in the menu.
inline constexpr std::string_view kAccesoDirecto = "Orvex 2018.desktop";

// Where the desktop entry goes.
struct CarpetasUsuario {
    fs::path escritorio;    // the desktop folder (XDG user dirs); not created
    fs::path aplicaciones;  // the applications folder of the menu; created when missing
};

// The user's folders from the environment: XDG_DESKTOP_DIR of
// $XDG_CONFIG_HOME/user-dirs.dirs (else the environment's XDG_DESKTOP_DIR,
// else ~/Desktop) and $XDG_DATA_HOME/applications (else
// ~/.local/share/applications).
CarpetasUsuario Carpetas_Usuario();

// The value of XDG_DESKTOP_DIR in the text of a user-dirs.dirs file, with
// "$HOME" expanded; empty when the file does not set it.
std::string escritorio_de_user_dirs(std::string_view texto, std::string_view home);

// Copies a file so that the target is never half-written: the bytes go to a
// new file beside the target, which is flushed to disk and then renamed over
// the target. The source's permission bits are kept. On failure the target is
// as it was and nothing is left beside it.
bool Copiar_Archivo(const fs::path& origen, const fs::path& destino);

// The text of the desktop entry that starts `programa` in `carpeta`.
std::string entrada_escritorio(const fs::path& programa, const fs::path& carpeta);

// Copies the prepared desktop entry of the setup folder with its Exec and
// Path keys naming the installed `orvex` and its folder (a desktop entry only
// finds a program by an absolute path), written as Copiar_Archivo writes.
bool Copiar_Entrada(const fs::path& origen, const fs::path& destino, const fs::path& instalacion);

// Writes "Orvex 2018.desktop" for the installed `orvex` into the desktop
// folder (marked executable) and into the applications folder. False when
// neither could be written.
bool Crear_Acceso_Directo(const fs::path& instalacion, const CarpetasUsuario& carpetas);

struct Entorno {
    fs::path carpeta_setup;  // the setup folder (the one Setup runs from)
    fs::path raiz;           // the chosen drive: Orvex18 is laid out below it
    CarpetasUsuario carpetas;
    // Shows a status text (and lets the window repaint).
    std::function<void(std::string_view)> estado;
    // Lets pending window events run while regsvr32 runs.
    platform::EventPump pump;
    // Runs once the work is done, before the final status text.
    std::function<void()> al_terminar;
};

// One entry of the copy list: a file of the setup folder, or a run of the
// setup folder's regsvr32 (unregister, then register) for a copied library.
struct Paso {
    enum class Tipo { copiar, registrar } tipo;
    std::string_view nombre;
};

// The copy list in its order, with the registrations between the copies.
const std::vector<Paso>& Lista_Copias();

// Runs the whole installation; each step ignores its own failure. Returns the
// installation folder.
fs::path Instalar(const Entorno& entorno);

}  // namespace setup
