// The whole job of the button "Revisar y Generar Archivo para Internet":
// the review, then either the report of errors shown until closed, or the
// upload file built, stamped and packed.
#pragma once

#include <functional>

#include "orvex/revision.hpp"

namespace orvex {

enum class FinTrabajo {
    sin_archivo,        // no file chosen: nothing shown; the caller tells the user
    no_regular,         // the path names no regular file: refused before the review
    con_errores,        // errors: message shown, report shown until closed
    declaracion_vacia,  // "Archivo NO Contiene DDJJ, Archivo vació"
    generado,           // upload file written, stamped where due, and packed
    fallo,              // the build, the stamp or the packing failed (message shown)
};

FinTrabajo Revisar_Declaracion(const Entorno& entorno, const Pedido& pedido,
                               const std::function<void(const Hallazgo&)>& al_anotar = {});

// The message for a job asked without a file: "Debe seleccionar un Archivo..".
void Avisar_Sin_Archivo(platform::MessagePort& port);

}  // namespace orvex
