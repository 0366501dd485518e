#include "orvex/generacion.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "orvex/catalogo.hpp"
#include "orvex/empaquetado.hpp"
#include "platform/errors.hpp"
#include "platform/files.hpp"
#include "platform/numtext.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace orvex {

namespace fs = std::filesystem;

namespace {

constexpr char kBiblioteca[] = "libsigmar32.so";
constexpr char kFuncion[] = "sigmar";
// The longest name the library copies; it also ends a name at its first blank.
constexpr std::size_t kNombreMaximo = 151;
// Bytes read and written at a time while copying the lines.
constexpr std::size_t kBloque = std::size_t{1} << 20;

// A piece written as a number of `ancho` digits: the text read as a number,
// zero-filled on the left; a longer number whole; a text that is not a number
// as it stands.
std::string con_ceros(std::string_view texto, std::size_t ancho) {
    return platform::format_pattern(texto, std::string(ancho, '0'));
}

std::string con_ceros(std::uint64_t n, std::size_t ancho) {
    std::string s = std::to_string(n);
    if (s.size() < ancho) s.insert(0, ancho - s.size(), '0');
    return s;
}

bool dos_digitos(std::string_view s) {
    return s.size() == 2 && s[0] >= '0' && s[0] <= '9' && s[1] >= '0' && s[1] <= '9';
}

// A text read from the declaration, fit to be shown: UTF-8, control
// characters as "?".
std::string para_mostrar(std::string_view texto) {
    std::string s(texto);
    for (char& c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = '?';
    }
    return platform::cp1252_to_utf8(s);
}

void mensaje_error(const Entorno& entorno, const std::string& texto) {
    entorno.port.message(texto, std::string(kTituloGeneracion), platform::Buttons::ok,
                         platform::Icon::critical);
}

// Why the declaration's values cannot name the upload file; empty when they can.
std::string motivo_nombre_inseguro(const EstadoRevision& estado) {
    const std::string_view rut = platform::trim(estado.declarante.rut);
    if (!Es_Rut_Nombrable(rut)) {
        return "No se puede generar el Archivo Internet: el RUT del declarante \"" +
               para_mostrar(estado.declarante.rut) + "\" no sirve como nombre de archivo";
    }
    if (!Es_Nombre_Seguro(platform::mid(estado.formulario, 2, 3))) {
        return "No se puede generar el Archivo Internet: el formulario \"" +
               para_mostrar(estado.formulario) + "\" no sirve como nombre de archivo";
    }
    if (listas::mensual(estado.formulario) && !dos_digitos(platform::mid(estado.periodo, 5, 2))) {
        return "No se puede generar el Archivo Internet: el período \"" +
               para_mostrar(estado.periodo) + "\" no tiene un mes de dos dígitos";
    }
    return {};
}

// GEN_2018 and its folders; a creation that fails is left for the file
// steps to show.
void crear_carpetas(const fs::path& raiz, const EstadoRevision& estado) {
    const bool mensual = listas::mensual(estado.formulario);
    const std::string mes(platform::mid(estado.periodo, 5, 2));
    std::error_code ec;

    const bool existia = !platform::create_folder(platform::join(raiz, "GEN_2018"), ec) &&
                         ec == std::errc::file_exists;
    const fs::path gen = platform::join(raiz, "GEN_2018");
    if (!existia) {
        platform::create_folder(platform::join(gen, "Respal"), ec);
        platform::create_folder(platform::join(gen, "zip"), ec);
        if (mensual) {
            platform::create_folder(platform::join(gen, "Respal/" + mes), ec);
            platform::create_folder(platform::join(gen, "zip/" + mes), ec);
        }
    }
    std::vector<std::string> carpetas{"zip", "Respal"};
    if (mensual) {
        carpetas.push_back("Respal/" + mes);
        carpetas.push_back("zip/" + mes);
    }
    for (const std::string& c : carpetas) {
        const fs::path p = platform::join(gen, c);
        if (!platform::exists(p)) platform::create_folder(p, ec);
    }
}

// The upload file, written through one large buffer.
class ArchivoSalida {
  public:
    ArchivoSalida() = default;
    ArchivoSalida(const ArchivoSalida&) = delete;
    ArchivoSalida& operator=(const ArchivoSalida&) = delete;
    ~ArchivoSalida() { cerrar(); }

    // Takes over a descriptor open for writing.
    void usar(int fd) {
        fd_ = fd;
        buffer_.reserve(2 * kBloque);
    }
    void agregar(std::string_view bytes) { buffer_.append(bytes); }
    // Writes the buffer out once it holds a block (everything with `todo`).
    bool vaciar(bool todo) {
        if (error_ || fd_ < 0) return false;
        if (!todo && buffer_.size() < kBloque) return true;
        std::size_t hecho = 0;
        while (hecho < buffer_.size()) {
            const ssize_t n = ::write(fd_, buffer_.data() + hecho, buffer_.size() - hecho);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error_ = std::error_code(n < 0 ? errno : ENOSPC, std::generic_category());
                return false;
            }
            hecho += static_cast<std::size_t>(n);
        }
        buffer_.clear();
        return true;
    }
    // Writes what is left and closes; false when anything written failed.
    bool cerrar() {
        if (fd_ < 0) return !error_;
        vaciar(true);
        if (::close(fd_) != 0 && !error_) error_ = std::error_code(errno, std::generic_category());
        fd_ = -1;
        return !error_;
    }
    const std::error_code& error() const { return error_; }

  private:
    int fd_ = -1;
    std::string buffer_;
    std::error_code error_;
};

// Copies the lines of the declaration (descriptor `entrada`, read from its
// start whatever its offset) to the upload file, each ending in CR LF; a bare
// LF gets its CR, a last line without a line end gets one. With
// `saltar_primera` the first line is left out. Works block by block, so memory
// stays bounded whatever the line lengths; runs of lines already in CR LF are
// copied in one piece. `leido` receives the bytes read and `lineas` the lines
// read (the one left out included); the result is the read error, if any
// (write errors stay in `salida`).
std::error_code copiar_lineas(int entrada, ArchivoSalida& salida, bool saltar_primera,
                              std::uint64_t& leido, std::uint64_t& lineas,
                              const std::function<void(std::uint64_t)>& aviso) {
    std::vector<char> bloque(kBloque);
    bool saltando = saltar_primera;
    bool en_linea = false;  // part of a line is written, its end not yet
    char ultimo = 0;        // the last byte of that part
    char final_leido = '\n';
    leido = 0;
    lineas = 0;
    for (;;) {
        const ssize_t n = ::pread(entrada, bloque.data(), bloque.size(), static_cast<off_t>(leido));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::error_code(errno, std::generic_category());
        if (n == 0) break;
        leido += static_cast<std::uint64_t>(n);
        const char* p = bloque.data();
        const char* const fin = p + n;
        final_leido = fin[-1];
        if (saltando) {
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', fin - p));
            if (!lf) continue;  // the whole block belongs to the first line
            saltando = false;
            ++lineas;
            p = lf + 1;
        }
        const char* inicio = p;  // start of the bytes not yet handed to the output
        while (p < fin) {
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', fin - p));
            if (!lf) break;
            ++lineas;
            const bool con_cr = lf > inicio ? lf[-1] == '\r' : en_linea && ultimo == '\r';
            if (!con_cr) {
                salida.agregar(std::string_view(inicio, lf - inicio));
                salida.agregar("\r\n");
                inicio = lf + 1;
            }
            en_linea = false;
            p = lf + 1;
        }
        if (inicio < fin) {
            salida.agregar(std::string_view(inicio, fin - inicio));
            en_linea = fin[-1] != '\n';
            if (en_linea) ultimo = fin[-1];
        }
        if (!salida.vaciar(false)) return {};
        aviso(leido);
    }
    if (final_leido != '\n') ++lineas;  // a last line without a line end
    if (en_linea) salida.agregar(ultimo == '\r' ? "\n" : "\r\n");
    return {};
}

// Whether the declaration is still the file that was opened, as it was: the
// same file under its name, of the same size and modification time.
bool sin_cambios(const ArchivoLeido& leido, const fs::path& ruta) {
    struct stat ahora {};
    struct stat nombre {};
    const struct stat& antes = leido.inicial;
    return ::fstat(leido.fd, &ahora) == 0 && ahora.st_size == antes.st_size &&
           ahora.st_mtim.tv_sec == antes.st_mtim.tv_sec &&
           ahora.st_mtim.tv_nsec == antes.st_mtim.tv_nsec && ::stat(ruta.c_str(), &nombre) == 0 &&
           nombre.st_dev == antes.st_dev && nombre.st_ino == antes.st_ino;
}

// Opens the declaration for a build whose state came without the review's
// descriptor. Null when it cannot be opened or is no regular file.
std::shared_ptr<const ArchivoLeido> abrir_declaracion(const fs::path& ruta, std::error_code& ec) {
    auto leido = std::make_shared<ArchivoLeido>();
    leido->fd = ::open(ruta.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (leido->fd < 0) {
        ec = std::error_code(errno, std::generic_category());
        return nullptr;
    }
    if (::fstat(leido->fd, &leido->inicial) != 0 || !S_ISREG(leido->inicial.st_mode)) {
        ec = std::make_error_code(std::errc::invalid_argument);
        return nullptr;
    }
    ::fcntl(leido->fd, F_SETFL, ::fcntl(leido->fd, F_GETFL) & ~O_NONBLOCK);
    return leido;
}

// Error number of a file that could not be created: a missing folder on the
// way is "path not found" rather than "file not found".
platform::RuntimeError error_de_creacion(const fs::path& archivo, const std::error_code& ec) {
    if (ec == std::errc::no_such_file_or_directory &&
        !platform::is_directory(archivo.parent_path()))
        return platform::RuntimeError::from(platform::err::path_not_found);
    return platform::RuntimeError::from(ec);
}

FinGeneracion fallo_archivo(const Entorno& entorno, const fs::path& archivo,
                            const platform::RuntimeError& e) {
    mensaje_error(entorno, "No se ha podido generar el Archivo Internet " + archivo.string() +
                               "\r" + std::to_string(e.number) + ":" + e.description);
    return FinGeneracion::fallo_archivo;
}

// The message for a stamp result other than 0.
std::string mensaje_sello(std::int16_t resultado, const std::string& ruta) {
    switch (resultado) {
        case 1:
            return "Archivo " + ruta +
                   " no tiene 20 ceros a partir de la posicion 32. Posiblemente ya se proceso";
        case 2:
            return "Archivo " + ruta + " no existe";
        case 5:
            return "Archivo " + ruta + " es solo de lectura. No se puede alterar";
        default:
            return "Error " + platform::with_sign_place(resultado);
    }
}

}  // namespace

// --- Sellador ---------------------------------------------------------------

Sellador::Sellador(std::vector<fs::path> carpetas, bool busqueda_general)
    : carpetas_(std::move(carpetas)), busqueda_general_(busqueda_general) {}

Sellador::~Sellador() {
    if (biblioteca_) ::dlclose(biblioteca_);
}

bool Sellador::enlazar() {
    if (intentado_) return funcion_ != nullptr;
    intentado_ = true;
    auto probar = [this](const char* nombre) {
        void* h = ::dlopen(nombre, RTLD_NOW | RTLD_LOCAL);
        if (!h) return false;
        auto f = reinterpret_cast<Funcion>(::dlsym(h, kFuncion));
        if (!f) {
            ::dlclose(h);
            return false;
        }
        biblioteca_ = h;
        funcion_ = f;
        return true;
    };
    for (const fs::path& carpeta : carpetas_) {
        if (carpeta.empty()) continue;
        const fs::path ruta = platform::join(carpeta, kBiblioteca);
        if (platform::is_regular_file(ruta) && probar(ruta.c_str())) return true;
    }
    return busqueda_general_ && probar(kBiblioteca);
}

bool Sellador::disponible() {
    return enlazar();
}

std::int16_t Sellador::sellar(const fs::path& archivo) {
    if (!enlazar()) return 1;
    const std::string nombre = archivo.string();
    std::int32_t resultado;
    if (nombre.find(' ') == std::string::npos && nombre.size() <= kNombreMaximo) {
        resultado = funcion_(nombre.c_str());
    } else {
        // A name the library would cut: hand it the descriptor's short name,
        // which opens the same file, with the same permission checks.
        const int fd = ::open(archivo.c_str(), O_PATH | O_CLOEXEC);
        if (fd < 0) {
            // The library's codes for a missing file, a missing folder and denied access.
            if (errno == ENOENT) return 2;
            if (errno == ENOTDIR) return 3;
            return 5;
        }
        const std::string corto = "/proc/self/fd/" + std::to_string(fd);
        resultado = funcion_(corto.c_str());
        ::close(fd);
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(resultado & 0xFFFF));
}

Sellador& Sellador_del_Programa(const fs::path& install) {
    static Sellador sellador({platform::program_folder(), install}, true);
    return sellador;
}

std::int16_t Sellar(const fs::path& archivo, const fs::path& install) {
    return Sellador_del_Programa(install).sellar(archivo);
}

// --- Record 0 and paths -----------------------------------------------------

std::string Registro_Cero(const EstadoRevision& estado) {
    const std::string& form = estado.formulario;
    const Declarante& d = estado.declarante;
    const bool variante_b = listas::diez_digitos(form);
    const std::uint64_t n = estado.lineas_registro0 + estado.cantidad_tipo2;

    std::string r;
    r += '0';
    r += con_ceros(platform::mid(estado.periodo, 1, 4), 4);
    r += form;
    r += con_ceros(d.rut, 8);
    r += d.dv;
    r += con_ceros(n, variante_b ? 10 : 7);
    r += "800000";
    r += "00000000000000000000";  // the control-number field
    r += 'M';
    r += d.tipo_declaracion;
    r += con_ceros(d.folio, 7);
    r += "0000000000000000";
    r += "23";
    r += "00000000";

    // The tail, and the position its nominal layout ends at; the blanks fill
    // from there to the record length, whatever longer values pushed.
    std::int64_t fin;
    if (listas::lista_92(form)) {
        r += platform::mid(estado.periodo, 1, 4);
        r += "00";
        fin = 92;
    } else if (listas::lista_95(form)) {
        r += platform::mid(estado.periodo, 1, 4);
        r += "00";
        fin = 95;
    } else if (listas::mensual(form)) {
        r += platform::mid(estado.periodo, 1, 6);
        fin = 95;
    } else {
        fin = 86;
    }
    const std::int64_t largo = estado.tabla[1].largo;
    if (largo > fin) r.append(static_cast<std::size_t>(largo - fin), ' ');
    return r;
}

fs::path Ruta_Archivo_Internet(const fs::path& install, const EstadoRevision& estado) {
    return Rutas_Zip(install, estado.declarante.rut, estado.formulario, estado.periodo).fuente;
}

// --- The build --------------------------------------------------------------

FinGeneracion Generar_Archivo_Internet(const Entorno& entorno, const EstadoRevision& estado) {
    return Generar_Archivo_Internet(entorno, estado, Sellador_del_Programa(entorno.install));
}

FinGeneracion Generar_Archivo_Internet(const Entorno& entorno, const EstadoRevision& estado,
                                       Sellador& sellador) {
    // The RUT, the form and the month become names under GEN_2018 and reach
    // 7-Zip: values that could leave that folder stop the build before any
    // file is touched.
    if (const std::string motivo = motivo_nombre_inseguro(estado); !motivo.empty()) {
        mensaje_error(entorno, motivo);
        return FinGeneracion::rut_invalido;
    }

    entorno.port.message(".. Presione el Botón Aceptar para generar el Archivo Internet",
                         "Archivo sin Errores", platform::Buttons::ok, platform::Icon::none);

    // The build copies from the descriptor the review read; a state that came
    // without one (the build called on its own) opens the file here, once.
    std::shared_ptr<const ArchivoLeido> leido = estado.leido;
    const bool contado = leido && leido->leido_entero;  // the review's counts are known
    if (!leido) {
        std::error_code ec;
        leido = abrir_declaracion(estado.archivo, ec);
        if (!leido) return fallo_archivo(entorno, estado.archivo, platform::RuntimeError::from(ec));
    }

    const fs::path raiz = platform::drive_root(entorno.install);
    crear_carpetas(raiz, estado);

    // One build at a time per GEN_2018, from the first file written to the
    // end of the packing: runs for the same RUT would otherwise write, stamp
    // and pack each other's files.
    platform::FolderLock bloqueo;
    {
        const fs::path gen = platform::join(raiz, "GEN_2018");
        std::error_code ec;
        bool espero = false;
        auto esperando = [&] {
            espero = true;
            if (entorno.estado)
                entorno.estado("Esperando que termine otra generación en " + gen.string() + "…");
        };
        const bool tomado = bloqueo.acquire(gen, entorno.pump, esperando, ec);
        if (espero && entorno.estado) entorno.estado({});
        if (!tomado) return fallo_archivo(entorno, gen, platform::RuntimeError::from(ec));
    }

    const std::string registro0 = Registro_Cero(estado);
    const fs::path destino = Ruta_Archivo_Internet(entorno.install, estado);

    // Written, and stamped, under a temporary name beside the upload file, and
    // renamed into place once whole: no half-written or unstamped file ever
    // stands under the final name, and a link or FIFO planted there is
    // replaced rather than followed.
    std::error_code ec;
    platform::TempFile temporal = platform::create_temp_beside(destino, ec);
    if (temporal.fd < 0) return fallo_archivo(entorno, destino, error_de_creacion(destino, ec));
    ArchivoSalida salida;
    salida.usar(temporal.fd);
    salida.agregar(registro0);
    salida.agregar("\r\n");

    auto descartar = [&] {
        salida.cerrar();
        std::error_code ignorado;
        fs::remove(temporal.path, ignorado);
    };
    // Nothing of a file that could not be written whole is left to be sent.
    auto abandonar = [&](const std::error_code& error) {
        descartar();
        return fallo_archivo(entorno, destino, platform::RuntimeError::from(error));
    };
    auto cambiado = [&] {
        descartar();
        mensaje_error(entorno, "No se ha podido generar el Archivo Internet: el archivo " +
                                   estado.archivo.string() +
                                   " cambió durante la revisión. Revíselo de nuevo.");
        return FinGeneracion::declaracion_cambiada;
    };

    const auto total = static_cast<std::uint64_t>(leido->inicial.st_size);
    std::uint64_t copiado = 0;
    std::uint64_t lineas = 0;
    const std::error_code error_lectura = copiar_lineas(leido->fd, salida, estado.registro0,
                                                        copiado, lineas, [&](std::uint64_t hecho) {
                                                            if (entorno.progreso)
                                                                entorno.progreso(hecho, total);
                                                            if (entorno.pump) entorno.pump();
                                                        });
    if (error_lectura) return abandonar(error_lectura);
    if (!salida.cerrar()) return abandonar(salida.error());
    // The bytes and lines copied must be those the review read.
    if (contado && (copiado != leido->bytes || lineas != leido->lineas)) return cambiado();
    if (!sin_cambios(*leido, estado.archivo)) return cambiado();
    if (copiado == 0) {
        // The upload file holds record 0 only, and nothing is stamped or packed.
        if (!platform::replace_file(temporal.path, destino, ec)) return abandonar(ec);
        entorno.port.message("Archivo NO Contiene DDJJ, Archivo vació", "Error en la estructura ",
                             platform::Buttons::ok, platform::Icon::critical);
        return FinGeneracion::declaracion_vacia;
    }

    // The stamp is computed from the contents only, so the temporary file is
    // stamped; messages name the upload file.
    const std::int16_t resultado =
        listas::diez_digitos(estado.formulario) ? std::int16_t{0} : sellador.sellar(temporal.path);
    if (resultado != 0) {
        descartar();
        mensaje_error(entorno, mensaje_sello(resultado, destino.string()));
        return FinGeneracion::fallo_sello;
    }
    // Checked again just before the file takes its name, which may be the
    // declaration's own (reviewing an upload file rebuilds it).
    if (!sin_cambios(*leido, estado.archivo)) return cambiado();
    if (!platform::replace_file(temporal.path, destino, ec)) return abandonar(ec);

    const FinZip zip =
        Crear_Archivo_ZIP(entorno, estado.declarante.rut, estado.formulario, estado.periodo);
    return zip == FinZip::creado ? FinGeneracion::empaquetado : FinGeneracion::fallo_zip;
}

}  // namespace orvex
