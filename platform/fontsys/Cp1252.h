// Windows code page 1252 ("ANSI") and Unicode. Text in drawings, face names and settings are
// code page 1252 bytes; these convert at the boundaries that speak Unicode (fonts' 'cmap' and
// 'name' tables, the GUI, text files).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The Unicode code point of a byte. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows converts them.
uint32_t Cp1252ToUnicode(uint8_t byte);

// The byte of a code point; false when the code page has none.
bool UnicodeToCp1252(uint32_t code, uint8_t* byte);

// Whole strings. Invalid UTF-8 and code points without a byte become `replacement`.
std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text, char replacement = '?');
