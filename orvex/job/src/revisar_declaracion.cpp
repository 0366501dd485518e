#include "orvex/revisar_declaracion.hpp"

#include <cstdio>

#include "orvex/externos.hpp"
#include "orvex/generacion.hpp"
#include "platform/errors.hpp"
#include "platform/paths.hpp"

namespace orvex {

namespace {

// The report could not be written in "registro": the user is told so, since
// the file there is not this review's.
void Avisar_Informe_No_Escrito(const Entorno& entorno, const ResultadoRevision& revision) {
    const std::filesystem::path ruta = ruta_informe(entorno.install);
    // A missing folder is "path not found", not a missing file.
    const platform::RuntimeError e =
        revision.error_informe == std::errc::no_such_file_or_directory &&
                !platform::is_directory(ruta.parent_path())
            ? platform::RuntimeError::from(platform::err::path_not_found)
            : platform::RuntimeError::from(revision.error_informe);
    entorno.port.message("No se ha podido grabar el archivo de errores " + ruta.string() + "\r" +
                             std::to_string(e.number) + ":" + e.description,
                         "Resultado del Proceso", platform::Buttons::ok, platform::Icon::critical);
}

}  // namespace

FinTrabajo Revisar_Declaracion(const Entorno& entorno, const Pedido& pedido,
                               const std::function<void(const Hallazgo&)>& al_anotar) {
    ResultadoRevision revision = Revisar(entorno, pedido, al_anotar);
    // Removes the findings' temporary file, if any, and lets other runs write
    // their report once this one's has been shown.
    auto liberar_informe = [&revision] {
        if (revision.informe_temporal) std::remove(revision.informe.c_str());
        revision.bloqueo_informe.reset();
    };
    switch (revision.fin) {
        case FinRevision::sin_archivo:
            liberar_informe();
            return FinTrabajo::sin_archivo;
        case FinRevision::no_regular:
            liberar_informe();
            entorno.port.message(
                "El Archivo " + pedido.archivo.string() +
                    " no es un archivo común y no se puede revisar. Presione el Botón Aceptar "
                    "para continuar",
                "Resultado del Proceso", platform::Buttons::ok, platform::Icon::critical);
            return FinTrabajo::no_regular;
        case FinRevision::con_errores:
            entorno.port.message("... Presione el botón Aceptar para Visualizarlos",
                                 "Archivo con Errores", platform::Buttons::ok);
            if (revision.error_informe) Avisar_Informe_No_Escrito(entorno, revision);
            // This review's own findings, wherever they could be written.
            Mostrar_Texto(entorno.port, revision.informe);
            liberar_informe();
            return FinTrabajo::con_errores;
        case FinRevision::sin_errores:
            if (revision.error_informe) Avisar_Informe_No_Escrito(entorno, revision);
            liberar_informe();
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
