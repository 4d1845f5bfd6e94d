// "Grid": the spacing and the show and snap switches.
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/Drawing.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

constexpr int32_t kMaxSpacing = 72;

// A spacing outside 1..72 points would hide the page under lines or show none.
int32_t Spacing(const QLineEdit* field) {
  int64_t n = 0;
  if (!ParseWholeNumber(field->text(), true, &n) || n < 1 || n > kMaxSpacing) return 1;
  return int32_t(n);
}

}  // namespace

int32_t GridDialog(QWidget* owner, GridSettings* grid) {
  if (!grid || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  dialog.setWindowTitle("Grid");
  auto* layout = new QVBoxLayout(&dialog);
  auto* spacing = new QGroupBox("Spacing", &dialog);
  auto* rows = new QGridLayout(spacing);
  QLineEdit* h =
      AddFieldRow(rows, 0, "Horizontal:", 1013, "points", QString::number(grid->hSpacing));
  // The label's spelling is the program's own.
  QLineEdit* v = AddFieldRow(rows, 1, "Veritcal:", 1014, "points", QString::number(grid->vSpacing));
  auto* show = new QCheckBox("Show Grid", &dialog);
  show->setObjectName("1015");
  show->setChecked(grid->show);
  auto* snap = new QCheckBox("Snap to Grid", &dialog);
  snap->setObjectName("1016");
  snap->setChecked(grid->snap);
  layout->addWidget(spacing);
  layout->addWidget(show);
  layout->addWidget(snap);
  layout->addLayout(MakeOkCancel(&dialog));
  if (!RunDialog(dialog, owner)) return 0;
  grid->hSpacing = Spacing(h);
  grid->vSpacing = Spacing(v);
  grid->show = show->isChecked() ? 1 : 0;
  grid->snap = snap->isChecked() ? 1 : 0;
  return 1;
}
