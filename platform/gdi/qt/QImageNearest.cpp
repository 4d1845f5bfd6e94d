// Placed images on the QImage device, each device pixel converted once from the source bytes
// straight into the image rows.
#include <algorithm>
#include <vector>

#include "platform/gdi/qt/QImageDevice.h"

namespace gdi {

void QImageDevice::DrawNearest(const DevRect& area, const NearestImage& img) {
  const DevRect clip = GetClipBox();
  const int32_t left = std::max(area.left, clip.left), right = std::min(area.right, clip.right);
  const int32_t top = std::max(area.top, clip.top), bottom = std::min(area.bottom, clip.bottom);
  if (image_.isNull() || !img.rgb || left >= right || top >= bottom) return;
  const double iw = double(img.width), ih = double(img.height);
  const size_t w = size_t(img.width);
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  if (img.va == 0 && img.uc == 0) {
    // Upright and unrotated, as placed images mostly are: the column depends on x alone and the
    // row on y alone, so the columns are found once, as runs of device pixels that take the
    // same one (an enlarged image has long runs).
    struct Run {
      int32_t begin, end, column;
    };
    std::vector<Run> runs;
    for (int32_t x = left; x < right; ++x) {
      const double u = img.ua * (double(x) + 0.5) + img.ut;
      if (!(u >= 0 && u < iw)) continue;
      const int32_t column = int32_t(u);
      if (!runs.empty() && runs.back().end == x && runs.back().column == column) {
        ++runs.back().end;
      } else {
        runs.push_back({x, x + 1, column});
      }
    }
    for (int32_t y = top; y < bottom; ++y) {
      const double v = img.vc * (double(y) + 0.5) + img.vt;
      if (!(v >= 0 && v < ih)) continue;
      const uint8_t* row = img.rgb + size_t(v) * w * 3;
      auto* out = reinterpret_cast<QRgb*>(bits + y * stride);
      for (const Run& run : runs) {
        const uint8_t* s = row + size_t(run.column) * 3;
        std::fill(out + run.begin, out + run.end, qRgb(s[0], s[1], s[2]));
      }
    }
    return;
  }
  for (int32_t y = top; y < bottom; ++y) {
    const double py = double(y) + 0.5;
    const double u0 = img.uc * py + img.ut, v0 = img.vc * py + img.vt;
    auto* out = reinterpret_cast<QRgb*>(bits + y * stride);
    for (int32_t x = left; x < right; ++x) {
      const double px = double(x) + 0.5;
      const double u = img.ua * px + u0, v = img.va * px + v0;
      // Also false for a NaN; inside, truncation is the floor, as both are not negative.
      if (!(u >= 0 && u < iw && v >= 0 && v < ih)) continue;
      const uint8_t* s = img.rgb + (size_t(v) * w + size_t(u)) * 3;
      out[x] = qRgb(s[0], s[1], s[2]);
    }
  }
}

}  // namespace gdi
