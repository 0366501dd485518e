#include "platform/text.hpp"

#include <array>
#include <cstdint>

namespace platform {

namespace {

// Code points of the bytes 0x80-0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t code_point(unsigned char b) {
    return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : b;
}

// Byte for a code point, or -1 when the code page lacks it.
int cp1252_byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    if (cp > 0xFFFF) return -1;
    for (unsigned i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

constexpr std::array<unsigned char, 256> make_upper() {
    std::array<unsigned char, 256> t{};
    for (unsigned i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (unsigned c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 0x20);
    for (unsigned c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 0x20);  // 0xF7 is the division sign
    }
    t[0x9A] = 0x8A;  // š Š
    t[0x9C] = 0x8C;  // œ Œ
    t[0x9E] = 0x8E;  // ž Ž
    t[0xFF] = 0x9F;  // ÿ Ÿ
    return t;
}

constexpr std::array<unsigned char, 256> kUpper = make_upper();

bool continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

}  // namespace

std::string cp1252_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        char32_t cp = code_point(static_cast<unsigned char>(ch));
        if (cp < 0x80) {
            out.push_back(ch);
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string utf8_to_cp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
    while (i < n) {
        unsigned char b = at(i);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte, which rules out
        // overlong forms, surrogates and code points above U+10FFFF.
        std::size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        }
        if (len == 0) {  // stray continuation byte or invalid lead byte
            out.push_back('?');
            ++i;
            continue;
        }
        char32_t cp = b & (0xFF >> (len + 1));
        std::size_t k = 1;
        for (; k < len && i + k < n; ++k) {
            unsigned char c = at(i + k);
            if (k == 1 ? (c < lo || c > hi) : !continuation(c)) break;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (k < len) {  // truncated or broken: one '?' for the bytes read so far
            out.push_back('?');
            i += k;
            continue;
        }
        int byte = cp1252_byte(cp);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
        i += len;
    }
    return out;
}

std::string upper_cp1252(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out) c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
    return out;
}

std::string_view trim_left(std::string_view text) {
    std::size_t p = text.find_first_not_of(' ');
    return p == std::string_view::npos ? std::string_view{} : text.substr(p);
}

std::string_view trim_right(std::string_view text) {
    std::size_t p = text.find_last_not_of(' ');
    return p == std::string_view::npos ? std::string_view{} : text.substr(0, p + 1);
}

std::string_view trim(std::string_view text) {
    return trim_right(trim_left(text));
}

std::string_view mid(std::string_view text, std::size_t start, std::size_t count) {
    if (start == 0) start = 1;
    if (start > text.size()) return {};
    return text.substr(start - 1, count);
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 0x20);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 0x20);
        if (x != y) return false;
    }
    return true;
}

}  // namespace platform
