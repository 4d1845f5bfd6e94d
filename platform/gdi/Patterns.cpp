#include "platform/gdi/Device.h"

namespace gdi {

const uint8_t kPatternBits[9][8] = {
    {0xf7, 0xfb, 0xfd, 0xfe, 0x7f, 0xbf, 0xdf, 0xef},  // 0 diagonal falling to the right
    {0xef, 0xdf, 0xbf, 0x7f, 0xfe, 0xfd, 0xfb, 0xf7},  // 1 diagonal rising to the right
    {0x7d, 0xbb, 0xd7, 0xef, 0xd7, 0xbb, 0x7d, 0xfe},  // 2 diagonal cross-hatch
    {0xff, 0x00, 0xff, 0xff, 0xff, 0x00, 0xff, 0xff},  // 3 horizontal lines
    {0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb, 0xbb},  // 4 vertical lines
    {0xf7, 0xf7, 0xf7, 0x00, 0xf7, 0xf7, 0xf7, 0xf7},  // 5 square grid
    {0xf7, 0xf7, 0xeb, 0x1c, 0x7f, 0x7f, 0xbe, 0xc1},  // 6 scales
    {0xff, 0x8f, 0x77, 0xf8, 0xff, 0x8f, 0x77, 0xf8},  // 7 waves
    {0xdf, 0x00, 0xfd, 0xfd, 0xfd, 0x00, 0xdf, 0xdf},  // 8 bricks
};

bool DescribeStockObject(int32_t which, StockObjectInfo* out) {
  *out = StockObjectInfo();
  switch (which) {
    case WHITE_BRUSH:
      out->color = Rgb(255, 255, 255);
      return true;
    case GRAY_BRUSH:
      out->color = Rgb(128, 128, 128);
      return true;
    case BLACK_BRUSH:
      return true;
    case NULL_BRUSH:
      out->null = true;
      return true;
    case WHITE_PEN:
      out->pen = true;
      out->color = Rgb(255, 255, 255);
      return true;
    case BLACK_PEN:
      out->pen = true;
      return true;
    case NULL_PEN:
      out->pen = out->null = true;
      return true;
    default:
      return false;
  }
}

}  // namespace gdi
