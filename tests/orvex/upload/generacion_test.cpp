#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "instalacion.hpp"
#include "orvex/catalogo.hpp"
#include "orvex/generacion.hpp"

namespace orvex {
namespace {

using prueba::Instalacion;
using testsupport::read_file;
namespace fs = std::filesystem;

const std::string k20(20, '0');

// A declaration as the accounting software writes it: mixed line ends and a
// last line without one; the build writes every line with CR LF.
constexpr std::string_view kDeclaracion =
    "1201818798023401O12345678K\r\n"
    "2M8023401O12345678K00000001\n"
    "2M8023401O12345678K00000002\r\n"
    "31M8023401 12345678K";
constexpr std::string_view kCopia =
    "1201818798023401O12345678K\r\n"
    "2M8023401O12345678K00000001\r\n"
    "2M8023401O12345678K00000002\r\n"
    "31M8023401 12345678K\r\n";

EstadoRevision estado_de(const fs::path& archivo, std::string form = "1879",
                         std::string periodo = "2018", std::string rut = "12345678") {
    EstadoRevision e;
    e.formulario = form;
    e.ano_combo = periodo.substr(0, 4);
    e.periodo = periodo;
    e.mensual = listas::mensual(form);
    e.tabla[1].largo = 100;
    e.declarante.folio = "8023401";
    e.declarante.tipo_declaracion = "O";
    e.declarante.rut = rut;
    e.declarante.dv = "K";
    e.lineas_registro0 = 3;  // record 0, the type-1 line, the type-3 line
    e.cantidad_tipo2 = 2;
    e.archivo = archivo;
    return e;
}

// The stamp library built with the project, bound from its own folder only.
struct Biblioteca {
    fs::path carpeta = prueba::carpeta_biblioteca();
    Sellador sellador{{carpeta}, false};
};

Sellador sin_biblioteca() {
    return Sellador({}, false);
}

// The stand-in library that answers whatever ORVEX_SELLO_FALSO says.
class SelloFalso {
  public:
    explicit SelloFalso(const char* resultado) { ::setenv("ORVEX_SELLO_FALSO", resultado, 1); }
    ~SelloFalso() { ::unsetenv("ORVEX_SELLO_FALSO"); }
    Sellador sellador{{ORVEX_SELLO_FALSO_DIR}, false};
};

std::vector<std::string> lineas_de(const std::string& texto) {
    std::vector<std::string> out;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        std::size_t fin = texto.find("\r\n", inicio);
        out.push_back(texto.substr(inicio, fin - inicio));
        inicio = fin + 2;
    }
    return out;
}

#define REQUIRE_LIBRARY_AND_7Z(inst)                                                      \
    if (prueba::carpeta_biblioteca().empty()) GTEST_SKIP() << "libsigmar32.so not built"; \
    if (!(inst).con_7z()) GTEST_SKIP() << "no 7-Zip program on this machine"

// --- The whole build --------------------------------------------------------

TEST(GeneracionArchivo, CleanDeclarationIsWrittenStampedAndPacked) {
    Instalacion inst;
    REQUIRE_LIBRARY_AND_7Z(inst);
    // A leading type-0 line of the declarant's is left out; the RUT has blanks around it.
    const fs::path decl =
        inst.escribir("decl.txt", "0000018791234\r\n" + std::string(kDeclaracion));
    EstadoRevision estado = estado_de(decl, "1879", "2018", " 12345678 ");
    estado.registro0 = true;
    Biblioteca lib;

    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado, lib.sellador),
              FinGeneracion::empaquetado);

    const fs::path subida = inst.gen() / "Respal" / "12345678.879";
    const fs::path zip = inst.gen() / "zip" / "12345678.zip";
    const auto msgs = inst.mensajes();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].title, "Archivo sin Errores");
    EXPECT_EQ(msgs[0].text, ".. Presione el Botón Aceptar para generar el Archivo Internet");
    EXPECT_EQ(msgs[0].icon, platform::Icon::none);
    EXPECT_EQ(msgs[1].title, "Generador de Archivo");
    EXPECT_EQ(msgs[1].text,
              "Se ha Generado el archivo Internet para el Formulario 1879, "
              "registrado en: " +
                  zip.string());

    // Record 0 with the control number in its field, then the lines unchanged.
    const std::string contenido = read_file(subida);
    const std::string r0 = Registro_Cero(estado);
    ASSERT_EQ(contenido.size(), r0.size() + 2 + kCopia.size());
    EXPECT_EQ(contenido.substr(0, 31), r0.substr(0, 31));
    EXPECT_NE(contenido.substr(31, 20), k20);
    EXPECT_EQ(contenido.substr(41, 10), std::string(10, '0'));
    EXPECT_EQ(contenido.substr(51, r0.size() - 51), r0.substr(51));
    EXPECT_EQ(contenido.substr(r0.size()), "\r\n" + std::string(kCopia));

    // The number covers the file as finally written: stamping the unstamped
    // bytes again gives the same file.
    std::string sin_sello = contenido;
    sin_sello.replace(31, 20, k20);
    const fs::path otra = inst.escribir("otra/12345678.879", sin_sello);
    ASSERT_EQ(lib.sellador.sellar(otra), 0);
    EXPECT_EQ(read_file(otra), contenido);

    // The archive holds the upload file; the history has its line.
    const fs::path extraido = inst.raiz() / "extraido";
    ASSERT_TRUE(prueba::extraer(zip, extraido));
    EXPECT_EQ(prueba::nombres_en(extraido), std::vector<std::string>{"12345678.879"});
    EXPECT_EQ(read_file(extraido / "12345678.879"), contenido);
    EXPECT_EQ(read_file(inst.install() / "histzip.txt"),
              inst.install().string() + "/7z a " + zip.string() + " " + subida.string() + "\r\n");
}

TEST(GeneracionArchivo, EveryLineEndsInCrLf) {
    const std::size_t mib = std::size_t{1} << 20;  // lines that straddle a read block
    struct Caso {
        const char* nombre;
        std::string entrada, copia;
        bool registro0 = false;
    };
    const Caso casos[] = {
        {"MixedEnds", "a\nb\r\nc", "a\r\nb\r\nc\r\n"},
        {"CrInsideALine", "a\rb\n", "a\rb\r\n"},
        {"LastLineEndsInCr", "a\r", "a\r\n"},
        {"EmptyLines", "\n\r\n\n", "\r\n\r\n\r\n"},
        {"LeadingRecordZeroLeftOut", "0000018791\r\nb\n", "b\r\n", true},
        {"CrAndLfInTwoBlocks", std::string(mib - 1, 'x') + "\r\ny\n",
         std::string(mib - 1, 'x') + "\r\ny\r\n"},
        {"BareLfStartsABlock", std::string(mib, 'x') + "\ny", std::string(mib, 'x') + "\r\ny\r\n"},
        {"LongRecordZeroLeftOut", "0" + std::string(mib + 5, '0') + "\nz", "z\r\n", true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Instalacion inst;
        const fs::path decl = inst.escribir("decl.txt", c.entrada);
        EstadoRevision estado = estado_de(decl);
        estado.registro0 = c.registro0;
        SelloFalso falso("0");  // stamped (unchanged), then the packing fails: no 7-Zip

        Generar_Archivo_Internet(inst.entorno(), estado, falso.sellador);
        EXPECT_EQ(read_file(inst.gen() / "Respal" / "12345678.879"),
                  Registro_Cero(estado) + "\r\n" + c.copia);
    }
}

TEST(GeneracionArchivo, RunsAgainReplaceTheFileAndTheArchive) {
    Instalacion inst;
    REQUIRE_LIBRARY_AND_7Z(inst);
    const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
    Biblioteca lib;
    const fs::path subida = inst.gen() / "Respal" / "12345678.879";
    const fs::path zip = inst.gen() / "zip" / "12345678.zip";

    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl), lib.sellador),
              FinGeneracion::empaquetado);
    const std::string primera = read_file(subida);
    // The same declaration again: written anew with its zeros, stamped anew,
    // not "Posiblemente ya se proceso".
    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl), lib.sellador),
              FinGeneracion::empaquetado);
    EXPECT_EQ(read_file(subida), primera);

    // Another form for the same RUT replaces the archive.
    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl, "1887"), lib.sellador),
              FinGeneracion::empaquetado);
    const fs::path extraido = inst.raiz() / "extraido";
    ASSERT_TRUE(prueba::extraer(zip, extraido));
    EXPECT_EQ(prueba::nombres_en(extraido), std::vector<std::string>{"12345678.887"});
    const auto historial = lineas_de(read_file(inst.install() / "histzip.txt"));
    ASSERT_EQ(historial.size(), 3u);
    EXPECT_NE(historial[2].find("12345678.887"), std::string::npos);
}

TEST(GeneracionArchivo, InstallFolderWithBlanksIsStampedAndPacked) {
    // The library cuts names at a blank and 7-Zip gets its arguments unsplit.
    Instalacion inst("Mis Archivos/Orvex 18");
    REQUIRE_LIBRARY_AND_7Z(inst);
    const fs::path decl = inst.escribir("Mis Archivos/la declaracion.txt", kDeclaracion);
    Biblioteca lib;

    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl), lib.sellador),
              FinGeneracion::empaquetado);
    const std::string contenido = read_file(inst.gen() / "Respal" / "12345678.879");
    EXPECT_NE(contenido.substr(31, 20), k20);
    const fs::path extraido = inst.raiz() / "extraido";
    ASSERT_TRUE(prueba::extraer(inst.gen() / "zip" / "12345678.zip", extraido));
    EXPECT_EQ(read_file(extraido / "12345678.879"), contenido);
}

TEST(GeneracionArchivo, TenDigitFormIsPackedUnstampedWithoutTheLibrary) {
    Instalacion inst;
    if (!inst.con_7z()) GTEST_SKIP() << "no 7-Zip program on this machine";
    const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
    Sellador ninguno = sin_biblioteca();

    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl, "1900"), ninguno),
              FinGeneracion::empaquetado);
    const std::string contenido = read_file(inst.gen() / "Respal" / "12345678.900");
    EXPECT_EQ(contenido.substr(28, 26), "800000" + k20);
    EXPECT_TRUE(fs::exists(inst.gen() / "zip" / "12345678.zip"));
}

TEST(GeneracionArchivo, MissingLibraryStopsBeforeTheArchive) {
    Instalacion inst;
    inst.con_7z();
    const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
    Sellador ninguno = sin_biblioteca();

    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl), ninguno),
              FinGeneracion::fallo_sello);
    const fs::path subida = inst.gen() / "Respal" / "12345678.879";
    const auto msgs = inst.mensajes();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[1].text, "Archivo " + subida.string() +
                                " no tiene 20 ceros a partir de la posicion 32. Posiblemente ya "
                                "se proceso");
    EXPECT_EQ(msgs[1].title, prueba::kTitulo);
    EXPECT_EQ(msgs[1].icon, platform::Icon::critical);
    EXPECT_TRUE(fs::is_empty(inst.gen() / "Respal"));  // no unstamped file to be sent
    EXPECT_TRUE(fs::is_empty(inst.gen() / "zip"));
    EXPECT_FALSE(fs::exists(inst.install() / "histzip.txt"));
}

TEST(GeneracionArchivo, StampResultsAreShown) {
    struct Caso {
        const char* resultado;
        std::string texto;  // "@" stands for the upload file's path
    };
    const Caso casos[] = {
        {"1", "Archivo @ no tiene 20 ceros a partir de la posicion 32. Posiblemente ya se proceso"},
        {"2", "Archivo @ no existe"},
        {"5", "Archivo @ es solo de lectura. No se puede alterar"},
        {"3", "Error  3"},
        {"1000", "Error  1000"},
        {"-7", "Error -7"},
        {"65538", "Archivo @ no existe"},  // only the low 16 bits count
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.resultado);
        Instalacion inst;
        const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
        SelloFalso falso(c.resultado);

        ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl), falso.sellador),
                  FinGeneracion::fallo_sello);
        std::string esperado = c.texto;
        if (auto at = esperado.find('@'); at != std::string::npos)
            esperado.replace(at, 1, (inst.gen() / "Respal" / "12345678.879").string());
        const auto msgs = inst.mensajes();
        ASSERT_EQ(msgs.size(), 2u);
        EXPECT_EQ(msgs[1].text, esperado);
        EXPECT_EQ(msgs[1].title, prueba::kTitulo);
        EXPECT_EQ(msgs[1].icon, platform::Icon::critical);
        EXPECT_TRUE(fs::is_empty(inst.gen() / "Respal"));
        EXPECT_TRUE(fs::is_empty(inst.gen() / "zip"));
    }
}

TEST(GeneracionArchivo, EmptyDeclarationLeavesRecordZeroOnly) {
    Instalacion inst;
    inst.con_7z();
    const fs::path decl = inst.escribir("decl.txt", "");
    SelloFalso falso("0");
    const EstadoRevision estado = estado_de(decl);

    ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado, falso.sellador),
              FinGeneracion::declaracion_vacia);
    const auto msgs = inst.mensajes();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[1].text, "Archivo NO Contiene DDJJ, Archivo vació");
    EXPECT_EQ(msgs[1].title, "Error en la estructura ");
    EXPECT_EQ(msgs[1].icon, platform::Icon::critical);
    EXPECT_EQ(read_file(inst.gen() / "Respal" / "12345678.879"), Registro_Cero(estado) + "\r\n");
    EXPECT_TRUE(fs::is_empty(inst.gen() / "zip"));
}

// --- Folders ----------------------------------------------------------------

TEST(GeneracionCarpetas, ExistingGenWithoutRespalGetsItBack) {
    Instalacion inst;
    // GEN_2018 is there with an archive folder spelled in capitals.
    fs::create_directories(inst.gen() / "ZIP");
    const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
    SelloFalso falso("0");

    Generar_Archivo_Internet(inst.entorno(), estado_de(decl), falso.sellador);
    EXPECT_EQ(prueba::nombres_en(inst.gen()), (std::vector<std::string>{"Respal", "ZIP"}));
    EXPECT_TRUE(fs::is_regular_file(inst.gen() / "Respal" / "12345678.879"));
}

TEST(GeneracionCarpetas, MonthlyFormUsesMonthFolders) {
    Instalacion inst;
    const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
    Sellador ninguno = sin_biblioteca();

    // 2807 is never stamped, so the missing 7-Zip is what ends this run.
    EXPECT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl, "2807", "201803"), ninguno),
              FinGeneracion::fallo_zip);
    EXPECT_EQ(prueba::nombres_en(inst.gen()), (std::vector<std::string>{"Respal", "zip"}));
    EXPECT_TRUE(fs::is_directory(inst.gen() / "zip" / "03"));
    const std::string contenido = read_file(inst.gen() / "Respal" / "03" / "12345678.807");
    EXPECT_EQ(contenido.substr(89, 6), "201803");
}

// --- Names that could leave GEN_2018, and files that cannot be written ------

TEST(GeneracionSegura, UnsafeNamesStopBeforeAnyFile) {
    struct Caso {
        std::string form, periodo, rut;
    };
    const Caso casos[] = {
        {"1879", "2018", ""},
        {"1879", "2018", "    "},
        {"1879", "2018", "../../etc"},
        {"1879", "2018", "12/345"},
        {"1879", "2018", "12\\345"},
        {"1879", "2018", "12..45"},
        {"1879", "2018", std::string("123") + '\x01' + "45"},
        {"1879", "2018", std::string("123") + '\0' + "45"},
        {"1879", "2018", "1234*"},
        {"1879", "2018", "12?45"},
        {"2807", "2018..", "12345678"},  // the month becomes a folder
        {"2807", "2018/x", "12345678"},
        // Only digits name files: no letters, inner blanks or 8-bit bytes.
        {"1879", "2018", "12A45678"},
        {"1879", "2018", "123 4567"},
        {"1879", "2018", "1234567\xD1"},
        {"1879", "2018", "-1234567"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.form + " " + c.periodo + " [" + c.rut + "]");
        Instalacion inst;
        const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
        SelloFalso falso("0");

        EXPECT_EQ(Generar_Archivo_Internet(
                      inst.entorno(), estado_de(decl, c.form, c.periodo, c.rut), falso.sellador),
                  FinGeneracion::rut_invalido);
        const auto msgs = inst.mensajes();
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].title, prueba::kTitulo);
        EXPECT_EQ(msgs[0].icon, platform::Icon::critical);
        EXPECT_EQ(msgs[0].text.rfind("No se puede generar el Archivo Internet", 0), 0u);
        EXPECT_EQ(prueba::nombres_en(inst.raiz()),
                  (std::vector<std::string>{"Orvex18", "decl.txt"}));
    }
}

TEST(GeneracionSegura, UploadFileThatCannotBeWrittenIsReported) {
    struct Caso {
        const char* nombre;
        void (*preparar)(const fs::path& gen);
        std::string error;
    };
    const Caso casos[] = {
        {"RespalIsAFile",
         [](const fs::path& gen) {
             fs::create_directories(gen / "zip");
             std::ofstream(gen / "Respal") << "x";
         },
         "76:No se ha encontrado la ruta de acceso"},
        {"UploadNameIsAFolder",
         [](const fs::path& gen) { fs::create_directories(gen / "Respal" / "12345678.879"); },
         "75:Error de acceso a la ruta o el archivo"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Instalacion inst;
        const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
        c.preparar(inst.gen());
        SelloFalso falso("0");

        EXPECT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl), falso.sellador),
                  FinGeneracion::fallo_archivo);
        const auto msgs = inst.mensajes();
        ASSERT_EQ(msgs.size(), 2u);
        EXPECT_EQ(msgs[1].text, "No se ha podido generar el Archivo Internet " +
                                    (inst.gen() / "Respal" / "12345678.879").string() + "\r" +
                                    c.error);
        EXPECT_EQ(msgs[1].icon, platform::Icon::critical);
        EXPECT_FALSE(fs::exists(inst.install() / "histzip.txt"));
        if (fs::is_directory(inst.gen() / "Respal")) {  // no temporary file is left behind
            EXPECT_EQ(prueba::nombres_en(inst.gen() / "Respal").size(),
                      fs::is_directory(inst.gen() / "Respal" / "12345678.879") ? 1u : 0u);
        }
    }
}

// Links and FIFOs planted at the upload file's or the archive's name are
// replaced, never followed or opened: the run neither writes through them nor hangs.
TEST(GeneracionSegura, PlantedEntriesAreReplacedNotFollowed) {
    struct Caso {
        const char* nombre;
        void (*plantar)(const fs::path& gen, const fs::path& victima);
    };
    const Caso casos[] = {
        {"LinkAtUploadFile",
         [](const fs::path& gen, const fs::path& v) {
             fs::create_symlink(v, gen / "Respal" / "12345678.879");
         }},
        {"FifoAtUploadFile",
         [](const fs::path& gen, const fs::path&) {
             ::mkfifo((gen / "Respal" / "12345678.879").c_str(), 0600);
         }},
        {"LinkAtArchive",
         [](const fs::path& gen, const fs::path& v) {
             fs::create_symlink(v, gen / "zip" / "12345678.zip");
         }},
        {"FifoAtArchive",
         [](const fs::path& gen, const fs::path&) {
             ::mkfifo((gen / "zip" / "12345678.zip").c_str(), 0600);
         }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Instalacion inst;
        REQUIRE_LIBRARY_AND_7Z(inst);
        const fs::path decl = inst.escribir("decl.txt", kDeclaracion);
        const fs::path victima = inst.escribir("victima.txt", "not to be touched");
        fs::create_directories(inst.gen() / "Respal");
        fs::create_directories(inst.gen() / "zip");
        c.plantar(inst.gen(), victima);
        Biblioteca lib;

        ASSERT_EQ(Generar_Archivo_Internet(inst.entorno(), estado_de(decl), lib.sellador),
                  FinGeneracion::empaquetado);
        EXPECT_EQ(read_file(victima), "not to be touched");
        const fs::path subida = inst.gen() / "Respal" / "12345678.879";
        const fs::path zip = inst.gen() / "zip" / "12345678.zip";
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(subida)));
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(zip)));
        EXPECT_EQ(prueba::nombres_en(inst.gen() / "Respal"),
                  std::vector<std::string>{"12345678.879"});
        EXPECT_EQ(prueba::nombres_en(inst.gen() / "zip"), std::vector<std::string>{"12345678.zip"});
        const fs::path extraido = inst.raiz() / "extraido";
        ASSERT_TRUE(prueba::extraer(zip, extraido));
        EXPECT_EQ(read_file(extraido / "12345678.879"), read_file(subida));
    }
}

// --- The stamp binding, with the library built by the project ---------------

class SelladorReal : public ::testing::Test {
  protected:
    void SetUp() override {
        if (lib_.carpeta.empty()) GTEST_SKIP() << "libsigmar32.so not built";
    }
    // An unstamped upload file: 20 zeros at bytes 31-50.
    fs::path subida(const std::string& rel) {
        return tmp_.write(rel, std::string(31, '1') + k20 + std::string(30, '2') + "\r\n2M\r\n");
    }
    testsupport::TempFolder tmp_;
    Biblioteca lib_;
};

TEST_F(SelladorReal, StampsOnceAndRefusesAStampedFile) {
    const fs::path f = subida("a.879");
    ASSERT_EQ(lib_.sellador.sellar(f), 0);
    const std::string sellado = read_file(f);
    EXPECT_NE(sellado.substr(31, 20), k20);
    EXPECT_EQ(sellado.substr(41, 10), std::string(10, '0'));

    EXPECT_EQ(lib_.sellador.sellar(f), 1);
    EXPECT_EQ(read_file(f), sellado);
}

TEST_F(SelladorReal, MissingAndReadOnlyFiles) {
    EXPECT_EQ(lib_.sellador.sellar(tmp_ / "no-esta.879"), 2);
    const fs::path f = subida("ro.879");
    ::chmod(f.c_str(), 0444);
    EXPECT_EQ(lib_.sellador.sellar(f), 5);
}

TEST_F(SelladorReal, PathsTheLibraryWouldCutAreStampedWhole) {
    const fs::path llano = subida("llano/a.879");
    ASSERT_EQ(lib_.sellador.sellar(llano), 0);

    // Same bytes behind a path with a blank, and behind one of over 151 characters.
    const fs::path con_blanco = subida("con blanco/a.879");
    const fs::path largo = subida(std::string(80, 'x') + "/" + std::string(80, 'y') + "/a.879");
    EXPECT_EQ(lib_.sellador.sellar(con_blanco), 0);
    EXPECT_EQ(lib_.sellador.sellar(largo), 0);
    EXPECT_EQ(read_file(con_blanco), read_file(llano));
    EXPECT_EQ(read_file(largo), read_file(llano));

    // A missing file behind a blank is missing; the file named by the part
    // before the blank is never touched.
    const fs::path senuelo = subida("otro");
    const std::string antes = read_file(senuelo);
    EXPECT_EQ(lib_.sellador.sellar(tmp_ / "otro vacio.879"), 2);
    EXPECT_EQ(read_file(senuelo), antes);
}

TEST(Sellador, LibraryThatCannotBeLoadedGivesOne) {
    testsupport::TempFolder tmp;
    const fs::path f = tmp.write("a.879", std::string(31, '0') + k20 + "MO\r\n");
    tmp.write("falsa/libsigmar32.so", "not a library");
    for (const fs::path& carpeta : {tmp / "vacia", tmp / "falsa"}) {
        Sellador s({carpeta}, false);
        EXPECT_FALSE(s.disponible());
        EXPECT_EQ(s.sellar(f), 1);
    }
    EXPECT_EQ(read_file(f), std::string(31, '0') + k20 + "MO\r\n");
}

TEST(Sellador, ProcessWideBinderFindsTheLibraryInTheInstallFolder) {
    const fs::path carpeta = prueba::carpeta_biblioteca();
    if (carpeta.empty()) GTEST_SKIP() << "libsigmar32.so not built";
    testsupport::TempFolder tmp;
    fs::create_directories(tmp / "Orvex18");
    fs::copy_file(carpeta / "libsigmar32.so", tmp / "Orvex18" / "libsigmar32.so");
    const fs::path f = tmp.write("a.879", std::string(31, '0') + k20 + std::string(20, '0'));
    EXPECT_EQ(Sellar(f, tmp / "Orvex18"), 0);
    EXPECT_NE(read_file(f).substr(31, 20), k20);
}

}  // namespace
}  // namespace orvex
