#include "ui/dialogs/ProgressWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/DialogSupport.h"

ProgressWindow::ProgressWindow(QWidget* owner) : owner_(owner) {
  if (owner_) {
    focus_ = owner_->window()->focusWidget();
    owner_->setEnabled(false);
  }
  // No parent: a disabled owner would disable its child windows, Cancel with them.
  window_ = new QDialog(nullptr, Qt::Dialog);
  window_->setObjectName("PROGRESSDLG");
  window_->setWindowTitle("Progress");
  window_->setAttribute(Qt::WA_DeleteOnClose, false);
  auto* layout = new QVBoxLayout(window_);
  text_ = new QLabel("Working...", window_);
  text_->setObjectName("1068");
  bar_ = new QProgressBar(window_);
  bar_->setObjectName("1067");
  bar_->setRange(0, 100);
  bar_->setValue(0);
  auto* cancel = new QPushButton("Cancel", window_);
  cancel->setObjectName("2");
  layout->addWidget(text_);
  layout->addWidget(bar_);
  layout->addWidget(cancel, 0, Qt::AlignHCenter);
  QObject::connect(cancel, &QPushButton::clicked, window_, [this] { Cancel(); });
  // Closing the window is pressing Cancel.
  QObject::connect(window_, &QDialog::rejected, window_, [this] { Cancel(); });
  // Kept on the screen even when the owner is partly off it, so Cancel can always be reached.
  window_->adjustSize();
  CenterOverParent(window_, owner_);
  window_->show();
  QCoreApplication::processEvents();
}

ProgressWindow::~ProgressWindow() { Close(); }

void ProgressWindow::Start(int32_t total) {
  total_ = total;
  SetPosition(0, total);
}

bool ProgressWindow::Advance() {
  SetPosition(position_ + 1, total_);
  return !cancelled_;
}

void ProgressWindow::SetText(const char* text) {
  if (window_ && text) text_->setText(QString::fromLatin1(text));
}

void ProgressWindow::SetPosition(int32_t position, int32_t max) {
  position_ = position;
  if (window_ && max > 0) {
    bar_->setValue(int(int64_t(position) * 100 / max));
  }
  // The export runs on this thread: the user's Cancel arrives only if its events are taken.
  QCoreApplication::processEvents();
}

void ProgressWindow::Cancel() {
  if (cancelled_) return;
  cancelled_ = true;
  Close();
}

void ProgressWindow::Close() {
  if (owner_) owner_->setEnabled(true);
  bool hadKeyboard = false;
  if (window_) {
    QDialog* w = window_;
    window_ = nullptr;
    hadKeyboard = w->windowHandle() && w->windowHandle() == QGuiApplication::focusWindow();
    QObject::disconnect(w, nullptr, nullptr, nullptr);
    w->hide();
    w->deleteLater();
  }
  // Disabling the owner took the keyboard from the control that had it; without this the
  // arrow keys and Delete would reach nobody after an export until the user clicks somewhere.
  if (owner_ && owner_->isVisible()) {
    if (hadKeyboard || !QGuiApplication::focusWindow()) owner_->window()->activateWindow();
    if (focus_) focus_->setFocus(Qt::OtherFocusReason);
    focus_ = nullptr;
  }
}
