// Windows-1252 text: every file the system reads or writes holds one byte per
// character in this code page. The user interface speaks UTF-8 and converts at
// its boundary only, with these functions.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string cp1252_to_utf8(std::string_view bytes);

// UTF-8 to Windows-1252. A character the code page lacks, or a malformed UTF-8
// sequence, becomes '?'.
std::string utf8_to_cp1252(std::string_view utf8);

// Upper case of Windows-1252 text: ASCII letters and the accented letters of
// the code page ("ñ" 0xF1 becomes "Ñ" 0xD1, "š" becomes "Š", "ÿ" becomes "Ÿ").
std::string upper_cp1252(std::string_view bytes);

// Text without leading and trailing blanks (0x20 only, as the old string rules do).
std::string_view trim(std::string_view text);
std::string_view trim_left(std::string_view text);
std::string_view trim_right(std::string_view text);

// Positions are 1-based; a range past the end is cut, a start past the end
// gives the empty text (the old Mid rule). Start 0 reads as 1.
std::string_view mid(std::string_view text, std::size_t start, std::size_t count);
inline std::string_view mid(std::string_view text, std::size_t start) {
    return mid(text, start, std::string_view::npos);
}

// Letter-case-blind comparison of ASCII letters (other bytes compare exactly).
bool iequals(std::string_view a, std::string_view b);

}  // namespace platform
