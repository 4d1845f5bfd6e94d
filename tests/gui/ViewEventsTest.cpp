#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "app/DrawingWindow.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "tools/Tool.h"

namespace {

// Records what the current tool would be handed, as "kind x y shift" in viewport pixels.
class RecordingWindow : public DrawingWindow {
 public:
  using DrawingWindow::DrawingWindow;
  std::vector<std::string> seen;

 protected:
  void ToolEvent(int32_t kind, float x, float y, int32_t shift) override {
    seen.push_back(std::to_string(kind) + " " + std::to_string(int(x)) + " " +
                   std::to_string(int(y)) + " " + std::to_string(shift));
  }
};

struct ViewEventsTest : ::testing::Test {
  void SetUp() override {
    window.resize(600, 500);
    window.show();
    QApplication::processEvents();
    vp = window.viewport();
    // Keys such as End go to a tool other than the selection tool.
    CreateTools();
    SelectTool(kToolScroll);
  }
  void TearDown() override { SelectTool(kToolSelection); }
  Drawing drawing;
  RecordingWindow window{&drawing};
  QWidget* vp = nullptr;
};

using Seen = std::vector<std::string>;

TEST_F(ViewEventsTest, DoubleClickReachesTheToolAsPressReleaseDoubleClick) {
  // Through the window system, as a real double click comes: press, release, press, release.
  QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                     vp->mapTo(&window, QPoint(10, 20)));
  EXPECT_EQ(window.seen, (Seen{"0 10 20 0", "1 10 20 0", "3 10 20 0"}));
}

TEST_F(ViewEventsTest, MovesOnlyWhileHeldAndShiftResendsTheLastPosition) {
  QTest::mouseMove(vp, QPoint(5, 5));
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
  QTest::mouseMove(vp, QPoint(30, 40));
  QTest::keyPress(vp, Qt::Key_Shift);
  QTest::keyPress(vp, Qt::Key_Shift);  // auto-repeat sends nothing more
  QTest::keyRelease(vp, Qt::Key_Shift);
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
  EXPECT_EQ(window.seen, (Seen{"0 10 20 0", "2 30 40 0", "2 -1 -1 1", "2 -1 -1 0", "1 30 40 0"}));
}

TEST_F(ViewEventsTest, TypedCharactersReachTheToolAsCodePage1252) {
  const struct {
    Qt::Key key;
    const char* text;  // UTF-8
    const char* expected;
  } cases[] = {
      {Qt::Key_A, "a", "5 97 0 0"},       {Qt::Key_unknown, "\xC3\xA9", "5 233 0 0"},
      {Qt::Key_Return, "\r", "5 13 0 0"}, {Qt::Key_Backspace, "\b", "5 8 0 0"},
      {Qt::Key_Tab, "\t", "5 9 0 0"},     {Qt::Key_unknown, "\xE2\x82\xAC", "5 128 0 0"},
      {Qt::Key_End, "", "5 1 0 0"},       {Qt::Key_Down, "", "5 6 0 0"},
  };
  for (const auto& c : cases) {
    window.seen.clear();
    QTest::sendKeyEvent(QTest::Click, vp, c.key, QString::fromUtf8(c.text), Qt::NoModifier);
    EXPECT_EQ(window.seen, Seen{c.expected}) << c.text;
  }
  window.seen.clear();
  SetStatusText("");
  QTest::sendKeyEvent(QTest::Click, vp, Qt::Key_unknown, QString::fromUtf8("\xE4\xB8\xAD"),
                      Qt::NoModifier);
  EXPECT_TRUE(window.seen.empty());
  EXPECT_EQ(StatusText(), "Character not available in this font encoding");
}

TEST_F(ViewEventsTest, ResizingKeepsTheFitModeAndAZoomChosenByHand) {
  View& v = window.view();
  window.resize(700, 560);
  QApplication::processEvents();
  EXPECT_EQ(v.fitMode, kFitPage);
  EXPECT_FLOAT_EQ(v.zoom(), v.FitPageZoom());
  OnModal([](QDialog* dialog) {
    dialog->findChild<QLineEdit*>("4000")->setText("200");
    dialog->accept();
  });
  window.Zoom();
  EXPECT_FLOAT_EQ(v.zoom(), 2.0f);
  EXPECT_EQ(v.fitMode, kFitNone);
  window.resize(500, 400);
  QApplication::processEvents();
  EXPECT_FLOAT_EQ(v.zoom(), 2.0f);
}

}  // namespace
