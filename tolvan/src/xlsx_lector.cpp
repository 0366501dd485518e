#include "xlsx_lector.hpp"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <pugixml.hpp>
#include <string_view>
#include <system_error>
#include <vector>

namespace tolvan::xlsx {

namespace {

constexpr std::uint32_t kMaxFilas = 1048576;
constexpr std::uint32_t kMaxColumnas = 16384;
constexpr std::size_t kMaxParteChica = 64u << 20;  // workbook, relationships
constexpr std::size_t kMaxElemento = 64u << 20;    // one row or one shared string
constexpr std::size_t kMaxCadenas = 1u << 30;      // all shared strings
constexpr std::size_t kGrupo = 4u << 20;           // XML parsed at a time
constexpr std::size_t kBloque = 1u << 20;          // bytes read from the ZIP at a time

[[noreturn]] void fallar(const std::string& motivo) {
    throw Error(motivo);
}

// ---- XML names ----

// The name without its namespace prefix: "x:row" gives "row".
std::string_view local(std::string_view nombre) {
    const std::size_t p = nombre.rfind(':');
    return p == std::string_view::npos ? nombre : nombre.substr(p + 1);
}

// Whether a name, prefix aside, is `nombre`.
bool nombre_es(const char* completo, std::string_view nombre) {
    const char* p = completo;
    for (const char* q = completo; *q; ++q)
        if (*q == ':') p = q + 1;
    return std::string_view(p) == nombre;
}

bool es(const pugi::xml_node& n, std::string_view nombre) {
    return n.type() == pugi::node_element && nombre_es(n.name(), nombre);
}

pugi::xml_node hijo(const pugi::xml_node& n, std::string_view nombre) {
    for (pugi::xml_node h = n.first_child(); h; h = h.next_sibling())
        if (es(h, nombre)) return h;
    return {};
}

// An attribute without a prefix (r, t), or, with `con_prefijo`, one of that
// name with a prefix (r:id, as opposed to a plain id).
pugi::xml_attribute atributo(const pugi::xml_node& n, const char* nombre,
                             bool con_prefijo = false) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        const char* completo = a.name();
        if (!con_prefijo ? std::strcmp(completo, nombre) == 0
                         : std::strchr(completo, ':') && nombre_es(completo, nombre))
            return a;
    }
    return {};
}

const unsigned kOpciones = pugi::parse_escapes | pugi::parse_cdata | pugi::parse_eol |
                           pugi::parse_ws_pcdata_single | pugi::parse_wconv_attribute;

// ---- ZIP ----

class Zip {
  public:
    explicit Zip(const std::filesystem::path& ruta) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(ruta, ec))
            fallar("no existe el libro " + ruta.string());
        int error = 0;
        z_ = zip_open(ruta.c_str(), ZIP_RDONLY, &error);
        if (!z_) fallar("no es un archivo ZIP: " + ruta.string());
    }
    ~Zip() {
        if (z_) zip_discard(z_);
    }
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;

    // The entry of a part name (compared without regard to letter case, as
    // part names are); none when the archive lacks it.
    std::optional<zip_uint64_t> entrada(const std::string& nombre) const {
        zip_int64_t i = zip_name_locate(z_, nombre.c_str(), 0);
        if (i < 0) i = zip_name_locate(z_, nombre.c_str(), ZIP_FL_NOCASE);
        if (i < 0) return std::nullopt;
        return zip_uint64_t(i);
    }
    zip_t* get() const { return z_; }

  private:
    zip_t* z_ = nullptr;
};

// One entry being decompressed.
class Lectura {
  public:
    Lectura(const Zip& zip, zip_uint64_t entrada, const std::string& nombre) : nombre_(nombre) {
        f_ = zip_fopen_index(zip.get(), entrada, 0);
        if (!f_) fallar("no se puede leer " + nombre_);
    }
    ~Lectura() {
        if (f_) zip_fclose(f_);
    }
    Lectura(const Lectura&) = delete;
    Lectura& operator=(const Lectura&) = delete;

    // Appends up to `n` bytes; 0 at the end of the entry.
    std::size_t leer(std::string& destino, std::size_t n) {
        const std::size_t antes = destino.size();
        destino.resize(antes + n);
        const zip_int64_t r = zip_fread(f_, destino.data() + antes, n);
        if (r < 0) {
            destino.resize(antes);
            fallar("entrada dañada: " + nombre_);
        }
        destino.resize(antes + std::size_t(r));
        return std::size_t(r);
    }

  private:
    zip_file_t* f_ = nullptr;
    std::string nombre_;
};

std::string leer_parte(const Zip& zip, const std::string& nombre) {
    const auto e = zip.entrada(nombre);
    if (!e) fallar("falta la parte " + nombre);
    Lectura l(zip, *e, nombre);
    std::string datos;
    while (l.leer(datos, kBloque) > 0) {
        if (datos.size() > kMaxParteChica) fallar("parte demasiado grande: " + nombre);
    }
    return datos;
}

void cargar(pugi::xml_document& doc, std::string& datos, const std::string& nombre) {
    const pugi::xml_parse_result r =
        doc.load_buffer_inplace(datos.data(), datos.size(), kOpciones, pugi::encoding_utf8);
    if (!r) fallar("XML no válido en " + nombre + ": " + r.description());
}

// ---- Relationships between parts ----

struct Relacion {
    std::string id, tipo, destino;  // destino: the part name it points to
};

// The folder of a part name, with its trailing "/": "xl/workbook.xml" gives "xl/".
std::string carpeta_de(const std::string& parte) {
    const std::size_t p = parte.rfind('/');
    return p == std::string::npos ? std::string() : parte.substr(0, p + 1);
}

int hexadecimal(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A relationship target resolved against the folder of its source part: "."
// and ".." segments removed, %XX escapes decoded, no leading "/".
std::string resolver_destino(const std::string& carpeta, std::string_view destino) {
    std::string crudo;
    for (std::size_t i = 0; i < destino.size(); ++i) {
        if (destino[i] == '%' && i + 2 < destino.size() && hexadecimal(destino[i + 1]) >= 0 &&
            hexadecimal(destino[i + 2]) >= 0) {
            crudo += char(hexadecimal(destino[i + 1]) * 16 + hexadecimal(destino[i + 2]));
            i += 2;
        } else {
            crudo += destino[i] == '\\' ? '/' : destino[i];
        }
    }
    const std::string camino = !crudo.empty() && crudo[0] == '/' ? crudo : carpeta + crudo;
    std::vector<std::string> partes;
    std::size_t i = 0;
    while (i <= camino.size()) {
        std::size_t j = camino.find('/', i);
        if (j == std::string::npos) j = camino.size();
        const std::string seg = camino.substr(i, j - i);
        if (seg == "..") {
            if (!partes.empty()) partes.pop_back();
        } else if (!seg.empty() && seg != ".") {
            partes.push_back(seg);
        }
        i = j + 1;
    }
    std::string r;
    for (const std::string& s : partes) r += (r.empty() ? "" : "/") + s;
    return r;
}

// The internal relationships of a part, from its .rels part; none when the
// part has no relationships.
std::vector<Relacion> relaciones(const Zip& zip, const std::string& parte) {
    const std::string carpeta = carpeta_de(parte);
    const std::string nombre = carpeta + "_rels/" + parte.substr(carpeta.size()) + ".rels";
    std::vector<Relacion> out;
    if (!zip.entrada(nombre)) return out;
    std::string datos = leer_parte(zip, nombre);
    pugi::xml_document doc;
    cargar(doc, datos, nombre);
    const pugi::xml_node raiz = hijo(doc, "Relationships");
    for (pugi::xml_node r = raiz.first_child(); r; r = r.next_sibling()) {
        if (!es(r, "Relationship")) continue;
        if (std::string_view(atributo(r, "TargetMode").value()) == "External") continue;
        out.push_back({atributo(r, "Id").value(), atributo(r, "Type").value(),
                       resolver_destino(carpeta, atributo(r, "Target").value())});
    }
    return out;
}

// Relationship types end in the same name in the transitional and the strict
// vocabularies: ".../officeDocument/2006/relationships/worksheet" and
// ".../officeDocument/relationships/worksheet".
bool es_tipo(const Relacion& r, std::string_view nombre) {
    const std::string_view t = r.tipo;
    return t.size() > nombre.size() && t.substr(t.size() - nombre.size()) == nombre &&
           t[t.size() - nombre.size() - 1] == '/';
}

// ---- Streaming a part a group of elements at a time ----

bool empieza(const std::string& s, std::size_t p, std::string_view con) {
    return s.compare(p, con.size(), con) == 0;
}

bool fin_de_nombre(char c) {
    return c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\n' || c == '\r';
}

// The position of the ">" that ends the tag opened at `p`, skipping quoted
// attribute values; npos when the tag is not complete yet.
std::size_t fin_de_etiqueta(const std::string& s, std::size_t p) {
    char comilla = 0;
    for (std::size_t i = p + 1; i < s.size(); ++i) {
        const char c = s[i];
        if (comilla) {
            if (c == comilla) comilla = 0;
        } else if (c == '"' || c == '\'') {
            comilla = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string::npos;
}

// What the scanner finds at the next "<" of the buffer.
struct Marca {
    enum class Tipo {
        ninguna,     // no "<" in the rest of the buffer
        incompleta,  // the construct at `inicio` goes on in data not read yet
        otra,        // a comment, CDATA section or processing instruction ending before `fin`
        etiqueta,    // a start, end or empty-element tag; its name ends before `fin`
    } tipo = Tipo::ninguna;
    std::size_t inicio = 0, fin = 0;
    std::string_view nombre;  // the tag's local name, a view into the buffer
    bool cierre = false;      // an end tag
};

// The construct that begins at the first "<" at or after `desde`. `completo`
// tells that the buffer holds the rest of the part. Only a tag's name is read:
// the rest of it can be passed over, as "<" cannot stand inside an attribute
// value; `fin_de_marca` finds its end for the tags that are cut at.
Marca siguiente_marca(const std::string& buf, std::size_t desde, bool completo,
                      const std::string& parte) {
    Marca m;
    const std::size_t p = buf.find('<', desde);
    if (p == std::string::npos) return m;
    m.inicio = p;
    const auto hasta_cierre = [&](std::string_view abre, std::string_view cierra) {
        const std::size_t q = buf.find(cierra, p + abre.size());
        return q == std::string::npos ? q : q + cierra.size();
    };
    const auto otra = [&](std::size_t fin) {
        m.tipo = fin == std::string::npos ? Marca::Tipo::incompleta : Marca::Tipo::otra;
        m.fin = fin;
        return m;
    };
    const char tras = p + 1 < buf.size() ? buf[p + 1] : '\0';
    if ((tras == '!' && !completo && buf.size() - p < 9) || (tras == '\0' && !completo)) {
        m.tipo = Marca::Tipo::incompleta;  // too short to tell what it is yet
        return m;
    }
    if (tras == '!' && empieza(buf, p, "<!--")) return otra(hasta_cierre("<!--", "-->"));
    if (tras == '!' && empieza(buf, p, "<![CDATA[")) return otra(hasta_cierre("<![CDATA[", "]]>"));
    if (tras == '?') return otra(hasta_cierre("<?", "?>"));
    if (tras == '!') fallar("declaración no admitida en " + parte);

    m.cierre = buf[p + 1] == '/';
    const std::size_t a = p + (m.cierre ? 2 : 1);
    std::size_t b = a;
    while (b < buf.size() && !fin_de_nombre(buf[b])) ++b;
    if (b == buf.size()) {
        m.tipo = Marca::Tipo::incompleta;
        return m;
    }
    m.tipo = Marca::Tipo::etiqueta;
    m.nombre = local(std::string_view(buf).substr(a, b - a));
    m.fin = b;
    return m;
}

// One past the ">" that ends the tag `m`; npos when it is not complete yet.
std::size_t fin_de_marca(const std::string& buf, const Marca& m) {
    const std::size_t q = m.cierre ? buf.find('>', m.fin) : fin_de_etiqueta(buf, m.inicio);
    return q == std::string::npos ? q : q + 1;
}

// Reads the elements named `elemento` inside the first element named
// `contenedor` of a part, handing them to `grupo` as the children of a parsed
// fragment, a group at a time, in order. `grupo` returns false to stop. The
// part is scanned for the container's start and end and for the ends of the
// elements; only the groups between them are parsed.
void recorrer(const Zip& zip, const std::string& parte, std::string_view contenedor,
              std::string_view elemento, const std::function<bool(pugi::xml_node)>& grupo) {
    const auto e = zip.entrada(parte);
    if (!e) fallar("falta la parte " + parte);
    Lectura lectura(zip, *e, parte);

    enum class Fase { antes, dentro, fin } fase = Fase::antes;
    std::string buf;
    std::size_t escaneado = 0;  // everything before this is scanned
    std::size_t corte = 0;      // end of the last complete element
    bool fin_de_datos = false;

    auto entregar = [&](std::size_t hasta) {
        bool seguir = true;
        if (hasta > 0) {
            pugi::xml_document doc;
            const pugi::xml_parse_result r = doc.load_buffer_inplace(
                buf.data(), hasta, kOpciones | pugi::parse_fragment, pugi::encoding_utf8);
            if (!r) fallar("XML no válido en " + parte + ": " + r.description());
            seguir = grupo(doc);
        }
        buf.erase(0, hasta);
        escaneado -= hasta;
        corte = 0;
        return seguir;
    };

    for (;;) {
        // Group the complete constructs that are there: the container's start
        // and end, and the ends of its elements.
        while (fase != Fase::fin) {
            const Marca m = siguiente_marca(buf, escaneado, fin_de_datos, parte);
            if (m.tipo == Marca::Tipo::ninguna) {
                escaneado = buf.size();
                break;
            }
            if (m.tipo == Marca::Tipo::incompleta) {
                escaneado = m.inicio;
                break;
            }
            std::size_t fin = m.fin;
            const bool marcada =
                m.tipo == Marca::Tipo::etiqueta &&
                (fase == Fase::antes ? !m.cierre && m.nombre == contenedor
                                     : m.nombre == elemento || m.nombre == contenedor);
            if (marcada) {
                fin = fin_de_marca(buf, m);
                if (fin == std::string::npos) {
                    escaneado = m.inicio;
                    break;
                }
                const bool vacia = buf[fin - 2] == '/';
                if (fase == Fase::antes) {
                    fase = vacia ? Fase::fin : Fase::dentro;
                    buf.erase(0, fin);
                    escaneado = corte = 0;
                    continue;
                }
                if (m.nombre == contenedor) {
                    if (m.cierre) {
                        fase = Fase::fin;
                        if (!entregar(m.inicio)) return;
                        break;
                    }
                } else if (m.cierre || vacia) {
                    corte = fin;
                }
            }
            escaneado = fin;
        }
        if (fase == Fase::fin) return;
        if (fase == Fase::antes) {  // nothing before the container is needed
            buf.erase(0, escaneado);
            escaneado = 0;
        } else if (corte >= kGrupo) {
            if (!entregar(corte)) return;
        }
        if (fin_de_datos) fallar("parte incompleta: " + parte);
        if (buf.size() - corte > kMaxElemento) fallar("elemento demasiado grande en " + parte);
        fin_de_datos = lectura.leer(buf, kBloque) == 0;
    }
}

// ---- Texts ----

// Decodes the "_xHHHH_" escapes by which workbooks carry characters that XML
// cannot hold; the result is UTF-8.
void decodificar_escapes(std::string_view t, std::string& out) {
    out.clear();
    std::size_t i = 0;
    while (i < t.size()) {
        const std::size_t p = t.find("_x", i);
        if (p == std::string_view::npos || p + 7 > t.size()) {
            out.append(t.substr(i));
            break;
        }
        unsigned cp = 0;
        bool ok = t[p + 6] == '_';
        for (std::size_t k = 2; ok && k < 6; ++k) {
            const int h = hexadecimal(t[p + k]);
            ok = h >= 0;
            if (ok) cp = cp * 16 + unsigned(h);
        }
        if (!ok || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.append(t.substr(i, p + 2 - i));
            i = p + 2;
            continue;
        }
        out.append(t.substr(i, p - i));
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
        i = p + 7;
    }
}

// The text of a string item (<si> or <is>): its <t>, or its rich text runs
// joined; phonetic runs are left out.
void texto_de_cadena(const pugi::xml_node& n, std::string& crudo) {
    crudo.clear();
    for (pugi::xml_node h = n.first_child(); h; h = h.next_sibling()) {
        if (es(h, "t")) {
            crudo += h.child_value();
        } else if (es(h, "r")) {
            if (pugi::xml_node t = hijo(h, "t")) crudo += t.child_value();
        }
    }
}

std::string_view sin_blancos(std::string_view s) {
    while (!s.empty() && std::strchr(" \t\r\n", s.front())) s.remove_prefix(1);
    while (!s.empty() && std::strchr(" \t\r\n", s.back())) s.remove_suffix(1);
    return s;
}

std::optional<double> leer_numero(std::string_view s) {
    s = sin_blancos(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Whether a stored number is a whole number written as the General format
// shows it ("12345678", "-5"), so that it can be taken as it stands.
bool entero_tal_cual(std::string_view v) {
    std::string_view d = v;
    if (!d.empty() && d.front() == '-') d.remove_prefix(1);
    if (d.empty() || d.size() > 15) return false;
    if (d.front() == '0') return v.size() == 1;
    return std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A cell reference's column (0-based) and row: "AB12" gives 27 and 12.
bool leer_referencia(std::string_view ref, std::uint32_t& columna, std::uint32_t& fila) {
    std::size_t i = 0;
    std::uint32_t c = 0;
    while (i < ref.size() && i < 3 && std::isalpha(static_cast<unsigned char>(ref[i]))) {
        c = c * 26 + std::uint32_t(std::toupper(static_cast<unsigned char>(ref[i])) - 'A' + 1);
        ++i;
    }
    if (i == 0 || c > kMaxColumnas) return false;
    std::uint32_t f = 0;
    const auto [p, ec] = std::from_chars(ref.data() + i, ref.data() + ref.size(), f);
    if (ec != std::errc() || p != ref.data() + ref.size()) f = 0;
    columna = c - 1;
    fila = f;
    return true;
}

}  // namespace

// ---- Numbers ----

std::string texto_de_numero(double valor) {
    if (!std::isfinite(valor)) return valor != valor ? "NaN" : valor < 0 ? "-Inf" : "Inf";
    if (valor == 0) return "0";                                   // also -0
    if (std::fabs(valor) < 1e15 && valor == std::trunc(valor)) {  // whole: the usual case
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(valor));
        return std::string(buf, r.ptr);
    }
    // to_chars, unlike printf, ignores the locale a host program may have set.
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, valor, std::chars_format::general, 15);
    std::string texto(buf, r.ptr);
    const std::size_t e = texto.find('e');
    if (e != std::string::npos) texto[e] = 'E';
    return texto;
}

bool numero_exacto(std::string_view texto, double& valor) {
    if (texto.empty() || texto.front() == '+' || sin_blancos(texto).size() != texto.size())
        return false;
    const std::optional<double> v = leer_numero(texto);
    if (!v || texto_de_numero(*v) != texto) return false;
    valor = *v;
    return true;
}

// ---- The workbook ----

struct Libro::Datos {
    explicit Datos(const std::filesystem::path& ruta) : zip(ruta) {}
    Zip zip;
    std::string hoja;  // part name of the first worksheet
    // The shared strings, decoded, one after another; item i spans
    // inicios[i] .. inicios[i + 1].
    std::string cadenas;
    std::vector<std::size_t> inicios{0};
    bool leida = false;

    std::string_view cadena(std::size_t i) const {
        if (i >= inicios.size() - 1) fallar("cadena compartida inexistente");
        return std::string_view(cadenas).substr(inicios[i], inicios[i + 1] - inicios[i]);
    }
};

Libro::Libro(const std::filesystem::path& ruta) : d_(std::make_unique<Datos>(ruta)) {
    // The workbook part: from the package relationships, else where it usually is.
    std::string libro = "xl/workbook.xml";
    for (const Relacion& r : relaciones(d_->zip, ""))
        if (es_tipo(r, "officeDocument")) libro = r.destino;

    std::string datos = leer_parte(d_->zip, libro);
    pugi::xml_document doc;
    cargar(doc, datos, libro);
    const pugi::xml_node hojas = hijo(hijo(doc, "workbook"), "sheets");
    if (!hojas) fallar("el libro no tiene hojas");
    const std::vector<Relacion> rels = relaciones(d_->zip, libro);
    for (pugi::xml_node h = hojas.first_child(); h && d_->hoja.empty(); h = h.next_sibling()) {
        if (!es(h, "sheet")) continue;
        const std::string_view id = atributo(h, "id", true).value();
        for (const Relacion& r : rels)
            if (r.id == id && es_tipo(r, "worksheet")) d_->hoja = r.destino;
    }
    if (d_->hoja.empty()) fallar("el libro no tiene hojas de cálculo");

    for (const Relacion& r : rels) {
        if (!es_tipo(r, "sharedStrings")) continue;
        std::string crudo, texto;
        recorrer(d_->zip, r.destino, "sst", "si", [&](pugi::xml_node grupo) {
            for (pugi::xml_node si = grupo.first_child(); si; si = si.next_sibling()) {
                if (!es(si, "si")) continue;
                texto_de_cadena(si, crudo);
                decodificar_escapes(crudo, texto);
                d_->cadenas += texto;
                d_->inicios.push_back(d_->cadenas.size());
                if (d_->cadenas.size() + d_->inicios.size() * sizeof(std::size_t) > kMaxCadenas)
                    fallar("demasiadas cadenas compartidas");
            }
            return true;
        });
        break;
    }
}

Libro::~Libro() = default;

void Libro::leer_filas(std::size_t columnas, const Fila& fila) {
    if (d_->leida) fallar("la hoja ya se leyó");
    d_->leida = true;
    std::vector<std::string> celdas(columnas);
    std::string crudo;
    std::uint32_t anterior = 0;
    recorrer(d_->zip, d_->hoja, "sheetData", "row", [&](pugi::xml_node grupo) {
        for (pugi::xml_node row = grupo.first_child(); row; row = row.next_sibling()) {
            if (!es(row, "row")) continue;
            std::uint32_t numero = anterior + 1;
            if (pugi::xml_attribute r = atributo(row, "r")) {
                std::uint32_t n = 0;
                const std::string_view t = r.value();
                const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
                if (ec != std::errc() || p != t.data() + t.size()) fallar("fila sin número válido");
                numero = n;
            }
            if (numero <= anterior || numero > kMaxFilas) fallar("filas fuera de orden o de rango");
            anterior = numero;

            for (std::string& c : celdas) c.clear();
            std::uint32_t columna = kMaxColumnas;  // the next cell without a reference is column 0
            bool alguna = false;
            for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
                if (!es(c, "c")) continue;
                columna = columna == kMaxColumnas ? 0 : columna + 1;
                if (pugi::xml_attribute r = atributo(c, "r")) {
                    std::uint32_t f = 0;
                    if (!leer_referencia(r.value(), columna, f))
                        fallar("referencia de celda no válida");
                }
                if (columna >= kMaxColumnas) fallar("columna fuera de rango");
                if (columna >= columnas) continue;
                std::string& destino = celdas[columna];
                const std::string_view tipo = atributo(c, "t").value();
                const pugi::xml_node v = hijo(c, "v");
                const std::string_view valor = v.child_value();
                alguna = true;
                if (tipo == "s") {
                    std::size_t i = 0;
                    const std::string_view t = sin_blancos(valor);
                    const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), i);
                    if (ec != std::errc() || p != t.data() + t.size())
                        fallar("índice de cadena no válido");
                    destino = d_->cadena(i);
                } else if (tipo == "inlineStr") {
                    texto_de_cadena(hijo(c, "is"), crudo);
                    decodificar_escapes(crudo, destino);
                } else if (tipo == "str") {
                    decodificar_escapes(valor, destino);
                } else if (tipo == "b") {
                    const std::optional<double> b = leer_numero(valor);
                    destino = !v ? "" : b && *b != 0 ? "TRUE" : "FALSE";
                } else if (tipo.empty() || tipo == "n") {
                    if (entero_tal_cual(valor)) {
                        destino = valor;
                    } else {
                        const std::optional<double> n = leer_numero(valor);
                        destino = n ? texto_de_numero(*n) : std::string(valor);
                    }
                } else {  // "e" (error value), "d" (date text) and anything else
                    destino = valor;
                }
            }
            if (alguna && !fila(numero, celdas)) return false;
        }
        return true;
    });
}

}  // namespace tolvan::xlsx
