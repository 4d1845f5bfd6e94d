// Windows and OS/2 BMP files into 24-bit RGB rows, top row first: 1, 4, 8, 16, 24 and 32 bits,
// BI_RGB, BI_BITFIELDS, RLE4 and RLE8, 12-, 40-, 108- and 124-byte headers, bottom-up and
// top-down. Every read is checked against the data; a malformed file loads nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/ImageData.h"

// Largest pixel buffer a bitmap may need.
inline constexpr uint64_t kMaxBitmapBytes = uint64_t(512) << 20;

// 1 on success; 0 on any failure, with `out` left empty.
int32_t LoadBmpFromMemory(const uint8_t* data, size_t size, ImageData* out);
int32_t LoadBmpFile(const char* path, ImageData* out);
