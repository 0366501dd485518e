#include "orvex/generador.hpp"

#include "orvex/catalogo.hpp"
#include "orvex/externos.hpp"
#include "orvex/sesion.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace orvex {

void Generador::Load() {
    ListDj = Cargar_Formularios(install_);
    ListDj_indice = -1;
    CmbAnot = Cargar_Anos(install_);
    CmbAnot_indice = CmbAnot.empty() ? -1 : 0;
    CmbAnot_enabled = false;
    Cmd_Editar_enabled = false;
    cmd_buscar_enabled = false;
    Cmd_Generar_enabled = false;
}

void Generador::ListDj_Click(int indice) {
    if (indice < 0 || indice >= static_cast<int>(ListDj.size())) return;
    ListDj_indice = indice;
    lblglosaform = ListDj[indice];
    CmbAnot_enabled = true;
    cmd_buscar_enabled = true;
}

void Generador::CmbAnot_Click(int indice) {
    if (indice >= 0 && indice < static_cast<int>(CmbAnot.size())) CmbAnot_indice = indice;
    cmd_buscar_enabled = true;
}

void Generador::CmbAnot_LostFocus() {
    cmd_buscar_enabled = true;
}

std::string Generador::Elegir_Archivo() {
    platform::FilePick pick;
    pick.filter = "*.*";
    pick.start_folder = install_;
    pick.validate_names = false;
    auto elegido = port_.pick_file(pick);
    return elegido ? elegido->string() : std::string();
}

void Generador::cmd_buscar_Click() {
    txt_archivo.clear();
    txt_archivo = Elegir_Archivo();
    // The note holds 8-bit text; a missing "registro" only skips it.
    Anotar_Archivo(install_, platform::utf8_to_cp1252(txt_archivo));
    Cmd_Generar_enabled = !txt_archivo.empty();
}

void Generador::txt_archivo_KeyPress() {
    if (txt_archivo.empty()) Cmd_Generar_enabled = false;
}

void Generador::txt_archivo_LostFocus() {
    if (txt_archivo.empty()) Cmd_Generar_enabled = false;
}

void Generador::Opt_Click(Documento documento) {
    opcion = documento;
    Cmd_Editar_enabled = true;
}

void Generador::Cmd_Editar_Click() {
    switch (opcion) {
        case Documento::formato_registros:
            Abrir_Hoja(port_, platform::join(install_, "Sistema/Formato.xls"));
            break;
        case Documento::validaciones:
            Abrir_Hoja(port_, platform::join(install_, "Sistema/Validaciones.xls"));
            break;
        case Documento::instrucciones:
            Mostrar_Texto(port_, platform::join(install_, "Sistema/leame.ASC"));
            break;
        case Documento::ninguno:
            break;
    }
}

FinTrabajo Generador::Cmd_Generar_Click() {
    Entorno entorno{install_, port_, pump, progreso, [this] { prueba = " ok"; }, estado};
    const std::string entrada = ListDj_indice >= 0 ? ListDj[ListDj_indice] : std::string();
    const std::string ano = CmbAnot_indice >= 0 ? CmbAnot[CmbAnot_indice] : std::string();
    // The form number leads the list entry; the tax year leads the combo text.
    const Pedido pedido{std::string(numero_de_formulario(entrada)),
                        std::string(platform::mid(ano, 1, 4)),
                        std::filesystem::path(std::string(platform::trim(txt_archivo)))};
    const FinTrabajo fin = Revisar_Declaracion(entorno, pedido);
    if (fin == FinTrabajo::sin_archivo) Avisar_Sin_Archivo(port_);
    return fin;
}

}  // namespace orvex
