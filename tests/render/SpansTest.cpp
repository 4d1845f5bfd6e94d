// The span converter against the painter's own aliased drawing, pixel for pixel: polygon and
// curve fills under both fill rules and pattern cells, and wide outlines of polylines with flat
// ends and miter joins (also cut ones); and a band of the image gets exactly its rows.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <random>

#include "platform/gdi/qt/Spans.h"

namespace {

constexpr int kW = 120, kH = 90;
constexpr uint32_t kInk = 0xFF102030;

struct Figure {
  QPainterPath path;
  gdi::Spans spans;
};

// A random figure of 3..8 pieces, some beyond the image; curves when `curves`.
void MakeFigure(std::mt19937& random, bool curves, Figure* f) {
  auto pick = [&random](int lo, int hi) {
    return double(std::uniform_int_distribution<int>(lo, hi)(random)) +
           (hi - lo > 40 ? 0.25 * std::uniform_int_distribution<int>(0, 3)(random) : 0);
  };
  const int n = int(pick(3, 8));
  double x = pick(-15, kW + 15), y = pick(-15, kH + 15);
  f->path.moveTo(x, y);
  f->spans.MoveTo(x, y);
  for (int i = 1; i < n; ++i) {
    if (curves && pick(0, 1)) {
      double c[6];
      for (int k = 0; k < 6; ++k) c[k] = k % 2 ? pick(-15, kH + 15) : pick(-15, kW + 15);
      f->path.cubicTo(c[0], c[1], c[2], c[3], c[4], c[5]);
      f->spans.CubicTo(c[0], c[1], c[2], c[3], c[4], c[5]);
    } else {
      x = pick(-15, kW + 15);
      y = pick(-15, kH + 15);
      f->path.lineTo(x, y);
      f->spans.LineTo(x, y);
    }
  }
  if (pick(0, 2) == 0) {
    f->path.closeSubpath();
    f->spans.CloseFigure();
  }
}

QImage White() {
  QImage image(kW, kH, QImage::Format_RGB32);
  image.fill(0xFFFFFFFFu);
  return image;
}

gdi::Spans::Target Rows(QImage& image, int top = 0, int bottom = kH) {
  return {reinterpret_cast<uint32_t*>(image.bits()), image.bytesPerLine() / 4, kW, top, bottom};
}

int Differences(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

TEST(Spans, FillsAsThePainterFills) {
  std::mt19937 random(7);
  uint32_t cell[64];
  for (int i = 0; i < 64; ++i) cell[i] = (i * 7) % 3 ? 0xFF000000u : 0xFFC0FFEEu;
  QImage cellImage(reinterpret_cast<const uchar*>(cell), 8, 8, 32, QImage::Format_RGB32);
  for (int i = 0; i < 300; ++i) {
    Figure f;
    MakeFigure(random, i % 2, &f);
    const bool winding = i % 3 == 0, patterned = i % 4 == 1;
    f.path.setFillRule(winding ? Qt::WindingFill : Qt::OddEvenFill);
    QImage expected = White(), actual = White();
    QPainter(&expected).fillPath(f.path, patterned ? QBrush(cellImage) : QBrush(QColor(kInk)));
    f.spans.FillPath(Rows(actual), winding, kInk, patterned ? cell : nullptr);
    ASSERT_EQ(Differences(expected, actual), 0) << "figure " << i;
  }
}

TEST(Spans, WideOutlinesAsThePainterStrokesPolylines) {
  std::mt19937 random(11);
  for (int i = 0; i < 300; ++i) {
    Figure f;
    MakeFigure(random, false, &f);
    const int width = 2 + i % 9;
    QPen pen(QColor(kInk), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(5);
    QImage expected = White(), actual = White();
    QPainter(&expected).strokePath(f.path, pen);
    f.spans.Stroke(Rows(actual), width, 5, kInk);
    ASSERT_EQ(Differences(expected, actual), 0) << "figure " << i;
  }
}

TEST(Spans, BandsPaintTheirShareOfTheWhole) {
  std::mt19937 random(3);
  for (int i = 0; i < 100; ++i) {
    Figure f;
    MakeFigure(random, true, &f);
    QImage whole = White(), banded = White();
    const int edge = 20 + i % 50;
    if (i % 2) {
      f.spans.FillPath(Rows(whole), false, kInk);
      f.spans.FillPath(Rows(banded, 0, edge), false, kInk);
      f.spans.FillPath(Rows(banded, edge, kH), false, kInk);
    } else {
      f.spans.Stroke(Rows(whole), 5, 5, kInk);
      f.spans.Stroke(Rows(banded, edge, kH), 5, 5, kInk);
      f.spans.Stroke(Rows(banded, 0, edge), 5, 5, kInk);
    }
    ASSERT_EQ(Differences(whole, banded), 0) << "figure " << i;
  }
}

}  // namespace
