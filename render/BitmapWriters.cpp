#include "render/BitmapWriters.h"

#include <QImage>
#include <algorithm>
#include <vector>

#include "output/OutputSink.h"
#include "output/ProgressDialog.h"

namespace {

// Bytes of one TIFF strip, about.
constexpr int64_t kTiffStripBytes = 8192;
// TIFF 6.0 field types.
constexpr uint16_t kShort = 3, kLong = 4, kRational = 5;
// The IFD: a 2-byte count, 13 entries of 12 bytes, a 4-byte next offset; then the two
// resolutions and the bits per sample, so the arrays start 184 bytes after it.
constexpr int64_t kIfdEntries = 13;
constexpr int64_t kXResolutionAt = 2 + kIfdEntries * 12 + 4;  // 162
constexpr int64_t kYResolutionAt = kXResolutionAt + 8;        // 170
constexpr int64_t kBitsPerSampleAt = kYResolutionAt + 8;      // 178
constexpr int64_t kArraysAt = kBitsPerSampleAt + 6;           // 184

class LeBytes {
 public:
  void U16(uint32_t v) {
    b_.push_back(uint8_t(v));
    b_.push_back(uint8_t(v >> 8));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    U16(tag);
    U16(type);
    U32(count);
    if (type == kShort && count == 1) {
      U16(value);  // a SHORT sits in the first two bytes of the value field
      U16(0);
    } else {
      U32(value);
    }
  }
  bool WriteTo(OutputSink* sink) const {
    return b_.empty() || sink->WriteBytes(b_.data(), int32_t(b_.size())) == 1;
  }
  void Clear() { b_.clear(); }

 private:
  std::vector<uint8_t> b_;
};

}  // namespace

int32_t TiffRowsPerStrip(int32_t width) {
  int64_t row = int64_t(std::max(width, 0)) * 3;
  if (row <= 0) return 1;
  return int32_t(std::max<int64_t>(1, kTiffStripBytes / row));
}

int32_t TiffStripCount(int32_t width, int32_t height) {
  if (height <= 0) return 0;
  int32_t rows = TiffRowsPerStrip(width);
  return height / rows + (height % rows ? 1 : 0);
}

bool WriteBmp24(OutputSink* sink, const QImage& image) {
  if (!sink || image.isNull()) return false;
  const int64_t w = image.width(), h = image.height();
  const int64_t stride = (w * 3 + 3) & ~int64_t(3);
  const int64_t imageSize = stride * h;
  if (imageSize > int64_t(UINT32_MAX) - 54) return false;
  LeBytes header;
  header.U16('B' | ('M' << 8));
  header.U32(uint32_t(14 + 40 + imageSize));  // no colour table at 24 bits
  header.U16(0);
  header.U16(0);
  header.U32(14 + 40);
  header.U32(40);  // BITMAPINFOHEADER
  header.U32(uint32_t(w));
  header.U32(uint32_t(h));  // positive: bottom-up rows
  header.U16(1);
  header.U16(24);
  header.U32(0);  // BI_RGB
  header.U32(uint32_t(imageSize));
  header.U32(0);
  header.U32(0);
  header.U32(0);
  header.U32(0);
  if (!header.WriteTo(sink)) return false;
  std::vector<uint8_t> row(size_t(stride), 0);
  for (int64_t y = h - 1; y >= 0; --y) {
    const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
    for (int64_t x = 0; x < w; ++x) {
      row[size_t(x * 3)] = uint8_t(qBlue(src[x]));
      row[size_t(x * 3 + 1)] = uint8_t(qGreen(src[x]));
      row[size_t(x * 3 + 2)] = uint8_t(qRed(src[x]));
    }
    if (sink->WriteBytes(row.data(), int32_t(stride)) != 1) return false;
  }
  return true;
}

bool WriteTiffRgb(OutputSink* sink, const QImage& image) {
  if (!sink || image.isNull()) return false;
  const int64_t w = image.width(), h = image.height();
  const int64_t rowBytes = w * 3;
  const int64_t dataBytes = rowBytes * h;
  const int64_t rows = TiffRowsPerStrip(int32_t(w));
  const int64_t strips = TiffStripCount(int32_t(w), int32_t(h));
  const int64_t d = (8 + dataBytes + 3) & ~int64_t(3);
  if (d + kArraysAt + 8 * strips > int64_t(UINT32_MAX)) return false;

  const long start = sink->Tell();
  LeBytes out;
  out.U16('I' | ('I' << 8));
  out.U16(42);
  out.U32(0);  // first IFD, filled in at the end
  if (!out.WriteTo(sink)) return false;

  std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
  for (int64_t y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
    for (int64_t x = 0; x < w; ++x) {
      row[size_t(x * 3)] = uint8_t(qRed(src[x]));
      row[size_t(x * 3 + 1)] = uint8_t(qGreen(src[x]));
      row[size_t(x * 3 + 2)] = uint8_t(qBlue(src[x]));
    }
    if (sink->WriteBytes(row.data(), int32_t(rowBytes)) != 1) return false;
  }
  static const uint8_t kZeros[3] = {0, 0, 0};
  if (d > 8 + dataBytes && sink->WriteBytes(kZeros, int32_t(d - 8 - dataBytes)) != 1) return false;

  // A single strip keeps its offset and byte count in the entries themselves.
  const bool oneStrip = strips == 1;
  const uint32_t offsetsAt = uint32_t(d + kArraysAt);
  const uint32_t countsAt = uint32_t(d + kArraysAt + 4 * strips);
  out.Clear();
  out.U16(uint16_t(kIfdEntries));
  out.Entry(254, kLong, 1, 0);
  out.Entry(256, kLong, 1, uint32_t(w));
  out.Entry(257, kLong, 1, uint32_t(h));
  out.Entry(258, kShort, 3, uint32_t(d + kBitsPerSampleAt));
  out.Entry(259, kShort, 1, 1);
  out.Entry(262, kShort, 1, 2);
  out.Entry(273, kLong, uint32_t(strips), oneStrip ? 8u : offsetsAt);
  out.Entry(277, kShort, 1, 3);
  out.Entry(278, kLong, 1, uint32_t(rows));
  out.Entry(279, kLong, uint32_t(strips), oneStrip ? uint32_t(dataBytes) : countsAt);
  out.Entry(282, kRational, 1, uint32_t(d + kXResolutionAt));
  out.Entry(283, kRational, 1, uint32_t(d + kYResolutionAt));
  out.Entry(296, kShort, 1, 2);
  out.U32(0);  // no further IFD
  out.U32(72);
  out.U32(1);
  out.U32(72);
  out.U32(1);
  out.U16(8);
  out.U16(8);
  out.U16(8);
  if (!oneStrip) {
    const int64_t stripBytes = rows * rowBytes;
    for (int64_t i = 0; i < strips; ++i) out.U32(uint32_t(8 + i * stripBytes));
    for (int64_t i = 0; i < strips; ++i)
      out.U32(uint32_t(i + 1 < strips ? stripBytes : dataBytes - (strips - 1) * stripBytes));
  }
  if (!out.WriteTo(sink)) return false;

  const long end = sink->Tell();
  LeBytes ifd;
  ifd.U32(uint32_t(d));
  if (sink->Seek(start + 4) != 0 || !ifd.WriteTo(sink)) return false;
  return sink->Seek(end) == 0;
}

QImage ReduceBitmap(const QImage& image, int32_t factor, ProgressDialog* progress) {
  // Beyond 4096 the 32-bit channel sums could overflow; no bitmap that large is ever made.
  if (image.isNull() || factor < 1 || factor > 4096) return QImage();
  const int ow = image.width() / factor, oh = image.height() / factor;
  if (ow <= 0 || oh <= 0) return QImage();
  QImage out(ow, oh, QImage::Format_RGB32);
  if (out.isNull()) return out;
  out.fill(0xFF000000u);  // a new bitmap is black until written
  if (progress) progress->SetText("Exporting bitmap...");
  const uint32_t area = uint32_t(factor) * uint32_t(factor);
  std::vector<const QRgb*> rows(static_cast<size_t>(factor));
  for (int y = 0; y < oh; ++y) {
    for (int k = 0; k < factor; ++k)
      rows[size_t(k)] = reinterpret_cast<const QRgb*>(image.constScanLine(y * factor + k));
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < ow; ++x) {
      // Red and blue summed side by side in the two 32-bit halves of one number, green in
      // place: one addition less per channel, and no sum reaches the next field.
      uint64_t rb = 0, g = 0;
      for (int k = 0; k < factor; ++k) {
        const QRgb* s = rows[size_t(k)] + x * factor;
        for (int i = 0; i < factor; ++i) {
          rb += uint64_t(s[i] & 0x00FF0000u) << 16 | (s[i] & 0xFFu);
          g += s[i] & 0x0000FF00u;
        }
      }
      dst[x] = qRgb(int((rb >> 32) / area), int((g >> 8) / area), int((rb & 0xFFFFFFFFu) / area));
    }
    if (progress) {
      progress->SetPosition(y + 1, oh);
      if (progress->Cancelled()) break;
    }
  }
  return out;
}
