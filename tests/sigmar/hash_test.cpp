#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "sha0.hpp"

namespace sigmarlib {
void PrintTo(Engine engine, std::ostream* out) {
    *out << (engine == Engine::scalar ? "scalar" : "SHA extensions");
}
}  // namespace sigmarlib

namespace {

using sigmarlib::Digest;
using sigmarlib::Engine;

std::vector<std::uint32_t> words(const Digest& d) {
    return {d.h, d.h + 5};
}

class sigmar_hash : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (!sigmarlib::engine_available(GetParam())) {
            GTEST_SKIP() << "this processor has no SHA extension instructions";
        }
    }
};

struct Vector {
    std::string message;
    std::vector<std::uint32_t> digest;
};

TEST_P(sigmar_hash, GivesTheFips180Digests) {
    const std::vector<Vector> vectors = {
        {"abc", {0x0164B8A9, 0x14CD2A5E, 0x74C4F7FF, 0x082C4D97, 0xF1EDF880}},
        {"", {0xF96CEA19, 0x8AD1DD56, 0x17AC084A, 0x3D92C610, 0x7708C0EF}},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         {0xD2516EE1, 0xACFA5BAF, 0x33DFC1C4, 0x71E43844, 0x9EF134C8}},
    };
    for (const auto& v : vectors) {
        EXPECT_EQ(words(sigmarlib::sha0(v.message.data(), v.message.size(), GetParam())), v.digest)
            << '"' << v.message << '"';
    }
}

TEST_P(sigmar_hash, GivesTheMillionADigestWhateverThePiecesFed) {
    const std::vector<std::uint32_t> expected = {0x3232AFFA, 0x48628A26, 0x653B5AAA, 0x44541FD9,
                                                 0x0D690603};
    const std::string a(1000000, 'a');
    EXPECT_EQ(words(sigmarlib::sha0(a.data(), a.size(), GetParam())), expected);

    // Pieces that start and end anywhere within a block, and span several blocks.
    const std::size_t pieces[] = {1, 63, 64, 65, 4096, 7, 130, 55, 4000};
    sigmarlib::Sha0 context(GetParam());
    std::size_t fed = 0;
    for (std::size_t i = 0; fed < a.size(); ++i) {
        const std::size_t n = std::min(pieces[i % std::size(pieces)], a.size() - fed);
        context.update(a.data() + fed, n);
        fed += n;
    }
    EXPECT_EQ(words(context.finish()), expected);
}

INSTANTIATE_TEST_SUITE_P(Engines, sigmar_hash, testing::Values(Engine::scalar, Engine::sha_ext),
                         [](const testing::TestParamInfo<Engine>& info) {
                             return info.param == Engine::scalar ? "Scalar" : "ShaExtensions";
                         });

// Every length around the padding boundaries (55, 56, 63, 64 bytes and their
// multiples), fed whole and in two pieces.
TEST(sigmar_engines, AgreeOnEveryLengthAndSplit) {
    if (!sigmarlib::engine_available(Engine::sha_ext)) {
        GTEST_SKIP() << "this processor has no SHA extension instructions";
    }
    std::mt19937 random(7);
    std::string data(300, '\0');
    for (auto& c : data) {
        c = static_cast<char>(random());
    }
    for (std::size_t size = 0; size <= data.size(); ++size) {
        const auto scalar = words(sigmarlib::sha0(data.data(), size, Engine::scalar));
        ASSERT_EQ(words(sigmarlib::sha0(data.data(), size, Engine::sha_ext)), scalar)
            << "size " << size;
        const std::size_t split = size * 37 % (size + 1);
        sigmarlib::Sha0 context(Engine::sha_ext);
        context.update(data.data(), split);
        context.update(data.data() + split, size - split);
        ASSERT_EQ(words(context.finish()), scalar) << "size " << size << " split " << split;
    }
}

// The digest words are summed with a 32-bit wrap before the remainder: for "abc"
// the plain sum would give 27459613.
TEST(sigmar_control_number, FoldsTheDigestWithA32BitWrap) {
    EXPECT_EQ(sigmarlib::control_number(sigmarlib::sha0("abc", 3, Engine::scalar)), 32492317u);
    EXPECT_EQ(sigmarlib::control_number(sigmarlib::sha0("", 0, Engine::scalar)), 50981304u);
}

}  // namespace
