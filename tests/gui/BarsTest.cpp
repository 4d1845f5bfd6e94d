#include <QTest>

#include "app/AppState.h"
#include "app/BarButton.h"
#include "app/ButtonArt.h"
#include "app/ButtonBar.h"
#include "app/DrawingWindow.h"
#include "app/MainWindow.h"
#include "app/StatusBar.h"
#include "app/ToolPalette.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "support/TestSupport.h"
#include "tools/Tool.h"

namespace {

using BarsTest = GuiTest;

TEST_F(BarsTest, StandardBarFollowsTheDrawingWithoutAClick) {
  Application& app = Start();
  ButtonBar* bar = app.window()->standardBar();
  auto enabled = [&](int id) { return bar->button(id)->isEnabled(); };
  IdleFor(10);
  EXPECT_FALSE(enabled(201) || enabled(6076) || enabled(204) || enabled(205) || enabled(206));
  Drawing& d = app.drawing();
  auto* box = new BoxShape(0, 0, 10, 10);
  d.AddShape(box);
  d.Select(box);
  d.Copy();
  IdleFor(10);
  EXPECT_TRUE(enabled(204) && enabled(205) && enabled(206));
  d.Clear();
  IdleFor(10);
  EXPECT_TRUE(enabled(201));
  EXPECT_FALSE(enabled(204) || enabled(205) || enabled(6076));
  EXPECT_TRUE(enabled(101));
}

TEST_F(BarsTest, HoldingAPaletteButtonSaysLetGo) {
  Application& app = Start();
  struct Idle : Tool {
    void MouseMove(float, float, int) override {}
    void MouseDown(float, float, int) override {}
    void MouseUp(float, float, int) override {}
  };
  RegisterTool(kToolLine, std::make_unique<Idle>());
  BarButton* line = app.window()->palette()->button(401);
  SetStatusText("");
  QTest::mousePress(line, Qt::LeftButton);
  QTest::qWait(300);
  EXPECT_EQ(StatusText(), "");
  QTest::qWait(600);
  EXPECT_EQ(StatusText(), "Let go");
  QTest::mouseRelease(line, Qt::LeftButton);
  // The release is a click: the tool becomes current and shows pressed on the palette.
  EXPECT_EQ(CurrentToolId(), 401);
  const QPalette& pal = line->palette();
  // Pressed buttons have their shadow on the left, raised ones their highlight.
  EXPECT_EQ(line->Picture().pixel(0, 12), pal.color(QPalette::Dark).rgb());
  EXPECT_EQ(app.window()->palette()->button(456)->Picture().pixel(0, 12),
            pal.color(QPalette::Light).rgb());
  EXPECT_TRUE(App().client->hasFocus() || !app.window()->isActiveWindow());
}

TEST_F(BarsTest, CoordinatesInTheDrawingUnits) {
  Application& app = Start();
  const struct {
    Units units;
    const char* text;
  } cases[] = {
      {kUnitsCentimeters, "2.5, 5.1"}, {kUnitsInches, "1.00, 2.00"}, {kUnitsPoints, "72.0, 144.0"}};
  for (const auto& c : cases) {
    app.drawing().units = c.units;
    emit App().client->PointerMoved(72, 144);
    EXPECT_EQ(app.window()->statusBar()->coordinates(), c.text);
  }
}

TEST_F(BarsTest, PaletteChangeRebuildsButtonColours) {
  QPalette pal;
  pal.setColor(QPalette::ButtonText, QColor(1, 2, 3));
  pal.setColor(QPalette::Dark, QColor(10, 20, 30));
  pal.setColor(QPalette::Button, QColor(40, 50, 60));
  pal.setColor(QPalette::Light, QColor(70, 80, 90));
  // Black, dark grey, light grey and white art take the text, dark, face and light colours.
  QImage art(4, 1, QImage::Format_RGB32);
  const QRgb from[] = {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(192, 192, 192),
                       qRgb(255, 255, 255)};
  const QRgb to[] = {qRgb(1, 2, 3), qRgb(10, 20, 30), qRgb(40, 50, 60), qRgb(70, 80, 90)};
  for (int x = 0; x < 4; ++x) art.setPixel(x, 0, from[x]);
  const QImage mapped = MapButtonColours(art, pal);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(mapped.pixel(x, 0), to[x]) << x;

  Application& app = Start();
  app.window()->setPalette(pal);
  BarButton* save = app.window()->standardBar()->button(103);
  const QImage picture = save->Picture();
  EXPECT_EQ(picture.pixel(0, 0), qRgb(70, 80, 90));    // highlight edge
  EXPECT_EQ(picture.pixel(31, 25), qRgb(0, 0, 0));     // outer edge
  EXPECT_EQ(picture.pixel(30, 12), qRgb(10, 20, 30));  // inner edge
  if (QImage(":/res/savebmp.png").isNull()) {
    EXPECT_EQ(picture.pixel(16, 13), qRgb(40, 50, 60));  // face
  }
}

}  // namespace
