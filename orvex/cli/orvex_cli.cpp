// orvex-cli: the job of the button "Revisar y Generar Archivo para Internet"
// without a window, for accounting software and batch use.
//
//   orvex-cli [--install DIR] --form FORM --year YEAR [--json] DECLARATION_FILE
//   orvex-cli [--install DIR] --list
//
// Message boxes are printed as "title: text" and answered OK; the report of a
// review with errors is printed. Exit status: 0 upload file written, stamped
// where due and packed; 1 the declaration has errors, or the path or the
// declaration is empty, or names no regular file; 2 anything else, a failed
// write of standard output included.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "orvex/catalogo.hpp"
#include "orvex/revisar_declaracion.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace {

constexpr const char* kUso =
    "uso: orvex-cli [--install CARPETA] --form FORMULARIO --year AÑO [--json] ARCHIVO\n"
    "     orvex-cli [--install CARPETA] --list\n";

struct Opciones {
    std::filesystem::path install;
    std::string form, year, archivo;
    bool json = false, list = false, archivo_dado = false;
};

[[noreturn]] void fallar(const std::string& texto) {
    std::cerr << "orvex-cli: " << texto << '\n';
    std::exit(2);
}

Opciones leer_opciones(int argc, char** argv) {
    Opciones o;
    o.install = platform::program_folder();
    auto valor = [&](int& i, std::string_view nombre) -> std::string {
        std::string_view arg = argv[i];
        if (arg.size() > nombre.size() && arg[nombre.size()] == '=')
            return std::string(arg.substr(nombre.size() + 1));
        if (i + 1 >= argc) fallar("falta el valor de " + std::string(nombre) + "\n" + kUso);
        return argv[++i];
    };
    auto es = [](std::string_view arg, std::string_view nombre) {
        return arg == nombre ||
               (arg.starts_with(nombre) && arg.size() > nombre.size() && arg[nombre.size()] == '=');
    };
    bool solo_archivos = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!solo_archivos && arg == "--") {
            solo_archivos = true;
        } else if (!solo_archivos && (arg == "-h" || arg == "--help")) {
            std::cout << kUso;
            std::exit(0);
        } else if (!solo_archivos && es(arg, "--install")) {
            // Absolute before anything derives from it: GEN_2018 lies beside
            // it, and names passed to 7-Zip must not carry its path.
            std::error_code ec;
            o.install = std::filesystem::absolute(valor(i, "--install"), ec);
            if (ec) fallar("carpeta de instalación no válida: " + std::string(argv[i]));
            while (!o.install.has_filename() && o.install != o.install.root_path())
                o.install = o.install.parent_path();  // "drive/" names "drive"
        } else if (!solo_archivos && es(arg, "--form")) {
            o.form = valor(i, "--form");
        } else if (!solo_archivos && es(arg, "--year")) {
            o.year = valor(i, "--year");
        } else if (!solo_archivos && arg == "--json") {
            o.json = true;
        } else if (!solo_archivos && arg == "--list") {
            o.list = true;
        } else if (!solo_archivos && arg.starts_with("--")) {
            fallar("opción desconocida " + std::string(arg) + "\n" + kUso);
        } else if (o.archivo_dado) {
            fallar(std::string("sobra el argumento ") + argv[i] + "\n" + kUso);
        } else {
            o.archivo = argv[i];
            o.archivo_dado = true;
        }
    }
    return o;
}

void json_texto(std::FILE* out, std::string_view cp1252) {
    std::fputc('"', out);
    for (unsigned char c : platform::cp1252_to_utf8(cp1252)) {
        switch (c) {
            case '"':
                std::fputs("\\\"", out);
                break;
            case '\\':
                std::fputs("\\\\", out);
                break;
            case '\n':
                std::fputs("\\n", out);
                break;
            case '\r':
                std::fputs("\\r", out);
                break;
            case '\t':
                std::fputs("\\t", out);
                break;
            default:
                if (c < 0x20)
                    std::fprintf(out, "\\u%04x", c);
                else
                    std::fputc(c, out);
        }
    }
    std::fputc('"', out);
}

void json_hallazgo(std::FILE* out, const orvex::Hallazgo& h, bool primero) {
    std::fputs(primero ? "\n  {\"line\": " : ",\n  {\"line\": ", out);
    std::fprintf(out, "%llu, \"record_type\": ", static_cast<unsigned long long>(h.linea));
    if (h.tipo >= '0' && h.tipo <= '9')
        std::fputc(h.tipo, out);
    else
        json_texto(out, std::string_view(&h.tipo, 1));
    std::fputs(", \"expected\": ", out);
    json_texto(out, h.esperado);
    std::fputs(", \"informed\": ", out);
    json_texto(out, h.informado);
    std::fputs(", \"message\": ", out);
    json_texto(out, h.mensaje);
    std::fprintf(out, ", \"fatal\": %s}", h.fatal ? "true" : "false");
}

// Standard output was closed when the program started.
bool salida_cerrada = false;

// Keeps the standard descriptors taken, so that no file opened later gets
// one of their numbers (and output meant for the terminal lands in it).
void reservar_descriptores() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        if (fd == STDOUT_FILENO) salida_cerrada = true;
        const int nulo = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (nulo >= 0 && nulo != fd) {
            ::dup2(nulo, fd);
            ::close(nulo);
        }
    }
}

// Standard output could not be written (a closed pipe, a full disk): the
// results did not reach their reader, so the run fails as standard tools do.
int salida_estandar(int codigo) {
    errno = 0;
    std::cout.flush();
    const bool fallo_cout = !std::cout.good();
    const bool fallo_stdout = std::fflush(stdout) != 0 || std::ferror(stdout);
    if (fallo_cout || fallo_stdout || salida_cerrada) {
        const int e = salida_cerrada ? EBADF : errno;
        std::fprintf(stderr, "orvex-cli: error al escribir la salida estándar%s%s\n", e ? ": " : "",
                     e ? std::strerror(e) : "");
        return 2;
    }
    return codigo;
}

int listar(const std::filesystem::path& install) {
    std::cout << "Carpeta de instalación: " << install.string() << "\nFormularios:\n";
    for (const auto& f : orvex::Cargar_Formularios(install))
        std::cout << "  " << platform::cp1252_to_utf8(f) << '\n';
    std::cout << "Años tributarios:";
    for (const auto& a : orvex::Cargar_Anos(install))
        std::cout << ' ' << platform::cp1252_to_utf8(a);
    std::cout << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A closed pipe shows as a failed write, not as a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    reservar_descriptores();
    Opciones o = leer_opciones(argc, argv);
    if (!platform::is_directory(o.install))
        fallar("la carpeta de instalación no existe: " + o.install.string());
    if (o.list) return salida_estandar(listar(o.install));
    if (o.form.empty() || o.year.empty() || !o.archivo_dado)
        fallar(std::string("faltan argumentos\n") + kUso);

    // The form must be an entry of FormsDJ.txt, the year an entry of ANOT.TXT.
    bool en_catalogo = false;
    const std::string form_cp = platform::utf8_to_cp1252(o.form);
    for (const auto& f : orvex::Cargar_Formularios(o.install))
        if (orvex::numero_de_formulario(f) == form_cp) en_catalogo = true;
    if (!en_catalogo) fallar("el formulario " + o.form + " no figura en Sistema/FormsDJ.txt");
    std::optional<std::string> ano;
    const std::string year_cp = platform::upper_cp1252(platform::utf8_to_cp1252(o.year));
    for (const auto& a : orvex::Cargar_Anos(o.install))
        if (a == year_cp) ano = a;
    if (!ano) fallar("el año tributario " + o.year + " no figura en Sistema/ANOT.TXT");

    platform::ConsolePort port(std::cout);
    const bool terminal = ::isatty(STDERR_FILENO);
    orvex::Entorno entorno{o.install, port, {}, {}, {}, {}};
    if (terminal) {
        entorno.progreso = [](std::uint64_t hecho, std::uint64_t total) {
            if (total > 0) std::fprintf(stderr, "\rRevisando: %3d%%", int(hecho * 100 / total));
        };
    }

    // Findings wait in a temporary file so that the JSON array comes out whole,
    // after the messages, without holding them all in memory.
    std::FILE* hallazgos = o.json ? std::tmpfile() : nullptr;
    if (o.json && !hallazgos) fallar("no se pudo crear un archivo temporal");
    bool primero = true;
    std::function<void(const orvex::Hallazgo&)> al_anotar;
    if (hallazgos) {
        al_anotar = [&](const orvex::Hallazgo& h) {
            json_hallazgo(hallazgos, h, primero);
            primero = false;
        };
    }

    const orvex::Pedido pedido{form_cp, std::string(platform::mid(*ano, 1, 4)),
                               std::filesystem::path(std::string(platform::trim(o.archivo)))};
    orvex::FinTrabajo fin = orvex::Revisar_Declaracion(entorno, pedido, al_anotar);
    if (terminal && entorno.progreso) std::fputs("\r               \r", stderr);
    if (fin == orvex::FinTrabajo::sin_archivo) orvex::Avisar_Sin_Archivo(port);

    if (hallazgos) {
        std::cout.flush();
        std::fputs("[", stdout);
        std::rewind(hallazgos);
        char buf[1 << 16];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, hallazgos)) > 0;)
            std::fwrite(buf, 1, n, stdout);
        std::fputs(primero ? "]\n" : "\n]\n", stdout);
        std::fclose(hallazgos);
    }

    int codigo = 2;
    switch (fin) {
        case orvex::FinTrabajo::generado:
            codigo = 0;
            break;
        case orvex::FinTrabajo::sin_archivo:
        case orvex::FinTrabajo::no_regular:
        case orvex::FinTrabajo::con_errores:
        case orvex::FinTrabajo::declaracion_vacia:
            codigo = 1;
            break;
        case orvex::FinTrabajo::fallo:
            codigo = 2;
            break;
    }
    return salida_estandar(codigo);
}
