// The whole job of the button "Revisar y Generar Archivo para Internet":
// the review, then either the report of errors shown until closed, or the
// upload file built, stamped and packed.
#pragma once

#include <functional>
#include <string_view>

#include "orvex/revision.hpp"

namespace orvex {

enum class FinTrabajo {
    sin_archivo,        // empty path
    con_errores,        // errors: message shown, report shown until closed
    declaracion_vacia,  // "Archivo NO Contiene DDJJ, Archivo vació"
    generado,           // upload file written, stamped where due, and packed
    fallo,              // the build, the stamp or the packing failed (message shown)
};

FinTrabajo Revisar_Declaracion(const Entorno& entorno, std::string_view entrada_formulario,
                               std::string_view texto_ano, std::string_view texto_archivo,
                               const std::function<void(const Hallazgo&)>& al_anotar = {});

}  // namespace orvex
