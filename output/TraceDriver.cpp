#include "output/TraceDriver.h"

#include <cstdio>
#include <string_view>

#include "model/ImageData.h"
#include "model/PathShapes.h"
#include "output/OutputSink.h"

namespace {

// Joins the pieces of a line by appending, without the temporaries of operator+ chains.
template <typename... Parts>
std::string Cat(const Parts&... parts) {
  std::string out;
  (out.append(std::string_view(parts)), ...);
  return out;
}

}  // namespace

std::string TraceNumber(double v) {
  if (v == 0) v = 0;  // "-0" would make equal geometry print differently
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

namespace {

std::string Color3(const Color& c) {
  return Cat(TraceNumber(c.red), ",", TraceNumber(c.green), ",", TraceNumber(c.blue));
}

std::string Numbers(std::initializer_list<double> values) {
  std::string out;
  for (double v : values) {
    if (!out.empty()) out += ' ';
    out += TraceNumber(v);
  }
  return out;
}

std::string Arrow(const Arrowhead* a) {
  if (!a) return "-";
  return Cat(std::to_string(a->enabled), ":", std::to_string(a->kind));
}

}  // namespace

std::string TraceStyle(const PaintStyle* s) {
  if (!s) return "-";
  return Cat("{lw=", TraceNumber(s->lineWidth), " S=", std::to_string(s->strokeOn), ":",
             Color3(s->strokeColor), " F=", std::to_string(s->fillOn), ":", Color3(s->fillColor),
             " pat=", std::to_string(s->pattern), " dash=", std::to_string(s->dash), "}");
}

std::string TraceMatrix(const Matrix* m) {
  if (!m) return "-";
  return Cat("[", Numbers({m->a, m->b, m->c, m->d, m->tx, m->ty}), "]");
}

std::string TraceQuoted(const char* text) {
  if (!text) return "-";
  std::string out = "\"";
  for (const char* p = text; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += char(c);
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c > 0x7e) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  out += '"';
  return out;
}

std::string TraceDriver::Text() const {
  std::string out;
  for (const std::string& line : lines_) {
    out += line;
    out += '\n';
  }
  return out;
}

void TraceDriver::Emit(std::string line) {
  if (sink_) {
    line += '\n';
    sink_->WriteString(line.c_str());
  } else {
    lines_.push_back(std::move(line));
  }
}

int32_t TraceDriver::BeginDocument(const PageInfo* page, int32_t embedFonts, ProgressDialog*) {
  std::string line = "BeginDocument";
  if (page) {
    line +=
        Cat(" bbox=[",
            Numbers({double(page->llx), double(page->lly), double(page->urx), double(page->ury)}),
            "] title=", TraceQuoted(page->title.c_str()),
            " landscape=", std::to_string(page->landscape), " grid=[",
            Numbers({double(page->grid[0]), double(page->grid[1]), double(page->grid[2]),
                     double(page->grid[3])}),
            "]");
  } else {
    line += " -";
  }
  line += Cat(" embed=", std::to_string(embedFonts));
  Emit(std::move(line));
  return beginResult_;
}

void TraceDriver::EndDocument(ProgressDialog*) { Emit("EndDocument"); }
void TraceDriver::BeginGroup() { Emit("BeginGroup"); }
void TraceDriver::EndGroup() { Emit("EndGroup"); }
void TraceDriver::BeginCompound() { Emit("BeginCompound"); }
void TraceDriver::EndCompound() { Emit("EndCompound"); }

void TraceDriver::DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                           float ry) {
  if (useBaseCurves_) return OutputDriver::DrawOval(style, m, cx, cy, rx, ry);
  Emit(Cat("DrawOval ", TraceStyle(style), " ", TraceMatrix(m), " ", Numbers({cx, cy, rx, ry})));
}

void TraceDriver::DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                          float ry, float startDeg, float endDeg) {
  if (useBaseCurves_) return OutputDriver::DrawArc(style, m, cx, cy, rx, ry, startDeg, endDeg);
  Emit(Cat("DrawArc ", TraceStyle(style), " ", TraceMatrix(m), " ",
           Numbers({cx, cy, rx, ry, startDeg, endDeg})));
}

void TraceDriver::DrawPie(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                          float ry, float startDeg, float endDeg) {
  Emit(Cat("DrawPie ", TraceStyle(style), " ", TraceMatrix(m), " ",
           Numbers({cx, cy, rx, ry, startDeg, endDeg})));
}

void TraceDriver::DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                           float y2, const Arrowhead* start, const Arrowhead* end) {
  Emit(Cat("DrawLine ", TraceStyle(style), " ", TraceMatrix(m), " ", Numbers({x1, y1, x2, y2}), " ",
           Arrow(start), " ", Arrow(end)));
}

void TraceDriver::DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points,
                              int32_t count, int32_t closed) {
  std::string line = Cat("DrawPolygon ", TraceStyle(style), " ", TraceMatrix(m),
                         " n=", std::to_string(count), " closed=", std::to_string(closed));
  for (int32_t i = 0; points && i < count; ++i)
    line += Cat(" (", Numbers({points[i].x, points[i].y}), ")");
  Emit(std::move(line));
}

void TraceDriver::DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                            int32_t count, int32_t closed) {
  std::string line = Cat("DrawCurve ", TraceStyle(style), " ", TraceMatrix(m),
                         " n=", std::to_string(count), " closed=", std::to_string(closed));
  for (int32_t i = 0; nodes && i < count; ++i) {
    const CurveNode& n = nodes[i];
    line += Cat(" (", Numbers({n.x, n.y}), "; ", Numbers({n.inX, n.inY}), "; ",
                Numbers({n.outX, n.outY}), "; ", std::to_string(int(n.corner)), ")");
  }
  Emit(std::move(line));
}

void TraceDriver::DrawText(const PaintStyle* style, const Matrix* m, const char* text,
                           const char* font, float size, float leading, int32_t align,
                           const float* rect) {
  std::string line = Cat("DrawText ", TraceStyle(style), " ", TraceMatrix(m),
                         " font=", TraceQuoted(font), " size=", TraceNumber(size),
                         " leading=", TraceNumber(leading), " align=", std::to_string(align));
  if (rect)
    line += Cat(" rect=[", Numbers({rect[0], rect[1], rect[2], rect[3]}), "]");
  else
    line += " rect=-";
  line += Cat(" text=", TraceQuoted(text));
  Emit(std::move(line));
}

void TraceDriver::DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                          float y2) {
  Emit(Cat("DrawBox ", TraceStyle(style), " ", TraceMatrix(m), " ", Numbers({x1, y1, x2, y2})));
}

void TraceDriver::DrawImage(const Matrix* m, const ImageData* image) {
  std::string line = Cat("DrawImage ", TraceMatrix(m));
  if (!image) {
    line += " -";
  } else {
    uint32_t h = 2166136261u;
    for (uint8_t b : image->pixels) {
      h ^= b;
      h *= 16777619u;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, " fnv=%08x", h);
    line += Cat(" ", std::to_string(image->width), "x", std::to_string(image->height), buf);
  }
  Emit(std::move(line));
}
