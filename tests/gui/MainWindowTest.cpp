#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/AppState.h"
#include "app/BarButton.h"
#include "app/ButtonBar.h"
#include "app/DrawingWindow.h"
#include "app/MainWindow.h"
#include "app/StatusBar.h"
#include "app/ToolPalette.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "support/TestSupport.h"

namespace {

using MainWindowTest = GuiTest;

TEST_F(MainWindowTest, ChildrenFollowTheLayoutTable) {
  MainWindow* w = Start().window();
  w->resize(700, 500);
  QTest::qWait(0);
  const int W = w->centralWidget()->width();
  const int H = w->centralWidget()->height();
  const struct {
    const char* name;
    QRect rect;
  } cases[] = {
      {"quillory_standardBar", QRect(0, 0, W, 35)},
      {"quillory_styleBar", QRect(0, 35, W, 35)},
      {"quillory_toolBar", QRect(0, 70, 72, H - 94)},
      {"quillory_client", QRect(72, 70, W - 72, H - 94)},
      {"quillory_statusBar", QRect(0, H - 24, W, 24)},
  };
  for (const auto& c : cases) {
    QWidget* child = w->findChild<QWidget*>(c.name);
    ASSERT_NE(child, nullptr) << c.name;
    EXPECT_EQ(child->geometry(), c.rect) << c.name;
  }
  const QList<QWidget*> rulers = w->findChildren<QWidget*>("quillory_ruler");
  ASSERT_EQ(rulers.size(), 2);
  for (QWidget* r : rulers) EXPECT_TRUE(r->isHidden() && r->size().isEmpty());
  EXPECT_EQ(w->objectName(), "quillory_frame");
  // Buttons: bars advance from x 4 at y 5; the palette has two columns 26 pixels apart.
  EXPECT_EQ(w->standardBar()->button(105)->pos(), QPoint(108, 5));
  EXPECT_EQ(w->styleBar()->button(6059)->pos(), QPoint(356, 5));
  EXPECT_EQ(w->palette()->button(401)->pos(), QPoint(36, 31));
  EXPECT_EQ(w->palette()->button(455)->pos(), QPoint(36, 161));
  EXPECT_EQ(w->standardBar()->button(302)->toolTip(), "Toggle preview mode");
}

TEST_F(MainWindowTest, CancelOnCloseKeepsTheDrawing) {
  Application& app = Start();
  app.drawing().AddShape(new BoxShape(0, 0, 10, 10));
  app.drawing().modified = 1;
  answer_ = Answer::kCancel;
  EXPECT_FALSE(app.window()->close());
  EXPECT_TRUE(app.window()->isVisible());
  EXPECT_EQ(V(app.drawing().shapes().Count(), app.drawing().modified), V(1, 1));
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0],
            "Ondara Draw|(Untitled)\nThe drawing has changed.\n\nDo you want to save the changes?");
}

TEST_F(MainWindowTest, SeveralDroppedFilesOpenTheFirst) {
  Application& app = Start();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(CorpusFile("paths.qlx"))),
                QUrl::fromLocalFile(QString::fromStdString(CorpusFile("shapes.qlx")))});
  QWidget* target = app.window();
  QPoint at(200, 200);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  EXPECT_EQ(app.drawing().path, CorpusFile("paths.qlx"));
  EXPECT_EQ(app.window()->windowTitle(), "paths.qlx - Ondara Draw");
  EXPECT_GT(app.drawing().shapes().Count(), 0);
}

}  // namespace
