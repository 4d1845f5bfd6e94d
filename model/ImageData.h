// Pixels of an image shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Rows top first, 3 bytes a pixel (red, green, blue), no row padding.
struct ImageData {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;

  bool HasPixels() const { return width > 0 && height > 0 && !pixels.empty(); }
  const uint8_t* PixelAt(int32_t x, int32_t y) const {
    return pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
  }
};
