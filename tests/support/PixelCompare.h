// Pictures of our exports as outside tools draw them, and the comparison under the pixel rules'
// one-pixel allowance: GDI fills cover the pixels whose centres lie inside while PostScript
// and PDF paint every pixel a shape touches, so edges may lie a pixel apart.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/BitmapLoader.h"
#include "support/OutputTestSupport.h"

namespace pixels {

// A 24-bit BMP as top-down RGB, read by our loader (checked against ImageMagick's reading);
// width 0 when the file is not one.
inline Pnm ReadBmp24(const std::string& path) {
  ImageData img;
  if (!LoadBmpFile(path.c_str(), &img)) return Pnm{};
  return Pnm{img.width, img.height, 3, std::string(img.pixels.begin(), img.pixels.end())};
}

// No channel differs by more than `tolerance` (of 255).
inline bool Near(const Pnm& a, size_t i, const Pnm& b, size_t j, int tolerance) {
  for (size_t c = 0; c < 3; ++c)
    if (std::abs(int(uint8_t(a.pixels[i * 3 + c])) - int(uint8_t(b.pixels[j * 3 + c]))) > tolerance)
      return false;
  return true;
}

// True when pixel (x, y) of `a` has a near pixel in the 3x3 neighbourhood of (x, y) in `b`.
inline bool NearNeighbour(const Pnm& a, const Pnm& b, int x, int y, int tolerance) {
  const size_t i = size_t(y) * size_t(a.width) + size_t(x);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= b.width || ny >= b.height) continue;
      if (Near(a, i, b, size_t(ny) * size_t(b.width) + size_t(nx), tolerance)) return true;
    }
  return false;
}

// Pixels of two same-sized pictures that differ beyond the one-pixel allowance (either way),
// leaving out `margin` pixels along the edges.
inline size_t CountDiffering(const Pnm& a, const Pnm& b, int tolerance, int margin = 0) {
  size_t n = 0;
  for (int y = margin; y < a.height - margin; ++y)
    for (int x = margin; x < a.width - margin; ++x)
      n += !NearNeighbour(a, b, x, y, tolerance) || !NearNeighbour(b, a, x, y, tolerance);
  return n;
}

inline bool Inked(const Pnm& image, size_t i) {
  const char* px = image.pixels.data() + i * 3;
  return std::min({uint8_t(px[0]), uint8_t(px[1]), uint8_t(px[2])}) < 250;
}

inline size_t CountInked(const Pnm& image) {
  size_t n = 0;
  for (size_t i = 0; i < size_t(image.width) * size_t(image.height); ++i) n += Inked(image, i);
  return n;
}

// Dark pixels black, the rest white: for pictures whose tools turn black into different greys
// or smooth its edges.
inline Pnm Binarize(const Pnm& image) {
  Pnm out = image;
  for (size_t i = 0; i < size_t(image.width) * size_t(image.height); ++i) {
    const char* px = image.pixels.data() + i * 3;
    const bool dark = std::min({uint8_t(px[0]), uint8_t(px[1]), uint8_t(px[2])}) < 128;
    out.pixels.replace(i * 3, 3, dark ? std::string(3, '\0') : "\xff\xff\xff");
  }
  return out;
}

struct Box {
  int x1 = INT_MAX, y1 = INT_MAX, x2 = INT_MIN, y2 = INT_MIN;
};

// The box of pixels with any channel below near-white.
inline Box InkBox(const Pnm& image) {
  Box b;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      if (!Inked(image, size_t(y) * size_t(image.width) + size_t(x))) continue;
      b.x1 = std::min(b.x1, x), b.y1 = std::min(b.y1, y);
      b.x2 = std::max(b.x2, x), b.y2 = std::max(b.y2, y);
    }
  return b;
}

// `ours` resampled onto the size of `theirs` so that its ink box lands on theirs: libwmf places
// a metafile's drawing by its own scan of the records, not by the placeable header's box.
inline Pnm Register(const Pnm& ours, const Pnm& theirs) {
  const Box mine = InkBox(ours), other = InkBox(theirs);
  Pnm fitted = theirs;
  if (mine.x2 <= mine.x1 || mine.y2 <= mine.y1 || other.x2 <= other.x1 || other.y2 <= other.y1)
    return fitted;
  for (int v = 0; v < theirs.height; ++v)
    for (int u = 0; u < theirs.width; ++u) {
      int x = int(mine.x1 + (u - other.x1 + 0.5) * (mine.x2 - mine.x1) / (other.x2 - other.x1));
      int y = int(mine.y1 + (v - other.y1 + 0.5) * (mine.y2 - mine.y1) / (other.y2 - other.y1));
      size_t to = (size_t(v) * size_t(theirs.width) + size_t(u)) * 3;
      bool inside = x >= 0 && y >= 0 && x < ours.width && y < ours.height;
      for (size_t c = 0; c < 3; ++c)
        fitted.pixels[to + c] =
            inside ? ours.pixels[(size_t(y) * size_t(ours.width) + size_t(x)) * 3 + c] : '\xff';
    }
  return fitted;
}

// Mean of each factor x factor block, per channel (a grey picture gives three equal channels).
inline std::vector<int> Reduce(const Pnm& image, int factor) {
  const int w = image.width / factor, h = image.height / factor;
  std::vector<int> out(size_t(w) * size_t(h) * 3, 0);
  for (int y = 0; y < h * factor; ++y)
    for (int x = 0; x < w * factor; ++x)
      for (int c = 0; c < 3; ++c) {
        size_t at = (size_t(y) * size_t(image.width) + size_t(x)) * size_t(image.channels) +
                    size_t(image.channels == 3 ? c : 0);
        out[(size_t(y / factor) * size_t(w) + size_t(x / factor)) * 3 + size_t(c)] +=
            uint8_t(image.pixels[at]);
      }
  for (int& v : out) v /= factor * factor;
  return out;
}

// Pixels of the two pictures, each reduced `factor` times, that differ by more than `tolerance`
// in any channel; `inked` gets the reduced pixels of `b` below near-white, `total` all of them.
inline size_t CountReducedDiffering(const Pnm& a, const Pnm& b, int factor, int tolerance,
                                    size_t* inked, size_t* total) {
  const std::vector<int> x = Reduce(a, factor), y = Reduce(b, factor);
  size_t differing = 0;
  *inked = 0;
  for (size_t i = 0; i + 2 < x.size() && i + 2 < y.size(); i += 3) {
    bool differs = false;
    for (size_t c = 0; c < 3; ++c) differs |= std::abs(x[i + c] - y[i + c]) > tolerance;
    differing += differs;
    *inked += std::min({y[i], y[i + 1], y[i + 2]}) < 250;
  }
  *total = x.size() / 3;
  return differing;
}

}  // namespace pixels
