#include "model/BitmapLoader.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

// Choices made where the format leaves room:
// - Pixels an RLE stream never writes (skipped by a delta, end-of-line or end-of-bitmap) take the
//   palette's entry 0, as if decoded onto a zeroed index buffer (ImageMagick reads them so too).
// - A palette index beyond the palette is clamped to the last entry.
// - Pixel data shorter than the image needs fails the load (the last row's padding may be missing);
//   so does an RLE stream that ends before its end-of-bitmap mark while rows are still missing,
//   and an RLE run or delta that would leave the image. Encoders (ImageMagick's among them) run
//   RLE rows on into the row's padding to a 32-bit boundary; those pixels are dropped, but a run
//   past the padded row is refused.
// - bfSize only limits the pixel data when it lies between bfOffBits and the end of the file; a
//   bfSize of 0 or one past the end of the file is ignored.

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
// Headers of at least this size carry the red, green and blue masks themselves.
constexpr uint32_t kMaskHeaderBytes = 52;

// Uncompressed pixel data never takes more than 4 bytes for every 3 bytes of RGB it yields
// (32-bit pixels, or a 1-pixel-wide row padded to 4 bytes), so a larger file cannot hold an
// image we would accept; the headroom covers headers and palette.
constexpr uint64_t kMaxBitmapFileBytes = kMaxBitmapBytes / 3 * 4 + (uint64_t(1) << 20);

static_assert(kMaxBitmapFileBytes <= SIZE_MAX, "bitmap sizes must fit in size_t");

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
};

// One colour channel of a 16- or 32-bit pixel, scaled to 8 bits by repeating its bits.
class Channel {
 public:
  // False when the mask's bits are not contiguous.
  bool Init(uint32_t mask) {
    mask_ = mask;
    if (mask == 0) return true;
    shift_ = std::countr_zero(mask);
    uint32_t m = mask >> shift_;
    if ((m & (m + 1)) != 0) return false;
    bits_ = std::popcount(m);
    if (bits_ < 8) {
      for (uint32_t v = 0; v < (1u << bits_); ++v) {
        uint32_t wide = 0;
        int filled = 0;
        while (filled < 8) {
          wide = (wide << bits_) | v;
          filled += bits_;
        }
        scale_[v] = uint8_t(wide >> (filled - 8));
      }
    }
    return true;
  }

  uint8_t Get(uint32_t pixel) const {
    if (bits_ == 0) return 0;
    uint32_t v = (pixel & mask_) >> shift_;
    return bits_ >= 8 ? uint8_t(v >> (bits_ - 8)) : scale_[v];
  }

 private:
  uint32_t mask_ = 0;
  int shift_ = 0;
  int bits_ = 0;
  uint8_t scale_[128] = {};
};

struct BmpInfo {
  int32_t width = 0;
  int32_t height = 0;  // rows, always positive
  bool topDown = false;
  uint32_t bits = 0;
  uint32_t compression = kBiRgb;
  Channel channels[3];  // red, green, blue of 16- and 32-bit pixels
  Rgb palette[256];     // every index maps to an entry (clamped)
  const uint8_t* pixels = nullptr;
  size_t pixelBytes = 0;
};

// Reads and checks everything but the pixels themselves.
bool ParseHeaders(const uint8_t* data, size_t size, BmpInfo* info) {
  if (size < kFileHeaderBytes + 4) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  uint32_t fileSize = U32(data + 2);
  uint32_t offBits = U32(data + 10);
  uint32_t headerBytes = U32(data + 14);
  const uint8_t* h = data + kFileHeaderBytes;
  uint32_t colorsUsed = 0;
  size_t entryBytes = 4;

  if (headerBytes == kCoreHeaderBytes) {
    if (size - kFileHeaderBytes < kCoreHeaderBytes) return false;
    info->width = U16(h + 4);
    info->height = U16(h + 6);
    info->bits = U16(h + 10);
    entryBytes = 3;
  } else if (headerBytes >= kInfoHeaderBytes) {
    if (headerBytes > size - kFileHeaderBytes) return false;
    int32_t width = int32_t(U32(h + 4));
    int32_t height = int32_t(U32(h + 8));
    if (height == INT32_MIN) return false;
    info->width = width;
    info->topDown = height < 0;
    info->height = height < 0 ? -height : height;
    info->bits = U16(h + 14);
    info->compression = U32(h + 16);
    colorsUsed = U32(h + 32);
  } else {
    return false;
  }
  if (info->width <= 0 || info->height <= 0) return false;

  uint32_t bits = info->bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  switch (info->compression) {
    case kBiRgb:
      break;
    case kBiRle8:
    case kBiRle4:
      if (bits != (info->compression == kBiRle8 ? 8u : 4u)) return false;
      // RLE rows only run bottom-up.
      if (info->topDown) return false;
      break;
    case kBiBitfields:
      if (bits != 16 && bits != 32) return false;
      break;
    default:
      return false;
  }

  // The whole RGB result must be allowed before anything else is sized from the dimensions.
  uint64_t rgbBytes = uint64_t(info->width) * uint64_t(info->height) * 3;
  if (rgbBytes > kMaxBitmapBytes) return false;

  if (bits == 16 || bits == 32) {
    uint32_t masks[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    if (bits == 16) {
      masks[0] = 0x7C00;
      masks[1] = 0x03E0;
      masks[2] = 0x001F;
    }
    if (info->compression == kBiBitfields) {
      // Older headers keep the masks in the 12 bytes after the header.
      size_t at = kFileHeaderBytes + kInfoHeaderBytes;
      if (headerBytes < kMaskHeaderBytes && at + 12 > size) return false;
      for (int i = 0; i < 3; ++i) masks[i] = U32(data + at + 4 * i);
    }
    for (int i = 0; i < 3; ++i) {
      if (!info->channels[i].Init(masks[i])) return false;
    }
  }

  if (bits <= 8) {
    uint32_t entries = 1u << bits;
    if (colorsUsed != 0 && colorsUsed < entries) entries = colorsUsed;
    uint64_t at = uint64_t(kFileHeaderBytes) + headerBytes;
    if (at > size || entries * entryBytes > size - at) return false;
    const uint8_t* p = data + at;
    for (uint32_t i = 0; i < entries; ++i, p += entryBytes) {
      info->palette[i] = Rgb{p[2], p[1], p[0]};
    }
    for (uint32_t i = entries; i < 256; ++i) info->palette[i] = info->palette[entries - 1];
  }

  // Pixels inside the headers mean a broken offset.
  if (offBits < kFileHeaderBytes + uint64_t(headerBytes) || offBits >= size) return false;
  size_t available = size - offBits;
  if (fileSize > offBits && fileSize - offBits < available) available = fileSize - offBits;
  info->pixels = data + offBits;
  info->pixelBytes = available;
  return true;
}

void DecodeUncompressed(const BmpInfo& info, uint8_t* out) {
  size_t width = size_t(info.width);
  size_t stride = (width * info.bits + 31) / 32 * 4;
  const Channel* channels = info.channels;
  for (size_t row = 0; row < size_t(info.height); ++row) {
    const uint8_t* src = info.pixels + row * stride;
    size_t outRow = info.topDown ? row : size_t(info.height) - 1 - row;
    uint8_t* dst = out + outRow * width * 3;
    for (size_t x = 0; x < width; ++x, dst += 3) {
      uint32_t pixel = 0;
      switch (info.bits) {
        case 1:
        case 4:
        case 8: {
          uint32_t index;
          if (info.bits == 1) {
            index = (src[x >> 3] >> (7 - (x & 7))) & 1;
          } else if (info.bits == 4) {
            index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
          } else {
            index = src[x];
          }
          const Rgb& c = info.palette[index];
          dst[0] = c.r;
          dst[1] = c.g;
          dst[2] = c.b;
          continue;
        }
        case 24:
          dst[0] = src[x * 3 + 2];
          dst[1] = src[x * 3 + 1];
          dst[2] = src[x * 3];
          continue;
        case 16:
          pixel = U16(src + x * 2);
          break;
        default:
          pixel = U32(src + x * 4);
          break;
      }
      dst[0] = channels[0].Get(pixel);
      dst[1] = channels[1].Get(pixel);
      dst[2] = channels[2].Get(pixel);
    }
  }
}

// Decodes RLE8 or RLE4 onto `out`, which already holds palette entry 0 everywhere; with a null
// `out` only checks the stream, so a bad one is refused before the image is allocated.
bool DecodeRle(const BmpInfo& info, uint8_t* out) {
  const bool rle8 = info.compression == kBiRle8;
  const uint8_t* p = info.pixels;
  const size_t n = info.pixelBytes;
  const size_t width = size_t(info.width);
  const size_t height = size_t(info.height);
  // Pixels in a row including its padding; x never passes it.
  const size_t rowLimit = (width * info.bits + 31) / 32 * 32 / info.bits;
  size_t pos = 0;
  size_t x = 0;
  size_t y = 0;  // counted from the bottom row
  auto put = [&](uint32_t index) {
    if (out && x < width) {
      const Rgb& c = info.palette[index];
      uint8_t* dst = out + ((height - 1 - y) * width + x) * 3;
      dst[0] = c.r;
      dst[1] = c.g;
      dst[2] = c.b;
    }
    ++x;
  };
  while (y < height) {
    if (n - pos < 2) return false;
    uint32_t count = p[pos];
    uint32_t value = p[pos + 1];
    pos += 2;
    if (count > 0) {
      if (count > rowLimit - x) return false;
      for (uint32_t i = 0; i < count; ++i) {
        put(rle8 ? value : ((i & 1) ? value & 15 : value >> 4));
      }
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (n - pos < 2) return false;
      size_t dx = p[pos];
      size_t dy = p[pos + 1];
      pos += 2;
      if (dx > rowLimit - x || dy > height - y) return false;
      x += dx;
      y += dy;
    } else {
      // Absolute run: `value` literal pixels, padded to a 16-bit boundary.
      size_t bytes = rle8 ? value : (value + 1) / 2;
      size_t padded = (bytes + 1) & ~size_t(1);
      if (padded > n - pos || value > rowLimit - x) return false;
      for (uint32_t i = 0; i < value; ++i) {
        uint8_t b = p[pos + (rle8 ? i : i / 2)];
        put(rle8 ? b : ((i & 1) ? b & 15 : b >> 4));
      }
      pos += padded;
    }
  }
  return true;
}

bool Decode(const uint8_t* data, size_t size, ImageData* out) {
  BmpInfo info;
  if (!ParseHeaders(data, size, &info)) return false;
  size_t width = size_t(info.width);
  size_t height = size_t(info.height);
  bool compressed = info.compression == kBiRle8 || info.compression == kBiRle4;
  if (!compressed) {
    // Sizes stay far from overflow: width * height is bounded by kMaxBitmapBytes.
    size_t stride = (width * info.bits + 31) / 32 * 4;
    size_t lastRow = (width * info.bits + 7) / 8;
    if (stride * (height - 1) + lastRow > info.pixelBytes) return false;
  }
  if (compressed && !DecodeRle(info, nullptr)) return false;
  std::vector<uint8_t> pixels;
  try {
    pixels.resize(width * height * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (compressed) {
    // Palette entry 0 everywhere, copied in doubling blocks: a few bytes of RLE may stand for
    // hundreds of megabytes of background.
    const Rgb& c = info.palette[0];
    uint8_t* p = pixels.data();
    size_t total = pixels.size();
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    for (size_t done = 3; done < total;) {
      size_t n = done < total - done ? done : total - done;
      std::memcpy(p + done, p, n);
      done += n;
    }
    DecodeRle(info, p);
  } else {
    DecodeUncompressed(info, pixels.data());
  }
  out->width = info.width;
  out->height = info.height;
  out->pixels = std::move(pixels);
  return true;
}

// Whole file, read in bounded chunks; false when unreadable or too large to be a bitmap.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = true;
  try {
    constexpr size_t kChunk = size_t(1) << 20;
    if (std::fseek(f, 0, SEEK_END) == 0) {
      long end = std::ftell(f);
      if (end > 0 && uint64_t(end) <= kMaxBitmapFileBytes) bytes->reserve(size_t(end));
      std::rewind(f);
    }
    for (;;) {
      size_t used = bytes->size();
      if (used > kMaxBitmapFileBytes) {
        ok = false;
        break;
      }
      bytes->resize(used + kChunk);
      size_t got = std::fread(bytes->data() + used, 1, kChunk, f);
      bytes->resize(used + got);
      if (got < kChunk) {
        ok = !std::ferror(f);
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  std::fclose(f);
  if (!ok) *bytes = std::vector<uint8_t>();
  return ok;
}

}  // namespace

int32_t LoadBmpFromMemory(const uint8_t* data, size_t size, ImageData* out) {
  if (!out) return 0;
  *out = ImageData();
  if (!data || !Decode(data, size, out)) {
    *out = ImageData();
    return 0;
  }
  return 1;
}

int32_t LoadBmpFile(const char* path, ImageData* out) {
  if (!out) return 0;
  *out = ImageData();
  if (!path) return 0;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes)) return 0;
  return LoadBmpFromMemory(bytes.data(), bytes.size(), out);
}
