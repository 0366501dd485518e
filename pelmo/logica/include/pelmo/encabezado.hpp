// Section A, frmHeader1832, and the legal representative's window
// frmRutRepresentateLegal: the declarant's identification, the comuna list,
// the type of declaration and the folio.
#pragma once

#include <string>
#include <vector>

#include "pelmo/comun.hpp"
#include "pelmo/entorno.hpp"
#include "pelmo/folio.hpp"

namespace pelmo {

class Encabezado {
  public:
    // `caption` is the main frame's caption, which names the declarant.
    Encabezado(Entorno& entorno, std::string& caption) : e_(entorno), caption_(caption) {}

    // Events of both windows' fields.
    void GotFocus(Campo campo);
    void LostFocus(Campo campo);
    void KeyPress(Campo campo, int& KeyAscii);
    void KeyDown(Campo campo, int KeyCode);
    void Change(Campo campo, std::string texto);
    void cmbComuna_Click(int indice);

    // Fills the comuna list and selects the stored comuna (the first entry
    // when it is empty or not in the list).
    void LlenaComunas(const std::string& comuna);
    // Shows the folio; when its sequence is "01" and it differs from the one
    // built for this declarant, warns and shows the built one.
    void RevisaFolio(const Parametros& p, const std::string& rut_sesion);
    // The frame caption from the RUT, check digit and name.
    void ActualizaCaption();

    Caja* caja(Campo campo);
    // The comuna list's text as shown (empty when nothing is selected).
    std::string texto_comuna() const {
        return cmbComuna_indice >= 0 && cmbComuna_indice < static_cast<int>(cmbComuna.size())
                   ? cmbComuna[static_cast<std::size_t>(cmbComuna_indice)]
                   : std::string();
    }

    // frmHeader1832.
    Caja txtRutDeclarante{{}, 10, true};
    Caja txtDvDeclarante{{}, 1, true};
    Caja txtNombreDeclarante{{}, 40, true};
    Caja txtDireccion{{}, 35, true};
    Caja txtCorreo{{}, 30, true};
    Caja txtFax{{}, 8, true};
    Caja txtTelefono{{}, 8, true};
    std::vector<std::string> cmbComuna;
    int cmbComuna_indice = -1;
    Color cmbComuna_fondo = color::blanco;
    std::string lblFolio;
    // The type of declaration: disabled, never focused.
    Caja txtOriginal{{}, 0, false, color::gris_claro};
    Caja txtRutAnterior{{}, 0, false, color::gris_claro};
    Caja txtDvAnterior{{}, 1, false, color::gris_claro};
    Caja txtFolioAnterior{{}, 0, false, color::gris_claro};
    // frmRutRepresentateLegal.
    Caja txtRutRepresentanteLegal{{}, 10, true};
    Caja txtDvRepresentanteLegal{{}, 1, true};

    // The current folio sequence (two digits).
    std::string secuencia;

  private:
    Entorno& e_;
    std::string& caption_;
};

}  // namespace pelmo
