// "Color": a hue and saturation wheel, a brightness bar and four fields in the chosen model.
// The colour is kept as HSB while the dialog runs, so switching models loses nothing.
#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "model/Geometry.h"
#include "ui/dialogs/ColorModels.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/Dialogs.h"

namespace {

constexpr double kPi = 3.141592653589793;
enum Model { kRgb = 0, kHsb = 1, kCmyk = 2 };
constexpr int32_t kFieldCount = 4;

// The model shown, for the rest of the run.
int32_t& CurrentModel() {
  static int32_t model = kRgb;
  return model;
}

QColor ToQColor(const Rgb& c) {
  return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue));
}

// Truncated, but a value that is whole up to rounding noise (19.9999999 for 20) shows as such.
int32_t Whole(double percent) { return int32_t(percent + 1e-7); }

class ColorBox;

// A control that picks a colour where it is clicked or dragged with the left button.
class Picker : public QWidget {
 public:
  explicit Picker(ColorBox* box);

 protected:
  void mousePressEvent(QMouseEvent* e) override { Pick(e); }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() & Qt::LeftButton) Pick(e);
  }
  virtual void Pick(QMouseEvent* e) = 0;
  ColorBox* box_;
};

// The wheel: five rings of 24 hues, saturation falling towards the centre.
class Wheel : public Picker {
 public:
  explicit Wheel(ColorBox* box);
  double Radius() const { return double(std::min(width(), height()) / 2 / 5 * 5); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void Pick(QMouseEvent* e) override;
};

// The brightness bar: full at the top, black at the bottom.
class BrightnessBar : public Picker {
 public:
  explicit BrightnessBar(ColorBox* box);

 protected:
  void paintEvent(QPaintEvent*) override;
  void Pick(QMouseEvent* e) override;
};

class Sample : public QWidget {
 public:
  explicit Sample(ColorBox* box);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  ColorBox* box_;
};

class ColorBox : public QDialog {
 public:
  ColorBox(QWidget* owner, const Color& rgbPercent);

  const Hsb& hsb() const { return hsb_; }
  // From the wheel and the bar: the fields follow.
  void SetHueSaturation(double hue, double saturation) {
    hsb_.hue = hue;
    hsb_.saturation = saturation;
    Changed(true);
  }
  void SetBrightness(double brightness) {
    hsb_.brightness = brightness;
    Changed(true);
  }
  Color Result() const {
    Rgb rgb = HsbToRgb(hsb_);
    return Color{float(rgb.red * 100), float(rgb.green * 100), float(rgb.blue * 100)};
  }

 private:
  void ShowModel();
  void FillFields();
  void ReadFields();
  void Changed(bool fillFields) {
    if (fillFields) FillFields();
    wheel_->update();
    bar_->update();
    sample_->update();
  }

  Hsb hsb_;
  Wheel* wheel_;
  BrightnessBar* bar_;
  Sample* sample_;
  QLabel* labels_[kFieldCount];
  QLineEdit* fields_[kFieldCount];
};

Picker::Picker(ColorBox* box) : QWidget(box), box_(box) {}

Wheel::Wheel(ColorBox* box) : Picker(box) {
  setObjectName("1049");
  setFixedSize(170, 170);
}

void Wheel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  const double r = Radius();
  const QPointF c(width() / 2.0, height() / 2.0);
  for (int ring = 0; ring < 5; ++ring) {
    const double radius = r - ring * r / 5;
    const double saturation = 1.0 - ring * 0.2;
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    for (int sector = 0; sector < 24; ++sector) {
      p.setBrush(ToQColor(HsbToRgb({sector * 15.0, saturation, 1.0})));
      // A degree wider than the sector, so that no seams show between them.
      p.drawPie(box, sector * 15 * 16, 16 * 16);
    }
  }
  const Hsb& hsb = box_->hsb();
  const double angle = hsb.hue * kPi / 180;
  const QPointF at(c.x() + std::cos(angle) * hsb.saturation * r,
                   c.y() - std::sin(angle) * hsb.saturation * r);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 3));
  p.drawEllipse(at, 4, 4);
  p.setPen(QPen(Qt::black, 1));
  p.drawEllipse(at, 4, 4);
}

void Wheel::Pick(QMouseEvent* e) {
  const double r = Radius();
  const double dx = e->position().x() - width() / 2.0;
  const double dy = height() / 2.0 - e->position().y();
  const double distance = std::hypot(dx, dy);
  if (r <= 0 || distance > r) return;
  double angle = std::atan2(dy, dx) * 180 / kPi;
  if (angle < 0) angle += 360;
  box_->SetHueSaturation(angle, distance / r);
}

BrightnessBar::BrightnessBar(ColorBox* box) : Picker(box) {
  setObjectName("1052");
  setFixedSize(22, 170);
}

void BrightnessBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const Hsb& hsb = box_->hsb();
  QLinearGradient ramp(0, 0, 0, height());
  ramp.setColorAt(0, ToQColor(HsbToRgb({hsb.hue, hsb.saturation, 1.0})));
  ramp.setColorAt(1, Qt::black);
  p.fillRect(rect(), ramp);
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const int y = int(height() - hsb.brightness * height());
  p.setPen(QPen(Qt::white, 3));
  p.drawLine(0, y, width(), y);
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(0, y, width(), y);
}

void BrightnessBar::Pick(QMouseEvent* e) {
  const double h = height();
  const double y = std::max(0.0, e->position().y());
  if (h <= 0 || y > h) return;
  box_->SetBrightness((h - y) / h);
}

Sample::Sample(ColorBox* box) : QWidget(box), box_(box) {
  setObjectName("1004");
  setFixedSize(90, 40);
}

void Sample::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ToQColor(HsbToRgb(box_->hsb())));
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

ColorBox::ColorBox(QWidget* owner, const Color& c) : QDialog(owner) {
  setWindowTitle("Color");
  hsb_ = RgbToHsb({c.red / 100.0, c.green / 100.0, c.blue / 100.0});
  wheel_ = new Wheel(this);
  bar_ = new BrightnessBar(this);
  sample_ = new Sample(this);

  auto* group = new QGroupBox("Color Model", this);
  auto* models = new QButtonGroup(this);
  auto* groupLayout = new QVBoxLayout(group);
  const char* names[] = {"RGB", "HSB", "CMYK"};
  for (int32_t i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(names[i], group);
    button->setObjectName(QString::number(1008 + i));
    models->addButton(button, i);
    groupLayout->addWidget(button);
  }
  models->button(CurrentModel())->setChecked(true);
  QObject::connect(models, &QButtonGroup::idClicked, this, [this](int id) {
    CurrentModel() = id;
    ShowModel();
  });

  auto* fieldGrid = new QGridLayout;
  for (int32_t i = 0; i < kFieldCount; ++i) {
    labels_[i] = MakeLabel(QString(), this, 1053 + i);
    fields_[i] = MakeField(this, 1039 + i);
    fields_[i]->setMaximumWidth(50);
    fieldGrid->addWidget(labels_[i], i, 0);
    fieldGrid->addWidget(fields_[i], i, 1);
    // Typing changes the colour but leaves the text as typed.
    QObject::connect(fields_[i], &QLineEdit::textEdited, this, [this] {
      ReadFields();
      Changed(false);
    });
  }

  auto* right = new QVBoxLayout;
  right->addWidget(group);
  right->addLayout(fieldGrid);
  right->addWidget(sample_, 0, Qt::AlignHCenter);
  right->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(wheel_);
  top->addWidget(bar_);
  top->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(MakeOkCancel(this));
  ShowModel();
}

void ColorBox::ShowModel() {
  static const char* const kLabels[3][kFieldCount] = {{"Red:", "Green:", "Blue:", ""},
                                                      {"Hue:", "Saturation:", "Brightness:", ""},
                                                      {"Cyan:", "Magenta:", "Yellow:", "Black:"}};
  const int32_t model = CurrentModel();
  for (int32_t i = 0; i < kFieldCount; ++i) labels_[i]->setText(kLabels[model][i]);
  labels_[3]->setVisible(model == kCmyk);
  fields_[3]->setVisible(model == kCmyk);
  FillFields();
}

void ColorBox::FillFields() {
  const Rgb rgb = HsbToRgb(hsb_);
  const Rgb percent{rgb.red * 100, rgb.green * 100, rgb.blue * 100};
  double values[kFieldCount] = {0, 0, 0, 0};
  switch (CurrentModel()) {
    case kRgb:
      values[0] = percent.red, values[1] = percent.green, values[2] = percent.blue;
      break;
    case kHsb:
      values[0] = hsb_.hue * 100 / 360;
      values[1] = hsb_.saturation * 100;
      values[2] = hsb_.brightness * 100;
      break;
    default: {
      const Cmyk cmyk = RgbToCmyk(percent);
      values[0] = cmyk.cyan, values[1] = cmyk.magenta, values[2] = cmyk.yellow;
      values[3] = cmyk.black;
    }
  }
  for (int32_t i = 0; i < kFieldCount; ++i) fields_[i]->setText(QString::number(Whole(values[i])));
}

void ColorBox::ReadFields() {
  double v[kFieldCount];
  for (int32_t i = 0; i < kFieldCount; ++i) {
    int64_t n = 0;
    if (!ParseWholeNumber(fields_[i]->text(), false, &n)) n = 0;
    // Beyond 100 percent no model has a meaning.
    v[i] = double(std::min<int64_t>(n, 100));
  }
  switch (CurrentModel()) {
    case kRgb:
      hsb_ = RgbToHsb({v[0] / 100, v[1] / 100, v[2] / 100});
      break;
    case kHsb:
      hsb_ = Hsb{v[0] * 360 / 100, v[1] / 100, v[2] / 100};
      break;
    default: {
      const Rgb rgb = CmykToRgb({v[0], v[1], v[2], v[3]});
      hsb_ = RgbToHsb({rgb.red / 100, rgb.green / 100, rgb.blue / 100});
    }
  }
}

}  // namespace

int32_t ColorDialog(QWidget* owner, Color* rgb) {
  if (!rgb || !CanShowDialogs()) return 0;
  ColorBox dialog(owner, *rgb);
  if (!RunDialog(dialog, owner)) return 0;
  *rgb = dialog.Result();
  return 1;
}
