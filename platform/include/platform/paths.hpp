// Folders and paths. Every path the system builds goes through the resolver,
// which looks names up without regard to letter case ("REGISTRO" finds
// "registro") and, when it creates a folder or file, reuses an existing
// case-variant, so two variants of one name never come to exist side by side.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

// The folder that holds the running program (from /proc/self/exe).
fs::path program_folder();

// The "drive root" of an install folder: its parent folder. The install
// folder /home/ana/Orvex18 gives /home/ana, under which GEN_2018 lies.
fs::path drive_root(const fs::path& install_folder);

// The path as it exists on disk: each component that does not exist with its
// exact spelling is replaced by an existing entry of the same folder whose name
// differs only in ASCII letter case (the first in name order when there are
// several). Components from the first one that matches nothing onwards are kept
// as given. Never fails; an unreadable folder simply matches nothing.
fs::path resolve(const fs::path& p);

// Joins a base folder and a tail written with either separator
// ("\\registro\\errores.txt" or "registro/errores.txt") and resolves the result.
fs::path join(const fs::path& base, std::string_view tail);

// Creates one folder (not its parents) unless it or a case-variant exists.
// Returns true when it created the folder; `ec` tells why it did not
// (std::errc::file_exists when the folder, a case-variant or a file is there).
bool create_folder(const fs::path& p, std::error_code& ec);

// Whether an entry of this name (any case-variant) exists, and of which kind.
bool exists(const fs::path& p);
bool is_regular_file(const fs::path& p);
bool is_directory(const fs::path& p);

}  // namespace platform
