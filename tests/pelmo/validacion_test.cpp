// The validation through a stand-in validator (a script in the install folder
// that writes a given error file), the error list with its colours, marks and
// clicks, and saving, clearing and leaving with a save.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>

#include "pelmo/editor.hpp"
#include "platform/text.hpp"
#include "prueba.hpp"
#include "scripted_port.hpp"

namespace pelmo {
namespace {

namespace fs = std::filesystem;
using prueba::Instalacion;
using prueba::PantallaGrabada;
using testsupport::read_file;

// Three grid lines stored under record numbers 5, 9 and 12; the second line's
// last cell is empty.
const std::string kTresLineas =
    "RUT=76543210&DV=K&FOLIO=8076503&ORI=NO&RUTANT=7654321&DVANT=6&FOLANT=8076502&"
    "TOT1=3500000&TOT2=3&RUTREP=12345678&DVREP=5&MAX_ELEMENTOS=21&MAX_COLS=7&MAX_ROWS=3&"
    "ITEM1=5&ITEM2=11111111&ITEM3=1&ITEM4=1&ITEM5=1000000&ITEM6=01022013&ITEM7=10&"
    "ITEM8=9&ITEM9=22222222&ITEM10=2&ITEM11=4&ITEM12=2000000&ITEM13=15032013&"
    "ITEM15=12&ITEM16=33333333&ITEM17=K&ITEM18=6&ITEM19=500000&ITEM20=31122013&"
    "ITEM21=30&";

// The grid lines of kTresLineas as the editor numbers them when it saves.
const std::string kItemsGuardados =
    "ITEM1=1&ITEM2=11111111&ITEM3=1&ITEM4=1&ITEM5=1000000&ITEM6=01022013&ITEM7=10&"
    "ITEM8=2&ITEM9=22222222&ITEM10=2&ITEM11=4&ITEM12=2000000&ITEM13=15032013&"
    "ITEM15=3&ITEM16=33333333&ITEM17=K&ITEM18=6&ITEM19=500000&ITEM20=31122013&"
    "ITEM21=30&";

// A declaration of `n` grid lines; line k has the donor RUT 10000000 + k.
std::string lineas(int n) {
    std::string d = "RUT=76543210&DV=K&FOLIO=8076503&TOT1=5000&TOT2=" + std::to_string(n) +
                    "&MAX_COLS=7&MAX_ROWS=" + std::to_string(n) + "&";
    for (int k = 1; k <= n; ++k) {
        const int b = 7 * (k - 1);
        const std::string v[7] = {
            std::to_string(k), std::to_string(10000000 + k), "1", "1", "1000", "01022013", "10"};
        for (int c = 0; c < 7; ++c) d += "ITEM" + std::to_string(b + c + 1) + "=" + v[c] + "&";
    }
    return d;
}

class Validacion : public ::testing::Test {
  protected:
    void SetUp() override {
        i_.escribir("registro/Rut.Tmp", "RUT=76543210&DV=K&RAZ=FUNDACI\xD3N EJEMPLO&");
        i_.escribir("registro/76543210.Rut",
                    "AT=2014&DOM=AV. SIEMPRE VIVA 742&DIR=contacto@ejemplo.cl&TEL=022223333&"
                    "COMUNA=\xD1U\xD1OA&");
        i_.escribir("Sistema/Comunas.txt", "13101  Santiago\r\n13120  \xD1u\xF1oa\r\n");
        i_.escribir("Sistema/param.txt", "P001 80\r\n");
        validador(std::nullopt);
    }

    // The stand-in validator: runs `antes`, then writes `errores` as the
    // error file, or exits without writing when there is none.
    void validador(std::optional<std::string> errores, const std::string& antes = "") {
        std::string s = "#!/bin/sh\nd=$(dirname \"$0\")\n" + antes;
        if (errores) {
            i_.escribir("errores.fuente", *errores);
            s += "cp \"$d/errores.fuente\" \"$d/Forms/Temp/errores.txt\"\n";
        }
        s += "exit 0\n";
        i_.escribir("Vexal", s);
        fs::permissions(i_.install / "Vexal", fs::perms::owner_all);
    }

    Editor& arrancar(const std::string& datos = kTresLineas) {
        i_.escribir("Forms/1832/76543210.Rut", datos);
        e_.emplace(i_.install, port_, pantalla_);
        e_->iniciar = [this](const std::vector<std::string>& argv) {
            iniciados_.push_back(argv);
            datos_al_iniciar_ = archivo("Forms/1832/76543210.Rut");
            return true;
        };
        EXPECT_TRUE(e_->Main());
        EXPECT_TRUE(port_.calls.empty()) << port_.calls[0].text;
        return *e_;
    }

    // Validates with an error file of these entries.
    void validar(const std::string& errores) {
        validador(errores);
        e_->cmdValidar_Click();
    }

    std::string archivo(const char* rel) const { return read_file(i_.install / rel); }

    Instalacion i_;
    testsupport::ScriptedPort port_;
    PantallaGrabada pantalla_;
    std::vector<std::vector<std::string>> iniciados_;
    std::string datos_al_iniciar_;
    std::optional<Editor> e_;
};

TEST_F(Validacion, TheValidationFileHoldsTheWindowsInOrderAndComesBackInDisplayFormat) {
    Editor& e = arrancar();
    e.enfocar({Campo::Totales, 1});
    e.Change({Campo::Totales, 1}, "4200000");  // typed, in edit format
    e.encabezado.txtCorreo.texto = "  otro@ejemplo.cl ";
    pantalla_.habilitados.clear();
    e.cmdValidar_Click();

    // Empty values (the fax, the empty cell ITEM14) are not written.
    EXPECT_EQ(archivo("Forms/Temp/Temporal.txt"),
              "RUT=76543210&DV=K&RAZ=FUNDACI\xD3N EJEMPLO&FOLIO=8076503&"
              "DOM=AV. SIEMPRE VIVA 742&DIR=otro@ejemplo.cl&TEL=022223333&ORI=NO&REC=SI&"
              "RUTANT=7654321&DVANT=6&FOLANT=8076502&COMUNA=\xD1U\xD1OA&FORMDJ=1832&" +
                  kItemsGuardados +
                  "MAX_ELEMENTOS=21&MAX_COLS=7&MAX_ROWS=3&TOT1=4200000&TOT2=3&"
                  "RUTREP=12345678&DVREP=5&");
    EXPECT_EQ(e.totales.Cajas[1].texto, "4.200.000");
    EXPECT_EQ(e.totales.Cajas[2].texto, "3");
    EXPECT_EQ(e.encabezado.txtCorreo.texto, "otro@ejemplo.cl");
    EXPECT_EQ(e.encabezado.txtRutRepresentanteLegal.texto, "12.345.678");
    EXPECT_EQ(e.encabezado.txtOriginal.texto, "");
    // Frame and bar disabled for the run and enabled again; normal pointer.
    EXPECT_EQ(pantalla_.habilitados, (std::vector<bool>{false, true}));
    EXPECT_TRUE(e.MDIFormDJ_habilitado);
    EXPECT_FALSE(pantalla_.puntero_ocupado);
    EXPECT_EQ(e.errores.List1, std::vector<std::string>{platform::utf8_to_cp1252(kSinErrores)});

    // What the validator leaves in the file is what the windows show; the
    // header's RUT and the comuna keep what they showed.
    validador(std::nullopt,
              "printf 'RAZ=OTRO NOMBRE&TOT1=77&ORI=SI&' > \"$d/Forms/Temp/Temporal.txt\"\n");
    e.cmdValidar_Click();
    EXPECT_EQ(e.encabezado.txtNombreDeclarante.texto, "OTRO NOMBRE");
    EXPECT_EQ(e.totales.Cajas[1].texto, "77");
    EXPECT_EQ(e.totales.Cajas[2].texto, "");
    EXPECT_EQ(e.encabezado.txtDireccion.texto, "");
    EXPECT_EQ(e.encabezado.txtOriginal.texto, "X");
    EXPECT_EQ(e.encabezado.txtRutDeclarante.texto, "76.543.210");
    EXPECT_EQ(e.encabezado.texto_comuna(), "\xD1U\xD1OA");
}

TEST_F(Validacion, ErrorListLinesMarksAndClicksOnGridLines) {
    Editor& e = arrancar(lineas(14));
    const std::string largo(130, 'x');
    validar(
        "H012a=Falta la raz\xF3n social&"
        "H018:7=Monto en L\xEDnea 12, columna 4&"
        "H016=Dato en L\xEDnea 2, columna 1&"
        "I010=" +
        largo + "&");
    EXPECT_EQ(e.errores.List1, (std::vector<std::string>{
                                   " H012a  Falta la raz\xF3n social",
                                   " H018   Monto en L\xEDnea 12, columna 4",
                                   " H016   Dato en L\xEDnea 2, columna 1",
                                   " I010   " + std::string(120, 'x'),
                               }));
    EXPECT_EQ(e.errores.CodigosError,
              (std::vector<std::string>{"H012a", "H018", "H016", "I010", ""}));
    EXPECT_EQ(e.encabezado.txtNombreDeclarante.fondo, color::verde);
    // Record 12 is marked; a code of 16 marks nothing.
    ASSERT_GT(e.informados.MarcasLinea.size(), 12u);
    EXPECT_EQ(e.informados.MarcasLinea[12], 1);
    EXPECT_EQ(e.informados.MarcasLinea[2], 0);
    EXPECT_EQ(e.informados.PRIMERA_ROWS, 1);
    EXPECT_EQ(e.informados.Cajas[1].fondo, color::blanco);

    // A click on the H018 row shows record 12 first, marked.
    e.List1_Click(1);
    EXPECT_EQ(e.informados.PRIMERA_ROWS, 12);
    EXPECT_EQ(e.informados.TXTINDICE, (std::array<std::string, 3>{"12", "13", "14"}));
    EXPECT_EQ(e.informados.Cajas[1].texto, "10.000.012");
    EXPECT_EQ(e.informados.Cajas[1].fondo, color::amarillo);
    EXPECT_EQ(e.informados.Cajas[7].fondo, color::blanco);
    // The code of 16 pages nowhere.
    e.List1_Click(2);
    EXPECT_EQ(e.informados.PRIMERA_ROWS, 12);

    // The next validation starts the marks afresh and shows line 1 first.
    validar("");
    EXPECT_EQ(e.informados.PRIMERA_ROWS, 1);
    EXPECT_EQ(e.informados.MarcasLinea[12], 0);
}

// The colour of every field the colour rule reaches, in a fixed order.
std::vector<Color> colores(const Editor& e) {
    const Encabezado& h = e.encabezado;
    return {h.txtRutDeclarante.fondo,
            h.txtDvDeclarante.fondo,
            h.txtNombreDeclarante.fondo,
            h.txtDireccion.fondo,
            h.txtCorreo.fondo,
            h.txtTelefono.fondo,
            h.txtFax.fondo,
            h.txtOriginal.fondo,
            h.txtRutAnterior.fondo,
            h.txtDvAnterior.fondo,
            h.txtFolioAnterior.fondo,
            h.cmbComuna_fondo,
            e.totales.Cajas[1].fondo,
            e.totales.Cajas[2].fondo,
            h.txtRutRepresentanteLegal.fondo,
            h.txtDvRepresentanteLegal.fondo};
}
enum Indice {
    rut,
    dv,
    nombre,
    dom,
    correo,
    tel,
    fax,
    ori,
    rutant,
    dvant,
    folant,
    comuna,
    tot1,
    tot2,
    rutrep,
    dvrep
};

TEST_F(Validacion, EachCodeColoursItsFieldsUntilTheNextValidation) {
    Editor& e = arrancar();
    const std::vector<Color> base = colores(e);
    EXPECT_EQ(base[ori], color::gris_claro);
    EXPECT_EQ(base[nombre], color::blanco);
    struct Caso {
        const char* codigo;
        std::vector<int> campos;
        Color color;
    };
    const Color Y = color::amarillo, G = color::verde;
    for (const Caso& c : std::vector<Caso>{
             {"H012a", {nombre}, G},
             {"H012b", {dom}, G},
             {"H012c", {correo}, G},
             {"H012d", {correo}, Y},
             {"H012e", {tel}, Y},
             {"H012f", {tel}, G},
             {"H014a", {rut, dv}, G},
             {"H014b", {rut, dv}, Y},
             {"H015", {rut, dv}, Y},
             {"H016a", {ori}, Y},
             {"H016b", {rutant, dvant}, Y},
             {"H016c", {rutant, dvant}, Y},
             {"H020a", {tot1}, Y},
             {"H030", {tot1}, Y},
             {"H031", {tot1}, Y},
             {"H020c", {tot2}, Y},
             {"H020b", {}, 0},
             {"H029", {}, 0},
             {"I002", {rutrep, dvrep}, Y},
             {"I003", {comuna}, G},
             {"I004", {folant}, Y},
             {"I009", {}, 0},
         }) {
        SCOPED_TRACE(c.codigo);
        validar(std::string(c.codigo) + ":1=Mensaje&");
        std::vector<Color> esperado = base;
        for (int i : c.campos) esperado[i] = c.color;
        EXPECT_EQ(colores(e), esperado);
        EXPECT_EQ(e.errores.CodigosError[0], c.codigo);
    }
}

TEST_F(Validacion, AClickOnARowMovesTheFocusAndScrolls) {
    Editor& e = arrancar();
    const Foco antes{Campo::txtDvRepresentanteLegal};
    struct Caso {
        const char* codigo;
        Foco foco;
        std::vector<int> teclas;
    };
    const int I = tecla::inicio, F = tecla::fin, D = tecla::derecha;
    for (const Caso& c : std::vector<Caso>{
             {"H014a", {Campo::txtRutDeclarante}, {I}},
             {"H014b", {Campo::txtRutDeclarante}, {I}},
             {"H015", {Campo::txtRutDeclarante}, {I}},
             {"H012a", {Campo::txtNombreDeclarante}, {I}},
             {"H012b", {Campo::txtDireccion}, {I}},
             {"H012c", {Campo::txtCorreo}, {I}},
             {"H012d", {Campo::txtCorreo}, {I}},
             {"H012e", {Campo::txtTelefono}, {I}},
             {"H012f", {Campo::txtTelefono}, {I}},
             {"I006", {Campo::txtTelefono}, {I}},
             {"I007", {Campo::txtFax}, {I}},
             {"H016b", antes, {I, D, D, D, D, D, D, D, D, D, D}},
             {"H020a", {Campo::Totales, 1}, {F}},
             {"H020c", {Campo::Totales, 2}, {F}},
             {"H021", {Campo::Totales, 2}, {F}},
             {"I002", {Campo::txtRutRepresentanteLegal}, {F}},
             {"H020b", antes, {}},
             {"I009", antes, {}},
         }) {
        SCOPED_TRACE(c.codigo);
        validar(std::string(c.codigo) + ":2=Mensaje&");
        e.enfocar(antes);
        pantalla_.desplazamientos.clear();
        e.List1_Click(0);
        EXPECT_EQ(e.foco, c.foco);
        EXPECT_EQ(pantalla_.desplazamientos, c.teclas);
    }

    // With no entries the list holds the one line, and its click does nothing.
    validar("");
    EXPECT_EQ(e.errores.List1, std::vector<std::string>{platform::utf8_to_cp1252(kSinErrores)});
    e.enfocar(antes);
    pantalla_.desplazamientos.clear();
    e.List1_Click(0);
    EXPECT_EQ(e.foco, antes);
    EXPECT_TRUE(pantalla_.desplazamientos.empty());
}

TEST_F(Validacion, AMissingValidatorIsReportedAndASlowOneKeepsTheWindowsPainted) {
    Editor& e = arrancar();
    // Missing: the user is told that nothing was checked.
    fs::remove(i_.install / "Vexal");
    e.cmdValidar_Click();
    ASSERT_EQ(port_.messages().size(), 1u);
    EXPECT_NE(port_.messages()[0].text.find("Vexal"), std::string::npos);
    EXPECT_EQ(port_.messages()[0].icon, platform::Icon::critical);
    EXPECT_EQ(e.errores.List1, std::vector<std::string>{platform::utf8_to_cp1252(kSinErrores)});
    EXPECT_TRUE(e.MDIFormDJ_habilitado);
    EXPECT_EQ(e.encabezado.txtNombreDeclarante.texto, "FUNDACI\xD3N EJEMPLO");

    // A validator that writes nothing leaves the earlier run's list.
    validar("H012a=Falta&");
    validador(std::nullopt);
    e.cmdValidar_Click();
    EXPECT_EQ(e.errores.List1, std::vector<std::string>{" H012a  Falta"});

    // While a validator runs the windows' events keep running.
    validador(std::nullopt, "sleep 0.3\n");
    const int eventos = pantalla_.eventos_corridos;
    e.cmdValidar_Click();
    EXPECT_GT(pantalla_.eventos_corridos - eventos, 20);

    // A validation file that cannot be written: the user is told, and the
    // fields keep what they show rather than an older file's values.
    fs::remove(i_.install / "Forms/Temp/Temporal.txt");
    fs::create_directory(i_.install / "Forms/Temp/Temporal.txt");
    e.encabezado.txtNombreDeclarante.texto = "NOMBRE NUEVO";
    port_.calls.clear();
    e.cmdValidar_Click();
    ASSERT_EQ(port_.messages().size(), 1u);
    EXPECT_NE(port_.messages()[0].text.find("Temporal.txt"), std::string::npos);
    EXPECT_EQ(e.encabezado.txtNombreDeclarante.texto, "NOMBRE NUEVO");
    EXPECT_EQ(e.totales.Cajas[1].texto, "3.500.000");
    EXPECT_TRUE(e.MDIFormDJ_habilitado);
}

TEST_F(Validacion, SavingWritesTheDataFileTheRegistryAndAdvancesTheSequence) {
    Editor& e = arrancar();
    e.encabezado.txtFax.texto = "02345678";  // typed with a leading zero
    ASSERT_TRUE(e.Grabar());
    EXPECT_TRUE(port_.calls.empty()) << port_.calls[0].text;

    const std::string datos = archivo("Forms/1832/76543210.Rut");
    const std::regex forma(
        "RUT=76543210&DV=K&RAZ=FUNDACI\xD3N EJEMPLO&FOLIO=8076503&DOM=AV\\. SIEMPRE VIVA 742&"
        "DIR=contacto@ejemplo\\.cl&TEL=022223333&FAX=02345678&ORI=NO&RUTANT=7654321&DVANT=6&"
        "FOLANT=8076502&COMUNA=\xD1U\xD1OA&FORMDJ=1832&ENVIOWEB=NO&MAX_ELEMENTOS=21&MAX_COLS=7&"
        "MAX_ROWS=3&TOT1=3500000&TOT2=3&RUTREP=12345678&DVREP=5&"
        "ULT_EDI=([0-9]{8} [0-9]{2}:[0-9]{2}:[0-9]{2})&ULT_VAL=\\1&(.*)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(datos, m, forma)) << datos;
    EXPECT_EQ(m[2].str(), kItemsGuardados);
    // The registry keeps its other keys; fax and telephone lose the zero.
    EXPECT_EQ(archivo("registro/76543210.Rut"),
              "AT=2014&RUT=76543210&DV=K&RAZ=FUNDACI\xD3N EJEMPLO&DOM=AV. SIEMPRE VIVA 742&"
              "COMUNA=\xD1U\xD1OA&DIR=contacto@ejemplo.cl&FAX=2345678&TEL=22223333&");
    EXPECT_EQ(archivo("Forms/1832/76543210.seq"), "04\r\n");
    ASSERT_TRUE(e.Grabar());
    EXPECT_EQ(archivo("Forms/1832/76543210.seq"), "05\r\n");
    EXPECT_EQ(e.encabezado.secuencia, "05");
    EXPECT_FALSE(fs::exists(i_.install / "Forms/1832/76543210.seq.nuevo"));

    // A new start shows the saved lines, the empty cell empty.
    e_.reset();
    Editor& otra = arrancar(archivo("Forms/1832/76543210.Rut"));
    EXPECT_EQ(otra.informados.FILAS_DE_DATOS(), 3);
    EXPECT_EQ(otra.informados.Cajas[7].texto, "22.222.222");
    EXPECT_EQ(otra.informados.Cajas[12].texto, "");
    EXPECT_EQ(otra.encabezado.txtFax.texto, "2345678");  // from the registry
}

TEST_F(Validacion, AFailedSaveNamesTheFileAndLeavesTheOthersWhole) {
    Editor& e = arrancar();
    const fs::path datos = i_.install / "Forms/1832/76543210.Rut";
    const fs::path registro = i_.install / "registro/76543210.Rut";
    const std::string registro_antes = archivo("registro/76543210.Rut");

    // The data file cannot be replaced: nothing else is written.
    fs::remove(datos);
    fs::create_directory(datos);
    EXPECT_FALSE(e.Grabar());
    ASSERT_EQ(port_.messages().size(), 1u);
    EXPECT_NE(port_.messages()[0].text.find(datos.string()), std::string::npos)
        << port_.messages()[0].text;
    EXPECT_EQ(archivo("registro/76543210.Rut"), registro_antes);
    EXPECT_FALSE(fs::exists(i_.install / "Forms/1832/76543210.seq"));

    // "&Menú" answered Yes with a save that fails keeps the editor open.
    port_.calls.clear();
    port_.answers = {platform::Answer::yes};
    e.Salir_Click();
    EXPECT_FALSE(e.terminado);
    EXPECT_TRUE(iniciados_.empty());

    // The registry cannot be replaced: the data file is whole and new, the
    // sequence stays.
    fs::remove(datos);
    fs::remove(registro);
    fs::create_directory(registro);
    port_.calls.clear();
    EXPECT_FALSE(e.Grabar());
    ASSERT_EQ(port_.messages().size(), 1u);
    EXPECT_NE(port_.messages()[0].text.find(registro.string()), std::string::npos)
        << port_.messages()[0].text;
    EXPECT_NE(archivo("Forms/1832/76543210.Rut").find("ULT_VAL="), std::string::npos);
    EXPECT_FALSE(fs::exists(i_.install / "Forms/1832/76543210.seq"));

    // The sequence file cannot be replaced: it keeps its old line, and so
    // does the editor.
    fs::remove(registro);
    i_.escribir("registro/76543210.Rut", registro_antes);
    i_.escribir("Forms/1832/76543210.seq", "03\r\n");
    fs::create_directory(i_.install / "Forms/1832/76543210.seq.nuevo");
    port_.calls.clear();
    EXPECT_FALSE(e.Grabar());
    ASSERT_EQ(port_.messages().size(), 1u);
    EXPECT_NE(port_.messages()[0].text.find("76543210.seq"), std::string::npos)
        << port_.messages()[0].text;
    EXPECT_EQ(archivo("Forms/1832/76543210.seq"), "03\r\n");
    EXPECT_EQ(e.encabezado.secuencia, "03");
    EXPECT_FALSE(pantalla_.puntero_ocupado);
}

TEST_F(Validacion, MenuAnsweredYesSavesBeforeTheMenuStarts) {
    Editor& e = arrancar();
    port_.answers = {platform::Answer::yes};
    e.Salir_Click();
    EXPECT_TRUE(e.terminado);
    ASSERT_EQ(iniciados_.size(), 1u);
    EXPECT_NE(datos_al_iniciar_.find("ULT_EDI="), std::string::npos);
    EXPECT_EQ(archivo("Forms/1832/76543210.seq"), "04\r\n");
}

TEST_F(Validacion, ClearingEmptiesTheGridAndKeepsTheRestAndTheDataFile) {
    Editor& e = arrancar(lineas(10));
    ASSERT_EQ(e.informados.FILAS_DE_DATOS(), 10);
    const std::string datos = archivo("Forms/1832/76543210.Rut");
    const std::string nombre = e.encabezado.txtNombreDeclarante.texto;
    const std::string tot1 = e.totales.Cajas[1].texto;
    pantalla_.habilitados.clear();
    e.cmdLimpiar_Click();
    EXPECT_EQ(pantalla_.habilitados.size(), 4u);  // two validations
    EXPECT_EQ(e.informados.FILAS_DE_DATOS(), 0);
    for (int c = 1; c <= 18; ++c) EXPECT_EQ(e.informados.Cajas[c].texto, "") << c;
    EXPECT_EQ(e.encabezado.txtNombreDeclarante.texto, nombre);
    EXPECT_EQ(e.encabezado.txtDireccion.texto, "AV. SIEMPRE VIVA 742");
    EXPECT_EQ(e.totales.Cajas[1].texto, tot1);
    EXPECT_EQ(tot1, "5.000");
    EXPECT_EQ(archivo("Forms/1832/76543210.Rut"), datos);
    EXPECT_TRUE(port_.calls.empty()) << port_.calls[0].text;
}

}  // namespace
}  // namespace pelmo
