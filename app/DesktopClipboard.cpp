#include "app/DesktopClipboard.h"

#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <memory>
#include <vector>

#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/MemorySink.h"
#include "output/PsReader.h"
#include "output/RenderDrawing.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/BitmapRenderer.h"

namespace {

constexpr const char kDrawingMime[] = "application/x-ulvex-drawing";
constexpr const char kEpsMime[] = "image/x-eps";
// Drawings larger than this on the clipboard are not worth reading back.
constexpr qsizetype kMaxDrawingBytes = qsizetype(1) << 30;
// The picture is made at twice the size for sharp screens, up to this many pixels.
constexpr int64_t kMaxPicturePixels = int64_t(8192) * 8192;

// Keeps the supersampled bitmap instead of writing a reduced BMP.
class PictureRenderer : public BitmapRenderer {
 public:
  PictureRenderer() : BitmapRenderer(nullptr, 2) {}
  void EndDocument(ProgressDialog*) override {
    if (Bitmap()) picture = Bitmap()->image().copy();
    ReleaseBitmap();
  }
  QImage picture;
};

// A drawing of its own holding copies of the clipboard's shapes, with the page setup of the
// drawing they came from.
bool MakeClipboardDrawing(Drawing& from, Drawing* out) {
  out->pageSize = from.pageSize;
  out->landscape = from.landscape;
  out->grid = from.grid;
  for (Shape* shape : from.clipboard()) {
    Shape* copy = shape->Clone();
    if (!copy) return false;
    if (!out->AddShape(copy)) {
      delete copy;
      return false;
    }
  }
  return true;
}

QImage Picture(Drawing& drawing) {
  const PageInfo page = MakePageInfo(drawing, 9, PageBox::kInk);
  const int64_t w = int64_t(page.urx) - page.llx, h = int64_t(page.ury) - page.lly;
  if (w <= 0 || h <= 0 || 4 * w * h > kMaxPicturePixels) return {};
  PictureRenderer renderer;
  if (!RenderDrawing(drawing, &renderer, 0, 9, nullptr, PageBox::kInk)) return {};
  renderer.picture.setDevicePixelRatio(2);
  return renderer.picture;
}

QClipboard* Clipboard() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::clipboard()
                                                                   : nullptr;
}

}  // namespace

void PublishClipboard(Drawing& drawing) {
  QClipboard* clipboard = Clipboard();
  if (!clipboard || drawing.clipboard().Empty()) return;
  Drawing copy;
  if (!MakeClipboardDrawing(drawing, &copy)) return;
  std::string native, eps;
  if (!WriteDrawingToMemory(copy, kExportNative, &native)) return;
  auto data = std::make_unique<QMimeData>();
  data->setData(kDrawingMime, QByteArray(native.data(), qsizetype(native.size())));
  if (WriteDrawingToMemory(copy, kExportEps, &eps)) {
    data->setData(kEpsMime, QByteArray(eps.data(), qsizetype(eps.size())));
  }
  QImage picture = Picture(copy);
  if (!picture.isNull()) data->setImageData(picture);
  clipboard->setMimeData(data.release());
}

bool TakeDesktopClipboard(Drawing& drawing) {
  QClipboard* clipboard = Clipboard();
  if (!clipboard) return false;
  const QMimeData* data = clipboard->mimeData();
  if (!data || !data->hasFormat(kDrawingMime)) return false;
  const QByteArray bytes = data->data(kDrawingMime);
  if (bytes.isEmpty() || bytes.size() > kMaxDrawingBytes) return false;
  ShapeList shapes;
  PageInfo page;
  std::vector<std::string> missing;
  PsReader reader;
  if (!reader.Read(bytes.constData(), size_t(bytes.size()), &shapes, &page, &missing) ||
      shapes.Empty()) {
    DestroyShapes(&shapes);
    return false;
  }
  ReportMissingFonts(missing);
  DestroyShapes(&drawing.clipboard());
  NoteShapesChanged();  // freed shapes may come back at the same addresses
  drawing.clipboard().Swap(shapes);
  return true;
}

bool CanPaste(Drawing& drawing) {
  if (drawing.clipboard().Count() > 0) return true;
  QClipboard* clipboard = Clipboard();
  if (!clipboard) return false;
  // The bars ask whenever the program goes idle; asking the clipboard's owner each time would
  // cost a round trip to another program, so the answer is kept until the clipboard changes.
  static int known = -1;
  static bool connected = false;
  if (!connected) {
    connected = true;
    QObject::connect(clipboard, &QClipboard::dataChanged, [] { known = -1; });
  }
  if (known < 0) {
    const QMimeData* data = clipboard->mimeData();
    known = data && data->hasFormat(kDrawingMime) ? 1 : 0;
  }
  return known == 1;
}
