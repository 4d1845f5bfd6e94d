#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/WmfDevice.h"
#include "support/TestSupport.h"

using namespace gdi;

namespace {

struct Rec {
  uint16_t function;
  std::vector<uint16_t> params;
};

uint16_t W16(const std::vector<uint8_t>& b, size_t at) {
  return uint16_t(b[at] | (b[at + 1] << 8));
}
uint32_t W32(const std::vector<uint8_t>& b, size_t at) {
  return W16(b, at) | (uint32_t(W16(b, at + 2)) << 16);
}

// The records after the 18-byte header; the test fails when they do not tile the file.
std::vector<Rec> Records(const std::vector<uint8_t>& b) {
  std::vector<Rec> out;
  size_t at = 18;
  while (at + 6 <= b.size()) {
    uint32_t words = W32(b, at);
    EXPECT_GE(words, 3u);
    EXPECT_LE(at + words * 2, b.size());
    if (words < 3 || at + words * 2 > b.size()) break;
    Rec r{W16(b, at + 4), {}};
    for (uint32_t i = 3; i < words; ++i) r.params.push_back(W16(b, at + 2 * i));
    out.push_back(r);
    at += words * 2;
  }
  EXPECT_EQ(at, b.size());
  return out;
}

std::vector<uint16_t> Functions(const std::vector<Rec>& recs) {
  std::vector<uint16_t> f;
  for (const Rec& r : recs) f.push_back(r.function);
  return f;
}

}  // namespace

TEST(WmfDevice, HeaderAndObjectTableReuseSlots) {
  WmfDevice dc;
  Handle pen = dc.CreatePen(PS_DASH, 1, Rgb(255, 0, 0));
  Handle brush = dc.CreateSolidBrush(Rgb(0, 0, 255));
  Handle oldPen = dc.SelectObject(pen);
  Handle oldBrush = dc.SelectObject(brush);
  DevPoint tri[3] = {{0, 0}, {10, 0}, {5, 8}};
  EXPECT_TRUE(dc.Polygon(tri, 3));
  EXPECT_FALSE(dc.DeleteObject(pen));  // still selected
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBrush);
  EXPECT_TRUE(dc.DeleteObject(pen));
  EXPECT_TRUE(dc.DeleteObject(brush));
  // A new object takes the lowest free slot again.
  Handle pen2 = dc.ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER, 3, Rgb(1, 2, 3));
  dc.SelectObject(pen2);
  const std::vector<uint8_t> bytes = dc.Finish();

  ASSERT_GE(bytes.size(), 18u);
  std::vector<Rec> recs = Records(bytes);
  uint32_t maxWords = 0;
  for (const Rec& r : recs) maxWords = std::max<uint32_t>(maxWords, uint32_t(r.params.size() + 3));
  // Objects: pen, brush, stock black pen, stock white brush at once.
  EXPECT_EQ(V(W16(bytes, 0), W16(bytes, 2), W16(bytes, 4), W32(bytes, 6) * 2, W16(bytes, 10),
              W32(bytes, 12)),
            V(1, 9, 0x0300, bytes.size(), 4, maxWords));

  const uint16_t mkPen = META_CREATEPENINDIRECT, mkBrush = META_CREATEBRUSHINDIRECT,
                 sel = META_SELECTOBJECT, del = META_DELETEOBJECT;
  ASSERT_EQ(Functions(recs),
            (std::vector<uint16_t>{mkPen, sel, mkBrush, sel, META_POLYGON, mkPen, sel, mkBrush, sel,
                                   del, del, mkPen, sel, META_EOF}));
  EXPECT_EQ(recs[0].params, (std::vector<uint16_t>{PS_DASH, 1, 0, 0x00FF, 0}));
  EXPECT_EQ(recs[2].params, (std::vector<uint16_t>{0, 0, 0x00FF, 0}));
  EXPECT_EQ(recs[4].params, (std::vector<uint16_t>{3, 0, 0, 10, 0, 5, 8}));
  EXPECT_EQ(V(recs[9].params[0], recs[10].params[0]), V(0, 1));  // the pen's and brush's slots
  // The geometric pen keeps its width but not its cap and join; it reuses slot 0.
  EXPECT_EQ(recs[11].params, (std::vector<uint16_t>{PS_SOLID, 3, 0, 0x0201, 0x0003}));
  EXPECT_EQ(recs[12].params[0], 0);
  // A finished metafile records nothing more.
  EXPECT_FALSE(dc.LineTo(1, 1));
  EXPECT_EQ(dc.Finish(), bytes);
}

TEST(WmfDevice, CoordinatesBeyondSixteenBitsAreClamped) {
  WmfDevice dc;
  EXPECT_EQ(dc.CreatePatternBrush(9), 0u);
  DevPoint far[2] = {{40000, -40000}, {1, 2}};
  dc.Polyline(far, 2);
  std::vector<Rec> recs = Records(dc.Finish());
  ASSERT_EQ(Functions(recs), (std::vector<uint16_t>{META_POLYLINE, META_EOF}));
  EXPECT_EQ(recs[0].params, (std::vector<uint16_t>{2, 32767, uint16_t(-32768), 1, 2}));
}
