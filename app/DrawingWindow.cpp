#include "app/DrawingWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/Commands.h"
#include "model/Drawing.h"
#include "output/MetafileImport.h"
#include "platform/fontsys/Cp1252.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "tools/Tool.h"
#include "tools/ToolSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

// Edit menu "C&lear", posted so that the key's handling finishes first.
constexpr int kClearCommand = 202;

const char* const kMetafileTypes[] = {"image/x-wmf", "image/x-emf"};

bool IsMetafileUrl(const QUrl& url) {
  if (!url.isLocalFile()) return false;
  const QString name = url.toLocalFile().toLower();
  return name.endsWith(".wmf") || name.endsWith(".emf");
}

bool OffersMetafile(const QMimeData* mime) {
  if (!mime) return false;
  for (const char* type : kMetafileTypes)
    if (mime->hasFormat(type)) return true;
  for (const QUrl& url : mime->urls())
    if (IsMetafileUrl(url)) return true;
  return false;
}

QByteArray MetafileBytes(const QMimeData* mime) {
  for (const char* type : kMetafileTypes)
    if (mime->hasFormat(type)) return mime->data(type);
  for (const QUrl& url : mime->urls()) {
    if (!IsMetafileUrl(url)) continue;
    QFile file(url.toLocalFile());
    if (file.open(QIODevice::ReadOnly)) return file.readAll();
  }
  return QByteArray();
}

}  // namespace

struct DrawingWindow::Impl {
  explicit Impl(Drawing* d) : drawing(d), view(d) {}
  Drawing* drawing;
  View view;
  // Device pixels waiting for a redraw, and whether all of the window waits.
  QRect pending;
  bool fullRepaint = true;
  bool settingBars = false;
  bool endOfScrollQueued = false;
  bool captured = false;
  bool shiftDown = false;
  QPoint wheelRest;  // wheel turns below one step, kept for the next event (touchpads)
  QPointF last;      // last mouse position handed to a tool (viewport pixels)
};

DrawingWindow::DrawingWindow(Drawing* drawing, QWidget* parent)
    : QAbstractScrollArea(parent), d_(std::make_unique<Impl>(drawing)) {
  setObjectName("quillory_client");
  setAcceptDrops(true);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  d_->view.preview = true;
  View& v = d_->view;
  auto logical = [this](const gdi::DevRect& r) {
    const double k = d_->view.DevicePixelRatio();
    return QRectF(r.left / k, r.top / k, (r.right - r.left) / k, (r.bottom - r.top) / k)
        .toAlignedRect();
  };
  v.onInvalidate = [this, logical](const gdi::DevRect& r) {
    d_->pending |= QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    viewport()->update(logical(r));
  };
  v.onWindowChanged = [this, logical](const gdi::DevRect& r) { viewport()->update(logical(r)); };
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    const bool horizontal = bar == horizontalScrollBar();
    // The thumb is not followed while dragged; its release moves the view.
    bar->setTracking(false);
    // Without tracking a bar ignores the wheel; the window turns it into steps instead.
    bar->installEventFilter(this);
    connect(bar, &QScrollBar::actionTriggered, this,
            [this, horizontal](int action) { BarAction(horizontal, action); });
    connect(bar, &QScrollBar::valueChanged, this,
            [this, horizontal](int value) { BarValue(horizontal, value); });
  }
}

DrawingWindow::~DrawingWindow() = default;

View& DrawingWindow::view() { return d_->view; }

void DrawingWindow::FitInWindow() {
  SelectTool(kToolSelection);
  d_->view.FitInWindow();
  UpdateScrollBars();
  SetFullRepaint();
  InvalidateAll();
}

void DrawingWindow::FitWidth() {
  SelectTool(kToolSelection);
  d_->view.FitWidth();
  UpdateScrollBars();
  SetFullRepaint();
  InvalidateAll();
}

void DrawingWindow::TogglePreview() {
  d_->view.preview = !d_->view.preview;
  SetFullRepaint();
  InvalidateAll();
}

bool DrawingWindow::Preview() const { return d_->view.preview; }

void DrawingWindow::ResetScrollBars() {
  d_->view.SetScroll(0, 0);
  UpdateScrollBars();
  SetFullRepaint();
  InvalidateAll();
}

void DrawingWindow::SetFullRepaint() { d_->fullRepaint = true; }

void DrawingWindow::InvalidateAll() { d_->view.Invalidate(nullptr); }

void DrawingWindow::SelectRedraw() { d_->view.SelectRedraw(); }

QPointF DrawingWindow::ToDrawing(QPointF pos) const {
  const double k = d_->view.DevicePixelRatio();
  Point p = d_->view.ITransform(float(pos.x() * k), float(pos.y() * k));
  return QPointF(p.x, p.y);
}

void DrawingWindow::UpdateScrollBars() {
  d_->settingBars = true;
  // The vertical bar first, as the window always did.
  const ScrollBarSetting bars[2] = {d_->view.VerticalBar(), d_->view.HorizontalBar()};
  QScrollBar* widgets[2] = {verticalScrollBar(), horizontalScrollBar()};
  for (int i = 0; i < 2; ++i) {
    const int top = std::max(0, bars[i].maximum - bars[i].page + 1);
    widgets[i]->setRange(0, top);
    widgets[i]->setPageStep(std::max(1, bars[i].page));
    widgets[i]->setValue(bars[i].position);
    // Disabled rather than hidden when there is nothing to scroll.
    widgets[i]->setEnabled(top > 0);
  }
  d_->settingBars = false;
}

void DrawingWindow::BarAction(bool horizontal, int action) {
  int direction = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
      direction = -1;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
      direction = 1;
      break;
    default:
      return;  // thumb moves arrive as a value on release
  }
  if (horizontal)
    d_->view.HorizontalStep(direction);
  else
    d_->view.VerticalStep(direction);
  UpdateScrollBars();
  QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
  bar->setSliderPosition(bar->value());
  EndOfScroll();
}

void DrawingWindow::BarValue(bool horizontal, int value) {
  if (d_->settingBars) return;
  const ScrollBarSetting now = horizontal ? d_->view.HorizontalBar() : d_->view.VerticalBar();
  if (value == now.position) return;  // the bar already shows the view
  if (horizontal)
    d_->view.HorizontalThumb(value);
  else
    d_->view.VerticalThumb(value);
  UpdateScrollBars();
  EndOfScroll();
}

// The wheel scrolls by the bars' line steps, the desktop's number of lines per notch; Shift or
// a sideways wheel scrolls across.
void DrawingWindow::wheelEvent(QWheelEvent* event) {
  event->accept();
  const QPoint delta = event->angleDelta();
  const bool across = event->modifiers() & Qt::ShiftModifier;
  WheelBy(across ? QPoint(delta.y() ? delta.y() : delta.x(), 0) : delta);
}

void DrawingWindow::WheelBy(QPoint delta) {
  d_->wheelRest += delta;
  const int perNotch = std::max(1, QApplication::wheelScrollLines());
  constexpr int kNotch = 120;
  const int across = d_->wheelRest.x() / kNotch, down = d_->wheelRest.y() / kNotch;
  d_->wheelRest -= QPoint(across * kNotch, down * kNotch);
  for (int i = 0; i < std::abs(across) * perNotch; ++i)
    BarAction(true, across > 0 ? QAbstractSlider::SliderSingleStepSub
                               : QAbstractSlider::SliderSingleStepAdd);
  for (int i = 0; i < std::abs(down) * perNotch; ++i)
    BarAction(false, down > 0 ? QAbstractSlider::SliderSingleStepSub
                              : QAbstractSlider::SliderSingleStepAdd);
}

bool DrawingWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel ||
      (watched != horizontalScrollBar() && watched != verticalScrollBar()))
    return QAbstractScrollArea::eventFilter(watched, event);
  auto* wheel = static_cast<QWheelEvent*>(event);
  const QPoint delta = wheel->angleDelta();
  if (watched == horizontalScrollBar() && delta.x() == 0) {
    // Over the horizontal bar an upright wheel scrolls across, as the bar itself would.
    wheel->accept();
    WheelBy(QPoint(delta.y(), 0));
  } else {
    wheelEvent(wheel);
  }
  return true;
}

// Steps come in bursts while a button is held; the redraw waits until they stop.
void DrawingWindow::EndOfScroll() {
  if (d_->endOfScrollQueued) return;
  d_->endOfScrollQueued = true;
  QTimer::singleShot(0, this, [this] {
    d_->endOfScrollQueued = false;
    SetFullRepaint();
    if (d_->view.preview)
      InvalidateAll();
    else
      d_->view.Redraw(nullptr);
  });
}

void DrawingWindow::scrollContentsBy(int, int) {}

void DrawingWindow::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  SelectTool(kToolSelection);
  View& v = d_->view;
  const QSize size = viewport()->size();
  v.Resize(size.width(), size.height(), viewport()->devicePixelRatioF());
  if (v.fitMode == kFitWidth)
    v.FitWidth();
  else if (v.fitMode == kFitPage)
    v.FitInWindow();
  UpdateScrollBars();
  SetFullRepaint();
  InvalidateAll();
}

void DrawingWindow::paintEvent(QPaintEvent* event) {
  View& v = d_->view;
  if (!d_->captured && (d_->fullRepaint || !d_->pending.isEmpty())) {
    if (d_->fullRepaint ||
        d_->pending.contains(QRect(0, 0, v.Window().width(), v.Window().height()))) {
      v.Redraw(nullptr);
    } else {
      const QRect& r = d_->pending;
      Point a = v.ITransform(float(r.left()), float(r.top()));
      Point b = v.ITransform(float(r.right() + 1), float(r.bottom() + 1));
      Rect area{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
      v.Redraw(&area);
    }
    d_->fullRepaint = false;
    d_->pending = QRect();
  }
  QPainter p(viewport());
  const double k = v.DevicePixelRatio();
  const QRect r = event->rect();
  p.drawImage(QRectF(r), v.Window().image(),
              QRectF(r.left() * k, r.top() * k, r.width() * k, r.height() * k));
}

void DrawingWindow::Zoom() {
  SelectTool(kToolSelection);
  View& v = d_->view;
  int32_t percent = int32_t(v.zoom() * 100);
  if (ZoomDialog(this, &percent) != 1) return;
  v.SetZoom(float(percent) / 100);
  v.fitMode = kFitNone;
  UpdateScrollBars();
  SetFullRepaint();
  InvalidateAll();
}

void DrawingWindow::ScrollBy(int32_t dx, int32_t dy) {
  d_->view.ScrollBy(dx, dy);
  UpdateScrollBars();
}

void DrawingWindow::ZoomToRect(const Rect& r) {
  View& v = d_->view;
  const float w = r.x2 - r.x1, h = r.y2 - r.y1;
  // Anything thinner than this is a click, not a rectangle.
  constexpr float kClick = 0.001f;
  if (w < kClick || h < kClick) {
    v.SetZoom(v.FitPageZoom());
    v.SetScroll(0, 0);
  } else {
    double across = v.ClientWidth(), down = v.ClientHeight();
    if (v.Landscape()) std::swap(across, down);
    v.SetZoom(float(std::min(across / w, down / h)));
    const int32_t pw = d_->drawing ? d_->drawing->PageWidth() : 612;
    const int32_t ph = d_->drawing ? d_->drawing->PageHeight() : 792;
    v.SetScroll((r.x1 + r.x2) / 2 - float(pw / 2), (r.y1 + r.y2) / 2 - float(ph / 2));
  }
  UpdateScrollBars();
  SetFullRepaint();
  InvalidateAll();
}

void DrawingWindow::ToolEvent(int32_t kind, float x, float y, int32_t shift) {
  ::Tool* tool = CurrentTool();
  if (kind != 5) {
    QPointF& last = d_->last;
    if (x == -1) x = float(last.x());
    if (y == -1) y = float(last.y());
    last = QPointF(x, y);
    const QPointF at = ToDrawing(last);
    x = float(at.x());
    y = float(at.y());
  }
  if (!tool) return;
  switch (kind) {
    case 0:
      tool->MouseDown(x, y, shift);
      break;
    case 1:
      tool->MouseUp(x, y, shift);
      break;
    case 2:
      tool->MouseMove(x, y, shift);
      break;
    case 3:
      tool->DoubleClick(x, y, shift);
      break;
    case 4:
      tool->RightButtonDown(x, y, shift);
      break;
    case 5:
      tool->Key(int(x));
      break;
    default:
      break;
  }
}

void DrawingWindow::ToolCall(int32_t kind, float x, float y, int32_t shift) {
  View& v = d_->view;
  v.BeginDrawing();
  ToolEvent(kind, x, y, shift);
  v.EndDrawing();
}

void DrawingWindow::Tool(int32_t kind, QMouseEvent* event) {
  const QPointF at = event->position();
  ToolCall(kind, float(at.x()), float(at.y()), (event->modifiers() & Qt::ShiftModifier) ? 1 : 0);
}

// End, Home and the arrows: the selection tool moves the selection one point the way the arrow
// points on the screen; other tools get the code.
void DrawingWindow::SpecialKey(int32_t code) {
  if (CurrentToolId() != kToolSelection) {
    ToolCall(5, float(code), 0, 0);
    return;
  }
  if (code < kKeyLeft || code > kKeyDown || !d_->drawing) return;
  // Screen steps of Left, Up, Right and Down in page axes: landscape shows drawing x running
  // down and drawing y running right.
  static const float kPortrait[4][2] = {{-1, 0}, {0, 1}, {1, 0}, {0, -1}};
  static const float kLandscape[4][2] = {{0, -1}, {-1, 0}, {0, 1}, {1, 0}};
  const float* step = (d_->drawing->landscape ? kLandscape : kPortrait)[code - kKeyLeft];
  View& v = d_->view;
  v.BeginDrawing();
  MoveSelection(step[0], step[1]);
  v.EndDrawing();
}

void DrawingWindow::TypeText(const QString& text) {
  for (uint32_t code : text.toUcs4()) {
    uint8_t byte = 0;
    if (!UnicodeToCp1252(code, &byte)) {
      SetStatusText("Character not available in this font encoding");
      continue;
    }
    ToolCall(5, float(byte), 0, 0);
  }
}

void DrawingWindow::keyPressEvent(QKeyEvent* event) {
  static const struct {
    int key;
    int32_t code;
  } kSpecial[] = {{Qt::Key_End, kKeyEnd}, {Qt::Key_Home, kKeyHome},   {Qt::Key_Left, kKeyLeft},
                  {Qt::Key_Up, kKeyUp},   {Qt::Key_Right, kKeyRight}, {Qt::Key_Down, kKeyDown}};
  const int key = event->key();
  event->accept();
  switch (key) {
    case Qt::Key_Shift:
      // Auto-repeat sends nothing more; the tool re-applies its Shift constraint at once.
      if (d_->captured && !d_->shiftDown) ToolCall(2, -1, -1, 1);
      d_->shiftDown = true;
      return;
    case Qt::Key_PageUp:
      BarAction(false, QAbstractSlider::SliderPageStepSub);
      return;
    case Qt::Key_PageDown:
      BarAction(false, QAbstractSlider::SliderPageStepAdd);
      return;
    case Qt::Key_Delete:
      if (CurrentToolId() == kToolText)
        ToolCall(5, float(kKeyDelete), 0, 0);
      else if (d_->drawing && !d_->drawing->selection().Empty())
        QMetaObject::invokeMethod(
            this, [] { DispatchCommand(kClearCommand); }, Qt::QueuedConnection);
      return;
    default:
      break;
  }
  for (const auto& s : kSpecial) {
    if (s.key != key) continue;
    SpecialKey(s.code);
    return;
  }
  if (!d_->captured && !event->text().isEmpty()) {
    TypeText(event->text());
    return;
  }
  event->ignore();
}

void DrawingWindow::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Shift || event->isAutoRepeat()) {
    event->ignore();
    return;
  }
  if (d_->captured) ToolCall(2, -1, -1, 0);
  d_->shiftDown = false;
}

// Keys sent to the viewport are the window's too: Tab and the arrows must reach the tools
// rather than move the focus.
bool DrawingWindow::viewportEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      keyPressEvent(static_cast<QKeyEvent*>(event));
      return true;
    case QEvent::KeyRelease:
      keyReleaseEvent(static_cast<QKeyEvent*>(event));
      return true;
    case QEvent::ShortcutOverride:
      DrawingWindow::event(event);
      return true;
    default:
      return QAbstractScrollArea::viewportEvent(event);
  }
}

// While the text tool types, Delete and plain characters belong to it, not to the menus.
bool DrawingWindow::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride && CurrentToolId() == kToolText) {
    auto* key = static_cast<QKeyEvent*>(e);
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (key->key() == Qt::Key_Delete || (plain && !key->text().isEmpty())) {
      e->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

bool DrawingWindow::focusNextPrevChild(bool) { return false; }

void DrawingWindow::mousePressEvent(QMouseEvent* event) {
  // The second press of a double click comes as the double click alone, so that the tools see
  // press, release, double click, release.
  if (event->flags() & Qt::MouseEventCreatedDoubleClick) return;
  if (event->button() == Qt::LeftButton && !d_->captured) {
    d_->captured = true;
    Tool(0, event);
  } else if (event->button() == Qt::RightButton && !d_->captured) {
    Tool(4, event);
  }
}

void DrawingWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !d_->captured) return;
  d_->captured = false;
  Tool(1, event);
}

void DrawingWindow::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = ToDrawing(event->position());
  emit PointerMoved(float(at.x()), float(at.y()));
  if (d_->captured) Tool(2, event);
}

void DrawingWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && !d_->captured) Tool(3, event);
}

void DrawingWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (OffersMetafile(event->mimeData())) event->acceptProposedAction();
}

void DrawingWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (OffersMetafile(event->mimeData())) event->acceptProposedAction();
}

void DrawingWindow::dropEvent(QDropEvent* event) {
  const QByteArray bytes = MetafileBytes(event->mimeData());
  if (bytes.isEmpty()) return;
  const QPointF where = viewport()->mapFrom(this, event->position());
  if (AddDroppedMetafile(bytes, where)) event->acceptProposedAction();
}

bool DrawingWindow::AddDroppedMetafile(const QByteArray& bytes, QPointF where) {
  Drawing* drawing = d_->drawing;
  if (!drawing) return false;
  const std::string previous = StatusText();
  SetStatusText("Adding dropped data...");
  BeginWaitCursor();
  ShapeList list;
  const bool ok = ConvertMetafile(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                  size_t(bytes.size()), &list) == 1;
  // A drop that brings nothing leaves the histories alone.
  if (ok) {
    drawing->undo().Clear();
    // The picture's top-left corner goes where it was dropped.
    const Rect b = BoundsOfList(list, 0);
    const QPointF at = ToDrawing(where);
    if (!RectIsEmpty(b)) {
      const float dx = float(at.x()) - b.x1, dy = float(at.y()) - b.y2;
      for (::Shape* s : list) s->Move(dx, dy);
    }
    drawing->ClearSelection();
    for (::Shape* s : list) {
      if (!drawing->AddShape(s)) {
        delete s;
        continue;
      }
      drawing->Select(s);
    }
    drawing->SetModified();
  }
  EndWaitCursor();
  SetStatusText(previous);
  SetFullRepaint();
  InvalidateAll();
  return ok;
}
