#include "app/Menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <initializer_list>

#include "app/AppState.h"
#include "app/Commands.h"
#include "app/DesktopClipboard.h"
#include "app/DrawingWindow.h"
#include "app/MainWindow.h"
#include "app/MenuItemArt.h"
#include "app/StyleCommands.h"
#include "model/Drawing.h"
#include "tools/Tool.h"

namespace {

// One line of the menu layout: an item (id > 0), a separator, a pop-up that the following
// lines fill until its end, or a menu of the bar.
enum Line { kItem, kSeparator, kPopup, kEnd, kMenu };
struct Entry {
  Line line;
  const char* text;
  int id;
};

constexpr Entry Item(const char* text, int id) { return {kItem, text, id}; }
constexpr Entry Popup(const char* text) { return {kPopup, text, 0}; }
constexpr Entry Menu(const char* text) { return {kMenu, text, 0}; }
constexpr Entry kSep{kSeparator, nullptr, 0};
constexpr Entry kEndPopup{kEnd, nullptr, 0};

const Entry kLayout[] = {
    Menu("&File"),
    Item("&New", 101),
    Item("&Open...", 102),
    Item("&Save\tCtrl+S", 103),
    Item("Save &As...", 104),
    kSep,
    Item("&Import...", 6053),
    Item("&Export...", 6052),
    kSep,
    Item("&Print...", 105),
    Item("P&rint Setup...", 106),
    kSep,
    Item("E&xit", 107),
    Menu("&Edit"),
    Item("&Undo\tCtrl+Z", 201),
    Item("&Redo\tCtrl+Y", 6076),
    Item("C&lear\tDel", 202),
    Item("&Select all", 203),
    kSep,
    Item("Cu&t\tCtrl+X", 204),
    Item("&Copy\tCtrl+C", 205),
    Item("&Paste\tCtrl+V", 206),
    kSep,
    Item("Inser&t...", 6054),
    Menu("&Arrange"),
    Item("&Group\tCtrl+G", 207),
    Item("&Ungroup\tCtrl+U", 208),
    kSep,
    Item("Bring to &front", 209),
    Item("Send to &back", 210),
    kSep,
    Popup("&Align"),
    Item("&Left Sides", 6063),
    Item("&Right Sides", 6064),
    Item("&Tops", 6065),
    Item("&Bottoms", 6066),
    Item("Centers &Vertically", 6067),
    Item("Centers &Horizontally", 6068),
    kEndPopup,
    Popup("&Space Evenly"),
    Item("&Edges Vertically", 6070),
    Item("&Centers Vertically", 6073),
    Item("E&dges Horizontally", 6071),
    Item("Ce&nters Horizontally", 6072),
    kEndPopup,
    kSep,
    Popup("&Transform"),
    Item("&Move...", 453),
    Item("&Scale...", 6074),
    Item("&Rotate...", 6075),
    kEndPopup,
    Menu("&View"),
    Item("&Redraw\tCtrl+R", 301),
    Item("&Preview", 302),
    Popup("&Orientation"),
    Item("&Portrait", 504),
    Item("&Landscape", 505),
    kEndPopup,
    Item("&Grid...", 303),
    Item("&Zoom...", 306),
    Item("&Fit in window", 304),
    Item("Fit &width in window", 305),
    Menu("&Line"),
    Item("&Invisible", 6024),
    kSep,
    Item("&Black", 6049),
    Item("&White", 6051),
    Item("&Color...", 6044),
    kSep,
    Item("Pen 0", 6025),
    Item("Pen 1", 6026),
    Item("Pen 2", 6027),
    Item("Pen 3", 6028),
    Item("Pen 4", 6029),
    Item("Pen 5", 6030),
    Item("Pen 6", 6031),
    Item("Pen 7", 6032),
    Item("Pen 8", 6033),
    Item("Pen 9", 6041),
    Item("Pen 10", 6042),
    Item("Pen 11", 6043),
    kSep,
    Item("No  Arrows", 6034),
    Item("Left Arrow", 6035),
    Item("Right Arrow", 6036),
    Item("Both Arrows", 6037),
    Menu("F&ill"),
    Item("&Transparent", 6011),
    kSep,
    Item("&Black", 6012),
    Item("&White", 6013),
    Item("&Color...", 6023),
    kSep,
    Item("Pattern 0", 6014),
    Item("Pattern 1", 6015),
    Item("Pattern 2", 6016),
    Item("Pattern 3", 6017),
    Item("Pattern 4", 6018),
    Item("Pattern 5", 6019),
    Item("Pattern 6", 6020),
    Item("Pattern 7", 6021),
    Item("Pattern 8", 6022),
    Item("&No Pattern", 6048),
    Menu("&Text"),
    Item("&Font...", 501),
    Item("&Leading...", 6055),
    Popup("Alignment"),
    Item("&Left", 6056),
    Item("&Centered", 6057),
    Item("&Right", 6058),
    Item("&Justified", 6059),
    kEndPopup,
    Menu("&Misc"),
    Popup("&Arrows"),
    Item("&Small", 6038),
    Item("&Big", 6039),
    Item("&Fancy", 6040),
    kEndPopup,
    Item("&Options...", 6008),
    Menu("&Help"),
    Item("&Contents\tF1", 6003),
    Item("&Search for Help on...", 6004),
    Item("&How to use help", 6005),
    kSep,
    Item("&About Ondara Draw...", 601),
};

// The accelerator table "quillory". Del is the drawing window's own key.
const struct {
  QKeyCombination key;
  int id;
} kAccelerators[] = {
    {Qt::CTRL | Qt::Key_C, 205},         {Qt::CTRL | Qt::Key_G, 207},  {Qt::CTRL | Qt::Key_R, 301},
    {Qt::CTRL | Qt::Key_S, 103},         {Qt::CTRL | Qt::Key_U, 208},  {Qt::CTRL | Qt::Key_V, 206},
    {Qt::CTRL | Qt::Key_X, 204},         {Qt::CTRL | Qt::Key_Y, 6076}, {Qt::CTRL | Qt::Key_Z, 201},
    {QKeyCombination(Qt::Key_F1), 6003},
};

// Items that act on the selection and are greyed without one.
const int kNeedSelection[] = {204,  205,  210,  209, 202,  207,  208,  6063, 6064, 6065,
                              6066, 6067, 6068, 453, 6074, 6075, 6070, 6071, 6072, 6073};

const int kArrowStyleItems[3][2] = {{6038, kArrowSmall}, {6039, kArrowBig}, {6040, kArrowFancy}};

bool IsDrawnMenu(const char* title) {
  return QString(title) == "&Line" || QString(title) == "F&ill";
}

}  // namespace

void BuildMainMenu(MainWindow* window) {
  QMenuBar* bar = window->menuBar();
  bar->setObjectName("QUILLORY");
  // One style for the two menus with pictures; the window keeps it for the menus' lifetime.
  auto* art = new MenuItemArt;
  art->setParent(window);
  QMenu* top = nullptr;
  QMenu* current = nullptr;
  for (const Entry& e : kLayout) {
    switch (e.line) {
      case kMenu:
        top = current = bar->addMenu(e.text);
        if (IsDrawnMenu(e.text)) top->setStyle(art);
        // Opening any menu makes the selection tool current, then the items show what the
        // drawing allows.
        QObject::connect(top, &QMenu::aboutToShow, window, [window] {
          SelectTool(kToolSelection);
          UpdateMenuStates(window);
        });
        break;
      case kPopup:
        current = top->addMenu(e.text);
        break;
      case kEnd:
        current = top;
        break;
      case kSeparator:
        current->addSeparator();
        break;
      case kItem: {
        QAction* action = current->addAction(e.text);
        action->setData(e.id);
        const int id = e.id;
        QObject::connect(action, &QAction::triggered, window,
                         [window, id] { window->Command(id); });
        break;
      }
    }
  }
  for (const auto& a : kAccelerators) {
    auto* shortcut = new QShortcut(QKeySequence(a.key), window);
    const int id = a.id;
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [window, id] { window->Command(id); });
  }
  MenuAction(window, kCommandPreview)->setCheckable(true);
  for (const auto& item : kArrowStyleItems) MenuAction(window, item[0])->setCheckable(true);
  MenuAction(window, kCommandPreview)->setChecked(!App().client || App().client->Preview());
  MenuAction(window, kCommandUndo)->setEnabled(false);
  MenuAction(window, kCommandRedo)->setEnabled(false);
}

QAction* MenuAction(QWidget* window, int id) {
  auto* main = qobject_cast<MainWindow*>(window);
  if (!main) return nullptr;
  for (QAction* action : main->menuBar()->findChildren<QAction*>()) {
    if (!action->menu() && action->data().toInt() == id) return action;
  }
  return nullptr;
}

void UpdateMenuStates(QWidget* window) {
  Drawing* drawing = App().drawing;
  if (!drawing) return;
  const bool selected = !drawing->selection().Empty();
  for (int id : kNeedSelection) {
    if (QAction* a = MenuAction(window, id)) a->setEnabled(selected);
  }
  const struct {
    int id;
    bool enabled;
  } others[] = {
      {kCommandPaste, CanPaste(*drawing)},
      {kCommandUndo, drawing->undo().UndoCount() > 0},
      {kCommandRedo, drawing->undo().RedoCount() > 0},
  };
  for (const auto& o : others) {
    if (QAction* a = MenuAction(window, o.id)) a->setEnabled(o.enabled);
  }
  const int32_t arrows = ShownArrowStyle(*drawing);
  for (const auto& item : kArrowStyleItems) {
    if (QAction* a = MenuAction(window, item[0])) a->setChecked(arrows == item[1]);
  }
  if (QAction* a = MenuAction(window, kCommandPreview)) {
    a->setChecked(App().client && App().client->Preview());
  }
}
