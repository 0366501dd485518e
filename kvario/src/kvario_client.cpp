#include "kvario/kvario.hpp"

#include "platform/text.hpp"

namespace kvario {

namespace comp = components;

namespace {

constexpr unsigned kLlamar = comp::call_method | comp::call_get;

}  // namespace

std::string texto_de_ruta(const std::filesystem::path& ruta) {
    const std::string utf8 = ruta.string();
    std::string texto = platform::utf8_to_cp1252(utf8);
    if (platform::cp1252_to_utf8(texto) != utf8)
        throw comp::ComponentError(platform::err::bad_file_name);
    return texto;
}

Kvario::Kvario() : Kvario(comp::Dispatch(comp::CreateObject(kProgId))) {}

Kvario::Kvario(comp::Dispatch objeto) : objeto_(std::move(objeto)) {}

comp::Variant Kvario::llamar(std::string_view miembro, unsigned kinds,
                             std::initializer_list<comp::Arg> args) {
    auto it = ids_.find(miembro);
    if (it == ids_.end()) it = ids_.emplace(miembro, objeto_.member_id(miembro)).first;
    return objeto_.invoke(it->second, kinds, std::span<const comp::Arg>(args.begin(), args.size()));
}

comp::Dispatch Kvario::colDatosURL() {
    return comp::Dispatch(llamar("colDatosURL", comp::call_get, {}).to_object());
}

void Kvario::colDatosURL(const comp::Dispatch& lista) {
    llamar("colDatosURL", comp::call_set, {comp::Variant(lista.object())});
}

void Kvario::Cerrar() {
    llamar("Cerrar", kLlamar, {});
}

bool Kvario::Crear_indice_de_elementos() {
    return llamar("Crear_indice_de_elementos", kLlamar, {}).to_bool();
}

void Kvario::ADD_Valor(std::string_view Codigo, std::string_view Valor) {
    llamar("ADD_Valor", kLlamar, {Codigo, Valor});
}

std::string Kvario::Version() {
    return llamar("Version", kLlamar, {}).to_text();
}

void Kvario::ADD_Valor_Header(std::string_view Codigo, std::string_view Valor) {
    llamar("ADD_Valor_Header", kLlamar, {Codigo, Valor});
}

void Kvario::DEL_Valor(std::string_view Codigo) {
    llamar("DEL_Valor", kLlamar, {Codigo});
}

std::string Kvario::Get_Valor(std::string_view Codigo) {
    return llamar("Get_Valor", kLlamar, {Codigo}).to_text();
}

std::string Kvario::GETidx_Key(std::int32_t indice_numerico) {
    return llamar("GETidx_Key", kLlamar, {indice_numerico}).to_text();
}

std::string Kvario::GETidx_Valor(std::int32_t indice_numerico) {
    return llamar("GETidx_Valor", kLlamar, {indice_numerico}).to_text();
}

bool Kvario::EscribirDatos() {
    return llamar("EscribirDatos", kLlamar, {}).to_bool();
}

bool Kvario::Nuevo_Archivo() {
    return llamar("Nuevo_Archivo", kLlamar, {}).to_bool();
}

bool Kvario::LeerDatos() {
    return llamar("LeerDatos", kLlamar, {}).to_bool();
}

bool Kvario::LeerDatos_Header() {
    return llamar("LeerDatos_Header", kLlamar, {}).to_bool();
}

bool Kvario::MoverArchivo(std::string_view fileOrigen, std::string_view FileDestino) {
    return llamar("MoverArchivo", kLlamar, {fileOrigen, FileDestino}).to_bool();
}

void Kvario::UbicacionArchivo(std::string_view carpeta) {
    llamar("UbicacionArchivo", comp::call_let, {carpeta});
}

void Kvario::UbicacionArchivo(const std::filesystem::path& carpeta) {
    UbicacionArchivo(std::string_view(texto_de_ruta(carpeta)));
}

std::string Kvario::MensajeError() {
    return llamar("MensajeError", comp::call_get, {}).to_text();
}

void Kvario::UbicacionArchivo2(std::string_view ruta) {
    llamar("UbicacionArchivo2", comp::call_let, {ruta});
}

void Kvario::UbicacionArchivo2(const std::filesystem::path& ruta) {
    UbicacionArchivo2(std::string_view(texto_de_ruta(ruta)));
}

std::int32_t Kvario::Cantidad_de_Elementos() {
    return llamar("Cantidad_de_Elementos", comp::call_get, {}).to_int32();
}

}  // namespace kvario
