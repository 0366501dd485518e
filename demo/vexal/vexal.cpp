#include "vexal.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/numtext.hpp"
#include "platform/text.hpp"

namespace vexal {

namespace {

// Texts are kept in Windows-1252, as the files hold them.
std::string ansi(const char* utf8) {
    return platform::utf8_to_cp1252(utf8);
}

std::string recortar(const std::string& s) {
    return std::string(platform::trim(s));
}

bool solo_digitos(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A plain decimal text as a number; nothing past 18 digits is needed here.
bool numero(const std::string& s, std::uint64_t& n) {
    if (!solo_digitos(s) || s.size() > 18) return false;
    n = std::stoull(s);
    return true;
}

bool correo_valido(const std::string& correo) {
    const auto arroba = correo.find('@');
    if (arroba == std::string::npos || arroba == 0 ||
        correo.find('@', arroba + 1) != std::string::npos)
        return false;
    const auto punto = correo.find('.', arroba + 2);
    if (punto == std::string::npos || punto + 1 >= correo.size()) return false;
    for (unsigned char c : correo)
        if (c <= ' ') return false;
    return true;
}

}  // namespace

std::string digito_verificador(const std::string& rut) {
    int suma = 0, factor = 2;
    for (auto it = rut.rbegin(); it != rut.rend(); ++it) {
        suma += (*it - '0') * factor;
        factor = factor == 7 ? 2 : factor + 1;
    }
    const int resto = 11 - suma % 11;
    if (resto == 11) return "0";
    if (resto == 10) return "K";
    return std::to_string(resto);
}

bool fecha_valida(const std::string& f) {
    if (f.size() != 8 || !solo_digitos(f)) return false;
    const int dia = std::stoi(f.substr(0, 2)), mes = std::stoi(f.substr(2, 2)),
              ano = std::stoi(f.substr(4, 4));
    if (ano < 1900 || mes < 1 || mes > 12 || dia < 1) return false;
    static constexpr int kDias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisiesto = (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0;
    return dia <= kDias[mes - 1] + (mes == 2 && bisiesto ? 1 : 0);
}

std::vector<Hallazgo> revisar(const std::vector<Par>& datos) {
    std::map<std::string, std::string> valor;  // keys in upper case, as the editor writes them
    for (const auto& [k, v] : datos) valor[platform::upper_cp1252(k)] = v;
    auto dato = [&](const std::string& k) {
        auto it = valor.find(k);
        return it == valor.end() ? std::string() : recortar(it->second);
    };

    std::vector<Hallazgo> h;
    if (dato("RAZ").empty())
        h.push_back({"H012a", ansi("Debe indicar el nombre o razón social del declarante")});
    const std::string correo = dato("DIR");
    if (!correo.empty() && !correo_valido(correo))
        h.push_back({"H012d", ansi("La dirección de correo electrónico no es válida")});

    // The grid lines: seven keys each, the record number first, then the
    // donor RUT, check digit, legal basis, amount, date and certificate.
    std::uint64_t filas = 0, suma = 0;
    std::uint64_t max_rows = 0;
    numero(dato("MAX_ROWS"), max_rows);
    for (std::uint64_t k = 0; k < max_rows && k < 1'000'000; ++k) {
        auto celda = [&](int c) { return dato("ITEM" + std::to_string(7 * k + 1 + c)); };
        const std::string registro = celda(0);
        const std::string rut = celda(1), dv = platform::upper_cp1252(celda(2)), monto = celda(4),
                          fecha = celda(5);
        ++filas;
        std::uint64_t m = 0;
        if (numero(monto, m)) suma += m;
        const std::string linea = ansi("Línea ") + registro + ", ";
        if (solo_digitos(rut) && dv != digito_verificador(rut))
            h.push_back({"H017:" + registro,
                         linea + ansi("el dígito verificador no corresponde al RUT del donante")});
        if (!fecha.empty() && !fecha_valida(fecha))
            h.push_back({"H018:" + registro,
                         linea + ansi("la fecha de recepción de la donación no es válida")});
    }

    std::uint64_t total = 0;
    if (!numero(dato("TOT1"), total) || total != suma)
        h.push_back({"H020a", ansi("El monto total (C6) no corresponde a la suma de los montos "
                                   "informados: ") +
                                  std::to_string(suma)});
    std::uint64_t casos = 0;
    if (!numero(dato("TOT2"), casos) || casos != filas)
        h.push_back({"H020c", ansi("El número de casos informados (C8) no corresponde a las "
                                   "líneas informadas: ") +
                                  std::to_string(filas)});
    return h;
}

std::vector<Par> leer_datos(const std::filesystem::path& archivo) {
    std::ifstream in(archivo, std::ios::binary);
    std::string texto((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::erase_if(texto, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    std::vector<Par> pares;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        std::size_t fin = texto.find('&', inicio);
        if (fin == std::string::npos) fin = texto.size();
        const std::string par = texto.substr(inicio, fin - inicio);
        const std::size_t igual = par.find('=');
        if (igual != std::string::npos && igual > 0)
            pares.emplace_back(par.substr(0, igual), par.substr(igual + 1));
        inicio = fin + 1;
    }
    return pares;
}

bool escribir_errores(const std::filesystem::path& archivo,
                      const std::vector<Hallazgo>& hallazgos) {
    std::string texto;
    for (const Hallazgo& x : hallazgos) texto += x.clave + "=" + x.mensaje + "&";
    std::filesystem::path temporal = archivo;
    temporal += ".XXXXXX";
    std::string plantilla = temporal.string();
    const int fd = ::mkstemp(plantilla.data());
    if (fd < 0) return false;
    bool ok = ::write(fd, texto.data(), texto.size()) == static_cast<ssize_t>(texto.size());
    ok = ::fchmod(fd, 0644) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(plantilla.c_str(), archivo.c_str()) == 0;
    if (!ok) ::unlink(plantilla.c_str());
    return ok;
}

}  // namespace vexal
