// The declaration component, driven as its clients drive it: created by its
// programmatic identifier and called by member name through the component
// layer.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "../support/temp_folder.hpp"
#include "components/component.hpp"
#include "formularios.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "tolvan_fixture.hpp"

namespace {

using namespace tolvan_test;
using comp::Dispatch;
using testsupport::read_file;

TEST(TolvanClaves, ItemKeysFollowTheFieldPositionsOfEachForm) {
    struct Caso {
        bool es_1887;
        std::int32_t linea;
        const char* codigo;
        const char* clave;
    };
    const Caso casos[] = {
        {false, 1, "NUM", "ITEM1"},
        {false, 1, "CERTIFICADO", "ITEM7"},
        {false, 2, "NUM", "ITEM8"},
        {false, 2, "DV", "ITEM10"},
        {false, 3, "RETENCION20", "ITEM20"},
        {true, 1, "CERTIFICADO", "ITEM19"},
        {true, 3, "MAY", "ITEM49"},
        {true, 2, "RUT", "ITEM21"},
        {true, 1, "ENE", "ITEM7"},
        {true, 1, "DIC", "ITEM18"},
        // Codes are exact and belong to one form; lines start at 1.
        {false, 2, "dv", ""},
        {false, 1, "MAY", ""},
        {true, 1, "RETENCION2C", ""},
        {false, 0, "CERTIFICADO", ""},
        {true, -3, "RUT", ""},
    };
    for (const Caso& c : casos) {
        const std::string k = c.es_1887 ? tolvan::Clave_Informado_1887(c.linea, c.codigo)
                                        : tolvan::Clave_Informado_1879(c.linea, c.codigo);
        EXPECT_EQ(k, c.clave) << (c.es_1887 ? "1887 " : "1879 ") << c.linea << " " << c.codigo;
    }
    EXPECT_EQ(tolvan::Clave_Informado_1887(113025455, "CERTIFICADO"), "ITEM2147483645");
    try {
        tolvan::Clave_Informado_1887(std::numeric_limits<std::int32_t>::max(), "NUM");
        ADD_FAILURE() << "no overflow";
    } catch (const comp::ComponentError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

TEST_F(TolvanTest, ByLineAccessUsesTheItemKeysOfTheCurrentForm) {
    Dispatch dj = crear();
    dj.let("Ubicacion_Archivo_VAzorode", texto(datos_));
    dj.let("Formulario", "1879");
    dj.call("Agrega_Dupla_Informado", {2, "DV", "K"});
    dj.call("Agrega_Dupla_Informado", {2, "dv", "x"});  // not a code: nothing stored
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {2, "DV"}).to_text(), "K");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {2, "dv"}).to_text(), "");

    // Under 1887 the same key ITEM10 is field 10 of line 1.
    dj.let("Formulario", "1887");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, "ABR"}).to_text(), "K");
    dj.call("Agrega_Dupla_Informado", {3, "MAY", "1500"});
    dj.call("Agrega_Dupla_Informado", {1, "CERTIFICADO", "77"});

    // Any other form addresses nothing.
    dj.let("Formulario", "1832");
    dj.call("Agrega_Dupla_Informado", {1, "RUT", "5"});
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {2, "DV"}).to_text(), "");

    cabecera(dj);
    ASSERT_TRUE(dj.call("Grabar_Archivo").to_bool());
    EXPECT_EQ(read_file(datos_), "ITEM10=K&ITEM49=1500&ITEM19=77&RUT=7&DV=K&FORMDJ=1879&");
    EXPECT_TRUE(port_.calls.empty());
}

// 1879, "MAX_ROWS" 2, RUT 111 on line 1 and 222 on line 2.
TEST_F(TolvanTest, ByRutAccessFindsLinesAndAddsNewRutsAfterTheLast) {
    Dispatch dj = abrir("MAX_ROWS=2&ITEM2=111&ITEM3=1&ITEM9=222&ITEM10=2&ITEM16=222&");
    ASSERT_EQ(dj.get("Formulario").to_text(), "1879");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {222, "DV"}).to_text(), "2");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {999, "DV"}).to_text(), "");

    dj.call("Agrega_Dupla_Informado_por_RUT", {333, "DV", "5"});
    dj.call("Agrega_Dupla_Informado_por_RUT", {111, "CERTIFICADO", "9"});
    dj.call("Agrega_Dupla_Informado_por_RUT", {444, "NOPE", "x"});  // registers the RUT only
    dj.call("Agrega_Dupla_Informado_por_RUT", {333, "CERTIFICADO", "8"});
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {333, "DV"}).to_text(), "5");

    ASSERT_TRUE(dj.call("Grabar_Archivo").to_bool());
    const Pares p = pares(read_file(datos_));
    EXPECT_EQ(p.at("ITEM16"), "333");  // line 3's RUT: ITEM16 held 222 from the file before
    EXPECT_EQ(p.at("ITEM17"), "5");
    EXPECT_EQ(p.at("ITEM21"), "8");
    EXPECT_EQ(p.at("ITEM7"), "9");
    EXPECT_EQ(p.at("ITEM23"), "444");
    // Lines added by RUT are counted, so readers by count find them.
    EXPECT_EQ(p.at("MAX_ROWS"), "4");
    Dispatch leido = abrir(read_file(datos_).substr(std::string("RUT=7&DV=K&FORMDJ=1879&").size()));
    EXPECT_EQ(leido.call("Obtiene_Dupla_Informado_por_RUT", {333, "DV"}).to_text(), "5");
    EXPECT_EQ(leido.call("Obtiene_Dupla_Informado_por_RUT", {444, "RUT"}).to_text(), "444");

    // A count raised by hand since the index was built is not lowered.
    Dispatch alto = abrir("MAX_ROWS=1&ITEM2=111&");
    EXPECT_EQ(alto.call("Obtiene_Dupla_Informado_por_RUT", {111, "RUT"}).to_text(), "111");
    alto.call("Agrega_Dupla_Cabecera", {"MAX_ROWS", "9"});
    alto.call("Agrega_Dupla_Informado_por_RUT", {222, "DV", "2"});
    EXPECT_EQ(alto.call("Obtiene_Dupla_Informado", {2, "RUT"}).to_text(), "222");
    ASSERT_TRUE(alto.call("Grabar_Archivo").to_bool());
    EXPECT_EQ(pares(read_file(datos_)).at("MAX_ROWS"), "9");

    // A RUT on two lines resolves to the lower one.
    Dispatch dos = abrir("MAX_ROWS=2&ITEM2=5&ITEM3=a&ITEM9=5&ITEM10=b&");
    EXPECT_EQ(dos.call("Obtiene_Dupla_Informado_por_RUT", {5, "DV"}).to_text(), "a");
}

TEST_F(TolvanTest, ByRutAccessFor1887ReadsTheRutOfNineteenFieldLines) {
    // Line 1 RUT 10 (ITEM2), line 2 RUT 20 (ITEM21); ITEM9 holds line 2's RUT
    // under 1879.
    Dispatch dj = abrir("MAX_ROWS=2&ITEM2=10&ITEM9=99&ITEM21=20&ITEM36=nov2&", "1887");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {20, "NOV"}).to_text(), "nov2");

    // Switching the form rebuilds the index from the other positions.
    dj.let("Formulario", "1879");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {99, "RUT"}).to_text(), "99");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {20, "RUT"}).to_text(), "");
    dj.let("Formulario", "1887");

    dj.call("Agrega_Dupla_Informado_por_RUT", {30, "MAY", "300"});
    dj.call("Agrega_Dupla_Informado_por_RUT", {10, "DIC", "100"});
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {3, "MAY"}).to_text(), "300");

    ASSERT_TRUE(dj.call("Grabar_Archivo").to_bool());
    const Pares p = pares(read_file(datos_));
    EXPECT_EQ(p.at("ITEM40"), "30");  // line 3's RUT
    EXPECT_EQ(p.at("ITEM49"), "300");
    EXPECT_EQ(p.at("ITEM18"), "100");
    EXPECT_EQ(p.at("MAX_ROWS"), "3");
}

TEST_F(TolvanTest, ByRutAccessFailsOnCountsAndRutsThatAreNotNumbers) {
    const std::pair<const char*, int> casos[] = {
        {"", 13},                              // no "MAX_ROWS"
        {"MAX_ROWS=2&ITEM2=111&", 13},         // line 2 has no RUT
        {"MAX_ROWS=1&ITEM2=12K&", 13},         // a RUT that is not a number
        {"MAX_ROWS=99999999999&ITEM2=1&", 6},  // beyond a 32-bit count
    };
    for (const auto& [contenido, numero] : casos) {
        Dispatch dj = abrir(contenido);
        try {
            dj.call("Agrega_Dupla_Informado_por_RUT", {1, "DV", "9"});
            ADD_FAILURE() << contenido;
        } catch (const comp::ComponentError& e) {
            EXPECT_EQ(e.number(), numero) << contenido;
        }
        EXPECT_THROW(dj.call("Obtiene_Dupla_Informado_por_RUT", {1, "DV"}), comp::ComponentError);
        ASSERT_TRUE(dj.call("Grabar_Archivo").to_bool());
        EXPECT_EQ(read_file(datos_).find("ITEM3="), std::string::npos) << contenido;
    }
}

TEST_F(TolvanTest, SavingNeedsAPathAndTheDeclarantKeys) {
    Dispatch sin_ruta = crear();
    cabecera(sin_ruta);
    EXPECT_FALSE(sin_ruta.call("Grabar_Archivo").to_bool());

    for (const char* falta : {"RUT", "DV", "FORMDJ"}) {
        Dispatch dj = crear();
        dj.let("Ubicacion_Archivo_VAzorode", texto(datos_));
        for (const char* k : {"RUT", "DV", "FORMDJ"})
            if (std::string(k) != falta) dj.call("Agrega_Dupla_Cabecera", {k, "1"});
        dj.call("Agrega_Dupla_Cabecera", {falta, ""});
        EXPECT_FALSE(dj.call("Grabar_Archivo").to_bool()) << falta;
        EXPECT_FALSE(fs::exists(datos_)) << falta;
    }

    // A header key given again is replaced and moves to the end.
    Dispatch dj = crear();
    dj.let("Ubicacion_Archivo_VAzorode", texto(datos_));
    dj.call("Agrega_Dupla_Cabecera", {"RUT", "1"});
    cabecera(dj);
    dj.call("Agrega_Dupla_Cabecera", {"AT", ""});  // empty values are not saved
    EXPECT_TRUE(dj.call("Grabar_Archivo").to_bool());
    EXPECT_EQ(read_file(datos_), "RUT=7&DV=K&FORMDJ=1879&");
}

TEST_F(TolvanTest, OpeningReadsTheFileAndTakesTheFormFromIt) {
    Dispatch dj = crear();
    EXPECT_FALSE(dj.call("Abrir_Archivo", {false}).to_bool());  // no path

    // A file that is not there reads as empty and clears the form.
    dj.let("Formulario", "1879");
    dj.let("Ubicacion_Archivo_VAzorode", texto(t_ / "no-esta.txt"));
    EXPECT_TRUE(dj.call("Abrir_Archivo", {false}).to_bool());
    EXPECT_EQ(dj.get("Formulario").to_text(), "");
    dj.let("Formulario", "1879");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, "RUT"}).to_text(), "");

    t_.write("dj.txt", "RUT=7&DV=K&FORMDJ=1887&MAX_ROWS=1&ITEM2=55&ITEM17=9\r\n");
    dj.let("Ubicacion_Archivo_VAzorode", texto(datos_));
    EXPECT_TRUE(dj.call("Abrir_Archivo", {false}).to_bool());
    EXPECT_EQ(dj.get("Formulario").to_text(), "1887");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado", {1, "NOV"}).to_text(), "9");

    // A new file empties the pairs and keeps the form; no file is touched.
    dj.let("Formulario", "1879");
    EXPECT_TRUE(dj.call("Abrir_Archivo", {true}).to_bool());
    EXPECT_EQ(dj.get("Formulario").to_text(), "1879");
    EXPECT_FALSE(dj.call("Grabar_Archivo").to_bool());  // nothing there to save
    EXPECT_EQ(read_file(datos_), "RUT=7&DV=K&FORMDJ=1887&MAX_ROWS=1&ITEM2=55&ITEM17=9\r\n");
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(TolvanTest, OpeningAgainForgetsTheRutIndex) {
    Dispatch dj = abrir("MAX_ROWS=1&ITEM2=111&ITEM3=1&");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {111, "DV"}).to_text(), "1");
    t_.write("dj.txt", "RUT=7&DV=K&FORMDJ=1879&MAX_ROWS=1&ITEM2=222&ITEM3=2&");
    ASSERT_TRUE(dj.call("Abrir_Archivo", {false}).to_bool());
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {111, "DV"}).to_text(), "");
    EXPECT_EQ(dj.call("Obtiene_Dupla_Informado_por_RUT", {222, "DV"}).to_text(), "2");
}

TEST_F(TolvanTest, HelpTextsAreFoundInAnyLetterCase) {
    Dispatch dj = crear();
    const std::pair<const char*, const char*> casos[] = {
        {"grabar_archivo",
         "Salva las modificaciones del Archivo Vazorode en la ubicacion especificada "
         "en:Ubicacion_Archivo_VAzorode"},
        {"ABRIR_ARCHIVO",
         "Abre el archivo especificado en:Ubicacion_Archivo_VAzorode, si el parametro "
         "Nuevo_Archivo es verdadero se realizara un kill al archivo y luego se creara en blanco. "
         "De lo contrario, se cargaran los datos presentes en el archivo. Se asume que el archivo "
         "se encuentra en formato Vazorode 2004."},
        {"Actualiza_Informado", "Metodo no habilitado"},
        {"agrega_dupla_cabecera", "Agrega una dupla codigo valor al archivo VAzorode"},
        {"Agrega_Dupla_Informado",
         "Entrada a datos de informados mediante la especificacion de la linea de registro. "
         "Linea: corresponde al registro de informado sobre el cual se crea la dupla. Codigo: Key "
         "valida para el formulario especificado en Formulario"},
        {"AGREGA_DUPLA_INFORMADO_POR_RUT",
         "Entrada a datos de informados mediante la especificacion de un RUT. RUT: corresponde a "
         "un RUT nuevo o registrado sobre el cual se crea la dupla. Codigo: Key valida para el "
         "formulario especificado en Formulario"},
        {"Ayuda", "Texto de ayuda de los Metodos y propiedades"},
        {"exportar_a_excel",
         "Metodo que crea un archivo Excel a partir de un archivo Vazorode 2004. Soporta "
         "formularios 1879 y 1887"},
        {"FORMULARIO", "Indica sobre cual formulario se trabajara"},
        {"", ""},
        {"Mensaje", "No existe ayuda disponible para este metodo"},
        {"Importar_de_Excel", "No existe ayuda disponible para este metodo"},
        {"Grabar_Archivo ", "No existe ayuda disponible para este metodo"},
    };
    for (const auto& [metodo, texto] : casos)
        EXPECT_EQ(dj.call("ayuda", {metodo}).to_text(), texto) << metodo;

    EXPECT_EQ(dj.get("Mensaje").to_text(), "");
    dj.call("Actualiza_Informado");
}

TEST_F(TolvanTest, RegistersWithRegsvr32AndNeedsKvarioToBeCreated) {
    // A registration file that knows Tolvan only, made by the regsvr32 program.
    const fs::path solo = t_ / "solo-tolvan";
    ::setenv("ORVEX_COMPONENTS", solo.c_str(), 1);
    const platform::RunResult r = platform::Ejecutar_y_Esperar(
        {(bin() / "regsvr32").string(), "/s", (bin() / "libTolvan.so").string()});
    ASSERT_EQ(r.exit_code, 0);
    EXPECT_NE(read_file(solo).find("Tolvan.clsdj\t" + (bin() / "libTolvan.so").string()),
              std::string::npos);
    try {
        comp::CreateObject("TOLVAN.CLSDJ");
        ADD_FAILURE() << "created without Kvario";
    } catch (const comp::ComponentError& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_NE(e.description().find("Kvario3.clsURL"), std::string::npos) << e.description();
    }
}

}  // namespace
