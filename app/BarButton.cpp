#include "app/BarButton.h"

#include <QEvent>
#include <QPainter>

#include "app/ButtonArt.h"
#include "tools/Tool.h"

BarButton::BarButton(int id, const char* bitmap, const char* tooltip, bool onPalette,
                     QWidget* parent)
    : QAbstractButton(parent), id_(id), bitmapName_(bitmap), onPalette_(onPalette) {
  setObjectName(QString::number(id));
  setToolTip(tooltip);
  setFocusPolicy(Qt::NoFocus);
  setFixedSize(kButtonWidth, kButtonHeight);
  LoadBitmap();
}

void BarButton::LoadBitmap() { bitmap_ = LoadButtonBitmap(bitmapName_, palette()); }

QImage BarButton::Picture() const {
  ButtonLook look;
  look.pressed = isDown() || id_ == CurrentToolId();
  look.embossed = !onPalette_ && !isEnabled();
  look.andWithFill = onPalette_;
  return PaintButton(bitmap_, palette(), look);
}

void BarButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, Picture());
}

void BarButton::changeEvent(QEvent* event) {
  // The art follows the desktop's button colours.
  if (event->type() == QEvent::PaletteChange) {
    LoadBitmap();
    update();
  }
  QAbstractButton::changeEvent(event);
}
