#include "cls_dj.hpp"

#include <limits>

#include "platform/text.hpp"

namespace tolvan {

using comp::ComponentError;
using comp::Variant;
using T = Variant::Type;

namespace {

struct Ayuda {
    const char* metodo;
    const char* texto;
};

// Searched in this order; the first name equal to the argument, letter case
// aside, gives the text.
constexpr Ayuda kAyudas[] = {
    {"Abrir_Archivo",
     "Abre el archivo especificado en:Ubicacion_Archivo_VAzorode, si el parametro Nuevo_Archivo "
     "es verdadero se realizara un kill al archivo y luego se creara en blanco. De lo contrario, "
     "se cargaran los datos presentes en el archivo. Se asume que el archivo se encuentra en "
     "formato Vazorode 2004."},
    {"Actualiza_Informado", "Metodo no habilitado"},
    {"Agrega_Dupla_Cabecera", "Agrega una dupla codigo valor al archivo VAzorode"},
    {"Agrega_Dupla_Informado",
     "Entrada a datos de informados mediante la especificacion de la linea de registro. Linea: "
     "corresponde al registro de informado sobre el cual se crea la dupla. Codigo: Key valida "
     "para el formulario especificado en Formulario"},
    {"Agrega_Dupla_Informado_por_RUT",
     "Entrada a datos de informados mediante la especificacion de un RUT. RUT: corresponde a un "
     "RUT nuevo o registrado sobre el cual se crea la dupla. Codigo: Key valida para el "
     "formulario especificado en Formulario"},
    {"ayuda", "Texto de ayuda de los Metodos y propiedades"},
    {"Exportar_a_Excel",
     "Metodo que crea un archivo Excel a partir de un archivo Vazorode 2004. Soporta formularios "
     "1879 y 1887"},
    {"Formulario", "Indica sobre cual formulario se trabajara"},
    {"Grabar_Archivo",
     "Salva las modificaciones del Archivo Vazorode en la ubicacion especificada "
     "en:Ubicacion_Archivo_VAzorode"},
    {"", ""},
};

constexpr const char* kSinAyuda = "No existe ayuda disponible para este metodo";

}  // namespace

ClsDj::ClsDj() = default;  // datos_ creates "Kvario3.clsURL", or throws the creation error

const comp::ClassTable<ClsDj>& ClsDj::table() {
    using comp::call_get, comp::call_let, comp::call_method;
    using A = std::span<Variant>;
    using K = comp::CallKind;
    const comp::Parameter codigo{"Codigo", T::text, false};
    const comp::Parameter valor{"Valor", T::text, false};
    const comp::Parameter codigo_ref{"Codigo", T::text, true};
    const comp::Parameter linea{"Linea", T::int32, false};
    const comp::Parameter rut{"RUT", T::int32, false};
    static const comp::ClassTable<ClsDj> t(
        "clsdj",
        {
            {{"Abrir_Archivo", call_method, {{"Nuevo_Archivo", T::boolean, false}}, T::boolean},
             [](ClsDj& o, K, A a) -> Variant { return o.Abrir_Archivo(a[0].to_bool()); }},
            {{"Exportar_a_Excel", call_method, {}, T::empty},
             [](ClsDj& o, K, A) -> Variant {
                 o.Exportar_a_Excel();
                 return {};
             }},
            {{"Importar_de_Excel", call_method, {}, T::empty},
             [](ClsDj& o, K, A) -> Variant {
                 o.Importar_de_Excel();
                 return {};
             }},
            {{"Grabar_Archivo", call_method, {}, T::boolean},
             [](ClsDj& o, K, A) -> Variant { return o.Grabar_Archivo(); }},
            {{"Formulario", call_get | call_let, {}, T::text},
             [](ClsDj& o, K kind, A a) -> Variant {
                 if (kind != comp::call_let) return o.Formulario();
                 o.Formulario(a[0].text());
                 return {};
             }},
            {{"Mensaje", call_get, {}, T::text},
             [](ClsDj& o, K, A) -> Variant { return o.Mensaje(); }},
            {{"AYUDA", call_method, {{"Metodo", T::text, true}}, T::text},
             [](ClsDj& o, K, A a) -> Variant { return o.AYUDA(a[0].text()); }},
            {{"Ubicacion_Archivo_VAzorode", call_let, {}, T::text},
             [](ClsDj& o, K, A a) -> Variant {
                 o.Ubicacion_Archivo_VAzorode(a[0].text());
                 return {};
             }},
            {{"Ubicacion_Archivo_Excels", call_let, {}, T::text},
             [](ClsDj& o, K, A a) -> Variant {
                 o.Ubicacion_Archivo_Excels(a[0].text());
                 return {};
             }},
            {{"Agrega_Dupla_Cabecera", call_method, {codigo, valor}, T::empty},
             [](ClsDj& o, K, A a) -> Variant {
                 o.Agrega_Dupla_Cabecera(a[0].text(), a[1].text());
                 return {};
             }},
            {{"Agrega_Dupla_Informado", call_method, {linea, codigo, valor}, T::empty},
             [](ClsDj& o, K, A a) -> Variant {
                 o.Agrega_Dupla_Informado(a[0].to_int32(), a[1].text(), a[2].text());
                 return {};
             }},
            {{"Agrega_Dupla_Informado_por_RUT", call_method, {rut, codigo, valor}, T::empty},
             [](ClsDj& o, K, A a) -> Variant {
                 o.Agrega_Dupla_Informado_por_RUT(a[0].to_int32(), a[1].text(), a[2].text());
                 return {};
             }},
            {{"Obtiene_Dupla_Informado_por_RUT", call_method, {rut, codigo_ref}, T::text},
             [](ClsDj& o, K, A a) -> Variant {
                 return o.Obtiene_Dupla_Informado_por_RUT(a[0].to_int32(), a[1].text());
             }},
            {{"Obtiene_Dupla_Informado", call_method, {linea, codigo_ref}, T::text},
             [](ClsDj& o, K, A a) -> Variant {
                 return o.Obtiene_Dupla_Informado(a[0].to_int32(), a[1].text());
             }},
            {{"Actualiza_Informado", call_method, {}, T::empty},
             [](ClsDj& o, K, A) -> Variant {
                 o.Actualiza_Informado();
                 return {};
             }},
        });
    return t;
}

bool ClsDj::Abrir_Archivo(bool Nuevo_Archivo) {
    if (ruta_datos_.empty()) return false;
    try {
        datos_.UbicacionArchivo2(std::string_view(ruta_datos_));
        indice_hecho_ = false;
        if (Nuevo_Archivo) return datos_.Nuevo_Archivo();
        const bool leido = datos_.LeerDatos();
        formulario_ = datos_.Get_Valor("FORMDJ");
        return leido;
    } catch (const ComponentError& e) {
        comp::show_message(std::to_string(e.number()) + ":" + e.description(), "",
                           platform::Buttons::ok, platform::Icon::none);
        return false;
    }
}

bool ClsDj::Grabar_Archivo() {
    if (ruta_datos_.empty()) return false;
    for (const char* clave : {"RUT", "DV", "FORMDJ"})
        if (datos_.Get_Valor(clave).empty()) return false;
    datos_.UbicacionArchivo2(std::string_view(ruta_datos_));
    return datos_.EscribirDatos();
}

std::string ClsDj::AYUDA(const std::string& Metodo) const {
    const std::string buscado = platform::upper_cp1252(Metodo);
    for (const Ayuda& a : kAyudas)
        if (platform::upper_cp1252(a.metodo) == buscado) return a.texto;
    return kSinAyuda;
}

void ClsDj::Agrega_Dupla_Cabecera(const std::string& Codigo, const std::string& Valor) {
    datos_.ADD_Valor(Codigo, Valor);
}

std::string ClsDj::clave(std::int32_t Linea, const std::string& Codigo) const {
    const tolvan::Formulario* f = formulario();
    return f ? clave_informado(*f, Linea, Codigo) : std::string();
}

void ClsDj::Agrega_Dupla_Informado(std::int32_t Linea, const std::string& Codigo,
                                   const std::string& Valor) {
    const std::string k = clave(Linea, Codigo);
    if (!k.empty()) datos_.ADD_Valor(k, Valor);
}

std::string ClsDj::Obtiene_Dupla_Informado(std::int32_t Linea, const std::string& Codigo) {
    const std::string k = clave(Linea, Codigo);
    return k.empty() ? std::string() : datos_.Get_Valor(k);
}

// Reads the RUT of lines 1 to "MAX_ROWS" from the current form's RUT field
// (field 2; forms other than 1887 use the positions of 1879). A count or a RUT
// that is not numeric text fails with the conversion error (13, or 6 out of
// range), and the index stays as it was.
void ClsDj::construir_indice() {
    const tolvan::Formulario& f = formulario_ == kForm1887.numero ? kForm1887 : kForm1879;
    const std::int32_t n = Variant(datos_.Get_Valor("MAX_ROWS")).to_int32();
    if (n < 0) throw ComponentError(platform::err::subscript);
    std::unordered_map<std::int32_t, std::int32_t> lineas;
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::string rut = datos_.Get_Valor(clave_de_item(numero_de_item(f, i, 2)));
        lineas.emplace(Variant(rut).to_int32(), i);  // the lowest line of a RUT stays
        if (i == n) break;
    }
    lineas_de_rut_ = std::move(lineas);
    tope_ = n;
    campos_del_indice_ = f.campos.size();
    indice_hecho_ = true;
}

std::int32_t ClsDj::buscar_rut(std::int32_t RUT) {
    const std::size_t campos =
        formulario_ == kForm1887.numero ? kForm1887.campos.size() : kForm1879.campos.size();
    if (!indice_hecho_ || campos != campos_del_indice_) construir_indice();
    const auto it = lineas_de_rut_.find(RUT);
    return it == lineas_de_rut_.end() ? -1 : it->second;
}

void ClsDj::Agrega_Dupla_Informado_por_RUT(std::int32_t RUT, const std::string& Codigo,
                                           const std::string& Valor) {
    std::int32_t linea = buscar_rut(RUT);
    if (linea < 0) {  // a new RUT takes the line after the top slot
        if (tope_ == std::numeric_limits<std::int32_t>::max())
            throw ComponentError(platform::err::overflow);
        linea = ++tope_;
        lineas_de_rut_.emplace(RUT, linea);
        Agrega_Dupla_Informado(linea, "RUT", std::to_string(RUT));
        // A line stored beyond the count raises it, so that the export and
        // every reader by count see the new informado.
        if (formulario()) {
            std::int32_t cuenta = 0;
            try {
                cuenta = Variant(datos_.Get_Valor("MAX_ROWS")).to_int32();
            } catch (const ComponentError&) {
                // changed since the index was built: the new line sets it
            }
            if (linea > cuenta) datos_.ADD_Valor("MAX_ROWS", std::to_string(linea));
        }
    }
    const std::string k = clave(linea, Codigo);
    if (!k.empty()) datos_.ADD_Valor(k, Valor);
}

std::string ClsDj::Obtiene_Dupla_Informado_por_RUT(std::int32_t RUT, const std::string& Codigo) {
    const std::int32_t linea = buscar_rut(RUT);
    if (linea < 0) return {};
    const std::string k = clave(linea, Codigo);
    return k.empty() ? std::string() : datos_.Get_Valor(k);
}

}  // namespace tolvan
