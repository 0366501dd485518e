#include "orvex/catalogo.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

#include "platform/lines.hpp"
#include "platform/numtext.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace orvex {

namespace {

std::vector<std::string> leer_catalogo(const std::filesystem::path& install,
                                       std::string_view nombre) {
    std::error_code ec;
    return platform::read_lines(platform::join(install, std::string("Sistema/") += nombre), ec);
}

// The character at a 1-based position, blank when the line is shorter.
char caracter(std::string_view linea, std::size_t pos) {
    return pos <= linea.size() ? linea[pos - 1] : ' ';
}

bool es_digito(char c) {
    return c >= '0' && c <= '9';
}

// A non-negative whole number at positions [desde, desde + cuantos) that fits a
// 16-bit member; nothing when the positions are missing, hold no number, or
// hold a sign or a value out of range.
std::optional<std::int16_t> numero(std::string_view linea, std::size_t desde, std::size_t cuantos) {
    std::string_view texto = platform::mid(linea, desde, cuantos);
    if (texto.find_first_of("+-") != std::string_view::npos) return std::nullopt;
    std::optional<std::int64_t> v = platform::read_whole(texto);
    if (!v || *v < 0 || *v > std::numeric_limits<std::int16_t>::max()) return std::nullopt;
    return static_cast<std::int16_t>(*v);
}

struct LineaCampo {
    int tipo;
    int numero;
    CampoRegistro campo;
};

}  // namespace

TablaFormatos Cargar_Formatos(const std::filesystem::path& install, std::string_view form) {
    TablaFormatos tabla{};

    // The field lines of this form, parsed once, in file order.
    std::vector<LineaCampo> campos;
    for (const std::string& r : leer_catalogo(install, "REGISTROSDJ.txt")) {
        if (platform::mid(r, 1, 4) != form) continue;
        char t = caracter(r, 6);
        if (!es_digito(t)) continue;
        std::optional<std::int16_t> k = numero(r, 8, 2);
        std::optional<std::int16_t> desde = numero(r, 30, 3);
        std::optional<std::int16_t> hasta = numero(r, 34, 3);
        if (!k || *k > 40 || !desde || !hasta) continue;
        campos.push_back({t - '0', *k, CampoRegistro{*desde, *hasta, caracter(r, 38)}});
    }

    // Each record-type line sets modo and largo and then applies every field
    // line of its record type; re-applying the same field lines for a repeated
    // record-type line changes nothing, so they are applied once per type.
    std::array<bool, 10> tipo_visto{};
    for (const std::string& f : leer_catalogo(install, "FORMATOSDJ.TXT")) {
        if (platform::mid(f, 1, 4) != form) continue;
        char t = caracter(f, 6);
        if (!es_digito(t)) continue;
        std::optional<std::int16_t> largo = numero(f, 8, 4);
        if (!largo) continue;
        FormatoRegistro& formato = tabla[t - '0'];
        formato.modo = caracter(f, 17);
        formato.largo = *largo;
        tipo_visto[t - '0'] = true;
    }
    for (const LineaCampo& c : campos) {
        if (tipo_visto[c.tipo]) tabla[c.tipo].campos[c.numero] = c.campo;
    }
    return tabla;
}

std::vector<std::string> Cargar_Formularios(const std::filesystem::path& install) {
    std::vector<std::string> lista;
    for (const std::string& linea : leer_catalogo(install, "FormsDJ.txt")) {
        if (linea.empty()) continue;
        std::string entrada(platform::mid(linea, 1, 4));
        entrada += ',';
        entrada += platform::mid(linea, 6);
        lista.push_back(std::move(entrada));
    }
    return lista;
}

std::vector<std::string> Cargar_Anos(const std::filesystem::path& install) {
    std::vector<std::string> lista;
    for (const std::string& linea : leer_catalogo(install, "ANOT.TXT")) {
        if (linea.empty()) continue;
        lista.push_back(platform::upper_cp1252(platform::mid(linea, 1, 4)));
    }
    return lista;
}

std::string_view numero_de_formulario(std::string_view entrada) {
    return platform::mid(entrada, 1, 4);
}

namespace listas {

namespace {

template <std::size_t N>
bool en_texto(std::string_view form, const std::array<std::string_view, N>& lista) {
    return std::find(lista.begin(), lista.end(), form) != lista.end();
}

// Membership by the numeric value of the form's first four characters.
template <std::size_t N>
bool en_numero(std::string_view form, const std::array<int, N>& lista) {
    double v = platform::leading_value(platform::mid(form, 1, 4));
    return std::find_if(lista.begin(), lista.end(), [v](int n) { return v == n; }) != lista.end();
}

constexpr std::array<std::string_view, 4> kMensual{"1820", "1839", "2807", "2964"};

constexpr std::array<int, 39> kEncabezadoLargo{
    1805, 1806, 1848, 1849, 1873, 1874, 1820, 1839, 1829, 1900, 1901, 1902, 1903,
    1904, 1905, 1907, 1911, 1912, 1914, 1916, 1918, 1919, 1922, 1924, 1923, 1925,
    1926, 1927, 1932, 1938, 1939, 1940, 1941, 1942, 1943, 1945, 1946, 2807, 2964};

constexpr std::array<std::string_view, 35> kDiezDigitos{
    "1848", "1820", "1829", "1839", "1900", "1901", "1902", "1903", "1904", "1905", "1907", "1911",
    "1912", "1914", "1916", "1918", "1919", "1922", "1923", "1924", "1925", "1926", "1927", "1932",
    "1938", "1939", "1940", "1941", "1942", "1943", "1944", "1945", "1946", "2807", "2964"};

constexpr std::array<std::string_view, 6> kLista92{"1805", "1806", "1849", "1899", "1873", "1874"};

constexpr std::array<std::string_view, 31> kLista95{
    "1848", "1829", "1900", "1901", "1902", "1903", "1904", "1905", "1907", "1911", "1912",
    "1914", "1916", "1918", "1919", "1922", "1923", "1924", "1925", "1926", "1927", "1932",
    "1938", "1939", "1940", "1941", "1942", "1943", "1944", "1945", "1946"};

constexpr std::array<int, 9> kTresLineas{1896, 1889, 1866, 1812, 1831, 1902, 1903, 1904, 1905};

constexpr std::array<int, 12> kDosLineas{1898, 1894, 1892, 1890, 1870, 1856,
                                         1849, 1873, 1874, 1855, 1839, 1901};

constexpr std::array<std::string_view, 8> kGranDeclarante{"1889", "1890", "1892", "1894",
                                                          "1895", "1896", "1898", "1899"};

}  // namespace

bool mensual(std::string_view form) {
    return en_texto(form, kMensual);
}
bool encabezado_largo(std::string_view form) {
    return en_numero(form, kEncabezadoLargo);
}
bool diez_digitos(std::string_view form) {
    return en_texto(form, kDiezDigitos);
}
bool lista_92(std::string_view form) {
    return en_texto(form, kLista92);
}
bool lista_95(std::string_view form) {
    return en_texto(form, kLista95);
}
bool declarante_tres_lineas(std::string_view form) {
    return en_numero(form, kTresLineas);
}
bool declarante_dos_lineas(std::string_view form) {
    return en_numero(form, kDosLineas);
}
bool gran_declarante(std::string_view form) {
    return en_texto(form, kGranDeclarante);
}

}  // namespace listas

// --- TextoRegistro ---------------------------------------------------------
//
// The record text is L1, then the parts P2 .. Pn with Pk = L2..Lk (a prefix of
// resto_ of length finales_[k-2]), then "B". inicios_[k-2] is where Pk starts
// in the record text (0-based).

void TextoRegistro::empezar(std::string_view primera, std::uint64_t recortado) {
    primera_.assign(primera.data(), primera.size());
    resto_.clear();
    finales_.clear();
    inicios_.clear();
    recortado_ = recortado;
    recortado_resto_ = 0;
}

void TextoRegistro::agregar(std::string_view linea, std::uint64_t recortado) {
    std::uint64_t inicio = inicios_.empty() ? primera_.size() : inicios_.back() + finales_.back();
    resto_.append(linea.data(), linea.size());
    inicios_.push_back(inicio);
    finales_.push_back(resto_.size());
    // Every later part repeats L2..Lk, so a cut line counts once per part.
    recortado_resto_ += recortado;
    recortado_ += recortado_resto_;
}

std::uint64_t TextoRegistro::largo_guardado() const {
    std::uint64_t sin_marca =
        inicios_.empty() ? primera_.size() : inicios_.back() + finales_.back();
    return sin_marca + 1;
}

namespace {

// Calls `parte(const char*, size)` for the consecutive pieces of the record
// text that cover [pos, pos + cuantos) (0-based, already cut to the text).
template <typename F>
void recorrer(const std::string& primera, const std::string& resto,
              const std::vector<std::uint64_t>& inicios, const std::vector<std::uint64_t>& finales,
              std::uint64_t pos, std::uint64_t cuantos, F&& parte) {
    static const char kMarca = 'B';
    while (cuantos > 0) {
        const char* datos;
        std::uint64_t disponible;
        if (pos < primera.size()) {
            datos = primera.data() + pos;
            disponible = primera.size() - pos;
        } else if (!inicios.empty() && pos < inicios.back() + finales.back()) {
            // The last part that starts at or before pos.
            auto it = std::upper_bound(inicios.begin(), inicios.end(), pos) - 1;
            std::size_t k = static_cast<std::size_t>(it - inicios.begin());
            std::uint64_t desplazamiento = pos - *it;
            datos = resto.data() + desplazamiento;
            disponible = finales[k] - desplazamiento;
        } else {
            datos = &kMarca;
            disponible = 1;
        }
        std::uint64_t n = std::min(disponible, cuantos);
        if (!parte(datos, static_cast<std::size_t>(n))) return;
        pos += n;
        cuantos -= n;
    }
}

}  // namespace

std::string TextoRegistro::tramo(std::uint64_t desde, std::uint64_t cuantos) const {
    std::string out;
    std::uint64_t total = largo_guardado();
    if (desde == 0 || desde > total || cuantos == 0) return out;
    std::uint64_t pos = desde - 1;
    cuantos = std::min(cuantos, total - pos);
    out.reserve(static_cast<std::size_t>(cuantos));
    recorrer(primera_, resto_, inicios_, finales_, pos, cuantos,
             [&out](const char* p, std::size_t n) {
                 out.append(p, n);
                 return true;
             });
    return out;
}

bool TextoRegistro::empieza_con(std::string_view prefijo) const {
    if (prefijo.size() > largo_guardado()) return false;
    bool igual = true;
    std::size_t hecho = 0;
    recorrer(primera_, resto_, inicios_, finales_, 0, prefijo.size(),
             [&](const char* p, std::size_t n) {
                 igual = std::memcmp(p, prefijo.data() + hecho, n) == 0;
                 hecho += n;
                 return igual;
             });
    return igual;
}

std::string Valor_Campo(const TextoRegistro& registro, const TablaFormatos& tabla, int tipo,
                        int campo) {
    if (tipo < 0 || tipo >= static_cast<int>(tabla.size()) || campo < 0 || campo > 40) return {};
    const CampoRegistro& c =
        tabla[static_cast<std::size_t>(tipo)].campos[static_cast<std::size_t>(campo)];
    if (c.desde <= 0 || c.hasta < c.desde) return {};
    return registro.tramo(static_cast<std::uint64_t>(c.desde),
                          static_cast<std::uint64_t>(c.hasta - c.desde + 1));
}

}  // namespace orvex
