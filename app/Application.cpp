#include "app/Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "app/AppState.h"
#include "app/Autosave.h"
#include "app/Document.h"
#include "app/DrawingWindow.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "app/ToolPalette.h"
#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "platform/msgbox/Messages.h"
#include "render/RegisterRender.h"
#include "tools/Tool.h"
#include "tools/ToolCursors.h"
#include "ui/dialogs/DiagnosticsWindow.h"

namespace {

constexpr int kSplashMilliseconds = 1000;

void RepaintStatus(const std::string&) {
  if (MainWindow* w = App().mainWindow) {
    StatusBar* bar = w->statusBar();
    bar->repaint(bar->MessageField());
  }
}

void RedrawToolButtons(int oldId, int newId) {
  if (MainWindow* w = App().mainWindow) {
    w->palette()->RedrawButton(oldId);
    w->palette()->RedrawButton(newId);
  }
}

// The stored geometry, where the system's choice is not asked for. Sizes that could not be a
// window's are left to the system too.
void PlaceWindow(QWidget* window, const Settings& s) {
  QRect available(0, 0, 1024, 768);
  if (QScreen* screen = QGuiApplication::primaryScreen()) available = screen->availableGeometry();
  QSize size(available.width() * 3 / 4, available.height() * 3 / 4);
  if (s.width != kDefaultWindowPosition && s.width > 0 && s.height > 0) {
    size = QSize(s.width, s.height);
  }
  if (s.left != kDefaultWindowPosition) {
    window->setGeometry(s.left, s.top, size.width(), size.height());
  } else {
    window->resize(size);
  }
}

}  // namespace

Application::Application(std::string programDir) : drawing_(std::make_unique<Drawing>()) {
  App() = AppState{};
  App().programDir = std::move(programDir);
  App().drawing = drawing_.get();
}

Application::~Application() {
  Finish();
  App() = AppState{};
}

void Application::ShowSplash() {
  QPixmap picture(":/res/aboutbmp.png");
  if (picture.isNull()) return;
  splash_ = std::make_unique<QLabel>();
  splash_->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  splash_->setAttribute(Qt::WA_QuitOnClose, false);
  splash_->setPixmap(picture);
  splash_->setFixedSize(picture.size() / picture.devicePixelRatio());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect desk = screen->geometry();
    splash_->move(desk.center() - splash_->rect().center());
  }
  splash_->show();
}

void Application::CloseSplash() {
  splashTimer_.stop();
  splash_.reset();
}

void Application::Start(const std::string& fileToOpen) {
  ShowSplash();

  Settings& s = App().settings;
  s = ReadSettings();
  App().firstRun = s.version != kSettingsVersion;
  drawing_->pageSize = PaperFromIndex(s.paper);
  drawing_->units = static_cast<Units>(s.units);
  TheExportOptions().type42 = s.type42ok;
  TheExportOptions().substitutePsFonts = s.substPsForTT;

  window_ = std::make_unique<MainWindow>(drawing_.get());
  App().mainWindow = window_.get();
  App().client = window_->client();
  InstallDiagnosticsWindow(window_.get());
  SetStatusHandler(&RepaintStatus);
  SetToolChangeHandler(&RedrawToolButtons);
  SetToolCursorWidget(window_->client()->viewport());
  CreateTools();
  PlaceWindow(window_.get(), s);
  if (s.maximized) {
    window_->showMaximized();
  } else {
    window_->show();
  }
  // With the main window up, the splash stops floating above everything; it stays where it is
  // and does not take the focus from the main window.
  if (splash_) {
    splash_->setAttribute(Qt::WA_ShowWithoutActivating);
    splash_->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    splash_->show();
  }
  window_->activateWindow();

  // Reports an out-of-date Type 1 bridge itself. Its default face is the font of new text, and
  // the one the Font dialog shows, until the user picks another.
  if (FontManager* fonts = ChooseFontManager()) App().textFont = fonts->DefaultFace();

  splashTimer_.setSingleShot(true);
  QObject::connect(&splashTimer_, &QTimer::timeout, [this] { CloseSplash(); });
  splashTimer_.start(kSplashMilliseconds);

  if (!fileToOpen.empty()) {
    // Absolute, so the caption and the written title name the file.
    OpenAsCurrentFile(
        QFileInfo(QString::fromStdString(fileToOpen)).absoluteFilePath().toStdString());
  }
  autosaver_ = std::make_unique<Autosaver>(drawing_.get(), s.autosaveSeconds);
  SetTheAutosaver(autosaver_.get());
  OfferRecovery(window_.get());
  UpdateTitle();
  window_->client()->setFocus();
  OfferTips();
}

void Application::OfferTips() {
  const QString tips = QString::fromStdString(App().programDir) + "/tips.txt";
  if (!App().firstRun || !QFileInfo::exists(tips)) return;
  const QString text =
      "Before using Ondara Draw 3.1 for the first time, you must\n"
      "read \"Tips to make Ondara Draw fun and easy to use.\"\n"
      "Would you like to read the tips now?";
  if (AskQuestion(window_.get(), "Before you start", text, false) != Answer::kNo) {
    OpenWithDesktop(tips);
  }
}

void Application::Finish() {
  if (finished_ || !window_) return;
  finished_ = true;
  CloseSplash();
  Settings& s = App().settings;
  s.maximized = window_->isMaximized() ? 1 : 0;
  const QRect normal = window_->normalGeometry();
  s.left = normal.x();
  s.top = normal.y();
  s.width = normal.width();
  s.height = normal.height();
  s.units = drawing_->units;
  s.type42ok = TheExportOptions().type42;
  s.substPsForTT = TheExportOptions().substitutePsFonts;
  s.paper = PaperIndexOf(drawing_->pageSize);
  WriteSettings(s);
  if (autosaver_) autosaver_->Shutdown();  // a clean exit leaves no autosave behind
  autosaver_.reset();
  SetStatusHandler(nullptr);
  SetToolChangeHandler(nullptr);
  SetToolCursorWidget(nullptr);
  RemoveDiagnosticsWindow();
  window_.reset();
  App().mainWindow = nullptr;
  App().client = nullptr;
  App().textFont = nullptr;  // a face of the manager about to go
  SetFontManager(nullptr);
}

int RunApplication(int argc, char** argv, const std::string& fileToOpen) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName("Ondara Draw");
  // The pictures are compiled into a static library; this keeps them linked in.
  Q_INIT_RESOURCE(resources);
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256})
    icon.addFile(QString(":/res/qlxicon%1.png").arg(size));
  QApplication::setWindowIcon(icon);
  InstallMessageBoxes();
  RegisterRender();
  int code = 0;
  {
    Application app(QCoreApplication::applicationDirPath().toStdString());
    app.Start(fileToOpen);
    code = QApplication::exec();
    app.Finish();
  }
  SetMessageHandler(nullptr);
  return code;
}
