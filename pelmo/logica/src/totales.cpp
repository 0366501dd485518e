#include "pelmo/totales.hpp"

#include "pelmo/formatos.hpp"

namespace pelmo {

void Totales::GotFocus(int indice) {
    Caja& c = Cajas[indice];
    c.max_largo = kMaxEdicion[indice];
    c.texto = formato(c.texto, kPatronEdicion[indice]);
}

void Totales::LostFocus(int indice) {
    Caja& c = Cajas[indice];
    c.max_largo = kMaxVista[indice];
    c.texto = formato(c.texto, kPatronVista[indice]);
}

void Totales::KeyPress(int indice, int& KeyAscii) {
    if (KeyAscii == '&' || KeyAscii == '\'') {
        KeyAscii = 0;
        return;
    }
    if (KeyAscii == tecla::retroceso) return;
    if (KeyAscii == tecla::enter || KeyAscii == tecla::tab) {
        KeyAscii = 0;
        if (indice == 1) {
            e_.enfocar({Campo::Totales, 2});
        } else {
            e_.enfocar({Campo::txtRutRepresentanteLegal});
            e_.pantalla.DesplazaVentana(tecla::abajo);
        }
        return;
    }
    if (KeyAscii < '0' || KeyAscii > '9') KeyAscii = 0;
}

}  // namespace pelmo
