#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "support/TestSupport.h"

namespace {

// The application object is the suite's own (gui/GuiTestSupport.cpp).
QApplication& App() { return *qApp; }

TEST(DrawingWindowTest, FirstSizeFitsThePageAndCentresTheThumbs) {
  App();
  Drawing drawing;
  DrawingWindow window(&drawing);
  window.resize(820, 620);
  window.show();
  QApplication::processEvents();
  const QSize size = window.viewport()->size();
  View& view = window.view();
  EXPECT_EQ(view.ClientWidth(), size.width());
  EXPECT_FLOAT_EQ(view.zoom(), view.FitPageZoom());
  for (QScrollBar* bar : {window.horizontalScrollBar(), window.verticalScrollBar()}) {
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_LE(std::abs(bar->value() - bar->maximum() / 2), 1);
  }
}

// Dropped as bytes (image/x-wmf) or as a .wmf file, the picture joins the drawing selected.
TEST(DrawingWindowTest, DroppedMetafileIsAddedSelectedAndHistoriesCleared) {
  App();
  const QString path = QString(ONDARA_TEST_WORK) + "/../../../fuzz/corpus/wmf/shapes_and_text.wmf";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QMimeData bytes, url;
  bytes.setData("image/x-wmf", file.readAll());
  url.setUrls({QUrl::fromLocalFile(path)});
  for (QMimeData* data : {&bytes, &url}) {
    Drawing drawing;
    DrawingWindow window(&drawing);
    window.resize(600, 500);
    window.show();
    QApplication::processEvents();
    SetStatusText("before");
    const QPoint at(50, 50);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    // Drops land on the viewport, the widget under the pointer.
    ASSERT_TRUE(window.viewport()->acceptDrops());
    QCoreApplication::sendEvent(window.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.viewport(), &drop);
    EXPECT_GT(drawing.shapes().Count(), 0);
    EXPECT_EQ(V(drawing.selection().Count(), drawing.modified, drawing.undo().UndoCount()),
              V(drawing.shapes().Count(), 1, 0));
    EXPECT_EQ(StatusText(), "before");
    EXPECT_FALSE(window.AddDroppedMetafile(QByteArray("not a metafile"), QPointF(0, 0)));
  }
}

}  // namespace
