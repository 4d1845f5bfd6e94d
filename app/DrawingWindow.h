// The drawing window: the client area where the page is shown (window class quillory_client).
// It owns the view and a window image the size of its viewport; drawing "on the window" draws
// into that image and the paint event copies it to the screen.
#pragma once

#include <QAbstractScrollArea>
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

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};
