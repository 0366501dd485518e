// Stamps a large upload-like file through libsigmar32.so and through each hash
// engine, and times sha1sum and openssl dgst -sha1 on the same file.
//
//   sigmar_bench [FOLDER] [MEGABYTES]    defaults: $TMPDIR or /tmp, 256

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/medicion.hpp"
#include "sha0.hpp"
#include "sigmar/sigmar.h"
#include "stamp.hpp"

namespace {

constexpr int kRounds = 7;

struct Contender {
    std::string name;
    std::function<bool()> work;
    std::function<void()> prepare = [] {};
    double best = 1e30;  // seconds
    bool failed = false;
};

// Each round runs every contender once, so that a busy machine slows all of them
// alike; the best time of each counts.
void measure(std::vector<Contender>& contenders) {
    for (int round = 0; round < kRounds; ++round) {
        for (auto& c : contenders) {
            if (c.failed) {
                continue;
            }
            c.prepare();
            c.best = std::min(c.best, bench::segundos([&] { c.failed = !c.work(); }));
        }
    }
}

void report(const std::vector<Contender>& contenders, double megabytes) {
    for (const auto& c : contenders) {
        if (c.failed) {
            std::printf("  %-34s failed or not available\n", c.name.c_str());
        } else {
            std::printf("  %-34s %8.3f s  %8.0f MB/s\n", c.name.c_str(), c.best,
                        megabytes / c.best);
        }
    }
}

// size bytes of varied content with twenty "0" at offsets 31 to 50.
bool write_file(const std::string& path, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::vector<std::uint64_t> chunk((1 << 20) / 8);
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    bool ok = true;
    for (std::size_t done = 0; ok && done < size;) {
        for (auto& word : chunk) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        auto* bytes = reinterpret_cast<char*>(chunk.data());
        if (done == 0) {
            std::fill(bytes + 31, bytes + 51, '0');
        }
        const std::size_t n = std::min(size - done, chunk.size() * 8);
        ok = ::write(fd, bytes, n) == static_cast<ssize_t>(n);
        done += n;
    }
    return ::close(fd) == 0 && ok;
}

// Puts the twenty "0" back so that the file can be stamped again.
void clear_field(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        const char zeros[20] = {'0', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                                '0', '0', '0', '0', '0', '0', '0', '0', '0', '0'};
        if (::pwrite(fd, zeros, sizeof zeros, 31) != static_cast<ssize_t>(sizeof zeros)) {
            std::perror("pwrite");
        }
        ::close(fd);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = argc > 1 ? argv[1] : (tmp != nullptr && *tmp ? tmp : "/tmp");
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 256;
    const std::size_t size = megabytes << 20;
    const double mb = static_cast<double>(size) / 1e6;
    const std::string path = folder + "/sigmar-bench-" + std::to_string(::getpid()) + ".dat";

    if (!write_file(path, size)) {
        std::perror(path.c_str());
        return 1;
    }
    bench::correr({"cat", path});  // into the page cache, as a freshly written upload file is

    using sigmarlib::Engine;
    const bool sha_ext = sigmarlib::engine_available(Engine::sha_ext);
    const auto clear = [&] { clear_field(path); };
    std::vector<unsigned char> memory(size, 'x');
    volatile std::uint32_t sink = 0;
    const auto in_memory = [&](Engine engine) {
        return [&, engine] {
            sink = sink + sigmarlib::sha0(memory.data(), size, engine).h[0];
            return true;
        };
    };

    std::vector<Contender> contenders;
    contenders.push_back({sha_ext ? "sigmar() [SHA extensions]" : "sigmar() [scalar]",
                          [&] { return sigmar(path.c_str()) == 0; }, clear});
    contenders.push_back({"stamp, scalar engine",
                          [&] { return sigmarlib::stamp(path.c_str(), Engine::scalar) == 0; },
                          clear});
    if (sha_ext) {
        contenders.push_back({"stamp, SHA extension engine",
                              [&] { return sigmarlib::stamp(path.c_str(), Engine::sha_ext) == 0; },
                              clear});
    }
    // The hash alone, on memory, shows what reading the file costs.
    contenders.push_back({"SHA-0 in memory, scalar", in_memory(Engine::scalar)});
    if (sha_ext) {
        contenders.push_back({"SHA-0 in memory, SHA extensions", in_memory(Engine::sha_ext)});
    }
    contenders.push_back({"sha1sum", [&] { return bench::correr({"sha1sum", path}); }});
    contenders.push_back({"openssl dgst -sha1", [&] {
                              return bench::correr({"openssl", "dgst", "-sha1", path});
                          }});

    std::printf("%zu MiB file %s, best of %d rounds (MB = 10^6 bytes)\n", megabytes, path.c_str(),
                kRounds);
    if (!sha_ext) {
        std::printf("  this processor has no SHA extension instructions\n");
    }
    measure(contenders);
    report(contenders, mb);

    ::unlink(path.c_str());
    return 0;
}
