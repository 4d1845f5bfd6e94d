// Builds BMP files in memory, header fields given, for the bitmap reader and insertion tests;
// its little-endian field setter serves the other Windows file formats too.
#pragma once

#include <cstdint>
#include <vector>

namespace bmptest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes* b, uint32_t v) { b->insert(b->end(), {uint8_t(v), uint8_t(v >> 8)}); }
inline void Put32(Bytes* b, uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }
inline void Set32(Bytes* b, size_t at, uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) (*b)[at + i] = uint8_t(v >> (8 * i));
}
inline uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

struct Bmp {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  uint32_t headerSize = 40;
  std::vector<uint32_t> palette;  // 0xRRGGBB
  std::vector<uint32_t> masks;    // inside headers of 52 bytes or more, else after the header
  Bytes pixels;
};

// File header, information header, masks, palette, pixels; bfSize and bfOffBits filled in.
inline Bytes Build(const Bmp& s) {
  Bytes b = {'B', 'M'};
  for (uint32_t v : {0u, 0u, 0u, s.headerSize}) Put32(&b, v);
  if (s.headerSize == 12) {
    for (uint32_t v : {uint32_t(s.width), uint32_t(s.height), 1u, uint32_t(s.bits)}) Put16(&b, v);
  } else {
    for (uint32_t v : {uint32_t(s.width), uint32_t(s.height), 1u | (uint32_t(s.bits) << 16),
                       s.compression, 0u, 0u, 0u, s.colorsUsed, 0u})
      Put32(&b, v);
    for (size_t i = 0; i < s.masks.size() && s.headerSize >= 52; ++i) Put32(&b, s.masks[i]);
    b.resize(14 + s.headerSize);
    for (size_t i = 0; i < s.masks.size() && s.headerSize < 52; ++i) Put32(&b, s.masks[i]);
  }
  for (uint32_t c : s.palette) {
    b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    if (s.headerSize != 12) b.push_back(0);
  }
  Set32(&b, 10, uint32_t(b.size()));
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  Set32(&b, 2, uint32_t(b.size()));
  return b;
}

}  // namespace bmptest
