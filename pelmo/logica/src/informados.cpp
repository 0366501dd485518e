#include "pelmo/informados.hpp"

#include <cstdio>
#include <limits>

#include "pelmo/formatos.hpp"
#include "platform/errors.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace pelmo {

namespace fs = std::filesystem;

const std::array<ColumnaGrilla, 7> kColumnas = {{
    {0, 0, false, 0, "", 0, ""},
    {600, 1575, false, 8, "#######0", 10, "##,###,##0"},
    {2160, 375, true, 1, "", 1, ""},
    {2520, 3615, false, 1, "", 1, ""},
    {6120, 2295, false, 18, "#################0", 23, "###,###,###,###,###,##0"},
    {8400, 1455, true, 10, "", 10, "00-00-0000"},
    {9840, 1455, false, 7, "", 7, ""},
}};

namespace {

constexpr char kRelleno160 = '\xA0';
constexpr std::int32_t kMaxRegistro = std::numeric_limits<std::int16_t>::max();

const char* const kTiposDonacion[] = {
    "(Seleccione Valor)",
    "1 = Art.46° del Decreto Ley N° 3.063, de 1979",
    "2 = Artículo 31°, N° 7, de la Ley sobre Impuesto a la Renta",
    "3 = Decreto Ley N° 45, de 1973)",
    "4 = Artículo 46° de la ley N° 18.899",
    "5 = Artículo 3° de la Ley N° 19.247, de 1993",
    "6 = Artículo 8° de la Ley N° 18.985, de 1990",
};

std::string texto_error(const platform::RuntimeError& e, std::string_view entre) {
    return std::to_string(e.number) + std::string(entre) + e.description;
}

bool es_digito(int c) {
    return c >= '0' && c <= '9';
}

}  // namespace

fs::path Informados::ruta_dmp() const {
    return platform::join(e_.install, "FORMS/1832/" + RutDeclarante + ".DMP");
}

void Informados::Form_Load() {
    LLENA_TIPO_DE_DONACION();
    TeclaLista = false;
    TKEy_intervalo = 250;
    temporizador(true);
}

void Informados::LLENA_TIPO_DE_DONACION() {
    Combos.clear();
    for (const char* t : kTiposDonacion) Combos.push_back(platform::utf8_to_cp1252(t));
}

void Informados::PreparaMarcaVacia() {
    MarcaVacia = std::string(kMarcaVacia);
    GRD_COLS = 6;
}

void Informados::CargaGrilla() {
    PRIMERA_ROWS = 1;
    GrabarAlSalir = false;
    FILE_DMP = ruta_dmp();
    GRD_ROWS = 3;
    AbreDMP();
    INICIA_MARCA_de_LINEAS();
}

void Informados::AbreDMP() {
    // Each step that fails is skipped and the next one runs.
    const bool existia = platform::is_regular_file(FILE_DMP);
    std::error_code ec;
    archivo_.abrir(FILE_DMP, ec);
    if (existia) {
        PRIMERA_ROWS = 1;
        CargarDATOS();
    } else if (archivo_.abierto()) {
        for (int n = 1; n <= GRD_ROWS; ++n) archivo_.escribir(n, RegistroDMP, ec);
    }
    MuestraIndices(1);
}

std::string Informados::ValorCelda(int columna, std::string_view registro) {
    // A text box shows its text up to the first NUL.
    registro = registro.substr(0, registro.find('\0'));
    if (platform::trim(registro).empty()) return {};
    std::string_view celda =
        platform::mid(registro, static_cast<std::size_t>(columna - 1) * 19 + 1, kLargoCelda);
    if (celda.find(';') != std::string_view::npos) celda.remove_suffix(1);
    return std::string(platform::trim(celda));
}

void Informados::CargarDATOS() {
    for (int j = 1; j <= GRD_ROWS; ++j) {
        const std::int32_t registro = PRIMERA_ROWS + j - 1;
        std::error_code ec;
        RegistroDMP = archivo_.leer(registro, ec);
        if (ec) {
            e_.port.message(platform::RuntimeError::from(ec).description, "");
            return;
        }
        for (int i = 1; i <= GRD_COLS; ++i) {
            const int celda = (j - 1) * 6 + i;
            Cajas[celda].texto = ValorCelda(i, RegistroDMP);
            FormateaCelda(celda, Modo::vista);
        }
        // A short mark array is extended, keeping its marks.
        if (MarcasLinea.size() <= static_cast<std::size_t>(registro))
            MarcasLinea.resize(static_cast<std::size_t>(PRIMERA_ROWS) + 4, 0);
        const Color fondo = MarcasLinea[registro] == 1 ? color::amarillo : color::blanco;
        for (int i = 1; i <= 6; ++i) Cajas[(j - 1) * 6 + i].fondo = fondo;
    }
    MuestraIndices(PRIMERA_ROWS);
    if (RefrescaTotales) RefrescaTotales();
}

void Informados::MuestraIndices(std::int32_t f) {
    for (int k = 0; k < 3; ++k) TXTINDICE[k] = std::to_string(f + k);
    if (MAX_ROWS < f + 2) MAX_ROWS = f + 2;
}

int Informados::FilaDeCelda(int indice) {
    if (indice < 0) return -1;
    return static_cast<int>(indice / (6 + 0.01)) + 1;
}

int Informados::ColumnaDeCelda(int indice) {
    return indice < 1 ? 0 : (indice - 1) % 6 + 1;
}

void Informados::FormateaCelda(int indice, Modo modo) {
    const int columna = ColumnaDeCelda(indice);
    if (columna == 0) return;
    Caja& c = Cajas[indice];
    std::string t(platform::trim(c.texto));
    if (auto blanco = t.find(' '); blanco != std::string::npos) t.resize(blanco);
    const ColumnaGrilla& col = kColumnas[columna];
    std::string_view patron = modo == Modo::edicion ? col.patron_edicion : col.patron_vista;
    c.max_largo = modo == Modo::edicion ? col.max_edicion : col.max_vista;
    if (columna == 5 && modo == Modo::vista) {
        std::string sin_guion;
        for (char ch : t)
            if (ch != '-') sin_guion += ch;
        t = std::move(sin_guion);
    }
    c.texto = patron.empty() ? t : formato(t, patron);
}

void Informados::GRABA_FILA(int indice) {
    const int r = FilaDeCelda(indice);
    if (r < 1) return;
    const std::int32_t registro = r + PRIMERA_ROWS - 1;
    const int base = (r - 1) * 6;
    std::string todo;
    for (int c = 1; c <= 6; ++c) todo += Cajas[base + c].texto;
    const std::string_view junto = platform::trim(todo);
    if (junto.empty() || junto == std::string_view("\xA0", 1)) {
        RegistroDMP.assign(kLargoRegistro, ' ');
    } else {
        std::string linea;
        for (int c = 1; c <= 6; ++c) {
            const std::string t(platform::trim(Cajas[base + c].texto));
            std::string guardado;
            if (t.empty())
                guardado.clear();
            else if (t == "0")
                guardado = "0";
            else if (c == 1)
                guardado = formato(t, "########");
            else if (c == 5)
                for (char ch : t) {
                    if (ch != '-') guardado += ch;
                }
            else if (c == 4)
                guardado = formato(t, "###############");
            else
                guardado = t;
            if (c > 1) linea += ';';
            linea += alinear_izquierda(guardado, kLargoCelda);
        }
        linea.resize(kLargoRegistro, kRelleno160);
        RegistroDMP = std::move(linea);
    }
    if (MAX_ROWS < registro) MAX_ROWS = registro;
    std::error_code ec;
    archivo_.escribir(registro, RegistroDMP, ec);
}

std::int32_t Informados::FILAS_DE_DATOS() {
    if (FILE_DMP.empty() || !platform::is_regular_file(FILE_DMP)) return 0;
    std::int32_t cuenta = 0, leidos = 0;
    std::error_code ec;
    recorrer_registros(
        FILE_DMP,
        [&](std::int64_t, std::string_view r) {
            if (empieza_vacio(r)) return false;
            ++leidos;
            if (es_linea_de_datos(r)) ++cuenta;
            return true;
        },
        ec);
    if (ec) {
        e_.port.message(texto_error(platform::RuntimeError::from(ec), " - "), "");
        return 0;
    }
    MAX_ROWS = leidos;
    return cuenta;
}

void Informados::INICIA_MARCA_de_LINEAS() {
    FILAS_DE_DATOS();
    MarcasLinea.assign(static_cast<std::size_t>(MAX_ROWS) + 1, 0);
}

void Informados::MARCAR_LINEA(std::int16_t n_l, std::int32_t /*coloR*/) {
    if (n_l < 0) return;
    if (MarcasLinea.size() <= static_cast<std::size_t>(n_l)) MarcasLinea.resize(n_l + 1, 0);
    MarcasLinea[n_l] = 1;
}

void Informados::CompactaDMP() {
    CerrarArchivo();
    // The kept records go to a new file beside the old one, which then takes
    // its place, so a failure midway leaves the old file whole.
    const fs::path nuevo = FILE_DMP.string() + ".nuevo";
    std::error_code ec;
    EscritorRegistros escritor;
    bool ok = escritor.abrir(nuevo, ec);
    if (ok) {
        ok = recorrer_registros(
            FILE_DMP,
            [&](std::int64_t, std::string_view r) {
                if (empieza_vacio(r) || !es_linea_de_datos(r)) return true;
                return escritor.agregar(r, '\0', ec);
            },
            ec);
        ok = escritor.cerrar(ec, true) && ok && !ec;
    }
    if (ok) fs::rename(nuevo, FILE_DMP, ec);
    if (ec) {
        std::error_code ignorado;
        fs::remove(nuevo, ignorado);
        e_.port.message(texto_error(platform::RuntimeError::from(ec), "   ,  "), "");
    }
}

void Informados::temporizador(bool activo) {
    TKEy_activo = activo;
    e_.pantalla.temporizador(activo, TKEy_intervalo);
}

void Informados::Cajas_GotFocus(int indice) {
    Combos_visible = false;
    CeldaActual = static_cast<std::int16_t>(indice);
    FormateaCelda(indice, Modo::edicion);
    if (indice == 13)
        for (int k = 0; k < 31; ++k) e_.pantalla.DesplazaVentana(tecla::izquierda);
}

void Informados::Cajas_LostFocus(int indice) {
    if (GrabarAlSalir)
        GRABA_FILA(indice);
    else
        GrabarAlSalir = true;
    FormateaCelda(indice, Modo::vista);
}

void Informados::Cajas_KeyPress(int indice, int& KeyAscii) {
    if (KeyAscii == '&' || KeyAscii == '\'') {
        KeyAscii = 0;
        return;
    }
    if (KeyAscii == tecla::retroceso) return;
    temporizador(false);
    TeclaLista = true;
    const int columna = ColumnaDeCelda(indice);
    if (KeyAscii == tecla::enter || KeyAscii == tecla::tab) {
        TKEy_intervalo = columna == 5 ? 250 : 20;
        TeclaLista = false;
        temporizador(true);
    }
    if (columna == 0) {
        KeyAscii = 0;
        return;
    }
    const bool k = kColumnas[columna].acepta_k;
    if (k && KeyAscii == 'k') KeyAscii = 'K';
    if (!(es_digito(KeyAscii) || (k && KeyAscii == 'K'))) KeyAscii = 0;
}

void Informados::TKEy_Timer() {
    temporizador(false);
    TeclaLista = true;
}

void Informados::Cajas_KeyDown(int indice, int KeyCode) {
    if (!TeclaLista) return;
    TeclaLista = false;
    switch (KeyCode) {
        case tecla::izquierda:
        case tecla::arriba:
        case tecla::derecha:
        case tecla::abajo:
            MueveCelda(indice, KeyCode);
            break;
        case tecla::enter:
        case tecla::tab:
            MueveCelda(indice, tecla::derecha);
            break;
        default:  // End, Home, Esc and the page keys are the text box's own
            break;
    }
    e_.pantalla.eventos();
    TeclaLista = true;
}

void Informados::MueveCelda(int indice, int KeyCode) {
    TeclaLista = false;
    const int columna = ColumnaDeCelda(indice);
    int destino = indice;
    switch (KeyCode) {
        case tecla::izquierda:
            for (int k = 0; k < 5; ++k) e_.pantalla.DesplazaVentana(tecla::izquierda);
            destino = indice - 1;
            break;
        case tecla::arriba:
            destino = indice - GRD_COLS;
            break;
        case tecla::derecha:
            if (columna == 6)
                for (int k = 0; k < 44; ++k) e_.pantalla.DesplazaVentana(tecla::izquierda);
            else if (columna == 4 || columna == 5)
                for (int k = 0; k < 5; ++k) e_.pantalla.DesplazaVentana(tecla::derecha);
            destino = indice + 1;
            break;
        case tecla::abajo:
            destino = indice + GRD_COLS;
            break;
        default:
            TeclaLista = true;
            return;
    }
    if (destino > GRD_COLS * GRD_ROWS) {
        GrabarAlSalir = false;
        GRABA_FILA(indice);
        // The last visible line must stay a 16-bit record number: paging
        // stops there.
        if (PRIMERA_ROWS + 1 + (GRD_ROWS - 1) <= kMaxRegistro) {
            PRIMERA_ROWS = static_cast<std::int16_t>(PRIMERA_ROWS + 1);
            MuestraIndices(PRIMERA_ROWS);
            e_.enfocar({Campo::Cajas, 13});
            CargarDATOS();
        }
    } else if (destino >= 1) {
        e_.enfocar({Campo::Cajas, destino});
    } else {
        GrabarAlSalir = false;
        GRABA_FILA(indice);
        if (PRIMERA_ROWS > 1) PRIMERA_ROWS = static_cast<std::int16_t>(PRIMERA_ROWS - 1);
        MuestraIndices(PRIMERA_ROWS);
        CargarDATOS();
    }
    TeclaLista = true;
}

void Informados::Cajas_Click(int indice) {
    if (ColumnaDeCelda(indice) == 3) {
        Combos_indice = 0;
        const int fila = FilaDeCelda(indice);
        Combos_rect = {kColumnas[3].left, kFilasTop[fila - 1], 3615, 285};
        Combos_visible = true;
    } else {
        Combos_visible = false;
    }
}

void Informados::Combos_Click(int indice) {
    if (indice < 0 || indice >= static_cast<int>(Combos.size())) return;
    Combos_indice = indice;
    if (CeldaActual >= 1 && CeldaActual <= 18)
        Cajas[CeldaActual].texto = indice == 0 ? std::string() : Combos[indice].substr(0, 1);
    Combos_visible = false;
    e_.enfocar({Campo::Cajas, CeldaActual});
}

void Informados::Cajas_BotonDerecho(int indice) {
    const int fila = FilaDeCelda(indice);
    if (fila < 1 || fila > 3) return;
    if (e_.port.message("¿ desea borrar el contenido de esta línea ?", "Borrar Línea",
                        platform::Buttons::yes_no) != platform::Answer::yes)
        return;
    for (int c = 1; c <= 6; ++c) Cajas[(fila - 1) * 6 + c].texto.clear();
}

}  // namespace pelmo
