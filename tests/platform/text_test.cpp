#include "platform/text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::string in;
    std::string out;
};

TEST(Cp1252, DecodesTheCodePage) {
    const std::vector<Case> cases = {
        {"", ""},
        {"RUT 12", "RUT 12"},
        {"\x80", "€"},
        {"\x8A\x9A\x9F", "ŠšŸ"},
        {"\x93x\x94", "“x”"},
        {"\x96\x97\x99", "–—™"},
        {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
        {"\xA0", "\u00A0"},
        {"A\xD1O TRIBUTARIO", "AÑO TRIBUTARIO"},
        {"\xE1\xE9\xED\xF3\xFA\xFC\xFF", "áéíóúüÿ"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::cp1252_to_utf8(c.in), c.out) << c.in;
        EXPECT_EQ(platform::utf8_to_cp1252(c.out), c.in) << c.out;
    }
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(platform::utf8_to_cp1252(platform::cp1252_to_utf8(all)), all);
}

TEST(Cp1252, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
    const std::vector<Case> cases = {
        {"中文", "??"},   // not in the code page
        {"x😀y", "x?y"},   // four-byte character
        {"\u0080", "?"},  // C1 control whose byte means "€"
        {"\u0100", "?"},  // just past Latin-1
        {"\x80", "?"},    // stray continuation byte
        {"\xC3", "?"},    // truncated at the end
        {"\xC3"
         "A",
         "?A"},  // truncated before ASCII
        {"\xE2\x82"
         "A",
         "?A"},                        // three-byte sequence cut short
        {"\xC0\xAF", "??"},            // overlong "/"
        {"\xE0\x80\xAF", "???"},       // overlong three-byte form
        {"\xED\xA0\x80", "???"},       // surrogate
        {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
        {"\xF5\xFF\xFE", "???"},       // bytes that never start a sequence
        {"\xC3\xB1\xC3", "\xF1?"},     // valid then truncated
    };
    for (const Case& c : cases) EXPECT_EQ(platform::utf8_to_cp1252(c.in), c.out) << c.in;
}

TEST(Cp1252, ArbitraryBytesNeverGrowTheText) {
    // Every pair and a few triples of bytes: no read past the end (the
    // sanitizers watch), and never more output bytes than input bytes.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string in = {static_cast<char>(a), static_cast<char>(b)};
            ASSERT_LE(platform::utf8_to_cp1252(in).size(), 2u);
            const std::string in3 = {static_cast<char>(0xF0 | (a & 3)), static_cast<char>(b),
                                     static_cast<char>(a)};
            ASSERT_LE(platform::utf8_to_cp1252(in3).size(), 3u);
        }
    }
}

TEST(Text, UpperCase) {
    const std::vector<Case> cases = {
        {"abc xyz 09", "ABC XYZ 09"},
        {"\xF1\xE1\xE9\xED\xF3\xFA\xFC", "\xD1\xC1\xC9\xCD\xD3\xDA\xDC"},  // ñáéíóúü
        {"\xE0\xFE", "\xC0\xDE"},
        {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"},  // š œ ž ÿ
        {"\xF7\xDF\xB5\xAA", "\xF7\xDF\xB5\xAA"},  // ÷ ß µ ª have no upper case here
        {"ABC\xD1", "ABC\xD1"},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::upper_cp1252(c.in), c.out) << c.in;
}

TEST(Text, TrimTakesBlanksOnly) {
    struct T {
        std::string in, both, left, right;
    };
    const std::vector<T> cases = {
        {"", "", "", ""},
        {"   ", "", "", ""},
        {"  a b  ", "a b", "a b  ", "  a b"},
        {"\tx\t", "\tx\t", "\tx\t", "\tx\t"},
        {" \r\n", "\r\n", "\r\n", " \r\n"},
    };
    for (const T& c : cases) {
        EXPECT_EQ(platform::trim(c.in), c.both) << '[' << c.in << ']';
        EXPECT_EQ(platform::trim_left(c.in), c.left) << '[' << c.in << ']';
        EXPECT_EQ(platform::trim_right(c.in), c.right) << '[' << c.in << ']';
    }
}

TEST(Text, MidIsOneBasedAndCut) {
    struct T {
        std::string in;
        std::size_t start, count;
        std::string out;
    };
    const std::vector<T> cases = {
        {"1879AB", 1, 4, "1879"}, {"1879AB", 5, 2, "AB"}, {"1879AB", 5, 100, "AB"},
        {"1879AB", 6, 1, "B"},    {"1879AB", 7, 1, ""},   {"1879AB", 1000, 3, ""},
        {"1879AB", 3, 0, ""},     {"1879AB", 0, 2, "18"},  // start 0 reads as 1
        {"", 1, 1, ""},
    };
    for (const T& c : cases) {
        EXPECT_EQ(platform::mid(c.in, c.start, c.count), c.out) << c.start << ',' << c.count;
    }
    EXPECT_EQ(platform::mid("1879AB", 3), "79AB");
    EXPECT_EQ(platform::mid("1879AB", 9), "");
}

TEST(Text, IequalsFoldsAsciiLettersOnly) {
    struct T {
        std::string a, b;
        bool eq;
    };
    const std::vector<T> cases = {
        {"REGISTRO", "registro", true},
        {"FormatosDJ.TXT", "formatosdj.txt", true},
        {"", "", true},
        {"abc", "abcd", false},
        {"a1", "A2", false},
        {"\xD1", "\xF1", false},  // Ñ and ñ are different bytes
        {"@", "`", false},        // 0x40 and 0x60 are not letters
        {"[", "{", false},
    };
    for (const T& c : cases) {
        EXPECT_EQ(platform::iequals(c.a, c.b), c.eq) << c.a << " vs " << c.b;
        EXPECT_EQ(platform::iequals(c.b, c.a), c.eq) << c.b << " vs " << c.a;
    }
}

}  // namespace
