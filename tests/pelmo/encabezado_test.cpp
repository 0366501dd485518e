// The header's and the representative's fields: key rules, focus order,
// display formats, the frame caption, and the summary fields' rules.
#include <gtest/gtest.h>

#include "pelmo/encabezado.hpp"
#include "pelmo/totales.hpp"
#include "prueba.hpp"

namespace pelmo {
namespace {

using prueba::EntornoPrueba;

struct Tecla {
    Campo campo;
    int entra, sale;  // KeyAscii before and after the rule
    Foco destino;     // focus moved to (ninguno: stays)
    std::vector<int> desplaza;
};

TEST(EncabezadoTeclas, EachFieldKeepsItsKeysAndEnterOrTabMovesOn) {
    using C = Campo;
    const std::vector<Tecla> casos = {
        {C::txtRutDeclarante, '7', '7', {}, {}},
        {C::txtRutDeclarante, 'K', 0, {}, {}},
        {C::txtRutDeclarante, '&', 0, {}, {}},
        {C::txtRutDeclarante, 13, 0, {C::txtDvDeclarante}, {}},
        {C::txtDvDeclarante, 'k', 'K', {}, {}},
        {C::txtDvDeclarante, 'x', 0, {}, {}},
        {C::txtDvDeclarante, 9, 0, {C::txtNombreDeclarante}, {}},
        {C::txtNombreDeclarante, 'a', 'A', {}, {}},
        {C::txtNombreDeclarante, 0xF1, 0xF1, {}, {}},  // "ñ" stays until the field is left
        {C::txtNombreDeclarante, '\'', 0, {}, {}},
        {C::txtNombreDeclarante, 13, 0, {C::txtDireccion}, {}},
        {C::txtDireccion, 'z', 'Z', {}, {}},
        {C::txtDireccion, 13, 0, {C::cmbComuna}, {}},
        {C::cmbComuna, 13, 0, {C::txtCorreo}, std::vector<int>(20, tecla::izquierda)},
        {C::txtCorreo, 'Q', 'q', {}, {}},
        {C::txtCorreo, '@', '@', {}, {}},
        {C::txtCorreo, '&', 0, {}, {}},
        {C::txtCorreo, 9, 0, {C::txtFax}, {}},
        {C::txtFax, '2', '2', {}, {}},
        {C::txtFax, '-', 0, {}, {}},
        {C::txtFax, 13, 0, {C::txtTelefono}, {}},
        {C::txtTelefono, 'a', 0, {}, {}},
        {C::txtTelefono, 13, 0, {C::Cajas, 1}, {}},
        {C::txtRutRepresentanteLegal, 8, 8, {}, {}},
        {C::txtRutRepresentanteLegal, 'k', 0, {}, {}},
        {C::txtRutRepresentanteLegal, 13, 0, {C::txtDvRepresentanteLegal}, {}},
        {C::txtDvRepresentanteLegal, 'k', 'K', {}, {}},
        {C::txtDvRepresentanteLegal, 13, 0, {C::txtRutDeclarante}, {tecla::inicio}},
    };
    for (const Tecla& c : casos) {
        SCOPED_TRACE(testing::Message() << "campo " << int(c.campo) << " tecla " << c.entra);
        EntornoPrueba t;
        std::string caption;
        Encabezado h(t.entorno, caption);
        int k = c.entra;
        h.KeyPress(c.campo, k);
        EXPECT_EQ(k, c.sale);
        if (c.destino.campo == Campo::ninguno)
            EXPECT_TRUE(t.pantalla.focos.empty());
        else
            EXPECT_EQ(t.pantalla.focos, std::vector<Foco>{c.destino});
        EXPECT_EQ(t.pantalla.desplazamientos, c.desplaza);
    }
}

TEST(EncabezadoTeclas, CheckDigitKeysScrollTheFrame) {
    EntornoPrueba t;
    std::string caption;
    Encabezado h(t.entorno, caption);
    h.KeyDown(Campo::txtDvDeclarante, tecla::av_pag);
    h.KeyDown(Campo::txtNombreDeclarante, tecla::av_pag);
    EXPECT_EQ(t.pantalla.desplazamientos, std::vector<int>{tecla::av_pag});
}

TEST(EncabezadoFormatos, RutsGroupWhenLeftAndTurnPlainWhenEnteredOrTyped) {
    EntornoPrueba t;
    std::string caption;
    Encabezado h(t.entorno, caption);
    h.txtRutDeclarante.texto = "12345678";
    h.LostFocus(Campo::txtRutDeclarante);
    EXPECT_EQ(h.txtRutDeclarante.texto, "12.345.678");
    EXPECT_EQ(h.txtRutDeclarante.max_largo, 10);
    h.GotFocus(Campo::txtRutDeclarante);
    EXPECT_EQ(h.txtRutDeclarante.texto, "12345678");
    EXPECT_EQ(h.txtRutDeclarante.max_largo, 8);
    // An empty RUT keeps its length limit.
    h.txtRutDeclarante = {"", 10};
    h.GotFocus(Campo::txtRutDeclarante);
    EXPECT_EQ(h.txtRutDeclarante.max_largo, 10);

    h.txtRutRepresentanteLegal.texto = "9876543";
    h.LostFocus(Campo::txtRutRepresentanteLegal);
    EXPECT_EQ(h.txtRutRepresentanteLegal.texto, "9.876.543");
    int k = '1';
    h.KeyPress(Campo::txtRutRepresentanteLegal, k);
    EXPECT_EQ(h.txtRutRepresentanteLegal.texto, "9876543");
    EXPECT_EQ(h.txtRutRepresentanteLegal.max_largo, 8);
}

TEST(EncabezadoFormatos, NameIsUpperCasedWhenLeftAndNamesTheDeclarantInTheCaption) {
    EntornoPrueba t;
    std::string caption = "F1827";
    Encabezado h(t.entorno, caption);
    h.txtRutDeclarante.texto = "76.543.210";
    h.txtDvDeclarante.texto = "K";
    h.Change(Campo::txtNombreDeclarante,
             "Pe\xF1"
             "alol\xE9n ltda");
    EXPECT_EQ(caption,
              "F1832 - DECLARANTE: 76.543.210-K Pe\xF1"
              "alol\xE9n ltda");
    h.LostFocus(Campo::txtNombreDeclarante);
    EXPECT_EQ(h.txtNombreDeclarante.texto,
              "PE\xD1"
              "ALOL\xC9N LTDA");
    EXPECT_EQ(caption,
              "F1832 - DECLARANTE: 76.543.210-K PE\xD1"
              "ALOL\xC9N LTDA");
    h.txtDvDeclarante.texto = "5";
    h.LostFocus(Campo::txtDvDeclarante);
    EXPECT_EQ(caption,
              "F1832 - DECLARANTE: 76.543.210-5 PE\xD1"
              "ALOL\xC9N LTDA");
}

TEST(EncabezadoFormatos, TypeOfDeclarationFieldsAreDisabledAndGrey) {
    EntornoPrueba t;
    std::string caption;
    Encabezado h(t.entorno, caption);
    for (const Caja* c :
         {&h.txtOriginal, &h.txtRutAnterior, &h.txtDvAnterior, &h.txtFolioAnterior}) {
        EXPECT_FALSE(c->habilitada);
        EXPECT_EQ(c->fondo, color::gris_claro);
    }
    EXPECT_EQ(h.caja(Campo::ninguno), nullptr);
}

TEST(TotalesCampos, KeysFormatsAndTheMoveToTheRepresentative) {
    EntornoPrueba t;
    Totales tot(t.entorno);
    struct Caso {
        int indice, entra, sale;
    };
    for (const Caso& c :
         {Caso{1, '5', '5'}, Caso{1, 'a', 0}, Caso{2, '&', 0}, Caso{2, 8, 8}, Caso{2, '.', 0}}) {
        int k = c.entra;
        tot.KeyPress(c.indice, k);
        EXPECT_EQ(k, c.sale) << c.indice << " " << c.entra;
    }
    int enter = 13;
    tot.KeyPress(1, enter);
    enter = 13;
    tot.KeyPress(2, enter);
    EXPECT_EQ(t.pantalla.focos,
              (std::vector<Foco>{{Campo::Totales, 2}, {Campo::txtRutRepresentanteLegal}}));
    EXPECT_EQ(t.pantalla.desplazamientos, std::vector<int>{tecla::abajo});

    struct Formato {
        int indice;
        const char* texto;
        const char* vista;
        int max_vista;
        const char* edicion;
        int max_edicion;
    };
    for (const Formato& f :
         {Formato{1, "1234567890123456789", "1.234.567.890.123.456.789", 26, "1234567890123456789",
                  20},
          Formato{1, "0", "0", 26, "0", 20}, Formato{2, "1500", "1.500", 9, "1500", 7},
          Formato{2, "", "", 9, "", 7}}) {
        tot.Cajas[f.indice].texto = f.texto;
        tot.LostFocus(f.indice);
        EXPECT_EQ(tot.Cajas[f.indice].texto, f.vista);
        EXPECT_EQ(tot.Cajas[f.indice].max_largo, f.max_vista);
        tot.GotFocus(f.indice);
        EXPECT_EQ(tot.Cajas[f.indice].texto, f.edicion);
        EXPECT_EQ(tot.Cajas[f.indice].max_largo, f.max_edicion);
    }
}

}  // namespace
}  // namespace pelmo
