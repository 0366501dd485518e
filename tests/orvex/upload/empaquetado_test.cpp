#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "instalacion.hpp"
#include "orvex/empaquetado.hpp"

namespace orvex {
namespace {

using prueba::Instalacion;
using testsupport::read_file;
namespace fs = std::filesystem;

const std::string kI18 = "I18: No se ha podido crear archivo ZIP\r";

// Sets or clears the immutable attribute, which even root cannot delete past.
bool inmutable(const fs::path& p, bool activar) {
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = activar ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

TEST(RutasZip, ArchiveSourceAndHistoryLine) {
    const fs::path install = "/srv/Orvex18";
    RutasZip m = Rutas_Zip(install, "12345678", "2807", "201803");
    EXPECT_EQ(m.archivo, "/srv/GEN_2018/ZIP/03/12345678.zip");
    EXPECT_EQ(m.fuente, "/srv/GEN_2018/Respal/03/12345678.807");
    EXPECT_EQ(m.linea_historial,
              "/srv/Orvex18/7z a /srv/GEN_2018/ZIP/03/12345678.zip "
              "/srv/GEN_2018/Respal/03/12345678.807");

    // Not monthly: no month folder; blanks around the RUT go; a trailing
    // separator on the install folder changes nothing.
    RutasZip a = Rutas_Zip("/srv/Orvex18/", " 9876543 ", "1879", "2018");
    EXPECT_EQ(a.archivo, "/srv/GEN_2018/ZIP/9876543.zip");
    EXPECT_EQ(a.fuente, "/srv/GEN_2018/Respal/9876543.879");
    EXPECT_EQ(a.linea_historial,
              "/srv/Orvex18/7z a /srv/GEN_2018/ZIP/9876543.zip "
              "/srv/GEN_2018/Respal/9876543.879");
}

TEST(RutasZip, FoldersAreFoundWhateverTheirCase) {
    Instalacion inst;
    fs::create_directories(inst.gen() / "zip");
    fs::create_directories(inst.gen() / "RESPAL");
    RutasZip r = Rutas_Zip(inst.install(), "1", "1879", "2018");
    EXPECT_EQ(r.archivo, inst.gen() / "zip" / "1.zip");
    EXPECT_EQ(r.fuente, inst.gen() / "RESPAL" / "1.879");
}

class EmpaquetadoZip : public ::testing::Test {
  protected:
    fs::path fuente(const std::string& nombre, const std::string& bytes) {
        return inst_.escribir("GEN_2018/Respal/" + nombre, bytes);
    }
    fs::path zip() const { return inst_.gen() / "zip" / "12345678.zip"; }
    fs::path historial() const { return inst_.install() / "histzip.txt"; }
    void SetUp() override { fs::create_directories(inst_.gen() / "zip"); }

    Instalacion inst_;
};

TEST_F(EmpaquetadoZip, PacksAndKeepsHistory) {
    if (!inst_.con_7z()) GTEST_SKIP() << "no 7-Zip program on this machine";
    const fs::path f1 = fuente("12345678.879", "0201818791234\r\n1\r\n");
    ASSERT_EQ(Crear_Archivo_ZIP(inst_.entorno(), "12345678", "1879", "2018"), FinZip::creado);
    const auto msgs = inst_.mensajes();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text,
              "Se ha Generado el archivo Internet para el Formulario 1879, "
              "registrado en: " +
                  zip().string());
    EXPECT_EQ(msgs[0].title, "Generador de Archivo");
    EXPECT_EQ(msgs[0].icon, platform::Icon::none);
    const std::string linea1 =
        inst_.install().string() + "/7z a " + zip().string() + " " + f1.string() + "\r\n";
    EXPECT_EQ(read_file(historial()), linea1);

    // A second form for the same RUT replaces the archive and adds a line.
    const fs::path f2 = fuente("12345678.887", "0201818871234\r\n");
    ASSERT_EQ(Crear_Archivo_ZIP(inst_.entorno(), "12345678", "1887", "2018"), FinZip::creado);
    const fs::path extraido = inst_.raiz() / "extraido";
    ASSERT_TRUE(prueba::extraer(zip(), extraido));
    EXPECT_EQ(prueba::nombres_en(extraido), std::vector<std::string>{"12345678.887"});
    EXPECT_EQ(read_file(extraido / "12345678.887"), "0201818871234\r\n");
    EXPECT_EQ(read_file(historial()), linea1 + inst_.install().string() + "/7z a " +
                                          zip().string() + " " + f2.string() + "\r\n");
}

TEST_F(EmpaquetadoZip, MissingOrFailingProgramGivesI19) {
    // No program at all: reported at once, no history.
    fuente("12345678.879", "0\r\n");
    EXPECT_EQ(Crear_Archivo_ZIP(inst_.entorno(), "12345678", "1879", "2018"), FinZip::no_aparece);
    ASSERT_EQ(inst_.mensajes().size(), 1u);
    EXPECT_EQ(inst_.mensajes()[0].text, "I19: No se ha podido crear archivo ZIP");
    EXPECT_EQ(inst_.mensajes()[0].title, prueba::kTitulo);
    EXPECT_EQ(inst_.mensajes()[0].icon, platform::Icon::critical);
    EXPECT_FALSE(fs::exists(historial()));

    // 7-Zip without the upload file fails, and the empty archive it leaves is removed.
    if (!inst_.con_7z()) GTEST_SKIP() << "no 7-Zip program on this machine";
    EXPECT_EQ(Crear_Archivo_ZIP(inst_.entorno(), "12345678", "1887", "2018"), FinZip::no_aparece);
    EXPECT_EQ(inst_.mensajes().back().text, "I19: No se ha podido crear archivo ZIP");
    EXPECT_FALSE(fs::exists(zip()));
    EXPECT_FALSE(fs::exists(historial()));
}

TEST_F(EmpaquetadoZip, ArchiveThatCannotBeDeletedGivesI17) {
    inst_.con_7z();
    fuente("12345678.879", "0\r\n");
    const fs::path viejo = inst_.escribir("GEN_2018/zip/12345678.zip", "old archive");
    if (!inmutable(viejo, true)) GTEST_SKIP() << "cannot make a file undeletable here";
    const FinZip fin = Crear_Archivo_ZIP(inst_.entorno(), "12345678", "1879", "2018");
    inmutable(viejo, false);

    EXPECT_EQ(fin, FinZip::ocupado);
    ASSERT_EQ(inst_.mensajes().size(), 1u);
    EXPECT_EQ(inst_.mensajes()[0].text,
              "I17: No se ha podido crear archivo ZIP, el archivo esta siendo ocupado por el "
              "sistema");
    EXPECT_EQ(inst_.mensajes()[0].icon, platform::Icon::critical);
    EXPECT_EQ(read_file(viejo), "old archive");
    EXPECT_FALSE(fs::exists(historial()));
}

TEST_F(EmpaquetadoZip, OtherFailuresGiveI18WithTheError) {
    struct Caso {
        const char* nombre;
        std::string rut;
        bool (*preparar)(Instalacion& inst);
        std::string error;
        bool archivo;  // whether the archive is made before the failure
    };
    const Caso casos[] = {
        {"HistoryIsAFolder", "12345678",
         [](Instalacion& inst) {
             fs::create_directories(inst.install() / "histzip.txt");
             return inst.con_7z();
         },
         "75:Error de acceso a la ruta o el archivo", true},
        {"ProgramCannotStart", "12345678",
         [](Instalacion& inst) {
             inst.escribir("Orvex18/7z", "not a program");  // no execute permission
             return true;
         },
         "70:Permiso denegado", false},
        {"RutLeavesTheFolder", "../12345678", [](Instalacion& inst) { return inst.con_7z(); },
         "52:Nombre o número de archivo incorrecto", false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Instalacion inst;
        fs::create_directories(inst.gen() / "zip");
        inst.escribir("GEN_2018/Respal/12345678.879", "0\r\n");
        if (!c.preparar(inst)) GTEST_SKIP() << "no 7-Zip program on this machine";

        EXPECT_EQ(Crear_Archivo_ZIP(inst.entorno(), c.rut, "1879", "2018"), FinZip::fallo);
        const auto msgs = inst.mensajes();
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].text, kI18 + c.error);
        EXPECT_EQ(msgs[0].title, prueba::kTitulo);
        EXPECT_EQ(msgs[0].icon, platform::Icon::critical);
        EXPECT_EQ(fs::exists(inst.gen() / "zip" / "12345678.zip"), c.archivo);
        EXPECT_FALSE(fs::exists(inst.raiz() / "12345678.zip"));
    }
}

TEST(BorrarSiExiste, DeletesOrdinaryFilesOnly) {
    testsupport::TempFolder tmp;
    EXPECT_TRUE(Borrar_Si_Existe(tmp / "nada.zip"));
    EXPECT_TRUE(Borrar_Si_Existe(tmp / "sin-carpeta" / "nada.zip"));

    // Found whatever its case, and deleted.
    tmp.write("1.ZIP", "x");
    EXPECT_TRUE(Borrar_Si_Existe(tmp / "1.zip"));
    EXPECT_FALSE(fs::exists(tmp / "1.ZIP"));

    // A folder of that name is no file: left alone, and nothing failed.
    fs::create_directories(tmp / "2.zip" / "dentro");
    EXPECT_TRUE(Borrar_Si_Existe(tmp / "2.zip"));
    EXPECT_TRUE(fs::exists(tmp / "2.zip" / "dentro"));
}

TEST(EsperarArchivo, WaitsWhileEventsRun) {
    testsupport::TempFolder tmp;
    int pasadas = 0;
    // The file appears while the wait lets events run.
    EXPECT_TRUE(Esperar_Archivo(tmp / "llega.zip", [&] {
        if (++pasadas == 5) tmp.write("llega.zip", "x");
    }));
    EXPECT_EQ(pasadas, 5);

    // A file that never comes: 100 attempts, then false.
    pasadas = 0;
    EXPECT_FALSE(Esperar_Archivo(tmp / "nunca.zip", [&] { ++pasadas; }));
    EXPECT_EQ(pasadas, 100);
}

}  // namespace
}  // namespace orvex
