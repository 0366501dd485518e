// The review's report messages, converted once from the UTF-8 of the source to
// the Windows-1252 bytes that the report and the findings hold.
#pragma once

#include <string>

namespace orvex::mensajes {

struct Mensajes {
    std::string archivo_incompleto;
    std::string declaracion_no_corresponde;
    std::string largo_erroneo;
    std::string mes_erroneo;
    std::string rut_superior;
    std::string ano_tributario;
    std::string folio_estructura;
    std::string tipo_presentacion;
    std::string folio_anterior;
    std::string rut_anterior;
    std::string folio_tipo2;
    std::string rut_tipo2;
    std::string tipo_declaracion;
    std::string folio_tipo3;
    std::string rut_tipo3;
    std::string fecha_presentacion;
    std::string linea_vacia;
    std::string tipo_registro;
    std::string falta_registro;  // followed by the record type
    // Form 1831.
    std::string monto_aporte;
    std::string fecha;
    std::string medio_aporte;
    std::string fuera_de_rango;
    std::string medio_incorrecto;
};

const Mensajes& textos();

}  // namespace orvex::mensajes
