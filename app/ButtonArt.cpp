#include "app/ButtonArt.h"

#include <QPainter>
#include <QPalette>

QImage MapButtonColours(const QImage& art, const QPalette& palette) {
  QImage out = art.convertToFormat(QImage::Format_ARGB32);
  const QRgb from[4] = {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(192, 192, 192),
                        qRgb(255, 255, 255)};
  const QRgb to[4] = {palette.color(QPalette::ButtonText).rgb(),
                      palette.color(QPalette::Dark).rgb(), palette.color(QPalette::Button).rgb(),
                      palette.color(QPalette::Light).rgb()};
  for (int y = 0; y < out.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QRgb rgb = line[x] | 0xff000000u;
      for (int i = 0; i < 4; ++i) {
        if (rgb == from[i]) {
          line[x] = to[i];
          break;
        }
      }
    }
  }
  return out;
}

QImage LoadButtonBitmap(const QString& name, const QPalette& palette) {
  QImage art(":/res/" + name + ".png");
  if (art.isNull()) return {};
  return MapButtonColours(art, palette);
}

namespace {

// Every pixel of the art that is neither face nor highlight, in one colour.
QImage EmbossMask(const QImage& bitmap, const QPalette& palette, const QColor& colour) {
  const QRgb face = palette.color(QPalette::Button).rgb();
  const QRgb light = palette.color(QPalette::Light).rgb();
  QImage mask(bitmap.size(), QImage::Format_ARGB32);
  mask.fill(Qt::transparent);
  for (int y = 0; y < bitmap.height(); ++y) {
    for (int x = 0; x < bitmap.width(); ++x) {
      const QRgb rgb = bitmap.pixel(x, y) | 0xff000000u;
      if (rgb != face && rgb != light) mask.setPixel(x, y, colour.rgb());
    }
  }
  return mask;
}

}  // namespace

QImage PaintButton(const QImage& bitmap, const QPalette& palette, const ButtonLook& look) {
  const QColor face = palette.color(QPalette::Button);
  const QColor light = palette.color(QPalette::Light);
  const QColor shadow = palette.color(QPalette::Dark);
  QImage image(kButtonWidth, kButtonHeight, QImage::Format_RGB32);
  image.fill(look.pressed ? light : face);
  QPainter p(&image);
  if (!bitmap.isNull()) {
    if (look.embossed) {
      p.drawImage(1, 1, EmbossMask(bitmap, palette, light));
      p.drawImage(0, 0, EmbossMask(bitmap, palette, shadow));
    } else {
      // Pressed art moves down and right by two and loses a pixel of each size; the palette's
      // art is always one pixel smaller, ANDed into the fill.
      const int offset = look.pressed ? 2 : 0;
      const bool smaller = look.pressed || look.andWithFill;
      QRect source(0, 0, kButtonWidth - (smaller ? 1 : 0), kButtonHeight - (smaller ? 1 : 0));
      if (look.andWithFill) p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      p.drawImage(QPoint(offset, offset), bitmap, source);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
  }
  const int r = kButtonWidth - 1;
  const int b = kButtonHeight - 1;
  p.setPen(look.pressed ? shadow : light);
  p.drawLine(0, 0, 0, b - 1);
  p.drawLine(0, 0, r - 1, 0);
  p.setPen(look.pressed ? light : QColor(Qt::black));
  p.drawLine(0, b, r, b);
  p.drawLine(r, 0, r, b);
  p.setPen(look.pressed ? light : shadow);
  p.drawLine(1, b - 1, r - 1, b - 1);
  p.drawLine(r - 1, 1, r - 1, b - 1);
  return image;
}
