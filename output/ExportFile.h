// Saving and exporting: the export entry point that picks the writer for an export kind, the
// font services of the PostScript writers (download, substitution) and the Save sequence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Drawing;
class FontFace;
class OutputDriver;
class OutputSink;
class ProgressDialog;

enum ExportKind : int32_t {
  kExportNative = 1,
  kExportEps = 3,
  kExportPostScript = 4,
  kExportIllustrator = 5,
  kExportBmp = 6,
  kExportWmf = 8,
  kExportPdf = 9,
  kExportTiff = 10,
};

// The choices of one export. Each export is handed its own; the writers read nothing else.
struct ExportOptions {
  int32_t includePreview = 0;
  int32_t substitutePsFonts = 0;  // "SubstPSforTT"
  int32_t includeFonts = 0;
  int32_t type42 = 0;  // "Type42ok": TrueType fonts embedded as Type 42, else Type 3
  float border = 9;
  int32_t lastFilter = 1;
  int32_t smoothing = 1;  // BMP only: 1 ("Off"), 2 ("Normal") or 4 ("Maximum")
};

// The options the Export dialogs start from, kept for the life of the process (two of them in
// the settings file). Exports never read them; the dialog copies them into its request.
ExportOptions& TheExportOptions();

// The border width the EPS options dialog accepts: clamped to -72..72 points.
float ClampBorder(float border);
// Export kind of a filter of the Export dialog (1 EPS ... 7 TIFF); 0 for any other index.
int32_t ExportKindForFilter(int32_t filterIndex);

// A standard PostScript font for a TrueType face: the 19-row table by exact PostScript name,
// else Helvetica in the face's style.
std::string SubstitutePsFontName(const FontFace* face);

// Writes the font resources of the prolog for `fonts` (PostScript names as the drawing's texts
// give them), skipping printer-resident Type 1 fonts and, with substitution on, TrueType fonts.
// TrueType fonts go in as Type 42 when `type42` is set, else Type 3. A font that fails shows
// "Error downloading %s" and leaves an empty resource. Result: 1 when every font downloaded.
int32_t DownloadFonts(OutputSink* sink, const std::vector<std::string>& fonts,
                      int32_t substitutePsFonts, int32_t type42);

// The graphics-device drivers (BMP, metafile, TIFF; the TIFF also makes the EPS screen preview)
// live in the render library, whose RegisterRender() hands their maker here. The maker returns
// a new driver for kinds 6, 8 and 10 on the sink (BMP at the options' smoothing), or null.
// Until one is registered those kinds have no writer.
using DeviceDriverMaker = OutputDriver* (*)(int32_t kind, OutputSink* sink,
                                            const ExportOptions& options);
void SetDeviceDriverMaker(DeviceDriverMaker maker);

// Size of the DOS EPS header written before the preview.
inline constexpr int32_t kDosEpsHeaderSize = 30;

// Makes the writer for `kind`, walks the drawing through it into `sink` (opened and closed by
// the caller) and deletes it. Fonts, substitution, Type 42, preview, smoothing and the border
// (taken as given) come from `options`. 1 when the document was written to the end; 0 for a
// kind without a writer here, a document that could not begin or a cancelled walk.
int32_t ExportFile(Drawing& drawing, int32_t kind, OutputSink* sink, const ExportOptions& options,
                   ProgressDialog* progress = nullptr);

// The Save command once a file name is known: the native file with no fonts, no substitution
// and a 9-point border, written beside `path` and renamed over it only when every write
// succeeded. On success the drawing takes the path and is no longer modified; on failure
// ("Unable to write to %s" shown by the sink) the old file and the drawing's path and modified
// flag stay as they were. Result 1 or 0.
int32_t SaveDrawing(Drawing& drawing, const std::string& path);

// The Export command once the path and the options are chosen: the options as given, with their
// border (clamped) for EPS and 9 points for every other kind. An export cancelled through
// `progress` writes nothing: a file already at `path` stays as it was.
int32_t ExportDrawing(Drawing& drawing, int32_t kind, const std::string& path,
                      const ExportOptions& options, ProgressDialog* progress = nullptr);
