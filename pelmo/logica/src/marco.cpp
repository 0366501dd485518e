#include "pelmo/marco.hpp"

namespace pelmo {

const std::array<Boton, 6> kBotones = {{
    {"cmdValidar", "&Validar", 435, 885, "Valida consistencia aritmética y lógica tributaria",
     true},
    {"cmdCalcular", "&Totales", 1350, 915,
     "Recalcula los totales del Cuadro Resumen de la Declaración", false},
    {"cmdLimpiar", "&Limpiar form", 2295, 915,
     "Borra todos los valores de la declaración excepto la identificación del declarante", true},
    {"cmdGrabar", "&Grabar", 5310, 915, "Graba el prsente estado de la declaración", true},
    {"Salir", "&Menú", 6240, 915, "Cierra esta pantalla retorna al Menú Principal de Opciones",
     true},
    {"cmdLeyenda", "Leyenda colores", 7350, 915, "", true},
}};

Disposicion Disponer(int AnchoMarco, int AltoMarco) {
    using namespace medida;
    Disposicion d;
    d.marco = {0, 0, AnchoMarco, AltoMarco};
    d.header = frmHeader1832;
    d.informados = {0, d.header.top + d.header.height + 100, ancho_informados, alto_informados};
    d.totales = {0, d.informados.top + d.informados.height + 100, ancho_totales, alto_totales};
    d.representante = {0, d.totales.top + d.totales.height + 250, ancho_representante,
                       alto_representante};
    d.relleno = {left_relleno, d.representante.top + d.representante.height, ancho_relleno,
                 alto_relleno};
    d.botones = {d.marco.width, d.marco.top, ancho_botones, alto_botones};
    d.errores = {0, d.marco.top + d.marco.height, ancho_errores, alto_errores};
    return d;
}

void MarcoDJ::Form_Resize(Satelites& s) {
    if (!FormaLista) return;
    regla(s, 0);
}

// Putting the frame in normal state raises Resize again; the nested run is
// made here, once, as the window system would.
void MarcoDJ::regla(Satelites& s, int profundidad) {
    if (s.marco.estado == Estado::maximizada) {
        AnchoMarco = s.marco.r.width - s.botones.r.width;
        AltoMarco = s.marco.r.height - s.errores.r.height;
        s.marco.estado = Estado::normal;
        if (profundidad == 0) regla(s, 1);
        s.botones.estado = Estado::normal;
        s.errores.estado = Estado::normal;
        s.errores.r.top = s.marco.r.height;
    }
    if (s.marco.estado == Estado::minimizada) {
        s.botones.estado = Estado::minimizada;
        s.errores.estado = Estado::minimizada;
    } else {
        s.marco.r = {0, 0, AnchoMarco, AltoMarco};
    }
    if (s.marco.estado != Estado::normal) return;
    s.botones.estado = Estado::normal;
    s.errores.estado = Estado::normal;
    s.botones.r.left = s.marco.r.width;
    s.botones.r.height = s.marco.r.height + s.errores.r.height;
    s.errores.r.width = s.marco.r.width;
    s.ancho_lista = s.errores.r.width - 200;
    s.ancho_titulo = s.errores.r.width - 200;
    s.ancho_descripcion = s.errores.r.width - (medida::ancho_codigo + 230);
}

}  // namespace pelmo
