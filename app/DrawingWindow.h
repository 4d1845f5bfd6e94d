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
  // Mouse work for the tools, in drawing coordinates: kind 0 press, 1 release, 2 move while
  // the button is held, 3 double click, 4 right button, 5 key (x is the code). The view's
  // drawing is begun around it. Goes to the current tool.
  virtual void ToolEvent(int32_t kind, float x, float y, int32_t shift);

  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void UpdateScrollBars();
  void BarAction(bool horizontal, int action);
  void BarValue(bool horizontal, int value);
  void EndOfScroll();
  void Tool(int32_t kind, QMouseEvent* event);

  struct Impl;
  std::unique_ptr<Impl> d_;
};
