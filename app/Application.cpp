#include "app/Application.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QMessageBox>

#include "platform/msgbox/Messages.h"

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
  // The pictures are compiled into a static library; this keeps them linked in.
  Q_INIT_RESOURCE(resources);
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QString(":/res/qlxicon%1.png").arg(size));
  }
  QApplication::setWindowIcon(icon);
  SetMessageHandler(&ShowBox);
  QMainWindow window;
  window.setWindowTitle("Ondara Draw - (Untitled)");
  window.resize(800, 600);
  window.show();
  return app.exec();
}
