// Calls kept and played back on two bands of an image, one after the other, against the same
// calls made straight on an image: every pixel the same, for wide, dashed and hairline pens,
// pattern brushes, XOR drawing, curved paths, text, figures across the band edge and pixels
// written directly.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "platform/gdi/qt/DeferredDevice.h"
#include "platform/gdi/qt/HandleTable.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "support/RenderTestSupport.h"

namespace {

constexpr int kW = 160, kH = 120;

// `between` runs after each figure.
void DrawFigures(gdi::Device& d, unsigned seed, const std::function<void()>& between = {}) {
  std::mt19937 random(seed);
  auto pick = [&random](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
  };
  const uint8_t rgb[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
  const int32_t advances[4] = {14, 12, 12, 12};
  for (int i = 0; i < 120; ++i) {
    const gdi::ColorRef color = gdi::Rgb(pick(0, 255), pick(0, 255), pick(0, 255));
    const int width = pick(0, 9);
    const gdi::Handle pen =
        pick(0, 3) == 0
            ? d.CreatePen(uint32_t(pick(1, 4)), 1, color)
            : d.ExtCreatePen(gdi::PS_GEOMETRIC | gdi::PS_ENDCAP_FLAT | gdi::PS_JOIN_MITER, width,
                             color);
    const gdi::Handle brush =
        pick(0, 2) == 0 ? d.CreatePatternBrush(pick(0, 8)) : d.CreateSolidBrush(color ^ 0xFFFFFF);
    const gdi::Handle oldPen = d.SelectObject(pen), oldBrush = d.SelectObject(brush);
    d.SetBkColor(color);
    d.SetBkMode(pick(0, 1) ? gdi::TRANSPARENT : gdi::OPAQUE);
    d.SetROP2(pick(0, 5) == 0 ? gdi::R2_XORPEN : gdi::R2_COPYPEN);
    gdi::DevPoint p[7];
    for (gdi::DevPoint& q : p) q = {pick(-20, kW + 20), pick(-20, kH + 20)};
    switch (pick(0, 6)) {
      case 0: {
        d.BeginPath();
        d.MoveToEx(p[0].x, p[0].y);
        d.PolyBezierTo(p + 1, 3);
        d.LineTo(p[4].x, p[4].y);
        if (pick(0, 1)) d.CloseFigure();
        d.EndPath();
        pick(0, 1) ? d.StrokePath() : d.StrokeAndFillPath();
        break;
      }
      case 1:
        d.Polygon(p, pick(3, 7));
        break;
      case 2: {
        const int32_t counts[2] = {3, 4};
        pick(0, 1) ? d.PolyPolyline(p, counts, 2) : d.PolyPolygon(p, counts, 2);
        break;
      }
      case 3:
        pick(0, 1) ? d.Ellipse(p[0].x, p[0].y, p[1].x, p[1].y)
                   : d.Rectangle(p[0].x, p[0].y, p[1].x, p[1].y);
        break;
      case 4: {
        const int32_t x = p[0].x & 127, y = p[0].y & 63;
        pick(0, 1) ? d.StretchRgb(gdi::DevRect{p[0].x, p[0].y, p[1].x, p[1].y}, 2, 2, rgb)
                   : d.WritePixels(gdi::DevRect{x, y, x + 2, y + 2}, rgb);
        break;
      }
      case 5: {
        gdi::GlyphRun run;
        run.fontPath = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
        run.size = float(pick(6, 60));
        run.color = color;
        run.d = -1;
        run.x = p[0].x;
        run.y = p[0].y;
        run.text = "Band";
        run.length = 4;
        run.advances = advances;
        d.DrawGlyphRun(run);
        break;
      }
      default:
        d.SetPixel(p[0].x & 127, p[0].y & 127, color);
        break;
    }
    d.SelectObject(oldPen);
    d.SelectObject(oldBrush);
    d.DeleteObject(pen);
    d.DeleteObject(brush);
    if (between) between();
  }
}

}  // namespace

// The lower band plays the pieces on its own thread while the figures are still being kept.
TEST(BandedDrawing, BandsPaintWhatTheStraightCallsPaint) {
  EnsureGuiApplication();  // for the text runs
  for (unsigned seed = 1; seed <= 20; ++seed) {
    gdi::QImageDevice straight(kW, kH), banded(kW, kH);
    DrawFigures(straight, seed);
    gdi::DeferredDevice kept(kW, kH);
    const int32_t edge = kH / 2 + int32_t(seed % 7);
    auto lower = gdi::QImageDevice::Band(banded, edge, kH);
    bool streamed = false;
    std::thread player([&] { streamed = kept.Stream(*lower); });
    DrawFigures(kept, seed, [&] {
      if (seed % 3 != 0) kept.Seal();
    });
    kept.Finish();
    ASSERT_TRUE(kept.Bandable());
    kept.Replay(*gdi::QImageDevice::Band(banded, 0, edge));
    player.join();
    ASSERT_TRUE(streamed);
    ASSERT_TRUE(banded.image() == straight.image()) << "seed " << seed;
  }
}

// A block transfer reads across the bands: the stream stops at its piece, and the whole list
// still plays on one device.
TEST(BandedDrawing, StreamStopsAtABlockTransfer) {
  gdi::DeferredDevice kept(kW, kH);
  kept.Rectangle(1, 1, 9, 9);
  kept.Seal();
  ASSERT_TRUE(kept.BitBlt(0, 0, kW, kH, &kept, 0, 0, gdi::DSTINVERT));
  kept.Finish();
  gdi::QImageDevice band(kW, kH), whole(kW, kH);
  EXPECT_FALSE(kept.Bandable());
  EXPECT_FALSE(kept.Stream(*gdi::QImageDevice::Band(band, 0, kH)));
  kept.Replay(whole);
  EXPECT_EQ(whole.GetPixel(50, 50), gdi::Rgb(0, 0, 0));
}

// The kept-call device answers object and attribute calls itself; every answer must be the one
// an image device gives, or the handles played back would name other objects.
TEST(BandedDrawing, KeptCallsAnswerAsAnImageDevice) {
  using Call = uint32_t (*)(gdi::Device&, int32_t, gdi::Handle);
  const Call calls[] = {
      [](gdi::Device& d, int32_t n, gdi::Handle) { return d.CreatePen(1, n, 0); },
      [](gdi::Device& d, int32_t n, gdi::Handle) { return d.ExtCreatePen(0, n, 0); },
      [](gdi::Device& d, int32_t, gdi::Handle) { return d.CreateSolidBrush(7); },
      [](gdi::Device& d, int32_t n, gdi::Handle) { return d.CreatePatternBrush(n); },
      [](gdi::Device& d, int32_t n, gdi::Handle) { return d.GetStockObject(n); },
      [](gdi::Device& d, int32_t, gdi::Handle h) { return d.SelectObject(h); },
      [](gdi::Device& d, int32_t, gdi::Handle h) { return uint32_t(d.DeleteObject(h)); },
      [](gdi::Device& d, int32_t, gdi::Handle) { return uint32_t(d.SaveDC()); },
      [](gdi::Device& d, int32_t n, gdi::Handle) { return uint32_t(d.RestoreDC(n % 4)); },
      [](gdi::Device& d, int32_t n, gdi::Handle) {
        return uint32_t(d.SetROP2(n) + d.SetBkMode(n)) + d.SetTextColor(n) + d.SetBkColor(n);
      },
  };
  std::mt19937 random(7);
  auto pick = [&random](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
  };
  gdi::QImageDevice image(0, 0);
  gdi::DeferredDevice kept(kW, kH);
  std::vector<gdi::Handle> handles = {0, 1, 5, 9, 10, 99, 100};
  for (int i = 0; i < 4000; ++i) {
    const Call call = calls[pick(0, int(std::size(calls)) - 1)];
    const int32_t n = pick(-3, 9);
    const gdi::Handle h = handles[size_t(pick(0, int(handles.size()) - 1))];
    const uint32_t answer = call(image, n, h);
    ASSERT_EQ(call(kept, n, h), answer) << "call " << i;
    handles.push_back(answer);
  }
}

// Objects that outlive many later ones are set aside; every handle still names its own object,
// and a deleted one none, against a plain map of the same calls.
TEST(BandedDrawing, HandleTableKeepsLongLivedObjects) {
  gdi::HandleTable<int> table;
  std::map<gdi::Handle, int> expected;
  std::mt19937 random(3);
  for (int i = 0; i < 5000; ++i) {
    const gdi::Handle h = table.Add(i);
    expected[h] = i;
    // Most die young; one in fifty lives on, and some of those die much later.
    if (random() % 50 != 0) {
      ASSERT_TRUE(table.Erase(h));
      expected.erase(h);
    }
    if (random() % 400 == 0 && !expected.empty()) {
      const gdi::Handle old = expected.begin()->first;
      ASSERT_TRUE(table.Erase(old));
      expected.erase(old);
    }
  }
  for (gdi::Handle h = 0; h < 5200; ++h) {
    const int* found = table.Find(h);
    const auto it = expected.find(h);
    ASSERT_EQ(found != nullptr, it != expected.end()) << h;
    if (found) {
      ASSERT_EQ(*found, it->second) << h;
    } else if (h >= gdi::HandleTable<int>::kFirstCreated) {
      ASSERT_FALSE(table.Erase(h)) << h;
    }
  }
}
