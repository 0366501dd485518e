#include "pelmo/encabezado.hpp"

#include "pelmo/formatos.hpp"
#include "platform/text.hpp"

namespace pelmo {

namespace {

bool es_digito(int c) {
    return c >= '0' && c <= '9';
}

// Digits, and "K" with "k" turned upper case.
void digito_o_k(int& KeyAscii) {
    if (KeyAscii == 'k') KeyAscii = 'K';
    if (!es_digito(KeyAscii) && KeyAscii != 'K') KeyAscii = 0;
}

void solo_digitos(int& KeyAscii) {
    if (!es_digito(KeyAscii)) KeyAscii = 0;
}

}  // namespace

Caja* Encabezado::caja(Campo campo) {
    switch (campo) {
        case Campo::txtRutDeclarante:
            return &txtRutDeclarante;
        case Campo::txtDvDeclarante:
            return &txtDvDeclarante;
        case Campo::txtNombreDeclarante:
            return &txtNombreDeclarante;
        case Campo::txtDireccion:
            return &txtDireccion;
        case Campo::txtCorreo:
            return &txtCorreo;
        case Campo::txtFax:
            return &txtFax;
        case Campo::txtTelefono:
            return &txtTelefono;
        case Campo::txtRutRepresentanteLegal:
            return &txtRutRepresentanteLegal;
        case Campo::txtDvRepresentanteLegal:
            return &txtDvRepresentanteLegal;
        default:
            return nullptr;
    }
}

void Encabezado::ActualizaCaption() {
    caption_ = "F1832 - DECLARANTE: " + txtRutDeclarante.texto + "-" + txtDvDeclarante.texto + " " +
               txtNombreDeclarante.texto;
}

void Encabezado::GotFocus(Campo campo) {
    if (campo == Campo::txtRutDeclarante && !platform::trim(txtRutDeclarante.texto).empty()) {
        txtRutDeclarante.max_largo = 8;
        txtRutDeclarante.texto = formato(txtRutDeclarante.texto, "########");
    }
}

void Encabezado::LostFocus(Campo campo) {
    switch (campo) {
        case Campo::txtRutDeclarante:
            if (!platform::trim(txtRutDeclarante.texto).empty()) {
                txtRutDeclarante.max_largo = 10;
                txtRutDeclarante.texto = formato(txtRutDeclarante.texto, "##,###,###");
            }
            break;
        case Campo::txtDvDeclarante:
            ActualizaCaption();
            break;
        case Campo::txtNombreDeclarante:
            // A change of the name, as any other, renames the frame.
            if (std::string mayus = platform::upper_cp1252(txtNombreDeclarante.texto);
                mayus != txtNombreDeclarante.texto) {
                txtNombreDeclarante.texto = std::move(mayus);
                ActualizaCaption();
            }
            break;
        case Campo::txtRutRepresentanteLegal:
            txtRutRepresentanteLegal.max_largo = 10;
            txtRutRepresentanteLegal.texto = formato(txtRutRepresentanteLegal.texto, "##,###,###");
            break;
        default:
            break;
    }
}

void Encabezado::KeyPress(Campo campo, int& KeyAscii) {
    if (KeyAscii == '&' || KeyAscii == '\'') {
        KeyAscii = 0;
        return;
    }
    const bool avanza = KeyAscii == tecla::enter || KeyAscii == tecla::tab;
    auto avanzar = [&](Foco destino) {
        KeyAscii = 0;
        e_.enfocar(destino);
    };
    switch (campo) {
        case Campo::txtRutDeclarante:
            if (avanza) return avanzar({Campo::txtDvDeclarante});
            solo_digitos(KeyAscii);
            break;
        case Campo::txtDvDeclarante:
            if (avanza) return avanzar({Campo::txtNombreDeclarante});
            digito_o_k(KeyAscii);
            break;
        case Campo::txtNombreDeclarante:
        case Campo::txtDireccion:
            if (avanza)
                return avanzar(
                    {campo == Campo::txtNombreDeclarante ? Campo::txtDireccion : Campo::cmbComuna});
            if (KeyAscii >= 'a' && KeyAscii <= 'z') KeyAscii -= 'a' - 'A';
            break;
        case Campo::cmbComuna:
            if (avanza) {
                for (int k = 0; k < 20; ++k) e_.pantalla.DesplazaVentana(tecla::izquierda);
                return avanzar({Campo::txtCorreo});
            }
            break;
        case Campo::txtCorreo:
            if (avanza) return avanzar({Campo::txtFax});
            if (KeyAscii >= 'A' && KeyAscii <= 'Z') KeyAscii += 'a' - 'A';
            break;
        case Campo::txtFax:
            if (avanza) return avanzar({Campo::txtTelefono});
            solo_digitos(KeyAscii);
            break;
        case Campo::txtTelefono:
            if (avanza) return avanzar({Campo::Cajas, 1});
            solo_digitos(KeyAscii);
            break;
        case Campo::txtRutRepresentanteLegal:
            txtRutRepresentanteLegal.texto = formato(txtRutRepresentanteLegal.texto, "########");
            txtRutRepresentanteLegal.max_largo = 8;
            if (avanza) return avanzar({Campo::txtDvRepresentanteLegal});
            if (KeyAscii != tecla::retroceso) solo_digitos(KeyAscii);
            break;
        case Campo::txtDvRepresentanteLegal:
            if (avanza) {
                avanzar({Campo::txtRutDeclarante});
                e_.pantalla.DesplazaVentana(tecla::inicio);
                return;
            }
            digito_o_k(KeyAscii);
            break;
        default:
            break;
    }
}

void Encabezado::KeyDown(Campo campo, int KeyCode) {
    if (campo == Campo::txtDvDeclarante) e_.pantalla.DesplazaVentana(KeyCode);
}

void Encabezado::Change(Campo campo, std::string texto) {
    if (Caja* c = caja(campo)) c->texto = std::move(texto);
    if (campo == Campo::txtNombreDeclarante) ActualizaCaption();
}

void Encabezado::cmbComuna_Click(int indice) {
    if (indice >= 0 && indice < static_cast<int>(cmbComuna.size())) cmbComuna_indice = indice;
}

void Encabezado::LlenaComunas(const std::string& comuna) {
    cmbComuna = CargaComunas(e_.install);
    cmbComuna_indice = 0;
    if (comuna.empty()) return;
    for (std::size_t i = 0; i < cmbComuna.size(); ++i)
        if (cmbComuna[i] == comuna) {
            cmbComuna_indice = static_cast<int>(i);
            return;
        }
}

void Encabezado::RevisaFolio(const Parametros& p, const std::string& rut_sesion) {
    if (platform::mid(lblFolio, 6, 2) != "01") return;
    const std::string construido = p.prefijo_folio() + parte_rut_folio(rut_sesion) + "01";
    if (construido == lblFolio) return;
    e_.port.message(
        "Este formulario fué creado con una versión anterior del software deberá generar los "
        "archivos Internet nuevamente",
        "¡ Advertencia !");
    lblFolio = construido;
}

}  // namespace pelmo
