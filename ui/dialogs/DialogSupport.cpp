#include "ui/dialogs/DialogSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <charconv>
#include <cstdio>
#include <limits>

void CenterOverParent(QWidget* dialog, QWidget* owner) {
  QWidget* top = owner ? owner->window() : nullptr;
  QScreen* screen = top ? top->screen() : QGuiApplication::primaryScreen();
  const QRect desk = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const QPoint centre = top ? top->frameGeometry().center() : desk.center();
  QSize size = dialog->frameGeometry().size();
  if (!dialog->isVisible()) size = dialog->sizeHint().expandedTo(dialog->minimumSize());
  int x = centre.x() - size.width() / 2;
  int y = centre.y() - size.height() / 2;
  x = std::max(desk.left(), std::min(x, desk.right() + 1 - size.width()));
  y = std::max(desk.top(), std::min(y, desk.bottom() + 1 - size.height()));
  dialog->move(x, y);
}

bool CanShowDialogs() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
  // Without a widget application there is no box to show it in either.
  std::fprintf(stderr, "System Error: Unable to display dialog\n");
  return false;
}

int32_t RunDialog(QDialog& dialog, QWidget* owner) {
  // A dialog whose OK and Cancel row was made before its controls has the buttons first in the
  // tab order, and OK would take the focus; the controls go first, and typing replaces the
  // first field's text.
  QList<QWidget*> chain;
  for (QWidget* w = dialog.nextInFocusChain(); w && w != &dialog; w = w->nextInFocusChain())
    if (w->focusPolicy() & Qt::TabFocus) chain.append(w);
  auto* ok = dialog.findChild<QPushButton*>("1");
  auto* cancel = dialog.findChild<QPushButton*>("2");
  QWidget* first = chain.isEmpty() ? nullptr : chain[0];
  if (chain.size() > 2 && chain[0] == ok && chain[1] == cancel) {
    QWidget::setTabOrder(chain.last(), ok);
    QWidget::setTabOrder(ok, cancel);
    first = chain[2];
  }
  // The first control (or the one the dialog chose) takes the focus with its text selected,
  // whichever order the dialog was built in, so typing a value replaces the old one instead of
  // being appended to it.
  if (dialog.focusWidget()) first = dialog.focusWidget();
  if (first) {
    first->setFocus();
    auto* combo = qobject_cast<QComboBox*>(first);
    QLineEdit* field = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(first);
    if (field) field->selectAll();
  }
  dialog.adjustSize();
  CenterOverParent(&dialog, owner);
  return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

QHBoxLayout* MakeOkCancel(QDialog* dialog, std::function<bool()> validate) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  auto* ok = new QPushButton("OK", dialog);
  ok->setObjectName("1");
  ok->setDefault(true);
  ok->setAutoDefault(true);
  auto* cancel = new QPushButton("Cancel", dialog);
  cancel->setObjectName("2");
  cancel->setAutoDefault(false);
  row->addWidget(ok);
  row->addWidget(cancel);
  QObject::connect(ok, &QPushButton::clicked, dialog, [dialog, validate] {
    if (!validate || validate()) dialog->accept();
  });
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return row;
}

QLineEdit* MakeField(QWidget* parent, int32_t id) {
  auto* field = new QLineEdit(parent);
  if (id) field->setObjectName(QString::number(id));
  return field;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, int32_t id) {
  auto* label = new QLabel(text, parent);
  if (id) label->setObjectName(QString::number(id));
  return label;
}

QLineEdit* AddFieldRow(QGridLayout* grid, int row, const QString& label, int32_t id,
                       const QString& unit, const QString& text) {
  QWidget* parent = grid->parentWidget();
  QLineEdit* field = MakeField(parent, id);
  field->setText(text);
  field->setMaximumWidth(80);
  grid->addWidget(MakeLabel(label, parent), row, 0);
  grid->addWidget(field, row, 1);
  grid->addWidget(MakeLabel(unit, parent), row, 2);
  return field;
}

bool ParseWholeNumber(const QString& text, bool withSign, int64_t* out) {
  const QString t = text.trimmed();
  int i = 0;
  bool negative = false;
  if (withSign && i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i == t.size()) return false;
  int64_t value = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    value = value * 10 + (t[i].unicode() - '0');
    if (value > int64_t(std::numeric_limits<uint32_t>::max())) return false;
  }
  if (negative) value = -value;
  const int64_t lo = withSign ? std::numeric_limits<int32_t>::min() : 0;
  const int64_t hi = withSign ? int64_t(std::numeric_limits<int32_t>::max())
                              : int64_t(std::numeric_limits<uint32_t>::max());
  if (value < lo || value > hi) return false;
  *out = value;
  return true;
}

double ParseLeadingNumber(const QString& text) {
  const QByteArray bytes = text.trimmed().toLatin1();
  const char* p = bytes.constData();
  const char* end = p + bytes.size();
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p < end && *p == '-') return 0;
  double value = 0;
  // from_chars reads no sign and never consults the locale.
  if (std::from_chars(p, end, value).ec != std::errc()) return 0;
  return negative ? -value : value;
}

QString FormatG(double value) { return QString::asprintf("%g", value); }
