// "About Ondara Draw": the start-up picture, until any click or Close.
#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

class AboutBox : public QDialog {
 public:
  AboutBox(QWidget* owner, QPixmap picture) : QDialog(owner), picture_(std::move(picture)) {
    setWindowTitle("About Ondara Draw");
    setFixedSize(picture_.deviceIndependentSize().toSize());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
  }
  void mousePressEvent(QMouseEvent*) override { accept(); }

 private:
  QPixmap picture_;
};

}  // namespace

void AboutDialog(QWidget* owner) {
  if (!CanShowDialogs()) return;
  QPixmap picture(":/res/aboutbmp.png");
  if (picture.isNull()) return;
  AboutBox dialog(owner, picture);
  RunDialog(dialog, owner);
}
