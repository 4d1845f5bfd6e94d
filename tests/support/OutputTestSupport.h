// Helpers shared by the output and font tests: a font manager over faces the test hands it (or the
// machine's own), exporting into a file, and the checks run on what outside tools (Ghostscript,
// pnm readers) make of our files.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "output/ProgressDialog.h"
#include "output/WmfReader.h"
#include "platform/gdi/WmfDevice.h"
#include "support/TestSupport.h"

namespace testfonts {

// A system face with plain metrics: every character `width` units, the given ascent/descent.
inline SystemFace MakeSystemFace(const std::string& faceName, const std::string& psName, int style,
                                 int ascent = 905, int descent = -212, int width = 500) {
  SystemFace f;
  f.faceName = faceName;
  f.postScriptName = psName;
  f.style = style;
  f.metrics.ascent = ascent;
  f.metrics.descent = descent;
  for (int& w : f.metrics.widths) w = width;
  return f;
}

// A manager over faces the test hands it; it owns them.
class FixedFonts : public FontManager {
 public:
  FixedFonts& Add(std::unique_ptr<FontFace> face) {
    list_.push_back(face.get());
    faces_.push_back(std::move(face));
    ListChanged();
    return *this;
  }
  int32_t LoadFonts() override { return 1; }
  void FreeFonts() override {
    list_.clear();
    faces_.clear();
    ListChanged();
  }
  void DrawTextRun(gdi::Device*, int32_t, int32_t, FontFace*, float, float, float, float, float,
                   float, float, float, const char*, int32_t) override {}

 private:
  std::vector<std::unique_ptr<FontFace>> faces_;
};

// Installs a manager as the current one for the life of the object.
class ScopedFonts {
 public:
  explicit ScopedFonts(std::unique_ptr<FontManager> fonts) { SetFontManager(std::move(fonts)); }
  ~ScopedFonts() { SetFontManager(nullptr); }
};

// The machine's own faces as the current manager, for the life of the object.
struct ScopedSystemFonts {
  ScopedSystemFonts() { ChooseFontManager(); }
  ~ScopedSystemFonts() { SetFontManager(nullptr); }
};

}  // namespace testfonts

// A progress window that counts its calls and keeps its texts; it is cancelled from the
// `cancelAt`th step, or once the position reaches `cancelAtPosition` (never when negative).
class FakeProgress : public ProgressDialog {
 public:
  explicit FakeProgress(int cancelAt = -1, int cancelAtPosition = -1)
      : cancelAt_(cancelAt), cancelAtPosition_(cancelAtPosition) {}
  void Start(int32_t t) override { total = t, ++starts; }
  bool Advance() override {
    ++advanced;
    cancelled = cancelled || (cancelAt_ >= 0 && advanced >= cancelAt_);
    return !cancelled;
  }
  bool Cancelled() const override {
    return cancelled || (cancelAtPosition_ >= 0 && position >= cancelAtPosition_);
  }
  void SetText(const char* text) override { texts += std::string(text) + "|"; }
  void SetPosition(int32_t at, int32_t) override { position = at; }

  int32_t total = -1, position = 0;
  int starts = 0, advanced = 0;
  bool cancelled = false;
  std::string texts;

 private:
  int cancelAt_, cancelAtPosition_;
};

// Exports `drawing` as `kind` into the file at `path`; true when written and closed.
inline bool ExportTo(Drawing& drawing, int32_t kind, const std::string& path,
                     const ExportOptions& options = ExportOptions()) {
  FileSink sink(path);
  if (!sink.Open()) return false;
  const bool ok = ExportFile(drawing, kind, &sink, options) == 1;
  return sink.Close() == 1 && ok;
}

// Every record of a metafile; `ok` tells whether the reader took the file.
inline std::vector<MetaRecord> ReadAllRecords(const std::string& bytes, MetafileInfo* info,
                                              bool* ok) {
  std::vector<MetaRecord> recs;
  *ok = ReadMetafile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), info,
                     [&](const MetaRecord& r) { recs.push_back(r); });
  return recs;
}

// A placeable metafile of the recorded device's records.
inline std::string Placeable(gdi::WmfDevice& dc, int16_t right, int16_t bottom, uint16_t upi) {
  uint8_t header[22];
  MakePlaceableHeader(0, 0, right, bottom, upi, header);
  const std::vector<uint8_t>& body = dc.Finish();
  return std::string(reinterpret_cast<char*>(header), 22) + std::string(body.begin(), body.end());
}

// A PDF of ours: the body of object n (after "n 0 obj\r\n", up to "endobj"), and the data of
// its one page's content stream (object 6).
inline std::string PdfObject(const std::string& pdf, int n) {
  std::string header = "\r\n" + std::to_string(n) + " 0 obj\r\n";
  size_t p = pdf.find(header);
  if (p == std::string::npos) return {};
  p += header.size();
  return pdf.substr(p, pdf.find("endobj\r\n", p) - p);
}

inline std::string PdfContent(const std::string& pdf) {
  std::string body = PdfObject(pdf, 6);
  size_t start = body.find("stream\r\n") + 8;
  return body.substr(start, body.find("endstream") - start);
}

inline bool HaveTool(const char* name) {
  return RunCommand(std::string("command -v ") + name + " >/dev/null 2>&1") == 0;
}

// Runs Ghostscript with `args` (output device and files), its messages into `log`; expects a zero
// exit and no error, and with `ownFonts` no sign that it drew a font of its own instead of ours.
inline void ExpectGhostscriptClean(const std::string& args, const std::string& log,
                                   bool ownFonts = true) {
  int status = RunCommand("gs -dSAFER -dBATCH -dNOPAUSE " + args + " > '" + log + "' 2>&1");
  std::string out = ReadFileBytes(log);
  EXPECT_EQ(status, 0) << args << "\n" << out.substr(0, 2000);
  EXPECT_EQ(out.find("Error"), std::string::npos) << args << "\n" << out.substr(0, 2000);
  if (!ownFonts) return;
  EXPECT_EQ(out.find("Substituting font"), std::string::npos) << args;
  EXPECT_EQ(out.find("Can't find"), std::string::npos) << args;
}

// Ghostscript's aliased picture of `eps` (cropped to its box) and Poppler's of `pdf`, both at
// 72 dpi, as `out`-eps.ppm and `out`-pdf.ppm; `gsOptions` are added to Ghostscript's. Expects
// both to run clean.
inline void RenderEpsAndPdf(const std::string& eps, const std::string& pdf, const std::string& out,
                            const std::string& gsOptions) {
  ExpectGhostscriptClean("-q -sDEVICE=ppmraw -r72 -dEPSCrop -dGraphicsAlphaBits=1 " + gsOptions +
                             " -sOutputFile=" + out + "-eps.ppm " + eps,
                         out + "-gs.log", false);
  EXPECT_EQ(RunCommand("pdftoppm -r 72 -aa no -aaVector no -singlefile " + pdf + " " + out +
                       "-pdf >" + out + "-pdftoppm.log 2>&1"),
            0)
      << ReadFileBytes(out + "-pdftoppm.log");
}

// A binary PGM (P5) or PPM (P6) with maximum value 255; width 0 when the file is not one.
struct Pnm {
  int width = 0, height = 0, channels = 0;
  std::string pixels;
};

inline Pnm ReadPnm(const std::string& path) {
  Pnm pnm;
  std::string bytes = ReadFileBytes(path);
  size_t p = 0;
  auto token = [&]() {
    for (;;) {
      while (p < bytes.size() && std::isspace(uint8_t(bytes[p]))) p++;
      if (p >= bytes.size() || bytes[p] != '#') break;
      while (p < bytes.size() && bytes[p] != '\n') p++;
    }
    size_t start = p;
    while (p < bytes.size() && !std::isspace(uint8_t(bytes[p])) && p - start < 8) p++;
    return bytes.substr(start, p - start);
  };
  std::string magic = token();
  int channels = magic == "P5" ? 1 : magic == "P6" ? 3 : 0;
  int w = std::atoi(token().c_str()), h = std::atoi(token().c_str());
  if (channels == 0 || token() != "255" || w <= 0 || h <= 0) return pnm;
  p++;  // the one white space byte before the pixels
  size_t n = size_t(w) * size_t(h) * size_t(channels);
  if (p > bytes.size() || bytes.size() - p < n) return pnm;
  pnm = Pnm{w, h, channels, bytes.substr(p, n)};
  return pnm;
}
