#include "pelmo/folio.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "pelmo/errores_arranque.hpp"
#include "pelmo/formatos.hpp"
#include "platform/lines.hpp"
#include "platform/numtext.hpp"
#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace pelmo {

namespace fs = std::filesystem;

bool LeeParametros(const fs::path& install, Parametros& p) {
    platform::LineReader lector;
    if (!lector.open(platform::join(install, "Sistema/param.txt"))) return false;
    std::string_view linea;
    while (lector.next(linea)) {
        const long long codigo = valor_entero(platform::mid(linea, 2, 3));
        if (codigo > 100) return false;
        if (codigo == 1)
            p.entradas[1].texto = std::string(platform::mid(linea, 6));
        else if (codigo >= 2)
            p.entradas[codigo].numero = platform::leading_value(platform::mid(linea, 6));
    }
    return !lector.error();
}

std::string RellenaCeros(std::string_view texto, std::size_t ancho) {
    const std::string_view t = platform::trim(texto);
    if (t.size() > ancho) return std::string(texto);
    std::string out(t);
    out.resize(ancho, '0');
    return out;
}

std::string parte_rut_folio(std::string_view rut_sesion) {
    const std::string_view t = platform::trim(rut_sesion);
    if (t.size() >= 4) return std::string(t.substr(0, 3));
    return std::string(platform::mid(formato(rut_sesion, "00000000"), 2, 3));
}

fs::path ruta_secuencia(const fs::path& install, std::string_view form,
                        std::string_view rut_sesion) {
    return platform::join(
        install, "Forms/" + std::string(form) + "/" + RellenaCeros(rut_sesion, 8) + ".seq");
}

std::string NuevoFolio(const fs::path& install, std::string_view form, std::string_view rut_sesion,
                       const Parametros& p, std::string& secuencia) {
    const fs::path ruta = ruta_secuencia(install, form, rut_sesion);
    secuencia = "01";
    bool ok = true;
    if (!platform::exists(ruta)) {
        platform::LineWriter w(ruta, platform::LineWriter::Mode::truncate);
        ok = w.is_open() && w.write_line("01") && w.close();
    }
    if (ok) {
        std::error_code ec;
        const auto lineas = platform::read_lines(ruta, ec);
        if (!ec && !lineas.empty())
            secuencia =
                platform::format_pattern(platform::whole_text(valor_entero(lineas.front())), "00");
    }
    return p.prefijo_folio() + parte_rut_folio(rut_sesion) + secuencia;
}

bool GrabaSecuencia(const fs::path& install, std::string_view form, std::string_view rut_sesion,
                    std::string& secuencia) {
    long long n = valor_entero(secuencia) + 1;
    if (n >= 100) n = 1;
    const std::string anterior = secuencia;
    secuencia = platform::format_pattern(platform::whole_text(n), "00");
    // The new line goes to a file beside the old one, which then takes its
    // place: a failure leaves the old sequence whole, never an empty file.
    const fs::path ruta = ruta_secuencia(install, form, rut_sesion);
    const fs::path nuevo = ruta.string() + ".nuevo";
    bool ok = false;
    {
        platform::LineWriter w(nuevo, platform::LineWriter::Mode::truncate);
        ok = w.is_open() && w.write_line(secuencia) && w.close();
    }
    if (ok) {
        const int fd = ::open(nuevo.c_str(), O_RDONLY | O_CLOEXEC);
        ok = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
    }
    std::error_code ec;
    if (ok) fs::rename(nuevo, ruta, ec);
    if (!ok || ec) {
        fs::remove(nuevo, ec);
        secuencia = anterior;  // the file still holds the old one
        return false;
    }
    return true;
}

namespace {

// Primary weight of a Windows-1252 byte: letters without accent or case, "Ñ"
// right after "N"; other bytes keep their value below the letters' range.
int peso(unsigned char c) {
    const unsigned char u = static_cast<unsigned char>(
        platform::upper_cp1252(std::string_view(reinterpret_cast<const char*>(&c), 1))[0]);
    char base = 0;
    switch (u) {
        case 0xC0:
        case 0xC1:
        case 0xC2:
        case 0xC3:
        case 0xC4:
        case 0xC5:
            base = 'A';
            break;
        case 0xC7:
            base = 'C';
            break;
        case 0xC8:
        case 0xC9:
        case 0xCA:
        case 0xCB:
            base = 'E';
            break;
        case 0xCC:
        case 0xCD:
        case 0xCE:
        case 0xCF:
            base = 'I';
            break;
        case 0xD2:
        case 0xD3:
        case 0xD4:
        case 0xD5:
        case 0xD6:
            base = 'O';
            break;
        case 0xD9:
        case 0xDA:
        case 0xDB:
        case 0xDC:
            base = 'U';
            break;
        case 0xD1:
            return ('N' - 'A') * 2 + 1 + 1000;  // Ñ
        default:
            if (u >= 'A' && u <= 'Z') base = static_cast<char>(u);
    }
    if (base) return (base - 'A') * 2 + 1000;
    return u;
}

}  // namespace

bool antes_alfabetico(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int pa = peso(static_cast<unsigned char>(a[i]));
        const int pb = peso(static_cast<unsigned char>(b[i]));
        if (pa != pb) return pa < pb;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // names equal but for accents: a fixed order
}

std::vector<std::string> CargaComunas(const fs::path& install) {
    std::error_code ec;
    const fs::path ruta = platform::join(install, "Sistema/Comunas.txt");
    auto lineas = platform::read_lines(ruta, ec);
    if (ec) throw ErrorArranque(platform::RuntimeError::from(ec));
    std::vector<std::string> lista;
    lista.reserve(lineas.size() + 1);
    for (const std::string& l : lineas) {
        std::string nombre = platform::upper_cp1252(platform::mid(l, 8));
        if (!platform::trim(nombre).empty()) lista.push_back(std::move(nombre));  // blank lines
    }
    std::stable_sort(lista.begin(), lista.end(), antes_alfabetico);
    lista.insert(lista.begin(), "(Seleccione Valor)");
    return lista;
}

}  // namespace pelmo
