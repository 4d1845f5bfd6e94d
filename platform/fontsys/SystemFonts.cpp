#include "platform/fontsys/SystemFonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/fontsys/Sfnt.h"
#include "platform/fontsys/SfntFace.h"
#include "platform/profile/Profile.h"

namespace {

constexpr const char* kTrueTypeSection = "TrueType";
// Real collections hold a few dozen members; a count beyond this is a broken file.
constexpr uint32_t kMaxCollectionFaces = 4096;

struct FaceRef {
  std::string path;
  uint32_t index;
};

char Fold(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(Fold(a[i]));
    unsigned char y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Reads the faces, keeps one per face name and style, and settles their PostScript names.
void ReadFaces(std::vector<FaceRef> refs, const std::string& profilePath,
               std::vector<SystemFace>* faces) {
  std::sort(refs.begin(), refs.end(), [](const FaceRef& a, const FaceRef& b) {
    return a.path != b.path ? a.path < b.path : a.index < b.index;
  });
  std::vector<std::pair<SystemFace, std::string>> found;  // face, the font's own PostScript name
  for (const FaceRef& ref : refs) {
    FileSource src;
    SfntFaceData data;
    if (!src.Open(ref.path) || !ReadSfntFace(src, ref.index, &data)) continue;
    if (data.familyName.empty()) continue;
    SystemFace face;
    face.faceName = std::move(data.familyName);
    face.style = (data.weight > 400 ? kStyleBold : 0) | (data.italic ? kStyleItalic : 0);
    face.path = ref.path;
    face.faceIndex = int(ref.index);
    face.metrics = data.metrics;
    found.emplace_back(std::move(face), std::move(data.postScriptName));
  }
  // Stable, so that of equal faces the first in path order comes first and stays.
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    int c = CompareNoCase(a.first.faceName, b.first.faceName);
    return c != 0 ? c < 0 : a.first.style < b.first.style;
  });
  std::vector<std::pair<std::string, std::string>> learned;
  for (size_t i = 0; i < found.size(); ++i) {
    SystemFace& face = found[i].first;
    if (!faces->empty() && faces->back().style == face.style &&
        CompareNoCase(faces->back().faceName, face.faceName) == 0) {
      continue;
    }
    std::string key = TrueTypeProfileKey(face.faceName, face.style);
    std::string cached = GetPrivateProfileString(kTrueTypeSection, key, "", profilePath);
    if (IsValidPostScriptName(cached)) {
      face.postScriptName = cached;
    } else if (!found[i].second.empty()) {
      face.postScriptName = found[i].second;
      learned.emplace_back(key, face.postScriptName);
    } else {
      continue;  // a face without a PostScript name cannot be written out
    }
    faces->push_back(std::move(face));
  }
  // Only a cache: a settings file that cannot be written costs time at the next start. A face
  // name that cannot be a key (one with "=") is simply not cached.
  if (!learned.empty() && !WritePrivateProfileStrings(kTrueTypeSection, learned, profilePath)) {
    for (const auto& [key, name] : learned) {
      WritePrivateProfileString(kTrueTypeSection, key, name, profilePath);
    }
  }
}

}  // namespace

std::string TrueTypeProfileKey(const std::string& faceName, int style) {
  bool bold = style & kStyleBold;
  bool italic = style & kStyleItalic;
  if (bold && italic) return faceName + ",BOLDITALIC";
  if (italic) return faceName + ",ITALIC";
  if (bold) return faceName + ",BOLD";
  return faceName;
}

bool ListSystemFaces(const std::string& profilePath, std::vector<SystemFace>* faces) {
  faces->clear();
  // A configuration of our own, destroyed after use: the library's process-wide one is never
  // freed, and other users of fontconfig (the GUI toolkit) keep theirs.
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return false;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FONTFORMAT, nullptr);
  FcFontSet* set = (pattern && objects) ? FcFontList(config, pattern, objects) : nullptr;
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
  if (!set) {
    FcConfigDestroy(config);
    return false;
  }
  std::vector<FaceRef> refs;
  for (int i = 0; i < set->nfont; ++i) {
    FcPattern* font = set->fonts[i];
    FcChar8* file = nullptr;
    FcChar8* format = nullptr;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) continue;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    // CFF and Type 1 fonts are not TrueType; the tables are checked again when read.
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) == FcResultMatch && format &&
        std::strcmp(reinterpret_cast<const char*>(format), "TrueType") != 0) {
      continue;
    }
    // The upper bits number the named instances of a variable font; its default one is the
    // face itself.
    if (index < 0 || (index >> 16) != 0) continue;
    refs.push_back({reinterpret_cast<const char*>(file), uint32_t(index)});
  }
  FcFontSetDestroy(set);
  FcConfigDestroy(config);
  std::sort(refs.begin(), refs.end(), [](const FaceRef& a, const FaceRef& b) {
    return a.path != b.path ? a.path < b.path : a.index < b.index;
  });
  refs.erase(std::unique(refs.begin(), refs.end(),
                         [](const FaceRef& a, const FaceRef& b) {
                           return a.path == b.path && a.index == b.index;
                         }),
             refs.end());
  ReadFaces(std::move(refs), profilePath, faces);
  return true;
}

bool ListSystemFaces(std::vector<SystemFace>* faces) {
  return ListSystemFaces(SettingsFilePath(), faces);
}

void ListFacesInFiles(const std::vector<std::string>& paths, const std::string& profilePath,
                      std::vector<SystemFace>* faces) {
  faces->clear();
  std::vector<FaceRef> refs;
  for (const std::string& path : paths) {
    FileSource src;
    if (!src.Open(path)) continue;
    uint32_t count = std::min(CountSfntFaces(src), kMaxCollectionFaces);
    for (uint32_t i = 0; i < count; ++i) refs.push_back({path, i});
  }
  ReadFaces(std::move(refs), profilePath, faces);
}

bool LoadFaceSfnt(const std::string& path, int faceIndex, std::vector<uint8_t>* out) {
  out->clear();
  FileSource src;
  SfntDirectory dir;
  if (faceIndex < 0 || !src.Open(path) || !ReadSfntDirectory(src, uint32_t(faceIndex), &dir)) {
    return false;
  }
  if (IsSfntCollection(src)) return BuildStandaloneSfnt(src, dir, out);
  out->resize(size_t(src.Size()));
  if (!src.Read(0, out->size(), out->data())) {
    out->clear();
    return false;
  }
  return true;
}
