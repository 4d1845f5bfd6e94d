#include "app/Prompts.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "platform/msgbox/Messages.h"

namespace {

QuestionHook& Question() {
  static QuestionHook hook;
  return hook;
}

OpenHook& Opener() {
  static OpenHook hook;
  return hook;
}

// Task-modal boxes without an owner.
void ShowBox(MessageKind kind, const std::string& text) {
  QString t = QString::fromStdString(text);
  switch (kind) {
    case MessageKind::kError:
      QMessageBox::critical(nullptr, "Error", t);
      break;
    case MessageKind::kWarning:
      QMessageBox::warning(nullptr, "Warning", t);
      break;
    case MessageKind::kInfo:
      QMessageBox::information(nullptr, "Ondara", t);
      break;
  }
}

}  // namespace

Answer AskQuestion(QWidget* owner, const QString& title, const QString& text, bool withCancel) {
  if (Question()) return Question()(title, text);
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
  if (withCancel) buttons |= QMessageBox::Cancel;
  switch (QMessageBox::question(owner, title, text, buttons)) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

void OpenWithDesktop(const QString& path) {
  if (Opener()) {
    Opener()(path);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void InstallMessageBoxes() { SetMessageHandler(&ShowBox); }
void SetQuestionHook(QuestionHook hook) { Question() = std::move(hook); }
void SetOpenHook(OpenHook hook) { Opener() = std::move(hook); }
