// Folio values, the folio sequence file, the parameter file and the comuna list.
#include <gtest/gtest.h>

#include "../support/temp_folder.hpp"
#include "pelmo/encabezado.hpp"
#include "pelmo/errores_arranque.hpp"
#include "pelmo/folio.hpp"
#include "prueba.hpp"

namespace pelmo {
namespace {

using testsupport::read_file;
using testsupport::TempFolder;

TEST(Folio, RutPartSequenceAndPrefix) {
    struct Caso {
        const char* rut;
        const char* parte;
    };
    for (const Caso& c : {Caso{"123", "000"}, Caso{"  7 ", "000"}, Caso{"1234", "123"},
                          Caso{"76543210", "765"}, Caso{"", ""}})
        EXPECT_EQ(parte_rut_folio(c.rut), c.parte) << c.rut;

    TempFolder t;
    t.write("Orvex18/Sistema/param.txt", "P001 80\r\nP002 15\r\nP000 ignorada\r\n");
    const auto install = t / "Orvex18";
    std::filesystem::create_directories(install / "Forms" / "1832");
    Parametros p;
    ASSERT_TRUE(LeeParametros(install, p));
    EXPECT_EQ(p.prefijo_folio(), "80");
    EXPECT_EQ(p.entradas[2].numero, 15);

    std::string sec;
    EXPECT_EQ(NuevoFolio(install, "1832", "76543210", p, sec), "8076501");
    EXPECT_EQ(sec, "01");
    EXPECT_EQ(read_file(install / "Forms/1832/76543210.seq"), "01\r\n");
    EXPECT_EQ(NuevoFolio(install, "1832", "123", p, sec), "8000001");
    EXPECT_EQ(read_file(install / "Forms/1832/12300000.seq"), "01\r\n");

    // Saving advances the sequence; 99 goes to 01.
    struct Paso {
        const char* antes;
        const char* despues;
    };
    for (const Paso& s : {Paso{"01", "02"}, Paso{"09", "10"}, Paso{"98", "99"}, Paso{"99", "01"}}) {
        sec = s.antes;
        ASSERT_TRUE(GrabaSecuencia(install, "1832", "76543210", sec));
        EXPECT_EQ(sec, s.despues);
        EXPECT_EQ(read_file(install / "Forms/1832/76543210.seq"), std::string(s.despues) + "\r\n");
        EXPECT_EQ(NuevoFolio(install, "1832", "76543210", p, sec),
                  "80765" + std::string(s.despues));
    }
}

TEST(Folio, MissingFilesGiveAnEmptyPrefixAndSequenceOne) {
    TempFolder t;
    Parametros p;
    EXPECT_FALSE(LeeParametros(t.path(), p));
    std::string sec = "xx";
    // No "Forms/1832" folder: the sequence file cannot be made.
    EXPECT_EQ(NuevoFolio(t.path(), "1832", "76543210", p, sec), "76501");
    EXPECT_EQ(sec, "01");
    sec = "05";
    EXPECT_FALSE(GrabaSecuencia(t.path(), "1832", "76543210", sec));

    t.write("Sistema/param.txt", "P001 80\r\nP101 x\r\nP002 7\r\n");
    EXPECT_FALSE(LeeParametros(t.path(), p));  // a code above 100 ends the reading
    EXPECT_EQ(p.prefijo_folio(), "80");
    EXPECT_EQ(p.entradas[2].numero, 0);
}

TEST(Folio, RellenaCeros) {
    EXPECT_EQ(RellenaCeros(" 123 ", 8), "12300000");
    EXPECT_EQ(RellenaCeros("12345678", 8), "12345678");
    EXPECT_EQ(RellenaCeros("123456789", 8), "123456789");
    EXPECT_EQ(RellenaCeros("", 3), "000");
}

TEST(Folio, AFolioOfAnotherDeclarantIsRebuiltWithAWarning) {
    prueba::EntornoPrueba t;
    std::string caption;
    Encabezado h(t.entorno, caption);
    Parametros p;
    p.entradas[1].texto = "80";
    struct Caso {
        const char* folio;
        const char* mostrado;
        bool aviso;
    };
    for (const Caso& c : {Caso{"8076501", "8076501", false}, Caso{"8011101", "8076501", true},
                          Caso{"8011105", "8011105", false}}) {
        t.port.calls.clear();
        h.lblFolio = c.folio;
        h.RevisaFolio(p, "76543210");
        EXPECT_EQ(h.lblFolio, c.mostrado);
        ASSERT_EQ(t.port.calls.size(), c.aviso ? 1u : 0u) << c.folio;
        if (c.aviso) {
            EXPECT_EQ(t.port.calls[0].text,
                      "Este formulario fué creado con una versión anterior del software deberá "
                      "generar los archivos Internet nuevamente");
            EXPECT_EQ(t.port.calls[0].title, "¡ Advertencia !");
        }
    }
}

TEST(Comunas, SortedAfterTheChoicePromptAndTheStoredOneSelected) {
    TempFolder t;
    t.write("Sistema/Comunas.txt",
            "13101  Santiago\r\n13120  \xD1u\xF1oa\r\n05101  Valpara\xEDso\r\n13114  Las "
            "Condes\r\n\r\n09101  Temuco\r\n13123  Providencia\r\n08101  Concepci\xF3n\r\n");
    prueba::EntornoPrueba e(t.path());
    std::string caption;
    Encabezado h(e.entorno, caption);
    h.LlenaComunas("");
    EXPECT_EQ(h.cmbComuna, (std::vector<std::string>{"(Seleccione Valor)", "CONCEPCI\xD3N",
                                                     "LAS CONDES", "\xD1U\xD1OA", "PROVIDENCIA",
                                                     "SANTIAGO", "TEMUCO", "VALPARA\xCDSO"}));
    EXPECT_EQ(h.cmbComuna_indice, 0);
    struct Caso {
        const char* guardada;
        int indice;
    };
    for (const Caso& c :
         {Caso{"VALPARA\xCDSO", 7}, Caso{"\xD1U\xD1OA", 3}, Caso{"(Seleccione Valor)", 0},
          Caso{"ATLANTIS", 0}, Caso{"santiago", 0}}) {
        h.LlenaComunas(c.guardada);
        EXPECT_EQ(h.cmbComuna_indice, c.indice) << c.guardada;
    }
}

TEST(Comunas, AMissingListIsAStartUpFailure) {
    TempFolder t;
    try {
        CargaComunas(t.path());
        FAIL() << "no failure";
    } catch (const ErrorArranque& e) {
        EXPECT_EQ(e.error.number, 53);
    }
}

}  // namespace
}  // namespace pelmo
