#include "platform/fontsys/Cp1252.h"

namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(char(c));
  } else if (c < 0x800) {
    out->push_back(char(0xC0 | (c >> 6)));
    out->push_back(char(0x80 | (c & 0x3F)));
  } else {
    // Every code point of the code page lies in the basic plane.
    out->push_back(char(0xE0 | (c >> 12)));
    out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(char(0x80 | (c & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[*i]; false (and one byte consumed) when it is invalid.
bool NextUtf8(std::string_view text, size_t* i, uint32_t* code) {
  uint8_t b = uint8_t(text[*i]);
  size_t n;
  uint32_t c;
  uint32_t min;
  if (b < 0x80) {
    *code = b;
    ++*i;
    return true;
  } else if ((b & 0xE0) == 0xC0) {
    n = 1, c = b & 0x1F, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    n = 2, c = b & 0x0F, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    n = 3, c = b & 0x07, min = 0x10000;
  } else {
    ++*i;
    return false;
  }
  if (n > text.size() - *i - 1) {
    ++*i;
    return false;
  }
  for (size_t k = 1; k <= n; ++k) {
    uint8_t t = uint8_t(text[*i + k]);
    if ((t & 0xC0) != 0x80) {
      ++*i;
      return false;
    }
    c = (c << 6) | (t & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++*i;
    return false;
  }
  *i += n + 1;
  *code = c;
  return true;
}

}  // namespace

uint32_t Cp1252ToUnicode(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

bool UnicodeToCp1252(uint32_t code, uint8_t* byte) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
    *byte = uint8_t(code);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == code) {
      *byte = uint8_t(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) AppendUtf8(Cp1252ToUnicode(uint8_t(ch)), &out);
  return out;
}

std::string Utf8ToCp1252(std::string_view text, char replacement) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    uint32_t code = 0;
    uint8_t byte = 0;
    if (NextUtf8(text, &i, &code) && UnicodeToCp1252(code, &byte)) {
      out.push_back(char(byte));
    } else {
      out.push_back(replacement);
    }
  }
  return out;
}
