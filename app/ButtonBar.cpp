#include "app/ButtonBar.h"

#include <QPainter>

#include "app/AppState.h"
#include "app/BarButton.h"
#include "app/DrawingWindow.h"

namespace {

constexpr ButtonRow kStandardRows[] = {
    {0, 101, "newbmp", "New drawing"},
    {32, 102, "openbmp", "Open"},
    {32, 103, "savebmp", "Save"},
    {40, 105, "printbmp", "Print"},
    {40, 204, "cutbmp", "Cut"},
    {32, 205, "copybmp", "Copy"},
    {32, 206, "pastebmp", "Paste"},
    {40, 201, "undobmp", "Undo"},
    {32, 6076, "redobmp", "Redo"},
    {40, 304, "fitbmp", "Fit page in window"},
    {32, 305, "fitwbmp", "Fit page width in window"},
    {40, 302, "prvwbmp", "Toggle preview mode"},
    {40, 303, "gridbmp", "Grid settings"},
};

constexpr ButtonRow kStyleRows[] = {
    {0, 209, "frontbmp", "Bring selected objects to front"},
    {32, 210, "backbmp", "Send selected objects to back"},
    {40, 6023, "fillbmp", "Choose fill color for selected objects"},
    {32, 6044, "strokebmp", "Choose line color for selected objects"},
    {40, 6045, "eydrpbmp", "Pick paint style of selected objects"},
    {32, 6046, "brushbmp", "Apply current paint style to selected objects"},
    {40, 501, "fontbmp", "Choose font for selected text objects"},
    {40, 6056, "leftbmp", "Left align text"},
    {32, 6057, "centerbmp", "Center align text"},
    {32, 6058, "rightbmp", "Right align text"},
    {32, 6059, "fullbmp", "Justify text"},
};

}  // namespace

ButtonBar* ButtonBar::MakeStandardBar(QWidget* parent) {
  return new ButtonBar("quillory_standardBar", kStandardRows, std::size(kStandardRows), parent);
}

ButtonBar* ButtonBar::MakeStyleBar(QWidget* parent) {
  return new ButtonBar("quillory_styleBar", kStyleRows, std::size(kStyleRows), parent);
}

ButtonBar::ButtonBar(const char* name, const ButtonRow* rows, int count, QWidget* parent)
    : QWidget(parent) {
  setObjectName(name);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  int x = 4;
  for (int i = 0; i < count; ++i) {
    x += rows[i].advance;
    auto* b = new BarButton(rows[i].id, rows[i].bitmap, rows[i].tooltip, false, this);
    b->move(x, 5);
    const int id = rows[i].id;
    connect(b, &QAbstractButton::clicked, this, [this, id] {
      emit commandRequested(id);
      if (App().client) App().client->setFocus();
    });
    buttons_.push_back(b);
  }
}

BarButton* ButtonBar::button(int id) const {
  for (BarButton* b : buttons_) {
    if (b->id() == id) return b;
  }
  return nullptr;
}

void ButtonBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  p.setPen(pal.color(QPalette::Dark));
  p.drawLine(0, 0, width() - 1, 0);
  p.drawLine(0, 34, width() - 1, 34);
  p.setPen(pal.color(QPalette::Light));
  p.drawLine(0, 1, width() - 1, 1);
  p.drawLine(0, 1, 0, height() - 1);
}
