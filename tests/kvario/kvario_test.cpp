// The data-file component, driven as its clients drive it: created by its
// programmatic identifier and called by name through the typed wrapper.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../support/temp_folder.hpp"
#include "components/component.hpp"
#include "kvario/kvario.hpp"
#include "scripted_port.hpp"

namespace comp = components;
namespace fs = std::filesystem;
using kvario::Kvario;
using testsupport::read_file;
using Pares = std::vector<std::pair<std::string, std::string>>;

namespace {

// A file-size limit for this process while it lives: writes beyond it fail
// as they would on a full disk.
class LimiteDeArchivo {
  public:
    explicit LimiteDeArchivo(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &antes_);
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit r = antes_;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~LimiteDeArchivo() {
        ::setrlimit(RLIMIT_FSIZE, &antes_);
        ::signal(SIGXFSZ, SIG_DFL);
    }

  private:
    rlimit antes_{};
};

class KvarioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("ORVEX_COMPONENTS", (t_ / "components").c_str(), 1);
        auto r = comp::register_library(fs::path(std::getenv("ORVEX_BIN_DIR")) / "libKvario3.so");
        ASSERT_EQ(r.stage, comp::LibraryResult::Stage::done) << r.error.description;
        comp::set_message_port(&port_);
    }
    void TearDown() override {
        comp::set_message_port(nullptr);
        comp::set_event_pump({});
        ::unsetenv("ORVEX_COMPONENTS");
    }

    // The entries in list order, read through the key index.
    static Pares pares(Kvario& k) {
        Pares out;
        EXPECT_TRUE(k.Crear_indice_de_elementos());
        for (int i = 0; i < k.Cantidad_de_Elementos(); ++i)
            out.emplace_back(k.GETidx_Key(i), k.GETidx_Valor(i));
        return out;
    }

    // Reads a data file with the given bytes.
    Pares leer(const std::string& bytes, bool cabecera = false) {
        Kvario k;
        k.UbicacionArchivo2(t_.write("leido.txt", bytes));
        EXPECT_TRUE(cabecera ? k.LeerDatos_Header() : k.LeerDatos());
        return pares(k);
    }

    std::string texto(const fs::path& p) const { return kvario::texto_de_ruta(p); }

    // The names in a folder, sorted.
    static std::vector<std::string> nombres(const fs::path& carpeta) {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(carpeta))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }

    testsupport::TempFolder t_;
    testsupport::ScriptedPort port_;
};

}  // namespace

TEST_F(KvarioTest, ReplacingMovesTheEntryToItsEndAndKeysIgnoreCase) {
    Kvario k;
    k.ADD_Valor("RUT", "1");
    k.ADD_Valor("DV", "9");
    k.ADD_Valor("RUT", "2");
    EXPECT_EQ(pares(k), (Pares{{"DV", "9"}, {"RUT", "2"}}));
    EXPECT_EQ(k.Get_Valor("rut"), "2");

    // Replacing under another spelling keeps the new spelling.
    k.ADD_Valor("dv", "K");
    EXPECT_EQ(pares(k), (Pares{{"RUT", "2"}, {"dv", "K"}}));
    // Accented Windows-1252 letters fold too: "AÑO" and "año".
    k.ADD_Valor("A\xD1O", "2018");
    EXPECT_EQ(k.Get_Valor("a\xF1o"), "2018");
    k.DEL_Valor("A\xF1O");
    k.DEL_Valor("NADA");  // a missing key is no error
    EXPECT_EQ(k.Cantidad_de_Elementos(), 2);
    EXPECT_EQ(k.Get_Valor("NADA"), "");
    EXPECT_TRUE(port_.calls.empty());
}

// Many adds, header inserts, replacements and removals under keys of mixed
// letter case, with values large enough that removed entries pile up and the
// list rebuilds its storage: order and values always match a plain model.
TEST_F(KvarioTest, MatchesAPlainModelThroughManyChanges) {
    std::mt19937 rnd(7);
    auto plegar = [](std::string s) {
        for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    Pares modelo;
    auto quitar = [&](const std::string& k) {
        std::erase_if(modelo, [&](const auto& p) { return plegar(p.first) == plegar(k); });
    };
    Kvario k;
    for (int paso = 1; paso <= 6000; ++paso) {
        std::string clave = "k";
        clave += std::to_string(rnd() % 400);
        if (rnd() % 2) clave = plegar(clave);
        const std::string valor(rnd() % 3000, char('a' + rnd() % 26));
        switch (rnd() % 5) {
            case 0:
            case 1:
                k.ADD_Valor(clave, valor);
                quitar(clave);
                modelo.emplace_back(clave, valor);
                break;
            case 2:
                k.ADD_Valor_Header(clave, valor);
                quitar(clave);
                modelo.emplace(modelo.begin(), clave, valor);
                break;
            default:
                k.DEL_Valor(clave);
                quitar(clave);
        }
        if (paso % 500 == 0) {
            ASSERT_EQ(pares(k), modelo) << "step " << paso;
            for (const auto& [c, v] : modelo) ASSERT_EQ(k.Get_Valor(plegar(c)), v);
        }
    }
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(KvarioTest, HeaderInsertsGoToTheFrontInReverseOrderOfTheCalls) {
    Kvario k;
    k.ADD_Valor_Header("A", "1");
    k.ADD_Valor_Header("B", "2");
    EXPECT_EQ(pares(k), (Pares{{"B", "2"}, {"A", "1"}}));
    k.ADD_Valor("ITEM1", "x");
    k.ADD_Valor_Header("a", "3");  // replaced and moved to the front
    EXPECT_EQ(pares(k), (Pares{{"a", "3"}, {"B", "2"}, {"ITEM1", "x"}}));

    Kvario solo;  // replacing the only entry
    solo.ADD_Valor_Header("K", "1");
    solo.ADD_Valor_Header("k", "2");
    EXPECT_EQ(pares(solo), (Pares{{"k", "2"}}));
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(KvarioTest, SavesWriteEntriesAsHeldAndDropEmptyValues) {
    const fs::path datos = t_ / "datos.txt";
    Kvario k;
    k.UbicacionArchivo2(datos);
    k.ADD_Valor("RUT", "7");
    k.ADD_Valor("X", "");
    k.ADD_Valor("Blanco", "   ");
    k.ADD_Valor(" ", "v");  // a blank key is dropped too
    k.ADD_Valor("RAZ",
                " Pe\xF1"
                "a y Cia ");
    k.ADD_Valor("Ecuacion", "a=b");
    k.ADD_Valor("A&B", " ");  // dropped as blank, so its "&" does no harm
    EXPECT_EQ(k.Get_Valor("X"), "");
    EXPECT_EQ(k.Cantidad_de_Elementos(), 7);
    ASSERT_TRUE(k.EscribirDatos());
    EXPECT_EQ(read_file(datos),
              "RUT=7&RAZ= Pe\xF1"
              "a y Cia &Ecuacion=a=b&");

    ASSERT_TRUE(k.LeerDatos());
    EXPECT_EQ(pares(k), (Pares{{"RUT", "7"},
                               {"RAZ",
                                " Pe\xF1"
                                "a y Cia "},
                               {"Ecuacion", "a=b"}}));
    EXPECT_TRUE(port_.calls.empty());
}

// The format has no escaping: an entry that would not read back as it was
// (split by "&", filed under another key, its line breaks or NUL bytes lost)
// makes the whole save fail, naming the key, with no file touched. In memory
// such entries are held as given.
TEST_F(KvarioTest, EntriesTheFormatCannotHoldAreRefusedAndNothingIsWritten) {
    struct Case {
        std::string clave, valor, error;
    };
    const std::vector<Case> cases = {
        {"RAZ",
         "P\xC9REZ & C\xCD"
         "A.",
         "el valor de la clave \"RAZ\" contiene \"&\""},
        {"C1&MAX_ROWS", "1", "la clave \"C1&MAX_ROWS\" contiene \"&\""},
        {"A", "p&q=r", "el valor de la clave \"A\" contiene \"&\""},
        {"MAX=ROWS", "1", "la clave \"MAX=ROWS\" contiene \"=\""},
        {"DIR", "calle 1\r\nclave=x", "el valor de la clave \"DIR\" contiene un salto de l\xEDnea"},
        {"X\n", "1", "la clave \"X<LF>\" contiene un salto de l\xEDnea"},
        {"N", std::string("a\0b", 3),
         "el valor de la clave \"N\" contiene un car\xE1"
         "cter nulo"},
    };
    for (const std::string nombre : {"datos.txt", "datos.txp"}) {
        for (const Case& c : cases) {
            const fs::path datos = t_.write(nombre, "RUT=1&");
            Kvario k;
            k.UbicacionArchivo2(datos);
            k.ADD_Valor("RUT", "2");
            k.ADD_Valor(c.clave, c.valor);
            EXPECT_FALSE(k.EscribirDatos()) << c.error;
            EXPECT_EQ(k.MensajeError(), "Error al Escribir Datos: " + c.error);
            EXPECT_EQ(read_file(datos), "RUT=1&") << c.error;
            EXPECT_EQ(std::distance(fs::directory_iterator(t_.path()), fs::directory_iterator()),
                      3)  // the data file and the registration file with its lock
                << c.error;
            fs::remove(datos);
        }
    }
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(KvarioTest, SavingNothingFailsAndLeavesTheDataFileAlone) {
    const fs::path datos = t_.write("datos.txt", "RUT=1&");
    const std::string temporal = texto(datos).substr(0, texto(datos).size() - 1) + "p";

    Kvario vacio;
    vacio.UbicacionArchivo2(datos);
    EXPECT_FALSE(vacio.EscribirDatos());
    EXPECT_EQ(vacio.MensajeError(), "No se grabaron datos en el archivo:" + temporal);
    EXPECT_EQ(read_file(datos), "RUT=1&");
    EXPECT_FALSE(fs::exists(t_ / "datos.txp"));  // an empty list opens no file

    // Only blank values: the temporary file is truncated, the data file kept.
    t_.write("datos.txp", "viejo");
    Kvario blancos;
    blancos.UbicacionArchivo2(datos);
    blancos.ADD_Valor("A", " ");
    EXPECT_FALSE(blancos.EscribirDatos());
    EXPECT_EQ(blancos.MensajeError(), "No se grabaron datos en el archivo:" + temporal);
    EXPECT_EQ(read_file(datos), "RUT=1&");
    EXPECT_EQ(read_file(t_ / "datos.txp"), "");
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(KvarioTest, ReadersAcceptMoreThanTheWriterProduces) {
    struct Case {
        std::string bytes;
        Pares expected;
    };
    const std::vector<Case> cases = {
        {"A=1&B=x=y&C&D=4", {{"A", "1"}, {"B", "x=y"}, {"D", "4"}}},
        {"A=1&\r\nB=2&", {{"A", "1"}, {"B", "2"}}},
        {"RUT=7&DV=9&FORMDJ=1879&RAZ=X&AT=2018\r\n",
         {{"RUT", "7"}, {"DV", "9"}, {"FORMDJ", "1879"}, {"RAZ", "X"}, {"AT", "2018"}}},
        {"A=1\r\nB=2\r\n", {{"A", "1B=2"}}},
        {"K=1&K=2&k=3&", {{"K", "1"}}},
        {std::string("A=1\0&B=\n2\r&", 12), {{"A", "1"}, {"B", "2"}}},
        {"A=1&&&B=2&&", {{"A", "1"}, {"B", "2"}}},
        {"RAZ=Pe\xF1"
         "a \x80\x81\xFF&H012a:3=5&",
         {{"RAZ",
           "Pe\xF1"
           "a \x80\x81\xFF"},
          {"H012a:3", "5"}}},
        {"", {}},
        {"\r\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(leer(c.bytes), c.expected) << c.bytes;

    // A segment longer than the reader's buffer, and one that spans it.
    const std::string largo(3 << 20, 'v');
    EXPECT_EQ(leer("A=" + largo + "&B=1&"), (Pares{{"A", largo}, {"B", "1"}}));
    EXPECT_EQ(leer("A=" + largo + "\r\n" + largo), (Pares{{"A", largo + largo}}));
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(KvarioTest, HeaderReadStopsAtTheFirstItem) {
    struct Case {
        std::string bytes;
        Pares expected;
    };
    const std::vector<Case> cases = {
        {"RUT=1&ITEM1=5&ITEM2=7&", {{"RUT", "1"}}},
        {"RUT=1&item1=5&", {{"RUT", "1"}, {"item1", "5"}}},
        {"RUT=1&DV=2&ITEM1=", {{"RUT", "1"}, {"DV", "2"}, {"ITEM1", ""}}},  // last, without "&"
        {"RUT=1&ITEM1&DV=2&ITEM10=3&ITEM1=4&Z=1&", {{"RUT", "1"}, {"DV", "2"}, {"ITEM10", "3"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(leer(c.bytes, true), c.expected) << c.bytes;
}

TEST_F(KvarioTest, AFileThatIsNotThereReadsAsEmpty) {
    t_.write("carpeta/x", "");
    ASSERT_EQ(::mkfifo((t_ / "fifo").c_str(), 0600), 0);
    for (const fs::path& p : {t_ / "falta.txt", t_ / "no" / "hay.txt", t_ / "carpeta",
                              t_ / "carpeta" / "x" / "y", t_ / "fifo", fs::path("/dev/zero")}) {
        Kvario k;
        k.ADD_Valor("A", "1");
        k.UbicacionArchivo2(p);
        EXPECT_TRUE(k.LeerDatos()) << p;
        EXPECT_EQ(k.Cantidad_de_Elementos(), 0) << p;
        k.ADD_Valor("A", "1");
        EXPECT_TRUE(k.LeerDatos_Header()) << p;
        EXPECT_EQ(k.Cantidad_de_Elementos(), 0) << p;
    }
    EXPECT_TRUE(port_.calls.empty());
}

// A name is never hidden: a file whose name begins with "." reads like any
// other, so the next save does not overwrite it with less.
TEST_F(KvarioTest, ANameBeginningWithADotIsAnOrdinaryDataFile) {
    const fs::path datos = t_.write(".datos", "RUT=5&");
    Kvario k;
    k.UbicacionArchivo2(datos);
    ASSERT_TRUE(k.LeerDatos());
    EXPECT_EQ(k.Get_Valor("RUT"), "5");
    k.ADD_Valor("DV", "K");
    ASSERT_TRUE(k.EscribirDatos());

    Kvario otro;
    otro.UbicacionArchivo2(datos);
    ASSERT_TRUE(otro.LeerDatos_Header());
    EXPECT_EQ(pares(otro), (Pares{{"RUT", "5"}, {"DV", "K"}}));
}

TEST_F(KvarioTest, PathsAreFoundWithoutRegardToLetterCase) {
    t_.write("Forms/1832/DATOS.Rut", "RUT=5&");
    Kvario k;
    k.UbicacionArchivo2(t_ / "forms" / "1832" / "datos.rut");
    ASSERT_TRUE(k.LeerDatos());
    EXPECT_EQ(k.Get_Valor("RUT"), "5");
    k.ADD_Valor("DV", "K");
    ASSERT_TRUE(k.EscribirDatos());
    EXPECT_EQ(read_file(t_ / "Forms/1832/DATOS.Rut"), "RUT=5&DV=K&");
    EXPECT_FALSE(fs::exists(t_ / "forms"));
}

TEST_F(KvarioTest, KeyIndexIsASnapshotWithBounds) {
    Kvario k;
    EXPECT_EQ(k.GETidx_Key(0), "");  // no index built yet
    k.ADD_Valor("A", "1");
    k.ADD_Valor("B", "2");
    k.ADD_Valor("C", "3");
    ASSERT_TRUE(k.Crear_indice_de_elementos());
    EXPECT_EQ(k.GETidx_Key(2), "C");
    EXPECT_EQ(k.GETidx_Valor(2), "3");
    for (int i : {3, 4, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(k.GETidx_Key(i), "") << i;
        EXPECT_EQ(k.GETidx_Valor(i), "") << i;
    }
    k.ADD_Valor("D", "4");  // not reachable until rebuilt
    k.DEL_Valor("b");       // its slot now names nothing
    k.ADD_Valor("a", "9");  // moved to the end, still found by key
    EXPECT_EQ(k.GETidx_Key(3), "");
    EXPECT_EQ(k.GETidx_Key(1), "");
    EXPECT_EQ(k.GETidx_Key(0), "a");
    EXPECT_EQ(k.GETidx_Valor(0), "9");
    ASSERT_TRUE(k.Crear_indice_de_elementos());
    EXPECT_EQ(k.GETidx_Key(2), "a");

    // Through the late-bound object the index is a 32-bit integer by reference.
    comp::Variant i = "1";
    EXPECT_EQ(k.objeto().call("getidx_key", {comp::Arg::ref(i)}), comp::Variant("D"));
    EXPECT_EQ(i, comp::Variant(1));
}

TEST_F(KvarioTest, DefaultPathSavesThroughTheTemporaryFile) {
    fs::create_directories(t_ / "Forms" / "Temp");
    Kvario k;
    k.UbicacionArchivo(t_.path());
    k.ADD_Valor("ERR1", "mensaje");
    ASSERT_TRUE(k.EscribirDatos());
    EXPECT_EQ(read_file(t_ / "Forms/Temp/temporal.txt"), "ERR1=mensaje&");
    EXPECT_EQ(read_file(t_ / "Forms/Temp/temporal.txp"), "ERR1=mensaje&");

    Kvario otro;
    otro.UbicacionArchivo(texto(t_.path()));
    ASSERT_TRUE(otro.LeerDatos());
    EXPECT_EQ(otro.Get_Valor("err1"), "mensaje");
    // The full path, once set, wins over the folder; Cerrar clears it.
    otro.UbicacionArchivo2(t_.write("otro.txt", "Z=1&"));
    ASSERT_TRUE(otro.LeerDatos());
    EXPECT_EQ(pares(otro), (Pares{{"Z", "1"}}));
    otro.Cerrar();
    EXPECT_EQ(otro.Cantidad_de_Elementos(), 0);
    ASSERT_TRUE(otro.LeerDatos());
    EXPECT_EQ(pares(otro), (Pares{{"ERR1", "mensaje"}}));
}

TEST_F(KvarioTest, SaveReplacesTheDataFileWholeOrNotAtAll) {
    const fs::path datos = t_.write("datos.txt", "VIEJO=1&");
    ::chmod(datos.c_str(), 0640);
    Kvario k;
    k.UbicacionArchivo2(datos);
    k.ADD_Valor("NUEVO", "2");
    ASSERT_TRUE(k.EscribirDatos());
    EXPECT_EQ(read_file(datos), "NUEVO=2&");
    EXPECT_EQ(fs::status(datos).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // The copy cannot replace a folder: false, the folder as it was, and
    // no copy left behind; the error text stays as it was.
    fs::create_directories(t_ / "carpeta.txt" / "dentro");
    Kvario c;
    c.UbicacionArchivo2(t_ / "carpeta.txt");
    c.ADD_Valor("A", "1");
    EXPECT_FALSE(c.EscribirDatos());
    EXPECT_EQ(c.MensajeError(), "");
    EXPECT_TRUE(fs::is_directory(t_ / "carpeta.txt" / "dentro"));
    EXPECT_EQ(read_file(t_ / "carpeta.txp"), "A=1&");
    std::vector<std::string> nombres;
    for (const auto& e : fs::directory_iterator(t_.path()))
        nombres.push_back(e.path().filename().string());
    std::sort(nombres.begin(), nombres.end());
    EXPECT_EQ(nombres, (std::vector<std::string>{"carpeta.txp", "carpeta.txt", "components",
                                                 "components.lock", "datos.txp", "datos.txt"}));

    // A data file reached through a link: the file it names is replaced.
    fs::create_symlink(datos, t_ / "enlace.txt");
    Kvario e;
    e.UbicacionArchivo2(t_ / "enlace.txt");
    e.ADD_Valor("POR", "enlace");
    ASSERT_TRUE(e.EscribirDatos());
    EXPECT_TRUE(fs::is_symlink(t_ / "enlace.txt"));
    EXPECT_EQ(read_file(datos), "POR=enlace&");
    EXPECT_TRUE(port_.calls.empty());
}

// The temporary name is the data path with its last character made "p"; for
// a name ending in "p" ("Rut.Tmp", "datos.txp") that is the data file itself,
// which is then written only through a private file renamed over it. A save
// that cannot write everything (a file-size limit stands for a full disk)
// leaves the data file as it was and no file behind.
TEST_F(KvarioTest, ADataFileThatIsItsOwnTemporaryNameIsReplacedWholeOrNotAtAll) {
    const std::string nuevo = "NUEVO=" + std::string(8000, 'n') + "&";
    struct Case {
        const char* nombre;
        const char* enlace;  // a link to the data file under its temporary name
        std::vector<std::string> despues;
    };
    const Case cases[] = {
        {"Rut.Tmp", nullptr, {"Rut.Tmp"}},
        {"datos.txp", nullptr, {"datos.txp"}},
        {"DATOS.TXP", nullptr, {"DATOS.TXP"}},
        {"datos.txt", "datos.txp", {"datos.txp", "datos.txt"}},
        {"datos.txt", nullptr, {"datos.txp", "datos.txt"}},  // the visible copy stays
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string sub = std::to_string(n++);
        const fs::path carpeta = t_ / sub;
        const fs::path datos = t_.write(sub + "/" + c.nombre, "VIEJO=1&");
        if (c.enlace) fs::create_symlink(c.nombre, carpeta / c.enlace);
        Kvario k;
        k.UbicacionArchivo2(datos);
        k.ADD_Valor("NUEVO", std::string(8000, 'n'));
        {
            LimiteDeArchivo limite(4096);
            EXPECT_FALSE(k.EscribirDatos()) << c.nombre;
        }
        EXPECT_EQ(k.MensajeError(), "Error al Escribir Datos: Disco lleno") << c.nombre;
        EXPECT_EQ(read_file(datos), "VIEJO=1&") << c.nombre;
        if (!c.enlace && c.despues.size() == 1) {
            EXPECT_EQ(nombres(carpeta), c.despues);
        }

        ASSERT_TRUE(k.EscribirDatos()) << c.nombre;
        EXPECT_EQ(read_file(datos), nuevo) << c.nombre;
        EXPECT_EQ(nombres(carpeta), c.despues) << c.nombre;
        if (c.enlace) {
            EXPECT_TRUE(fs::is_symlink(carpeta / c.enlace));
        }
        if (c.despues.size() == 2) {
            EXPECT_EQ(read_file(carpeta / "datos.txp"), nuevo);
        }
    }
    EXPECT_TRUE(port_.calls.empty());
}

// Two processes save one data file over and over, each its own content,
// while this one reads it: every read is one whole save, never a mix.
TEST_F(KvarioTest, ConcurrentSavesOfOneFileTakeTurnsAndReadersSeeWholeSaves) {
    const fs::path datos = t_ / "datos.txt";
    // Each save's list: the same keys, values of different lengths.
    auto llenar = [](Kvario& k, int p) {
        for (int i = 0; i < 5000; ++i)
            k.ADD_Valor("K" + std::to_string(i), std::string(p ? 60 : 70, char('a' + p)));
    };
    std::string contenidos[2];
    for (int p = 1; p >= 0; --p) {  // the file starts as the first one's save
        Kvario k;
        k.UbicacionArchivo2(datos);
        llenar(k, p);
        ASSERT_TRUE(k.EscribirDatos());
        contenidos[p] = read_file(datos);
    }

    pid_t hijos[2];
    for (int p = 0; p < 2; ++p) {
        hijos[p] = ::fork();
        ASSERT_GE(hijos[p], 0);
        if (hijos[p] == 0) {
            Kvario k;
            k.UbicacionArchivo2(datos);
            llenar(k, p);
            const auto fin = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (std::chrono::steady_clock::now() < fin)
                if (!k.EscribirDatos()) ::_exit(2);
            ::_exit(0);
        }
    }
    // Read until both have ended.
    int lecturas = 0, de[2] = {0, 0}, mezclas = 0;
    int estados[2] = {0, 0};
    bool terminado[2] = {false, false};
    while (!terminado[0] || !terminado[1]) {
        const std::string leido = read_file(datos);
        ++lecturas;
        if (leido == contenidos[0])
            ++de[0];
        else if (leido == contenidos[1])
            ++de[1];
        else
            ++mezclas;  // no whole save
        for (int p = 0; p < 2; ++p) {
            if (!terminado[p]) terminado[p] = ::waitpid(hijos[p], &estados[p], WNOHANG) == hijos[p];
        }
    }
    for (int e : estados) EXPECT_TRUE(WIFEXITED(e) && WEXITSTATUS(e) == 0) << e;
    EXPECT_EQ(mezclas, 0) << "of " << lecturas << " reads";
    EXPECT_GT(de[0], 0);
    EXPECT_GT(de[1], 0);
    const std::string ultimo = read_file(datos);
    EXPECT_TRUE(ultimo == contenidos[0] || ultimo == contenidos[1]);
    EXPECT_TRUE(read_file(t_ / "datos.txp") == ultimo);  // the visible copy of the last save
}

// Renaming over a file does not ask the file: a data file without write
// permission is refused as writing into it would be, and stays as it is.
TEST_F(KvarioTest, AReadOnlyDataFileIsNotReplaced) {
    const fs::path datos = t_.write("datos.txt", "VIEJO=1&");
    fs::create_symlink("datos.txt", t_ / "enlace.txt");
    struct Case {
        fs::path ruta;
        fs::perms modo;
    };
    using fs::perms;
    const Case cases[] = {
        {datos, perms::owner_read | perms::group_read | perms::others_read},
        {datos, perms::owner_read | perms::owner_exec},
        {t_ / "enlace.txt", perms::owner_read},
        {datos, perms::owner_read | perms::group_read | perms::group_write},  // not the owner's
    };
    for (const Case& c : cases) {
        if (::geteuid() == 0 && (c.modo & perms::group_write) != perms::none)
            continue;  // the superuser may write what is writable by anyone
        fs::permissions(datos, c.modo);
        Kvario k;
        k.UbicacionArchivo2(c.ruta);
        k.ADD_Valor("NUEVO", "2");
        EXPECT_FALSE(k.EscribirDatos()) << c.ruta << " " << int(c.modo);
        EXPECT_EQ(k.MensajeError(), "Error al Escribir Datos: Permiso denegado");
        EXPECT_EQ(read_file(datos), "VIEJO=1&");
        EXPECT_EQ(fs::status(datos).permissions() & perms::all, c.modo);
        EXPECT_FALSE(fs::exists(t_ / "datos.txp"));
        EXPECT_FALSE(fs::exists(t_ / "enlace.txp"));
    }
    fs::permissions(datos, perms::owner_read | perms::owner_write);
    Kvario k;
    k.UbicacionArchivo2(datos);
    k.ADD_Valor("NUEVO", "2");
    EXPECT_TRUE(k.EscribirDatos());
    EXPECT_EQ(read_file(datos), "NUEVO=2&");
    EXPECT_TRUE(port_.calls.empty());
}

TEST_F(KvarioTest, FailuresSetTheErrorTextAndShowTheirMessages) {
    // A read error: message box with number and description, error text.
    Kvario k;
    k.ADD_Valor("A", "1");
    k.UbicacionArchivo2("/proc/self/mem");  // a normal file whose first byte cannot be read
    EXPECT_FALSE(k.LeerDatos());
    ASSERT_EQ(port_.calls.size(), 1u);
    EXPECT_EQ(port_.calls[0].text, "57:Error de E/S en el dispositivo");
    EXPECT_EQ(port_.calls[0].title, "Error en Kvario");
    EXPECT_EQ(port_.calls[0].icon, platform::Icon::critical);
    EXPECT_EQ(port_.calls[0].buttons, platform::Buttons::ok);
    EXPECT_EQ(k.MensajeError(), "Error leer Datos: Error de E/S en el dispositivo");
    EXPECT_EQ(k.Cantidad_de_Elementos(), 0);

    // A path text holding a NUL byte names no file: error 52; the error text
    // is Windows-1252 ("número").
    k.UbicacionArchivo2(std::string_view("a\0b", 3));
    EXPECT_FALSE(k.LeerDatos_Header());
    ASSERT_EQ(port_.calls.size(), 2u);
    EXPECT_EQ(port_.calls[1].text, "52:Nombre o número de archivo incorrecto");
    EXPECT_EQ(port_.calls[1].title, "Error en Kvario");
    EXPECT_EQ(k.MensajeError(), "Error leer Datos: Nombre o n\xFAmero de archivo incorrecto");

    // The error text is never cleared by a later success.
    k.UbicacionArchivo2(t_.write("bien.txt", "A=1&"));
    EXPECT_TRUE(k.LeerDatos());
    EXPECT_EQ(k.MensajeError(), "Error leer Datos: Nombre o n\xFAmero de archivo incorrecto");

    // A write error (the folder is missing) shows nothing.
    k.UbicacionArchivo2(t_ / "no_hay" / "datos.txt");
    EXPECT_FALSE(k.EscribirDatos());
    EXPECT_EQ(k.MensajeError(), "Error al Escribir Datos: No se ha encontrado la ruta de acceso");
    EXPECT_EQ(port_.calls.size(), 2u);
}

TEST_F(KvarioTest, MoverArchivoWritesTheOriginsEntriesStraightToTheDestination) {
    const fs::path origen = t_.write("origen.txt", "A=1&B=&C=3");
    Kvario k;
    k.ADD_Valor("VIEJO", "1");
    ASSERT_TRUE(k.MoverArchivo(texto(origen), texto(t_ / "destino.txt")));
    EXPECT_EQ(read_file(t_ / "destino.txt"), "A=1&C=3&");
    EXPECT_EQ(read_file(origen), "A=1&B=&C=3");
    EXPECT_FALSE(fs::exists(t_ / "destino.txp"));
    EXPECT_EQ(pares(k), (Pares{{"A", "1"}, {"B", ""}, {"C", "3"}}));

    // A missing origin writes nothing.
    EXPECT_FALSE(k.MoverArchivo(texto(t_ / "falta.txt"), texto(t_ / "destino.txt")));
    EXPECT_EQ(k.MensajeError(), "No se grabaron datos en el archivo:" + texto(t_ / "destino.txt"));
    EXPECT_EQ(read_file(t_ / "destino.txt"), "A=1&C=3&");
}

TEST_F(KvarioTest, ChangesLetTheHostRunItsEvents) {
    int pumped = 0;
    comp::set_event_pump([&] { ++pumped; });
    Kvario k;
    k.UbicacionArchivo2(t_ / "x.txt");
    k.ADD_Valor("A", "1");
    k.ADD_Valor("A", "2");
    k.ADD_Valor_Header("B", "1");
    EXPECT_EQ(pumped, 3);
    k.Cerrar();
    EXPECT_EQ(pumped, 5);  // once per entry removed
    EXPECT_EQ(k.Cantidad_de_Elementos(), 0);
}

TEST_F(KvarioTest, NuevoArchivoEmptiesTheListAndTouchesNoFile) {
    const fs::path datos = t_.write("datos.txt", "A=1&");
    Kvario k;
    k.UbicacionArchivo2(datos);
    ASSERT_TRUE(k.LeerDatos());
    EXPECT_TRUE(k.Nuevo_Archivo());
    EXPECT_EQ(k.Cantidad_de_Elementos(), 0);
    EXPECT_EQ(read_file(datos), "A=1&");
    EXPECT_EQ(k.Version(), "3.1.485");
}

TEST_F(KvarioTest, ColDatosURLIsTheLiveKeyedList) {
    Kvario k;
    k.ADD_Valor("RUT", "7");
    comp::Dispatch col = k.colDatosURL();
    EXPECT_EQ(col.get("Count").to_int32(), 1);
    EXPECT_EQ(col.call("Item", {"rut"}).text(), "RUT=7");
    EXPECT_EQ(col.call("item", {1}).text(), "RUT=7");
    col.call("Add", {"DV=9", "DV"});
    EXPECT_EQ(k.Get_Valor("dv"), "9");
    for (const auto& [arg, number] : std::vector<std::pair<comp::Variant, int>>{
             {comp::Variant("NADA"), 5}, {comp::Variant(3), 9}, {comp::Variant(0), 9}}) {
        try {
            col.call("Item", {arg});
            ADD_FAILURE() << arg.to_text();
        } catch (const comp::ComponentError& e) {
            EXPECT_EQ(e.number(), number);
        }
    }
    EXPECT_THROW(col.call("Add", {"x", "rut"}), comp::ComponentError);  // 457
    col.call("Remove", {1});
    EXPECT_EQ(pares(k), (Pares{{"DV", "9"}}));

    // Another object can be given this list; releasing it gives a new empty one.
    Kvario otro;
    otro.colDatosURL(col);
    EXPECT_EQ(otro.Get_Valor("DV"), "9");
    otro.colDatosURL(comp::Dispatch());
    EXPECT_EQ(otro.Cantidad_de_Elementos(), 0);
    otro.ADD_Valor("Z", "1");
    EXPECT_EQ(k.Cantidad_de_Elementos(), 1);
}

TEST_F(KvarioTest, CreatedByIdentifierInAnyLetterCase) {
    comp::Dispatch cv(comp::CreateObject("KVARIO3.CLSCODIGOVALOR"));
    EXPECT_EQ(cv.get("Codigo"), comp::Variant(""));
    EXPECT_EQ(cv.get("Valor"), comp::Variant(""));
    cv.let("codigo", "RUT");
    cv.let("VALOR", "7");
    EXPECT_EQ(cv.get("Codigo").text(), "RUT");
    EXPECT_EQ(cv.get("valor").text(), "7");

    Kvario k(comp::Dispatch(comp::CreateObject("kvario3.clsurl")));
    k.ADD_Valor("A", "1");
    EXPECT_EQ(k.objeto().call("GET_VALOR", {"a"}), comp::Variant("1"));

    ::setenv("ORVEX_COMPONENTS", (t_ / "vacio").c_str(), 1);
    try {
        Kvario sin_registro;
        ADD_FAILURE();
    } catch (const comp::ComponentError& e) {
        EXPECT_EQ(e.number(), 429);
    }
}

// The typed client and the class table cannot drift apart: every member the
// server's table lists is reached by one of the client's typed calls (a name
// the server lacks would throw 438 on the call).
TEST_F(KvarioTest, TypedClientReachesEveryMemberOfTheServerTable) {
    struct Registro final : comp::Object {
        explicit Registro(comp::ObjectRef real) : real(std::move(real)) {}
        const comp::ClassInfo& class_info() const override { return real->class_info(); }
        comp::Variant invoke(int member, comp::CallKind kind,
                             std::span<comp::Variant> args) override {
            usados.insert(member);
            return real->invoke(member, kind, args);
        }
        comp::ObjectRef real;
        std::set<int> usados;
    };
    auto registro = std::make_shared<Registro>(comp::CreateObject(Kvario::kProgId));
    Kvario k{comp::Dispatch(registro)};

    const fs::path datos = t_.write("cliente.txt", "A=1&");
    k.UbicacionArchivo(t_.path().string());
    k.UbicacionArchivo2(datos);
    EXPECT_TRUE(k.LeerDatos());
    EXPECT_TRUE(k.LeerDatos_Header());
    k.ADD_Valor("B", "2");
    k.ADD_Valor_Header("C", "3");
    EXPECT_EQ(k.Get_Valor("B"), "2");
    k.DEL_Valor("C");
    EXPECT_TRUE(k.Crear_indice_de_elementos());
    EXPECT_EQ(k.GETidx_Key(0), "A");
    EXPECT_EQ(k.GETidx_Valor(0), "1");
    EXPECT_EQ(k.Cantidad_de_Elementos(), 2);
    EXPECT_TRUE(k.EscribirDatos());
    EXPECT_EQ(k.MensajeError(), "");
    EXPECT_FALSE(k.Version().empty());
    EXPECT_TRUE(k.MoverArchivo(kvario::texto_de_ruta(datos),
                               kvario::texto_de_ruta(t_.path() / "movido.txt")));
    k.colDatosURL(k.colDatosURL());
    EXPECT_TRUE(k.Nuevo_Archivo());
    k.Cerrar();

    const auto& miembros = registro->class_info().members();
    for (int i = 0; i < int(miembros.size()); ++i)
        EXPECT_TRUE(registro->usados.contains(i)) << miembros[std::size_t(i)].name;
}
