#include "orvex/informe.hpp"

#include <cstdio>

#include "platform/files.hpp"
#include "platform/numtext.hpp"
#include "platform/paths.hpp"

namespace orvex {

namespace {

constexpr std::size_t kAnchoLinea = 8;
constexpr std::size_t kAnchoTipo = 3;
constexpr std::size_t kAnchoValor = 10;
constexpr std::string_view kHuecoIzquierda = "       ";  // 7 blanks
constexpr std::size_t kHuecoDerecha = 5;

void rellenar_en(std::string& destino, std::string_view valor, std::size_t ancho) {
    destino += valor;
    if (valor.size() < ancho) destino.append(ancho - valor.size(), ' ');
}

}  // namespace

std::string Rellenar_Derecha(std::string_view valor, std::size_t ancho) {
    std::string out;
    rellenar_en(out, valor, ancho);
    return out;
}

std::filesystem::path ruta_informe(const std::filesystem::path& install) {
    return platform::join(install, "registro/errores.txt");
}

Informe::~Informe() {
    // A report never closed (an exception on the way) leaves no temporary behind.
    if (salida_.is_open()) {
        salida_.close();
        std::remove(escrito_.c_str());
    }
}

bool Informe::abrir(const std::filesystem::path& install) {
    cerrar();
    errores_ = 0;
    error_.clear();
    temporal_ = false;
    ruta_ = ruta_informe(install);
    carpeta_ = ruta_.parent_path();
    platform::TempFile t = platform::create_temp_beside(ruta_, error_);
    if (t.fd < 0) {
        // The findings still have to reach the user: write them elsewhere.
        carpeta_.clear();
        std::error_code ec;
        t = platform::create_temp_beside(
            std::filesystem::temp_directory_path(ec) / "orvex-errores.txt", ec);
        if (t.fd < 0) return false;
        temporal_ = true;
        ruta_ = t.path;
    }
    escrito_ = t.path;
    if (!salida_.open(t.fd)) {
        std::remove(escrito_.c_str());
        return false;
    }
    salida_.write_line(kEncabezadoInforme);
    return error_.value() == 0;
}

void Informe::Anotar_Error(std::string_view izquierda, std::string_view derecha) {
    if (salida_.is_open()) {
        salida_.write_raw(izquierda);
        salida_.write_raw(" ");
        salida_.write_line(derecha);
    }
    ++errores_;
}

void Informe::anotar(const Hallazgo& h, std::size_t hueco) {
    std::string izquierda;
    izquierda.reserve(kAnchoLinea + kAnchoTipo + kAnchoValor + 2 * kHuecoIzquierda.size() +
                      h.esperado.size());
    rellenar_en(izquierda, platform::whole_text(static_cast<std::int64_t>(h.linea)), kAnchoLinea);
    izquierda += kHuecoIzquierda;
    rellenar_en(izquierda, std::string_view(&h.tipo, 1), kAnchoTipo);
    izquierda += kHuecoIzquierda;
    rellenar_en(izquierda, h.esperado, kAnchoValor);

    std::string derecha(kHuecoDerecha, ' ');
    rellenar_en(derecha, h.informado, kAnchoValor);
    derecha.append(hueco, ' ');
    derecha += h.mensaje;

    Anotar_Error(izquierda, derecha);
    if (al_anotar) al_anotar(h);
}

void Informe::cerrar() {
    if (!salida_.is_open()) return;
    std::error_code ec;
    if (!salida_.close()) ec = salida_.error();
    if (temporal_) return;
    if (!ec && platform::replace_file(escrito_, ruta_, ec)) return;
    // Written only in part, or not renamed: the findings stay in the
    // temporary file, which the caller shows and removes.
    error_ = ec;
    temporal_ = true;
    ruta_ = escrito_;
    carpeta_.clear();
}

}  // namespace orvex
