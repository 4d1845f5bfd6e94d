// "Font": the faces by PostScript name, the size list and a sample of the chosen face.
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <cstring>
#include <string>

#include "fonts/FontFace.h"
#include "fonts/FontManager.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "platform/msgbox/Messages.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

constexpr int32_t kMaxFontSize = 250;
constexpr const char* kSampleText = "AaBbYyZz";
const int32_t kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// The face whose PostScript name is exactly `name`; null when there is none.
FontFace* FaceNamed(const QString& name) {
  FontManager* fonts = TheFontManager();
  if (!fonts || name.isEmpty()) return nullptr;
  const std::string wanted = name.toStdString();
  for (FontFace* face : fonts->GetFontList()) {
    if (wanted == face->PostScriptName()) return face;
  }
  return nullptr;
}

// The sample text in the chosen face and size, centred on the button-face colour.
class FontSample : public QWidget {
 public:
  explicit FontSample(QWidget* parent) : QWidget(parent) {
    setObjectName("1004");
    setFixedSize(260, 70);
  }
  void Show(FontFace* face, float size) {
    face_ = face;
    size_ = size;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QColor back = palette().color(QPalette::Button);
    FontManager* fonts = TheFontManager();
    gdi::QImageDevice device(width(), height());
    if (!device.IsValid()) return;
    device.image().fill(back);
    if (face_ && fonts && size_ > 0) {
      // Sizes are points; the screen shows them at its own resolution.
      const float pixels = size_ * float(logicalDpiY()) / 72.0f;
      const int32_t length = int32_t(std::strlen(kSampleText));
      const float width = face_->StringWidth(kSampleText, length, pixels);
      const float ascent = face_->Ascent(pixels), descent = face_->Descent(pixels);
      const int32_t x = int32_t((float(device.width()) - width) / 2);
      const int32_t y = int32_t((float(device.height()) + ascent + descent) / 2);
      // Device space runs downwards, so the text matrix turns the glyphs upright.
      fonts->DrawTextRun(&device, x, y, face_, pixels, 0, 0, 0, 1, 0, 0, -1, kSampleText, length);
    }
    p.drawImage(0, 0, device.image());
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }

 private:
  FontFace* face_ = nullptr;
  float size_ = 0;
};

}  // namespace

int32_t FontDialog(QWidget* owner, FontFace** face, float* size) {
  if (!face || !size || !CanShowDialogs()) return 0;
  QDialog dialog(owner);
  dialog.setWindowTitle("Font");

  auto* names = new QComboBox(&dialog);
  names->setObjectName("1006");
  names->setEditable(true);
  names->setInsertPolicy(QComboBox::NoInsert);
  if (FontManager* fonts = TheFontManager()) {
    for (FontFace* f : fonts->GetFontList()) names->addItem(f->PostScriptName());
  }
  names->setCurrentIndex(*face ? names->findText((*face)->PostScriptName()) : -1);
  names->setEditText(*face ? QString((*face)->PostScriptName()) : QString());

  auto* sizes = new QComboBox(&dialog);
  sizes->setObjectName("1005");
  sizes->setEditable(true);
  sizes->setInsertPolicy(QComboBox::NoInsert);
  for (int32_t s : kSizes) sizes->addItem(QString::number(s));
  const QString sizeText = FormatG(*size);
  sizes->setCurrentIndex(sizes->findText(sizeText));
  sizes->setEditText(sizeText);

  auto* sample = new FontSample(&dialog);
  auto showSample = [=] {
    const double typed = ParseLeadingNumber(sizes->currentText());
    sample->Show(FaceNamed(names->currentText()),
                 typed >= 1 && typed <= kMaxFontSize ? float(typed) : 0);
  };
  QObject::connect(names, &QComboBox::currentTextChanged, &dialog, showSample);
  QObject::connect(sizes, &QComboBox::currentTextChanged, &dialog, showSample);
  showSample();

  FontFace* chosen = *face;
  float chosenSize = *size;
  auto validate = [&]() -> bool {
    const double typed = ParseLeadingNumber(sizes->currentText());
    if (!(typed >= 1 && typed <= kMaxFontSize)) {
      ShowError(Format("Font size must be between 1 and %d", kMaxFontSize));
      // Selected, so the corrected value replaces the wrong one rather than joining it.
      sizes->setFocus();
      sizes->lineEdit()->selectAll();
      return false;
    }
    const QString name = names->currentText().trimmed();
    // Nothing named and nothing chosen before: only the size changes.
    if (name.isEmpty() && !*face) {
      chosen = nullptr;
    } else if (!(chosen = FaceNamed(name))) {
      ShowError("Can't find specified font");
      names->setFocus();
      names->lineEdit()->selectAll();
      return false;
    }
    chosenSize = float(typed);
    return true;
  };

  auto* grid = new QGridLayout;
  grid->addWidget(MakeLabel("Font:", &dialog), 0, 0);
  grid->addWidget(names, 0, 1);
  grid->addWidget(MakeLabel("Size:", &dialog), 1, 0);
  grid->addWidget(sizes, 1, 1);
  grid->addWidget(MakeLabel("Sample:", &dialog), 2, 0, Qt::AlignTop);
  grid->addWidget(sample, 2, 1);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(grid);
  layout->addLayout(MakeOkCancel(&dialog, validate));
  if (!RunDialog(dialog, owner)) return 0;
  if (chosen) *face = chosen;
  *size = chosenSize;
  return 1;
}
