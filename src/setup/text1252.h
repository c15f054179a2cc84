// Conversions between the 8-bit Windows-1252 text that the setup, the files and the sensor
// carry, and the UTF-8 text the rest of the program works with.
#pragma once

#include <string>
#include <string_view>

namespace zep4 {

// Every byte maps to one code point; the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so that any
// byte string survives the round trip through UTF-8.
std::string cp1252ToUtf8(std::string_view bytes);

// Characters with no Windows-1252 byte become '?'. Invalid UTF-8 bytes become '?' too.
std::string utf8ToCp1252(std::string_view utf8);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Number of code points of well-formed UTF-8 text.
size_t utf8Length(std::string_view utf8);

// The first `count` code points of well-formed UTF-8 text.
std::string utf8Left(std::string_view utf8, size_t count);

}  // namespace zep4
