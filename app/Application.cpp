#include "app/Application.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

#include "platform/msgbox/Messages.h"
#include "render/RegisterRender.h"

namespace {

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

int RunApplication(int argc, char** argv, const std::string& /*fileToOpen*/) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Ondara Draw");
  SetMessageHandler(&ShowBox);
  RegisterRender();
  QMainWindow window;
  window.setWindowTitle("Ondara Draw - (Untitled)");
  window.resize(800, 600);
  window.show();
  return app.exec();
}
