// The direct hairline against the painter's aliased one-pixel pen: the same pixels for open
// and closed figures, steep and shallow segments, turns, reversals and ends off the image.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <random>
#include <vector>

#include "platform/gdi/qt/Hairline.h"

namespace {

constexpr int kW = 64, kH = 48;
const QColor kInk(10, 20, 30);

// The painter's picture (a one-pixel pen) and the hairline's, each on a white image, are alike.
template <typename Painter, typename Direct>
bool SamePixels(Painter paint, Direct direct) {
  QImage expected(kW, kH, QImage::Format_RGB32), actual(kW, kH, QImage::Format_RGB32);
  expected.fill(0xFFFFFFFFu);
  actual.fill(0xFFFFFFFFu);
  QPainter p(&expected);
  p.setPen(QPen(kInk, 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  paint(p);
  p.end();
  gdi::Hairline line(reinterpret_cast<uint32_t*>(actual.bits()), int32_t(actual.bytesPerLine() / 4),
                     kW, kH, kInk.rgb());
  direct(line);
  return actual == expected;
}

}  // namespace

TEST(Hairline, SamePixelsAsThePainter) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> x(-40, kW + 40), y(-40, kH + 40), count(2, 7);
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<QPoint> points;
    const int n = count(random);
    while (int(points.size()) < n) {
      // Short steps as well as long lines, so that joins meet at close range.
      QPoint p = trial % 2 && !points.empty() ? points.back() + QPoint(x(random) % 4, y(random) % 4)
                                              : QPoint(x(random), y(random));
      if (points.empty() || p != points.back()) points.push_back(p);
    }
    const bool closed = trial % 3 == 0 && n > 2;
    ASSERT_TRUE(SamePixels(
        [&](QPainter& p) {
          closed ? p.drawPolygon(points.data(), n) : p.drawPolyline(points.data(), n);
        },
        [&](gdi::Hairline& line) { line.Polyline(points.data(), n, closed); }))
        << "trial " << trial;
  }
}

TEST(Hairline, CurvedPathsSameAsThePainter) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> x(-30, kW + 30), y(-30, kH + 30), kind(0, 3);
  for (int trial = 0; trial < 300; ++trial) {
    QPainterPath path;
    path.moveTo(x(random), y(random));
    for (int i = 0; i < 4; ++i) {
      switch (kind(random)) {
        case 0:
          path.lineTo(x(random), y(random));
          break;
        case 1:
          path.closeSubpath();
          path.moveTo(x(random), y(random));
          break;
        default:
          path.cubicTo(x(random), y(random), x(random), y(random), x(random), y(random));
      }
    }
    if (trial % 2) path.closeSubpath();
    ASSERT_TRUE(SamePixels([&](QPainter& p) { p.strokePath(path, p.pen()); },
                           [&](gdi::Hairline& line) { line.Path(path); }))
        << "trial " << trial;
  }
}
