#include "orvex/revision.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <system_error>

#include "mensajes.hpp"
#include "platform/numtext.hpp"
#include "platform/text.hpp"

namespace orvex {

namespace {

constexpr std::uint64_t kLineasPorAviso = 1 << 16;
// Lines are kept up to the widest record of the layout plus one (a longer one
// is "LARGO ERRONEO" whatever it holds), but never less than this.
constexpr std::size_t kLineaMinima = 1024;

bool es_digito(char c) {
    return c >= '0' && c <= '9';
}

char digito(int tipo) {
    return static_cast<char>('0' + tipo);
}

}  // namespace

// --- LectorDeclaracion -------------------------------------------------------

bool LectorDeclaracion::abrir(const std::filesystem::path& archivo) {
    adelanto_.clear();
    linea_adelanto_ = linea_registro_ = bytes_ = 0;
    bool abierto = lector_.open(archivo);
    Leer_Linea();
    return abierto;
}

bool LectorDeclaracion::abrir(int fd) {
    adelanto_.clear();
    linea_adelanto_ = linea_registro_ = bytes_ = 0;
    bool abierto = lector_.open(fd);
    Leer_Linea();
    return abierto;
}

void LectorDeclaracion::Leer_Linea() {
    std::string_view linea;
    if (lector_.next(linea)) {
        adelanto_.assign(linea.data(), linea.size());
        recorte_adelanto_ = lector_.line_length() - linea.size();
        linea_adelanto_ = lector_.line_number();
        bytes_ += lector_.line_length() + 2;
        if (cada_tanto && linea_adelanto_ % kLineasPorAviso == 0) cada_tanto();
    } else {
        adelanto_.clear();
        recorte_adelanto_ = 0;
        linea_adelanto_ = lector_.line_number() + 1;
    }
}

LectorDeclaracion::Lectura LectorDeclaracion::Leer_Registro(int tipo, const TablaFormatos& tabla,
                                                            TextoRegistro& registro,
                                                            std::uint64_t& lineas_registro0) {
    if (adelanto_.empty() || adelanto_[0] != digito(tipo)) {
        registro.empezar({});
        return adelanto_.empty() ? Lectura::ninguno : Lectura::otro_tipo;
    }

    linea_registro_ = linea_adelanto_;
    registro.empezar(adelanto_, recorte_adelanto_);
    Leer_Linea();
    if (tipo == 0 || tabla[static_cast<std::size_t>(tipo)].modo == 'U') {
        if (tipo == 1 || tipo == 3) ++lineas_registro0;
        return Lectura::leido;
    }
    // A multi-line section: every further line of the same type joins the record.
    while (!adelanto_.empty() && adelanto_[0] == digito(tipo)) {
        registro.agregar(adelanto_, recorte_adelanto_);
        Leer_Linea();
        ++lineas_registro0;
    }
    ++lineas_registro0;
    return Lectura::leido;
}

// --- The review --------------------------------------------------------------

namespace {

class Revision {
  public:
    Revision(const Entorno& entorno, const std::function<void(const Hallazgo&)>& al_anotar)
        : entorno_(entorno), m_(mensajes::textos()) {
        informe_.al_anotar = al_anotar;
    }

    ResultadoRevision correr(const Pedido& pedido);

  private:
    void error(std::uint64_t linea, int tipo, std::string esperado, std::string informado,
               const std::string& mensaje, bool fatal) {
        if (fatal) parar_ = true;
        informe_.anotar(Hallazgo{linea, digito(tipo), std::move(esperado), std::move(informado),
                                 mensaje, fatal});
    }
    std::string campo(int tipo, int numero) const {
        return Valor_Campo(registro_, estado_.tabla, tipo, numero);
    }

    void leer_registros();
    void revisar_tipo0();
    void revisar_tipo1();
    void revisar_tipo2();
    void revisar_tipo3();
    // "LARGO ERRONEO" when the record length L - 1 differs from the layout's.
    void revisar_largo(int tipo);
    void avisar_progreso();
    // Closes the report and fills the result.
    void terminar(ResultadoRevision& resultado, FinRevision fin);

    const Entorno& entorno_;
    const mensajes::Mensajes& m_;
    Informe informe_;
    EstadoRevision estado_;
    LectorDeclaracion lector_;
    TextoRegistro registro_;
    std::uint64_t linea_ = 0;  // record line number
    std::uint64_t total_bytes_ = 0;
    bool parar_ = false;
    std::array<bool, 4> tipos_leidos_{};
};

ResultadoRevision Revision::correr(const Pedido& pedido) {
    informe_.abrir(entorno_.install);

    estado_.formulario = pedido.formulario;
    estado_.ano_combo = pedido.ano;
    estado_.periodo = estado_.ano_combo;
    estado_.mensual = listas::mensual(estado_.formulario);
    estado_.tabla = Cargar_Formatos(entorno_.install, estado_.formulario);
    estado_.lineas_registro0 = 1;
    estado_.cantidad_tipo2 = 0;

    ResultadoRevision resultado;
    if (pedido.archivo.empty()) {
        terminar(resultado, FinRevision::sin_archivo);
        return resultado;
    }
    estado_.archivo = pedido.archivo;

    // The file is opened once; the build copies from this same descriptor.
    // Anything but a regular file (a FIFO, a device, a folder) is refused
    // before it is read: it could block, never end, or read differently twice.
    // Opening without blocking keeps a FIFO with no writer from hanging here.
    auto leido = std::make_shared<ArchivoLeido>();
    leido->fd = ::open(estado_.archivo.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (leido->fd >= 0) {
        if (::fstat(leido->fd, &leido->inicial) != 0 || !S_ISREG(leido->inicial.st_mode)) {
            terminar(resultado, FinRevision::no_regular);
            return resultado;
        }
        ::fcntl(leido->fd, F_SETFL, ::fcntl(leido->fd, F_GETFL) & ~O_NONBLOCK);
        total_bytes_ = static_cast<std::uint64_t>(leido->inicial.st_size);
        lector_.abrir(::fcntl(leido->fd, F_DUPFD_CLOEXEC, 0));
    } else {
        lector_.abrir(-1);  // a file that cannot be opened reads as empty
    }
    std::size_t ancho = 0;
    for (const FormatoRegistro& f : estado_.tabla) {
        ancho = std::max<std::size_t>(ancho, static_cast<std::size_t>(std::max<int>(f.largo, 0)));
        for (const CampoRegistro& c : f.campos)
            ancho =
                std::max<std::size_t>(ancho, static_cast<std::size_t>(std::max<int>(c.hasta, 0)));
    }
    lector_.limitar_lineas(std::max(ancho + 1, kLineaMinima));
    lector_.cada_tanto = [this] { avisar_progreso(); };
    if (entorno_.archivo_abierto) entorno_.archivo_abierto();

    // A file that holds nothing but a header line (or nothing at all).
    if (platform::leading_value(platform::mid(lector_.adelanto(), 1, 1)) == 0 &&
        lector_.al_final()) {
        error(2, 0, estado_.formulario, std::string(platform::mid(lector_.adelanto(), 6, 4)),
              m_.archivo_incompleto, true);
    } else {
        leer_registros();
    }

    leido->leido_entero = lector_.al_final();
    leido->bytes = lector_.bytes_del_archivo();
    leido->lineas = lector_.lineas_leidas();
    lector_.cerrar();
    if (leido->fd >= 0) estado_.leido = std::move(leido);
    if (entorno_.progreso) entorno_.progreso(total_bytes_, total_bytes_);

    terminar(resultado,
             informe_.errores() > 0 ? FinRevision::con_errores : FinRevision::sin_errores);
    return resultado;
}

void Revision::terminar(ResultadoRevision& resultado, FinRevision fin) {
    // The report folder stays locked from the report's renaming until the
    // caller has shown it; runs of other programs wait for it meanwhile.
    if (!informe_.carpeta().empty()) {
        auto bloqueo = std::make_shared<platform::FolderLock>();
        std::error_code ec;
        bool espero = false;
        auto esperando = [this, &espero] {
            espero = true;
            if (entorno_.estado) entorno_.estado("Esperando que otra revisión termine su informe…");
        };
        if (bloqueo->acquire(informe_.carpeta(), entorno_.pump, esperando, ec))
            resultado.bloqueo_informe = std::move(bloqueo);
        if (espero && entorno_.estado) entorno_.estado({});
    }
    informe_.cerrar();
    estado_.errores = informe_.errores();
    resultado.fin = fin;
    resultado.informe = informe_.ruta();
    resultado.informe_temporal = informe_.temporal();
    resultado.error_informe = informe_.error();
    resultado.estado = std::move(estado_);
}

void Revision::avisar_progreso() {
    if (entorno_.progreso) {
        std::uint64_t hecho = lector_.bytes_leidos();
        if (total_bytes_ > 0 && hecho > total_bytes_) hecho = total_bytes_;
        entorno_.progreso(hecho, total_bytes_);
    }
    if (entorno_.pump) entorno_.pump();
}

// The record loop. `t` is the record type being read: it starts at 0 and only
// grows. A look-ahead that begins with a higher digit moves `t` up to it; once
// a type-0 record (the header some files carry on their first line) has been
// read, `t` moves on to 1, since only the first line may be one. `t` fills the
// record-type column of every error found while it is the type being read.
// A look-ahead that can never be read (an empty line before the end of the
// file, a first character that is no digit, a type lower than `t`) is a fatal
// error on that line, so the loop always ends.
void Revision::leer_registros() {
    using Lectura = LectorDeclaracion::Lectura;
    int t = 0;
    while (!parar_) {
        Lectura r = lector_.Leer_Registro(t, estado_.tabla, registro_, estado_.lineas_registro0);
        if (r == Lectura::ninguno) {
            if (!lector_.al_final()) {
                error(lector_.linea_adelanto(), t, {}, {}, m_.linea_vacia, true);
            }
            break;
        }
        if (r == Lectura::otro_tipo) {
            char c = lector_.adelanto()[0];
            if (!es_digito(c) || c - '0' < t) {
                error(lector_.linea_adelanto(), t, platform::whole_text(t), std::string(1, c),
                      m_.tipo_registro, true);
                break;
            }
            ++t;
            continue;
        }
        linea_ = lector_.linea_registro();
        if (t < static_cast<int>(tipos_leidos_.size()))
            tipos_leidos_[static_cast<std::size_t>(t)] = true;
        switch (t) {
            case 0:
                revisar_tipo0();
                t = 1;
                break;
            case 1:
                revisar_tipo1();
                break;
            case 2:
                revisar_tipo2();
                break;
            case 3:
                revisar_tipo3();
                break;
            default:
                break;  // higher record types have no checks
        }
    }

    // A file read to its end without a fatal error must hold types 1, 2 and 3.
    if (!parar_) {
        for (int n = 1; n <= 3; ++n) {
            if (tipos_leidos_[static_cast<std::size_t>(n)]) continue;
            error(lector_.lineas_leidas() + 1, n, platform::whole_text(n), {},
                  m_.falta_registro + digito(n), false);
        }
    }
}

void Revision::revisar_tipo0() {
    estado_.registro0 = true;
    std::string formulario = registro_.tramo(6, 4);
    if (formulario != estado_.formulario) {
        error(linea_, 0, estado_.formulario, std::move(formulario), m_.declaracion_no_corresponde,
              true);
    }
}

void Revision::revisar_largo(int tipo) {
    const FormatoRegistro& formato = estado_.tabla[static_cast<std::size_t>(tipo)];
    const auto largo = static_cast<std::int64_t>(registro_.largo()) - 1;
    if (largo != formato.largo) {
        error(linea_, tipo, platform::whole_text(formato.largo),
              platform::with_sign_place(static_cast<double>(largo)), m_.largo_erroneo, true);
    }
}

void Revision::revisar_tipo1() {
    const FormatoRegistro& formato = estado_.tabla[1];
    const std::string& form = estado_.formulario;

    if (formato.modo == 'M') {
        // The composed text of a section of n lines of width w is w(1 + n(n-1)/2).
        const double largo = static_cast<double>(registro_.largo()) - 1;
        double calculado = 0;
        if (listas::declarante_tres_lineas(form)) {
            calculado = (largo - formato.largo) / 3;
        } else if (listas::declarante_dos_lineas(form)) {
            calculado = largo / 2;
        }
        if (calculado != formato.largo) {
            error(linea_, 1, platform::whole_text(formato.largo),
                  platform::with_sign_place(calculado), m_.largo_erroneo, true);
        }
    }
    if (formato.modo == 'U') revisar_largo(1);

    if (!registro_.empieza_con("11")) return;

    std::string form_registro = registro_.tramo(listas::encabezado_largo(form) ? 9 : 7, 4);
    if (estado_.mensual) {
        estado_.periodo = registro_.tramo(3, 6);
        std::string mes = registro_.tramo(7, 2);
        const double valor = platform::leading_value(mes);
        if (!platform::is_number(mes) || valor < 1 || valor > 12) {
            error(linea_, 1, "01 - 12", std::move(mes), m_.mes_erroneo, true);
        }
    }
    if (form_registro != form) {
        error(linea_, 1, form, std::move(form_registro), m_.declaracion_no_corresponde, true);
    }

    Declarante& d = estado_.declarante;
    d.ano = campo(1, 1);
    d.codigo = campo(1, 2);
    d.folio = campo(1, 3);
    d.tipo_declaracion = campo(1, 4);
    d.rut_anterior = campo(1, 5);
    d.dv_anterior = campo(1, 6);
    d.folio_anterior = campo(1, 8);
    d.rut = campo(1, 9);
    d.dv = campo(1, 10);

    if (listas::gran_declarante(form) &&
        (!platform::is_number(d.rut) || platform::leading_value(d.rut) < 50000000)) {
        error(linea_, 1, ">50.000.000", d.rut, m_.rut_superior, true);
    }
    if (d.ano != estado_.periodo) {
        error(linea_, 1, estado_.ano_combo, d.ano, m_.ano_tributario, true);
    }
    std::string_view prefijo = platform::mid(d.folio, 1, 2);
    if (!platform::is_number(prefijo) || platform::leading_value(prefijo) != 80) {
        std::string esperado = "80";
        esperado += platform::mid(d.rut, 2, 3);
        esperado += platform::mid(d.folio, 6, 2);
        error(linea_, 1, std::move(esperado), d.folio, m_.folio_estructura, false);
    }
    if (d.codigo != "M") {
        error(linea_, 1, "M", d.codigo, m_.tipo_presentacion, false);
    }
    if (d.tipo_declaracion == "R") {
        if (d.folio_anterior == d.folio || !platform::is_number(d.folio_anterior)) {
            error(linea_, 1, d.folio, d.folio_anterior, m_.folio_anterior, false);
        }
        if (d.rut_anterior != d.rut || d.dv_anterior != d.dv ||
            !platform::is_number(d.rut_anterior)) {
            error(linea_, 1, d.rut, d.rut_anterior, m_.rut_anterior, false);
        }
    }
}

void Revision::revisar_tipo2() {
    const Declarante& d = estado_.declarante;
    revisar_largo(2);

    std::string codigo = campo(2, 1);
    if (codigo != "M") error(linea_, 2, "M", std::move(codigo), m_.tipo_presentacion, true);

    if (estado_.formulario == "1831") {
        Validar_Valores_1831(registro_, linea_, estado_.tabla, informe_);
    }
    ++estado_.cantidad_tipo2;

    std::string folio = campo(2, 2);
    if (folio != d.folio) error(linea_, 2, d.folio, std::move(folio), m_.folio_tipo2, true);

    std::string rut = campo(2, 4);
    std::string dv = campo(2, 5);
    if (rut != d.rut || dv != d.dv) {
        error(linea_, 2, d.rut + "-" + d.dv, rut + "-" + dv, m_.rut_tipo2, true);
    }

    std::string tipo = campo(2, 3);
    if (tipo != d.tipo_declaracion) {
        error(linea_, 2, d.tipo_declaracion, std::move(tipo), m_.tipo_declaracion, true);
    }
}

void Revision::revisar_tipo3() {
    const Declarante& d = estado_.declarante;
    const FormatoRegistro& formato = estado_.tabla[3];

    if (formato.modo == 'M' && (static_cast<double>(registro_.largo()) - 1) / 2 != formato.largo) {
        error(linea_, 3, platform::whole_text(formato.largo), " ", m_.largo_erroneo, true);
    }
    if (formato.modo == 'U') revisar_largo(3);

    if (registro_.empieza_con("31")) {
        std::string folio = campo(3, 2);
        if (folio != d.folio) error(linea_, 3, d.folio, std::move(folio), m_.folio_tipo3, false);
        std::string rut = campo(3, 4);
        std::string dv = campo(3, 5);
        if (rut != d.rut || dv != d.dv) {
            error(linea_, 3, d.rut + "-" + d.dv, rut + "-" + dv, m_.rut_tipo3, false);
        }
    } else if (registro_.empieza_con("32") || registro_.empieza_con("33")) {
        const std::string parte3 = campo(3, 9);  // fitted to four characters
        std::string fecha =
            campo(3, 7) + campo(3, 8) + Rellenar_Derecha(platform::mid(parte3, 1, 4), 4);
        if (fecha != "00   0000") {
            error(linea_, 3, "00   0000", std::move(fecha), m_.fecha_presentacion, false);
        }
    }
}

}  // namespace

ResultadoRevision Revisar(const Entorno& entorno, const Pedido& pedido,
                          const std::function<void(const Hallazgo&)>& al_anotar) {
    Revision revision(entorno, al_anotar);
    return revision.correr(pedido);
}

}  // namespace orvex
