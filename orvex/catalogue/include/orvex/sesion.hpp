// Key=value strings (KEY=value pairs joined by "&") and the notes that the
// programs leave for each other in the install folder's "registro" folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvex {

using Par = std::pair<std::string, std::string>;

// Splits "K1=v1&K2=v2" into pairs. Only the first "=" of a pair separates
// key and value; a segment without "=" is skipped; empty segments are skipped.
std::vector<Par> separar_pares(std::string_view texto);
// Joins pairs as "K1=v1&K2=v2".
std::string unir_pares(const std::vector<Par>& pares);

// Writes the file-pick note registro/GenDj.Tmp: one line "FORM=" + the path
// without leading and trailing blanks, replacing the previous note. False when
// the note could not be written (a missing "registro" folder, say).
bool Anotar_Archivo(const std::filesystem::path& install, std::string_view path);

}  // namespace orvex
