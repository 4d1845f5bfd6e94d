#include "output/ExportFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "fonts/FontManager.h"
#include "fonts/StandardFonts.h"
#include "model/Drawing.h"
#include "output/AiWriter.h"
#include "output/OutputSink.h"
#include "output/PdfWriter.h"
#include "output/ProgressDialog.h"
#include "output/QlxWriter.h"
#include "output/RenderDrawing.h"
#include "platform/msgbox/Messages.h"

namespace {

struct Substitute {
  const char* trueType;
  const char* standard;
};

const Substitute kSubstitutes[] = {
    {"ArialMT", "Helvetica"},
    {"Arial-BoldMT", "Helvetica-Bold"},
    {"Arial-BoldItalicMT", "Helvetica-BoldOblique"},
    {"Arial-ItalicMT", "Helvetica-Oblique"},
    {"CourierNewPSMT", "Courier"},
    {"CourierNewPS-BoldMT", "Courier-Bold"},
    {"CourierNewPS-BoldItalicMT", "Courier-BoldOblique"},
    {"CourierNewPS-ItalicMT", "Courier-Oblique"},
    {"TimesNewRomanPSMT", "Times-Roman"},
    {"TimesNewRomanPS-BoldMT", "Times-Bold"},
    {"TimesNewRomanPS-BoldItalicMT", "Times-BoldItalic"},
    {"TimesNewRomanPS-ItalicMT", "Times-Italic"},
    {"SymbolMT", "Symbol"},
    {"Arial-Black", "Helvetica-Bold"},
    {"ArialNarrow-BoldItalic", "Helvetica-BoldOblique"},
    {"ArialNarrow", "Helvetica"},
    {"ArialNarrow-Bold", "Helvetica-Bold"},
    {"ArialNarrow-Italic", "Helvetica-Oblique"},
    {"ArialRoundedMTBold", "Helvetica-Bold"},
};

// Collects one font program, so that it can be checked before it joins the output.
class CollectingSink : public OutputSink {
 public:
  int32_t Open() override { return 1; }
  int32_t Close() override { return 1; }
  int32_t WriteBytes(const void* data, int32_t length) override {
    if (length < 0 || (length > 0 && !data)) return 0;
    text.append(static_cast<const char*>(data), size_t(length));
    return 1;
  }
  int32_t WriteString(const char* s) override {
    if (s) text.append(s);
    return 1;
  }
  int32_t Seek(long offset) override { return size_t(offset) == text.size() ? 0 : -1; }
  long Tell() override { return long(text.size()); }

  std::string text;
};

// A font program written as a file of its own may end with "%%EOF"; inside our document that
// line would end the document for DSC readers (print spoolers cut the job there). Such lines are
// dropped, and the program is made to end with a line end so the next comment starts a line.
void WriteFontProgram(OutputSink* sink, std::string& program) {
  size_t start = 0;
  std::string kept;
  kept.reserve(program.size());
  while (start < program.size()) {
    size_t nl = program.find('\n', start);
    size_t end = nl == std::string::npos ? program.size() : nl + 1;
    std::string_view line(program.data() + start, end - start);
    std::string_view bare = line;
    while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.remove_suffix(1);
    if (bare != "%%EOF") kept.append(line);
    start = end;
  }
  if (!kept.empty() && kept.back() != '\n') kept.append("\r\n");
  size_t at = 0;
  while (at < kept.size()) {
    size_t n = std::min(kept.size() - at, size_t(1) << 30);
    sink->WriteBytes(kept.data() + at, int32_t(n));
    at += n;
  }
}

DeviceDriverMaker gDeviceDriverMaker = nullptr;

bool IsDeviceKind(int32_t kind) {
  return kind == kExportBmp || kind == kExportWmf || kind == kExportTiff;
}

bool HasWriter(int32_t kind) {
  return kind == kExportNative || kind == kExportEps || kind == kExportPostScript ||
         kind == kExportIllustrator || kind == kExportPdf ||
         (IsDeviceKind(kind) && gDeviceDriverMaker != nullptr);
}

void PutLittle32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i));
}

// The preview half of an EPS with preview: the header's room, then the TIFF of the page.
// Returns the TIFF's length, or -1 when it could not be written.
long WritePreview(Drawing& drawing, OutputSink* sink, const ExportOptions& options,
                  ProgressDialog* progress) {
  uint8_t blank[kDosEpsHeaderSize] = {};
  if (!sink->WriteBytes(blank, kDosEpsHeaderSize)) return -1;
  std::unique_ptr<OutputDriver> tiff(gDeviceDriverMaker(kExportTiff, sink, options));
  if (!tiff) return -1;
  long start = sink->Tell();
  if (progress) progress->SetText("Preparing preview image...");
  if (!RenderDrawing(drawing, tiff.get(), 0, options.border, progress, PageBox::kInk)) return -1;
  tiff.reset();
  return sink->Tell() - start;
}

// Fills in the DOS EPS header once both sections are written.
bool WriteDosEpsHeader(OutputSink* sink, long tiffLength, long psStart, long psEnd) {
  uint8_t h[kDosEpsHeaderSize] = {0xC5, 0xD0, 0xD3, 0xC6};
  PutLittle32(h + 4, uint32_t(psStart));
  PutLittle32(h + 8, uint32_t(psEnd - psStart));
  PutLittle32(h + 20, uint32_t(kDosEpsHeaderSize));
  PutLittle32(h + 24, uint32_t(tiffLength));
  h[28] = 0xFF;
  h[29] = 0xFF;
  long end = sink->Tell();
  bool ok = sink->Seek(0) == 0 && sink->WriteBytes(h, kDosEpsHeaderSize) && sink->Seek(end) == 0;
  return ok;
}

}  // namespace

ExportOptions& TheExportOptions() {
  static ExportOptions options;
  return options;
}

float ClampBorder(float border) {
  if (!(border >= -72)) return -72;  // also a NaN typed into the dialog
  if (border > 72) return 72;
  return border;
}

int32_t ExportKindForFilter(int32_t filterIndex) {
  static const int32_t kKinds[7] = {kExportEps, kExportPostScript, kExportIllustrator, kExportPdf,
                                    kExportWmf, kExportBmp,        kExportTiff};
  if (filterIndex < 1 || filterIndex > 7) return 0;
  return kKinds[filterIndex - 1];
}

std::string SubstitutePsFontName(const FontFace* face) {
  if (!face) return "Helvetica";
  const char* name = face->PostScriptName();
  for (const Substitute& s : kSubstitutes) {
    if (name && std::strcmp(name, s.trueType) == 0) return s.standard;
  }
  int32_t style = face->Style();
  bool bold = (style & kStyleBold) != 0;
  bool italic = (style & kStyleItalic) != 0;
  if (bold && italic) return "Helvetica-BoldOblique";
  if (bold) return "Helvetica-Bold";
  if (italic) return "Helvetica-Oblique";
  return "Helvetica";
}

int32_t DownloadFonts(OutputSink* sink, const std::vector<std::string>& fonts,
                      int32_t substitutePsFonts, int32_t type42) {
  if (!sink) return 0;
  FontManager* manager = TheFontManager();
  int32_t result = 1;
  for (const std::string& name : fonts) {
    FontFace* face = manager ? manager->FindFace(name) : nullptr;
    bool trueType = face && face->IsTrueType();
    if (!trueType && IsStandardFontName(name.c_str())) continue;  // the printer has it
    if (trueType && substitutePsFonts) continue;  // the output names a standard font instead
    sink->WriteString("%%BeginResource: font ");
    sink->WriteString(name.c_str());
    sink->WriteString("\r\n");
    CollectingSink program;
    int32_t done = face ? face->Download(&program, type42) : 0;
    if (!done) {
      ShowError(Format("Error downloading %s", name.c_str()));
      result = 0;
    }
    WriteFontProgram(sink, program.text);
    sink->WriteString("%%EndResource\r\n");
  }
  return result;
}

void SetDeviceDriverMaker(DeviceDriverMaker maker) { gDeviceDriverMaker = maker; }

int32_t ExportFile(Drawing& drawing, int32_t kind, OutputSink* sink, const ExportOptions& options,
                   ProgressDialog* progress) {
  if (!sink || !HasWriter(kind)) return 0;
  if (kind == kExportNative) progress = nullptr;  // saving shows no progress window
  if (IsDeviceKind(kind)) {
    std::unique_ptr<OutputDriver> driver(gDeviceDriverMaker(kind, sink, options));
    if (!driver) return 0;
    return RenderDrawing(drawing, driver.get(), 0, options.border, progress, PageBox::kInk);
  }
  const bool preview =
      kind == kExportEps && options.includePreview && gDeviceDriverMaker != nullptr;
  long tiffLength = 0, psStart = 0;
  if (preview) {
    tiffLength = WritePreview(drawing, sink, options, progress);
    if (tiffLength < 0) return 0;
    psStart = sink->Tell();
    if (progress) progress->SetText("Exporting EPS...");
  }
  // The writers list the fonts in their header, before the walk reaches the texts.
  std::vector<std::string> fonts;
  if (!CollectFonts(drawing.shapes(), &fonts)) return 0;
  std::unique_ptr<QlxWriter> writer;
  if (kind == kExportEps) {
    writer = std::make_unique<EpsWriter>(sink, std::move(fonts));
    writer->SetFillPageWhite(preview ? 1 : 0);
  } else if (kind == kExportIllustrator) {
    writer = std::make_unique<AiWriter>(sink, std::move(fonts));
  } else if (kind == kExportPdf) {
    writer = std::make_unique<PdfWriter>(sink, std::move(fonts));
  } else {
    writer = std::make_unique<QlxWriter>(sink, std::move(fonts));
  }
  writer->SetSubstitutePsFonts(options.substitutePsFonts);
  writer->SetType42(options.type42);
  // The native file's header keeps the shapes' bounds; every export frames all that is drawn.
  const PageBox box = kind == kExportNative ? PageBox::kShapeBounds : PageBox::kInk;
  int32_t result =
      RenderDrawing(drawing, writer.get(), options.includeFonts, options.border, progress, box);
  writer.reset();  // hands the last buffered lines to the sink
  if (result && preview && !WriteDosEpsHeader(sink, tiffLength, psStart, sink->Tell())) return 0;
  return result;
}

int32_t SaveDrawing(Drawing& drawing, const std::string& path) {
  FileSink sink(path);
  if (!sink.Open()) return 0;
  // The file's title comes from the new name.
  std::string oldPath = drawing.path;
  drawing.path = path;
  int32_t written = ExportFile(drawing, kExportNative, &sink, ExportOptions(), nullptr);
  if (!written) {
    // The sink's destructor discards the temporary file; the old file stays.
    drawing.path = oldPath;
    ShowError(Format("Unable to write to %s", path.c_str()));
    return 0;
  }
  if (!sink.Close()) {  // the sink reported the failure
    drawing.path = oldPath;
    return 0;
  }
  drawing.modified = 0;
  return 1;
}

int32_t ExportDrawing(Drawing& drawing, int32_t kind, const std::string& path,
                      const ExportOptions& options, ProgressDialog* progress) {
  if (!HasWriter(kind)) return 0;
  FileSink sink(path);
  if (!sink.Open()) return 0;
  ExportOptions chosen = options;
  chosen.border = kind == kExportEps ? ClampBorder(options.border) : 9.0f;
  int32_t written = ExportFile(drawing, kind, &sink, chosen, progress);
  // A cancelled export is dropped unclosed, so the file it would have replaced stays as it was.
  if (progress && progress->Cancelled()) return 0;
  int32_t closed = sink.Close();
  return written && closed ? 1 : 0;
}
