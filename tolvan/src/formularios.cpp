#include "formularios.hpp"

#include <charconv>
#include <cstring>
#include <limits>

#include "components/component.hpp"

namespace tolvan {

namespace {

constexpr Campo kCampos1879[] = {
    {"NUM", "NUM"},
    {"RUT", "RUT"},
    {"DV", "DV"},
    {"RETENCION2C", "RETENCION 10%"},
    {"RETENCION10", "RETENCION DIRECTORES 10%"},
    {"RETENCION20", "RETENCION DIRECTORES 20%"},
    {"CERTIFICADO", "CERTIFICADO"},
};

constexpr Campo kCampos1887[] = {
    {"NUM", "NUM"},
    {"RUT", "RUT"},
    {"DV", "DV"},
    {"RENTA_NETA", "RENTA NETA"},
    {"IMP_UNICO", "IMPUESTO UNICO"},
    {"MAYOR_RETENCION", "MAYOR RETENCION"},
    {"ENE", "ENERO"},
    {"FEB", "FEBRERO"},
    {"MAR", "MARZO"},
    {"ABR", "ABRIL"},
    {"MAY", "MAYO"},
    {"JUN", "JUNIO"},
    {"JUL", "JULIO"},
    {"AGO", "AGOSTO"},
    {"SEP", "SEPTIEMBRE"},
    {"OCT", "OCTUBRE"},
    {"NOV", "NOVIEMBRE"},
    {"DIC", "DICIEMBRE"},
    {"CERTIFICADO", "CERTIFICADO"},
};

}  // namespace

const Formulario kForm1879{"1879", kCampos1879};
const Formulario kForm1887{"1887", kCampos1887};

const Formulario* formulario_de(std::string_view numero) {
    if (numero == kForm1879.numero) return &kForm1879;
    if (numero == kForm1887.numero) return &kForm1887;
    return nullptr;
}

std::int32_t numero_de_item(const Formulario& f, std::int32_t Linea, std::int32_t k) {
    if (Linea < 1) return 0;
    const std::int64_t n =
        std::int64_t(k) + std::int64_t(f.campos.size()) * (std::int64_t(Linea) - 1);
    if (n > std::numeric_limits<std::int32_t>::max())
        throw components::ComponentError(platform::err::overflow);
    return std::int32_t(n);
}

ClaveItem::ClaveItem(std::int32_t numero) {
    std::memcpy(buf_, "ITEM", 4);
    largo_ = std::size_t(std::to_chars(buf_ + 4, buf_ + sizeof buf_, numero).ptr - buf_);
}

std::string clave_informado(const Formulario& f, std::int32_t Linea, std::string_view Codigo) {
    for (std::size_t i = 0; i < f.campos.size(); ++i) {
        if (Codigo != f.campos[i].codigo) continue;
        const std::int32_t n = numero_de_item(f, Linea, std::int32_t(i + 1));
        return n > 0 ? clave_de_item(n) : std::string();
    }
    return {};
}

std::string Clave_Informado_1879(std::int32_t Linea, std::string_view Codigo) {
    return clave_informado(kForm1879, Linea, Codigo);
}

std::string Clave_Informado_1887(std::int32_t Linea, std::string_view Codigo) {
    return clave_informado(kForm1887, Linea, Codigo);
}

}  // namespace tolvan
