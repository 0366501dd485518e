#include "orvex/revisar_declaracion.hpp"

#include "orvex/externos.hpp"
#include "orvex/generacion.hpp"

namespace orvex {

FinTrabajo Revisar_Declaracion(const Entorno& entorno, const Pedido& pedido,
                               const std::function<void(const Hallazgo&)>& al_anotar) {
    ResultadoRevision revision = Revisar(entorno, pedido, al_anotar);
    switch (revision.fin) {
        case FinRevision::sin_archivo:
            return FinTrabajo::sin_archivo;
        case FinRevision::con_errores:
            entorno.port.message("... Presione el botón Aceptar para Visualizarlos",
                                 "Archivo con Errores", platform::Buttons::ok);
            // Shown on the report's path even when it could not be written.
            Mostrar_Texto(entorno.port, ruta_informe(entorno.install));
            return FinTrabajo::con_errores;
        case FinRevision::sin_errores:
            break;
    }
    switch (Generar_Archivo_Internet(entorno, revision.estado)) {
        case FinGeneracion::empaquetado:
            return FinTrabajo::generado;
        case FinGeneracion::declaracion_vacia:
            return FinTrabajo::declaracion_vacia;
        default:
            return FinTrabajo::fallo;
    }
}

void Avisar_Sin_Archivo(platform::MessagePort& port) {
    port.message("Debe seleccionar un Archivo.. Presione el Botón Aceptar para continuar",
                 "Resultado del Proceso", platform::Buttons::ok);
}

}  // namespace orvex
