// The informados grid frmInformados: three visible lines of six cells over the
// grid work file, paging one line at a time, per-line error marks.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pelmo/archivo_dmp.hpp"
#include "pelmo/comun.hpp"
#include "pelmo/entorno.hpp"

namespace pelmo {

// A column's rules: place, keys kept, and the formats of entering (edit) and
// leaving (display). An empty pattern leaves the text as it is.
struct ColumnaGrilla {
    int left, width;
    bool acepta_k;  // "K" besides digits ("k" becomes "K")
    int max_edicion;
    std::string_view patron_edicion;
    int max_vista;
    std::string_view patron_vista;
};
// Columns 1 to 6 (index 0 unused).
extern const std::array<ColumnaGrilla, 7> kColumnas;
// Tops of the three rows (twips).
inline constexpr std::array<int, 3> kFilasTop = {1080, 1320, 1560};

class Informados {
  public:
    enum class Modo { edicion, vista };

    explicit Informados(Entorno& entorno) : e_(entorno) {}

    // Window Load: the legal-basis list, the key timer running.
    void Form_Load();

    // Public operations.
    void CargaGrilla();
    void CargarDATOS();
    void GRABA_FILA(int indice);
    std::int32_t FILAS_DE_DATOS();
    void INICIA_MARCA_de_LINEAS();
    void MARCAR_LINEA(std::int16_t n_l, std::int32_t coloR);
    void CerrarArchivo() { archivo_.cerrar(); }
    void LLENA_TIPO_DE_DONACION();

    // Module operations on the grid work file.
    void PreparaMarcaVacia();
    void CompactaDMP();

    // Events.
    void Cajas_GotFocus(int indice);
    void Cajas_LostFocus(int indice);
    void Cajas_KeyPress(int indice, int& KeyAscii);
    void Cajas_KeyDown(int indice, int KeyCode);
    void Cajas_Change(int indice, std::string texto) { Cajas[indice].texto = std::move(texto); }
    void Cajas_Click(int indice);
    void Cajas_BotonDerecho(int indice);
    void Combos_Click(int indice);
    void TKEy_Timer();
    void Form_Unload() { CerrarArchivo(); }

    // Helpers other windows use.
    static int FilaDeCelda(int indice);
    static int ColumnaDeCelda(int indice);
    void FormateaCelda(int indice, Modo modo);
    void MueveCelda(int indice, int KeyCode);
    void MuestraIndices(std::int32_t f);

    // Program-wide: RutDeclarante (set by the start-up) and the summary refresh.
    std::string RutDeclarante;
    std::function<void()> RefrescaTotales;

    // Controls. Cajas[0] is the hidden template.
    std::array<Caja, 19> Cajas{};
    std::array<std::string, 3> TXTINDICE{};
    std::vector<std::string> Combos;  // the legal-basis list (Windows-1252)
    int Combos_indice = -1;
    bool Combos_visible = false;
    Rect Combos_rect{};
    bool TKEy_activo = false;
    int TKEy_intervalo = 250;

    // Grid state.
    std::int16_t GRD_ROWS = 3;
    std::int16_t GRD_COLS = 6;
    std::filesystem::path FILE_DMP;
    std::int16_t PRIMERA_ROWS = 1;
    // Counts and the highest record number are 32-bit, so that a declaration of
    // more lines than a 16-bit number holds is counted and saved whole.
    std::int32_t MAX_ROWS = 0;
    std::string RegistroDMP = std::string(kLargoRegistro, '\0');
    std::vector<std::uint8_t> MarcasLinea;
    bool TeclaLista = false;
    bool GrabarAlSalir = false;
    std::int16_t CeldaActual = 0;
    std::string MarcaVacia;

    // The path of the grid work file for the current RutDeclarante.
    std::filesystem::path ruta_dmp() const;

  private:
    void AbreDMP();
    static std::string ValorCelda(int columna, std::string_view registro);
    void temporizador(bool activo);

    Entorno& e_;
    ArchivoRegistros archivo_;
};

}  // namespace pelmo
