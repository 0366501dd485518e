#include "mensajes.hpp"

#include "platform/text.hpp"

namespace orvex::mensajes {

namespace {

Mensajes convertir() {
    auto c = [](const char* utf8) { return platform::utf8_to_cp1252(utf8); };
    Mensajes m;
    m.archivo_incompleto = c("ARCHIVO INCOMPLETO");
    m.declaracion_no_corresponde = c("DECLARACION NO CORRESPONDE");
    m.largo_erroneo = c("LARGO ERRONEO");
    m.mes_erroneo = c("Mes Erroneo");
    m.rut_superior = c("RUT DECLARANTE DEBE SER SUPERIOR A 50.000.000");
    m.ano_tributario = c("AÑO TRIBUTARIO NO CORRESPONDE");
    m.folio_estructura = c("FOLIO NO CORRESPONDE A LA ESTRUCTURA SOLICITADA");
    m.tipo_presentacion = c("TIPO DE PRESENTACION NO CORRESPONDE");
    m.folio_anterior = c("FOLIO ANTERIOR REPETIDO");
    m.rut_anterior = c("RUT ANTERIOR NO CORRESPONDE");
    m.folio_tipo2 = c("Folio No corresponde");
    m.rut_tipo2 = c("Rut No corresponde");
    m.tipo_declaracion = c("Tipo Declaración No corresponde");
    m.folio_tipo3 = c("Folio Declaración No corresponde");
    m.rut_tipo3 = c("Rut Declarante No corresponde");
    m.fecha_presentacion = c("fecha de presentación = 00   0000");
    m.linea_vacia = c("LINEA VACIA");
    m.tipo_registro = c("TIPO DE REGISTRO NO CORRESPONDE");
    m.falta_registro = c("FALTA REGISTRO TIPO ");
    m.monto_aporte = c("debe ingresar valor en Monto Aporte");
    m.fecha = c("debe ingresar valor en Fecha");
    m.medio_aporte = c("debe ingresar Medio del Aporte");
    m.fuera_de_rango = c("fecha fuera de rango");
    m.medio_incorrecto =
        c("Medio del Aporte es incorrecto, debe ser igual a: A (Contado) o B (Cheque) o C "
          "(Letra) o D (Pagare)");
    return m;
}

}  // namespace

const Mensajes& textos() {
    static const Mensajes m = convertir();
    return m;
}

}  // namespace orvex::mensajes
