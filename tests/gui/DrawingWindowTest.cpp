#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

#include "app/DrawingWindow.h"
#include "model/Drawing.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "support/TestSupport.h"

namespace {

// The application object is the suite's own (gui/GuiTestSupport.cpp).
QApplication& App() { return *qApp; }

// The first size fits the page with the thumbs centred. The wheel then scrolls by the bars'
// 18-point line steps, lines per notch as the desktop says, over the drawing and over either
// bar; Shift turns it across; part-notches add up.
TEST(DrawingWindowTest, FirstSizeFitsThePageAndTheWheelScrollsByLineSteps) {
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
  const float lines = 18.0f * QApplication::wheelScrollLines();
  auto turn = [&](QWidget* target, QPoint delta, Qt::KeyboardModifiers mods) {
    QWheelEvent wheel(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), delta,
                      Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &wheel);
  };
  turn(window.viewport(), QPoint(0, -120), Qt::NoModifier);  // down
  EXPECT_EQ(V(view.ScrollX(), view.ScrollY()), V(0.0f, -lines));
  turn(window.viewport(), QPoint(0, -120), Qt::ShiftModifier);  // right
  turn(window.verticalScrollBar(), QPoint(0, 60), Qt::NoModifier);
  EXPECT_EQ(V(view.ScrollX(), view.ScrollY()), V(lines, -lines));
  turn(window.verticalScrollBar(), QPoint(0, 60), Qt::NoModifier);
  turn(window.horizontalScrollBar(), QPoint(0, 120), Qt::NoModifier);  // left
  EXPECT_EQ(V(view.ScrollX(), view.ScrollY()), V(0.0f, 0.0f));
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
