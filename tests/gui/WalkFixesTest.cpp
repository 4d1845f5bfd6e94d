// Faults found by using the program as its users do, each held by the test that would have
// caught it.
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "ui/dialogs/Dialogs.h"

namespace {

using WalkFixesTest = GuiTest;

// Types into whatever has the keyboard once the modal dialog is up, then presses Return.
void TypeIntoDialog(const QString& text, int tries = 300) {
  QTimer::singleShot(10, [text, tries] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || !dialog->focusWidget()) {
      if (tries > 0) TypeIntoDialog(text, tries - 1);
      return;
    }
    QTest::keyClicks(dialog->focusWidget(), text);
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
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
