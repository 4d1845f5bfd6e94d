// One button of the standard bar, the style bar or the tool palette: drawn by the program in
// the desktop's button colours, never taking the keyboard focus from the drawing window.
#pragma once

#include <QAbstractButton>
#include <QImage>

class BarButton : public QAbstractButton {
  Q_OBJECT
 public:
  // `onPalette`: drawn pressed while its tool is current, art ANDed into the face.
  BarButton(int id, const char* bitmap, const char* tooltip, bool onPalette, QWidget* parent);

  int id() const { return id_; }
  // The picture the button shows now.
  QImage Picture() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void LoadBitmap();

  int id_;
  QString bitmapName_;
  bool onPalette_;
  QImage bitmap_;
};
