#include "render/View.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "model/GraphicsState.h"
#include "platform/msgbox/Messages.h"
#include "render/BandedDrawing.h"

namespace {

// Rows of pixels to copy into as bands finish: taken on the drawing thread before the bands
// start, so that no band thread touches the image object itself.
struct Rows {
  uchar* bits = nullptr;
  qsizetype stride = 0;
  int32_t width = 0, height = 0;
};

Rows RowsOf(gdi::QImageDevice& device) {
  if (!device.IsValid()) return {};
  QImage& image = device.image();
  return {image.bits(), image.bytesPerLine(), image.width(), image.height()};
}

// Columns left .. right - 1 of rows top .. bottom - 1, as the block transfer copies them.
void CopyRows(const QImage& from, const Rows& to, int32_t left, int32_t right, int32_t top,
              int32_t bottom) {
  if (!to.bits || from.width() != to.width || from.height() != to.height) return;
  left = std::max(left, 0);
  right = std::min(right, to.width);
  top = std::max(top, 0);
  bottom = std::min(bottom, to.height);
  for (int32_t y = top; y < bottom; ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(from.constScanLine(y));
    auto* d = reinterpret_cast<QRgb*>(to.bits + y * to.stride);
    for (int32_t x = left; x < right; ++x) d[x] = s[x] | 0xFF000000u;
  }
}

// Columns left .. right - 1 of rows top .. bottom - 1 set to `pixel`.
void Fill(QImage& image, int32_t left, int32_t right, int32_t top, int32_t bottom, QRgb pixel) {
  left = std::max(left, 0);
  right = std::min(right, image.width());
  top = std::max(top, 0);
  bottom = std::min(bottom, image.height());
  if (left >= right) return;
  uchar* bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  for (int32_t y = top; y < bottom; ++y) {
    auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
    std::fill(row + left, row + right, pixel);
  }
}

// The page's right and bottom edges carry a grey shadow this thick (logical pixels), its
// centre kShadowOffset beyond the edge and starting kShadowInset along it.
constexpr int32_t kShadowWidth = 10;
constexpr int32_t kShadowOffset = 6;
constexpr int32_t kShadowInset = 11;
// Grid steps below this many pixels are not drawn; below the second only every fifth line.
constexpr double kGridTooDense = 3;
constexpr double kGridEveryLine = 12;
constexpr int32_t kDotSpacing = 6;

int32_t Trunc(double v) {
  if (!(v > -1.0e9)) return -1000000000;
  if (!(v < 1.0e9)) return 1000000000;
  return int32_t(v);
}

std::unique_ptr<gdi::QImageDevice> MakeBuffer(int32_t w, int32_t h) {
  auto dev = std::make_unique<gdi::QImageDevice>(w, h);
  return dev;
}

}  // namespace

float ClampZoom(float zoom) {
  if (!(zoom >= kMinZoom)) return kMinZoom;  // also a NaN
  return std::min(zoom, kMaxZoom);
}

View::View(Drawing* drawing) : drawing_(drawing), banded_(std::make_unique<BandedDrawing>()) {
  // Even before the first resize every buffer exists, so no caller meets a null device.
  Resize(1, 1, 1.0);
}

View::~View() {
  if (CurrentPathPainter() == &painter_) SetPathPainter(nullptr);
  if (CurrentHandleMarker() == this) SetHandleMarker(nullptr);
  painter_.SetBufferDevice(nullptr);
  painter_.SetWindowDevice(nullptr);
}

int32_t View::PageW() const { return drawing_ ? drawing_->PageWidth() : 612; }
int32_t View::PageH() const { return drawing_ ? drawing_->PageHeight() : 792; }
bool View::Landscape() const { return drawing_ && drawing_->landscape; }

bool View::Resize(int32_t width, int32_t height, double devicePixelRatio) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  ratio_ = devicePixelRatio > 0 && devicePixelRatio < 16 ? devicePixelRatio : 1.0;
  scale_ = std::max(1, int32_t(ratio_ + 0.5));
  const int32_t dw = std::max(1, Trunc(width_ * ratio_ + 0.5));
  const int32_t dh = std::max(1, Trunc(height_ * ratio_ + 0.5));
  painter_.SetWindowDevice(nullptr);
  painter_.SetBufferDevice(nullptr);
  clean_ = MakeBuffer(dw, dh);
  working_ = MakeBuffer(dw, dh);
  overlay_ = MakeBuffer(dw, dh);
  spare_ = MakeBuffer(dw, dh);
  window_ = MakeBuffer(dw, dh);
  bool ok = clean_->IsValid() && working_->IsValid() && overlay_->IsValid() && spare_->IsValid() &&
            window_->IsValid();
  if (!ok) DebugLog("Insufficient memory - Please reduce window size");
  painter_.SetBufferDevice(working_.get());
  painter_.SetWindowDevice(window_.get());
  UpdateMapping();
  return ok;
}

void View::SetZoom(float zoom) {
  zoom_ = ClampZoom(zoom);
  UpdateMapping();
}

void View::SetScroll(float x, float y) {
  scrollX_ = x;
  scrollY_ = y;
  UpdateMapping();
}

float View::FitPageZoom() const {
  double pw = PageW() + 72, ph = PageH() + 72;
  if (Landscape()) std::swap(pw, ph);
  return ClampZoom(float(std::min(width_ / pw, height_ / ph)));
}

void View::FitInWindow() {
  zoom_ = FitPageZoom();
  scrollX_ = scrollY_ = 0;
  fitMode = kFitPage;
  UpdateMapping();
}

void View::FitWidth() {
  const double across = (Landscape() ? PageH() : PageW()) + 72;
  zoom_ = ClampZoom(float(width_ / across));
  (Landscape() ? scrollY_ : scrollX_) = 0;
  fitMode = kFitWidth;
  UpdateMapping();
}

void View::UpdateMapping() {
  if (zoom_ <= 0) zoom_ = FitPageZoom();
  GraphicsState gs;
  gs.setmatrix(MatrixD{1, 0, 0, -1, 0, 0});  // y grows downward on the screen
  const double z = zoom_, W = width_, H = height_;
  if (!Landscape()) {
    gs.translate(0, -H);
    gs.scale(z, z);
    Point d = gs.dtransform(PageW(), PageH());
    Point t = gs.idtransform((W - d.x) / 2, (H + d.y) / 2);
    gs.translate(t.x, -t.y);
  } else {
    gs.scale(z, z);
    Point d = gs.dtransform(PageW(), PageH());
    Point t = gs.idtransform((H - d.x) / 2, (W + d.y) / 2);
    gs.rotate(-90);
    gs.translate(t.x, -t.y);
  }
  gs.translate(-scrollX_, -scrollY_);
  // The logical mapping, then logical pixels to device pixels.
  matrix_ = Multiply(gs.matrix(), MatrixD{ratio_, 0, 0, ratio_, 0, 0});
  inverse_ = Invert(matrix_);
}

Point View::Transform(float x, float y) const { return ::Transform(matrix_, x, y); }
Point View::ITransform(float x, float y) const { return ::Transform(inverse_, x, y); }

ScrollBarSetting View::HorizontalBar() const {
  const bool land = Landscape();
  const double extent = land ? PageH() : PageW();
  const double offset = land ? scrollY_ : scrollX_;
  ScrollBarSetting s;
  s.maximum = Trunc(extent * zoom_ + width_);
  s.page = width_;
  s.position = Trunc(s.maximum / 2 + offset * zoom_ - width_ / 2);
  return s;
}

ScrollBarSetting View::VerticalBar() const {
  ScrollBarSetting s;
  if (Landscape()) {
    s.maximum = Trunc(PageW() * double(zoom_) + height_);
    s.position = Trunc(s.maximum / 2 + scrollX_ * double(zoom_) - height_ / 2);
  } else {
    s.maximum = Trunc(PageH() * double(zoom_) + height_);
    s.position = Trunc(s.maximum / 2 - scrollY_ * double(zoom_) - height_ / 2);
  }
  s.page = height_;
  return s;
}

void View::HorizontalThumb(int32_t p) {
  const double extent = Landscape() ? PageH() : PageW();
  const float off = float((p + width_ / 2 - (extent * zoom_ + width_) / 2) / zoom_);
  (Landscape() ? scrollY_ : scrollX_) = off;
  UpdateMapping();
}

void View::VerticalThumb(int32_t p) {
  if (Landscape())
    scrollX_ = float((p + height_ / 2 - (PageW() * double(zoom_) + height_) / 2) / zoom_);
  else
    scrollY_ = float(((PageH() * double(zoom_) + height_) / 2 - p - height_ / 2) / zoom_);
  UpdateMapping();
}

bool View::HorizontalStep(int32_t direction) {
  const bool land = Landscape();
  float& off = land ? scrollY_ : scrollX_;
  const int32_t half = (land ? PageH() : PageW()) / 2;
  if (direction < 0 ? off <= -half : off >= half) return false;
  off += direction < 0 ? -kScrollStep : kScrollStep;
  UpdateMapping();
  // The content moves the other way, by whole device pixels.
  const int32_t px = Trunc(kScrollStep * zoom_ * ratio_);
  window_->BitBlt(-direction * px, 0, window_->width(), window_->height(), window_.get(), 0, 0,
                  gdi::SRCCOPY);
  const int32_t l = direction < 0 ? 0 : window_->width() - px;
  FillBox(window_.get(), l, 0, l + px, window_->height(), gdi::WHITE_BRUSH);
  WindowChanged();
  return true;
}

bool View::VerticalStep(int32_t direction) {
  const bool land = Landscape();
  // Up (-1) shows more of the page's top: y grows in portrait, x falls in landscape.
  if (land) {
    const int32_t half = PageW() / 2;
    if (direction < 0 ? scrollX_ <= -half : scrollX_ >= half) return false;
    scrollX_ += direction < 0 ? -kScrollStep : kScrollStep;
  } else {
    const int32_t half = PageH() / 2;
    if (direction < 0 ? scrollY_ >= half : scrollY_ <= -half) return false;
    scrollY_ += direction < 0 ? kScrollStep : -kScrollStep;
  }
  UpdateMapping();
  const int32_t px = Trunc(kScrollStep * zoom_ * ratio_);
  window_->BitBlt(0, -direction * px, window_->width(), window_->height(), window_.get(), 0, 0,
                  gdi::SRCCOPY);
  const int32_t t = direction < 0 ? 0 : window_->height() - px;
  FillBox(window_.get(), 0, t, window_->width(), t + px, gdi::WHITE_BRUSH);
  WindowChanged();
  return true;
}

void View::ScrollBy(int32_t dx, int32_t dy) {
  scrollX_ -= float(dx);
  scrollY_ -= float(dy);
  const Point d = DTransform(matrix_, dx, dy);
  UpdateMapping();
  const int32_t px = Trunc(d.x), py = Trunc(d.y);
  const int32_t w = window_->width(), h = window_->height();
  if (px == 0 && py == 0) return;
  if (std::abs(px) >= w || std::abs(py) >= h) {
    FillBox(window_.get(), 0, 0, w, h, gdi::WHITE_BRUSH);
  } else {
    window_->BitBlt(px, py, w, h, window_.get(), 0, 0, gdi::SRCCOPY);
    const int32_t l = px < 0 ? w + px : 0, t = py < 0 ? h + py : 0;
    if (px != 0) FillBox(window_.get(), l, 0, l + std::abs(px), h, gdi::WHITE_BRUSH);
    if (py != 0) FillBox(window_.get(), 0, t, w, t + std::abs(py), gdi::WHITE_BRUSH);
  }
  WindowChanged();
}

// ---- Drawing ----

void View::BeginDrawing() {
  if (drawingDepth_++ > 0) return;
  savedPainter_ = CurrentPathPainter();
  savedMarker_ = CurrentHandleMarker();
  SetPathPainter(&painter_);
  SetHandleMarker(this);
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.setmatrix(matrix_);
}

void View::EndDrawing() {
  if (drawingDepth_ == 0 || --drawingDepth_ > 0) return;
  TheGraphicsState().grestore();
  SetPathPainter(savedPainter_);
  SetHandleMarker(savedMarker_);
}

void View::SetDrawTarget(int32_t mode) { SetDrawTargetMode(mode); }

void View::DrawUnderlay(gdi::Device* dc, bool grid) const {
  DrawPageFrame(dc);
  if (grid) DrawGrid(dc);
}

gdi::Device* View::TargetDevice() {
  return DrawTargetMode() == kDrawToBuffer ? static_cast<gdi::Device*>(working_.get())
                                           : window_.get();
}

void View::DrawHandles() {
  if (!drawing_) return;
  for (Shape* s : drawing_->selection()) s->DrawHandles(1);
}

void View::Redraw(const Rect* area) {
  if (!drawing_) return;
  BeginWaitCursor();
  BeginDrawing();
  if (!preview) {
    SetDrawTarget(kDrawToBuffer);
    // Each band is cleared, gets the page frame, the grid and the shapes, turns black and
    // white and goes to the clean buffer and the window, on its own thread; handles then go on
    // the working buffer and to the window.
    const Rows clean = RowsOf(*clean_), window = RowsOf(*window_);
    const bool grid = GridShown();
    BandedDrawing::Passes passes;
    passes.before = [this, grid](gdi::QImageDevice& band, int32_t top, int32_t bottom) {
      Fill(band.image(), 0, band.width(), top, bottom, 0xFFFFFFFFu);
      DrawUnderlay(&band, grid);
    };
    passes.after = [&clean, &window](gdi::QImageDevice& band, int32_t top, int32_t bottom) {
      QImage& image = band.image();
      MakeMonochrome(image, top, bottom);
      CopyRows(image, clean, 0, image.width(), top, bottom);
      CopyRows(image, window, 0, image.width(), top, bottom);
    };
    banded_->Draw(painter_, *working_, drawing_->shapes(), 0, nullptr, passes);
    DrawHandles();
    if (drawing_->selection().Empty()) {
      WindowChanged();
    } else {
      WorkingToWindow();
    }
  } else {
    SetDrawTarget(kDrawToWindow);
    gdi::DevRect dr{0, 0, window_->width() - 1, window_->height() - 1};
    if (area) {
      // The far corner less half a pixel, so an edge on a pixel boundary stays outside.
      Point a = Transform(area->x1, area->y1), b = Transform(area->x2, area->y2);
      dr.left = std::max(0, Trunc(std::min(a.x, b.x)));
      dr.top = std::max(0, Trunc(std::min(a.y, b.y)));
      dr.right = std::min(window_->width() - 1, Trunc(std::max(a.x, b.x) - 0.5));
      dr.bottom = std::min(window_->height() - 1, Trunc(std::max(a.y, b.y) - 0.5));
    }
    // On each band's own thread: the invalidated area erased first, as the window's background
    // brush would, then the page frame, the grid and the shapes, then the copy to the clean
    // buffer.
    const Rows clean = RowsOf(*clean_);
    const bool grid = GridShown();
    BandedDrawing::Passes passes;
    passes.before = [this, grid, &dr](gdi::QImageDevice& band, int32_t top, int32_t bottom) {
      Fill(band.image(), dr.left, dr.right + 1, std::max(top, dr.top),
           std::min(bottom, dr.bottom + 1), 0xFFFFFFFFu);
      DrawUnderlay(&band, grid);
    };
    passes.after = [&clean, &dr](gdi::QImageDevice& band, int32_t top, int32_t bottom) {
      CopyRows(band.image(), clean, dr.left, dr.right + 1, std::max(top, dr.top),
               std::min(bottom, dr.bottom + 1));
    };
    banded_->Draw(painter_, *window_, drawing_->shapes(), 1, area, passes);
    DrawHandles();
    SetDrawTarget(kDrawToBuffer);
    WindowChanged();
  }
  EndDrawing();
  EndWaitCursor();
}

void View::SelectRedraw() {
  if (!drawing_) return;
  SetStatusText("Selecting...");
  BeginWaitCursor();
  BeginDrawing();
  // The clean image has no handles, so handles of objects that left the selection go too.
  if (!preview) {
    CleanToWorking();
    SetDrawTarget(kDrawToBuffer);
    DrawHandles();
    WorkingToWindow();
  } else {
    CleanToWindow();
    SetDrawTarget(kDrawToWindow);
    DrawHandles();
    SetDrawTarget(kDrawToBuffer);
    WindowChanged();
  }
  EndDrawing();
  EndWaitCursor();
  const int32_t n = drawing_->selection().Count();
  SetStatusText(n > 0 ? CountMessage("%d %s selected", n) : std::string());
}

void View::DrawPageFrame(gdi::Device* dc) const {
  Point a = Transform(0, 0), b = Transform(float(PageW()), float(PageH()));
  const int32_t ax = Trunc(a.x + 0.5), ay = Trunc(a.y + 0.5);
  const int32_t bx = Trunc(b.x + 0.5), by = Trunc(b.y + 0.5);
  // Whatever the orientation, the shadow goes along the edges lowest and rightmost on screen.
  const int32_t l = std::min(ax, bx), r = std::max(ax, bx);
  const int32_t t = std::min(ay, by), btm = std::max(ay, by);
  const int32_t s = scale_;
  if (s == 1) {
    const gdi::DevPoint frame[5] = {{l, t}, {r, t}, {r, btm}, {l, btm}, {l, t}};
    gdi::Handle old = dc->SelectObject(dc->GetStockObject(gdi::BLACK_PEN));
    dc->Polyline(frame, 5);
    dc->SelectObject(old);
  } else {
    FillBox(dc, l, t, r + s, t + s, gdi::BLACK_BRUSH);
    FillBox(dc, l, btm, r + s, btm + s, gdi::BLACK_BRUSH);
    FillBox(dc, l, t, l + s, btm + s, gdi::BLACK_BRUSH);
    FillBox(dc, r, t, r + s, btm + s, gdi::BLACK_BRUSH);
  }
  const int32_t off = kShadowOffset * s, in = kShadowInset * s, w = kShadowWidth * s;
  ShadowBar(dc, r + off, t + in, r + off, btm + in, w);
  ShadowBar(dc, l + in, btm + off, r + off, btm + off, w);
}

bool View::GridShown() const {
  if (!drawing_ || !drawing_->grid.show) return false;
  const GridSettings& g = drawing_->grid;
  const Point d = DTransform(matrix_, g.hSpacing, g.vSpacing);
  if (std::fabs(d.x) < kGridTooDense * ratio_ || std::fabs(d.y) < kGridTooDense * ratio_) {
    SetStatusText("Grid is too dense to display");
    return false;
  }
  return true;
}

void View::DrawGrid(gdi::Device* dc) const {
  const GridSettings& g = drawing_->grid;
  const Point d = DTransform(matrix_, g.hSpacing, g.vSpacing);
  const double dx = std::fabs(d.x), dy = std::fabs(d.y);
  Point a = Transform(0, 0), b = Transform(float(PageW()), float(PageH()));
  const double left = std::min(a.x, b.x), right = std::max(a.x, b.x);
  const double top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
  auto dots = [&](double rowStep, double dotStep) {
    for (double y = bottom; y >= top; y -= rowStep)
      for (double x = left; x < right; x += dotStep) GridDot(dc, Trunc(x + 0.5), Trunc(y + 0.5));
  };
  if (dx >= kGridEveryLine * ratio_ && dy >= kGridEveryLine * ratio_) {
    dots(dy, dx);
  } else {
    dots(5 * dy, dx);
    dots(dy, 5 * dx);
  }
}

namespace {

// Light colours go white, dark black, and the middle greys a checker, as a monochrome bitmap
// dithers them: luminance (30 R + 59 G + 11 B) / 100 from 192 up is white, from 64 up white on
// every other pixel. White and black stay as they are. Without branches, so that the loop runs
// on several pixels at once.
[[gnu::always_inline]] inline void MonochromeRow(QRgb* row, int w, int y) {
  for (int x = 0; x < w; ++x) {
    const uint32_t v = row[x];
    const uint32_t sum = ((v >> 16) & 255) * 30 + ((v >> 8) & 255) * 59 + (v & 255) * 11;
    const uint32_t odd = uint32_t(x + y) & 1;
    const uint32_t white = uint32_t(sum >= 19200) | (uint32_t(sum >= 6400) & odd);
    row[x] = 0xFF000000u | (0x00FFFFFFu * white);
  }
}

void MonochromeRows(uchar* bits, qsizetype stride, int w, int top, int bottom) {
  for (int y = top; y < bottom; ++y)
    MonochromeRow(reinterpret_cast<QRgb*>(bits + y * stride), w, y);
}

#if defined(__x86_64__)
// Eight pixels a step on processors with the wide registers. Chosen by a plain test at the call
// rather than by the loader, whose choosing code runs before the sanitizers are set up.
[[gnu::target("avx2")]] void MonochromeRowsWide(uchar* bits, qsizetype stride, int w, int top,
                                                int bottom) {
  for (int y = top; y < bottom; ++y)
    MonochromeRow(reinterpret_cast<QRgb*>(bits + y * stride), w, y);
}
#endif

}  // namespace

void View::MakeMonochrome(QImage& img, int32_t top, int32_t bottom) {
  // The size once: QImage's accessors are calls into the library, not inlined.
  const int w = img.width();
  uchar* bits = img.bits();
  const qsizetype stride = img.bytesPerLine();
  top = std::max(top, 0);
  bottom = std::min(bottom, img.height());
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) {
    MonochromeRowsWide(bits, stride, w, top, bottom);
    return;
  }
#endif
  MonochromeRows(bits, stride, w, top, bottom);
}

// ---- Blits ----

void View::Blit(gdi::QImageDevice& to, gdi::QImageDevice& from, uint32_t rop,
                const gdi::DevRect* r) {
  if (!r) {
    to.BitBlt(0, 0, to.width(), to.height(), &from, 0, 0, rop);
  } else {
    to.BitBlt(r->left, r->top, r->right - r->left + 1, r->bottom - r->top + 1, &from, r->left,
              r->top, rop);
  }
  if (&to == window_.get()) {
    if (r)
      WindowChanged(r);
    else
      WindowChanged();
  }
}

void View::WorkingToWindow(const gdi::DevRect* r) { Blit(*window_, *working_, gdi::SRCCOPY, r); }
void View::WorkingXnorWindow(const gdi::DevRect* r) { Blit(*window_, *working_, gdi::SRCXNOR, r); }
void View::OverlayXnorWindow(const gdi::DevRect* r) { Blit(*window_, *overlay_, gdi::SRCXNOR, r); }
void View::OverlayXnorWorking(const gdi::DevRect* r) {
  Blit(*working_, *overlay_, gdi::SRCXNOR, r);
}
void View::CleanToWindow(const gdi::DevRect* r) { Blit(*window_, *clean_, gdi::SRCCOPY, r); }
void View::WindowToClean(const gdi::DevRect* r) { Blit(*clean_, *window_, gdi::SRCCOPY, r); }
void View::CleanToWorking(const gdi::DevRect* r) { Blit(*working_, *clean_, gdi::SRCCOPY, r); }
void View::WorkingToClean(const gdi::DevRect* r) { Blit(*clean_, *working_, gdi::SRCCOPY, r); }

void View::Invalidate(const gdi::DevRect* r) {
  gdi::DevRect all{0, 0, window_->width(), window_->height()};
  if (r) all = gdi::DevRect{r->left, r->top, r->right + 1, r->bottom + 1};
  if (onInvalidate) onInvalidate(all);
}

void View::WindowChanged(const gdi::DevRect* r) {
  gdi::DevRect all{0, 0, window_->width(), window_->height()};
  if (r) all = gdi::DevRect{r->left, r->top, r->right + 1, r->bottom + 1};
  if (onWindowChanged) onWindowChanged(all);
}

// ---- Markers ----

void View::FillBox(gdi::Device* dc, int32_t l, int32_t t, int32_t r, int32_t b,
                   int32_t brush) const {
  gdi::Handle oldPen = dc->SelectObject(dc->GetStockObject(gdi::NULL_PEN));
  gdi::Handle oldBrush = dc->SelectObject(dc->GetStockObject(brush));
  dc->Rectangle(l, t, r, b);
  dc->SelectObject(oldBrush);
  dc->SelectObject(oldPen);
}

void View::Handle(int32_t x, int32_t y, int selected) {
  gdi::Device* dc = TargetDevice();
  const int32_t s = scale_;
  if (s > 1) {
    // The same picture at whole multiples of the logical pixel.
    FillBox(dc, x - 3 * s, y - 3 * s, x + 4 * s, y + 4 * s,
            selected ? gdi::BLACK_BRUSH : gdi::WHITE_BRUSH);
    if (!selected) {
      FillBox(dc, x - 2 * s, y - 2 * s, x + 3 * s, y + 3 * s, gdi::BLACK_BRUSH);
      FillBox(dc, x - s, y - s, x + 2 * s, y + 2 * s, gdi::WHITE_BRUSH);
    } else {
      FillBox(dc, x - 3 * s, y - 3 * s, x + 4 * s, y - 2 * s, gdi::WHITE_BRUSH);
      FillBox(dc, x - 3 * s, y + 3 * s, x + 4 * s, y + 4 * s, gdi::WHITE_BRUSH);
      FillBox(dc, x - 3 * s, y - 3 * s, x - 2 * s, y + 4 * s, gdi::WHITE_BRUSH);
      FillBox(dc, x + 3 * s, y - 3 * s, x + 4 * s, y + 4 * s, gdi::WHITE_BRUSH);
    }
    return;
  }
  gdi::Handle oldPen = dc->SelectObject(dc->GetStockObject(gdi::WHITE_PEN));
  gdi::Handle oldBrush =
      dc->SelectObject(dc->GetStockObject(selected ? gdi::BLACK_BRUSH : gdi::WHITE_BRUSH));
  dc->Rectangle(x - 3, y - 3, x + 4, y + 4);
  if (!selected) {
    dc->SelectObject(dc->GetStockObject(gdi::BLACK_PEN));
    dc->Rectangle(x - 2, y - 2, x + 3, y + 3);
  }
  dc->SelectObject(oldBrush);
  dc->SelectObject(oldPen);
}

void View::ControlMark(int32_t x, int32_t y) {
  gdi::Device* dc = TargetDevice();
  const int32_t s = scale_;
  gdi::Handle oldPen = dc->SelectObject(dc->GetStockObject(gdi::WHITE_PEN));
  gdi::Handle oldBrush = dc->SelectObject(dc->GetStockObject(gdi::BLACK_BRUSH));
  dc->Ellipse(x - 3 * s, y - 3 * s, x + 4 * s, y + 4 * s);
  dc->SelectObject(oldBrush);
  dc->SelectObject(oldPen);
}

void View::CentreMark(int32_t x, int32_t y) {
  gdi::Device* dc = TargetDevice();
  const int32_t s = scale_;
  if (s > 1) {
    FillBox(dc, x - 4 * s, y, x + 5 * s, y + s, gdi::BLACK_BRUSH);
    FillBox(dc, x, y - 4 * s, x + s, y + 5 * s, gdi::BLACK_BRUSH);
    return;
  }
  dc->MoveToEx(x - 4, y);
  dc->LineTo(x + 5, y);
  dc->MoveToEx(x, y - 4);
  dc->LineTo(x, y + 5);
}

void View::GuideLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  gdi::Device* dc = TargetDevice();
  gdi::Handle pen = dc == window_.get() ? painter_.GuidePen() : 0;
  const bool made = !pen;
  if (made) pen = dc->CreatePen(gdi::PS_DASH, 1, gdi::Rgb(0, 0, 0));
  gdi::Handle old = dc->SelectObject(pen);
  dc->MoveToEx(x1, y1);
  dc->LineTo(x2, y2);
  dc->SelectObject(old);
  if (made) dc->DeleteObject(pen);
}

void View::GridDot(int32_t x, int32_t y) { GridDot(TargetDevice(), x, y); }

void View::GridDot(gdi::Device* dc, int32_t x, int32_t y) const {
  for (int32_t j = 0; j < scale_; ++j)
    for (int32_t i = 0; i < scale_; ++i) dc->SetPixel(x + i, y + j, gdi::Rgb(0, 0, 0));
}

void View::DottedLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int32_t step = kDotSpacing * scale_;
  if (x1 == x2) {
    for (int32_t y = std::min(y1, y2); y <= std::max(y1, y2); y += step) GridDot(x1, y);
  } else if (y1 == y2) {
    for (int32_t x = std::min(x1, x2); x <= std::max(x1, x2); x += step) GridDot(x, y1);
  }
}

void View::BoldLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  gdi::Device* dc = TargetDevice();
  gdi::Handle pen = dc->CreatePen(gdi::PS_SOLID, 2 * scale_, gdi::Rgb(0, 0, 0));
  gdi::Handle old = dc->SelectObject(pen);
  dc->MoveToEx(x1, y1);
  dc->LineTo(x2, y2);
  dc->SelectObject(old);
  dc->DeleteObject(pen);
}

void View::ShadowBar(gdi::Device* dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     int32_t thickness) const {
  const int32_t h = thickness / 2;
  if (x1 == x2)
    FillBox(dc, x1 - h, std::min(y1, y2), x1 - h + thickness, std::max(y1, y2), gdi::GRAY_BRUSH);
  else if (y1 == y2)
    FillBox(dc, std::min(x1, x2), y1 - h, std::max(x1, x2), y1 - h + thickness, gdi::GRAY_BRUSH);
}
