// Placeholder drawing window until the view lands: a white scroll area with empty commands.
#include "app/DrawingWindow.h"

#include <QPainter>
#include <cstdlib>

struct DrawingWindow::Impl {
  Drawing* drawing = nullptr;
  bool preview = true;
};

DrawingWindow::DrawingWindow(Drawing* drawing, QWidget* parent)
    : QAbstractScrollArea(parent), d_(std::make_unique<Impl>()) {
  d_->drawing = drawing;
  viewport()->setAutoFillBackground(true);
  QPalette p = viewport()->palette();
  p.setColor(QPalette::Window, Qt::white);
  viewport()->setPalette(p);
  setFocusPolicy(Qt::StrongFocus);
}

DrawingWindow::~DrawingWindow() = default;

View& DrawingWindow::view() { std::abort(); }
void DrawingWindow::FitInWindow() {}
void DrawingWindow::FitWidth() {}
void DrawingWindow::TogglePreview() { d_->preview = !d_->preview; }
bool DrawingWindow::Preview() const { return d_->preview; }
void DrawingWindow::ResetScrollBars() {}
void DrawingWindow::SetFullRepaint() {}
void DrawingWindow::InvalidateAll() { viewport()->update(); }
void DrawingWindow::SelectRedraw() {}
