// The byte layouts of bitmap export: 24-bit Windows BMP (BITMAPFILEHEADER, BITMAPINFOHEADER,
// bottom-up rows padded to four bytes, blue-green-red) and uncompressed RGB TIFF (TIFF 6.0,
// little-endian, strips of about 8 KB), plus the box filter of smoothed BMP export.
#pragma once

#include <cstdint>

class OutputSink;
class ProgressDialog;
class QImage;

// Rows per TIFF strip for an image `width` pixels wide: 8192 / (width x 3), at least one row
// (pages wider than 2730 pixels would otherwise get none).
int32_t TiffRowsPerStrip(int32_t width);
// Strips for `height` rows: height / rows per strip, one more for a remainder.
int32_t TiffStripCount(int32_t width, int32_t height);

// Writes the image (Format_RGB32) as a 24-bit BI_RGB BMP. False when the sink refused a write.
bool WriteBmp24(OutputSink* sink, const QImage& image);

// Writes the image as an RGB TIFF starting at the sink's position P; every offset in it counts
// from P (so it can sit inside an EPS file). False when the sink refused a write or the image
// is too large for 32-bit offsets.
bool WriteTiffRgb(OutputSink* sink, const QImage& image);

// Box filter by `factor`: each output pixel is the integer mean of a factor x factor block.
// The output is (width / factor) x (height / factor), black where nothing was written. With a
// progress window: text "Exporting bitmap...", position row + 1 of the output height after each
// row; the reduction stops at a cancel and keeps the rows done. Null image when it cannot be
// allocated or the factor is above 4096.
QImage ReduceBitmap(const QImage& image, int32_t factor, ProgressDialog* progress);
