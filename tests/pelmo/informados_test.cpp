// The informados grid over its work file: cell formats and keys, writing a
// line, counting, marks, paging at both ends and the 16-bit limit, compaction.
#include <gtest/gtest.h>

#include "../support/temp_folder.hpp"
#include "pelmo/informados.hpp"
#include "prueba.hpp"

namespace pelmo {
namespace {

using testsupport::read_file;
using testsupport::TempFolder;

// A stored line: six cells of 18 characters joined by ";", filled to 133.
std::string linea(std::vector<std::string> c, bool de_la_grilla = true) {
    std::string r;
    for (std::size_t i = 0; i < 6; ++i) {
        if (i) r += ';';
        std::string x = i < c.size() ? c[i] : "";
        x.resize(18, ' ');
        r += x;
    }
    if (!de_la_grilla) r += ';';
    r.resize(133, de_la_grilla ? '\xA0' : ' ');
    return r;
}

class Grilla : public ::testing::Test {
  protected:
    Grilla() : e_(t_.path()), g_(e_.entorno) {
        std::filesystem::create_directories(t_ / "FORMS" / "1832");
        g_.RutDeclarante = "76543210";
        g_.RefrescaTotales = [this] { ++refrescos_; };
        g_.PreparaMarcaVacia();
        g_.Form_Load();
    }
    std::filesystem::path dmp() const { return t_ / "FORMS/1832/76543210.DMP"; }
    void con_lineas(const std::vector<std::string>& registros) {
        std::string todo;
        for (const auto& r : registros) todo += r;
        t_.write("FORMS/1832/76543210.DMP", todo);
    }
    std::string registro(int n) const {
        const std::string todo = read_file(dmp());
        if (todo.size() < std::size_t(n) * 133) return std::string(133, '\0');
        return todo.substr(std::size_t(n - 1) * 133, 133);
    }
    std::vector<std::string> fila(int r) const {
        std::vector<std::string> out;
        for (int c = 1; c <= 6; ++c) out.push_back(g_.Cajas[(r - 1) * 6 + c].texto);
        return out;
    }
    // The focus as the editor moves it: LostFocus of the old cell, GotFocus of the new.
    void enfocar(int celda) {
        if (foco_) g_.Cajas_LostFocus(foco_);
        foco_ = celda;
        g_.Cajas_GotFocus(celda);
    }

    TempFolder t_;
    prueba::EntornoPrueba e_;
    Informados g_;
    int refrescos_ = 0;
    int foco_ = 0;
};

TEST_F(Grilla, AFreshGridFileGetsThreeNeverWrittenRecords) {
    g_.CargaGrilla();
    EXPECT_EQ(read_file(dmp()), std::string(3 * 133, '\0'));
    EXPECT_EQ(g_.FILAS_DE_DATOS(), 0);
    EXPECT_EQ(g_.TXTINDICE, (std::array<std::string, 3>{"1", "2", "3"}));
    EXPECT_EQ(g_.Combos.size(), 7u);
    EXPECT_EQ(g_.Combos[4],
              "4 = Art\xED"
              "culo 46\xB0 de la ley N\xB0 18.899");
    EXPECT_TRUE(g_.TKEy_activo);
}

TEST_F(Grilla, CellsShowInDisplayFormatAndEnterInEditFormat) {
    con_lineas({linea({"12345678", "K", "3", "1234567890", "01022018", "77"}, false)});
    g_.CargaGrilla();
    EXPECT_EQ(fila(1), (std::vector<std::string>{"12.345.678", "K", "3", "1.234.567.890",
                                                 "01-02-2018", "77"}));
    EXPECT_EQ(fila(2), std::vector<std::string>(6));  // past the end: empty
    EXPECT_GE(refrescos_, 1);

    struct Caso {
        int celda;
        const char* texto;
        const char* edicion;
        int max_edicion;
        const char* vista;
        int max_vista;
    };
    const Caso casos[] = {
        {1, "12.345.678", "12345678", 8, "12.345.678", 10},
        {1, "0", "0", 8, "0", 10},
        {1, "123 456", "123", 8, "123", 10},  // two groups: the first one stays
        {2, "k", "k", 1, "k", 1},
        {4, "1.234.567.890", "1234567890", 18, "1.234.567.890", 23},
        {4, "999999999999999999", "999999999999999999", 18, "999.999.999.999.999.999", 23},
        {5, "01022018", "01022018", 10, "01-02-2018", 10},
        {5, "01-02-2018", "01-02-2018", 10, "01-02-2018", 10},
        {5, "K", "K", 10, "K", 10},  // not a number: unchanged
        {6, " 55 ", "55", 7, "55", 7},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        g_.Cajas[c.celda].texto = c.texto;
        g_.FormateaCelda(c.celda, Informados::Modo::edicion);
        EXPECT_EQ(g_.Cajas[c.celda].texto, c.edicion);
        EXPECT_EQ(g_.Cajas[c.celda].max_largo, c.max_edicion);
        g_.FormateaCelda(c.celda, Informados::Modo::vista);
        EXPECT_EQ(g_.Cajas[c.celda].texto, c.vista);
        EXPECT_EQ(g_.Cajas[c.celda].max_largo, c.max_vista);
    }
}

TEST_F(Grilla, KeysOfEachColumnAndTheKeyTimer) {
    g_.CargaGrilla();
    struct Caso {
        int celda, entra, sale;
    };
    const Caso casos[] = {
        {1, '5', '5'}, {1, 'K', 0},   {2, 'k', 'K'}, {2, '9', '9'}, {3, 'x', 0},
        {4, '-', 0},   {5, 'k', 'K'}, {5, '/', 0},   {6, '0', '0'}, {6, '&', 0},
        {1, '\'', 0},  {4, 8, 8},     {1, 13, 0},    {6, 9, 0},
    };
    for (const Caso& c : casos) {
        int k = c.entra;
        g_.Cajas_KeyPress(c.celda, k);
        EXPECT_EQ(k, c.sale) << c.celda << " " << c.entra;
    }
    int enter = 13;
    g_.Cajas_KeyPress(5, enter);
    EXPECT_EQ(g_.TKEy_intervalo, 250);
    EXPECT_FALSE(g_.TeclaLista);
    EXPECT_TRUE(g_.TKEy_activo);
    // Navigation keys wait for the timer after Enter.
    g_.Cajas_KeyDown(5, tecla::derecha);
    EXPECT_TRUE(e_.pantalla.focos.empty());
    g_.TKEy_Timer();
    EXPECT_TRUE(g_.TeclaLista);
    EXPECT_FALSE(g_.TKEy_activo);
    enter = 13;
    g_.Cajas_KeyPress(1, enter);
    EXPECT_EQ(g_.TKEy_intervalo, 20);
}

TEST_F(Grilla, LeavingACellWritesItsLineExceptTheFirstCellLeft) {
    g_.CargaGrilla();
    enfocar(1);
    g_.Cajas[1].texto = "12345678";
    enfocar(2);  // the first cell left after opening: nothing written
    EXPECT_EQ(registro(1), std::string(133, '\0'));
    EXPECT_EQ(g_.Cajas[1].texto, "12.345.678");
    g_.Cajas[2].texto = "K";
    g_.Cajas[4].texto = "1.500.000";
    g_.Cajas[5].texto = "31122017";
    g_.Cajas[6].texto = "0";
    enfocar(3);
    EXPECT_EQ(registro(1), linea({"12345678", "K", "", "1500000", "31122017", "0"}));
    EXPECT_EQ(g_.FILAS_DE_DATOS(), 1);

    // A line emptied in the grid is 133 blanks and no data line.
    for (int c = 1; c <= 6; ++c) g_.Cajas[c].texto.clear();
    enfocar(4);
    EXPECT_EQ(registro(1), std::string(133, ' '));
    EXPECT_EQ(g_.FILAS_DE_DATOS(), 0);
}

TEST_F(Grilla, PagingDownWritesTheLineAndShowsTheNextRecordInTheLastLine) {
    con_lineas({linea({"1"}), linea({"2"}), linea({"3"}), linea({"4"})});
    g_.CargaGrilla();
    enfocar(13);
    EXPECT_TRUE(e_.pantalla.solo(tecla::izquierda, 31));  // cell 13 brings the left edge in
    g_.Cajas[13].texto = "33";
    g_.MueveCelda(13, tecla::abajo);
    EXPECT_EQ(registro(3), linea({"33"}));
    EXPECT_EQ(g_.PRIMERA_ROWS, 2);
    EXPECT_EQ(e_.pantalla.focos.back(), (Foco{Campo::Cajas, 13}));
    EXPECT_EQ(g_.TXTINDICE, (std::array<std::string, 3>{"2", "3", "4"}));
    EXPECT_EQ(g_.Cajas[1].texto, "2");
    EXPECT_EQ(g_.Cajas[7].texto, "33");
    EXPECT_EQ(g_.Cajas[13].texto, "4");

    // Right arrow from cell 18 pages too; past the end the lines show empty.
    g_.MueveCelda(18, tecla::derecha);
    EXPECT_EQ(g_.PRIMERA_ROWS, 3);
    EXPECT_EQ(g_.Cajas[13].texto, "");
    EXPECT_EQ(g_.TXTINDICE[2], "5");
    EXPECT_EQ(g_.MAX_ROWS, 5);
}

TEST_F(Grilla, PagingUpStopsAtTheFirstRecord) {
    con_lineas({linea({"1"}), linea({"2"}), linea({"3"}), linea({"4"})});
    g_.CargaGrilla();
    g_.Cajas[1].texto = "11";
    g_.MueveCelda(1, tecla::arriba);  // the first visible line with PRIMERA_ROWS 1
    EXPECT_EQ(registro(1), linea({"11"}));
    EXPECT_EQ(g_.PRIMERA_ROWS, 1);
    EXPECT_EQ(g_.Cajas[1].texto, "11");
    EXPECT_TRUE(e_.pantalla.focos.empty());  // the focus stays

    g_.PRIMERA_ROWS = 2;
    g_.CargarDATOS();
    g_.MueveCelda(1, tecla::izquierda);  // Left in cell 1 pages like Up
    EXPECT_EQ(g_.PRIMERA_ROWS, 1);
    EXPECT_EQ(g_.Cajas[1].texto, "11");
    EXPECT_TRUE(e_.pantalla.solo(tecla::izquierda, 5));

    // Within the grid the arrows move the focus.
    g_.MueveCelda(8, tecla::arriba);
    g_.MueveCelda(8, tecla::abajo);
    g_.MueveCelda(4, tecla::derecha);
    EXPECT_EQ(e_.pantalla.focos,
              (std::vector<Foco>{{Campo::Cajas, 2}, {Campo::Cajas, 14}, {Campo::Cajas, 5}}));
}

TEST_F(Grilla, PagingStopsWhereRecordNumbersWouldLeaveSixteenBits) {
    g_.CargaGrilla();
    g_.PRIMERA_ROWS = 32765;  // shows records 32765 to 32767
    g_.CargarDATOS();
    g_.Cajas[13].texto = "9";
    g_.MueveCelda(13, tecla::abajo);
    EXPECT_EQ(g_.PRIMERA_ROWS, 32765);
    EXPECT_EQ(g_.TXTINDICE[2], "32767");
    EXPECT_EQ(registro(32767), linea({"9"}));  // the line is still written
    g_.MueveCelda(13, tecla::abajo);
    EXPECT_EQ(g_.PRIMERA_ROWS, 32765);
}

TEST_F(Grilla, CountingStopsAtTheFirstNeverWrittenRecordAndMarksShowYellow) {
    con_lineas(
        {linea({"1"}), std::string(133, ' '), linea({"3"}), std::string(133, '\0'), linea({"5"})});
    g_.CargaGrilla();
    EXPECT_EQ(g_.FILAS_DE_DATOS(), 2);
    EXPECT_EQ(g_.MAX_ROWS, 3);
    EXPECT_EQ(g_.MarcasLinea.size(), 4u);
    g_.MARCAR_LINEA(2, color::amarillo);
    g_.MARCAR_LINEA(9, color::amarillo);  // beyond the array: extended
    EXPECT_EQ(g_.MarcasLinea.size(), 10u);
    g_.CargarDATOS();
    EXPECT_EQ(g_.Cajas[1].fondo, color::blanco);
    EXPECT_EQ(g_.Cajas[7].fondo, color::amarillo);
    EXPECT_EQ(g_.Cajas[12].fondo, color::amarillo);
    g_.INICIA_MARCA_de_LINEAS();
    g_.CargarDATOS();
    EXPECT_EQ(g_.Cajas[7].fondo, color::blanco);
}

TEST_F(Grilla, MoreLinesThanASixteenBitNumberHoldsAreCountedWhole) {
    const std::string uno = linea({"12345678", "K"});
    std::string todo;
    todo.reserve(33000 * 133);
    for (int i = 0; i < 33000; ++i) todo += uno;
    t_.write("FORMS/1832/76543210.DMP", todo);
    g_.CargaGrilla();
    EXPECT_EQ(g_.FILAS_DE_DATOS(), 33000);
    EXPECT_EQ(g_.MAX_ROWS, 33000);
    EXPECT_TRUE(e_.port.calls.empty());
}

TEST_F(Grilla, CompactionKeepsTheDataLinesInOrderThroughANewFile) {
    con_lineas({std::string(133, ' '), linea({"1"}), std::string(133, '\0'), linea({"", "K"}),
                linea({"", "K"}, false), linea({"55"}, false)});
    g_.CargaGrilla();
    g_.CompactaDMP();
    EXPECT_EQ(read_file(dmp()), linea({"1"}) + linea({"", "K"}) + linea({"55"}, false));
    EXPECT_FALSE(std::filesystem::exists(dmp().string() + ".nuevo"));
    EXPECT_TRUE(e_.port.calls.empty());
    // A file that cannot be replaced keeps its lines and says why.
    std::filesystem::create_directory(dmp().string() + ".nuevo");
    g_.CompactaDMP();
    ASSERT_EQ(e_.port.calls.size(), 1u);
    EXPECT_NE(e_.port.calls[0].text.find("   ,  "), std::string::npos);
    EXPECT_EQ(read_file(dmp()).size(), 3 * 133u);
}

TEST_F(Grilla, TheLegalBasisListPutsTheCodeInTheCell) {
    g_.CargaGrilla();
    enfocar(9);
    g_.Cajas_Click(9);
    EXPECT_TRUE(g_.Combos_visible);
    EXPECT_EQ(g_.Combos_rect, (Rect{2520, 1320, 3615, 285}));
    EXPECT_EQ(g_.Combos_indice, 0);
    g_.Combos_Click(4);
    EXPECT_EQ(g_.Cajas[9].texto, "4");
    EXPECT_FALSE(g_.Combos_visible);
    EXPECT_EQ(e_.pantalla.focos.back(), (Foco{Campo::Cajas, 9}));
    g_.Combos_Click(0);
    EXPECT_EQ(g_.Cajas[9].texto, "");
    g_.Cajas_Click(10);
    EXPECT_FALSE(g_.Combos_visible);
}

TEST_F(Grilla, RightButtonClearsTheLineWhenConfirmed) {
    con_lineas({linea({"1", "2"}), linea({"3", "4"})});
    g_.CargaGrilla();
    e_.port.answers = {platform::Answer::no, platform::Answer::yes};
    g_.Cajas_BotonDerecho(8);
    EXPECT_EQ(g_.Cajas[7].texto, "3");
    g_.Cajas_BotonDerecho(8);
    EXPECT_EQ(fila(2), std::vector<std::string>(6));
    EXPECT_EQ(fila(1)[0], "1");
    ASSERT_EQ(e_.port.calls.size(), 2u);
    EXPECT_EQ(e_.port.calls[0].text, "¿ desea borrar el contenido de esta línea ?");
    EXPECT_EQ(e_.port.calls[0].title, "Borrar Línea");
    EXPECT_EQ(e_.port.calls[0].buttons, platform::Buttons::yes_no);
    EXPECT_EQ(registro(2), linea({"3", "4"}));  // written when the line is next left
}

}  // namespace
}  // namespace pelmo
