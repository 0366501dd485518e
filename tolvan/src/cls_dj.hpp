// The declaration class clsdj: a sworn-declaration data file held by a Kvario
// data object, with header pairs, informado values addressed by line or by
// RUT, help texts and the spreadsheet exchange of forms 1879 and 1887.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "components/component.hpp"
#include "formularios.hpp"
#include "kvario/kvario.hpp"

namespace tolvan {

namespace comp = components;

namespace xlsx {
class Libro;
}

class ClsDj final : public comp::TableObject<ClsDj> {
  public:
    // Creates the data object "Kvario3.clsURL"; ComponentError 429 when it
    // cannot be created.
    ClsDj();

    static const comp::ClassTable<ClsDj>& table();

    // The members, in interface order. Texts are Windows-1252 bytes.
    bool Abrir_Archivo(bool Nuevo_Archivo);
    void Exportar_a_Excel();
    void Importar_de_Excel();
    bool Grabar_Archivo();
    const std::string& Formulario() const { return formulario_; }
    void Formulario(const std::string& mi_Formulario) { formulario_ = mi_Formulario; }
    std::string Mensaje() const { return {}; }
    std::string AYUDA(const std::string& Metodo) const;
    void Ubicacion_Archivo_VAzorode(const std::string& mi_Path) { ruta_datos_ = mi_Path; }
    void Ubicacion_Archivo_Excels(const std::string& mi_Path) { ruta_libro_ = mi_Path; }
    void Agrega_Dupla_Cabecera(const std::string& Codigo, const std::string& Valor);
    void Agrega_Dupla_Informado(std::int32_t Linea, const std::string& Codigo,
                                const std::string& Valor);
    void Agrega_Dupla_Informado_por_RUT(std::int32_t RUT, const std::string& Codigo,
                                        const std::string& Valor);
    std::string Obtiene_Dupla_Informado_por_RUT(std::int32_t RUT, const std::string& Codigo);
    std::string Obtiene_Dupla_Informado(std::int32_t Linea, const std::string& Codigo);
    void Actualiza_Informado() {}

  private:
    // The form that Formulario names, or nullptr.
    const tolvan::Formulario* formulario() const { return formulario_de(formulario_); }
    // The item key of a field of a line under the current form; "" when none.
    std::string clave(std::int32_t Linea, const std::string& Codigo) const;
    void construir_indice();
    // The import's steps: the sheet's lines into the data object's (new)
    // list, false when they are not all in, with a message to show or none;
    // then the previous list's pairs that were not replaced put back in front.
    bool importar_lineas(xlsx::Libro& libro, const tolvan::Formulario& f, std::int32_t& items,
                         std::optional<std::string>& mensaje);
    void conservar_anteriores(const comp::Dispatch& anterior, std::int32_t items);
    std::int32_t buscar_rut(std::int32_t RUT);  // builds the index when needed; -1 when absent

    kvario::Kvario datos_;
    std::string formulario_;
    std::string ruta_datos_;
    std::string ruta_libro_;

    // The RUT index: each RUT with the lowest line it stands on, and the top
    // slot (the highest line it knows). It is built from the RUT field of the
    // form it was built for.
    std::unordered_map<std::int32_t, std::int32_t> lineas_de_rut_;
    std::int32_t tope_ = 0;
    std::size_t campos_del_indice_ = 0;
    bool indice_hecho_ = false;
};

}  // namespace tolvan
