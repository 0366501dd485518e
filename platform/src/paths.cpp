#include "platform/paths.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace platform {

namespace {

bool same_name_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

bool lexists(const fs::path& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` but for letter case; the
// first in name order when there are several. Empty when there is none.
std::string case_variant(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    std::string best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (same_name_ignoring_case(entry, name) && (best.empty() || entry < best)) best = entry;
    }
    return best;
}

}  // namespace

fs::path program_folder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec);
    return exe.parent_path();
}

fs::path drive_root(const fs::path& install_folder) {
    fs::path p = install_folder;
    while (p.has_relative_path() && !p.has_filename()) p = p.parent_path();  // drop trailing "/"
    return p.parent_path();
}

fs::path resolve(const fs::path& p) {
    if (p.empty() || lexists(p)) return p;
    fs::path out;
    bool matching = true;
    for (const auto& part : p) {
        const std::string name = part.string();
        if (!matching || name.empty() || name == "/" || name == "." || name == "..") {
            out /= part;
            continue;
        }
        fs::path exact = out / part;
        if (lexists(exact)) {
            out = std::move(exact);
            continue;
        }
        std::string variant = case_variant(out, name);
        if (variant.empty()) {
            matching = false;
            out = std::move(exact);
        } else {
            out /= variant;
        }
    }
    return out;
}

fs::path join(const fs::path& base, std::string_view tail) {
    std::string t(tail);
    std::replace(t.begin(), t.end(), '\\', '/');
    std::size_t first = t.find_first_not_of('/');
    std::size_t last = t.find_last_not_of('/');
    fs::path rel =
        first == std::string::npos ? fs::path() : fs::path(t.substr(first, last - first + 1));
    return resolve(rel.empty() ? base : base / rel);
}

bool create_folder(const fs::path& p, std::error_code& ec) {
    ec.clear();
    fs::path target = resolve(p);
    if (lexists(target)) {
        ec = std::make_error_code(std::errc::file_exists);
        return false;
    }
    if (::mkdir(target.c_str(), 0777) != 0) {
        ec = std::error_code(errno, std::generic_category());
        return false;
    }
    return true;
}

bool exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(resolve(p), ec);
}

bool is_regular_file(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(resolve(p), ec);
}

bool is_directory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(resolve(p), ec);
}

}  // namespace platform
