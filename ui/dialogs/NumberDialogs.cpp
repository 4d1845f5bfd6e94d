// "Move", "Scale", "Rotate" and "Leading": the dialogs of one or two numbers.
#include <QDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

// A dialog titled `title` with a grid for its rows above OK and Cancel.
QGridLayout* Frame(QDialog& dialog, const char* title) {
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  layout->addLayout(MakeOkCancel(&dialog));
  return grid;
}

int64_t NumberOr(const QLineEdit* field, bool withSign, int64_t fallback) {
  int64_t n = 0;
  return ParseWholeNumber(field->text(), withSign, &n) ? n : fallback;
}

}  // namespace

int32_t MoveDialog(QWidget* owner, int32_t* dx, int32_t* dy) {
  if (!dx || !dy || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  QGridLayout* grid = Frame(dialog, "Move");
  QLineEdit* h = AddFieldRow(grid, 0, "Horizontal:", 1039, "Points", QString::number(*dx));
  QLineEdit* v = AddFieldRow(grid, 1, "Vertical:", 1040, "Points", QString::number(*dy));
  if (!RunDialog(dialog, owner)) return 0;
  *dx = int32_t(NumberOr(h, true, 0));
  *dy = int32_t(NumberOr(v, true, 0));
  return 1;
}

int32_t ScaleDialog(QWidget* owner, uint32_t* sx, uint32_t* sy) {
  if (!sx || !sy || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  QGridLayout* grid = Frame(dialog, "Scale");
  QLineEdit* h = AddFieldRow(grid, 0, "Horizontal:", 1039, "%", QString::number(*sx));
  QLineEdit* v = AddFieldRow(grid, 1, "Vertical:", 1040, "%", QString::number(*sy));
  if (!RunDialog(dialog, owner)) return 0;
  // A scale of nothing would flatten the selection beyond repair.
  const int64_t x = NumberOr(h, false, 0), y = NumberOr(v, false, 0);
  *sx = x ? uint32_t(x) : 100;
  *sy = y ? uint32_t(y) : 100;
  return 1;
}

int32_t RotateDialog(QWidget* owner, int32_t* degrees) {
  if (!degrees || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  QGridLayout* grid = Frame(dialog, "Rotate");
  QLineEdit* a = AddFieldRow(grid, 0, "Angle:", 1039, "Degrees", QString::number(*degrees));
  if (!RunDialog(dialog, owner)) return 0;
  *degrees = int32_t(NumberOr(a, true, 0));
  return 1;
}

int32_t LeadingDialog(QWidget* owner, float* leading) {
  if (!leading || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  QGridLayout* grid = Frame(dialog, "Leading");
  QLineEdit* l = AddFieldRow(grid, 0, "Leading:", 1039, "Points", FormatG(*leading));
  if (!RunDialog(dialog, owner)) return 0;
  *leading = float(ParseLeadingNumber(l->text()));
  return 1;
}
