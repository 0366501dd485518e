#include "sha0.hpp"

#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define SIGMAR_HAVE_SHA_EXT 1
#endif

namespace sigmarlib {

namespace {

inline std::uint32_t rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

inline std::uint32_t load_be32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline void store_be32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

// Twenty rounds sharing one round function F and constant K. From round 16 on,
// each message word is expanded in place over the 16-word block, which serves as
// a circular schedule: W[t] = W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16], no rotation.
template <int F, std::uint32_t K, int T0>
inline void rounds20(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c, std::uint32_t& d,
                     std::uint32_t& e, std::uint32_t* w) {
#pragma GCC unroll 20
    for (int i = 0; i < 20; ++i) {
        const int t = T0 + i;
        std::uint32_t x;
        if (t < 16) {
            x = w[t];
        } else {
            x = w[t & 15] ^= w[(t - 3) & 15] ^ w[(t - 8) & 15] ^ w[(t - 14) & 15];
        }
        std::uint32_t f;
        if constexpr (F == 0) {
            f = d ^ (b & (c ^ d));
        } else if constexpr (F == 2) {
            f = (b & c) | (d & (b | c));
        } else {
            f = b ^ c ^ d;
        }
        const std::uint32_t next = rotl(a, 5) + f + e + x + K;
        e = d;
        d = c;
        c = rotl(b, 30);
        b = a;
        a = next;
    }
}

// Portable compression of count 64-byte blocks. w is the context's block; the
// input may be that very block, since each word is read before it is replaced.
void compress_scalar(std::uint32_t* h, const unsigned char* p, std::size_t count,
                     std::uint32_t* w) {
    for (; count != 0; --count, p += 64) {
        for (int i = 0; i < 16; ++i) {
            w[i] = load_be32(p + 4 * i);
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        rounds20<0, 0x5A827999u, 0>(a, b, c, d, e, w);
        rounds20<1, 0x6ED9EBA1u, 20>(a, b, c, d, e, w);
        rounds20<2, 0x8F1BBCDCu, 40>(a, b, c, d, e, w);
        rounds20<3, 0xCA62C1D6u, 60>(a, b, c, d, e, w);
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
    }
}

#ifdef SIGMAR_HAVE_SHA_EXT

#define SIGMAR_SHA_TARGET __attribute__((target("sha,sse4.1")))

// Registers hold four message words with the earliest in the top lane, the
// order the round instructions take. Given the words t-16 .. t-1 in four
// registers, returns words t .. t+3 of the SHA-0 schedule. SHA1MSG1 supplies
// W[t-16] ^ W[t-14] without rotating; SHA1MSG2 rotates, so the rest is done here.
SIGMAR_SHA_TARGET __attribute__((always_inline)) inline __m128i schedule4(__m128i w16, __m128i w12,
                                                                          __m128i w8, __m128i w4) {
    __m128i x = _mm_xor_si128(_mm_sha1msg1_epu32(w16, w12), w8);
    x = _mm_xor_si128(x, _mm_slli_si128(w4, 4));     // W[t-3] for words t .. t+2
    return _mm_xor_si128(x, _mm_srli_si128(x, 12));  // word t+3 needs word t
}

// Rounds 4G .. 4G+3. The two E registers take turns: one feeds these rounds, the
// other keeps A of the previous group, from which SHA1NEXTE derives the next E.
template <int G>
SIGMAR_SHA_TARGET __attribute__((always_inline)) inline void group4(__m128i& abcd, __m128i& e0,
                                                                    __m128i& e1, __m128i (&m)[4]) {
    __m128i& w = m[G % 4];
    if constexpr (G >= 4) {
        w = schedule4(m[G % 4], m[(G + 1) % 4], m[(G + 2) % 4], m[(G + 3) % 4]);
    }
    __m128i& e = (G % 2 == 0) ? e0 : e1;
    __m128i& keep = (G % 2 == 0) ? e1 : e0;
    if constexpr (G == 0) {
        e = _mm_add_epi32(e, w);
    } else {
        e = _mm_sha1nexte_epu32(e, w);
    }
    keep = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e, G / 5);
}

template <int... G>
SIGMAR_SHA_TARGET __attribute__((always_inline)) inline void all_groups(
    __m128i& abcd, __m128i& e0, __m128i& e1, __m128i (&m)[4], std::integer_sequence<int, G...>) {
    (group4<G>(abcd, e0, e1, m), ...);
}

SIGMAR_SHA_TARGET void compress_sha_ext(std::uint32_t* h, const unsigned char* p,
                                        std::size_t count) {
    // Reverses all 16 bytes: big-endian words, earliest word in the top lane.
    const __m128i order = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);
    for (; count != 0; --count, p += 64) {
        const __m128i abcd_start = abcd;
        const __m128i e_start = e0;
        const auto* in = reinterpret_cast<const __m128i*>(p);
        __m128i m[4] = {_mm_shuffle_epi8(_mm_loadu_si128(in), order),
                        _mm_shuffle_epi8(_mm_loadu_si128(in + 1), order),
                        _mm_shuffle_epi8(_mm_loadu_si128(in + 2), order),
                        _mm_shuffle_epi8(_mm_loadu_si128(in + 3), order)};
        __m128i e1;
        all_groups(abcd, e0, e1, m, std::make_integer_sequence<int, 20>{});
        // Group 19 left A as it was after round 75 in e0; rotated, that is the
        // final E, which SHA1NEXTE adds to the starting E.
        e0 = _mm_sha1nexte_epu32(e0, e_start);
        abcd = _mm_add_epi32(abcd, abcd_start);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_shuffle_epi32(abcd, 0x1B));
    h[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}

#endif  // SIGMAR_HAVE_SHA_EXT

}  // namespace

bool engine_available(Engine engine) {
    if (engine == Engine::scalar) {
        return true;
    }
#ifdef SIGMAR_HAVE_SHA_EXT
    // CPUID leaf 1 ECX bit 19: SSE4.1; leaf 7 EBX bit 29: SHA extensions.
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 19))) return false;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return (b & (1u << 29)) != 0;
#else
    return false;
#endif
}

Engine fastest_engine() {
    return engine_available(Engine::sha_ext) ? Engine::sha_ext : Engine::scalar;
}

Sha0::Sha0(Engine engine)
    : engine_(engine_available(engine) ? engine : Engine::scalar),
      h_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u},
      block_{} {}

void Sha0::compress(const unsigned char* blocks, std::size_t count) {
#ifdef SIGMAR_HAVE_SHA_EXT
    if (engine_ == Engine::sha_ext) {
        compress_sha_ext(h_, blocks, count);
        return;
    }
#endif
    compress_scalar(h_, blocks, count, block_);
}

void Sha0::update(const void* data, std::size_t size) {
    auto* p = static_cast<const unsigned char*>(data);
    auto* block = reinterpret_cast<unsigned char*>(block_);
    const std::size_t used = size_ % 64;
    size_ += size;
    if (used != 0) {
        const std::size_t take = size < 64 - used ? size : 64 - used;
        std::memcpy(block + used, p, take);
        if (used + take < 64) {
            return;
        }
        compress(block, 1);
        p += take;
        size -= take;
    }
    if (size >= 64) {
        compress(p, size / 64);
        p += size - size % 64;
        size %= 64;
    }
    if (size != 0) {
        std::memcpy(block, p, size);
    }
}

Digest Sha0::finish() {
    auto* block = reinterpret_cast<unsigned char*>(block_);
    const std::uint64_t bits = size_ * 8;
    std::size_t used = size_ % 64;
    block[used++] = 0x80;
    if (used > 56) {
        std::memset(block + used, 0, 64 - used);
        compress(block, 1);
        used = 0;
    }
    std::memset(block + used, 0, 56 - used);
    store_be32(block + 56, static_cast<std::uint32_t>(bits >> 32));
    store_be32(block + 60, static_cast<std::uint32_t>(bits));
    compress(block, 1);
    Digest digest;
    std::memcpy(digest.h, h_, sizeof h_);
    return digest;
}

Digest sha0(const void* data, std::size_t size, Engine engine) {
    Sha0 context(engine);
    context.update(data, size);
    return context.finish();
}

std::uint32_t control_number(const Digest& digest) {
    std::uint32_t sum = 0;
    for (std::uint32_t word : digest.h) {
        sum += word;
    }
    return sum % 100000000u;
}

}  // namespace sigmarlib
