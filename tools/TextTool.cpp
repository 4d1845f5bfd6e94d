#include "tools/TextTool.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/AppState.h"
#include "fonts/FontFace.h"
#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "model/GraphicsState.h"
#include "model/SimpleShapes.h"
#include "model/TextFrameAction.h"
#include "model/TextMetrics.h"
#include "model/UndoActions.h"
#include "platform/msgbox/Messages.h"
#include "render/GdiPainter.h"
#include "render/View.h"
#include "tools/ToolCursors.h"
#include "tools/ToolSupport.h"

namespace {

const char kActivated[] = "Text: Click and drag a new text box (or click existing text)";
const char kTyping[] = "Text: Key in text";

// A new text's leading, and the size a click or a too small drag gives the box.
constexpr float kNewLeading = 26;
constexpr float kDefaultBox = 144;
constexpr float kMinWidth = 2;
constexpr float kMinHeight = 9;
// Texts are found this close to the click; the typing area is repainted this far around.
constexpr float kFindPixels = 4;
constexpr float kRepaintMargin = 5;

bool IsBreak(char c) { return c == kParagraphEnd || c == kSoftBreak; }

// One line of the laid-out text: [start, end) up to its CR, LF or the end of the text.
struct TextLine {
  int32_t start = 0;
  int32_t end = 0;
  bool lastOfParagraph = false;
  int32_t spaces = 0;
};

std::vector<TextLine> LinesOf(const char* s, int32_t n) {
  std::vector<TextLine> lines;
  for (int32_t start = 0;;) {
    TextLine line;
    line.start = start;
    int32_t i = start;
    while (i < n && !IsBreak(s[i])) line.spaces += s[i++] == ' ' ? 1 : 0;
    line.end = i;
    line.lastOfParagraph = i >= n || s[i] == kParagraphEnd;
    lines.push_back(line);
    if (i >= n) break;
    start = i + 1;
  }
  return lines;
}

float Width(const TextShape& t, const char* s, int32_t n) {
  TextMetrics* m = CurrentTextMetrics();
  if (!m || n <= 0) return 0;
  return m->StringWidth(t.font().c_str(), s, std::min(n, kMaxLineChars), t.size());
}

float AscentOf(const TextShape& t) {
  TextMetrics* m = CurrentTextMetrics();
  return m ? m->Ascent(t.font().c_str(), t.size()) : 0;
}

float DescentOf(const TextShape& t) {
  TextMetrics* m = CurrentTextMetrics();
  return m ? m->Descent(t.font().c_str(), t.size()) : 0;
}

// Start x of a line by the alignment and the extra advance of each space (justified lines).
float LineStart(const TextShape& t, const TextLine& line, float* extra) {
  const BoxShape& f = t.frame();
  const float w = Width(t, t.text() + line.start, line.end - line.start);
  *extra = 0;
  switch (t.alignment()) {
    case 1:
      return (f.x1 + f.x2) / 2 - w / 2;
    case 2:
      return f.x2 - w;
    case 3:
      if (line.spaces > 0 && !line.lastOfParagraph) *extra = ((f.x2 - f.x1) - w) / line.spaces;
      return f.x1;
    default:
      return f.x1;
  }
}

// x of the character boundary `pos` within its line.
float BoundaryX(const TextShape& t, const TextLine& line, float x0, float extra, int32_t pos) {
  const char* s = t.text();
  int32_t spaces = 0;
  for (int32_t i = line.start; i < pos; ++i) spaces += s[i] == ' ' ? 1 : 0;
  return x0 + Width(t, s + line.start, pos - line.start) + extra * spaces;
}

std::string NewTextFont() {
  if (App().textFont) return App().textFont->PostScriptName();
  FontManager* fm = TheFontManager();
  FontFace* face = fm ? fm->DefaultFace() : nullptr;
  return face ? face->PostScriptName() : std::string();
}

// A hairline through the points under a matrix on the current target; the frame of a text
// and its caret.
void StrokeHairline(const Matrix& m, const Point* points, int count, bool closed) {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.newpath();
  gs.concat(m);
  gs.moveto(points[0].x, points[0].y);
  for (int i = 1; i < count; ++i) gs.lineto(points[i].x, points[i].y);
  if (closed) gs.closepath();
  gs.setlinewidth(0);
  gs.setrgbcolor(0, 0, 0);
  gs.setpattern(-1);
  gs.setdash(-1);
  gs.stroke(0);
  gs.grestore();
}

Rect Widened(const Rect& r, float by) {
  if (RectIsEmpty(r)) return r;
  return Rect{r.x1 - by, r.y1 - by, r.x2 + by, r.y2 + by};
}

}  // namespace

TextTool::TextTool() = default;
TextTool::~TextTool() = default;

TextShape* TextTool::text() const {
  if (state_ == kNew) return fresh_.get();
  if (state_ == kEditing) return edited_;
  return nullptr;
}

void TextTool::BeginEdit(Shape* shape) {
  edited_ = shape && shape->Kind() == kTextShape ? static_cast<TextShape*>(shape) : nullptr;
  state_ = kAttached;
}

void TextTool::Activate() {
  state_ = kIdle;
  SetToolCursor(3);
  SetStatusText(kActivated);
}

int TextTool::HitHandle(float x, float y) {
  if (!edited_) return -1;
  const BoxShape& f = edited_->frame();
  const Point corners[4] = {{f.x1, f.y1}, {f.x2, f.y1}, {f.x2, f.y2}, {f.x1, f.y2}};
  for (int i = 0; i < 4; ++i)
    if (NearHandle(*edited_, corners[i].x, corners[i].y, x, y)) return i;
  return -1;
}

void TextTool::Deactivate() {
  Drawing* d = ToolDrawing();
  if (state_ == kNew && fresh_) {
    if (fresh_->buffer().TextLength() > 0) {
      AddFinishedShape(fresh_.release());
      RedrawAll();
    } else {
      RefreshWindowFromBuffers();
      fresh_.reset();
    }
  } else if (state_ == kEditing && edited_) {
    if (d) {
      // The typing made the change already.
      RecordDoneEdit(d, new EditTextAction(d, edited_, std::move(before_)));
      d->ClearSelection();
      d->Select(edited_);
    }
    RedrawAll();
  }
  state_ = kIdle;
  feedbackDrawn_ = false;
  SetStatusText(StatusText());
}

void TextTool::MouseDown(float x, float y, int) {
  Drawing* d = ToolDrawing();
  if (!d) return;
  if (state_ != kAttached) {
    if (state_ != kIdle) {
      Deactivate();
      Activate();
    }
    RefreshWindowFromBuffers();
    if (d->selection().Count() > 0) {
      d->ClearSelection();
      if (View* v = ToolView()) v->SelectRedraw();
    }
    const float t = PixelsInPoints(kFindPixels);
    edited_ = FindTextTouching(d->shapes(), x - t, y - t, x + t, y + t);
    state_ = edited_ ? kEditing : kNew;
  }
  feedbackDrawn_ = false;
  switch (state_) {
    case kNew: {
      fresh_ = std::make_unique<TextShape>("", NewTextFont(), std::trunc(App().textSize),
                                           kNewLeading, 0);
      SnapToGrid(&x, &y);
      BoxShape& f = fresh_->frame();
      f.x1 = f.x2 = x;
      f.y1 = f.y2 = y;
      caret_ = 0;
      break;
    }
    case kAttached: {
      handle_ = HitHandle(x, y);
      if (handle_ < 0) {
        state_ = kIdle;
        return;
      }
      oldBounds_ = RepaintBounds(*edited_);
      RefreshWindowFromBuffers();
      const BoxShape& f = edited_->frame();
      box_[0] = f.x1;
      box_[1] = f.y1;
      box_[2] = f.x2;
      box_[3] = f.y2;
      state_ = kDragging;
      BoxFeedback(true);
      break;
    }
    case kEditing: {
      before_ = TextBuffer(edited_->buffer());
      RedrawAll();
      const Point local = ITransform(edited_->matrix(), x, y);
      PlaceCaret(local.x, local.y);
      Key(0);
      break;
    }
    default:
      break;
  }
}

void TextTool::MouseMove(float x, float y, int shift) {
  if (state_ != kNew && state_ != kDragging) return;
  BoxFeedback(false);
  SnapToGrid(&x, &y);
  if (state_ == kNew && fresh_) {
    BoxShape& f = fresh_->frame();
    if (!shift) {
      f.x2 = x;
      f.y2 = y;
      SetStatusText(
          Format("Text: Rectangle: %.0fx%.0f", std::fabs(f.x2 - f.x1), std::fabs(f.y2 - f.y1)));
    } else {
      if (std::fabs(x - f.x1) <= std::fabs(y - f.y1)) {
        const float side = std::fabs(y - f.y1);
        f.y2 = y;
        f.x2 = x <= f.x1 ? f.x1 - side : f.x1 + side;
      } else {
        const float side = std::fabs(x - f.x1);
        f.x2 = x;
        f.y2 = y <= f.y1 ? f.y1 - side : f.y1 + side;
      }
      SetStatusText(Format("Text: Square: %.0f", std::fabs(f.x2 - f.x1)));
    }
  } else if (state_ == kDragging && edited_) {
    const Point p = ITransform(edited_->matrix(), x, y);
    BoxShape& f = edited_->frame();
    if (handle_ == 0 || handle_ == 3) f.x1 = p.x;
    if (handle_ == 1 || handle_ == 2) f.x2 = p.x;
    if (handle_ == 0 || handle_ == 1) f.y1 = p.y;
    if (handle_ == 2 || handle_ == 3) f.y2 = p.y;
    edited_->InvalidateBounds();
  }
  BoxFeedback(true);
}

void TextTool::MouseUp(float, float, int) {
  Drawing* d = ToolDrawing();
  if (state_ == kNew && fresh_) {
    BoxFeedback(false);
    BoxShape& f = fresh_->frame();
    const bool landscape = d && d->landscape;
    if (!landscape) {
      if (f.x1 > f.x2) std::swap(f.x1, f.x2);
      if (f.y1 < f.y2) std::swap(f.y1, f.y2);
    } else {
      // Turned to the page: the box's width runs along the screen's horizontal.
      if (f.y1 > f.y2) std::swap(f.y1, f.y2);
      if (f.x1 > f.x2) std::swap(f.x1, f.x2);
      const float oldX2 = f.x2;
      f.x2 = f.x1 + (f.y2 - f.y1);
      f.y2 = f.y1 + (f.x1 - oldX2);
    }
    if (f.x2 - f.x1 < kMinWidth) f.x2 = f.x1 + kDefaultBox;
    if (f.y1 - f.y2 < kMinHeight) f.y2 = f.y1 - kDefaultBox;
    RefreshWindowFromBuffers();
    if (landscape) fresh_->Rotate(f.x1, f.y1, 90);
    Key(0);
    return;
  }
  if (state_ != kDragging || !edited_) return;
  BoxFeedback(false);
  state_ = kIdle;
  BoxShape& f = edited_->frame();
  const Rect between = RepaintBounds(*edited_);
  if (f.x1 > f.x2) std::swap(f.x1, f.x2);
  if (f.y1 < f.y2) std::swap(f.y1, f.y2);
  edited_->Layout();
  if (d) RecordDoneEdit(d, new TextFrameAction(d, edited_, box_[0], box_[1], box_[2], box_[3]));
  RepaintAfterEdit(UnionRect(UnionRect(oldBounds_, between), RepaintBounds(*edited_)));
}

void TextTool::Key(int code) {
  TextShape* t = text();
  if (!t) return;
  const Rect before = TypingArea();
  TextBuffer& buf = t->buffer();
  const int32_t n = buf.TextLength();
  caret_ = std::clamp(caret_, 0, n);
  const char* s = buf.c_str();
  if (code == kKeyUp || code == kKeyDown) {
    float x = 0, baseline = 0;
    CaretPosition(&x, &baseline);
    if (code == kKeyUp) {
      if (caret_ != 0) --caret_;
      while (caret_ > 0 && !IsBreak(s[caret_])) --caret_;
    } else {
      while (caret_ < n && !IsBreak(s[caret_])) ++caret_;
      if (caret_ < n) ++caret_;
    }
    float ignored = 0, newBaseline = 0;
    CaretPosition(&ignored, &newBaseline);
    PlaceCaret(x, newBaseline);
  } else if (code == kKeyEnd) {
    caret_ = n;
  } else if (code == kKeyHome) {
    caret_ = 0;
  } else if (code == kKeyLeft) {
    if (caret_ > 0) --caret_;
  } else if (code == kKeyRight) {
    if (caret_ < n) ++caret_;
  } else if (code == kKeyDelete) {
    if (caret_ < n) buf.Erase(caret_);
  } else if (code == 8) {
    if (caret_ > 0 && buf.Erase(caret_ - 1)) --caret_;
  } else if (code == kParagraphEnd || (code >= 32 && code <= 255)) {
    if (buf.Insert(caret_, char(code))) ++caret_;
  }
  t->Layout();
  DrawTypingState(UnionRect(before, TypingArea()));
  SetStatusText(kTyping);
}

Rect TextTool::TypingArea() {
  TextShape* t = text();
  return t ? Widened(RepaintBounds(*t), kRepaintMargin) : Rect{};
}

void TextTool::PlaceCaret(float x, float y) {
  const TextShape* t = text();
  if (!t) return;
  const std::vector<TextLine> lines = LinesOf(t->text(), t->buffer().TextLength());
  float threshold = t->frame().y1 - AscentOf(*t) - t->leading() / 3;
  size_t k = 0;
  while (y < threshold && k + 1 < lines.size()) {
    ++k;
    threshold -= t->leading();
  }
  const TextLine& line = lines[k];
  float extra = 0;
  const float x0 = LineStart(*t, line, &extra);
  caret_ = line.start;
  float best = std::fabs(x - BoundaryX(*t, line, x0, extra, line.start));
  for (int32_t i = line.start + 1; i <= line.end; ++i) {
    const float d = std::fabs(x - BoundaryX(*t, line, x0, extra, i));
    if (d > best) break;
    best = d;
    caret_ = i;
  }
}

void TextTool::CaretPosition(float* x, float* baseline) const {
  const TextShape* t = text();
  if (!t) return;
  const std::vector<TextLine> lines = LinesOf(t->text(), t->buffer().TextLength());
  size_t k = 0;
  while (k + 1 < lines.size() && caret_ > lines[k].end) ++k;
  float extra = 0;
  const float x0 = LineStart(*t, lines[k], &extra);
  *x = BoundaryX(*t, lines[k], x0, extra, std::min(caret_, lines[k].end));
  *baseline = t->frame().y1 - AscentOf(*t) - float(k) * t->leading();
}

void TextTool::DrawTypingState(const Rect& area) {
  TextShape* t = text();
  View* v = ToolView();
  if (!t || !v) return;
  v->BeginDrawing();
  v->Redraw(v->preview ? &area : nullptr);
  SetDrawTargetMode(kDrawToWindow);
  // A new text is not in the drawing yet, so the redraw did not show it.
  if (state_ == kNew) t->Draw(v->preview ? 1 : 0);
  const BoxShape& f = t->frame();
  const Point frame[4] = {{f.x1, f.y1}, {f.x2, f.y1}, {f.x2, f.y2}, {f.x1, f.y2}};
  StrokeHairline(t->matrix(), frame, 4, true);
  float x = 0, baseline = 0;
  CaretPosition(&x, &baseline);
  const Point caret[2] = {{x, baseline + AscentOf(*t)}, {x, baseline + DescentOf(*t)}};
  StrokeHairline(t->matrix(), caret, 2, false);
  SetDrawTargetMode(kDrawToBuffer);
  v->WindowChanged();
  v->EndDrawing();
}

// The box outline of a new text or of a handle drag: XOR in preview, over the clean image
// otherwise. Called with false to remove what the last call with true drew.
void TextTool::BoxFeedback(bool draw) {
  if (draw == feedbackDrawn_) return;
  TextShape* t = state_ == kNew ? fresh_.get() : edited_;
  if (!t) return;
  BoxShape box(t->frame().x1, t->frame().y1, t->frame().x2, t->frame().y2);
  float m[6];
  t->GetMatrix(m);
  box.SetMatrixFrom(m);
  if (draw)
    ShowOutline(&box);
  else
    HideOutline(&box);
  feedbackDrawn_ = draw;
}

void RegisterTextTool() {
  auto tool = std::make_unique<TextTool>();
  TheShapeEditors().text = tool.get();
  RegisterTool(kToolText, std::move(tool));
}
