// Value checks of form 1831 on its type-2 records: the date, amount and medium
// of each contribution.
#include <cmath>
#include <limits>
#include <optional>

#include "mensajes.hpp"
#include "orvex/revision.hpp"
#include "platform/numtext.hpp"
#include "platform/text.hpp"

namespace orvex {

namespace {

constexpr int kCampoFecha = 10;
constexpr int kCampoMonto = 11;
constexpr int kCampoMedio = 12;
constexpr std::string_view kMedios = "A,B,C,D";
// First and last day of the year the contributions belong to, compared as texts.
constexpr std::string_view kDesde = "20170101";
constexpr std::string_view kHasta = "20171231";
// Rule 5 sets its message further off the informed value.
constexpr std::size_t kHuecoMedio = 7;

// One part of a DDMMYYYY date: the number it reads as, without leading zeros,
// empty for zero; nothing when the part is not a number.
std::optional<std::string> parte_fecha(std::string_view texto) {
    if (!platform::is_number(texto)) return std::nullopt;
    double v = platform::leading_value(texto);
    if (!(std::fabs(v) < 1e15)) return std::nullopt;  // "9E99": no whole number
    if (v == 0) return std::string();
    return platform::whole_text(static_cast<std::int64_t>(v));
}

}  // namespace

std::int32_t Fecha_a_Numero(std::string_view texto) {
    std::optional<std::string> dia = parte_fecha(platform::mid(texto, 1, 2));
    std::optional<std::string> mes = parte_fecha(platform::mid(texto, 3, 2));
    std::optional<std::string> ano = parte_fecha(platform::mid(texto, 5, 4));
    if (!dia || !mes || !ano) return 0;
    if (dia->size() == 1) dia->insert(dia->begin(), '0');
    if (mes->size() == 1) mes->insert(mes->begin(), '0');
    std::string unido = *ano + *mes + *dia;
    std::optional<std::int64_t> n = platform::read_whole(unido);
    if (!n || *n < std::numeric_limits<std::int32_t>::min() ||
        *n > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(*n);
}

void Validar_Valores_1831(const TextoRegistro& registro, std::uint64_t linea,
                          const TablaFormatos& tabla, Informe& informe) {
    const mensajes::Mensajes& m = mensajes::textos();
    const std::string fecha = Valor_Campo(registro, tabla, 2, kCampoFecha);
    const std::string monto = Valor_Campo(registro, tabla, 2, kCampoMonto);
    const std::string medio = Valor_Campo(registro, tabla, 2, kCampoMedio);

    // Rules 1 to 4 report the layout's length against the record text's length.
    auto anotar_largos = [&](const std::string& mensaje) {
        informe.anotar(Hallazgo{linea, '2', platform::whole_text(tabla[2].largo),
                                platform::with_sign_place(static_cast<double>(registro.largo())),
                                mensaje, false});
    };

    if (platform::leading_value(monto) < 0) anotar_largos(m.monto_aporte);
    if (platform::leading_value(fecha) == 0) anotar_largos(m.fecha);
    if (medio.empty()) anotar_largos(m.medio_aporte);

    const std::string d = platform::whole_text(Fecha_a_Numero(fecha));
    if (!(d >= kDesde && d <= kHasta)) anotar_largos(m.fuera_de_rango);

    if (medio.empty() || kMedios.find(medio) == std::string_view::npos) {
        informe.anotar(Hallazgo{linea, '2', std::string(kMedios), medio, m.medio_incorrecto, false},
                       kHuecoMedio);
    }
}

}  // namespace orvex
