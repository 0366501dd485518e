// The structural review of a declaration file and the whole job of the button
// "Revisar y Generar Archivo para Internet": review, then either the report of
// errors or the upload file, stamped and packed.
#pragma once

#include <cstdint>
#include <string_view>

#include "orvex/informe.hpp"
#include "orvex/trabajo.hpp"

namespace orvex {

enum class FinRevision {
    sin_archivo,  // empty path: "Debe seleccionar un Archivo.." was shown
    con_errores,  // the report holds errors
    sin_errores,  // the file is clean; the state is ready for the build
};

struct ResultadoRevision {
    FinRevision fin = FinRevision::sin_archivo;
    EstadoRevision estado;
};

// Reads the declaration once and writes the report; shows only the empty-path
// message. `entrada_formulario` is the chosen form entry (its first four
// characters are the form number), `texto_ano` the tax-year entry (its first
// four characters), `texto_archivo` the path as the file box holds it.
// `al_anotar` (may be empty) receives every error as it is written.
ResultadoRevision Revisar(const Entorno& entorno, std::string_view entrada_formulario,
                          std::string_view texto_ano, std::string_view texto_archivo,
                          const std::function<void(const Hallazgo&)>& al_anotar = {});

// Checks of form 1831 on one type-2 record (date, amount, medium).
void Validar_Valores_1831(const TextoRegistro& registro, std::uint64_t linea,
                          const TablaFormatos& tabla, Informe& informe);

// DDMMYYYY to YYYYMMDD; 0 when the text cannot be converted.
std::int32_t Fecha_a_Numero(std::string_view texto);

}  // namespace orvex
