// The registration file, component libraries and creation by programmatic
// identifier.
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <new>

#include "components/component.hpp"
#include "platform/text.hpp"

namespace components {

// The platform layer's errors, texts and ports, used throughout.
using namespace platform;

namespace fs = std::filesystem;

namespace {

constexpr const char* kRegisterEntry = "orvex_component_register";
constexpr const char* kUnregisterEntry = "orvex_component_unregister";
constexpr const char* kCreateEntry = "orvex_component_create";

ComponentError os_error(int errno_value, const std::string& what) {
    RuntimeError e = RuntimeError::from(error_number(errno_value));
    return ComponentError(e.number, what + ": " + e.description);
}

// ---- The file ----

struct Line {
    std::string text;  // the line as it stands
    std::string progid, library;
    bool parsed = false;
};

Line parse_line(std::string text) {
    Line l;
    std::size_t tab = text.find('\t');
    if (tab != std::string::npos && tab > 0 && tab + 1 < text.size()) {
        l.progid = text.substr(0, tab);
        l.library = text.substr(tab + 1);
        l.parsed = true;
    }
    l.text = std::move(text);
    return l;
}

// The file's lines; none when it does not exist. Other failures throw.
std::vector<Line> read_file_lines(const fs::path& file) {
    std::vector<Line> lines;
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return lines;
        throw os_error(errno, "No se pudo leer el registro de componentes " + file.string());
    }
    std::string bytes;
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int e = errno;
            ::close(fd);
            throw os_error(e, "No se pudo leer el registro de componentes " + file.string());
        }
        if (n == 0) break;
        bytes.append(buf, std::size_t(n));
    }
    ::close(fd);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string text = bytes.substr(start, end - start);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (!text.empty()) lines.push_back(parse_line(std::move(text)));
        start = end + 1;
    }
    return lines;
}

bool write_all(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += std::size_t(n);
    }
    return true;
}

// Writes a complete new copy next to the file and renames it over the file.
void replace_file(const fs::path& file, const std::string& bytes) {
    const std::string what = "No se pudo escribir el registro de componentes " + file.string();
    std::string name = ".";
    name += file.filename().string();
    name += ".XXXXXX";
    std::string tmp = (file.parent_path() / name).string();
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) throw os_error(errno, what);
    struct stat st;
    mode_t mode = ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    bool ok = write_all(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int e = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        e = errno;
    }
    if (ok && ::rename(tmp.c_str(), file.c_str()) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        throw os_error(e, what);
    }
    fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

// An exclusive lock on "<file>.lock" for one read-modify-write of the file.
class FileLock {
  public:
    explicit FileLock(const fs::path& file) {
        fs::path lock = file;
        lock += ".lock";
        fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0)
            throw os_error(errno,
                           "No se pudo bloquear el registro de componentes " + file.string());
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd_);
            throw os_error(e, "No se pudo bloquear el registro de componentes " + file.string());
        }
    }
    ~FileLock() { ::close(fd_); }  // closing releases the lock
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_ = -1;
};

void update_file(const std::function<void(std::vector<Line>&)>& change) {
    const fs::path file = registration_file();
    if (!file.parent_path().empty()) {
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        if (ec)
            throw os_error(ec.value(),
                           "No se pudo crear la carpeta " + file.parent_path().string());
    }
    FileLock lock(file);
    std::vector<Line> lines = read_file_lines(file);
    change(lines);
    std::string bytes;
    for (const Line& l : lines) {
        bytes += l.text;
        bytes += '\n';
    }
    replace_file(file, bytes);
}

bool valid_field(std::string_view s) {
    return !s.empty() && s.find_first_of(std::string_view("\t\r\n\0", 4)) == std::string_view::npos;
}

std::string checked_library(const fs::path& library) {
    std::string lib = library.string();
    if (!library.is_absolute() || !valid_field(lib))
        throw ComponentError(err::invalid_call, "Ruta de biblioteca no válida: \"" + lib + "\"");
    return lib;
}

void check_progids(std::span<const std::string_view> progids) {
    for (std::string_view p : progids) {
        if (!valid_field(p))
            throw ComponentError(err::invalid_call,
                                 "Identificador de programa no válido: \"" + std::string(p) + "\"");
    }
}

// ---- Libraries ----

std::mutex g_libraries_mutex;

// Loads a library once; libraries stay loaded while the program runs, since
// objects they created may still be alive. Empty with `error` set on failure.
void* load_library(const std::string& path, std::string& error) {
    static std::map<std::string, void*> loaded;
    std::lock_guard<std::mutex> guard(g_libraries_mutex);
    auto it = loaded.find(path);
    if (it != loaded.end()) return it->second;
    ::dlerror();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        error = why ? why : "dlopen";
        return nullptr;
    }
    loaded.emplace(path, handle);
    return handle;
}

void* entry_point(void* handle, const char* name) {
    std::lock_guard<std::mutex> guard(g_libraries_mutex);
    return ::dlsym(handle, name);
}

}  // namespace

fs::path registration_file() {
    const char* named = std::getenv("ORVEX_COMPONENTS");
    if (named && *named) return fs::path(named);
    fs::path base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/";
        }
        base = fs::path(home) / ".local" / "share";
    }
    return base / "orvex" / "components";
}

std::vector<Registration> registrations() {
    std::vector<Registration> out;
    for (Line& l : read_file_lines(registration_file())) {
        if (l.parsed) out.push_back({std::move(l.progid), fs::path(std::move(l.library))});
    }
    return out;
}

void add_registrations(const fs::path& library, std::span<const std::string_view> progids) {
    const std::string lib = checked_library(library);
    check_progids(progids);
    update_file([&](std::vector<Line>& lines) {
        for (std::string_view progid : progids) {
            Line fresh = parse_line(std::string(progid) + '\t' + lib);
            bool replaced = false;
            for (auto it = lines.begin(); it != lines.end();) {
                if (it->parsed && iequals(it->progid, progid)) {
                    if (replaced) {
                        it = lines.erase(it);
                        continue;
                    }
                    *it = fresh;
                    replaced = true;
                }
                ++it;
            }
            if (!replaced) lines.push_back(std::move(fresh));
        }
    });
}

void remove_registrations(const fs::path& library, std::span<const std::string_view> progids) {
    const std::string lib = checked_library(library);
    check_progids(progids);
    const fs::path norm = fs::path(lib).lexically_normal();
    update_file([&](std::vector<Line>& lines) {
        std::erase_if(lines, [&](const Line& l) {
            if (!l.parsed || fs::path(l.library).lexically_normal() != norm) return false;
            for (std::string_view p : progids) {
                if (iequals(l.progid, p)) return true;
            }
            return false;
        });
    });
}

LibraryResult register_library(const fs::path& library, bool unregister) {
    LibraryResult r;
    std::error_code ec;
    fs::path absolute = fs::absolute(library, ec).lexically_normal();
    if (ec) absolute = library;
    if (!fs::exists(absolute, ec)) {
        r.stage = LibraryResult::Stage::load_failed;
        r.error = {err::file_not_found, "No se encuentra la biblioteca " + absolute.string()};
        return r;
    }
    std::string why;
    void* handle = load_library(absolute.string(), why);
    if (!handle) {
        r.stage = LibraryResult::Stage::load_failed;
        r.error = {err::path_access,
                   "No se pudo cargar la biblioteca " + absolute.string() + ": " + why};
        return r;
    }
    const char* name = unregister ? kUnregisterEntry : kRegisterEntry;
    auto entry = reinterpret_cast<orvex_component_register_fn>(entry_point(handle, name));
    if (!entry) {
        r.stage = LibraryResult::Stage::no_entry_point;
        r.error = {err::invalid_call,
                   "La biblioteca " + absolute.string() + " no tiene el punto de entrada " + name};
        return r;
    }
    orvex_error e{};
    if (entry(absolute.c_str(), &e) != 0) {
        r.stage = LibraryResult::Stage::entry_failed;
        r.error = {e.number, e.description};
    }
    return r;
}

ObjectRef CreateObject(std::string_view progid) {
    const std::string head = "No se puede crear el objeto \"" + std::string(progid) + "\": ";
    std::vector<Registration> regs;
    try {
        regs = registrations();
    } catch (const ComponentError& e) {
        throw ComponentError(err::cannot_create_object, head + e.what());
    }
    const Registration* found = nullptr;
    for (const Registration& r : regs) {
        if (iequals(r.progid, progid)) found = &r;
    }
    if (!found)
        throw ComponentError(err::cannot_create_object,
                             head + "el identificador no está registrado");
    const std::string lib = found->library.string();
    std::error_code ec;
    if (!fs::exists(found->library, ec))
        throw ComponentError(err::cannot_create_object,
                             head + "no se encuentra la biblioteca " + lib);
    std::string why;
    void* handle = load_library(lib, why);
    if (!handle)
        throw ComponentError(err::cannot_create_object,
                             head + "no se pudo cargar la biblioteca " + lib + ": " + why);
    auto create = reinterpret_cast<orvex_component_create_fn>(entry_point(handle, kCreateEntry));
    if (!create)
        throw ComponentError(
            err::cannot_create_object,
            head + "la biblioteca " + lib + " no tiene el punto de entrada " + kCreateEntry);
    const std::string id(progid);
    void* object = nullptr;
    orvex_error e{};
    if (create(id.c_str(), &object, &e) != 0 || !object)
        throw ComponentError(err::cannot_create_object, head + e.description);
    return ObjectRef(static_cast<Object*>(object));
}

std::int32_t serve_register(const char* library, std::span<const ClassEntry> classes,
                            bool unregister, orvex_error* err) {
    try {
        if (!library) throw ComponentError(err::invalid_call, "Falta la ruta de la biblioteca");
        std::vector<std::string_view> ids;
        for (const ClassEntry& c : classes) ids.push_back(c.progid);
        if (unregister)
            remove_registrations(library, ids);
        else
            add_registrations(library, ids);
        return fill_error(err, 0, "");
    } catch (const ComponentError& e) {
        return fill_error(err, e.number(), e.what());
    } catch (const std::bad_alloc&) {
        return fill_error(err, err::out_of_memory, error_description(err::out_of_memory));
    } catch (const std::exception& e) {
        return fill_error(err, err::device_io, e.what());
    }
}

std::int32_t serve_create(const char* progid, std::span<const ClassEntry> classes, void** object,
                          orvex_error* err) {
    if (!object) return fill_error(err, err::invalid_call, error_description(err::invalid_call));
    *object = nullptr;
    const std::string_view id = progid ? progid : "";
    for (const ClassEntry& c : classes) {
        if (!iequals(c.progid, id)) continue;
        try {
            *object = c.create();
            return fill_error(err, 0, "");
        } catch (const ComponentError& e) {
            return fill_error(err, e.number(), e.what());
        } catch (const std::bad_alloc&) {
            return fill_error(err, err::out_of_memory, error_description(err::out_of_memory));
        }
    }
    return fill_error(err, err::cannot_create_object,
                      "la biblioteca no tiene la clase \"" + std::string(id) + "\"");
}

}  // namespace components
