#include "app/Commands.h"

#include <QMetaObject>
#include <cstdint>

#include "Version.h"
#include "app/AppState.h"
#include "app/DesktopClipboard.h"
#include "app/Document.h"
#include "app/DrawingWindow.h"
#include "app/FileCommands.h"
#include "app/Help.h"
#include "app/MainWindow.h"
#include "app/Redraw.h"
#include "app/StyleCommands.h"
#include "fonts/FontManager.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "model/UndoActions.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "tools/Tool.h"
#include "ui/dialogs/Dialogs.h"

namespace {

Drawing& Doc() { return *App().drawing; }
QWidget* Owner() { return App().mainWindow; }

// Commands that change the view afterwards run once the current one has finished, as a posted
// message would.
void Post(int id) {
  if (App().mainWindow) {
    QMetaObject::invokeMethod(
        App().mainWindow, [id] { DispatchCommand(id); }, Qt::QueuedConnection);
  }
}

void ShowDrawingStatus() { SetStatusText(Doc().status); }

// ---- File and Edit ----

void Exit(int) {
  // The window's close handling asks about unsaved changes.
  if (App().mainWindow) App().mainWindow->close();
}

void Undo(int) {
  Doc().Undo();
  RedrawFull();
}

void Redo(int) {
  Doc().Redo();
  RedrawFull();
}

void Clear(int) {
  Doc().Clear();
  Doc().UpdateSelectionStatus();
  ShowDrawingStatus();
  RedrawFull();
}

void SelectAll(int) {
  Doc().SelectAll();
  if (App().client) App().client->SelectRedraw();
}

void Cut(int) {
  Doc().status.clear();
  Doc().Cut();
  PublishClipboard(Doc());
  if (!Doc().status.empty()) ShowDrawingStatus();  // what went to the clipboard
  RedrawFull();
}

void Copy(int) {
  Doc().status.clear();
  Doc().Copy();
  PublishClipboard(Doc());
  if (!Doc().status.empty()) ShowDrawingStatus();
}

void Paste(int) {
  if (Doc().clipboard().Empty()) TakeDesktopClipboard(Doc());
  Doc().status.clear();
  Doc().Paste();
  if (!Doc().status.empty()) ShowDrawingStatus();
  RedrawFull();
}

void Insert(int) {
  InsertCommand();
  RedrawSelection();
}

// ---- Arrange ----

void Group(int) {
  if (Doc().selection().Empty()) return;
  Doc().Group();
  Doc().UpdateSelectionStatus();  // the selection is now the one group
  ShowDrawingStatus();
  RedrawSelection();
}

void Ungroup(int) {
  if (Doc().selection().Empty()) return;
  Doc().Ungroup();
  Doc().UpdateSelectionStatus();
  ShowDrawingStatus();
  RedrawSelection();
}

void BringToFront(int) {
  Doc().BringToFront();
  RedrawFull();
}

void SendToBack(int) {
  Doc().SendToBack();
  RedrawFull();
}

void Align(int id) {
  const int32_t mode = Doc().AlignModeForItem(id - kCommandAlignLeftSides);
  RedrawSelectionAround([mode] { Doc().Align(mode); });
}

void SpaceEvenly(int id) {
  const int32_t mode = Doc().SpaceModeForItem(id - kCommandSpaceEdgesV);
  RedrawSelectionAround([mode] { Doc().SpaceEvenly(mode); });
}

void Move(int) {
  int32_t dx = 0, dy = 0;
  if (!MoveDialog(Owner(), &dx, &dy)) return;
  SelectTool(kToolSelection);
  RedrawSelectionAround([dx, dy] { Doc().MoveBy(float(dx), float(dy)); });
}

void Scale(int) {
  uint32_t sx = 100, sy = 100;
  if (!ScaleDialog(Owner(), &sx, &sy)) return;
  SelectTool(kToolSelection);
  RedrawSelectionAround([sx, sy] { Doc().ScaleBy(float(sx) / 100.0f, float(sy) / 100.0f); });
}

void Rotate(int) {
  int32_t degrees = 0;
  if (!RotateDialog(Owner(), &degrees)) return;
  SelectTool(kToolSelection);
  RedrawSelectionAround([degrees] { Doc().RotateBy(float(degrees)); });
}

// ---- View ----

void Redraw(int) {
  if (!App().client) return;
  App().client->SetFullRepaint();
  App().client->InvalidateAll();
}

void Preview(int) {
  if (App().client) App().client->TogglePreview();
}

void Orientation(int id) {
  Doc().landscape = id == kCommandLandscape ? 1 : 0;
  if (App().client) {
    App().client->view().UpdateMapping();
    App().client->ResetScrollBars();
  }
  Post(kCommandFitInWindow);
}

void Grid(int) {
  GridSettings grid = Doc().grid;
  if (!GridDialog(Owner(), &grid)) return;
  SelectTool(kToolSelection);
  Doc().grid = grid;
  if (App().client) App().client->SetFullRepaint();
  RedrawFull();
}

void Fit(int id) {
  DrawingWindow* client = App().client;
  if (!client) return;
  if (id == kCommandFitInWindow) client->FitInWindow();
  if (id == kCommandFitWidth) client->FitWidth();
  if (id == kCommandZoom) client->Zoom();
}

// ---- Tools ----

void ToolCommand(int id) {
  const char* name = nullptr;
  switch (id) {
    case kToolScale:
      name = "Scale";
      break;
    case kToolRotate:
      name = "Rotate";
      break;
    case kToolSkew:
      name = "Skew";
      break;
    case kToolReflect:
      name = "Reflect";
      break;
    default:
      break;
  }
  // The transform tools work on a selection; without one the current tool stays.
  if (name && Doc().selection().Empty()) {
    SetStatusText(Format("%s: You must select one or more objects first", name));
    return;
  }
  SelectTool(id);
}

// ---- Text ----

void Font(int) {
  FontManager* fonts = TheFontManager();
  std::string name;
  float size = 0, leading = 0;
  if (SelectionText(Doc(), &name, &size, &leading)) {
    FontFace* face = fonts ? fonts->FindFace(name) : nullptr;
    if (!FontDialog(Owner(), &face, &size)) return;
    App().textSize = size;
    if (face) App().textFont = face;
    const std::string chosen = face ? face->PostScriptName() : std::string();
    RunAction(&Doc(), new (std::nothrow)
                          TextStyleAction(&Doc(), TextStyleChange::FontAndSize(chosen, size)));
    RedrawFull();
    return;
  }
  FontFace* face = App().textFont;
  size = App().textSize;
  if (!FontDialog(Owner(), &face, &size)) return;
  App().textFont = face;
  App().textSize = size;
}

void Leading(int) {
  std::string name;
  float size = 0, leading = 0;
  if (!SelectionText(Doc(), &name, &size, &leading)) leading = 0;
  if (!LeadingDialog(Owner(), &leading)) return;
  if (leading < 1 || leading > 300) return;
  RunAction(&Doc(), new (std::nothrow) TextStyleAction(&Doc(), TextStyleChange::Leading(leading)));
  RedrawFull();
}

void Alignment(int id) {
  if (Doc().selection().Empty()) return;
  RunAction(&Doc(), new (std::nothrow) TextStyleAction(
                        &Doc(), TextStyleChange::Alignment(id - kCommandAlignLeft)));
  RedrawSelection();
}

// ---- Fill and Line ----

void Fill(int id) {
  if (id == kCommandFillTransparent) FillTransparent(Doc());
  if (id == kCommandFillBlack) FillColor(Doc(), Color{0, 0, 0});
  if (id == kCommandFillWhite) FillColor(Doc(), Color{100, 100, 100});
  if (id >= kCommandPattern0 && id < kCommandPattern0 + 9)
    FillPattern(Doc(), id - kCommandPattern0);
  if (id == kCommandNoPattern) FillPattern(Doc(), -1);
  RedrawSelection();
}

void Line(int id) {
  if (id == kCommandLineInvisible) LineInvisible(Doc());
  if (id == kCommandLineBlack) LineColor(Doc(), Color{0, 0, 0});
  if (id == kCommandLineWhite) LineColor(Doc(), Color{100, 100, 100});
  RedrawSelection();
}

void ColorCommand(int id) {
  const bool fill = id == kCommandFillColor;
  PaintStyle style = Doc().defaultStyle;
  SelectionStyle(Doc(), &style);
  Color color = fill ? style.fillColor : style.strokeColor;
  if (!ColorDialog(Owner(), &color)) return;
  if (fill) {
    FillColor(Doc(), color);
  } else {
    LineColor(Doc(), color);
  }
  RedrawSelection();
}

void Pen(int id) {
  // Pens 0..3 are the dashes; Pens 4..11 the widths, whose ids are not contiguous.
  const int32_t pen = id >= kCommandPen9 ? 9 + id - kCommandPen9 : id - kCommandPen0;
  if (pen < 4) {
    LineDash(Doc(), pen);
  } else {
    LineWidth(Doc(), PenWidth(pen - 4));
  }
  RedrawSelection();
}

void Arrows(int id) {
  SetLineArrows(Doc(), id - kCommandNoArrows);
  RedrawFull();
}

void ArrowStyle(int id) {
  static const int32_t kKinds[3] = {kArrowSmall, kArrowBig, kArrowFancy};
  SetArrowStyle(Doc(), kKinds[id - kCommandArrowsSmall]);
  RedrawFull();
}

void PickStyle(int) { SelectionStyle(Doc(), &Doc().defaultStyle); }

void ApplyStyle(int) {
  if (Doc().selection().Empty()) return;
  RunAction(&Doc(), new (std::nothrow)
                        PaintStyleAction(&Doc(), PaintChange::WholeStyle(Doc().defaultStyle)));
  RedrawSelection();
}

// ---- Misc and Help ----

void Options(int) {
  int32_t units = Doc().units;
  int32_t width = Doc().PageWidth(), height = Doc().PageHeight();
  if (!OptionsDialog(Owner(), &units, &width, &height)) return;
  Doc().units = static_cast<Units>(units);
  PageSize size = kPageLetter;
  if (width == 595 && height == 842) size = kPageA4;
  if (width == 612 && height == 1008) size = kPageLegal;
  if (size == Doc().pageSize) return;
  Doc().pageSize = size;
  if (App().client) App().client->view().UpdateMapping();
  Post(kCommandFitInWindow);
}

void Help(int id) {
  if (id == kCommandHelpContents) ShowHelp(HelpTopic::kContents);
  if (id == kCommandHelpSearch) ShowHelp(HelpTopic::kSearch);
  if (id == kCommandHelpOnHelp) ShowHelp(HelpTopic::kHowToUse);
}

void About(int) {
  SetStatusText(Format("Build date: %s", ONDARA_BUILD_DATE));
  AboutDialog(Owner());
}

void File(int id) {
  switch (id) {
    case kCommandNew:
      NewDrawingCommand();
      break;
    case kCommandOpen:
      OpenCommand();
      break;
    case kCommandSave:
      SaveCommand();
      break;
    case kCommandSaveAs:
      SaveAsCommand();
      break;
    case kCommandPrint:
      PrintCommand();
      break;
    case kCommandPrintSetup:
      PrintSetupCommand();
      break;
    case kCommandImport:
      ImportCommand();
      break;
    case kCommandExport:
      ExportCommand();
      break;
    default:
      break;
  }
}

// One row per command or run of ids; `select` makes the selection tool current first.
struct CommandRow {
  int first;
  int last;
  bool select;
  void (*run)(int id);
};

const CommandRow kCommands[] = {
    {101, 106, true, File},
    {107, 107, true, Exit},
    {6053, 6053, true, File},
    {6052, 6052, false, File},
    {201, 201, true, Undo},
    {6076, 6076, true, Redo},
    {202, 202, true, Clear},
    {203, 203, true, SelectAll},
    {204, 204, true, Cut},
    {205, 205, true, Copy},
    {206, 206, true, Paste},
    {6054, 6054, true, Insert},
    {207, 207, false, Group},
    {208, 208, false, Ungroup},
    {209, 209, true, BringToFront},
    {210, 210, true, SendToBack},
    {6063, 6068, false, Align},
    {6070, 6073, false, SpaceEvenly},
    {453, 453, false, Move},
    {6074, 6074, false, Scale},
    {6075, 6075, false, Rotate},
    {301, 301, true, Redraw},
    {302, 302, true, Preview},
    {504, 505, false, Orientation},
    {303, 303, false, Grid},
    {304, 306, true, Fit},
    {401, 417, false, ToolCommand},
    {450, 452, false, ToolCommand},
    {454, 456, false, ToolCommand},
    {501, 501, true, Font},
    {6055, 6055, false, Leading},
    {6056, 6059, true, Alignment},
    {6011, 6013, false, Fill},
    {6014, 6022, false, Fill},
    {6048, 6048, false, Fill},
    {6023, 6023, false, ColorCommand},
    {6044, 6044, false, ColorCommand},
    {6024, 6024, false, Line},
    {6049, 6049, false, Line},
    {6051, 6051, false, Line},
    {6025, 6033, false, Pen},
    {6041, 6043, false, Pen},
    {6034, 6037, false, Arrows},
    {6038, 6040, false, ArrowStyle},
    {6045, 6045, true, PickStyle},
    {6046, 6046, true, ApplyStyle},
    {6008, 6008, false, Options},
    {6003, 6005, false, Help},
    {601, 601, true, About},
};

}  // namespace

void DispatchCommand(int id) {
  for (const CommandRow& row : kCommands) {
    if (id < row.first || id > row.last) continue;
    if (!App().drawing) return;
    if (row.select) SelectTool(kToolSelection);
    row.run(id);
    return;
  }
  DebugLog("Unknown menu command %d", id);
}
