#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

// Removes one trailing '/' if there is one; an empty path stays empty.
std::string StripTrailingSeparator(std::string path);

// Folder of the running executable, without a trailing '/'.
std::string ProgramFolder();

// Upper case for the letters a to z; every other byte (UTF-8 included) stays as it is.
std::string UpperAscii(std::string text);

// "TRUE" or "FALSE".
std::string YesNoText(bool flag);

// Field n (0 to 255) of a comma-separated text, untrimmed; "ERROR" when there are
// fewer than n + 1 fields.
std::string CommaField(std::string_view text, int n);

// The pieces of text between separators, empty ones included; a final separator ends
// the last piece and starts none.
std::vector<std::string> SplitText(std::string_view text, char separator);

// A 32-bit integer as the settings store writes it: decimal with an optional sign,
// or hexadecimal after "$" (or "0x") taken as a 32-bit pattern. Leading blanks are
// allowed, anything after the number is not.
std::optional<std::int32_t> TextToInt(std::string_view text);

} // namespace glimra
