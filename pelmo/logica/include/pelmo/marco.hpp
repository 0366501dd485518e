// The main frame MDIFormDJ and its two satellites, the button bar and the
// error window: where the start-up places every window, and the resize rule
// that keeps the frame at its remembered size or tiles the three windows.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "pelmo/comun.hpp"

namespace pelmo {

// Sizes of the child windows and the satellites (twips).
namespace medida {
inline constexpr Rect frmHeader1832{0, 0, 13365, 3735};
inline constexpr int ancho_informados = 11535, alto_informados = 1995;
inline constexpr int ancho_totales = 12060, alto_totales = 1815;
inline constexpr int ancho_representante = 4095, alto_representante = 1080;
inline constexpr int ancho_relleno = 4680, alto_relleno = 3435, left_relleno = 15000;
inline constexpr int ancho_botones = 1050, alto_botones = 8475;
inline constexpr int ancho_errores = 10850, alto_errores = 1335;
inline constexpr int ancho_marco = 10850, alto_marco = 7140;
inline constexpr int ancho_codigo = 810;  // the "Código" heading of the error window
}  // namespace medida

// Where the start-up puts each window, from the frame's size.
struct Disposicion {
    Rect marco, header, informados, totales, representante, relleno, botones, errores;
};
Disposicion Disponer(int AnchoMarco, int AltoMarco);

// The six buttons of the button bar.
struct Boton {
    std::string_view nombre, caption;
    int top, height;
    std::string_view tooltip;  // UTF-8; empty: none
    bool visible;
};
inline constexpr int kBotonLeft = 75, kBotonAncho = 915;
extern const std::array<Boton, 6> kBotones;

enum class Estado { normal, minimizada, maximizada };

struct VentanaTop {
    Estado estado = Estado::normal;
    Rect r;
    bool operator==(const VentanaTop&) const = default;
};

// The three top-level windows as the resize rule sees and leaves them, with
// the widths it gives the error window's list and labels.
struct Satelites {
    VentanaTop marco, botones, errores;
    int ancho_lista = 0, ancho_titulo = 0, ancho_descripcion = 0;
};

class MarcoDJ {
  public:
    // Main frame Resize: nothing while the program starts.
    void Form_Resize(Satelites& s);
    // QueryUnload and Unload: the frame cannot be closed (true: cancel).
    bool Form_QueryUnload() const { return true; }

    bool FormaLista = false;
    int AnchoMarco = medida::ancho_marco;
    int AltoMarco = medida::alto_marco;
    std::string Caption = "F1827";  // Windows-1252

  private:
    void regla(Satelites& s, int profundidad);
};

}  // namespace pelmo
