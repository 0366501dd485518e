// Typed access to Kvario data-file objects for the programs of this system.
//
// `kvario::Kvario` creates a "Kvario3.clsURL" object by its programmatic
// identifier through the component layer and calls its members by name, as
// any late-bound client does; it only gives the calls their types, so call
// sites read naturally:
//
//     kvario::Kvario datos;                       // CreateObject("Kvario3.clsURL")
//     datos.UbicacionArchivo2(install / "registro" / "Rut.Tmp");
//     if (datos.LeerDatos()) rut = datos.Get_Valor("RUT");
//
// Texts are Windows-1252 bytes, as the component keeps them. Paths may be
// given as file-system paths (UTF-8), which are passed on as Windows-1252.
// Failures of the calls themselves (no such member, a library that cannot be
// created) are thrown as components::ComponentError; the members
// report their own failures through their results and MensajeError, and show
// their messages through the program's message port
// (components::set_message_port).
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "components/component.hpp"

namespace kvario {

class Kvario {
  public:
    static constexpr const char* kProgId = "Kvario3.clsURL";

    // Creates the object by its programmatic identifier (ComponentError 429
    // when it cannot be created).
    Kvario();
    // Takes an object created elsewhere.
    explicit Kvario(components::Dispatch objeto);

    const components::Dispatch& objeto() const { return objeto_; }

    // The members, in interface order.
    components::Dispatch colDatosURL();
    void colDatosURL(const components::Dispatch& lista);  // an empty one releases it
    void Cerrar();
    bool Crear_indice_de_elementos();
    void ADD_Valor(std::string_view Codigo, std::string_view Valor);
    std::string Version();
    void ADD_Valor_Header(std::string_view Codigo, std::string_view Valor);
    void DEL_Valor(std::string_view Codigo);
    std::string Get_Valor(std::string_view Codigo);
    std::string GETidx_Key(std::int32_t indice_numerico);
    std::string GETidx_Valor(std::int32_t indice_numerico);
    bool EscribirDatos();
    bool Nuevo_Archivo();
    bool LeerDatos();
    bool LeerDatos_Header();
    bool MoverArchivo(std::string_view fileOrigen, std::string_view FileDestino);
    void UbicacionArchivo(std::string_view carpeta);
    void UbicacionArchivo(const std::filesystem::path& carpeta);
    void UbicacionArchivo(const std::string& carpeta) {
        UbicacionArchivo(std::string_view(carpeta));
    }
    void UbicacionArchivo(const char* carpeta) { UbicacionArchivo(std::string_view(carpeta)); }
    std::string MensajeError();
    void UbicacionArchivo2(std::string_view ruta);
    void UbicacionArchivo2(const std::filesystem::path& ruta);
    void UbicacionArchivo2(const std::string& ruta) { UbicacionArchivo2(std::string_view(ruta)); }
    void UbicacionArchivo2(const char* ruta) { UbicacionArchivo2(std::string_view(ruta)); }
    std::int32_t Cantidad_de_Elementos();

  private:
    // Calls a member by its name (a literal: the name is kept as the key of
    // its index, which is looked up once per object).
    components::Variant llamar(std::string_view miembro, unsigned kinds,
                               std::initializer_list<components::Arg> args);

    components::Dispatch objeto_;
    std::unordered_map<std::string_view, int> ids_;  // member indices by name
};

// A file-system path (UTF-8) as the Windows-1252 text a component takes.
// ComponentError 52 when the path holds a character Windows-1252 lacks.
std::string texto_de_ruta(const std::filesystem::path& ruta);

}  // namespace kvario
