// The direct hairline against the painter's aliased one-pixel pen: the same pixels for open
// and closed figures, steep and shallow segments, turns, reversals and ends off the image.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <random>
#include <vector>

#include "platform/gdi/qt/Hairline.h"

TEST(Hairline, SamePixelsAsThePainter) {
  constexpr int kW = 64, kH = 48;
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
    QImage expected(kW, kH, QImage::Format_RGB32), actual(kW, kH, QImage::Format_RGB32);
    expected.fill(0xFFFFFFFFu);
    actual.fill(0xFFFFFFFFu);
    {
      QPainter p(&expected);
      p.setPen(QPen(QColor(10, 20, 30), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
      if (closed) {
        p.drawPolygon(points.data(), n);
      } else {
        p.drawPolyline(points.data(), n);
      }
    }
    gdi::Hairline line(reinterpret_cast<uint32_t*>(actual.bits()),
                       int32_t(actual.bytesPerLine() / 4), kW, kH, QColor(10, 20, 30).rgb());
    line.Polyline(points.data(), n, closed);
    ASSERT_TRUE(actual == expected) << "trial " << trial;
  }
}

TEST(Hairline, CurvedPathsSameAsThePainter) {
  constexpr int kW = 64, kH = 48;
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
    QImage expected(kW, kH, QImage::Format_RGB32), actual(kW, kH, QImage::Format_RGB32);
    expected.fill(0xFFFFFFFFu);
    actual.fill(0xFFFFFFFFu);
    {
      QPainter p(&expected);
      p.strokePath(path, QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    }
    gdi::Hairline line(reinterpret_cast<uint32_t*>(actual.bits()),
                       int32_t(actual.bytesPerLine() / 4), kW, kH, 0xFF000000u);
    line.Path(path);
    ASSERT_TRUE(actual == expected) << "trial " << trial;
  }
}
