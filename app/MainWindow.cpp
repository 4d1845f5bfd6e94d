#include "app/MainWindow.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "app/BarButton.h"
#include "app/ButtonBar.h"
#include "app/Commands.h"
#include "app/DesktopClipboard.h"
#include "app/Document.h"
#include "app/DrawingWindow.h"
#include "app/Menus.h"
#include "app/StatusBar.h"
#include "app/ToolPalette.h"
#include "model/Drawing.h"
#include "tools/Tool.h"

namespace {

// The client area: a plain widget whose children the main window places itself.
class FrameArea : public QWidget {
 public:
  explicit FrameArea(MainWindow* owner) : QWidget(owner), owner_(owner) {}

 protected:
  void resizeEvent(QResizeEvent*) override { owner_->LayOut(width(), height()); }

 private:
  MainWindow* owner_;
};

// The first dropped local file, or "" when none is a local file.
QString FirstLocalFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

// Watches modal dialogs close and gives the keyboard back to the main window when no window of
// the program has it afterwards. Only a closing dialog triggers it, so switching to another
// program never pulls the focus back.
class DialogFocusKeeper : public QObject {
 public:
  explicit DialogFocusKeeper(QWidget* main) : QObject(main), main_(main) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      if (w->isWindow() && w->isModal() && w != main_) {
        QTimer::singleShot(0, main_, [main = main_] {
          if (!QGuiApplication::focusWindow() && !QApplication::activeModalWidget() &&
              main->isVisible())
            main->activateWindow();
        });
      }
    }
    return false;
  }

 private:
  QWidget* main_;
};

}  // namespace

MainWindow::MainWindow(Drawing* drawing) : drawing_(drawing) {
  setObjectName("quillory_frame");
  setWindowTitle("Ondara Draw");
  setAcceptDrops(true);
  auto* area = new FrameArea(this);
  setCentralWidget(area);
  // Created in this order so the drawing window comes last in the focus chain.
  palette_ = new ToolPalette(area);
  styleBar_ = ButtonBar::MakeStyleBar(area);
  standardBar_ = ButtonBar::MakeStandardBar(area);
  statusBar_ = new StatusBar(area);
  for (QWidget*& ruler : rulers_) {
    ruler = new QWidget(area);
    ruler->setObjectName("quillory_ruler");
    ruler->setGeometry(0, 0, 0, 0);
    ruler->hide();
  }
  client_ = new DrawingWindow(drawing, area);
  client_->setObjectName("quillory_client");
  client_->setGeometry(0, 0, 100, 100);
  for (ButtonBar* bar : {standardBar_, styleBar_}) {
    connect(bar, &ButtonBar::commandRequested, this, &MainWindow::Command);
  }
  connect(palette_, &ToolPalette::commandRequested, this, &MainWindow::Command);
  connect(client_, &DrawingWindow::PointerMoved, statusBar_, &StatusBar::ShowCoordinates);
  BuildMainMenu(this);
  // A window manager gives the focus back to the main window when a dialog closes; without one
  // (a bare X server, a kiosk) the keyboard would be left with nobody, so take it back then.
  qApp->installEventFilter(new DialogFocusKeeper(this));
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
            &MainWindow::UpdateStandardBar);
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::LayOut(int w, int h) {
  standardBar_->setGeometry(0, 0, w, 35);
  styleBar_->setGeometry(0, 35, w, 35);
  palette_->setGeometry(0, 70, 72, h - 94);
  client_->setGeometry(72, 70, w - 72, h - 94);
  statusBar_->setGeometry(0, h - 24, w, 24);
}

void MainWindow::Command(int id) {
  statusBar_->update();
  DispatchCommand(id);
}

void MainWindow::UpdateStandardBar() {
  const bool selected = drawing_->selection().Count() > 0;
  const struct {
    int id;
    bool enabled;
  } states[] = {
      {kCommandUndo, drawing_->undo().UndoCount() > 0},
      {kCommandRedo, drawing_->undo().RedoCount() > 0},
      {kCommandCut, selected},
      {kCommandCopy, selected},
      {kCommandPaste, CanPaste(*drawing_)},
  };
  for (const auto& s : states) {
    BarButton* b = standardBar_->button(s.id);
    if (b && b->isEnabled() != s.enabled) b->setEnabled(s.enabled);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  SelectTool(kToolSelection);
  if (ConfirmDiscard()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!FirstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = FirstLocalFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  OpenDroppedFile(path.toStdString());
}

void MainWindow::ForwardKey(QKeyEvent* event) {
  // A key the drawing window leaves unhandled comes back up to us; it is not sent again.
  if (forwardingKey_) return;
  forwardingKey_ = true;
  QCoreApplication::sendEvent(client_, event);
  forwardingKey_ = false;
}

void MainWindow::keyPressEvent(QKeyEvent* event) { ForwardKey(event); }
void MainWindow::keyReleaseEvent(QKeyEvent* event) { ForwardKey(event); }
