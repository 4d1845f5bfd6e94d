// Bitmap files from anywhere: the loader must neither read out of bounds nor report success with
// pixels that do not match the size it gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "model/BitmapLoader.h"

namespace {

uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A few bytes of RLE may legally stand for hundreds of megabytes of background, which takes
// seconds to fill and check. Such inputs teach the fuzzer nothing new, so sizes between this and
// kMaxBitmapBytes are passed over; larger ones still go to the loader, which must refuse them.
constexpr uint64_t kSlowImageBytes = uint64_t(16) << 20;

bool SlowToFill(const uint8_t* data, size_t size) {
  if (size < 26) return false;
  uint64_t width, height;
  if (U32(data + 14) == 12) {
    width = uint64_t(data[18] | (data[19] << 8));
    height = uint64_t(data[20] | (data[21] << 8));
  } else {
    int64_t w = int32_t(U32(data + 18));
    int64_t h = int32_t(U32(data + 22));
    width = uint64_t(w < 0 ? -w : w);
    height = uint64_t(h < 0 ? -h : h);
  }
  uint64_t bytes = width * height * 3;
  return bytes > kSlowImageBytes && bytes <= kMaxBitmapBytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (SlowToFill(data, size)) return 0;
  ImageData image;
  if (LoadBmpFromMemory(data, size, &image)) {
    size_t bytes = size_t(image.width) * size_t(image.height) * 3;
    if (!image.HasPixels() || image.pixels.size() != bytes) std::abort();
    // Touch every byte so a short buffer shows up under AddressSanitizer.
    uint64_t sum = 0;
    for (uint8_t v : image.pixels) sum += v;
    volatile uint64_t sink = sum;
    (void)sink;
  } else if (image.width != 0 || image.height != 0 || !image.pixels.empty()) {
    std::abort();
  }
  return 0;
}
