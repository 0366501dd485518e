// The summary box frmTotales and the error window frmErrores.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "pelmo/comun.hpp"
#include "pelmo/entorno.hpp"

namespace pelmo {

class Totales {
  public:
    explicit Totales(Entorno& entorno) : e_(entorno) {}

    // Events of Totales(1) and Totales(2).
    void GotFocus(int indice);
    void LostFocus(int indice);
    void KeyPress(int indice, int& KeyAscii);
    void Change(int indice, std::string texto) { Cajas[indice].texto = std::move(texto); }

    // Max lengths and patterns of entering (edit) and leaving (display).
    static constexpr int kMaxEdicion[3] = {0, 20, 7};
    static constexpr const char* kPatronEdicion[3] = {"", "###################0", "######0"};
    static constexpr int kMaxVista[3] = {0, 26, 9};
    static constexpr const char* kPatronVista[3] = {"", "##,###,###,###,###,###,##0", "#,###,##0"};

    // Totales(1) and Totales(2); index 0 unused.
    std::array<Caja, 3> Cajas{};

  private:
    Entorno& e_;
};

// The rows of the colour legend frmLeyenda: swatch, text colour, description
// (UTF-8), and whether the row is shown.
struct FilaLeyenda {
    Color muestra, letra;
    const char* descripcion;
    bool visible;
};
inline constexpr FilaLeyenda kFilasLeyenda[] = {
    {color::amarillo, 0x00000000, "Error de llenado y/o cálculo", true},
    {0x0080FF80, 0x00000000, "Error, Código obligatorio", true},
    {color::blanco, 0x00000000, "Valor digitado por Usuario", true},
    {color::blanco, 0x000000FF, "Valor llenado por Asistente", false},
    {color::blanco, 0x00FF0000, "Valores Totales", false},
};

// The line the error list shows when the validator reported nothing.
inline constexpr const char* kSinErrores =
    " I000   Declaración sin errores de validación";  // UTF-8

// The error window: its list, with the code of each row beside it.
struct Errores {
    std::vector<std::string> List1;  // Windows-1252
    std::vector<std::string> CodigosError;
    void limpiar() {
        List1.clear();
        CodigosError.clear();
    }
};

}  // namespace pelmo
