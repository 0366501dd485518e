// Differential fuzzing of the two SHA-0 engines: fed the same bytes in the
// same pieces, they must give the same digest.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sha0.hpp"

using sigmarlib::Engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!sigmarlib::engine_available(Engine::sha_ext)) return 0;
    sigmarlib::Sha0 a(Engine::scalar), b(Engine::sha_ext);
    // The first byte chooses the size of the pieces.
    std::size_t piece = size ? 1 + data[0] % 97 : 1;
    for (std::size_t at = 0; at < size; at += piece) {
        std::size_t n = size - at < piece ? size - at : piece;
        a.update(data + at, n);
        b.update(data + at, n);
    }
    sigmarlib::Digest x = a.finish(), y = b.finish();
    if (std::memcmp(x.h, y.h, sizeof x.h) != 0) std::abort();
    return 0;
}
