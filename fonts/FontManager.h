// The font list: which faces exist, how text is measured in them, and how a run of text is
// drawn on a device. One manager is current for the program's life; ChooseFontManager makes it
// at start-up and installs it as the model's TextMetrics.
//
// Font names in drawings. A text shape stores the PostScript name of its face: it is the one
// name that picks exactly one face (a face name such as "Arial" is shared by four styles), the
// reader finds fonts by it, and every writer needs it. The GUI shows FaceName() and Style() of
// the face FindFace returns. FindFace also accepts the settings key ("Arial,BOLDITALIC") and a
// bare face name, so that names typed by a user or written by older files still resolve.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "fonts/FontFace.h"
#include "model/TextMetrics.h"

namespace gdi {
class Device;
}

class FontManager : public TextMetrics {
 public:
  ~FontManager() override = default;

  // Reads the faces (after FreeFonts of any earlier ones). 1 loaded, 0 when the font source is
  // unavailable; the list may be empty either way.
  virtual int32_t LoadFonts() = 0;
  // Frees every face; pointers from GetFontList become invalid.
  virtual void FreeFonts() = 0;
  // The faces, in list order. The manager owns them.
  virtual const std::vector<FontFace*>& GetFontList() const { return list_; }
  // Draws `length` bytes of `text` with their baseline origin at device pixel (x, y), at `size`
  // points, in red, green, blue percent, under the text matrix [a b c d].
  virtual void DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face, float size,
                           float red, float green, float blue, float a, float b, float c, float d,
                           const char* text, int32_t length) = 0;

  // The face of a name: by PostScript name (exact), else by settings key or face name (without
  // case; a bare face name prefers the plainest style). Null when none matches.
  FontFace* FindFace(const std::string& name) const;
  // The face new text gets: PostScript name "ArialMT" when there is one, else Liberation Sans
  // (metric-compatible with Arial), else DejaVu Sans, else the first face; null without faces.
  FontFace* DefaultFace() const;

  // TextMetrics, for the text shape: the named face, or the default face when the name is
  // unknown (as the reader substitutes it); 0 without any face.
  float Ascent(const char* font, float size) override;
  float Descent(const char* font, float size) override;
  float StringWidth(const char* font, const char* text, int32_t length, float size) override;

 protected:
  // Subclasses call this whenever list_ changes, so that the lookup is rebuilt.
  void ListChanged();

  std::vector<FontFace*> list_;

 private:
  FontFace* MeasuringFace(const char* font) const;
  void BuildIndex() const;

  // Built on first lookup after a change.
  mutable bool indexed_ = false;
  mutable std::unordered_map<std::string, FontFace*> byPostScriptName_;
  mutable std::unordered_map<std::string, FontFace*> byKey_;       // upper-cased
  mutable std::unordered_map<std::string, FontFace*> byFaceName_;  // upper-cased
  mutable FontFace* default_ = nullptr;
};

// TrueType faces of the system. Glyph drawing belongs to the renderer (see DrawTextRun).
class TrueTypeFontList : public FontManager {
 public:
  // Faces through fontconfig; PostScript names cached in the settings file at `profilePath`.
  explicit TrueTypeFontList(std::string profilePath);
  TrueTypeFontList();  // with the program's settings file
  ~TrueTypeFontList() override;

  // Takes the faces from these font files instead of fontconfig (a fixed font set).
  void UseFontFiles(std::vector<std::string> paths);

  int32_t LoadFonts() override;
  void FreeFonts() override;
  void DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face, float size, float red,
                   float green, float blue, float a, float b, float c, float d, const char* text,
                   int32_t length) override;

 private:
  std::string profilePath_;
  bool useFiles_ = false;
  std::vector<std::string> files_;
  std::vector<std::unique_ptr<FontFace>> faces_;
};

// TrueType faces drawn under a world transform; the variant chosen on this platform, which
// always has transforms, unless the Type 1 bridge runs.
class WorldTransformFontList : public TrueTypeFontList {
 public:
  using TrueTypeFontList::TrueTypeFontList;
  void DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face, float size, float red,
                   float green, float blue, float a, float b, float c, float d, const char* text,
                   int32_t length) override;
};

// Type 1 faces of the Type 1 bridge (its atm.ini, else the Type 1 fonts fontconfig lists).
class AtmFontList : public FontManager {
 public:
  AtmFontList();
  ~AtmFontList() override;

  // Takes these faces instead of asking the bridge (a fixed font set).
  void UseFaces(std::vector<Type1Face> faces);

  int32_t LoadFonts() override;
  void FreeFonts() override;
  void DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face, float size, float red,
                   float green, float blue, float a, float b, float c, float d, const char* text,
                   int32_t length) override;

 private:
  bool useFaces_ = false;
  std::vector<Type1Face> given_;
  std::vector<std::unique_ptr<FontFace>> faces_;
};

// Used when the Type 1 bridge runs: the Type 1 faces first, then the TrueType faces; each run is
// drawn by the list its face came from.
class CombinedFontManager : public FontManager {
 public:
  CombinedFontManager();
  explicit CombinedFontManager(std::string profilePath);  // TrueType names cached there
  ~CombinedFontManager() override;

  AtmFontList& Type1List() { return atm_; }
  TrueTypeFontList& TrueTypeList() { return trueType_; }

  // 1 when both lists loaded.
  int32_t LoadFonts() override;
  void FreeFonts() override;
  void DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face, float size, float red,
                   float green, float blue, float a, float b, float c, float d, const char* text,
                   int32_t length) override;

 private:
  AtmFontList atm_;
  TrueTypeFontList trueType_;
};

// Hands the process-wide manager over (null: none) and installs it as the model's TextMetrics.
// The previous manager's faces are freed with it.
void SetFontManager(std::unique_ptr<FontManager> manager);
// The current manager; null before start-up has chosen one.
FontManager* TheFontManager();
// Start-up: makes the variant that fits (the combined list when the Type 1 bridge runs, which
// warns first when the bridge is older than 2.1; else the world-transform list), loads its
// fonts, and makes it current. Returns it.
FontManager* ChooseFontManager();
