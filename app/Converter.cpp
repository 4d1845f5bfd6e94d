#include "app/Converter.h"

#include <strings.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "fonts/FontManager.h"
#include "model/ContainerShapes.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/InsertCommands.h"
#include "output/MetafileImport.h"
#include "output/PsReader.h"
#include "platform/msgbox/Messages.h"
#include "render/RegisterRender.h"
#include "render/TerminalProgress.h"

namespace {

// The extension after the last "." of the name after the last "/", lower-cased.
std::string Extension(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool ParseNumber(const std::string& text, float* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text.c_str(), &end);
  if (errno || !end || *end) return false;
  *value = float(v);
  return true;
}

int ExportKindFor(const std::string& ext) {
  if (ext == "qlx") return kExportNative;
  if (ext == "eps") return kExportEps;
  if (ext == "ps") return kExportPostScript;
  if (ext == "ai") return kExportIllustrator;
  if (ext == "pdf") return kExportPdf;
  if (ext == "wmf") return kExportWmf;
  if (ext == "bmp") return kExportBmp;
  if (ext == "tif" || ext == "tiff") return kExportTiff;
  return 0;
}

// Qt's own notes (a missing runtime directory and the like) are not the converter's messages.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  }
}

// The converter's messages name the program, as command-line tools' messages do.
void ToStderrNamed(MessageKind, const std::string& text) {
  std::fprintf(stderr, "ondara-draw: %s\n", text.c_str());
}

// The system's reason a file cannot be used, said before the program's own message.
void ReportSystemError(const std::string& path, int error) {
  std::fprintf(stderr, "ondara-draw: %s: %s\n", path.c_str(), std::strerror(error));
}

// A set but unusable SOURCE_DATE_EPOCH is a mistake to report, not a reason to use the clock.
bool SourceDateEpochValid() {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (!epoch) return true;
  char* end = nullptr;
  errno = 0;
  long long seconds = std::strtoll(epoch, &end, 10);
  if (end != epoch && *end == 0 && errno == 0 && seconds >= 0 && epoch[0] != '-' &&
      epoch[0] != '+' && epoch[0] != ' ')
    return true;
  std::fprintf(stderr, "ondara-draw: SOURCE_DATE_EPOCH must be a non-negative integer, not '%s'\n",
               epoch);
  return false;
}

// Images in the drawing, groups included.
int CountImages(const ShapeList& list) {
  int count = 0;
  std::vector<const ShapeList*> pending{&list};
  while (!pending.empty()) {
    const ShapeList* l = pending.back();
    pending.pop_back();
    for (int32_t i = 0; i < l->Count(); i++) {
      Shape* shape = (*l)[i];
      if (!shape) continue;
      if (shape->Kind() == kImageShape) count++;
      if (auto* c = dynamic_cast<ContainerShape*>(shape); c && c->children())
        pending.push_back(c->children());
    }
  }
  return count;
}

bool ReadInput(const ConvertRequest& request, Drawing* drawing) {
  std::string ext = Extension(request.in);
  if (ext == "qlx" || ext == "ai") {
    if (!OpenDrawingFile(request.in.c_str(), drawing)) return false;
    drawing->path = request.in;  // the title of what is written
    return true;
  }
  // The system's reason first (the drawing reader gives its own); the importers' messages
  // follow as the GUI shows them.
  if (FILE* f = std::fopen(request.in.c_str(), "rb"))
    std::fclose(f);
  else
    ReportSystemError(request.in, errno);
  if (ext == "wmf" || ext == "emf") return ImportMetafileDrawing(*drawing, request.in) != 0;
  if (ext == "bmp" || ext == "txt") {
    // Placed from the page's top-left corner, so the page is set up first.
    if (request.page >= 0) drawing->pageSize = PageSize(request.page);
    if (request.landscape >= 0) drawing->landscape = request.landscape;
    const ViewToPage view = PageTopLeftMapping(*drawing);
    const int32_t ok = ext == "bmp" ? InsertBitmapFile(*drawing, request.in, view)
                                    : InsertTextFile(*drawing, request.in, view);
    if (!ok) return false;
    drawing->path = NativeFileName(request.in);
    return true;
  }
  ShowError(Format("Can't read %s: unknown kind of file", request.in.c_str()));
  return false;
}

}  // namespace

bool ParseConvertArguments(const std::vector<std::string>& args, ConvertRequest* request,
                           std::string* error) {
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) {
        *error = a + " needs a value";
        return false;
      }
      *out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--preview") {
      request->preview = 1;
    } else if (a == "--include-fonts") {
      request->includeFonts = 1;
    } else if (a == "--type42") {
      request->type42 = 1;
    } else if (a == "--substitute-fonts") {
      request->substituteFonts = 1;
    } else if (a == "--landscape") {
      request->landscape = 1;
    } else if (a == "--border") {
      if (!value(&v)) return false;
      if (!ParseNumber(v, &request->border)) {
        *error = "--border needs a number of points, not '" + v + "'";
        return false;
      }
    } else if (a == "--smoothing") {
      if (!value(&v)) return false;
      if (v != "1" && v != "2" && v != "4") {
        *error = "--smoothing must be 1, 2 or 4";
        return false;
      }
      request->smoothing = v[0] - '0';
    } else if (a == "--page") {
      if (!value(&v)) return false;
      if (strcasecmp(v.c_str(), "letter") == 0) {
        request->page = kPageLetter;
      } else if (strcasecmp(v.c_str(), "legal") == 0) {
        request->page = kPageLegal;
      } else if (strcasecmp(v.c_str(), "a4") == 0) {
        request->page = kPageA4;
      } else {
        *error = "--page must be letter, legal or a4";
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      *error = "unknown option '" + a + "'";
      return false;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) {
    *error = "--convert needs an input and an output file";
    return false;
  }
  // Absolute paths, so that the title written in files is the file's name (a path without a
  // directory would be taken for a new drawing's).
  std::error_code ec;
  request->in = std::filesystem::absolute(files[0], ec).string();
  if (ec) request->in = files[0];
  request->out = std::filesystem::absolute(files[1], ec).string();
  if (ec) request->out = files[1];
  if (!ExportKindFor(Extension(request->out))) {
    *error = "can't write '" + request->out +
             "': the output must end in .qlx, .eps, .ps, .ai, .pdf, .wmf, .bmp, .tif or .tiff";
    return false;
  }
  return true;
}

int RunConversion(const ConvertRequest& request) {
  // Text in bitmaps is drawn with Qt's font engine, which needs an application object; the
  // converter never shows a window.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(&QuietQt);
  int argc = 1;
  char name[] = "ondara-draw";
  char* argv[] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) app = std::make_unique<QGuiApplication>(argc, argv);

  if (!SourceDateEpochValid()) return 2;
  SetMessageHandler(&ToStderrNamed);
  SetDebugLogEcho(true);
  ChooseFontManager();
  RegisterRender();

  int status = 1;
  {
    Drawing drawing;
    if (ReadInput(request, &drawing)) {
      if (request.page >= 0) drawing.pageSize = PageSize(request.page);
      if (request.landscape >= 0) drawing.landscape = request.landscape;
      int kind = ExportKindFor(Extension(request.out));
      int ok = 0;
      if (kind == kExportNative) {
        ok = SaveDrawing(drawing, request.out);
      } else {
        ExportOptions options;
        options.includePreview = request.preview;
        options.includeFonts = request.includeFonts;
        options.type42 = request.type42;
        options.substitutePsFonts = request.substituteFonts;
        options.border = request.border;
        options.smoothing = request.smoothing;
        TerminalProgress progress;
        ok = ExportDrawing(drawing, kind, request.out, options, &progress);
        // Metafiles carry no images here; leaving them out is said, not done quietly.
        if (int skipped = kind == kExportWmf ? CountImages(drawing.shapes()) : 0; ok && skipped)
          ShowWarning(Format("Images are not written to metafiles (%d skipped)", skipped));
      }
      if (!ok) {
        std::string dir = std::filesystem::path(request.out).parent_path().string();
        if (access(dir.empty() ? "." : dir.c_str(), W_OK) != 0) ReportSystemError(dir, errno);
      }
      status = ok ? 0 : 1;
    }
  }
  SetFontManager(nullptr);
  SetMessageHandler(nullptr);
  return status;
}
