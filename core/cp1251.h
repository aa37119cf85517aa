// Windows-1251, the code page of names and comments written on Russian Windows systems, and UTF-8:
// the two encodings the editor's 8-bit files meet. The window and the command line decode a name
// that is not valid in the locale's encoding with this table, so both show it alike.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace cp1251 {

// The Unicode code points of bytes 0x80 to 0xFF. 0x98 has no character in the code page: it maps
// to the C1 control of the same number, so that it still comes back as the same byte.
extern const std::array<char16_t, 128> kHigh;

// The code point of one byte.
char16_t ToUnicode(unsigned char byte);
// The byte of a code point; none when the code page has no byte for it.
std::optional<unsigned char> FromUnicode(char32_t code);

// True when `bytes` is well-formed UTF-8 (no overlong form, no surrogate, nothing above U+10FFFF).
bool IsUtf8(std::string_view bytes);

// Windows-1251 bytes as UTF-8 text.
std::string ToUtf8(std::string_view bytes);
// UTF-8 text as Windows-1251 bytes; none when it is not UTF-8 or holds a character the code page
// has no byte for.
std::optional<std::string> FromUtf8(std::string_view text);

}  // namespace cp1251
