#include "archivo.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/paths.hpp"
#include "platform/text.hpp"

namespace kvario {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBuffer = 256 << 10;  // reads and writes go through this much

[[noreturn]] void fallar_errno(int e) {
    throw Falla{platform::RuntimeError::from(std::error_code(e, std::generic_category()))};
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    int soltar() {
        int f = fd;
        fd = -1;
        return f;
    }
};

bool escribir_todo(int fd, const char* datos, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, datos, n);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) return false;
        datos += w;
        n -= std::size_t(w);
    }
    return true;
}

ssize_t leer(int fd, char* buf, std::size_t n) {
    for (;;) {
        ssize_t r = ::read(fd, buf, n);
        if (r < 0 && errno == EINTR) continue;
        return r;
    }
}

bool es_fin_de_linea_o_nulo(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// Appends bytes to the segment, leaving out CR, LF and NUL.
void agregar_filtrado(std::string& seg, const char* p, const char* fin) {
    while (p < fin) {
        const char* q = p;
        while (q < fin && !es_fin_de_linea_o_nulo(*q)) ++q;
        seg.append(p, std::size_t(q - p));
        p = q;
        while (p < fin && es_fin_de_linea_o_nulo(*p)) ++p;
    }
}

}  // namespace

fs::path a_ruta(std::string_view texto) {
    if (texto.find('\0') != std::string_view::npos)
        throw Falla{platform::RuntimeError::from(platform::err::bad_file_name)};
    return platform::resolve(fs::path(platform::cp1252_to_utf8(texto)));
}

bool hay_archivo(const fs::path& ruta) {
    if (ruta.empty()) return false;
    struct stat st;
    if (::stat(ruta.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return false;
        fallar_errno(errno);
    }
    return S_ISREG(st.st_mode);
}

void leer_segmentos(const fs::path& ruta,
                    const std::function<bool(std::span<const std::string_view>, bool)>& grupo) {
    Descriptor d{::open(ruta.c_str(), O_RDONLY | O_CLOEXEC)};
    if (d.fd < 0) fallar_errno(errno);
    std::unique_ptr<char[]> buf(new char[kBuffer]);
    std::string seg;  // a segment that spans reads, CR, LF and NUL left out
    std::vector<std::string_view> segmentos;
    std::deque<std::string> copias;  // segments that could not be handed out in place
    bool ultimo_fue_amp = false;
    for (;;) {
        ssize_t n = leer(d.fd, buf.get(), kBuffer);
        if (n < 0) fallar_errno(errno);
        if (n == 0) break;
        const char* p = buf.get();
        const char* fin = p + n;
        while (p < fin) {
            const char* amp = static_cast<const char*>(std::memchr(p, '&', std::size_t(fin - p)));
            const char* corte = amp ? amp : fin;
            bool limpio = seg.empty();
            for (const char* q = p; limpio && q < corte; ++q) limpio = !es_fin_de_linea_o_nulo(*q);
            if (amp && limpio) {
                // The usual case: the whole segment lies in the buffer as it is.
                segmentos.emplace_back(p, std::size_t(amp - p));
            } else {
                agregar_filtrado(seg, p, corte);
                if (amp) {
                    copias.push_back(std::move(seg));
                    seg.clear();
                    segmentos.emplace_back(copias.back());
                }
            }
            p = amp ? amp + 1 : fin;
        }
        ultimo_fue_amp = fin[-1] == '&';
        if (!grupo(segmentos, false)) return;
        segmentos.clear();
        copias.clear();
    }
    if (!ultimo_fue_amp) {
        const std::string_view resto = seg;
        grupo(std::span<const std::string_view>(&resto, 1), true);
    }
}

Escritor::Escritor(const fs::path& ruta) : buf_(new char[kBuffer]) {
    fd_ = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        // A file being created in a folder that is not there.
        if (errno == ENOENT)
            throw Falla{platform::RuntimeError::from(platform::err::path_not_found)};
        fallar_errno(errno);
    }
}

Escritor::Escritor(int fd) : fd_(fd), propio_(false), buf_(new char[kBuffer]) {}

Escritor::~Escritor() {
    if (propio_ && fd_ >= 0) ::close(fd_);
}

void Escritor::vaciar() {
    if (!escribir_todo(fd_, buf_.get(), lleno_)) fallar_errno(errno);
    lleno_ = 0;
}

void Escritor::escribir(std::string_view bytes) {
    if (lleno_ + bytes.size() > kBuffer) {
        vaciar();
        if (bytes.size() > kBuffer) {
            if (!escribir_todo(fd_, bytes.data(), bytes.size())) fallar_errno(errno);
            return;
        }
    }
    std::memcpy(buf_.get() + lleno_, bytes.data(), bytes.size());
    lleno_ += bytes.size();
}

void Escritor::cerrar() {
    vaciar();
    const int fd = fd_;
    fd_ = -1;
    if (propio_ && ::close(fd) != 0) fallar_errno(errno);
}

std::uint64_t largo_de(const fs::path& ruta) {
    struct stat st;
    return ::stat(ruta.c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;
}

Guardado::Guardado(const fs::path& datos) : datos_(datos), destino_(datos) {
    std::error_code ec;
    if (fs::is_symlink(destino_, ec)) {
        fs::path real = fs::canonical(destino_, ec);
        if (!ec) destino_ = real;
    }
    const fs::path carpeta = destino_.parent_path();
    carpeta_ = ::open(carpeta.empty() ? "." : carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (carpeta_ < 0 && (errno == ENOENT || errno == ENOTDIR))
        throw Falla{platform::RuntimeError::from(platform::err::path_not_found)};
    // A folder that cannot be read, or a file system without flock, gets no
    // lock: the save goes on as a lone one would.
    while (carpeta_ >= 0 && ::flock(carpeta_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        if (errno != ENOLCK && errno != EOPNOTSUPP && errno != EINVAL) {
            const int e = errno;
            ::close(carpeta_);
            fallar_errno(e);
        }
        break;
    }
    // Renaming over a file does not ask the file itself: a read-only data
    // file is refused here, as writing into it would be. The mode is tested
    // too, since access() lets the superuser write anything.
    struct stat st;
    if (::stat(destino_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ((st.st_mode & 0222) == 0 || ::access(destino_.c_str(), W_OK) != 0)) {
        const int e = (st.st_mode & 0222) == 0 || errno == EACCES ? EACCES : errno;
        if (carpeta_ >= 0) ::close(carpeta_);
        fallar_errno(e);
    }
}

Guardado::~Guardado() {
    descartar();
    if (carpeta_ >= 0) ::close(carpeta_);  // and with it the lock
}

void Guardado::descartar() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporal_.empty()) ::unlink(temporal_.c_str());
    temporal_.clear();
}

bool Guardado::es_el_archivo(const fs::path& otro) const {
    std::error_code ec;
    return otro == datos_ || otro == destino_ || fs::equivalent(otro, destino_, ec);
}

int Guardado::temporal() {
    if (fd_ >= 0) return fd_;
    // A fresh name next to the data file; the umask applies to a new file.
    static std::atomic<unsigned> contador{0};
    const fs::path carpeta = destino_.parent_path();
    for (int intento = 0; intento < 100 && fd_ < 0; ++intento) {
        std::string nombre = ".";
        nombre += destino_.filename().string();
        nombre += ".kv" + std::to_string(::getpid()) + "-" + std::to_string(contador++);
        temporal_ = carpeta / nombre;
        fd_ = ::open(temporal_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        const int e = errno;
        temporal_.clear();
        fallar_errno(e);
    }
    return fd_;
}

bool Guardado::copiar_de(const fs::path& origen) {
    Descriptor in{::open(origen.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) return false;
    int out;
    try {
        out = temporal();
    } catch (const Falla&) {
        return false;
    }
    // The kernel copies the bytes; a file system that cannot gets a plain copy.
    bool en_kernel = true;
    for (;;) {
        ssize_t n = ::copy_file_range(in.fd, nullptr, out, nullptr, 1 << 30, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            en_kernel = false;
        } else if (n < 0) {
            return false;
        }
        if (n <= 0) break;
    }
    if (!en_kernel) {
        std::unique_ptr<char[]> buf(new char[kBuffer]);
        for (;;) {
            ssize_t n = leer(in.fd, buf.get(), kBuffer);
            if (n < 0) return false;
            if (n == 0) break;
            if (!escribir_todo(out, buf.get(), std::size_t(n))) return false;
        }
    }
    return true;
}

bool Guardado::poner_en_lugar() {
    int out;
    try {
        out = temporal();
    } catch (const Falla&) {
        return false;
    }
    bool ok = true;
    struct stat st;
    if (::stat(destino_.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ok = ::fchmod(out, st.st_mode & 07777) == 0;  // the data file keeps its permissions
    ok = ok && ::fsync(out) == 0;
    ok = (::close(std::exchange(fd_, -1)) == 0) && ok;
    ok = ok && ::rename(temporal_.c_str(), destino_.c_str()) == 0;
    if (!ok) {
        descartar();
        return false;
    }
    temporal_.clear();
    if (carpeta_ >= 0) ::fsync(carpeta_);  // the rename itself reaches the disk
    return true;
}

}  // namespace kvario
