// Text runs on the QImage device, at the run's integer advances under the world transform, as
// ExtTextOut draws them on a device context in advanced graphics mode. Upright text, painted
// over the pixels, takes the font rasterizer's hinted one-bit glyphs at the size it comes out at
// on the device, as the screen shows TrueType text: the hints keep stems and bars whole at small
// sizes, where a bare outline filled at pixel centres loses them. Turned, slanted or stretched
// text, and text combined with the pixels (feedback), fills the glyph outlines from the face's
// own font file through QRawFont.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <QBrush>
#include <QByteArray>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRawFont>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/fontsys/Cp1252.h"
#include "platform/fontsys/SystemFonts.h"
#include "platform/gdi/qt/QImageDevice.h"

namespace gdi {

namespace {

// Outlines are taken at this size and scaled down, so small sizes keep their exact shape.
constexpr double kOutlinePixels = 1000.0;
// Faces kept loaded; a drawing rarely uses more, and the cache starts over beyond it.
constexpr size_t kMaxCachedFaces = 32;

struct LoadedFace {
  QRawFont font;
  std::map<uint32_t, QPainterPath> glyphs;  // outline of each glyph at kOutlinePixels
};

// Null when the file cannot be read as a font. QRawFont opens only the first face of a
// collection's file, so a later member is loaded from its tables rebuilt as a font of its own,
// once per face.
LoadedFace* FaceOf(const char* path, int32_t faceIndex) {
  // Never destroyed: QRawFont must not outlive the application object, and static
  // destructors run after it is gone.
  static auto& cache = *new std::map<std::pair<std::string, int32_t>, std::unique_ptr<LoadedFace>>;
  auto key = std::make_pair(std::string(path), faceIndex);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second.get();
  if (cache.size() >= kMaxCachedFaces) cache.clear();
  auto face = std::make_unique<LoadedFace>();
  if (faceIndex == 0) {
    face->font = QRawFont(QString::fromLocal8Bit(path), kOutlinePixels, QFont::PreferNoHinting);
  } else {
    std::vector<uint8_t> sfnt;
    if (LoadFaceSfnt(path, faceIndex, &sfnt)) {
      QByteArray data(reinterpret_cast<const char*>(sfnt.data()), qsizetype(sfnt.size()));
      face->font = QRawFont(data, kOutlinePixels, QFont::PreferNoHinting);
    }
  }
  LoadedFace* result = face->font.isValid() ? face.get() : nullptr;
  cache.emplace(std::move(key), std::move(face));
  return result;
}

const QPainterPath& GlyphPath(LoadedFace* face, uint32_t glyph) {
  auto it = face->glyphs.find(glyph);
  if (it == face->glyphs.end())
    it = face->glyphs.emplace(glyph, face->font.pathForGlyph(glyph)).first;
  return it->second;
}

// Bitmaps of the rasterizer's faces at one size: a glyph's rows (one bit a pixel, leftmost
// first), placed from its origin.
struct GlyphBits {
  int32_t left = 0, top = 0;  // from the origin to the first column; rows above the baseline
  int32_t width = 0, rows = 0, pitch = 0;
  std::vector<uint8_t> bits;
};

// Device sizes outside these take the outlines: below, there is nothing to hint; above, the
// bitmaps would be large, and the outline is exact enough.
constexpr double kMinBitmapPixels = 2, kMaxBitmapPixels = 160;
// How far from upright, as a share of the scale, a run may be and still take the bitmaps: a
// thousandth of a pixel over a run a thousand pixels long.
constexpr double kUprightSlack = 1e-6;
// Bitmaps kept, over all faces and sizes; the cache starts over beyond it.
constexpr size_t kMaxCachedBitmaps = 8192;

class Rasterizer {
 public:
  ~Rasterizer() = delete;  // never destroyed, as the face cache
  static Rasterizer& The() {
    static Rasterizer* r = new Rasterizer;
    return *r;
  }
  // Room for a run of `count` glyphs: the bitmaps a run holds must stay until it is drawn.
  void MakeRoom(size_t count) {
    if (bitmaps_.size() + count > kMaxCachedBitmaps) bitmaps_.clear();
  }
  // The glyph at `pixels` to the em (26.6); null when the font cannot give it.
  const GlyphBits* Glyph(const char* path, int32_t faceIndex, int32_t pixels, uint32_t glyph) {
    if (!library_) return nullptr;
    const Key key{path, faceIndex, pixels, glyph};
    auto it = bitmaps_.find(key);
    if (it != bitmaps_.end()) return &it->second;
    FT_Face face = Face(path, faceIndex);
    if (!face || FT_Set_Char_Size(face, 0, pixels, 72, 72) != 0 ||
        FT_Load_Glyph(face, glyph, FT_LOAD_TARGET_MONO) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0)
      return nullptr;
    const FT_Bitmap& bm = face->glyph->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO || bm.pitch < 0) return nullptr;
    GlyphBits g;
    g.left = face->glyph->bitmap_left;
    g.top = face->glyph->bitmap_top;
    g.width = int32_t(bm.width);
    g.rows = int32_t(bm.rows);
    g.pitch = bm.pitch;
    g.bits.assign(bm.buffer, bm.buffer + size_t(bm.pitch) * bm.rows);
    return &bitmaps_.emplace(key, std::move(g)).first->second;
  }

 private:
  Rasterizer() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  FT_Face Face(const char* path, int32_t faceIndex) {
    auto key = std::make_pair(std::string(path), faceIndex);
    auto it = faces_.find(key);
    if (it != faces_.end()) return it->second;
    // Each open face holds its file open; the bitmaps are copies and outlive their faces.
    if (faces_.size() >= kMaxCachedFaces) {
      for (auto& open : faces_)
        if (open.second) FT_Done_Face(open.second);
      faces_.clear();
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library_, path, faceIndex, &face) != 0) face = nullptr;
    faces_.emplace(std::move(key), face);  // a failure too, so that it is not tried again
    return face;
  }
  using Key = std::tuple<std::string, int32_t, int32_t, uint32_t>;
  FT_Library library_ = nullptr;
  std::map<std::pair<std::string, int32_t>, FT_Face> faces_;
  std::map<Key, GlyphBits> bitmaps_;
};

// Bands of one image draw on several threads; the face cache is shared.
std::mutex& CacheLock() {
  static std::mutex lock;
  return lock;
}

// The run's face and glyphs; false when they cannot be drawn. Called with the cache locked.
bool LoadGlyphs(const GlyphRun& run, LoadedFace** face, std::vector<quint32>* glyphs, int* count) {
  if (!run.fontPath || !run.text || run.length <= 0 || !run.advances) return false;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  *face = FaceOf(run.fontPath, run.faceIndex);
  if (!*face) return false;
  std::vector<QChar> chars(size_t(run.length));
  for (int32_t i = 0; i < run.length; ++i)
    chars[size_t(i)] = QChar(char16_t(Cp1252ToUnicode(uint8_t(run.text[i]))));
  glyphs->resize(size_t(run.length));
  *count = run.length;
  return (*face)->font.glyphIndexesForChars(chars.data(), run.length, glyphs->data(), count);
}

}  // namespace

bool QImageDevice::CanDrawGlyphRun(const GlyphRun& run) {
  std::lock_guard<std::mutex> hold(CacheLock());
  LoadedFace* face = nullptr;
  std::vector<quint32> glyphs;
  int count = 0;
  return LoadGlyphs(run, &face, &glyphs, &count);
}

bool QImageDevice::DrawGlyphRun(const GlyphRun& run) {
  if (image_.isNull()) return false;
  std::unique_lock<std::mutex> hold(CacheLock());
  LoadedFace* face = nullptr;
  std::vector<quint32> glyphs;
  int count = 0;
  if (!LoadGlyphs(run, &face, &glyphs, &count)) return false;

  // translate(x, y) . [a b c d] . scale(1, -1), applied to glyph space.
  const QTransform world(run.a, run.b, -run.c, -run.d, run.x, run.y);
  if (DrawGlyphBits(run, world, glyphs.data(), count)) return true;

  // Glyph space is y down at the run's size, each glyph at its pen position.
  const double k = double(run.size) / kOutlinePixels;
  QPainterPath outline;
  outline.setFillRule(Qt::WindingFill);
  double pen = 0;
  for (int i = 0; i < count && i < run.length; ++i) {
    const QPainterPath& g = GlyphPath(face, glyphs[size_t(i)]);
    if (!g.isEmpty()) outline.addPath(QTransform(k, 0, 0, k, pen, 0).map(g));
    pen += double(run.advances[i]);
  }
  hold.unlock();
  if (outline.isEmpty()) return true;
  FillShape(world.map(outline),
            QBrush(QColor(RedOf(run.color), GreenOf(run.color), BlueOf(run.color))));
  return true;
}

// Called with the cache locked. False, having drawn nothing, when the run takes the outlines.
bool QImageDevice::DrawGlyphBits(const GlyphRun& run, const QTransform& world,
                                 const uint32_t* glyphs, int count) {
  // Upright within what single-precision matrices leave of a quarter turn and back (the
  // shapes' own, and a landscape view's).
  const double scale = world.m11(), slack = kUprightSlack * scale;
  if (!CopyRop() || !(scale > 0) || std::abs(world.m12()) > slack ||
      std::abs(world.m21()) > slack || std::abs(world.m22() - scale) > slack)
    return false;
  const double pixels = double(run.size) * scale;
  if (!(pixels >= kMinBitmapPixels && pixels <= kMaxBitmapPixels)) return false;
  const int32_t em = int32_t(std::lround(pixels * 64));
  count = std::min(count, int(run.length));  // one advance a glyph
  Rasterizer& rasterizer = Rasterizer::The();
  std::vector<const GlyphBits*> bits(static_cast<size_t>(count));
  rasterizer.MakeRoom(bits.size());
  for (int i = 0; i < count; ++i) {
    bits[size_t(i)] = rasterizer.Glyph(run.fontPath, run.faceIndex, em, glyphs[i]);
    if (!bits[size_t(i)]) return false;  // all or nothing, so the run is drawn one way
  }
  const QRect area = clip_.intersected(image_.rect());
  const QRgb color = QColor(RedOf(run.color), GreenOf(run.color), BlueOf(run.color)).rgb();
  auto* pixelsOf = reinterpret_cast<uint32_t*>(image_.bits());
  const int64_t stride = image_.bytesPerLine() / 4;
  double pen = 0;
  for (int i = 0; i < count; ++i) {
    const GlyphBits& g = *bits[size_t(i)];
    const QPointF origin = world.map(QPointF(pen, 0));
    pen += double(run.advances[i]);
    if (!std::isfinite(origin.x()) || !std::isfinite(origin.y()) || std::abs(origin.x()) > 1e9 ||
        std::abs(origin.y()) > 1e9)
      continue;
    const int64_t left = std::llround(origin.x()) + g.left;
    const int64_t top = std::llround(origin.y()) - g.top;
    const int64_t y0 = std::max<int64_t>(top, area.top());
    const int64_t y1 = std::min<int64_t>(top + g.rows, int64_t(area.bottom()) + 1);
    const int64_t x0 = std::max<int64_t>(left, area.left());
    const int64_t x1 = std::min<int64_t>(left + g.width, int64_t(area.right()) + 1);
    for (int64_t y = y0; y < y1; ++y) {
      const uint8_t* row = g.bits.data() + (y - top) * g.pitch;
      uint32_t* out = pixelsOf + y * stride;
      for (int64_t x = x0; x < x1; ++x) {
        const int64_t c = x - left;
        if (row[c >> 3] & (0x80 >> (c & 7))) out[x] = color;
      }
    }
  }
  return true;
}

}  // namespace gdi
