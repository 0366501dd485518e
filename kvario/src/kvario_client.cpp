#include "kvario/kvario.hpp"

#include "platform/text.hpp"

namespace kvario {

namespace comp = platform::components;

namespace {

enum Miembro {
    kColDatosURL,
    kCerrar,
    kCrearIndice,
    kAddValor,
    kVersion,
    kAddValorHeader,
    kDelValor,
    kGetValor,
    kGetidxKey,
    kGetidxValor,
    kEscribirDatos,
    kNuevoArchivo,
    kLeerDatos,
    kLeerDatosHeader,
    kMoverArchivo,
    kUbicacionArchivo,
    kMensajeError,
    kUbicacionArchivo2,
    kCantidad,
    kMiembros
};

constexpr std::array<const char*, kMiembros> kNombres = {"colDatosURL",
                                                         "Cerrar",
                                                         "Crear_indice_de_elementos",
                                                         "ADD_Valor",
                                                         "Version",
                                                         "ADD_Valor_Header",
                                                         "DEL_Valor",
                                                         "Get_Valor",
                                                         "GETidx_Key",
                                                         "GETidx_Valor",
                                                         "EscribirDatos",
                                                         "Nuevo_Archivo",
                                                         "LeerDatos",
                                                         "LeerDatos_Header",
                                                         "MoverArchivo",
                                                         "UbicacionArchivo",
                                                         "MensajeError",
                                                         "UbicacionArchivo2",
                                                         "Cantidad_de_Elementos"};

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

Kvario::Kvario(comp::Dispatch objeto) : objeto_(std::move(objeto)) {
    ids_.fill(-1);
}

comp::Variant Kvario::llamar(int miembro, unsigned kinds, std::initializer_list<comp::Arg> args) {
    int& id = ids_[std::size_t(miembro)];
    if (id < 0) id = objeto_.member_id(kNombres[std::size_t(miembro)]);
    return objeto_.invoke(id, kinds, std::span<const comp::Arg>(args.begin(), args.size()));
}

comp::Dispatch Kvario::colDatosURL() {
    return comp::Dispatch(llamar(kColDatosURL, comp::call_get, {}).to_object());
}

void Kvario::colDatosURL(const comp::Dispatch& lista) {
    llamar(kColDatosURL, comp::call_set, {comp::Variant(lista.object())});
}

void Kvario::Cerrar() {
    llamar(kCerrar, kLlamar, {});
}

bool Kvario::Crear_indice_de_elementos() {
    return llamar(kCrearIndice, kLlamar, {}).to_bool();
}

void Kvario::ADD_Valor(std::string_view Codigo, std::string_view Valor) {
    llamar(kAddValor, kLlamar, {Codigo, Valor});
}

std::string Kvario::Version() {
    return llamar(kVersion, kLlamar, {}).to_text();
}

void Kvario::ADD_Valor_Header(std::string_view Codigo, std::string_view Valor) {
    llamar(kAddValorHeader, kLlamar, {Codigo, Valor});
}

void Kvario::DEL_Valor(std::string_view Codigo) {
    llamar(kDelValor, kLlamar, {Codigo});
}

std::string Kvario::Get_Valor(std::string_view Codigo) {
    return llamar(kGetValor, kLlamar, {Codigo}).to_text();
}

std::string Kvario::GETidx_Key(std::int32_t indice_numerico) {
    return llamar(kGetidxKey, kLlamar, {indice_numerico}).to_text();
}

std::string Kvario::GETidx_Valor(std::int32_t indice_numerico) {
    return llamar(kGetidxValor, kLlamar, {indice_numerico}).to_text();
}

bool Kvario::EscribirDatos() {
    return llamar(kEscribirDatos, kLlamar, {}).to_bool();
}

bool Kvario::Nuevo_Archivo() {
    return llamar(kNuevoArchivo, kLlamar, {}).to_bool();
}

bool Kvario::LeerDatos() {
    return llamar(kLeerDatos, kLlamar, {}).to_bool();
}

bool Kvario::LeerDatos_Header() {
    return llamar(kLeerDatosHeader, kLlamar, {}).to_bool();
}

bool Kvario::MoverArchivo(std::string_view fileOrigen, std::string_view FileDestino) {
    return llamar(kMoverArchivo, kLlamar, {fileOrigen, FileDestino}).to_bool();
}

void Kvario::UbicacionArchivo(std::string_view carpeta) {
    llamar(kUbicacionArchivo, comp::call_let, {carpeta});
}

void Kvario::UbicacionArchivo(const std::filesystem::path& carpeta) {
    UbicacionArchivo(std::string_view(texto_de_ruta(carpeta)));
}

std::string Kvario::MensajeError() {
    return llamar(kMensajeError, comp::call_get, {}).to_text();
}

void Kvario::UbicacionArchivo2(std::string_view ruta) {
    llamar(kUbicacionArchivo2, comp::call_let, {ruta});
}

void Kvario::UbicacionArchivo2(const std::filesystem::path& ruta) {
    UbicacionArchivo2(std::string_view(texto_de_ruta(ruta)));
}

std::int32_t Kvario::Cantidad_de_Elementos() {
    return llamar(kCantidad, comp::call_get, {}).to_int32();
}

}  // namespace kvario
