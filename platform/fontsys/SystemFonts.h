// The system's TrueType faces, as the font manager sees them: faces with TrueType outlines
// ('glyf') from .ttf files and collection members, found through fontconfig, each with its face
// name, style, PostScript name and metrics, and the whole font's bytes for embedding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Style bits of a face.
inline constexpr int kStyleBold = 1;
inline constexpr int kStyleItalic = 16;

// Metrics in thousandths of an em. Font units are scaled as MulDiv(value, 1000, unitsPerEm):
// rounded to the nearest integer, halves away from zero.
struct FaceMetrics {
  int widths[256] = {};  // advance of each code page 1252 code through the 'cmap'
  int ascent = 0;        // hhea ascender (the Macintosh ascent)
  int descent = 0;       // hhea descender: negative below the baseline, as the font has it
  int bbox[4] = {};      // 'head' box: left, bottom, right, top
  int italicAngle = 0;   // degrees, truncated toward zero; negative leans right
  int capHeight = 0;     // ascent * 8 / 10
  bool fixedPitch = false;
  bool serif = false;
  bool script = false;
  uint8_t firstChar = 0;  // lowest and highest code with a glyph of its own (0, 0: none)
  uint8_t lastChar = 0;
  int avgWidth = 0;  // OS/2 xAvgCharWidth; without one, the mean of the nonzero widths 32..126
};

struct SystemFace {
  std::string faceName;        // the font's family name (name ID 1), code page 1252, < 64 bytes
  std::string postScriptName;  // < 128 bytes of printable ASCII without PostScript delimiters
  int style = 0;               // kStyleBold | kStyleItalic
  std::string path;            // the font file
  int faceIndex = 0;           // member of a collection; 0 for a single font
  FaceMetrics metrics;
};

// The key of a face in the "TrueType" section: "%s,%s" of the face name and "BOLD", "ITALIC"
// or "BOLDITALIC", or the face name alone for the plain style.
std::string TrueTypeProfileKey(const std::string& faceName, int style);

// Lists the faces fontconfig knows, sorted by face name (without case) and style; of faces with
// the same name and style the first file in path order is kept. PostScript names come from the
// "TrueType" section of the settings file at profilePath, else from the font, and are then
// written there. Fonts that cannot be read, lack TrueType outlines, or have a missing or broken
// table are left out. False when fontconfig is unavailable.
bool ListSystemFaces(const std::string& profilePath, std::vector<SystemFace>* faces);
bool ListSystemFaces(std::vector<SystemFace>* faces);  // with the settings file

// The same for the given files (every face of each), without fontconfig.
void ListFacesInFiles(const std::vector<std::string>& paths, const std::string& profilePath,
                      std::vector<SystemFace>* faces);

// The whole font of a face, as GetFontData(0) gives it: the file for a single font, a
// standalone font rebuilt from the tables of a collection member. False when the file cannot be
// read or is broken.
bool LoadFaceSfnt(const std::string& path, int faceIndex, std::vector<uint8_t>* out);
