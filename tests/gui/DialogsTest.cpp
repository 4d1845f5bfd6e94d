#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "fonts/FontFace.h"
#include "gui/GuiTestSupport.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "support/TestSupport.h"
#include "ui/dialogs/ColorModels.h"
#include "ui/dialogs/DiagnosticsWindow.h"
#include "ui/dialogs/Dialogs.h"

namespace {

void Push(QDialog* dialog, const char* id) {
  auto* button = dialog->findChild<QAbstractButton*>(id);
  ASSERT_NE(button, nullptr) << id;
  // Near the left edge: check boxes and radio buttons take clicks on their box and text only.
  QTest::mouseClick(button, Qt::LeftButton, {},
                    QPoint(std::min(8, button->width() / 2), button->height() / 2));
}

// Replaces the text of field `id`, or of the edit part of combo box `id`, by typing.
void Type(QDialog* dialog, const char* id, const QString& text) {
  auto* combo = dialog->findChild<QComboBox*>(id);
  QLineEdit* field = combo ? combo->lineEdit() : dialog->findChild<QLineEdit*>(id);
  ASSERT_NE(field, nullptr) << id;
  field->selectAll();
  QTest::keyClicks(field, text);
}

// The visible fields 1039.. of the colour dialog, joined with commas.
QString ColorFields(QDialog* dialog) {
  QStringList shown;
  for (const char* id : {"1039", "1040", "1041", "1042"}) {
    auto* field = dialog->findChild<QLineEdit*>(id);
    if (field->isVisible()) shown << field->text();
  }
  return shown.join(",");
}

bool GroupEnabled(QDialog* dialog, const char* id) {
  return dialog->findChild<QGroupBox*>(id)->isEnabled();
}

using DialogsTest = GuiTest;

}  // namespace

TEST_F(DialogsTest, TrueTypeGroupFollowsIncludeAndSubstituteAndBorderIsClamped) {
  ExportOptions options;
  options.includeFonts = 1;
  std::vector<bool> enabled;
  OnModal([&](QDialog* d) {
    enabled.push_back(GroupEnabled(d, "1063"));  // include on, substitute off
    Push(d, "1061");                             // Type 42 ...
    Push(d, "1064");
    enabled.push_back(GroupEnabled(d, "1063"));  // substitute on
    Push(d, "1058");
    enabled.push_back(GroupEnabled(d, "1063"));  // include off, substitute on
    Push(d, "1064");
    enabled.push_back(GroupEnabled(d, "1063"));  // include off
    Type(d, "1065", "100");
    Push(d, "1");
  });
  ASSERT_EQ(EpsOptionsDialog(nullptr, &options), 1);
  EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false}));
  // ... is kept only while fonts are included.
  EXPECT_EQ(V(options.type42, options.includeFonts, options.border), V(0, 0, 72));
}

TEST_F(DialogsTest, GridSpacingOutsideOneTo72BecomesOne) {
  GridSettings grid;
  OnModal([](QDialog* d) {
    Type(d, "1013", "0");
    Type(d, "1014", "100");
    Push(d, "1");
  });
  ASSERT_EQ(GridDialog(nullptr, &grid), 1);
  EXPECT_EQ(V(grid.hSpacing, grid.vSpacing), V(1, 1));
}

TEST_F(DialogsTest, ZoomIsClampedAndLettersKeepTheOldZoom) {
  const struct {
    const char* typed;
    int32_t expected;
  } cases[] = {{"1000", 800}, {"abc", 150}};
  for (const auto& c : cases) {
    int32_t percent = 150;
    OnModal([&](QDialog* d) {
      Type(d, "4000", c.typed);
      Push(d, "1");
    });
    ASSERT_EQ(ZoomDialog(nullptr, &percent), 1);
    EXPECT_EQ(percent, c.expected) << c.typed;
  }
}

TEST_F(DialogsTest, ScaleOfNothingBecomes100) {
  uint32_t sx = 50, sy = 50;
  OnModal([](QDialog* d) {
    Type(d, "1039", "0");
    Type(d, "1040", "0");
    Push(d, "1");
  });
  ASSERT_EQ(ScaleDialog(nullptr, &sx, &sy), 1);
  EXPECT_EQ(V(sx, sy), V(100, 100));
}

// A user types at once: the first field has the focus with its text selected, Tab goes on to
// the next field and Return is OK.
TEST_F(DialogsTest, MoveTakesTypingFromTheFirstField) {
  int32_t dx = 5, dy = 5;
  OnModal([](QDialog* d) {
    // Focus moves by Tab send their focus events (and select the text) in the active window.
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    QTest::keyClicks(d->focusWidget(), "72");
    QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(d->focusWidget(), "-36");
    QTest::keyClick(d->focusWidget(), Qt::Key_Return);
  });
  ASSERT_EQ(MoveDialog(nullptr, &dx, &dy), 1);
  EXPECT_EQ(V(dx, dy), V(72, -36));
}

TEST_F(DialogsTest, ColorModelsShowTheSameRedAndTypingChangesIt) {
  Color red{100, 0, 0};
  QString cmyk, hsb;
  OnModal([&](QDialog* d) {
    Push(d, "1010");
    cmyk = ColorFields(d);
    Push(d, "1009");
    hsb = ColorFields(d);
    Push(d, "2");
  });
  EXPECT_EQ(ColorDialog(nullptr, &red), 0);
  EXPECT_EQ(cmyk + "|" + hsb, "0,100,100,0|0,100,100");

  // The model stays chosen for the next opening; typing a colour in RGB gives that colour.
  QString label;
  OnModal([&](QDialog* d) {
    label = d->findChild<QLabel*>("1053")->text();
    Push(d, "1008");
    Type(d, "1039", "0");
    Type(d, "1040", "100");
    Push(d, "1");
  });
  ASSERT_EQ(ColorDialog(nullptr, &red), 1);
  EXPECT_EQ(label, "Hue:");
  EXPECT_LT(std::abs(red.red) + std::abs(red.green - 100) + std::abs(red.blue), 1e-4);
}

TEST(ColorModels, RgbSurvivesHsbAndCmyk) {
  const Rgb colors[] = {{0, 0, 0},         {1, 1, 1},       {1, 0, 0},      {0.2, 0.6, 0.4},
                        {0.5, 0.25, 0.75}, {0.9, 0.9, 0.1}, {0.3, 0.1, 0.2}};
  for (const Rgb& c : colors) {
    const Rgb back = HsbToRgb(RgbToHsb(c));
    const Rgb again = CmykToRgb(RgbToCmyk(Rgb{c.red * 100, c.green * 100, c.blue * 100}));
    EXPECT_LT(std::abs(back.red - c.red) + std::abs(back.green - c.green) +
                  std::abs(back.blue - c.blue) + std::abs(again.red - c.red * 100) +
                  std::abs(again.green - c.green * 100) + std::abs(again.blue - c.blue * 100),
              1e-8)
        << c.red << " " << c.green << " " << c.blue;
  }
}

TEST_F(DialogsTest, AnOddPageSizeShowsA4) {
  int32_t units = 1, width = 612, height = 900;
  bool a4 = false;
  OnModal([&](QDialog* d) {
    a4 = d->findChild<QRadioButton*>("1023")->isChecked();
    Push(d, "1");
  });
  ASSERT_EQ(OptionsDialog(nullptr, &units, &width, &height), 1);
  EXPECT_EQ(V(a4, width, height), V(1, 595, 842));
}

TEST_F(DialogsTest, FontSizeAndNameErrorsKeepTheDialogOpen) {
  FontFace* face = nullptr;
  float size = 12;
  std::vector<bool> open;
  OnModal([&](QDialog* d) {
    Type(d, "1005", "300");
    Push(d, "1");
    open.push_back(d->isVisible());
    Type(d, "1005", "24");
    Type(d, "1006", "NoSuchFont-Bold");
    Push(d, "1");
    open.push_back(d->isVisible());
    Push(d, "2");
  });
  EXPECT_EQ(FontDialog(nullptr, &face, &size), 0);
  EXPECT_EQ(open, (std::vector<bool>{true, true}));
  EXPECT_EQ(errors_, (std::vector<std::string>{"Font size must be between 1 and 250",
                                               "Can't find specified font"}));
  EXPECT_EQ(size, 12);
}

TEST_F(DialogsTest, DiagnosticsKeepTheNewest1000LinesUntilClosed) {
  InstallDiagnosticsWindow(nullptr);
  for (int i = 0; i < 1005; ++i) DebugLog("line %d", i);
  auto* list = DiagnosticsWindow()->findChild<QListWidget*>("3000");
  EXPECT_EQ(V(list->count(), list->currentRow()), V(1000, 999));
  EXPECT_EQ(list->currentItem()->text(), "line 1004");
  DiagnosticsWindow()->close();
  DebugLog("after closing");
  EXPECT_EQ(DiagnosticsWindow(), nullptr);
  RemoveDiagnosticsWindow();
}

TEST_F(DialogsTest, AboutEndsOnAnyButton) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    bool open = false;
    OnModal([&](QDialog* d) {
      open = d->windowTitle() == "About Ondara Draw";
      QTest::mouseClick(d, button, {}, d->rect().center());
    });
    AboutDialog(nullptr);  // returns only once the box has ended
    EXPECT_TRUE(open) << button;
  }
}
