// Helpers shared by the stamp tests: a scratch folder, file contents shaped like
// upload files, and running a program with its output captured.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sha0.hpp"

extern char** environ;

namespace sigmartest {

namespace fs = std::filesystem;

// A fresh folder with a short name, removed with everything in it.
class Folder {
  public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "sigmar-test.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const fs::path& path() const { return path_; }

    fs::path write(std::string_view name, std::string_view bytes) const {
        const fs::path p = path_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

  private:
    fs::path path_;
};

inline std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// size bytes: a first line with twenty "0" at offsets 31 to 50, then lines of
// text that vary with seed.
inline std::string upload_like(std::size_t size, unsigned seed = 1) {
    std::string s = "0RECORD CERO 1879 2018 12345678";
    s += std::string(20, '0');
    s += " K\r\n";
    for (unsigned line = 0; s.size() < size; ++line) {
        s += "2" + std::to_string(seed * 7919u + line * 104729u) + " INFORMADO " +
             std::to_string(line) + "\r\n";
    }
    s.resize(size);
    return s;
}

// A 64-byte upload-like content with a number of its own in the first bytes,
// used to hit chosen control numbers.
inline std::string crafted(unsigned long nonce) {
    char buffer[65];
    std::snprintf(buffer, sizeof buffer, "%-31s%020d%-11s\r\n",
                  ("CONTROL " + std::to_string(nonce)).c_str(), 0, "");
    return std::string(buffer, 64);
}

inline std::uint32_t number_of(std::string_view content) {
    return sigmarlib::control_number(
        sigmarlib::sha0(content.data(), content.size(), sigmarlib::Engine::scalar));
}

// The content as a stamp leaves it: the digits of its control number end at
// offset 40, and a shorter content is extended with zero bytes up to them.
inline std::string stamped(std::string content) {
    const std::string digits = std::to_string(number_of(content));
    if (digits == "0") {
        return content;
    }
    const std::size_t at = 41 - digits.size();
    if (content.size() < 41) {
        content.resize(41, '\0');
    }
    content.replace(at, digits.size(), digits);
    return content;
}

struct Outcome {
    int exit_code = -1;
    std::string output;  // standard output and standard error
};

// Runs argv with its output collected in a file of folder; extra_env entries
// ("NAME=value") are added to the environment.
inline Outcome run(const std::vector<std::string>& argv, const fs::path& output_file,
                   const std::vector<std::string>& extra_env = {}) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<std::string> env_strings(extra_env);
    std::vector<char*> env;
    for (auto& e : env_strings) {
        env.push_back(e.data());
    }
    for (char** e = environ; *e != nullptr; ++e) {
        env.push_back(*e);
    }
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    Outcome result;
    if (error != 0) {
        return result;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.output = read_file(output_file);
    return result;
}

// A built program or library, from the folder the build puts them in.
inline fs::path built(std::string_view name) {
    const char* dir = std::getenv("ORVEX_BIN_DIR");
    return fs::path(dir != nullptr ? dir : ".") / name;
}

}  // namespace sigmartest
