// "Zoom": a trackbar and a field kept in step.
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {
constexpr int32_t kMinZoom = 25;
constexpr int32_t kMaxZoom = 800;
constexpr int32_t kZoomStep = 25;
}  // namespace

int32_t ZoomDialog(QWidget* owner, int32_t* percent) {
  if (!percent || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  dialog.setWindowTitle("Zoom");
  auto* bar = new QSlider(Qt::Horizontal, &dialog);
  bar->setObjectName("4001");
  bar->setRange(kMinZoom, kMaxZoom);
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setTickInterval(kZoomStep);
  bar->setSingleStep(1);
  bar->setPageStep(kZoomStep);
  bar->setMinimumWidth(300);
  bar->setValue(*percent);
  auto* field = MakeField(&dialog, 4000);
  field->setMaximumWidth(80);
  field->setText(QString::number(*percent));

  // Typing moves the bar; moving the bar rewrites the field, but not while the user types.
  bool typing = false;
  QObject::connect(field, &QLineEdit::textEdited, &dialog, [&, bar](const QString& text) {
    int64_t n = 0;
    if (!ParseWholeNumber(text, true, &n)) return;
    typing = true;
    bar->setValue(int(std::clamp<int64_t>(n, kMinZoom, kMaxZoom)));
    typing = false;
  });
  QObject::connect(bar, &QSlider::valueChanged, &dialog, [&, field](int value) {
    if (!typing) field->setText(QString::number(value));
  });

  auto* grid = new QGridLayout;
  grid->addWidget(bar, 0, 0, 1, 2);
  grid->addWidget(MakeLabel(QString::asprintf("%d%%", kMinZoom), &dialog, 4002), 1, 0,
                  Qt::AlignLeft);
  grid->addWidget(MakeLabel(QString::asprintf("%d%%", kMaxZoom), &dialog, 4003), 1, 1,
                  Qt::AlignRight);
  grid->addWidget(field, 2, 0, 1, 2, Qt::AlignHCenter);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(grid);
  layout->addLayout(MakeOkCancel(&dialog));
  field->setFocus();
  field->selectAll();
  if (!RunDialog(dialog, owner)) return 0;
  int64_t n = 0;
  if (ParseWholeNumber(field->text(), true, &n)) {
    *percent = int32_t(std::clamp<int64_t>(n, kMinZoom, kMaxZoom));
  }
  return 1;
}
