// "Options": the units and the page size.
#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

struct Paper {
  const char* name;
  int32_t id, width, height;
};
constexpr Paper kPapers[] = {
    {"Letter", 1021, 612, 792}, {"Legal", 1022, 612, 1008}, {"A4", 1023, 595, 842}};
constexpr int32_t kA4 = 2;

// Radio buttons in a group box, numbered 0.. in `buttons`.
QGroupBox* RadioGroup(QDialog* dialog, const char* title, QButtonGroup* buttons,
                      std::initializer_list<std::pair<const char*, int32_t>> items) {
  auto* group = new QGroupBox(title, dialog);
  auto* layout = new QVBoxLayout(group);
  int i = 0;
  for (const auto& [text, id] : items) {
    auto* button = new QRadioButton(text, group);
    button->setObjectName(QString::number(id));
    buttons->addButton(button, i++);
    layout->addWidget(button);
  }
  return group;
}

}  // namespace

int32_t OptionsDialog(QWidget* owner, int32_t* units, int32_t* pageWidth, int32_t* pageHeight) {
  if (!units || !pageWidth || !pageHeight || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  dialog.setWindowTitle("Options");
  auto* unitButtons = new QButtonGroup(&dialog);
  auto* paperButtons = new QButtonGroup(&dialog);
  QGroupBox* unitGroup = RadioGroup(&dialog, "Units", unitButtons,
                                    {{"Inches", 1007}, {"Points", 1018}, {"Centimeters", 1051}});
  QGroupBox* paperGroup = RadioGroup(&dialog, "Page Size", paperButtons,
                                     {{kPapers[0].name, kPapers[0].id},
                                      {kPapers[1].name, kPapers[1].id},
                                      {kPapers[2].name, kPapers[2].id}});
  if (QAbstractButton* b = unitButtons->button(*units)) b->setChecked(true);
  // Any size that is neither Letter nor Legal shows as A4.
  int32_t paper = kA4;
  for (int32_t i = 0; i < kA4; ++i) {
    if (*pageWidth == kPapers[i].width && *pageHeight == kPapers[i].height) paper = i;
  }
  paperButtons->button(paper)->setChecked(true);

  auto* groups = new QHBoxLayout;
  groups->addWidget(unitGroup);
  groups->addWidget(paperGroup);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(groups);
  layout->addLayout(MakeOkCancel(&dialog));
  if (!RunDialog(dialog, owner)) return 0;
  if (unitButtons->checkedId() >= 0) *units = unitButtons->checkedId();
  const Paper& chosen = kPapers[paperButtons->checkedId()];
  *pageWidth = chosen.width;
  *pageHeight = chosen.height;
  return 1;
}
