// SHA-0, the first Secure Hash Standard (FIPS 180, 1993): SHA-1 without the
// one-bit rotation in the message schedule. Two compression functions give the
// same digests: a portable one, and one that runs the rounds on the x86 SHA
// extension instructions when the processor has them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sigmarlib {

enum class Engine { scalar, sha_ext };

bool engine_available(Engine engine);

// The SHA extension engine when the processor has it, else the portable one.
Engine fastest_engine();

struct Digest {
    std::uint32_t h[5];
};

// Hash context. Nothing is allocated: the 64-byte block collects the input and,
// in the portable engine, also holds the message schedule while it is expanded.
class Sha0 {
  public:
    explicit Sha0(Engine engine);
    void update(const void* data, std::size_t size);
    // Pads and returns the digest; the context is spent afterwards.
    Digest finish();

  private:
    void compress(const unsigned char* blocks, std::size_t count);

    Engine engine_;
    std::uint32_t h_[5];
    alignas(16) std::uint32_t block_[16];
    std::uint64_t size_ = 0;  // bytes fed so far
};

Digest sha0(const void* data, std::size_t size, Engine engine);

// The sum of the five digest words, wrapping at 2^32, modulo 100000000.
std::uint32_t control_number(const Digest& digest);

}  // namespace sigmarlib
