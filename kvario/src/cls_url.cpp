#include "cls_url.hpp"

#include <array>
#include <new>
#include <optional>

#include "archivo.hpp"
#include "platform/text.hpp"

namespace kvario {

namespace fs = std::filesystem;
using comp::ComponentError;
using comp::Variant;
using platform::Buttons;
using platform::Icon;
using platform::RuntimeError;
using T = Variant::Type;

namespace {

constexpr const char* kVersion = "3.1.485";
constexpr const char* kTituloPrueba = "Error no definido -Versión Prueba";

// The error that is being handled, as number and description (UTF-8).
RuntimeError error_actual() {
    try {
        throw;
    } catch (const Falla& f) {
        return f.error;
    } catch (const ComponentError& e) {
        return e.error();
    } catch (const std::bad_alloc&) {
        return RuntimeError::from(platform::err::out_of_memory);
    } catch (const std::exception& e) {
        return {platform::err::device_io, e.what()};
    } catch (...) {
        return RuntimeError::from(platform::err::device_io);
    }
}

// A text property: read, or assigned by a let.
Variant propiedad(std::string& campo, comp::CallKind kind, std::span<Variant> a) {
    if (kind != comp::call_let) return campo;
    campo = a[0].text();
    return {};
}

// Error texts are kept, and handed to callers, in Windows-1252.
std::string ansi(const std::string& utf8) {
    return platform::utf8_to_cp1252(utf8);
}

// Whether a save writes the entry: both its key and its value are non-blank.
bool se_graba(std::string_view texto) {
    return !platform::trim(Clave_de_Par(texto)).empty() &&
           !platform::trim(Valor_de_Par(texto)).empty();
}

// Bytes that the format cannot hold inside an entry: "&" ends it, and the
// readers drop CR, LF and NUL.
constexpr std::array<bool, 256> kSeparadores = [] {
    std::array<bool, 256> t{};
    t['&'] = t['\r'] = t['\n'] = t['\0'] = true;
    return t;
}();

std::size_t primer_separador(std::string_view t) {
    for (std::size_t i = 0; i < t.size(); ++i)
        if (kSeparadores[static_cast<unsigned char>(t[i])]) return i;
    return std::string_view::npos;
}

// Whether an entry would not read back as it is held.
bool tiene_defecto(const Entrada& e) {
    return e.clave.find('=') != std::string_view::npos ||
           primer_separador(e.texto) != std::string_view::npos;
}

// A key as an error text shows it, its line breaks and NUL bytes made visible.
std::string clave_visible(std::string_view clave) {
    std::string s = "\"";
    for (char c : clave) {
        if (c == '\r')
            s += "<CR>";
        else if (c == '\n')
            s += "<LF>";
        else if (c == '\0')
            s += "<NUL>";
        else
            s += c;
    }
    return s + "\"";
}

// Why an entry with a defect cannot be saved as it stands: a value with "&"
// would come back split (the rest read as a pair of its own, able to forge a
// key), a key with "=" under another key, and line breaks and NUL bytes would
// be lost. The format has no escaping, so such entries are not written at
// all. Texts in Windows-1252.
std::string defecto_de(const Entrada& e) {
    if (e.clave.find('=') != std::string_view::npos)
        return "la clave " + clave_visible(e.clave) + " contiene \"=\"";
    const std::size_t i = primer_separador(e.texto);
    const std::string donde = i < Clave_de_Par(e.texto).size()
                                  ? "la clave " + clave_visible(e.clave)
                                  : "el valor de la clave " + clave_visible(e.clave);
    switch (e.texto[i]) {
        case '&':
            return donde + " contiene \"&\"";
        case '\0':
            return donde +
                   " contiene un car\xE1"
                   "cter nulo";
        default:
            return donde +
                   " contiene un salto de l\xED"
                   "nea";
    }
}

}  // namespace

const comp::ClassTable<ClsURL>& ClsURL::table() {
    using comp::call_get, comp::call_let, comp::call_method, comp::call_set;
    using A = std::span<Variant>;
    using K = comp::CallKind;
    const comp::Parameter codigo{"Codigo", T::text, false};
    const comp::Parameter valor{"Valor", T::text, false};
    const comp::Parameter codigo_ref{"Codigo", T::text, true};
    const comp::Parameter indice{"indice_numerico", T::int32, true};
    static const comp::ClassTable<ClsURL> t(
        "clsURL",
        {
            {{"colDatosURL", call_get | call_set, {}, T::object},
             [](ClsURL& o, K kind, A a) -> Variant {
                 if (kind != comp::call_set)
                     return comp::ObjectRef(std::make_shared<Coleccion>(o.colDatosURL()));
                 comp::ObjectRef lista = a[0].to_object();
                 if (!lista) {
                     o.colDatosURL(nullptr);
                 } else if (auto* c = dynamic_cast<Coleccion*>(lista.get())) {
                     o.colDatosURL(c->lista());
                 } else {
                     throw ComponentError(platform::err::type_mismatch);
                 }
                 return {};
             }},
            {{"Cerrar", call_method, {}, T::empty},
             [](ClsURL& o, K, A) -> Variant {
                 o.Cerrar();
                 return {};
             }},
            {{"Crear_indice_de_elementos", call_method, {}, T::boolean},
             [](ClsURL& o, K, A) -> Variant { return o.Crear_indice_de_elementos(); }},
            {{"ADD_Valor", call_method, {codigo, valor}, T::empty},
             [](ClsURL& o, K, A a) -> Variant {
                 o.ADD_Valor(a[0].text(), a[1].text());
                 return {};
             }},
            {{"Version", call_method, {}, T::text},
             [](ClsURL& o, K, A) -> Variant { return o.Version(); }},
            {{"ADD_Valor_Header", call_method, {codigo, valor}, T::empty},
             [](ClsURL& o, K, A a) -> Variant {
                 o.ADD_Valor_Header(a[0].text(), a[1].text());
                 return {};
             }},
            {{"DEL_Valor", call_method, {codigo_ref}, T::empty},
             [](ClsURL& o, K, A a) -> Variant {
                 o.DEL_Valor(a[0].text());
                 return {};
             }},
            {{"Get_Valor", call_method, {codigo_ref}, T::text},
             [](ClsURL& o, K, A a) -> Variant { return o.Get_Valor(a[0].text()); }},
            {{"GETidx_Key", call_method, {indice}, T::text},
             [](ClsURL& o, K, A a) -> Variant { return o.GETidx_Key(a[0].to_int32()); }},
            {{"GETidx_Valor", call_method, {indice}, T::text},
             [](ClsURL& o, K, A a) -> Variant { return o.GETidx_Valor(a[0].to_int32()); }},
            {{"EscribirDatos", call_method, {}, T::boolean},
             [](ClsURL& o, K, A) -> Variant { return o.EscribirDatos(); }},
            {{"Nuevo_Archivo", call_method, {}, T::boolean},
             [](ClsURL& o, K, A) -> Variant { return o.Nuevo_Archivo(); }},
            {{"LeerDatos", call_method, {}, T::boolean},
             [](ClsURL& o, K, A) -> Variant { return o.LeerDatos(); }},
            {{"LeerDatos_Header", call_method, {}, T::boolean},
             [](ClsURL& o, K, A) -> Variant { return o.LeerDatos_Header(); }},
            {{"MoverArchivo",
              call_method,
              {{"fileOrigen", T::text, true}, {"FileDestino", T::text, true}},
              T::boolean},
             [](ClsURL& o, K, A a) -> Variant { return o.MoverArchivo(a[0].text(), a[1].text()); }},
            {{"UbicacionArchivo", call_let, {}, T::text},
             [](ClsURL& o, K, A a) -> Variant {
                 o.UbicacionArchivo(a[0].text());
                 return {};
             }},
            {{"MensajeError", call_get, {}, T::text},
             [](ClsURL& o, K, A) -> Variant { return o.MensajeError(); }},
            {{"UbicacionArchivo2", call_let, {}, T::text},
             [](ClsURL& o, K, A a) -> Variant {
                 o.UbicacionArchivo2(a[0].text());
                 return {};
             }},
            {{"Cantidad_de_Elementos", call_get, {}, T::int32},
             [](ClsURL& o, K, A) -> Variant { return o.Cantidad_de_Elementos(); }},
        });
    return t;
}

ListaPares& ClsURL::lista() {
    if (!lista_) lista_ = std::make_shared<ListaPares>();
    return *lista_;
}

std::shared_ptr<ListaPares> ClsURL::colDatosURL() {
    lista();
    return lista_;
}

void ClsURL::colDatosURL(std::shared_ptr<ListaPares> lista) {
    lista_ = std::move(lista);
}

void ClsURL::Cerrar() {
    try {
        ruta_completa_.clear();
        while (!lista().empty()) {
            lista().quitar_primero();
            comp::pump_events();
        }
    } catch (...) {
        RuntimeError e = error_actual();
        comp::show_message("Error:" + std::to_string(e.number) + ":" + e.description, "",
                           Buttons::ok, Icon::none);
    }
}

bool ClsURL::Crear_indice_de_elementos() {
    try {
        indice_.assign(lista().size() + 1, std::string());
        std::size_t i = 0;
        for (const Entrada e : lista()) indice_[i++] = Clave_de_Par(e.texto);
        indice_hecho_ = true;
        return true;
    } catch (...) {
        error_ = "Error al crear indice: " + ansi(error_actual().description);
        return false;
    }
}

void ClsURL::ADD_Valor(const std::string& Codigo, const std::string& Valor) {
    try {
        std::string texto = Codigo + "=" + Valor;
        if (!lista().agregar(Codigo, texto)) {
            // The key is there: the entry is replaced and becomes the last one.
            lista().quitar(Codigo);
            lista().agregar(Codigo, texto);
        }
        comp::pump_events();
    } catch (...) {
        comp::show_message("Error", kTituloPrueba, Buttons::ok, Icon::critical);
    }
}

std::string ClsURL::Version() {
    try {
        return kVersion;
    } catch (...) {
        comp::show_message("Error", "Error:" + error_actual().description, Buttons::ok,
                           Icon::critical);
        return {};
    }
}

void ClsURL::ADD_Valor_Header(const std::string& Codigo, const std::string& Valor) {
    if (lista().empty()) {  // there is no first entry to insert before
        ADD_Valor(Codigo, Valor);
        return;
    }
    try {
        std::string texto = Codigo + "=" + Valor;
        lista().quitar(Codigo);
        if (lista().empty()) {  // the key was the only entry
            ADD_Valor(Codigo, Valor);
            return;
        }
        try {
            lista().insertar_al_frente(Codigo, texto);
        } catch (...) {
            RuntimeError e = error_actual();
            comp::show_message("Error:" + std::to_string(e.number) + "," + e.description,
                               kTituloPrueba, Buttons::ok, Icon::critical);
            return;
        }
        comp::pump_events();
    } catch (...) {
        // Any other failure passes silently.
    }
}

void ClsURL::DEL_Valor(const std::string& Codigo) {
    try {
        lista().quitar(Codigo);  // a missing key is no error
    } catch (...) {
        RuntimeError e = error_actual();
        comp::show_message("Error:" + std::to_string(e.number) + e.description, "Error",
                           Buttons::ok, Icon::critical);
    }
}

std::string ClsURL::Get_Valor(const std::string& Codigo) {
    try {
        Entrada e;
        return lista().buscar(Codigo, e) ? std::string(Valor_de_Par(e.texto)) : std::string();
    } catch (...) {
        RuntimeError e = error_actual();
        comp::show_message("Error:" + std::to_string(e.number) + e.description, "Error",
                           Buttons::ok, Icon::critical);
        return {};
    }
}

bool ClsURL::entrada_del_indice(std::int32_t i, Entrada& e) {
    // Slot n, past the last entry, holds "" and names nothing.
    if (!indice_hecho_ || i < 0 || std::size_t(i) + 1 >= indice_.size()) return false;
    const std::string& clave = indice_[std::size_t(i)];
    return !clave.empty() && lista().buscar(clave, e);
}

std::string ClsURL::GETidx_Key(std::int32_t indice_numerico) {
    try {
        Entrada e;
        return entrada_del_indice(indice_numerico, e) ? std::string(Clave_de_Par(e.texto))
                                                      : std::string();
    } catch (...) {
        return {};
    }
}

std::string ClsURL::GETidx_Valor(std::int32_t indice_numerico) {
    try {
        Entrada e;
        return entrada_del_indice(indice_numerico, e) ? std::string(Valor_de_Par(e.texto))
                                                      : std::string();
    } catch (...) {
        return {};
    }
}

std::string ClsURL::ruta_de_datos() const {
    return ruta_completa_.empty() ? carpeta_ + "/FORMS/TEMP/temporal.txt" : ruta_completa_;
}

bool ClsURL::EscribirDatos() {
    try {
        const std::string datos = ruta_de_datos();
        std::string temporal = datos;
        if (!temporal.empty()) temporal.back() = 'p';  // "temporal.txt" goes through "temporal.txp"
        Guardado guardado(a_ruta(datos));
        // A data file whose name ends in "p" is its own temporary name: it is
        // written only through the save's private file, and no copy is left.
        const fs::path copia = a_ruta(temporal);
        if (platform::upper_cp1252(temporal) == platform::upper_cp1252(datos) ||
            guardado.es_el_archivo(copia))
            return grabar(temporal, &guardado) && guardado.poner_en_lugar();
        // The temporary file is written and stays; the data file is replaced
        // by a whole copy of it.
        return Grabar_Pares(temporal) && guardado.copiar_de(copia) && guardado.poner_en_lugar();
    } catch (const Falla& f) {
        // The data file cannot be replaced (permission, missing folder).
        error_ = "Error al Escribir Datos: " + ansi(f.error.description);
        return false;
    } catch (...) {
        return false;
    }
}

bool ClsURL::Nuevo_Archivo() {
    try {
        lista_ = std::make_shared<ListaPares>();
        return true;
    } catch (...) {
        return false;
    }
}

bool ClsURL::LeerDatos() {
    return leer_datos(false);
}

bool ClsURL::LeerDatos_Header() {
    return leer_datos(true);
}

// The readers of the data file: its path first, then the pairs (all, or the header's).
bool ClsURL::leer_datos(bool solo_cabecera) {
    std::string ruta;
    try {
        ruta = ruta_de_datos();
    } catch (...) {
        comp::show_message("Error en Kvario " + error_actual().description, "", Buttons::ok,
                           Icon::none);
        return false;
    }
    return Leer_Pares(ruta, solo_cabecera);
}

bool ClsURL::MoverArchivo(const std::string& fileOrigen, const std::string& FileDestino) {
    try {
        lista_.reset();
        return Leer_Pares(fileOrigen, false) && Grabar_Pares(FileDestino);
    } catch (...) {
        return false;
    }
}

std::int32_t ClsURL::Cantidad_de_Elementos() {
    return std::int32_t(lista().size());
}

bool ClsURL::Leer_Pares(const std::string& ruta, bool solo_cabecera) {
    if (lista_ && !lista_->empty()) lista_ = std::make_shared<ListaPares>();
    try {
        lista();
        const fs::path archivo = a_ruta(ruta);
        if (!hay_archivo(archivo)) return true;
        if (!solo_cabecera) {  // a header is a few entries, however large the file
            const std::size_t largo = std::size_t(largo_de(archivo));
            lista().reservar(largo / 24, largo);  // 24 bytes: a usual entry
        }
        // Agregar_Par for every segment with "=", a group at a time; a key
        // already present keeps its first entry.
        std::vector<Entrada> pares;
        leer_segmentos(archivo, [&](std::span<const std::string_view> segmentos, bool final) {
            pares.clear();
            bool seguir = true;
            for (std::string_view seg : segmentos) {
                const std::size_t igual = seg.find('=');
                if (igual == std::string_view::npos) continue;  // no pair: skipped
                const std::string_view clave = seg.substr(0, igual);
                // The header ends at the first item; a last segment without "&" is not tested.
                if (solo_cabecera && !final && clave == "ITEM1") {
                    seguir = false;
                    break;
                }
                pares.push_back({clave, seg});
            }
            lista().agregar_varias(pares);
            return seguir;
        });
        return true;
    } catch (...) {
        RuntimeError e = error_actual();
        comp::show_message(std::to_string(e.number) + ":" + e.description, "Error en Kvario",
                           Buttons::ok, Icon::critical);
        error_ = "Error leer Datos: " + ansi(e.description);
        return false;
    }
}

bool ClsURL::Grabar_Pares(const std::string& ruta) {
    return grabar(ruta, nullptr);
}

bool ClsURL::entradas_grabables() {
    for (const Entrada e : lista()) {
        // An entry that is not written does no harm.
        if (!tiene_defecto(e) || !se_graba(e.texto)) continue;
        error_ = "Error al Escribir Datos: " + defecto_de(e);
        return false;
    }
    return true;
}

bool ClsURL::grabar(const std::string& ruta, Guardado* guardado) {
    std::size_t escritas = 0;
    try {
        const ListaPares& l = lista();
        if (!l.empty()) {
            // Checked before the file is opened, so a refused save changes no file.
            if (!entradas_grabables()) return false;
            std::optional<Escritor> archivo;
            if (guardado)
                archivo.emplace(guardado->temporal());
            else
                archivo.emplace(a_ruta(ruta));
            for (const Entrada e : l) {
                if (!se_graba(e.texto)) continue;  // empty and blank values are not saved
                archivo->escribir(e.texto);
                archivo->escribir("&");
                ++escritas;
            }
            archivo->cerrar();
        }
    } catch (...) {
        error_ = "Error al Escribir Datos: " + ansi(error_actual().description);
        return false;
    }
    if (escritas == 0) {
        error_ = "No se grabaron datos en el archivo:" + ruta;
        return false;
    }
    return true;
}

// ---- colDatosURL ----

const comp::ClassTable<Coleccion>& Coleccion::table() {
    using comp::call_get, comp::call_method;
    using A = std::span<Variant>;
    using K = comp::CallKind;
    static const comp::ClassTable<Coleccion> t(
        "Collection",
        {
            {{"Add", call_method, {{"Item", T::text, false}, {"Key", T::text, false}}, T::empty},
             [](Coleccion& o, K, A a) -> Variant {
                 if (!o.lista_->agregar(a[1].text(), a[0].text()))
                     throw ComponentError(platform::err::key_present);
                 return {};
             }},
            {{"Count", call_get, {}, T::int32},
             [](Coleccion& o, K, A) -> Variant { return std::int32_t(o.lista_->size()); }},
            {{"Item", call_method | call_get, {{"Index", T::empty, false}}, T::text},
             [](Coleccion& o, K, A a) -> Variant { return std::string(o.entrada(a[0]).texto); }},
            {{"Remove", call_method, {{"Index", T::empty, false}}, T::empty},
             [](Coleccion& o, K, A a) -> Variant {
                 o.lista_->quitar(std::string(o.entrada(a[0]).clave));
                 return {};
             }},
        });
    return t;
}

Entrada Coleccion::entrada(const Variant& indice) const {
    Entrada e;
    if (indice.type() == T::text) {
        if (!lista_->buscar(indice.text(), e)) throw ComponentError(platform::err::invalid_call);
        return e;
    }
    std::int32_t posicion = indice.to_int32();
    if (posicion < 1 || !lista_->en_posicion(std::size_t(posicion), e))
        throw ComponentError(platform::err::subscript);
    return e;
}

// ---- clsCodigoValor ----

const comp::ClassTable<ClsCodigoValor>& ClsCodigoValor::table() {
    using comp::call_get, comp::call_let;
    using A = std::span<Variant>;
    using K = comp::CallKind;
    static const comp::ClassTable<ClsCodigoValor> t(
        "clsCodigoValor", {
                              {{"Codigo", call_get | call_let, {}, T::text},
                               [](ClsCodigoValor& o, K kind, A a) -> Variant {
                                   return propiedad(o.codigo_, kind, a);
                               }},
                              {{"Valor", call_get | call_let, {}, T::text},
                               [](ClsCodigoValor& o, K kind, A a) -> Variant {
                                   return propiedad(o.valor_, kind, a);
                               }},
                          });
    return t;
}

}  // namespace kvario
