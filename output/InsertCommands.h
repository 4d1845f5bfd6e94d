// The Open, Import and Insert commands as functions: what the menu, the command line, dropped
// files and the converter run to bring a file into the drawing. Messages go through the message
// boxes; the GUI redraws afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Geometry.h"

class Drawing;

// Where a view position (window pixels, y downward) lies on the page (points, y upward). The
// GUI passes the inverse of its view transform; the converter the page's top-left corner.
struct ViewToPage {
  Matrix m;  // x' = a*x + c*y + tx, y' = b*x + d*y + ty
  Point Map(float x, float y) const;
};

// Window pixels as points measured from the top-left corner of the page as shown: portrait
// (x, y) is the page point (x, height - y); landscape shows the page turned, with its x axis
// running down and its y axis to the right, so (x, y) is the page point (y, x).
ViewToPage PageTopLeftMapping(const Drawing& drawing);

// The file kinds of the Import and Insert dialogs.
enum FileKind : int32_t {
  kFileDrawing = 1,      // "Ondara Draw files (*.qlx)"
  kFileIllustrator = 5,  // "Adobe Illustrator 88 files (*.ai)"
  kFileBitmap = 6,       // "Bitmap files (*.bmp)"
  kFileText = 7,         // "Text files (*.txt)"
  kFileMetafile = 8,     // "Windows Metafiles (*.wmf)"
};

// Text files longer than this are refused.
inline constexpr size_t kMaxTextFileBytes = 32000;

// The name an imported drawing takes: the extension after the last "." of the last path
// component becomes ".QLX"; a name without one gets ".QLX" added, so that saving never writes
// over the file that was imported.
std::string NativeFileName(const std::string& path);

// Open: the drawing is cleared (shapes, selection, histories), its style reset, the file read
// with its missing fonts reported. Success: the path is the file's and the drawing unmodified.
// Failure ("An error has occurred while opening\n%s"): the shapes read so far stay and the path
// is forgotten.
int32_t OpenDrawing(Drawing& drawing, const std::string& path);

// Import (after the caller has asked to save): the drawing is cleared and the file read as an
// Illustrator file (kFileIllustrator, failure as Open's) or a metafile (kFileMetafile, "Can't
// import %s"). Success: named by NativeFileName and modified. Other kinds fail silently; every
// failure forgets the path.
int32_t ImportDrawing(Drawing& drawing, const std::string& path, int32_t kind = kFileIllustrator);

// Insert: the new shapes go on top of the drawing and become the selection. Each failure shows
// its message and leaves the drawing as it was.
// A native or Illustrator file, missing fonts not reported; a failed read shows "An error has
// occurred while inserting drawing file\n%s".
int32_t InsertDrawingFile(Drawing& drawing, const std::string& path);
// A BMP file at its pixel size in points, its top-left corner at view position (10, 10).
// "Can't insert bitmap %s" when it cannot be loaded.
int32_t InsertBitmapFile(Drawing& drawing, const std::string& path, const ViewToPage& view);
// A text file as one text in the default font at 24 points, at view position (10, 30).
int32_t InsertTextFile(Drawing& drawing, const std::string& path, const ViewToPage& view);
// The dialog's kind picks one of the above (or the metafile insertion).
int32_t InsertFile(Drawing& drawing, const std::string& path, int32_t kind, const ViewToPage& view);

// A text file's bytes as a text's characters: CR LF read as LF, valid UTF-8 converted to code
// page 1252 (other bytes taken as code page 1252 already), two LFs in a row a paragraph break
// (two CRs), a final LF dropped, single LFs kept. Result 0 with the message for `path` ("Text
// file %s is empty", "... is too large") when the bytes cannot be a text.
int32_t ConvertTextFileBytes(std::string_view bytes, const std::string& path, std::string* text,
                             std::string* message);
