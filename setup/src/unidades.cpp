#include "setup/unidades.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace setup {

namespace {

// File systems that hold no user data (kernel and memory file systems) or
// that are not local.
const std::set<std::string, std::less<>> kNoLocales = {"proc",
                                                       "sysfs",
                                                       "devtmpfs",
                                                       "devpts",
                                                       "tmpfs",
                                                       "ramfs",
                                                       "cgroup",
                                                       "cgroup2",
                                                       "securityfs",
                                                       "pstore",
                                                       "bpf",
                                                       "debugfs",
                                                       "tracefs",
                                                       "configfs",
                                                       "fusectl",
                                                       "mqueue",
                                                       "hugetlbfs",
                                                       "autofs",
                                                       "binfmt_misc",
                                                       "efivarfs",
                                                       "rpc_pipefs",
                                                       "nsfs",
                                                       "selinuxfs",
                                                       "nfs",
                                                       "nfs4",
                                                       "cifs",
                                                       "smb3",
                                                       "smbfs",
                                                       "9p",
                                                       "fuse.sshfs",
                                                       "fuse.gvfsd-fuse",
                                                       "fuse.portal",
                                                       "squashfs",
                                                       "iso9660",
                                                       "udf"};

// Decodes the octal escapes of a mounts table field ("\040" is a blank).
std::string sin_escapes(std::string_view campo) {
    std::string out;
    for (std::size_t i = 0; i < campo.size(); ++i) {
        if (campo[i] == '\\' && i + 3 < campo.size() &&
            std::all_of(campo.begin() + i + 1, campo.begin() + i + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>((campo[i + 1] - '0') * 64 + (campo[i + 2] - '0') * 8 +
                                     (campo[i + 3] - '0'));
            i += 3;
        } else {
            out += campo[i];
        }
    }
    return out;
}

std::string leer(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<std::string> puntos_de_montaje(std::string_view montajes) {
    std::vector<std::string> out;
    std::istringstream lineas{std::string(montajes)};
    std::string linea;
    while (std::getline(lineas, linea)) {
        std::istringstream campos(linea);
        std::string dispositivo, punto, tipo;
        if (!(campos >> dispositivo >> punto >> tipo)) continue;
        if (kNoLocales.count(tipo)) continue;
        std::string ruta = sin_escapes(punto);
        if (ruta.empty() || ruta[0] != '/') continue;
        if (std::find(out.begin(), out.end(), ruta) == out.end()) out.push_back(std::move(ruta));
    }
    return out;
}

std::vector<std::string> Lista_Unidades() {
    std::vector<std::string> out;
    std::error_code ec;
    if (const char* home = std::getenv("HOME"); home && *home && fs::is_directory(home, ec))
        out.push_back(fs::path(home).lexically_normal().string());
    if (!out.empty() && out[0].size() > 1 && out[0].back() == '/') out[0].pop_back();
    for (auto& punto : puntos_de_montaje(leer("/proc/self/mounts"))) {
        if (std::find(out.begin(), out.end(), punto) != out.end()) continue;
        if (!fs::is_directory(punto, ec)) continue;  // a file bound into a container, say
        out.push_back(std::move(punto));
    }
    return out;
}

std::string unidad_de(const fs::path& ruta, const std::vector<std::string>& unidades) {
    const std::string r = ruta.lexically_normal().string();
    std::string mejor = "/";
    for (const auto& u : unidades) {
        const bool contiene = r == u || (r.size() > u.size() && r.compare(0, u.size(), u) == 0 &&
                                         (u.back() == '/' || r[u.size()] == '/'));
        if (contiene && u.size() >= mejor.size()) mejor = u;
    }
    return mejor;
}

std::string ruta_destino(std::string_view unidad) {
    std::string r(unidad);
    while (r.size() > 1 && r.back() == '/') r.pop_back();
    if (r != "/") r += '/';
    return r;
}

bool unidad_disponible(const fs::path& raiz) {
    std::error_code ec;
    return !raiz.empty() && fs::is_directory(raiz, ec) && ::access(raiz.c_str(), X_OK) == 0;
}

bool unidad_escribible(const fs::path& raiz) {
    fs::path prueba = raiz / "TestInstall";
    std::error_code ec;
    if (fs::exists(fs::symlink_status(prueba, ec)))
        prueba = raiz / ("TestInstall-" + std::to_string(::getpid()));
    if (!fs::create_directory(prueba, ec) || ec) return false;
    return fs::remove(prueba, ec) && !ec;
}

}  // namespace setup
