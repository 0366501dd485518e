// The data-file class clsURL, the keyed list it hands out as colDatosURL, and
// the holder class clsCodigoValor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/component.hpp"
#include "lista_pares.hpp"

namespace kvario {

namespace comp = components;

class Guardado;

class ClsURL final : public comp::TableObject<ClsURL> {
  public:
    static const comp::ClassTable<ClsURL>& table();

    // The members, in interface order. Texts are Windows-1252 bytes.
    std::shared_ptr<ListaPares> colDatosURL();
    void colDatosURL(std::shared_ptr<ListaPares> lista);  // null releases the list
    void Cerrar();
    bool Crear_indice_de_elementos();
    void ADD_Valor(const std::string& Codigo, const std::string& Valor);
    std::string Version();
    void ADD_Valor_Header(const std::string& Codigo, const std::string& Valor);
    void DEL_Valor(const std::string& Codigo);
    std::string Get_Valor(const std::string& Codigo);
    std::string GETidx_Key(std::int32_t indice_numerico);
    std::string GETidx_Valor(std::int32_t indice_numerico);
    bool EscribirDatos();
    bool Nuevo_Archivo();
    bool LeerDatos();
    bool LeerDatos_Header();
    bool MoverArchivo(const std::string& fileOrigen, const std::string& FileDestino);
    void UbicacionArchivo(const std::string& carpeta) { carpeta_ = carpeta; }
    const std::string& MensajeError() const { return error_; }
    void UbicacionArchivo2(const std::string& ruta) { ruta_completa_ = ruta; }
    std::int32_t Cantidad_de_Elementos();

  private:
    ListaPares& lista();  // creates a new empty list when it was released
    bool Leer_Pares(const std::string& ruta, bool solo_cabecera);
    bool Grabar_Pares(const std::string& ruta);
    // Grabar_Pares into the save's private file instead of the path (which
    // the error texts name).
    bool grabar(const std::string& ruta, Guardado* guardado);
    bool entradas_grabables();  // false, with the error text, when one is not
    std::string ruta_de_datos() const;
    bool leer_datos(bool solo_cabecera);
    bool entrada_del_indice(std::int32_t i, Entrada& e);

    std::shared_ptr<ListaPares> lista_ = std::make_shared<ListaPares>();
    std::string carpeta_;
    std::string ruta_completa_;
    std::string error_;
    std::vector<std::string> indice_;
    bool indice_hecho_ = false;
};

// The keyed list as colDatosURL hands it out: Count, Item, Add and Remove
// over the same entries as the clsURL object that gave it.
class Coleccion final : public comp::TableObject<Coleccion> {
  public:
    explicit Coleccion(std::shared_ptr<ListaPares> lista) : lista_(std::move(lista)) {}
    static const comp::ClassTable<Coleccion>& table();
    const std::shared_ptr<ListaPares>& lista() const { return lista_; }

  private:
    Entrada entrada(const comp::Variant& indice) const;
    std::shared_ptr<ListaPares> lista_;
};

class ClsCodigoValor final : public comp::TableObject<ClsCodigoValor> {
  public:
    static const comp::ClassTable<ClsCodigoValor>& table();

  private:
    std::string codigo_, valor_;
};

}  // namespace kvario
