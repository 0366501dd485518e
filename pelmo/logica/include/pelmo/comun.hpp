// What the editor's windows share: geometry in twips, colours, key codes, the
// controls that can hold the focus, and the screen the window logic drives.
#pragma once

#include <cstdint>
#include <string>

namespace pelmo {

// Twips per logical pixel (96 dpi); the views scale with the screen.
inline constexpr int kTwipsPorPixel = 15;

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// Colours are &H00BBGGRR: blue, green and red bytes.
using Color = std::uint32_t;
namespace color {
inline constexpr Color amarillo = 0x0000FFFF;
inline constexpr Color verde = 0x0000FF00;
inline constexpr Color blanco = 0x00FFFFFF;
inline constexpr Color gris_claro = 0x00E0E0E0;
inline constexpr Color azul_oscuro = 0x00800000;
inline constexpr Color amarillo_claro = 0x00C0FFFF;
inline constexpr Color gris_oscuro = 0x00404040;
inline constexpr Color gris_botones = 0x00C0C0C0;
}  // namespace color

// Key codes (characters for KeyPress, virtual keys for KeyDown).
namespace tecla {
inline constexpr int retroceso = 8, tab = 9, enter = 13, esc = 27;
inline constexpr int re_pag = 33, av_pag = 34, fin = 35, inicio = 36;
inline constexpr int izquierda = 37, arriba = 38, derecha = 39, abajo = 40;
}  // namespace tecla

// A text box: its text (Windows-1252), maximum length (0: none), enabled
// state and background colour.
struct Caja {
    std::string texto;
    int max_largo = 0;
    bool habilitada = true;
    Color fondo = color::blanco;
};

// The controls that take the focus.
enum class Campo {
    ninguno,
    txtRutDeclarante,
    txtDvDeclarante,
    txtNombreDeclarante,
    txtDireccion,
    cmbComuna,
    txtCorreo,
    txtFax,
    txtTelefono,
    txtRutRepresentanteLegal,
    txtDvRepresentanteLegal,
    Totales,  // index 1 or 2
    Cajas,    // grid cell 1 to 18
    Combos,   // the legal-basis list
    boton,    // a button of the button bar
    lista_errores,
};

struct Foco {
    Campo campo = Campo::ninguno;
    int indice = 0;
    bool operator==(const Foco&) const = default;
};

// The windows the start-up places.
enum class Ventana {
    MDIFormDJ,
    frmHeader1832,
    frmInformados,
    frmTotales,
    frmRutRepresentateLegal,
    frmRelleno,
    frmBotones,
    frmErrores
};

// What the window logic asks of the screen. The Qt views implement it; tests
// record the calls.
class Pantalla {
  public:
    virtual ~Pantalla() = default;
    // Scrolls the frame's client area as the navigation key `tecla` would.
    virtual void DesplazaVentana(int tecla) = 0;
    // Gives the control the keyboard focus (the logic has run its events).
    virtual void enfocar(Foco foco) = 0;
    // Places a window (twips) and shows it; the frame in normal state.
    virtual void colocar(Ventana ventana, Rect r) = 0;
    // Lets pending window events run.
    virtual void eventos() {}
    // The key timer of the grid was started or stopped (interval in ms).
    virtual void temporizador(bool activo, int intervalo_ms) {
        (void)activo;
        (void)intervalo_ms;
    }
    // The busy pointer over the program's windows, or the normal one.
    virtual void ocupado(bool activo) { (void)activo; }
    // Enables or disables the main frame and the button bar together (the
    // error window stays usable).
    virtual void habilitar(bool activo) { (void)activo; }
    // The system's beep.
    virtual void beep() {}
};

}  // namespace pelmo
