// "EPS Options" and "Bitmap Options", shown by Export before the file is written.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "output/ExportFile.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

QCheckBox* MakeCheck(const QString& text, QWidget* parent, int32_t id, bool on) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(QString::number(id));
  box->setChecked(on);
  return box;
}

QRadioButton* MakeRadio(const QString& text, QWidget* parent, int32_t id) {
  auto* button = new QRadioButton(text, parent);
  button->setObjectName(QString::number(id));
  return button;
}

}  // namespace

int32_t EpsOptionsDialog(QWidget* owner, ExportOptions* options) {
  if (!options || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  dialog.setWindowTitle("EPS Options");
  auto* preview = MakeCheck("Include screen preview", &dialog, 1059, options->includePreview);
  auto* substitute = MakeCheck("Substitute PostScript fonts for TrueType fonts", &dialog, 1064,
                               options->substitutePsFonts);
  auto* include = MakeCheck("Include fonts", &dialog, 1058, options->includeFonts);

  auto* group = new QGroupBox("TrueType fonts", &dialog);
  group->setObjectName("1063");
  auto* type3 = MakeRadio("Convert to PostScript Type 3 format", group, 1060);
  auto* type42 = MakeRadio("Convert to PostScript Type 42 format", group, 1061);
  (options->type42 ? type42 : type3)->setChecked(true);
  auto* note = MakeLabel(
      "For highest quality choose Type 42 format.\nFor compatibility with old PostScript "
      "printers\nchoose Type 3 format.",
      group, 1062);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(type3);
  groupLayout->addWidget(type42);
  groupLayout->addWidget(note);

  auto* border = MakeField(&dialog, 1065);
  border->setText(FormatG(options->border));
  auto* borderRow = new QHBoxLayout;
  borderRow->addWidget(MakeLabel("Border width:", &dialog));
  borderRow->addWidget(border);
  borderRow->addWidget(MakeLabel("Points", &dialog));

  // The TrueType choice matters only when fonts go in and are not replaced.
  auto update = [=] { group->setEnabled(include->isChecked() && !substitute->isChecked()); };
  QObject::connect(include, &QCheckBox::toggled, &dialog, update);
  QObject::connect(substitute, &QCheckBox::toggled, &dialog, update);
  update();

  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(preview);
  layout->addWidget(substitute);
  layout->addWidget(include);
  layout->addWidget(group);
  layout->addLayout(borderRow);
  layout->addLayout(MakeOkCancel(&dialog));
  if (!RunDialog(dialog, owner)) return 0;

  options->includePreview = preview->isChecked() ? 1 : 0;
  options->substitutePsFonts = substitute->isChecked() ? 1 : 0;
  options->includeFonts = include->isChecked() ? 1 : 0;
  if (options->includeFonts) options->type42 = type42->isChecked() ? 1 : 0;
  options->border = ClampBorder(float(ParseLeadingNumber(border->text())));
  return 1;
}

int32_t BitmapOptionsDialog(QWidget* owner, int32_t* smoothing) {
  if (!smoothing || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  dialog.setWindowTitle("Bitmap Options");
  auto* group = new QGroupBox("Smoothing", &dialog);
  auto* buttons = new QButtonGroup(&dialog);
  auto* groupLayout = new QVBoxLayout(group);
  const char* names[] = {"Off", "Normal", "Maximum"};
  for (int32_t i = 0; i < 3; ++i) {
    QRadioButton* button = MakeRadio(names[i], group, 1069 + i);
    buttons->addButton(button, i);
    groupLayout->addWidget(button);
  }
  const int32_t current = *smoothing >= 0 && *smoothing <= 2 ? *smoothing : 0;
  buttons->button(current)->setChecked(true);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(group);
  layout->addLayout(MakeOkCancel(&dialog));
  if (!RunDialog(dialog, owner)) return 0;
  *smoothing = buttons->checkedId();
  return 1;
}
