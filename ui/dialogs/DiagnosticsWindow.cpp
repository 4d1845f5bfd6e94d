#include "ui/dialogs/DiagnosticsWindow.h"

#include <QCloseEvent>
#include <QDialog>
#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>
#include <string>

#include "model/DebugLog.h"

namespace {

class Diagnostics;

struct State {
  QPointer<QWidget> owner;
  QPointer<Diagnostics> window;
  bool closed = false;
};

State& Current() {
  static State state;
  return state;
}

class Diagnostics : public QDialog {
 public:
  explicit Diagnostics(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Diagnostics");
    setModal(false);
    // New lines must not take the keyboard from the drawing.
    setAttribute(Qt::WA_ShowWithoutActivating);
    list_ = new QListWidget(this);
    list_->setObjectName("3000");
    // One line each: keeps adding and scrolling to the newest cheap with a full list.
    list_->setUniformItemSizes(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    resize(420, 240);
  }

  void Append(const QString& line) {
    list_->addItem(line);
    while (list_->count() > int(kDebugLogLines)) delete list_->takeItem(0);
    list_->setCurrentRow(list_->count() - 1);
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    Current().closed = true;
    Current().window = nullptr;
    e->accept();
    deleteLater();
  }

 private:
  QListWidget* list_;
};

void ShowLine(const std::string& line) {
  State& s = Current();
  if (s.closed) return;
  if (!s.window) {
    s.window = new Diagnostics(s.owner);
    s.window->show();
  }
  s.window->Append(QString::fromStdString(line));
}

}  // namespace

void InstallDiagnosticsWindow(QWidget* owner) {
  RemoveDiagnosticsWindow();
  Current().owner = owner;
  SetDebugLogHandler(&ShowLine);
}

void RemoveDiagnosticsWindow() {
  SetDebugLogHandler(nullptr);
  State& s = Current();
  delete s.window.data();
  s = State{};
}

QWidget* DiagnosticsWindow() { return Current().window.data(); }
