#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QScrollBar>

#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"

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
  EXPECT_EQ(window.objectName(), "quillory_client");
  const QSize size = window.viewport()->size();
  View& view = window.view();
  EXPECT_EQ(view.ClientWidth(), size.width());
  EXPECT_FLOAT_EQ(view.zoom(), view.FitPageZoom());
  for (QScrollBar* bar : {window.horizontalScrollBar(), window.verticalScrollBar()}) {
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_LE(std::abs(bar->value() - bar->maximum() / 2), 1);
  }
}

TEST(DrawingWindowTest, DroppedMetafileIsAddedSelectedAndHistoriesCleared) {
  App();
  QFile file(QString(ONDARA_TEST_WORK) + "/../../../fuzz/corpus/wmf/shapes_and_text.wmf");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  Drawing drawing;
  DrawingWindow window(&drawing);
  window.resize(600, 500);
  window.show();
  QApplication::processEvents();
  SetStatusText("before");
  ASSERT_TRUE(window.AddDroppedMetafile(file.readAll(), QPointF(50, 50)));
  EXPECT_GT(drawing.shapes().Count(), 0);
  EXPECT_EQ(drawing.selection().Count(), drawing.shapes().Count());
  EXPECT_EQ(drawing.modified, 1);
  EXPECT_EQ(drawing.undo().UndoCount(), 0);
  EXPECT_EQ(StatusText(), "before");
  EXPECT_FALSE(window.AddDroppedMetafile(QByteArray("not a metafile"), QPointF(0, 0)));
}

}  // namespace
