#include "app/StatusBar.h"

#include <QPainter>

#include "app/AppState.h"
#include "model/Drawing.h"
#include "platform/msgbox/Messages.h"

QString CoordinateText(int units, float x, float y) {
  switch (units) {
    case kUnitsInches:
      return QString::asprintf("%.2f, %.2f", x / 72.0, y / 72.0);
    case kUnitsPoints:
      return QString::asprintf("%.1f, %.1f", x, y);
    case kUnitsCentimeters:
      return QString::asprintf("%.1f, %.1f", x * 2.54 / 72.0, y * 2.54 / 72.0);
    default:
      return {};
  }
}

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
  setObjectName("quillory_statusBar");
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
}

namespace {

// A rectangle from its edges, the right and bottom ones just outside.
QRect Edges(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace

QRect StatusBar::CoordinateField() const {
  return Edges(width() - 100, 2, width() - 3, height() - 2);
}

QRect StatusBar::MessageField() const { return Edges(3, 2, width() - 106, height() - 2); }

void StatusBar::ShowCoordinates(float x, float y) {
  const int units = App().drawing ? App().drawing->units : kUnitsInches;
  coordinates_ = CoordinateText(units, x, y);
  repaint(CoordinateField());
}

void StatusBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  p.fillRect(rect(), pal.color(QPalette::Button));
  p.setPen(pal.color(QPalette::Light));
  p.drawLine(0, 0, width() - 1, 0);
  for (const QRect& field : {MessageField(), CoordinateField()}) {
    // Sunken: a shadow frame, then highlight along the bottom and right.
    p.setPen(pal.color(QPalette::Dark));
    p.drawRect(field.adjusted(0, 0, -1, -1));
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(field.left(), field.bottom(), field.right(), field.bottom());
    p.drawLine(field.right(), field.top(), field.right(), field.bottom());
  }
  p.setPen(pal.color(QPalette::ButtonText));
  const QRect message = MessageField();
  p.setClipRect(Edges(message.left() + 3, 3, message.left() + message.width() - 3, 21));
  p.drawText(QPoint(message.left() + 5, 3 + p.fontMetrics().ascent()),
             QString::fromStdString(StatusText()));
  const QRect coords = CoordinateField();
  p.setClipRect(Edges(coords.left() + 3, 3, width() - 3, 21));
  p.drawText(QPoint(coords.left() + 10, 3 + p.fontMetrics().ascent()), coordinates_);
}
