#include "setup/instalacion.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/paths.hpp"

namespace setup {

namespace {

std::string variable(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

fs::path home() {
    return variable("HOME");
}

// The programs and libraries of the setup folder, with the registrations of
// the component libraries right after each is copied. The component layer's
// runtime library is copied before the component libraries, which need it
// beside them when regsvr32 loads them.
const std::vector<Paso> kLista = {
    {Paso::Tipo::copiar, "orvex"},
    {Paso::Tipo::copiar, "orvex-cli"},
    {Paso::Tipo::copiar, "Orvex18.desktop"},
    {Paso::Tipo::copiar, "liborvex_components.so"},
    {Paso::Tipo::copiar, "libsigmar32.so"},
    {Paso::Tipo::copiar, "sigmar-stamp"},
    {Paso::Tipo::copiar, "7z"},
    {Paso::Tipo::copiar, "libKvario3.so"},
    {Paso::Tipo::registrar, "libKvario3.so"},
    {Paso::Tipo::copiar, "libTolvan.so"},
    {Paso::Tipo::registrar, "libTolvan.so"},
};

bool escribir_todo(int fd, const char* datos, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, datos, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        datos += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// Writes `bytes` (or the file `origen` when given) to a new file beside
// `destino` and renames it over `destino`.
bool escribir_en_su_lugar(const fs::path& destino, const fs::path* origen, std::string_view bytes,
                          mode_t modo) {
    int entrada = -1;
    if (origen) {
        entrada = ::open(origen->c_str(), O_RDONLY | O_CLOEXEC);
        if (entrada < 0) return false;
        struct stat st {};
        if (::fstat(entrada, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(entrada);
            return false;
        }
        modo = st.st_mode & 07777;
    }
    const fs::path temporal = destino.parent_path() / ("." + destino.filename().string() +
                                                       ".setup-" + std::to_string(::getpid()));
    int salida = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = salida >= 0;
    if (ok && origen) {
        char buffer[1 << 16];
        for (;;) {
            ssize_t r = ::read(entrada, buffer, sizeof buffer);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                ok = r == 0;
                break;
            }
            if (!escribir_todo(salida, buffer, static_cast<std::size_t>(r))) {
                ok = false;
                break;
            }
        }
    } else if (ok) {
        ok = escribir_todo(salida, bytes.data(), bytes.size());
    }
    if (entrada >= 0) ::close(entrada);
    if (ok) ok = ::fchmod(salida, modo) == 0 && ::fsync(salida) == 0;
    if (salida >= 0 && ::close(salida) != 0) ok = false;
    if (ok) ok = ::rename(temporal.c_str(), destino.c_str()) == 0;
    if (!ok && salida >= 0) ::unlink(temporal.c_str());
    return ok;
}

// A text for a desktop entry's string value.
std::string valor_cadena(const std::string& texto) {
    std::string out;
    for (char c : texto) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// A program path as one quoted argument of a desktop entry's Exec key: the
// characters the quoting reserves get a backslash, "%" is doubled, and the
// whole is then written as a string value (which doubles each backslash).
std::string argumento_exec(const std::string& ruta) {
    std::string citado = "\"";
    for (char c : ruta) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') citado += '\\';
        if (c == '%') citado += '%';
        citado += c;
    }
    citado += '"';
    return valor_cadena(citado);
}

void estado(const Entorno& e, std::string_view texto) {
    if (e.estado) e.estado(texto);
}

// Creates a folder below `padre` (reusing a case-variant) and returns its path
// as it exists on disk.
fs::path carpeta(const fs::path& padre, std::string_view nombre) {
    std::error_code ec;
    platform::create_folder(padre / nombre, ec);
    return platform::resolve(padre / nombre);
}

void registrar(const Entorno& e, const fs::path& biblioteca) {
    const std::string regsvr32 = (e.carpeta_setup / "regsvr32").string();
    platform::Ejecutar_y_Esperar({regsvr32, "/s", "/u", biblioteca.string()}, e.pump);
    platform::Ejecutar_y_Esperar({regsvr32, "/s", biblioteca.string()}, e.pump);
}

}  // namespace

CarpetasUsuario Carpetas_Usuario() {
    // Only absolute paths count (relative XDG values are to be ignored); with
    // neither a home folder nor absolute values, no entry is written.
    const auto absoluta = [](const fs::path& p) { return p.is_absolute() ? p : fs::path(); };
    const fs::path casa = absoluta(home());
    CarpetasUsuario c;
    fs::path configuracion = absoluta(variable("XDG_CONFIG_HOME"));
    if (configuracion.empty() && !casa.empty()) configuracion = casa / ".config";
    std::string texto;
    if (!configuracion.empty()) {
        std::ifstream in(configuracion / "user-dirs.dirs", std::ios::binary);
        texto.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    c.escritorio = absoluta(escritorio_de_user_dirs(texto, casa.string()));
    if (c.escritorio.empty()) c.escritorio = absoluta(variable("XDG_DESKTOP_DIR"));
    if (c.escritorio.empty() && !casa.empty()) c.escritorio = casa / "Desktop";
    fs::path datos = absoluta(variable("XDG_DATA_HOME"));
    if (datos.empty() && !casa.empty()) datos = casa / ".local/share";
    if (!datos.empty()) c.aplicaciones = datos / "applications";
    return c;
}

std::string escritorio_de_user_dirs(std::string_view texto, std::string_view home) {
    std::string valor;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        std::size_t fin = texto.find('\n', inicio);
        if (fin == std::string_view::npos) fin = texto.size();
        std::string_view linea = texto.substr(inicio, fin - inicio);
        inicio = fin + 1;
        while (!linea.empty() && (linea.front() == ' ' || linea.front() == '\t'))
            linea.remove_prefix(1);
        constexpr std::string_view clave = "XDG_DESKTOP_DIR=";
        if (linea.substr(0, clave.size()) != clave) continue;
        linea.remove_prefix(clave.size());
        while (!linea.empty() && (linea.back() == '\r' || linea.back() == ' '))
            linea.remove_suffix(1);
        if (linea.size() < 2 || linea.front() != '"' || linea.back() != '"') continue;
        linea = linea.substr(1, linea.size() - 2);
        // The file's form: "$HOME/Folder" or an absolute path, with \" and \\ escaped.
        std::string v;
        if (linea.substr(0, 5) == "$HOME") {
            v = home;
            linea.remove_prefix(5);
        }
        for (std::size_t i = 0; i < linea.size(); ++i) {
            if (linea[i] == '\\' && i + 1 < linea.size()) ++i;
            v += linea[i];
        }
        valor = v;  // the last assignment wins, as when the shell reads the file
    }
    return valor;
}

bool Copiar_Archivo(const fs::path& origen, const fs::path& destino) {
    return escribir_en_su_lugar(destino, &origen, {}, 0644);
}

std::string entrada_escritorio(const fs::path& programa, const fs::path& carpeta) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=Orvex 2018\n"
           "Comment=Revisa declaraciones juradas y genera el archivo para Internet\n"
           "Exec=" +
           argumento_exec(programa.string()) +
           "\n"
           "Path=" +
           valor_cadena(carpeta.string()) +
           "\n"
           "Terminal=false\n"
           "Categories=Office;Finance;\n";
}

bool Copiar_Entrada(const fs::path& origen, const fs::path& destino, const fs::path& instalacion) {
    std::ifstream in(origen, std::ios::binary);
    if (!in) return false;
    const std::string exec = "Exec=" + argumento_exec((instalacion / "orvex").string());
    const std::string path = "Path=" + valor_cadena(instalacion.string());
    std::vector<std::string> lineas;
    std::size_t grupo = std::string::npos;  // the line of "[Desktop Entry]"
    bool en_grupo = false, con_exec = false, con_path = false;
    for (std::string linea; std::getline(in, linea);) {
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        if (!linea.empty() && linea[0] == '[') {
            en_grupo = linea == "[Desktop Entry]";
            if (en_grupo) grupo = lineas.size();
        } else if (en_grupo && linea.rfind("Exec=", 0) == 0) {
            linea = exec;
            con_exec = true;
        } else if (en_grupo && linea.rfind("Path=", 0) == 0) {
            linea = path;
            con_path = true;
        }
        lineas.push_back(std::move(linea));
    }
    if (grupo == std::string::npos) return false;  // not a desktop entry
    // Keys the prepared entry lacks go right after its group header.
    auto despues = lineas.begin() + static_cast<std::ptrdiff_t>(grupo) + 1;
    if (!con_path) despues = lineas.insert(despues, path);
    if (!con_exec) lineas.insert(despues, exec);
    std::string texto;
    for (const auto& l : lineas) texto += l + "\n";
    return escribir_en_su_lugar(destino, nullptr, texto, 0644);
}

bool Crear_Acceso_Directo(const fs::path& instalacion, const CarpetasUsuario& carpetas) {
    const fs::path programa = platform::resolve(instalacion / "orvex");
    const std::string texto = entrada_escritorio(programa, instalacion);
    bool alguno = false;
    std::error_code ec;
    if (!carpetas.escritorio.empty() && fs::is_directory(carpetas.escritorio, ec))
        alguno |= escribir_en_su_lugar(carpetas.escritorio / kAccesoDirecto, nullptr, texto, 0755);
    if (!carpetas.aplicaciones.empty()) {
        fs::create_directories(carpetas.aplicaciones, ec);
        alguno |=
            escribir_en_su_lugar(carpetas.aplicaciones / kAccesoDirecto, nullptr, texto, 0644);
    }
    return alguno;
}

const std::vector<Paso>& Lista_Copias() {
    return kLista;
}

fs::path Instalar(const Entorno& e) {
    estado(e, kInstalandoComponentes);

    // The folder tree; folders that exist already (in any letter case) are kept.
    const fs::path instalacion = carpeta(e.raiz, kCarpetaInstalacion);
    carpeta(instalacion, "REGISTRO");
    carpeta(instalacion, "SISTEMA");
    const fs::path forms = carpeta(instalacion, "Forms");
    for (std::string_view f : kFormularios) carpeta(forms, f);

    estado(e, kInstalando);
    for (const Paso& paso : kLista) {
        const fs::path destino = platform::resolve(instalacion / paso.nombre);
        if (paso.tipo == Paso::Tipo::registrar) {
            registrar(e, destino);
            continue;
        }
        const fs::path origen = platform::resolve(e.carpeta_setup / paso.nombre);
        if (!platform::is_regular_file(origen)) continue;
        if (paso.nombre == "Orvex18.desktop")
            Copiar_Entrada(origen, destino, instalacion);
        else
            Copiar_Archivo(origen, destino);
    }

    estado(e, kInstalandoConfiguracion);
    const fs::path sistema_origen = platform::resolve(e.carpeta_setup / "Sistema");
    const fs::path sistema = carpeta(instalacion, "Sistema");
    for (std::string_view nombre : kArchivosSistema) {
        const fs::path origen = platform::resolve(sistema_origen / nombre);
        if (platform::is_regular_file(origen))
            Copiar_Archivo(origen, platform::resolve(sistema / nombre));
    }

    estado(e, kCreandoAcceso);
    if (e.pump) e.pump();
    Crear_Acceso_Directo(instalacion, e.carpetas);

    if (e.al_terminar) e.al_terminar();
    estado(e, kInstalacionTerminada);
    return instalacion;
}

}  // namespace setup
