// The text/number rules that the tool set leans on: the value of a text's
// leading number, whether a text is a number, numbers written with a sign
// place, and display patterns. Implemented once, here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Numeric value of the number a text begins with: blanks, tabs, CR and LF are
// skipped wherever they stand, then an optional sign, digits, an optional
// decimal point with digits and an optional exponent (E or D). A text that does
// not begin with a number is 0. " 12ab" is 12, "-3" is -3, "1 2" is 12, "x1" is 0.
// "&H1F" and "&O17" read as hexadecimal and octal (31, 15). An exponent beyond
// the range of a double gives +-infinity (check before converting to an integer).
double leading_value(std::string_view text);

// Whether the whole text reads as a number: blanks around it allowed, an
// optional leading sign, digits with an optional decimal point, an optional
// exponent. The empty text and blanks alone are not numbers. Blanks here and
// in read_whole are spaces and tabs; none may stand between sign and digits.
bool is_number(std::string_view text);

// A number written with a sign place: one blank in front of a number that is
// not negative, "-" in front of a negative one; at most 15 significant digits,
// no trailing zeros of a fraction, no leading zero before the decimal point
// (0.5 reads " .5"), and exponent notation from 1E+15 on (" 1E+15") and below
// 1E-15 (" 1E-16"). 249 gives " 249", 364/3 gives " 121.333333333333", -7
// gives "-7". Infinities and NaN give " Inf", "-Inf" and " NaN".
std::string with_sign_place(double value);

// The decimal text of a whole number without a sign place: 250 gives "250".
std::string whole_text(std::int64_t value);

// Reads a whole decimal number with blanks around it ("  12 " is 12, "-5" is
// -5, "+5" is 5). Anything else (empty, blanks only, "1 2", other characters,
// out of the 64-bit range) gives nothing.
std::optional<std::int64_t> read_whole(std::string_view text);

// Formats a numeric text with a display pattern made of '#' (a digit, none
// when it is a leading zero), '0' (a digit, zero-filled), ',' (thousands
// grouping, shown with `thousands`) and other characters copied as they stand.
// "12345678" with "##,###,###" gives "12.345.678"; with "########" it gives
// "12345678"; "01012018" with "00-00-0000" gives "01-01-2018". A text that is
// not a number comes back unchanged. Fractions are rounded to whole numbers,
// halves away from zero. Digits beyond the placeholders are all shown, on the
// left ("123456" with "####" gives "123456"); a negative number gets "-" in
// front, a value that rounds to zero none. Any ',' turns grouping on for the
// whole number; a '.' in the pattern is copied like any other character.
// Whole-number texts are handled digit by digit, so 18-digit amounts stay exact.
std::string format_pattern(std::string_view numeric_text, std::string_view pattern,
                           char thousands = '.');

// The system's thousands separator for display patterns: the one of the
// current C locale (LC_NUMERIC) when it is a single byte, else '.', the
// separator of the Spanish user interface.
char thousands_separator();

}  // namespace platform
