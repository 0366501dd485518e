#include "platform/numtext.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(NumText, LeadingValue) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::string, double>> cases = {
        {"", 0},
        {"   ", 0},
        {"x1", 0},
        {" 12ab", 12},
        {"-3", -3},
        {"+5", 5},
        {"1 2", 12},
        {"- 5", -5},
        {"\t\r\n7", 7},
        {"0012", 12},
        {".5", 0.5},
        {"-.25", -0.25},
        {"5.", 5},
        {"1.2.3", 1.2},
        {"12,5", 12},
        {"--5", 0},
        {".e5", 0},
        {"1e5", 1e5},
        {"1D2", 100},
        {"2.5E-1", 0.25},
        {"1 E 2", 100},
        {"1E", 1},
        {"1E+", 1},
        {"&H1F", 31},
        {"&o17", 15},
        {"&Hxyz", 0},
        {"&", 0},
        {"123456789012345678", 123456789012345678.0},
        {"1e400", inf},
        {"-1e400", -inf},
        {"1e-400", 0},
        {"0e99999999999999999999", 0},
        {"0.000001e300", 1e294},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(platform::leading_value(text), value) << '[' << text << ']';
    }
}

TEST(NumText, IsNumber) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"", false},        {"   ", false},
        {"12a", false},     {".", false},
        {"+", false},       {"-", false},
        {"1e", false},      {"1e+", false},
        {"1 2", false},     {"- 3", false},
        {"1.2.3", false},   {"12,5", false},
        {"&H1F", false},    {"0x1F", false},
        {"K", false},       {"1.5", true},
        {"-3", true},       {" 249", true},
        {" 249  ", true},   {"\t7\t", true},
        {"+5", true},       {".5", true},
        {"5.", true},       {"1e5", true},
        {"1E+05", true},    {"2.5d-3", true},
        {"00000000", true}, {"123456789012345678901234567890", true},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(platform::is_number(text), number) << '[' << text << ']';
    }
}

TEST(NumText, WithSignPlace) {
    const std::vector<std::pair<double, std::string>> cases = {
        {249, " 249"},
        {-7, "-7"},
        {0, " 0"},
        {-0.0, " 0"},
        {100, " 100"},
        {364.0 / 3, " 121.333333333333"},
        {80.0 / 3, " 26.6666666666667"},
        {2.0 / 3, " .666666666666667"},
        {0.5, " .5"},
        {-0.25, "-.25"},
        {0.1 + 0.2, " .3"},
        {123456.789, " 123456.789"},
        {1.25e12, " 1250000000000"},
        {999999999999999.0, " 999999999999999"},
        {999999999999999.9, " 1E+15"},  // rounds up into the exponent range
        {1e15, " 1E+15"},
        {1.5e20, " 1.5E+20"},
        {-1e300, "-1E+300"},
        {1e-15, " .000000000000001"},
        {1e-16, " 1E-16"},
        {-2.5e-20, "-2.5E-20"},
        {std::numeric_limits<double>::infinity(), " Inf"},
        {std::numeric_limits<double>::quiet_NaN(), " NaN"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(platform::with_sign_place(value), text) << value;
    }
}

TEST(NumText, WholeNumbersBothWays) {
    constexpr auto lo = std::numeric_limits<std::int64_t>::min();
    constexpr auto hi = std::numeric_limits<std::int64_t>::max();
    for (std::int64_t v : {std::int64_t{0}, std::int64_t{250}, std::int64_t{-12}, lo, hi}) {
        EXPECT_EQ(platform::read_whole(platform::whole_text(v)), v);
    }
    EXPECT_EQ(platform::whole_text(250), "250");
    EXPECT_EQ(platform::whole_text(lo), "-9223372036854775808");

    const std::vector<std::pair<std::string, std::optional<std::int64_t>>> cases = {
        {"  12 ", 12},
        {"\t3\t", 3},
        {"007", 7},
        {"-5", -5},
        {"+5", 5},
        {"9223372036854775807", hi},
        {"-9223372036854775808", lo},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"1 2", std::nullopt},
        {"12a", std::nullopt},
        {"1.0", std::nullopt},
        {"+-5", std::nullopt},
        {"-+5", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"- 5", std::nullopt},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(platform::read_whole(text), value) << '[' << text << ']';
    }
}

TEST(NumText, FormatPattern) {
    struct T {
        std::string text, pattern, out;
    };
    const std::vector<T> cases = {
        // The patterns the windows use.
        {"12345678", "##,###,###", "12.345.678"},
        {"1234", "##,###,###", "1.234"},
        {"123", "##,###,###", "123"},
        {"12345678", "########", "12345678"},
        {"007", "########", "7"},
        {"0", "########", ""},
        {"0", "#######0", "0"},
        {"0", "##,###,##0", "0"},
        {"76543210", "##,###,##0", "76.543.210"},
        {"1234567", "#,###,##0", "1.234.567"},
        {"  249 ", "######0", "249"},
        {"1234", "###############", "1234"},
        {"01012018", "00-00-0000", "01-01-2018"},
        {"1012018", "00-00-0000", "01-01-2018"},
        {"999999999999999999", "#################0", "999999999999999999"},
        {"123456789012345678", "###,###,###,###,###,##0", "123.456.789.012.345.678"},
        {"98765432109876543210", "###################0", "98765432109876543210"},
        {"12345678901234567890123", "##,###,###,###,###,###,##0", "12.345.678.901.234.567.890.123"},
        {"5000000000000000000000000", "##,###,###,###,###,###,###",
         "5.000.000.000.000.000.000.000.000"},
        // Texts that are not numbers come back unchanged.
        {"", "##,###,###", ""},
        {"12a", "########", "12a"},
        {"K", "00-00-0000", "K"},
        {"01-01-2018", "00-00-0000", "01-01-2018"},
        {"1e400", "########", "1e400"},
        // More digits than placeholders: all shown, grouped when asked.
        {"123456789", "####", "123456789"},
        {"12345678", "#,###,##0", "12.345.678"},
        // Signs and rounding (halves away from zero).
        {"-1234", "##,###,##0", "-1.234"},
        {"+42", "########", "42"},
        {"2.5", "######0", "3"},
        {"-2.5", "######0", "-3"},
        {"0.4", "#######0", "0"},
        {"-0.4", "#######0", "0"},
        {"-0.4", "########", ""},
        {"-0", "#######0", "0"},
        {"9.5", "#", "10"},
        {"99.99", "##,###", "100"},
        {"1e5", "##,###,###", "100.000"},
        {"1.5E3", "######0", "1500"},
        {"1.25e1", "######0", "13"},
        {"5e-1", "######0", "1"},
        {"4.9e-1", "######0", "0"},
        {"123456789012345678901e0", "#", "123456789012345678901"},
        {"0.0001234567890123456789e24", "#", "123456789012345678900"},
        // Zero fill, literals and patterns without placeholders.
        {"5", "00,000", "00.005"},
        {"5", "00000", "00005"},
        {"123", "##-##", "1-23"},
        {"12", "", "12"},
        {"0", "", "0"},
        {"12", "N ", "N 12"},
    };
    for (const T& c : cases) {
        EXPECT_EQ(platform::format_pattern(c.text, c.pattern), c.out)
            << '[' << c.text << "] with " << c.pattern;
    }
    EXPECT_EQ(platform::format_pattern("1234567", "##,###,###", ','), "1,234,567");
}

TEST(NumText, ThousandsSeparatorFallsBackToThePointWhenTheLocaleGivesNone) {
    // The C locale has no grouping separator.
    const std::string antes = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(platform::thousands_separator(), '.');
    std::setlocale(LC_NUMERIC, antes.c_str());
}

}  // namespace
