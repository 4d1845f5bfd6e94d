// The direct hairline against the painter's aliased one-pixel pen: the same pixels for open
// and closed figures, steep and shallow segments, turns, reversals and ends off the image.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <random>
#include <vector>

#include "platform/gdi/qt/Hairline.h"

namespace {

constexpr int kW = 64, kH = 48;
const QColor kInk(10, 20, 30);

// The painter's picture (a one-pixel pen, dashed as given) and the hairline's, each on a white
// image, are alike; the hairline draws only rows top .. bottom - 1.
template <typename Painter, typename Direct>
bool SamePixels(Painter paint, Direct direct, const QList<qreal>& dashes = {}, int top = 0,
                int bottom = kH) {
  QImage expected(kW, kH, QImage::Format_RGB32), actual(kW, kH, QImage::Format_RGB32);
  expected.fill(0xFFFFFFFFu);
  actual.fill(0xFFFFFFFFu);
  QPainter p(&expected);
  QPen pen(kInk, 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  if (!dashes.empty()) pen.setDashPattern(dashes);
  p.setPen(pen);
  paint(p);
  p.end();
  for (int y = 0; y < kH; ++y)
    if (y < top || y >= bottom) std::fill_n(reinterpret_cast<QRgb*>(expected.scanLine(y)), kW, ~0u);
  gdi::Hairline line(reinterpret_cast<uint32_t*>(actual.bits()), int32_t(actual.bytesPerLine() / 4),
                     kW, kH, kInk.rgb());
  line.LimitRows(top, bottom);
  if (!line.SetDashPattern(dashes)) return false;
  direct(line);
  return actual == expected;
}

}  // namespace

// Every fourth trial stays near the middle in short steps and is drawn into a band of rows,
// so that lines wholly inside, clear of the edges or not, are drawn too.
TEST(Hairline, SamePixelsAsThePainter) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> x(-40, kW + 40), y(-40, kH + 40), count(2, 7), row(0, kH);
  for (int trial = 0; trial < 600; ++trial) {
    std::vector<QPoint> points;
    const int n = count(random);
    const bool within = trial % 4 == 3;
    while (int(points.size()) < n) {
      // Short steps as well as long lines, so that joins meet at close range.
      QPoint p = within && points.empty() ? QPoint(kW / 2, kH / 2)
                 : trial % 2 && !points.empty()
                     ? points.back() + QPoint(x(random) % (within ? 8 : 4), y(random) % 4)
                     : QPoint(x(random), y(random));
      if (points.empty() || p != points.back()) points.push_back(p);
    }
    const bool closed = trial % 3 == 0 && n > 2;
    const int top = within ? row(random) : 0, bottom = within ? row(random) : kH;
    ASSERT_TRUE(SamePixels(
        [&](QPainter& p) {
          closed ? p.drawPolygon(points.data(), n) : p.drawPolyline(points.data(), n);
        },
        [&](gdi::Hairline& line) { line.Polyline(points.data(), n, closed); }, {},
        std::min(top, bottom), std::max(top, bottom)))
        << "trial " << trial;
  }
}

TEST(Hairline, CurvedPathsSameAsThePainter) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> wideX(-30, kW + 30), wideY(-30, kH + 30), kind(0, 3);
  // Every fourth figure lies clear of the edges.
  std::uniform_int_distribution<int> clearX(4, kW - 5), clearY(4, kH - 5);
  for (int trial = 0; trial < 400; ++trial) {
    auto x = [&](std::mt19937& r) { return trial % 4 == 3 ? clearX(r) : wideX(r); };
    auto y = [&](std::mt19937& r) { return trial % 4 == 3 ? clearY(r) : wideY(r); };
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

// Each dash style along polylines and curved figures, open and closed, partly off the image
// and drawn into a band of rows.
TEST(Hairline, DashesSameAsThePainter) {
  const QList<qreal> styles[] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
  std::mt19937 random(13);
  std::uniform_int_distribution<int> x(-30, kW + 30), y(-30, kH + 30), kind(0, 4), row(0, kH);
  for (int trial = 0; trial < 800; ++trial) {
    QPainterPath path;
    std::vector<QPoint> points{{x(random), y(random)}};
    path.moveTo(points[0]);
    const bool polyline = trial % 2;
    for (int i = 0; i < 5; ++i) {
      const int k = polyline ? 0 : kind(random);
      QPoint p(x(random), y(random));
      if (k == 0 || k == 1) {
        if (p == points.back()) continue;
        points.push_back(p);
        path.lineTo(p);
      } else if (k == 2) {
        path.closeSubpath();
        path.moveTo(p);
      } else {
        path.cubicTo(x(random), y(random), x(random), y(random), p.x(), p.y());
      }
    }
    const bool closed = trial % 3 == 0 && points.size() > 2;
    if (closed) path.closeSubpath();
    // A figure back at its start is closed, its points not repeating the start.
    const bool ring = points.size() > 2 && points.back() == points[0];
    const int n = int(points.size()) - ring;
    int top = row(random), bottom = row(random);
    if (trial % 4 != 1) top = 0, bottom = kH;
    ASSERT_TRUE(SamePixels([&](QPainter& p) { p.strokePath(path, p.pen()); },
                           [&](gdi::Hairline& line) {
                             polyline ? line.Polyline(points.data(), n, closed || ring)
                                      : line.Path(path);
                           },
                           styles[trial % 4], std::min(top, bottom), std::max(top, bottom)))
        << "trial " << trial;
  }
}

// The elements built without the path object are the path's own, for moves, lines, curves and
// closes in any order (repeated points, empty curves, a move after a move, a close at the start).
TEST(HairlinePath, KeepsTheElementsThePathKeeps) {
  std::mt19937 random(5);
  auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n)(random); };
  for (int t = 0; t < 500; ++t) {
    QPainterPath path;
    gdi::HairlinePath built;
    double x = 0, y = 0;
    auto point = [&] {
      if (pick(2) != 0) x = pick(4), y = pick(4);  // often the current point again
    };
    for (int i = pick(10); i > 0; --i) {
      switch (pick(3)) {
        case 0:
          point();
          path.moveTo(x, y);
          built.MoveTo(x, y);
          break;
        case 1:
          point();
          path.lineTo(x, y);
          built.LineTo(x, y);
          break;
        case 2: {
          double c[6];
          for (double& v : c) v = pick(1) ? (point(), x) : y;
          path.cubicTo(c[0], c[1], c[2], c[3], c[4], c[5]);
          built.CubicTo(c[0], c[1], c[2], c[3], c[4], c[5]);
          break;
        }
        default:
          path.closeSubpath();
          built.CloseFigure();
          break;
      }
    }
    // An untouched path holds nothing; the builder's lone move stands for it.
    const int n = std::max(path.elementCount(), 1);
    ASSERT_EQ(built.size(), n) << "path " << t;
    for (int i = 0; i < path.elementCount(); ++i) {
      const QPainterPath::Element e = path.elementAt(i);
      const gdi::Hairline::Element& b = built.data()[i];
      ASSERT_EQ((std::vector<double>{b.x, b.y, double(b.type)}),
                (std::vector<double>{e.x, e.y, double(e.type)}))
          << "path " << t << " element " << i;
    }
  }
}
