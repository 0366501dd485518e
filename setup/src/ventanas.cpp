#include "setup/ventanas.hpp"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "setup/unidades.hpp"

namespace setup {

Posicion Centrar(int ancho_pantalla, int alto_pantalla, int ancho, int alto) {
    return {(ancho_pantalla - ancho) / 2, std::max(0, (alto_pantalla - alto) / 2)};
}

void frmMain::Form_Load() {
    // The home folder when there is one (it leads the list), else the drive
    // that holds the setup folder.
    int indice = -1;
    std::error_code ec;
    const char* home = std::getenv("HOME");
    if (!Drive1.empty() && home && *home && fs::is_directory(home, ec) &&
        ruta_destino(Drive1[0]) == ruta_destino(home))
        indice = 0;
    if (indice < 0) {
        const std::string unidad = unidad_de(carpeta_setup_, Drive1);
        auto it = std::find(Drive1.begin(), Drive1.end(), unidad);
        if (it != Drive1.end()) indice = static_cast<int>(it - Drive1.begin());
    }
    if (indice < 0 && !Drive1.empty()) indice = 0;
    if (indice >= 0) Drive1_Change(indice);
}

void frmMain::Drive1_Change(int indice) {
    if (indice < 0 || indice >= static_cast<int>(Drive1.size())) return;
    Drive1_indice = indice;
    compartido_.Ruta_Destino.clear();
    compartido_.Ruta_Destino = ruta_destino(Drive1[indice]);
    compartido_.Indice_Unidad = static_cast<std::int16_t>(indice);
    if (!unidad_disponible(compartido_.Ruta_Destino))
        port_.message(std::string(kDiscoNoDisponible), std::string(kAdvertencia),
                      platform::Buttons::ok);
}

bool frmMain::cmdSiguiente_Click() {
    if (compartido_.Ruta_Destino.empty())
        compartido_.Ruta_Destino = ruta_destino(unidad_de(carpeta_setup_, Drive1));
    if (!unidad_escribible(compartido_.Ruta_Destino)) {
        port_.message(std::string(kNoEsPosibleInstalar), std::string(kAdvertencia),
                      platform::Buttons::ok);
        return false;
    }
    return true;
}

void frmInstalad::Form_Load() {
    lblDireccion = compartido_.Ruta_Destino + std::string(kCarpetaInstalacion) + "/*.*";
    lblEstado.clear();
}

void frmInstalad::cmdInstalar_Click() {
    SetHourGlass();
    Entorno entorno;
    entorno.carpeta_setup = carpeta_setup_;
    entorno.raiz = compartido_.Ruta_Destino;
    entorno.carpetas = carpetas_;
    entorno.pump = pump;
    entorno.estado = [this](std::string_view texto) {
        lblEstado = std::string(texto);
        if (repintar) repintar();
    };
    entorno.al_terminar = [this] {
        SetHourDefault();
        if (pitido) pitido();
    };
    Instalar(entorno);
    cmdInstalar_enabled = false;
    cmdVolver_enabled = false;
    if (repintar) repintar();
}

void frmInstalad::cmdVolver_Click(frmMain& principal) {
    const int elegida = compartido_.Indice_Unidad;
    principal.Form_Load();
    if (elegida != 0) principal.Drive1_Change(elegida);
    volver = true;
}

}  // namespace setup
