// The Type 1 bridge: what the program asked of Adobe Type Manager. Its faces come from an atm.ini
// in the settings directory when the user has one, otherwise from the Type 1 fonts fontconfig
// lists. Metrics come from the face's PFM file, or from an AFM file (Linux Type 1 fonts ship
// AFM); fonts are embedded by copying the PFB file. Plain C++ over fontconfig, no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class OutputSink;

// Style bits of a face (the same bits as the TrueType faces).
inline constexpr int32_t kType1Bold = 1;
inline constexpr int32_t kType1Italic = 16;

struct Type1Face {
  std::string faceName;        // as atm.ini or fontconfig names it; code page 1252, < 64 bytes
  std::string postScriptName;  // 1..63 printable ASCII bytes without PostScript delimiters
  int32_t style = 0;           // kType1Bold | kType1Italic
  std::string metricsPath;     // PFM or AFM (told apart by content)
  std::string pfbPath;
};

// Metrics in thousandths of an em.
struct Type1Metrics {
  int32_t widths[256] = {};  // advance of each code page 1252 code (see ParseAfm for AFM)
  int32_t ascent = 0;
  int32_t descent = 0;      // negative below the baseline
  int32_t bbox[4] = {};     // FontBBox: left, bottom, right, top
  bool hasBBox = false;     // false when neither the metrics file nor the PFB gave a box
  int32_t italicAngle = 0;  // degrees, truncated toward zero; negative leans right
  int32_t capHeight = 0;
  bool fixedPitch = false;
  bool serif = false;
  bool script = false;
  uint8_t firstChar = 0;
  uint8_t lastChar = 0;
};

// --- The bridge as the font manager sees it -----------------------------------------------------

// Version 4.1 of the bridge, packed as ATM packs it: low byte major, high byte minor.
inline constexpr int32_t kType1BridgeVersion = 4 | (1 << 8);
int32_t Type1BridgeVersion();

// True when the bridge has faces to offer: the user has an atm.ini in the settings directory
// (its faces, or the messages about it, come from LoadType1Faces), or fontconfig lists at least
// one Type 1 face with a PFB file and a metrics file. Shows no message.
bool Type1BridgeRunning();

// Below 2.1 shows "Ondara Draw requires ATM Version 2.01 or later.\nYou are running ATM version
// %d.%02d" through ShowError and answers false (the bridge is used all the same). The first
// form checks the bridge's own version.
bool CheckType1BridgeVersion();
bool CheckType1BridgeVersion(int32_t version);

// SettingsDirectory() + "/atm.ini".
std::string AtmIniPath();

// The faces: LoadAtmIniFaces on AtmIniPath() with the settings file when that file exists,
// otherwise ListFontconfigType1Faces.
std::vector<Type1Face> LoadType1Faces();

// The faces of an atm.ini, with the font manager's rules and messages: "Can't open %s" (the
// path) when it cannot be read, "Can't find [Fonts] section in ATM.INI" without the section (no
// faces); "No fonts in [Fonts] section in ATM.INI" when no line gives a face, and then one face
// named "Arial" (no PostScript name, no files). PostScript names come from the "Fonts" section
// of the settings file at profilePath, else from the metrics file, and are then written there.
// Relative font paths are taken relative to the directory of the atm.ini.
std::vector<Type1Face> LoadAtmIniFaces(const std::string& atmIniPath,
                                       const std::string& profilePath);

// The Type 1 faces fontconfig knows that have a PFB file (a file beginning with a segment header)
// and an AFM or PFM file of the same name beside one of the face's font files; sorted by face
// name (without case) and style, the first of equal faces kept. Empty without fontconfig.
std::vector<Type1Face> ListFontconfigType1Faces();

// The key of a face in the "Fonts" section: "%s,%s" of the face name and "BOLD", "ITALIC" or
// "BOLDITALIC", or the face name alone for the plain style.
std::string Type1ProfileKey(const std::string& faceName, int32_t style);

// Reads the metrics file (PFM or AFM); when it gives no FontBBox, reads the box from the first
// 16384 bytes of the PFB (ParsePfbFontBBox). False when the metrics file cannot be read or parsed.
bool ReadType1Metrics(const Type1Face& face, Type1Metrics* metrics);

// Embeds the face: copies its PFB file into the sink (CopyPfb). 1 on success, 0 on failure; the
// whole file's segment structure is checked first, so a broken PFB writes nothing.
int32_t DownloadType1(const Type1Face& face, OutputSink* sink);

// --- The readers, on bytes in memory ------------------------------------------------------------

// One accepted atm.ini line: face [, style] = metrics path , PFB path.
struct AtmIniEntry {
  std::string faceName;
  int32_t style = 0;
  std::string metricsPath;
  std::string pfbPath;
};

// The [Fonts] section of an atm.ini. False when no line starts with "[Fonts]". Lines starting
// with ";" are skipped; a blank line ends the section; multiple-master instances (a face word of
// more than two characters ending in "MM") and lines not of the accepted form are left out.
bool ParseAtmIni(std::string_view text, std::vector<AtmIniEntry>* entries);

// The PostScript name of a PFM file: the dfDriverInfo offset at byte 139 (32-bit little-endian)
// points to a NUL-terminated name. False when it runs past the end, is empty, longer than 63
// characters or not a valid PostScript name.
bool PfmPostScriptName(const uint8_t* data, size_t size, std::string* name);
// The FontName of an AFM file, under the same rules.
bool AfmPostScriptName(std::string_view text, std::string* name);
// True when the bytes look like an AFM file ("StartFontMetrics" first); PFM otherwise.
bool IsAfm(const uint8_t* data, size_t size);

// PFM metrics: widths from the extent table (firstChar..lastChar); ascent, descent, cap height
// and italic angle from the extended text metrics (etmLowerCaseAscent, etmLowerCaseDescent,
// etmCapHeight, etmSlant / 10), falling back on dfAscent and dfPixHeight; fixed pitch, serif and
// script from dfPitchAndFamily. A PFM has no FontBBox (hasBBox false). False when the header,
// extent table or extended metrics lie outside the data.
bool ParsePfm(const uint8_t* data, size_t size, Type1Metrics* metrics);

// AFM metrics. Widths: every code by the glyph name WinAnsiEncoding gives it (quotesingle at 39,
// grave at 96, Euro ... ydieresis above 127; none below 32 or where code page 1252 has no
// character), since text is code page 1252 and the fonts are shown through that encoding; a font
// with EncodingScheme FontSpecific (symbols), or an AFM naming no glyphs, keeps its C codes.
// Ascender, Descender, CapHeight, ItalicAngle, IsFixedPitch and FontBBox as given; an Ascender or
// Descender missing or 0 (as some fonts ship them) is taken from the glyphs "d" and "p", else from
// the FontBBox; a missing CapHeight from "H", else ascent * 8 / 10. Serif unless the name says
// Sans, Gothic, Helvetica or Arial; script when it says Script or Chancery. False without
// "StartFontMetrics" or without any character metrics.
bool ParseAfm(std::string_view text, Type1Metrics* metrics);

// The FontBBox in the first 16384 bytes of a PFB: after "/FontBBox" and any blanks, "{" (or
// "[") and four integers. False when they do not all match.
bool ParsePfbFontBBox(const uint8_t* data, size_t size, int32_t bbox[4]);

// Receives the bytes of a font download; false stops it.
using Type1Writer = std::function<bool(const char* data, size_t length)>;

// Copies a PFB: segments of byte 128, type and 32-bit little-endian length. Type 1 (text) is
// copied with every line end (CR, LF or CR LF) written as "\r\n"; type 2 (binary) as "%02x" per
// byte with "\r\n" after every 32 bytes and at the end of a segment not ending on such a
// boundary; type 3 ends the file. 1 on success; 0, with nothing written, on any other header or a
// short file; 0 when the writer fails.
int32_t CopyPfb(const uint8_t* data, size_t size, const Type1Writer& write);
// The same from a file, read in pieces of at most 4096 bytes.
int32_t CopyPfbFile(const std::string& path, const Type1Writer& write);
