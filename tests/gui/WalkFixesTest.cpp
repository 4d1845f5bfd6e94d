// Faults found by using the program as its users do, each held by the test that would have
// caught it.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/AppState.h"
#include "app/Commands.h"
#include "app/DrawingWindow.h"
#include "app/MainWindow.h"
#include "fonts/FontFace.h"
#include "fonts/FontManager.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/ProgressWindow.h"

namespace {

using WalkFixesTest = GuiTest;

// Acts on the modal dialog once it is up and has given the keyboard to one of its controls.
void OnFocusedModal(std::function<void(QDialog*)> act, int tries = 300) {
  QTimer::singleShot(10, [act, tries] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog && dialog->isVisible() && dialog->focusWidget()) {
      act(dialog);
    } else if (tries > 0) {
      OnFocusedModal(act, tries - 1);
    }
  });
}

// Types into whatever has the keyboard, then presses Return; a dialog still up is cancelled so
// a failing case reports instead of waiting for ever.
void TypeIntoDialog(const QString& text) {
  OnFocusedModal([text](QDialog* dialog) {
    QTest::keyClicks(dialog->focusWidget(), text);
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    if (dialog->isVisible()) dialog->reject();
  });
}

}  // namespace

// Every number dialog opens with its first value selected, so typing replaces it.
TEST_F(WalkFixesTest, TypingIntoAFreshDialogReplacesItsFirstValue) {
  GridSettings grid{12, 12, 1, 0};
  int32_t dx = 0, dy = 0;
  int32_t zoom = 100;
  const struct {
    const char* name;
    std::function<int32_t()> open;
    std::function<int32_t()> first;
  } cases[] = {
      {"Grid", [&] { return GridDialog(nullptr, &grid); }, [&] { return grid.hSpacing; }},
      {"Move", [&] { return MoveDialog(nullptr, &dx, &dy); }, [&] { return dx; }},
      {"Zoom", [&] { return ZoomDialog(nullptr, &zoom); }, [&] { return zoom; }},
  };
  for (const auto& c : cases) {
    TypeIntoDialog("40");
    ASSERT_EQ(c.open(), 1) << c.name;
    EXPECT_EQ(c.first(), 40) << c.name;
  }
}

// Before any text is made the Font dialog shows the font new text will get, not an empty name.
TEST_F(WalkFixesTest, FontDialogStartsFromTheDefaultFace) {
  Start();
  FontFace* face = TheFontManager() ? TheFontManager()->DefaultFace() : nullptr;
  ASSERT_NE(face, nullptr);
  QString shown;
  OnFocusedModal([&](QDialog* dialog) {
    shown = dialog->findChild<QComboBox*>("1006")->currentText();
    dialog->reject();
  });
  DispatchCommand(501);
  EXPECT_EQ(shown.toStdString(), std::string(face->PostScriptName()));
  Finish();
}

// An export's progress window disables the main window; the drawing window has the keyboard
// again afterwards, so arrow keys and Delete work without a click first.
TEST_F(WalkFixesTest, DrawingWindowHasTheKeyboardAfterAnExport) {
  Start();
  App().mainWindow->activateWindow();
  App().client->setFocus();
  ASSERT_TRUE(IdleUntil([] { return App().client->hasFocus(); }, 2000));
  { ProgressWindow progress(App().mainWindow); }
  EXPECT_TRUE(IdleUntil([] { return App().client->hasFocus(); }, 2000));
  Finish();
}

// The progress window stays on the screen, Cancel with it, when the main window hangs off it.
TEST_F(WalkFixesTest, ProgressWindowStaysOnTheScreen) {
  Start();
  QWidget* main = App().mainWindow;
  const QRect screen = main->screen()->geometry();
  main->move(screen.left() - 3 * main->width(), screen.top());
  ProgressWindow progress(main);
  ASSERT_NE(progress.window(), nullptr);
  EXPECT_TRUE(screen.contains(progress.window()->frameGeometry())) << screen.width();
  Finish();
}

// Group and Ungroup count the new selection; Copy and Cut say what went to the clipboard.
TEST_F(WalkFixesTest, ArrangeAndClipboardCommandsKeepTheStatusTrue) {
  Drawing& d = Start().drawing();
  d.AddShape(new BoxShape(100, 100, 200, 150));
  d.AddShape(new BoxShape(300, 100, 400, 150));
  d.SelectAll();
  DispatchCommand(207);
  EXPECT_EQ(StatusText(), "1 object selected");
  DispatchCommand(208);
  EXPECT_EQ(StatusText(), "2 objects selected");
  DispatchCommand(205);
  EXPECT_EQ(StatusText(), "2 objects copied to internal clipboard");
  DispatchCommand(204);
  EXPECT_EQ(StatusText(), "2 objects cut to internal clipboard");
  Finish();
}

// A refused font name stays selected, so typing the right one replaces it.
TEST_F(WalkFixesTest, FontDialogSelectsTheRefusedName) {
  Start();
  OnFocusedModal([](QDialog* dialog) {
    QTest::keyClicks(dialog->focusWidget(), "Nope");
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    QTest::keyClicks(dialog->focusWidget(), "LiberationMono");
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    if (dialog->isVisible()) dialog->reject();
  });
  DispatchCommand(501);
  EXPECT_EQ(errors_.size(), 1u);
  ASSERT_NE(App().textFont, nullptr);
  EXPECT_STREQ(App().textFont->PostScriptName(), "LiberationMono");
  Finish();
}
