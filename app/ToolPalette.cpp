#include "app/ToolPalette.h"

#include <QPainter>

#include "app/AppState.h"
#include "app/BarButton.h"
#include "app/DrawingWindow.h"
#include "platform/msgbox/Messages.h"

namespace {

struct PaletteRow {
  int id;
  const char* bitmap;
  const char* tooltip;
};

constexpr PaletteRow kPaletteRows[] = {
    {456, "cursorbmp", "Selection tool"}, {416, "handbmp", "Scroll tool"},
    {417, "lensbmp", "Zoom tool"},        {401, "linebmp", "Line tool"},
    {405, "rectbmp", "Rectangle tool"},   {407, "ellipsbmp", "Ellipse tool"},
    {408, "arcbmp", "Arc tool"},          {410, "bezierbmp", "Curve tool"},
    {414, "polygonbmp", "Polygon tool"},  {411, "textbmp", "Text tool"},
    {451, "scalebmp", "Scale tool"},      {452, "rotatebmp", "Rotate tool"},
    {454, "skewbmp", "Skew tool"},        {455, "reflctbmp", "Reflect tool"},
};

constexpr int kHoldMilliseconds = 700;

}  // namespace

ToolPalette::ToolPalette(QWidget* parent) : QWidget(parent) {
  setObjectName("quillory_toolBar");
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  holdTimer_.setSingleShot(true);
  holdTimer_.setInterval(kHoldMilliseconds);
  connect(&holdTimer_, &QTimer::timeout, this, [] { SetStatusText("Let go"); });
  int y = 5;
  for (int order = 0; order < int(std::size(kPaletteRows)); ++order) {
    const PaletteRow& row = kPaletteRows[order];
    if (order % 2 == 0 && order > 0) y += 26;
    auto* b = new BarButton(row.id, row.bitmap, row.tooltip, true, this);
    b->move(order % 2 == 0 ? 4 : 36, y);
    connect(b, &QAbstractButton::pressed, &holdTimer_, qOverload<>(&QTimer::start));
    connect(b, &QAbstractButton::released, &holdTimer_, &QTimer::stop);
    const int id = row.id;
    connect(b, &QAbstractButton::clicked, this, [this, id] {
      emit commandRequested(id);
      if (App().client) App().client->setFocus();
    });
    buttons_.push_back(b);
  }
}

BarButton* ToolPalette::button(int id) const {
  for (BarButton* b : buttons_) {
    if (b->id() == id) return b;
  }
  return nullptr;
}

void ToolPalette::RedrawButton(int id) {
  if (BarButton* b = button(id)) b->update();
}

void ToolPalette::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(71, 0, 71, height() - 1);
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(0, 0, 0, height() - 1);
  p.drawLine(0, 0, width() - 1, 0);
}
