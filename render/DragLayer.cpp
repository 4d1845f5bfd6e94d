#include "render/DragLayer.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "model/Drawing.h"
#include "model/GraphicsState.h"
#include "render/GdiPainter.h"
#include "render/View.h"

namespace {

// Strokes reach half a line beyond the bounds the shapes report after rounding; a little
// slack keeps their last pixels inside the layer.
constexpr int kLayerSlack = 2;
// Outline rendering shows light colours as white (see the view's monochrome rule).
constexpr int kOutlineLightness = 192;

QRect DeviceBox(const View& view, const Rect& b) {
  const Point c[4] = {view.Transform(b.x1, b.y1), view.Transform(b.x2, b.y1),
                      view.Transform(b.x1, b.y2), view.Transform(b.x2, b.y2)};
  float l = c[0].x, r = c[0].x, t = c[0].y, bottom = c[0].y;
  for (const Point& p : c) {
    l = std::min(l, p.x);
    r = std::max(r, p.x);
    t = std::min(t, p.y);
    bottom = std::max(bottom, p.y);
  }
  // Far outside the window only the window's part matters; the clamp keeps ints sane.
  auto clamp = [](float v) { return int(std::clamp(v, -1.0e6f, 1.0e6f)); };
  return QRect(QPoint(clamp(std::floor(l)) - kLayerSlack, clamp(std::floor(t)) - kLayerSlack),
               QPoint(clamp(std::ceil(r)) + kLayerSlack, clamp(std::ceil(bottom)) + kLayerSlack));
}

// Paints the shapes on `dev`, whose pixel (0, 0) is the window's `origin`.
void Render(View& view, const ShapeList& shapes, gdi::QImageDevice& dev, QPoint origin) {
  GdiPainter& painter = view.painter();
  gdi::Device* saved = painter.BufferDevice();
  const int32_t savedMode = DrawTargetMode();
  painter.SetBufferDevice(&dev);
  SetDrawTargetMode(kDrawToBuffer);
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  MatrixD m = view.matrix();
  m.tx -= origin.x();
  m.ty -= origin.y();
  gs.setmatrix(m);
  DrawShapeList(shapes, view.preview ? 1 : 0, nullptr);
  gs.grestore();
  SetDrawTargetMode(savedMode);
  painter.SetBufferDevice(saved);
}

}  // namespace

bool DragLayer::Begin(View& view, const ShapeList& shapes) {
  End();
  gdi::QImageDevice& window = view.Window();
  view.CleanToWindow();
  active_ = true;
  const Rect bounds = BoundsOfList(shapes, 1);
  if (RectIsEmpty(bounds)) return true;
  box_ = DeviceBox(view, bounds) & QRect(0, 0, window.width(), window.height());
  if (box_.isEmpty()) return true;
  // Painted once on a transparent image: what the shapes cover comes out opaque (white fills
  // too), everything else stays see-through.
  gdi::QImageDevice dev(1, 1);
  dev.image() = QImage(box_.size(), QImage::Format_ARGB32_Premultiplied);
  if (!dev.IsValid()) {
    box_ = QRect();
    return false;
  }
  dev.image().fill(0);
  Render(view, shapes, dev, box_.topLeft());
  layer_ = dev.image();
  if (!view.preview) {
    // Outline rendering shows black or nothing, as the monochrome working image does.
    for (int y = 0; y < layer_.height(); ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(layer_.scanLine(y));
      for (int x = 0; x < layer_.width(); ++x) {
        const QRgb v = row[x];
        const int lum = (qRed(v) * 30 + qGreen(v) * 59 + qBlue(v) * 11) / 100;
        row[x] = qAlpha(v) >= 128 && lum < kOutlineLightness ? 0xFF000000u : 0;
      }
    }
  }
  return true;
}

void DragLayer::Show(View& view, float dx, float dy) {
  if (!active_ || layer_.isNull()) return;
  gdi::QImageDevice& window = view.Window();
  const Point d = DTransform(view.matrix(), dx, dy);
  const QPoint offset(int(std::lround(std::clamp(d.x, -1.0e6f, 1.0e6f))),
                      int(std::lround(std::clamp(d.y, -1.0e6f, 1.0e6f))));
  const QRect all(0, 0, window.width(), window.height());
  const QRect now = box_.translated(offset) & all;
  const QRect dirty = shown_ | now;
  if (dirty.isEmpty()) return;
  {
    QPainter p(&window.image());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (!shown_.isEmpty()) p.drawImage(shown_.topLeft(), view.Clean().image(), shown_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!now.isEmpty()) p.drawImage(box_.topLeft() + offset, layer_);
  }
  shown_ = now;
  const gdi::DevRect r{dirty.left(), dirty.top(), dirty.right(), dirty.bottom()};
  view.WindowChanged(&r);
}

void DragLayer::End() {
  layer_ = QImage();
  box_ = shown_ = QRect();
  active_ = false;
}
