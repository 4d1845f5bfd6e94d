#include "fonts/FontManager.h"

#include <utility>
#include <vector>

#include "model/DebugLog.h"
#include "platform/gdi/Device.h"
#include "platform/profile/Profile.h"

namespace {

std::string Upper(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return out;
}

// A colour percentage as a byte: trunc(p * 255 / 100), low eight bits (the renderer's rule).
int ColorPercentByte(float percent) {
  double v = double(percent) * 255.0 / 100.0;
  if (!(v > -1.0e9 && v < 1.0e9)) return 0;  // NaN and absurd values
  return int(int64_t(v) & 255);
}

// One run from the face's own font file, at the face's integer advances: the device draws the
// glyphs (glyph drawing needs the GUI toolkit, which this layer does not use). False when the
// device could not draw it.
bool DrawRunFromFile(gdi::Device* device, const std::string& path, int32_t faceIndex, int32_t x,
                     int32_t y, FontFace* face, float size, float red, float green, float blue,
                     float a, float b, float c, float d, const char* text, int32_t length) {
  if (!device || !face || !text || length <= 0 || path.empty()) return false;
  std::vector<int32_t> advances(size_t(length), 0);
  face->CharAdvances(text, length, size, advances.data());
  gdi::GlyphRun run;
  run.fontPath = path.c_str();
  run.faceIndex = faceIndex;
  run.size = size;
  run.color = gdi::Rgb(ColorPercentByte(red), ColorPercentByte(green), ColorPercentByte(blue));
  run.a = a;
  run.b = b;
  run.c = c;
  run.d = d;
  run.x = x;
  run.y = y;
  run.text = text;
  run.length = length;
  run.advances = advances.data();
  return device->DrawGlyphRun(run);
}

std::unique_ptr<FontManager>& Current() {
  static std::unique_ptr<FontManager> manager;
  return manager;
}

}  // namespace

// ---- FontManager ----

void FontManager::ListChanged() {
  indexed_ = false;
  byPostScriptName_.clear();
  byKey_.clear();
  byFaceName_.clear();
  default_ = nullptr;
}

void FontManager::BuildIndex() const {
  indexed_ = true;
  for (FontFace* face : list_) {
    // emplace keeps the first face of a name: list order decides between equals.
    // The bridge's stand-in face for an atm.ini without fonts has no PostScript name.
    if (face->PostScriptName()[0] != '\0') byPostScriptName_.emplace(face->PostScriptName(), face);
    byKey_.emplace(Upper(face->Key()), face);
    auto [it, added] = byFaceName_.emplace(Upper(face->FaceName()), face);
    if (!added && face->Style() < it->second->Style()) it->second = face;
  }
  static const char* const kDefaults[] = {"ArialMT", "LiberationSans", "DejaVuSans"};
  for (const char* name : kDefaults) {
    auto it = byPostScriptName_.find(name);
    if (it != byPostScriptName_.end()) {
      default_ = it->second;
      return;
    }
  }
  default_ = list_.empty() ? nullptr : list_.front();
}

FontFace* FontManager::FindFace(const std::string& name) const {
  if (!indexed_) BuildIndex();
  if (auto it = byPostScriptName_.find(name); it != byPostScriptName_.end()) return it->second;
  std::string upper = Upper(name);
  if (auto it = byKey_.find(upper); it != byKey_.end()) return it->second;
  if (auto it = byFaceName_.find(upper); it != byFaceName_.end()) return it->second;
  return nullptr;
}

FontFace* FontManager::DefaultFace() const {
  if (!indexed_) BuildIndex();
  return default_;
}

FontFace* FontManager::MeasuringFace(const char* font) const {
  FontFace* face = font ? FindFace(font) : nullptr;
  return face ? face : DefaultFace();
}

float FontManager::Ascent(const char* font, float size) {
  FontFace* face = MeasuringFace(font);
  return face ? face->Ascent(size) : 0.0f;
}

float FontManager::Descent(const char* font, float size) {
  FontFace* face = MeasuringFace(font);
  return face ? face->Descent(size) : 0.0f;
}

float FontManager::StringWidth(const char* font, const char* text, int32_t length, float size) {
  FontFace* face = MeasuringFace(font);
  return face && text && length > 0 ? face->StringWidth(text, length, size) : 0.0f;
}

// ---- TrueTypeFontList ----

TrueTypeFontList::TrueTypeFontList(std::string profilePath)
    : profilePath_(std::move(profilePath)) {}

TrueTypeFontList::TrueTypeFontList() : TrueTypeFontList(SettingsFilePath()) {}

TrueTypeFontList::~TrueTypeFontList() = default;

void TrueTypeFontList::UseFontFiles(std::vector<std::string> paths) {
  useFiles_ = true;
  files_ = std::move(paths);
}

int32_t TrueTypeFontList::LoadFonts() {
  FreeFonts();
  std::vector<SystemFace> found;
  bool ok = true;
  if (useFiles_) {
    ListFacesInFiles(files_, profilePath_, &found);
  } else {
    ok = ListSystemFaces(profilePath_, &found);
  }
  faces_.reserve(found.size());
  for (SystemFace& face : found) {
    faces_.push_back(std::make_unique<TrueTypeFontFace>(std::move(face)));
    list_.push_back(faces_.back().get());
  }
  ListChanged();
  return ok ? 1 : 0;
}

void TrueTypeFontList::FreeFonts() {
  list_.clear();
  faces_.clear();
  ListChanged();
}

void TrueTypeFontList::DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face,
                                   float size, float red, float green, float blue, float a, float b,
                                   float c, float d, const char* text, int32_t length) {
  auto* tt = dynamic_cast<TrueTypeFontFace*>(face);
  if (!tt) return;
  DrawRunFromFile(device, tt->Path(), tt->FaceIndex(), x, y, face, size, red, green, blue, a, b, c,
                  d, text, length);
}

// Every platform here has world transforms, so both lists draw the same way: the device draws
// the face's outlines under translate(x, y) . [a b c d] . scale(1, -1).
void WorldTransformFontList::DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face,
                                         float size, float red, float green, float blue, float a,
                                         float b, float c, float d, const char* text,
                                         int32_t length) {
  TrueTypeFontList::DrawTextRun(device, x, y, face, size, red, green, blue, a, b, c, d, text,
                                length);
}

// ---- AtmFontList ----

AtmFontList::AtmFontList() = default;
AtmFontList::~AtmFontList() = default;

void AtmFontList::UseFaces(std::vector<Type1Face> faces) {
  useFaces_ = true;
  given_ = std::move(faces);
}

int32_t AtmFontList::LoadFonts() {
  FreeFonts();
  std::vector<Type1Face> found = useFaces_ ? given_ : LoadType1Faces();
  faces_.reserve(found.size());
  for (Type1Face& face : found) {
    faces_.push_back(std::make_unique<Type1FontFace>(std::move(face)));
    list_.push_back(faces_.back().get());
  }
  ListChanged();
  return 1;
}

void AtmFontList::FreeFonts() {
  list_.clear();
  faces_.clear();
  ListChanged();
}

void AtmFontList::DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face, float size,
                              float red, float green, float blue, float a, float b, float c,
                              float d, const char* text, int32_t length) {
  auto* t1 = dynamic_cast<Type1FontFace*>(face);
  if (!t1 || !device || !text || length <= 0) return;
  if (!DrawRunFromFile(device, t1->Files().pfbPath, 0, x, y, face, size, red, green, blue, a, b, c,
                       d, text, length))
    DebugLog("Error: Adobe Type Manager can't image selected font.");
}

// ---- CombinedFontManager ----

CombinedFontManager::CombinedFontManager() = default;
CombinedFontManager::CombinedFontManager(std::string profilePath)
    : trueType_(std::move(profilePath)) {}
CombinedFontManager::~CombinedFontManager() = default;

int32_t CombinedFontManager::LoadFonts() {
  FreeFonts();
  int32_t ok = atm_.LoadFonts() & trueType_.LoadFonts();
  const std::vector<FontFace*>& type1 = atm_.GetFontList();
  const std::vector<FontFace*>& trueType = trueType_.GetFontList();
  list_.insert(list_.end(), type1.begin(), type1.end());
  list_.insert(list_.end(), trueType.begin(), trueType.end());
  ListChanged();
  return ok;
}

void CombinedFontManager::FreeFonts() {
  list_.clear();
  atm_.FreeFonts();
  trueType_.FreeFonts();
  ListChanged();
}

void CombinedFontManager::DrawTextRun(gdi::Device* device, int32_t x, int32_t y, FontFace* face,
                                      float size, float red, float green, float blue, float a,
                                      float b, float c, float d, const char* text, int32_t length) {
  if (!face) return;
  FontManager& list = face->IsTrueType() ? static_cast<FontManager&>(trueType_) : atm_;
  list.DrawTextRun(device, x, y, face, size, red, green, blue, a, b, c, d, text, length);
}

// ---- The current manager ----

void SetFontManager(std::unique_ptr<FontManager> manager) {
  std::unique_ptr<FontManager>& current = Current();
  // The model must never measure through a freed manager.
  SetTextMetrics(manager.get());
  if (current) current->FreeFonts();
  current = std::move(manager);
}

FontManager* TheFontManager() { return Current().get(); }

FontManager* ChooseFontManager() {
  std::unique_ptr<FontManager> manager;
  if (Type1BridgeRunning()) {
    // An old bridge is reported and used all the same.
    CheckType1BridgeVersion();
    manager = std::make_unique<CombinedFontManager>();
  } else {
    // World transforms are always available on this platform, so the plain TrueType list with
    // its glyph-bitmap drawing is never needed.
    manager = std::make_unique<WorldTransformFontList>();
  }
  manager->LoadFonts();
  FontManager* chosen = manager.get();
  SetFontManager(std::move(manager));
  return chosen;
}
