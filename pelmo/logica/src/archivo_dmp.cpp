#include "pelmo/archivo_dmp.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace pelmo {

namespace {

std::error_code errno_ec() {
    return {errno, std::generic_category()};
}

bool ignorado(char c) {
    return c == ' ' || c == ';' || c == '\0';
}

// Block size of the sequential reader and writer: 512 records.
constexpr std::size_t kBloque = kLargoRegistro * 512;

}  // namespace

bool es_linea_de_datos(std::string_view registro) {
    // More than one character remains after trimming exactly when a second
    // character that is no blank, ";" or NUL follows the first one.
    std::size_t i = 0;
    const std::size_t n = registro.size();
    while (i < n && ignorado(registro[i])) ++i;
    for (++i; i < n; ++i)
        if (!ignorado(registro[i])) return true;
    return false;
}

bool empieza_vacio(std::string_view registro) {
    return registro.substr(0, kMarcaVacia.size()) == kMarcaVacia;
}

bool ArchivoRegistros::abrir(const std::filesystem::path& ruta, std::error_code& ec) {
    cerrar();
    fd_ = ::open(ruta.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        ec = errno_ec();
        return false;
    }
    return true;
}

void ArchivoRegistros::cerrar() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string ArchivoRegistros::leer(std::int64_t n, std::error_code& ec) const {
    std::string r(kLargoRegistro, '\0');
    if (fd_ < 0 || n < 1) {
        ec = std::make_error_code(std::errc::bad_file_descriptor);
        return r;
    }
    off_t pos = static_cast<off_t>((n - 1) * static_cast<std::int64_t>(kLargoRegistro));
    std::size_t hecho = 0;
    while (hecho < kLargoRegistro) {
        ssize_t k =
            ::pread(fd_, r.data() + hecho, kLargoRegistro - hecho, pos + static_cast<off_t>(hecho));
        if (k < 0) {
            if (errno == EINTR) continue;
            ec = errno_ec();
            break;
        }
        if (k == 0) break;  // past the end: the rest stays NUL
        hecho += static_cast<std::size_t>(k);
    }
    return r;
}

bool ArchivoRegistros::escribir(std::int64_t n, std::string_view registro, std::error_code& ec) {
    if (fd_ < 0 || n < 1) {
        ec = std::make_error_code(std::errc::bad_file_descriptor);
        return false;
    }
    std::string r(registro.substr(0, kLargoRegistro));
    r.resize(kLargoRegistro, '\0');
    off_t pos = static_cast<off_t>((n - 1) * static_cast<std::int64_t>(kLargoRegistro));
    std::size_t hecho = 0;
    while (hecho < r.size()) {
        ssize_t k = ::pwrite(fd_, r.data() + hecho, r.size() - hecho, pos + off_t(hecho));
        if (k < 0) {
            if (errno == EINTR) continue;
            ec = errno_ec();
            return false;
        }
        hecho += static_cast<std::size_t>(k);
    }
    return true;
}

bool recorrer_registros(const std::filesystem::path& ruta,
                        const std::function<bool(std::int64_t, std::string_view)>& fn,
                        std::error_code& ec) {
    int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ec = errno_ec();
        return false;
    }
    std::vector<char> buf(kBloque);
    std::size_t lleno = 0;
    std::int64_t n = 0;
    bool fin = false, seguir = true;
    while (seguir && !fin) {
        ssize_t k = ::read(fd, buf.data() + lleno, buf.size() - lleno);
        if (k < 0) {
            if (errno == EINTR) continue;
            ec = errno_ec();
            ::close(fd);
            return false;
        }
        if (k == 0) fin = true;
        lleno += static_cast<std::size_t>(k);
        std::size_t usado = 0;
        while (seguir && lleno - usado >= kLargoRegistro) {
            seguir = fn(++n, std::string_view(buf.data() + usado, kLargoRegistro));
            usado += kLargoRegistro;
        }
        if (seguir && fin && lleno > usado) {  // a short last record
            std::string ultimo(buf.data() + usado, lleno - usado);
            ultimo.resize(kLargoRegistro, '\0');
            seguir = fn(++n, ultimo);
            usado = lleno;
        }
        std::copy(buf.begin() + static_cast<std::ptrdiff_t>(usado),
                  buf.begin() + static_cast<std::ptrdiff_t>(lleno), buf.begin());
        lleno -= usado;
    }
    ::close(fd);
    return true;
}

EscritorRegistros::~EscritorRegistros() {
    if (fd_ >= 0) ::close(fd_);
}

bool EscritorRegistros::abrir(const std::filesystem::path& ruta, std::error_code& ec) {
    fd_ = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        ec = errno_ec();
        return false;
    }
    buf_.clear();
    buf_.reserve(kBloque);
    return true;
}

bool EscritorRegistros::agregar(std::string_view registro, char relleno, std::error_code& ec) {
    const std::size_t antes = buf_.size();
    buf_.append(registro.substr(0, kLargoRegistro));
    buf_.resize(antes + kLargoRegistro, relleno);
    return buf_.size() < kBloque || vaciar(ec);
}

bool EscritorRegistros::vaciar(std::error_code& ec) {
    std::size_t hecho = 0;
    while (hecho < buf_.size()) {
        ssize_t k = ::write(fd_, buf_.data() + hecho, buf_.size() - hecho);
        if (k < 0) {
            if (errno == EINTR) continue;
            ec = errno_ec();
            return false;
        }
        hecho += static_cast<std::size_t>(k);
    }
    buf_.clear();
    return true;
}

bool EscritorRegistros::cerrar(std::error_code& ec, bool sincronizar) {
    if (fd_ < 0) return true;
    bool ok = vaciar(ec);
    if (ok && sincronizar && ::fsync(fd_) != 0) {
        ec = errno_ec();
        ok = false;
    }
    if (::close(fd_) != 0 && ok) {
        ec = errno_ec();
        ok = false;
    }
    fd_ = -1;
    return ok;
}

}  // namespace pelmo
