// sigmar-stamp: stamps an upload file with its control number through
// libsigmar32, shows the library's version, or checks the stamp of a file.
//
//   sigmar-stamp FILE           stamp FILE; exit 0 when stamped, else 1
//   sigmar-stamp --verify FILE  exit 0 when the stamp is right, 1 when wrong
//   sigmar-stamp --version
//
// Errors in the use of the command, and files that cannot be verified, exit 2.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sigmar/sigmar.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kNameMax = 151;  // longest name the library takes
constexpr std::size_t kFieldOffset = 31;
constexpr std::size_t kFieldSize = 20;
constexpr std::size_t kNumberSize = 10;  // the number reads as positions 32 to 41
constexpr std::size_t kHeadSize = 64;

const char* meaning(std::int32_t code) {
    switch (code) {
        case SIGMAR_OK:
            return "número de control escrito";
        case SIGMAR_FIELD_NOT_ZERO:
            return "el campo del número de control (posiciones 32 a 51) no está en \"0\": "
                   "el archivo ya fue timbrado o no es un archivo de envío";
        case SIGMAR_FILE_NOT_FOUND:
            return "no se encontró el archivo";
        case SIGMAR_PATH_NOT_FOUND:
            return "no se encontró la carpeta";
        case SIGMAR_TOO_MANY_OPEN_FILES:
            return "demasiados archivos abiertos";
        case SIGMAR_ACCESS_DENIED:
            return "acceso denegado, o archivo de solo lectura, o no es un archivo común";
        case SIGMAR_NOT_ENOUGH_MEMORY:
            return "memoria insuficiente";
        case SIGMAR_VERSION:
            return "versión de la biblioteca";
        case SIGMAR_READ_FAULT:
            return "error al leer el archivo";
        case SIGMAR_GENERAL_FAILURE:
            return "no se pudo abrir el archivo";
        case SIGMAR_SHARING_VIOLATION:
            return "el archivo está bloqueado por otro programa";
        case SIGMAR_INVALID_PARAMETER:
            return "argumento no válido";
        case SIGMAR_NAME_TOO_LONG:
            return "nombre de archivo demasiado largo";
        case SIGMAR_SEEK_FAILED:
            return "no se pudo llegar a la posición del número de control";
        case SIGMAR_SHORT_WRITE:
            return "no se pudo escribir el número de control";
        case SIGMAR_CANNOT_RESOLVE_NAME:
            return "no se puede resolver el nombre (demasiados enlaces simbólicos)";
        default:
            return "error del sistema";
    }
}

void usage(std::FILE* out) {
    std::fputs(
        "Uso: sigmar-stamp ARCHIVO            escribe el número de control en ARCHIVO\n"
        "     sigmar-stamp --verify ARCHIVO   comprueba el número de control de ARCHIVO\n"
        "     sigmar-stamp --version          muestra la versión de la biblioteca\n",
        out);
}

// A folder for temporary names that the library can take: no blank, short.
std::string temp_folder() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && dir[0] == '/' && std::strchr(dir, ' ') == nullptr &&
        std::strlen(dir) < 80) {
        return dir;
    }
    return "/tmp";
}

// A private folder that is removed with everything in it when it goes.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = temp_folder() + "/sigmar-stamp.XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        if (!path_.empty()) {
            std::error_code ec;
            fs::remove_all(path_, ec);
        }
    }
    bool ok() const { return !path_.empty(); }
    std::string file(const char* name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Names the library cannot take as they are: the name would end at a blank, be
// too long, or read as the version query.
bool needs_alias(std::string_view name) {
    return name.find(' ') != std::string_view::npos || name.size() > kNameMax ||
           name == "[VERSION]";
}

// Reads n bytes at offset; false when the file is shorter or cannot be read.
bool read_at(const std::string& name, std::size_t offset, char* out, std::size_t n) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const ssize_t got = ::pread(fd, out, n, static_cast<off_t>(offset));
    ::close(fd);
    return got == static_cast<ssize_t>(n);
}

int stamp_file(const std::string& name) {
    std::int32_t code;
    if (needs_alias(name)) {
        // Stamp through a blank-free symbolic link to the file.
        TempFolder folder;
        const std::string alias = folder.file("archivo");
        std::error_code ec;
        const fs::path target = fs::absolute(name, ec);
        if (!folder.ok() || ec || ::symlink(target.c_str(), alias.c_str()) != 0) {
            std::printf("%s: no se pudo crear un nombre temporal para el archivo: %s\n",
                        name.c_str(), std::strerror(errno));
            return 1;
        }
        code = sigmar(alias.c_str());
        if (code == SIGMAR_FILE_NOT_FOUND && !fs::is_directory(target.parent_path(), ec)) {
            code = SIGMAR_PATH_NOT_FOUND;
        }
    } else {
        code = sigmar(name.c_str());
    }
    if (code != SIGMAR_OK) {
        std::printf("%s: resultado %d: %s\n", name.c_str(), static_cast<int>(code), meaning(code));
        return 1;
    }
    // Shows the number as the file now holds it: the digits that end at offset 40
    // (in a file shorter than 64 bytes the bytes before them may be anything).
    char field[kNumberSize] = {};
    std::size_t first = kNumberSize;
    if (read_at(name, kFieldOffset, field, kNumberSize)) {
        while (first > 0 && field[first - 1] >= '0' && field[first - 1] <= '9') {
            --first;
        }
    }
    std::printf("%s: resultado 0: %s: %.*s\n", name.c_str(), meaning(code),
                static_cast<int>(kNumberSize - first), field + first);
    return 0;
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies the file to copy_fd with the control-number field set back to twenty
// "0", keeping the field as found. Returns an error text, empty on success.
std::string copy_unstamped(const std::string& name, int copy_fd, char* field) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return "no es un archivo común";
    }
    if (st.st_size < static_cast<off_t>(kHeadSize)) {
        ::close(fd);
        // Below 64 bytes nothing marks where the number went, and the bytes it
        // replaced, or the length before it, are lost.
        return "tiene menos de 64 bytes: no lleva el campo del número de control";
    }
    static char buffer[1 << 20];
    std::size_t offset = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const std::string error = std::strerror(errno);
            ::close(fd);
            return error;
        }
        if (n == 0) {
            break;
        }
        const auto size = static_cast<std::size_t>(n);
        // The field may straddle two reads.
        for (std::size_t i = kFieldOffset; i < kFieldOffset + kFieldSize; ++i) {
            if (i >= offset && i < offset + size) {
                field[i - kFieldOffset] = buffer[i - offset];
                buffer[i - offset] = '0';
            }
        }
        if (!write_all(copy_fd, buffer, size)) {
            const std::string error = std::strerror(errno);
            ::close(fd);
            return "no se pudo escribir la copia temporal: " + error;
        }
        offset += size;
    }
    ::close(fd);
    if (offset < kHeadSize) {
        return "el archivo cambió mientras se leía";
    }
    return {};
}

int verify_file(const std::string& name) {
    TempFolder folder;
    if (!folder.ok()) {
        std::printf("%s: no se pudo crear una carpeta temporal: %s\n", name.c_str(),
                    std::strerror(errno));
        return 2;
    }
    const std::string copy = folder.file("copia");
    const int copy_fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (copy_fd < 0) {
        std::printf("%s: no se pudo crear la copia temporal: %s\n", name.c_str(),
                    std::strerror(errno));
        return 2;
    }
    char found[kFieldSize + 1] = {};
    std::string error = copy_unstamped(name, copy_fd, found);
    if (::close(copy_fd) != 0 && error.empty()) {
        error = std::string("no se pudo escribir la copia temporal: ") + std::strerror(errno);
    }
    if (!error.empty()) {
        std::printf("%s: no se puede verificar: %s\n", name.c_str(), error.c_str());
        return 2;
    }
    const std::int32_t code = sigmar(copy.c_str());
    char expected[kFieldSize + 1] = {};
    if (code != SIGMAR_OK || !read_at(copy, kFieldOffset, expected, kFieldSize)) {
        std::printf("%s: no se pudo calcular el número de control: resultado %d: %s\n",
                    name.c_str(), static_cast<int>(code), meaning(code));
        return 2;
    }
    if (std::memcmp(found, expected, kFieldSize) == 0) {
        std::printf("%s: número de control correcto: %.*s\n", name.c_str(),
                    static_cast<int>(kNumberSize), expected);
        return 0;
    }
    std::printf("%s: número de control incorrecto: el campo dice \"%s\" y debería decir \"%s\"\n",
                name.c_str(), found, expected);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string_view first = argc > 1 ? argv[1] : "";
    if (argc == 2 && first == "--version") {
        const std::int32_t version = sigmar("[VERSION]");
        std::printf("libsigmar32 versión %d\n", static_cast<int>(version));
        return 0;
    }
    if (argc == 2 && (first == "--help" || first == "-h")) {
        usage(stdout);
        return 0;
    }
    if (argc == 3 && first == "--verify") {
        return verify_file(argv[2]);
    }
    if (argc == 3 && first == "--") {
        return stamp_file(argv[2]);
    }
    if (argc == 2 && !first.starts_with("-")) {
        return stamp_file(argv[1]);
    }
    usage(stderr);
    return 2;
}
