// Where the start-up places the windows, and the frame's resize rule.
#include <gtest/gtest.h>

#include "pelmo/marco.hpp"

namespace pelmo {
namespace {

TEST(Disposicion, SectionsStackBelowEachOtherAndSatellitesSitBesideAndBelowTheFrame) {
    const Disposicion d = Disponer(10850, 7140);
    EXPECT_EQ(d.marco, (Rect{0, 0, 10850, 7140}));
    EXPECT_EQ(d.header, (Rect{0, 0, 13365, 3735}));
    EXPECT_EQ(d.informados, (Rect{0, 3835, 11535, 1995}));
    EXPECT_EQ(d.totales, (Rect{0, 5930, 12060, 1815}));
    EXPECT_EQ(d.representante, (Rect{0, 7995, 4095, 1080}));
    EXPECT_EQ(d.relleno, (Rect{15000, 9075, 4680, 3435}));
    EXPECT_EQ(d.botones, (Rect{10850, 0, 1050, 8475}));
    EXPECT_EQ(d.errores, (Rect{0, 7140, 10850, 1335}));
}

Satelites arranque() {
    const Disposicion d = Disponer(10850, 7140);
    Satelites s;
    s.marco = {Estado::normal, d.marco};
    s.botones = {Estado::normal, d.botones};
    s.errores = {Estado::normal, d.errores};
    return s;
}

TEST(ReglaDeTamano, MaximisingTilesRestoringAndResizingSnapBackMinimisingTakesTheSatellites) {
    struct Caso {
        const char* que;
        Estado estado;
        Rect marco;        // the frame as the window system left it
        Rect marco_final;  // after the rule
        Estado satelites;  // state of the button bar and the error window
        Rect botones, errores;
        int ancho_marco, alto_marco;
    };
    const Caso casos[] = {
        {"maximised on 19200 x 12000",
         Estado::maximizada,
         {0, 0, 19200, 12000},
         {0, 0, 18150, 10665},
         Estado::normal,
         {18150, 0, 1050, 12000},
         {0, 10665, 18150, 1335},
         18150,
         10665},
        {"dragged larger",
         Estado::normal,
         {300, 200, 14000, 9000},
         {0, 0, 10850, 7140},
         Estado::normal,
         {10850, 0, 1050, 8475},
         {0, 7140, 10850, 1335},
         10850,
         7140},
        {"dragged smaller",
         Estado::normal,
         {0, 0, 5000, 3000},
         {0, 0, 10850, 7140},
         Estado::normal,
         {10850, 0, 1050, 8475},
         {0, 7140, 10850, 1335},
         10850,
         7140},
        {"minimised",
         Estado::minimizada,
         {0, 0, 10850, 7140},
         {0, 0, 10850, 7140},
         Estado::minimizada,
         {10850, 0, 1050, 8475},
         {0, 7140, 10850, 1335},
         10850,
         7140},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        MarcoDJ m;
        m.FormaLista = true;
        Satelites s = arranque();
        s.marco = {c.estado, c.marco};
        m.Form_Resize(s);
        EXPECT_EQ(s.marco.estado,
                  c.estado == Estado::minimizada ? Estado::minimizada : Estado::normal);
        EXPECT_EQ(s.marco.r, c.marco_final);
        EXPECT_EQ(s.botones, (VentanaTop{c.satelites, c.botones}));
        EXPECT_EQ(s.errores, (VentanaTop{c.satelites, c.errores}));
        EXPECT_EQ(m.AnchoMarco, c.ancho_marco);
        EXPECT_EQ(m.AltoMarco, c.alto_marco);
        if (c.estado != Estado::minimizada) {
            EXPECT_EQ(s.ancho_lista, c.errores.width - 200);
            EXPECT_EQ(s.ancho_titulo, c.errores.width - 200);
            EXPECT_EQ(s.ancho_descripcion, c.errores.width - (810 + 230));
        }
        // The rule's own changes raise Resize again and settle where they are.
        Satelites otra = s;
        m.Form_Resize(otra);
        EXPECT_EQ(otra.marco, s.marco);
        EXPECT_EQ(otra.botones, s.botones);
        EXPECT_EQ(otra.errores, s.errores);
    }
}

TEST(ReglaDeTamano, NothingHappensWhileStartingAndTheFrameRefusesToClose) {
    MarcoDJ m;
    Satelites s = arranque();
    s.marco = {Estado::maximizada, {0, 0, 19200, 12000}};
    const Satelites antes = s;
    m.Form_Resize(s);
    EXPECT_EQ(s.marco, antes.marco);
    EXPECT_EQ(s.botones, antes.botones);
    EXPECT_EQ(m.AnchoMarco, 10850);
    EXPECT_TRUE(m.Form_QueryUnload());
}

TEST(ReglaDeTamano, AfterTilingARestoreKeepsTheTiledSize) {
    MarcoDJ m;
    m.FormaLista = true;
    Satelites s = arranque();
    s.marco = {Estado::maximizada, {0, 0, 19200, 12000}};
    m.Form_Resize(s);
    s.marco = {Estado::normal, {100, 100, 8000, 6000}};
    m.Form_Resize(s);
    EXPECT_EQ(s.marco.r, (Rect{0, 0, 18150, 10665}));
}

}  // namespace
}  // namespace pelmo
