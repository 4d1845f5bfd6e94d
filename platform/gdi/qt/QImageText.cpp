// Text runs on the QImage device: glyph outlines from the face's own font file through QRawFont,
// placed at the run's integer advances and filled under the world transform, as ExtTextOut draws
// them on a device context in advanced graphics mode.
#include <QBrush>
#include <QByteArray>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRawFont>
#include <QTransform>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
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
  // translate(x, y) . [a b c d] . scale(1, -1), applied to glyph space.
  QTransform world(run.a, run.b, -run.c, -run.d, run.x, run.y);
  FillShape(world.map(outline),
            QBrush(QColor(RedOf(run.color), GreenOf(run.color), BlueOf(run.color))));
  return true;
}

}  // namespace gdi
