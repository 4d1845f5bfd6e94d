#include "app/Print.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "fonts/FontFace.h"
#include "fonts/FontManager.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "model/GraphicsState.h"
#include "output/MetafileImport.h"
#include "output/PrinterSink.h"
#include "output/PsReader.h"
#include "output/QlxWriter.h"
#include "output/RenderDrawing.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "platform/msgbox/Messages.h"
#include "platform/spooler/Spooler.h"
#include "render/GdiPainter.h"
#include "render/GdiRenderer.h"

namespace {

// Printer resolution of the painted path. Enough for print quality; a band of a Letter page
// then stays a few megabytes.
constexpr int kPrintDpi = 300;
// Rows of one band: the page is painted band by band so that the whole page never has to be
// held as one bitmap.
constexpr int kBandRows = 512;

// Every failure names the queue and, where the spooler gave one, its reason.
void ReportPrintFailure(const std::string& queue, Spooler* spooler) {
  std::string text = Format("Unable to print on %s", queue.c_str());
  std::string reason = spooler ? spooler->LastError() : std::string();
  if (!reason.empty()) text += "\n" + reason;
  ShowError(text);
}

// Step 3: the PostScript stream as one raw job.
int PrintPostScript(Drawing& drawing, PrinterSink& sink) {
  sink.WriteString("%!PS-Adobe-3.0\r\n");
  std::vector<std::string> fonts;
  if (!CollectFonts(drawing.shapes(), &fonts)) {
    sink.Close();
    return 0;
  }
  int ok;
  {
    QlxPrintWriter writer(&sink, std::move(fonts));
    ok = RenderDrawing(drawing, &writer, 1, 9.0f, nullptr, PageBox::kInk);
  }  // the writer hands its last lines to the sink
  return sink.Close() && ok ? 1 : 0;
}

QPageSize PageSizeOf(const Drawing& drawing) {
  switch (drawing.pageSize) {
    case kPageLegal:
      return QPageSize(QPageSize::Legal);
    case kPageA4:
      return QPageSize(QPageSize::A4);
    default:
      return QPageSize(QPageSize::Letter);
  }
}

// The paper a CUPS name stands for: a standard key ("A4", "Letter") or "Custom.WxH" in points.
// Invalid for "" and for names Qt does not know.
QPageSize PaperNamed(const std::string& name) {
  const QString key = QString::fromStdString(name);
  if (key.isEmpty()) return {};
  for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
    const auto sizeId = QPageSize::PageSizeId(id);
    if (sizeId != QPageSize::Custom &&
        QPageSize::key(sizeId).compare(key, Qt::CaseInsensitive) == 0)
      return QPageSize(sizeId);
  }
  const QStringList wh = key.section('.', 1).split('x');
  if (key.startsWith("Custom.", Qt::CaseInsensitive) && wh.size() == 2) {
    bool okW = false, okH = false;
    const double w = wh[0].toDouble(&okW), h = wh[1].toDouble(&okH);
    // Ten metres is far beyond any printer; bigger values are typing slips.
    if (okW && okH && w >= 1 && h >= 1 && w <= 28350 && h <= 28350)
      return QPageSize(QSizeF(w, h), QPageSize::Point);
  }
  return {};
}

// Step 4: the drawing painted through the graphics layer onto each band of the page, once for
// every copy the printer cannot make itself.
int PaintOnPrinter(Drawing& drawing, QPrinter& printer, const PrintChoice& choice) {
  // The drawing's coordinates are those of its portrait page, whatever the orientation; a
  // landscape page goes onto landscape paper turned as the window shows it.
  const bool landscape = drawing.landscape != 0;
  QPageSize size = PaperNamed(choice.paper);
  if (!size.isValid()) size = PageSizeOf(drawing);
  printer.setPageLayout(
      QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
  printer.setResolution(kPrintDpi);
  printer.setDocName(kPrintDocumentName);
  printer.setCopyCount(choice.copies);
  const int sheets = printer.supportsMultipleCopies() ? 1 : choice.copies;
  QPainter qp;
  if (!qp.begin(&printer)) return 0;
  const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
  const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
  const int W = paper.width(), H = paper.height(), w = page.width(), h = page.height();
  const double pageW = drawing.PageWidth(), pageH = drawing.PageHeight();
  // One scale for both axes, so that on paper of another size than the drawing's page the
  // shapes keep their proportions; the page keeps to the paper's corner where its origin lies.
  const double scale = landscape ? std::min(H / pageW, W / pageH) : std::min(W / pageW, H / pageH);

  GdiPainter painter;
  PathPainter* oldPainter = CurrentPathPainter();
  SetPathPainter(&painter);
  SetPrintingFlag(true);
  GraphicsState& gs = TheGraphicsState();
  int ok = 1;
  for (int sheet = 0; sheet < sheets && ok; ++sheet) {
    if (sheet > 0 && !printer.newPage()) ok = 0;
    for (int top = 0; top < h && ok; top += kBandRows) {
      const int rows = std::min(kBandRows, h - top);
      gdi::QImageDevice band(w, rows);
      if (!band.IsValid()) {
        ShowError("Not enough memory\n");
        ok = 0;
        break;
      }
      painter.SetPrinterDevice(&band);
      gs.gsave();
      if (landscape) {
        // The page's x runs down the paper and its y to the right, its origin at the top left.
        gs.setmatrix(
            MatrixD{0, scale, scale, 0, double(-((W - w) / 2)), double(-((H - h) / 2) - top)});
      } else {
        // Device rows grow downward from the band's top; the page's y grows upward.
        gs.setmatrix(MatrixD{1, 0, 0, -1, 0, double(-top)});
        gs.translate(0, -H);
        gs.translate(-((W - w) / 2), (H - h) / 2);
        // The drawing's own page size: a fixed Letter scale would stretch A4 and cut Legal pages.
        gs.scale(scale, scale);
      }
      DrawShapeList(drawing.shapes(), 1, nullptr);
      gs.grestore();
      painter.SetPrinterDevice(nullptr);
      qp.drawImage(QPoint(0, top), band.image());
    }
  }
  SetPrintingFlag(false);
  SetPathPainter(oldPainter);
  if (!qp.end()) ok = 0;
  return ok;
}

std::string LowerExtension(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  }
}

}  // namespace

int PrintDrawing(Drawing& drawing, const PrintChoice& asked, Spooler* spooler) {
  PrintChoice choice = asked;
  choice.copies = std::clamp(choice.copies, 1, kMaxCopies);
  CupsSpooler cups;
  if (!spooler) spooler = &cups;
  if (choice.outputFile.empty()) {
    PrinterSink sink(spooler);
    sink.SetQueue(choice.queue);
    sink.SetJobOptions(PrintJobOptions{choice.copies, choice.paper});
    if (!sink.Open()) {
      if (sink.queue().empty())
        ShowError("No printer is installed");
      else
        ReportPrintFailure(sink.queue(), spooler);
      return 0;
    }
    int ok = 0;
    if (sink.IsPostScript()) {
      ok = PrintPostScript(drawing, sink);
    } else {
      sink.Close();
      QPrinter printer(QPrinter::HighResolution);
      printer.setPrinterName(QString::fromStdString(sink.queue()));
      ok = printer.isValid() ? PaintOnPrinter(drawing, printer, choice) : 0;
    }
    if (!ok) ReportPrintFailure(sink.queue(), spooler);
    return ok;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(choice.outputFile));
  if (!PaintOnPrinter(drawing, printer, choice)) {
    ShowError(Format("Unable to write to %s", choice.outputFile.c_str()));
    return 0;
  }
  return 1;
}

int RunPrintCommand(const PrintChoice& choice, const std::string& file) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(&QuietQt);
  int argc = 1;
  char name[] = "ondara-draw";
  char* argv[] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) app = std::make_unique<QGuiApplication>(argc, argv);
  SetDebugLogEcho(true);
  ChooseFontManager();

  int status = 1;
  {
    Drawing drawing;
    std::error_code ec;
    std::string path = std::filesystem::absolute(file, ec).string();
    if (ec) path = file;
    std::string ext = LowerExtension(path);
    bool read = false;
    if (ext == "qlx" || ext == "ai") {
      read = OpenDrawingFile(path.c_str(), &drawing) != 0;
      if (read) drawing.path = path;  // the title the job carries
    } else if (ext == "wmf" || ext == "emf") {
      read = ImportMetafileDrawing(drawing, path) != 0;
    } else {
      ShowError(Format("Can't read %s: unknown kind of file", path.c_str()));
    }
    if (read) status = PrintDrawing(drawing, choice) ? 0 : 1;
  }
  SetFontManager(nullptr);
  return status;
}
