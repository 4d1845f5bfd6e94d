// The drawing window: the client area where the page is shown (window class quillory_client).
// It owns the view and a window image the size of its viewport; drawing "on the window" draws
// into that image and the paint event copies it to the screen.
#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QPointF>
#include <cstdint>
#include <memory>

class Drawing;
class View;
struct Rect;

class DrawingWindow : public QAbstractScrollArea {
  Q_OBJECT
 public:
  DrawingWindow(Drawing* drawing, QWidget* parent = nullptr);
  ~DrawingWindow() override;

  View& view();
  // Commands of the View menu and the standard bar.
  void FitInWindow();    // 304
  void FitWidth();       // 305
  void TogglePreview();  // 302
  void Zoom();           // 306: the Zoom dialog
  // Scroll tool: the content moves by whole points; the uncovered strip stays blank until the
  // next full redraw.
  void ScrollBy(int32_t dx, int32_t dy);
  // Zoom tool: the page rectangle fills the window; a rectangle without width or height (a
  // click) fits the page. The fit mode stays.
  void ZoomToRect(const Rect& r);
  bool Preview() const;
  // After a drawing is opened or cleared: scroll offsets 0, bars updated, full repaint.
  void ResetScrollBars();
  void SetFullRepaint();
  void InvalidateAll();
  // After a change of selection: handles redrawn and the "%d %s selected" status.
  void SelectRedraw();

 signals:
  // Pointer position in drawing coordinates (points, y up), for the status line.
  void PointerMoved(float x, float y);

 public:
  // A dropped metafile's shapes join the drawing at `where` (viewport position) and become the
  // selection; both histories are cleared. False when the bytes are no sound metafile.
  bool AddDroppedMetafile(const QByteArray& bytes, QPointF where);
  // Viewport position (logical pixels) in drawing coordinates.
  QPointF ToDrawing(QPointF pos) const;

 protected:
  // Mouse and key work for the current tool: kind 0 press, 1 release, 2 move while the button
  // is held, 3 double click, 4 right button, all at viewport positions (logical pixels; -1
  // stands for the last position, any other value becomes it) handed on in drawing
  // coordinates; 5 key, x being the code. The view's drawing is begun around it.
  virtual void ToolEvent(int32_t kind, float x, float y, int32_t shift);

  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void UpdateScrollBars();
  void BarAction(bool horizontal, int action);
  void WheelBy(QPoint delta);
  void BarValue(bool horizontal, int value);
  void EndOfScroll();
  void Tool(int32_t kind, QMouseEvent* event);
  void ToolCall(int32_t kind, float x, float y, int32_t shift);
  void SpecialKey(int32_t code);
  void TypeText(const QString& text);

  struct Impl;
  std::unique_ptr<Impl> d_;
};
