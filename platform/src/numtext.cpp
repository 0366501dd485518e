#include "platform/numtext.hpp"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

namespace platform {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
bool skipped(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A number taken apart: sign, the digits of mantissa with the count of those
// before the decimal point, and a decimal exponent.
struct Parts {
    bool negative = false;
    std::string digits;         // mantissa digits, integer part first
    std::size_t int_count = 0;  // how many of `digits` stand before the point
    long exponent = 0;          // saturated at +-kExpLimit
    bool has_exponent = false;
};

// Beyond this a double is infinite or zero whatever the mantissa holds.
constexpr long kExpLimit = 100000;

void add_exponent_digit(long& e, char c) {
    e = std::min(kExpLimit, e * 10 + (c - '0'));
}

// The value of a number already taken apart; an exponent beyond the range of
// a double gives infinity or zero.
double value_of(const Parts& p) {
    std::string text = p.digits.empty() ? std::string("0") : p.digits;
    long exp = p.exponent - static_cast<long>(p.digits.size() - p.int_count);
    if (!p.digits.empty()) {
        text += 'e';
        text += std::to_string(exp);
    }
    double v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Magnitude: position of the first significant digit after scaling.
        std::size_t first = p.digits.find_first_not_of('0');
        long magnitude =
            first == std::string::npos ? 0 : static_cast<long>(p.digits.size() - first) + exp;
        v = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return p.negative ? -v : v;
}

// Reads a number at the start of `s` the way leading_value does: characters
// from `skipped` are passed over anywhere. Returns false when no digit is read.
bool read_leading(std::string_view s, Parts& p) {
    std::size_t i = 0;
    auto skip = [&] {
        while (i < s.size() && skipped(s[i])) ++i;
    };
    skip();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        p.negative = s[i] == '-';
        ++i;
    }
    bool any = false;
    for (skip(); i < s.size() && is_digit(s[i]); ++i, skip()) {
        p.digits += s[i];
        any = true;
    }
    p.int_count = p.digits.size();
    if (i < s.size() && s[i] == '.') {
        for (++i, skip(); i < s.size() && is_digit(s[i]); ++i, skip()) {
            p.digits += s[i];
            any = true;
        }
    }
    if (!any) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        ++i;
        skip();
        bool neg = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            neg = s[i] == '-';
            ++i;
        }
        long e = 0;
        for (skip(); i < s.size() && is_digit(s[i]); ++i, skip()) add_exponent_digit(e, s[i]);
        p.exponent = neg ? -e : e;
        p.has_exponent = true;
    }
    return true;
}

// "&H1F" and "&O17": hexadecimal and octal whole numbers.
bool read_radix(std::string_view s, double& out) {
    std::size_t i = 0;
    while (i < s.size() && skipped(s[i])) ++i;
    if (i + 1 >= s.size() || s[i] != '&') return false;
    char r = s[i + 1];
    int base = (r == 'H' || r == 'h') ? 16 : (r == 'O' || r == 'o') ? 8 : 0;
    if (base == 0) return false;
    double v = 0;
    for (i += 2; i < s.size(); ++i) {
        char c = s[i];
        if (skipped(c)) continue;
        int d = is_digit(c)              ? c - '0'
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                         : 99;
        if (d >= base) break;
        v = v * base + d;
    }
    out = v;
    return true;
}

// Reads a whole text as a number: blanks around it, an optional sign right
// before the digits, digits with an optional point, an optional exponent.
bool read_strict(std::string_view s, Parts& p) {
    std::size_t i = 0, n = s.size();
    while (i < n && is_blank(s[i])) ++i;
    while (n > i && is_blank(s[n - 1])) --n;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        p.negative = s[i] == '-';
        ++i;
    }
    for (; i < n && is_digit(s[i]); ++i) p.digits += s[i];
    p.int_count = p.digits.size();
    if (i < n && s[i] == '.') {
        for (++i; i < n && is_digit(s[i]); ++i) p.digits += s[i];
    }
    if (p.digits.empty()) return false;
    if (i < n && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        ++i;
        bool neg = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            neg = s[i] == '-';
            ++i;
        }
        if (i == n || !is_digit(s[i])) return false;
        long e = 0;
        for (; i < n && is_digit(s[i]); ++i) add_exponent_digit(e, s[i]);
        p.exponent = neg ? -e : e;
        p.has_exponent = true;
    }
    return i == n;
}

// The digits of a number rounded to a whole number, half away from zero,
// without leading zeros ("" for zero), worked out on the digits so that long
// amounts stay exact. Nothing when the value is beyond the range of a double.
std::optional<std::string> whole_digits(const Parts& p) {
    if (p.has_exponent && !std::isfinite(value_of(p))) return std::nullopt;
    std::string d = p.digits;
    long point = static_cast<long>(p.int_count) + p.exponent;  // digits before the point
    std::size_t lead = std::min(d.find_first_not_of('0'), d.size());
    d.erase(0, lead);
    point -= static_cast<long>(lead);
    if (d.empty()) return std::string();

    std::string out;
    char next = '0';  // the first digit after the point
    if (point <= 0) {
        if (point == 0) next = d[0];
    } else {
        const auto whole = static_cast<std::size_t>(point);
        out = d.substr(0, whole);
        if (whole < d.size()) {
            next = d[whole];
        } else {
            out.append(whole - d.size(), '0');
        }
    }
    if (next >= '5') {
        std::size_t k = out.size();
        while (k > 0 && out[k - 1] == '9') out[--k] = '0';
        if (k == 0) {
            out.insert(out.begin(), '1');
        } else {
            ++out[k - 1];
        }
    }
    return out;
}

}  // namespace

double leading_value(std::string_view text) {
    double radix = 0;
    if (read_radix(text, radix)) return radix;
    Parts p;
    if (!read_leading(text, p)) return 0.0;
    return value_of(p);
}

bool is_number(std::string_view text) {
    Parts p;
    return read_strict(text, p);
}

std::string with_sign_place(double value) {
    if (std::isnan(value)) return " NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : " Inf";
    std::string out(1, value < 0 ? '-' : ' ');
    if (value == 0) return out + '0';

    // 15 significant digits, correctly rounded: "d.dddddddddddddde+X".
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string_view s(buf);
    std::size_t e = s.find('e');
    std::string digits;
    for (char c : s.substr(0, e)) {
        if (c != '.') digits += c;
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    int exp = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exp);

    if (exp >= 15 || exp < -15) {
        out += digits[0];
        if (digits.size() > 1) (out += '.') += digits.substr(1);
        out += exp < 0 ? "E-" : "E+";
        out += std::to_string(exp < 0 ? -exp : exp);
    } else if (exp < 0) {
        out += '.';
        out.append(static_cast<std::size_t>(-exp - 1), '0');
        out += digits;
    } else {
        std::size_t whole = static_cast<std::size_t>(exp) + 1;
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out += digits.substr(0, whole);
            out += '.';
            out += digits.substr(whole);
        }
    }
    return out;
}

std::string whole_text(std::int64_t value) {
    return std::to_string(value);
}

std::optional<std::int64_t> read_whole(std::string_view text) {
    std::size_t b = 0, n = text.size();
    while (b < n && is_blank(text[b])) ++b;
    while (n > b && is_blank(text[n - 1])) --n;
    std::string_view s = text.substr(b, n - b);
    std::size_t first = !s.empty() && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    if (first && s[0] == '+') {  // from_chars takes '-' only
        s.remove_prefix(1);
        first = 0;
    }
    if (s.size() <= first || !is_digit(s[first])) return std::nullopt;
    std::int64_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc{} || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::string format_pattern(std::string_view numeric_text, std::string_view pattern,
                           char thousands) {
    Parts p;
    if (!read_strict(numeric_text, p)) return std::string(numeric_text);
    std::optional<std::string> whole = whole_digits(p);
    if (!whole) return std::string(numeric_text);
    std::string digits = std::move(*whole);
    const bool negative = p.negative && !digits.empty();

    // Placeholders, the first one that forces a digit, and the grouping flag.
    const bool grouping = pattern.find(',') != std::string_view::npos;
    std::size_t slots = 0, forced = 0;  // forced: placeholders from the first '0' on
    for (char c : pattern) {
        if (c != '#' && c != '0') continue;
        ++slots;
        if (c == '0' || forced > 0) ++forced;
    }
    if (pattern.empty()) {  // no pattern: the plain whole number
        if (digits.empty()) return "0";
        return negative ? '-' + digits : digits;
    }
    if (digits.size() < forced) digits.insert(0, forced - digits.size(), '0');

    // Placeholders take digits from the right; the leftmost one takes every
    // digit that is left over, so no digit is ever lost.
    std::string out;
    if (negative) out += '-';
    const std::size_t total = digits.size();
    std::size_t next = 0;  // index into `digits` of the next digit to write
    std::size_t seen = 0;  // placeholders passed so far
    auto put_digit = [&] {
        out += digits[next++];
        std::size_t left = total - next;
        if (grouping && left > 0 && left % 3 == 0) out += thousands;
    };
    for (char c : pattern) {
        if (c == ',') continue;
        if (c != '#' && c != '0') {
            out += c;
            continue;
        }
        ++seen;
        // Digits this placeholder owns: it is placeholder number `seen` of
        // `slots`, so the digits still to come fill the ones after it.
        std::size_t after = slots - seen;
        while (next < total && total - next > after) put_digit();
    }
    while (next < total) put_digit();  // a pattern without placeholders
    return out;
}

char thousands_separator() {
    const std::lconv* l = std::localeconv();
    if (l && l->thousands_sep && l->thousands_sep[0] != '\0' && l->thousands_sep[1] == '\0')
        return l->thousands_sep[0];
    return '.';
}

}  // namespace platform
