#include "output/InsertCommands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/TabExpansion.h"
#include "model/TextMetrics.h"
#include "model/TextShape.h"
#include "output/MetafileImport.h"
#include "output/OutputDriver.h"
#include "output/PsReader.h"
#include "platform/fontsys/Cp1252.h"
#include "platform/msgbox/Messages.h"

namespace {

// View positions of inserted bitmaps and texts.
constexpr float kBitmapViewX = 10, kBitmapViewY = 10;
constexpr float kTextViewX = 10, kTextViewY = 30;
constexpr float kTextSize = 24;

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t b = uint8_t(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t n;
    uint32_t c, min;
    if ((b & 0xE0) == 0xC0) {
      n = 1, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      n = 2, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      n = 3, c = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (n > s.size() - i - 1) return false;
    for (size_t k = 1; k <= n; ++k) {
      const uint8_t t = uint8_t(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

// Puts the list's shapes on top of the drawing and makes them the selection. The room is made
// first, so the drawing either takes every shape or, with "Out of memory", none (the list's
// shapes are then destroyed).
int32_t AddInserted(Drawing& drawing, ShapeList* list) {
  const int32_t n = list->Count();
  if (n > INT32_MAX - drawing.shapes().Count() ||
      !drawing.shapes().Reserve(drawing.shapes().Count() + n) || !drawing.selection().Reserve(n)) {
    DestroyShapes(list);
    ShowError("Out of memory");
    drawing.UpdateSelectionStatus();
    return 0;
  }
  drawing.ClearSelection();
  for (Shape* shape : *list) {
    drawing.AddShape(shape);
    drawing.Select(shape);
  }
  list->Clear();
  drawing.SetModified();
  drawing.UpdateSelectionStatus();
  return 1;
}

int32_t AddOneInserted(Drawing& drawing, Shape* shape) {
  ShapeList list;
  if (!list.Append(shape)) {
    delete shape;
    ShowError("Out of memory");
    return 0;
  }
  return AddInserted(drawing, &list);
}

std::string DefaultFontName() {
  FontManager* fonts = TheFontManager();
  FontFace* face = fonts ? fonts->DefaultFace() : nullptr;
  return face ? face->PostScriptName() : "Helvetica";
}

// The widest line of the text, each line ending at a CR or an LF and measured as the layout
// measures it (up to its 511th character).
float WidestLine(const std::string& text, const std::string& font, float size) {
  TextMetrics* metrics = CurrentTextMetrics();
  if (!metrics) return 0;
  float widest = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const size_t n = std::min(end - start, size_t(kMaxLineChars));
    if (n > 0) {
      widest = std::max(widest,
                        metrics->StringWidth(font.c_str(), text.c_str() + start, int32_t(n), size));
    }
    start = end + 1;
  }
  return widest;
}

}  // namespace

Point ViewToPage::Map(float x, float y) const {
  return Point{m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty};
}

ViewToPage PageTopLeftMapping(const Drawing& drawing) {
  ViewToPage v;
  if (drawing.landscape) {
    v.m = Matrix{0, 1, 1, 0, 0, 0};
  } else {
    v.m = Matrix{1, 0, 0, -1, 0, float(drawing.PageHeight())};
  }
  return v;
}

std::string NativeFileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && dot >= base) return path.substr(0, dot) + ".QLX";
  return path + ".QLX";
}

int32_t OpenDrawing(Drawing& drawing, const std::string& path) {
  drawing.NewDrawing();
  drawing.defaultStyle = PaintStyle();
  drawing.modified = 0;
  drawing.path = path;
  const int32_t result = OpenDrawingFile(path.c_str(), &drawing);
  if (!result) drawing.path.clear();
  drawing.modified = 0;
  drawing.UpdateSelectionStatus();
  return result;
}

int32_t ImportDrawing(Drawing& drawing, const std::string& path, int32_t kind) {
  drawing.NewDrawing();
  drawing.defaultStyle = PaintStyle();
  drawing.modified = 0;
  drawing.UpdateSelectionStatus();
  if (kind == kFileMetafile) return ImportMetafileDrawing(drawing, path);
  if (kind != kFileIllustrator || !OpenDrawingFile(path.c_str(), &drawing)) {
    drawing.path.clear();
    return 0;
  }
  drawing.path = NativeFileName(path);
  drawing.SetModified();
  return 1;
}

int32_t InsertDrawingFile(Drawing& drawing, const std::string& path) {
  drawing.status = "Inserting...";
  ShapeList list;
  PageInfo page;  // the drawing keeps its own orientation and grid
  PsReader reader;
  if (!reader.ReadFile(path.c_str(), &list, &page, nullptr)) {
    DestroyShapes(&list);
    ShowError(Format("An error has occurred while inserting drawing file\n%s", path.c_str()));
    drawing.UpdateSelectionStatus();
    return 0;
  }
  return AddInserted(drawing, &list);
}

int32_t InsertBitmapFile(Drawing& drawing, const std::string& path, const ViewToPage& view) {
  auto* image = new (std::nothrow) ImageShape;
  if (!image) {
    ShowError("Out of memory");
    return 0;
  }
  drawing.status = "Inserting...";
  if (!image->LoadFromFile(path.c_str())) {
    delete image;
    ShowError(Format("Can't insert bitmap %s", path.c_str()));
    drawing.UpdateSelectionStatus();
    return 0;
  }
  // One point per pixel. The view point is the image's top-left corner; a landscape page is
  // shown turned, so there the shape's origin is the corner that appears top-left.
  const float w = float(image->image.width), h = float(image->image.height);
  const Point p = view.Map(kBitmapViewX, kBitmapViewY);
  image->SetMatrix(w, 0, 0, h, p.x, drawing.landscape ? p.y : p.y - h);
  return AddOneInserted(drawing, image);
}

int32_t ConvertTextFileBytes(std::string_view bytes, const std::string& path, std::string* text,
                             std::string* message) {
  text->clear();
  if (bytes.size() > kMaxTextFileBytes) {
    *message = Format("Text file %s is too large", path.c_str());
    return 0;
  }
  if (bytes.empty()) {
    *message = Format("Text file %s is empty", path.c_str());
    return 0;
  }
  std::string chars;
  if (IsValidUtf8(bytes)) {
    // A byte order mark says how the file is encoded; it is not part of the text.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    chars = Utf8ToCp1252(bytes);
  } else {
    chars.assign(bytes);
  }
  // A NUL would end the text there and lose the rest.
  std::erase(chars, '\0');
  // Tab stops are the file's own lines' columns, so tabs go before the line ends are read.
  chars = ExpandTabs(chars);
  text->reserve(chars.size());
  const size_t n = chars.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = chars[i];
    if (c == '\r' && i + 1 < n && chars[i + 1] == '\n') continue;  // CR LF reads as LF
    if (c != '\n') {
      text->push_back(c);
      continue;
    }
    // The next LF, past a CR LF's CR.
    size_t next = i + 1;
    if (next + 1 < n && chars[next] == '\r' && chars[next + 1] == '\n') ++next;
    if (next < n && chars[next] == '\n') {
      text->append("\r\r");
      i = next;
    } else if (next < n) {
      text->push_back('\n');
    }
  }
  message->clear();
  return 1;
}

int32_t InsertTextFile(Drawing& drawing, const std::string& path, const ViewToPage& view) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    ShowError(Format("Can't access %s", path.c_str()));
    return 0;
  }
  if (uint64_t(st.st_size) > kMaxTextFileBytes) {
    ShowError(Format("Text file %s is too large", path.c_str()));
    return 0;
  }
  if (st.st_size == 0) {
    ShowError(Format("Text file %s is empty", path.c_str()));
    return 0;
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    ShowError(Format("Can't open %s", path.c_str()));
    return 0;
  }
  // One byte more than allowed, so a file that grew since its size was taken is still refused.
  std::string bytes(kMaxTextFileBytes + 1, '\0');
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    ShowError(Format("Can't open %s", path.c_str()));
    return 0;
  }
  bytes.resize(got);
  std::string text, message;
  if (!ConvertTextFileBytes(bytes, path, &text, &message)) {
    ShowError(message);
    return 0;
  }

  const std::string font = DefaultFontName();
  auto* shape = new (std::nothrow)
      TextShape(text.c_str(), font, kTextSize, TextShape::LeadingForSize(kTextSize), 0);
  if (!shape || shape->buffer().TextLength() != int32_t(text.size())) {
    delete shape;
    ShowError("Out of memory");
    return 0;
  }
  drawing.status = "Inserting...";
  // As wide as its widest line, so the file's lines are not wrapped shorter.
  shape->SetFrame(0, 0, WidestLine(text, font, kTextSize), -144);
  // The frame's top-left corner at the view point. On a landscape page the text would grow
  // off the page from there (its frame hangs below y = 0, which is shown to the left), so the
  // frame's bottom-left corner takes the point, as the bitmap's origin does.
  const Point p = view.Map(kTextViewX, kTextViewY);
  shape->SetMatrix(1, 0, 0, 1, p.x, drawing.landscape ? p.y - shape->frame().y2 : p.y);
  return AddOneInserted(drawing, shape);
}

int32_t InsertFile(Drawing& drawing, const std::string& path, int32_t kind,
                   const ViewToPage& view) {
  switch (kind) {
    case kFileDrawing:
    case kFileIllustrator:
      return InsertDrawingFile(drawing, path);
    case kFileBitmap:
      return InsertBitmapFile(drawing, path, view);
    case kFileText:
      return InsertTextFile(drawing, path, view);
    case kFileMetafile:
      return InsertMetafile(drawing, path);
    default:
      return 0;
  }
}
