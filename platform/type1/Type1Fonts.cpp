// The Type 1 bridge: its faces (atm.ini or fontconfig), version, metrics and downloads.
#include "platform/type1/Type1Fonts.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "output/OutputSink.h"
#include "platform/fontsys/Cp1252.h"
#include "platform/fontsys/SfntFace.h"
#include "platform/msgbox/Messages.h"
#include "platform/profile/Profile.h"

namespace {

constexpr const char* kFontsSection = "Fonts";
// No atm.ini, AFM or PFM comes near this; a larger file is not one of them.
constexpr size_t kMaxTextFile = size_t(16) << 20;
// Where the font manager looks for the FontBBox in a PFB.
constexpr size_t kBBoxScan = 16384;

// Reads at most `limit` bytes; false when the file cannot be read or is larger than `limit`
// (unless `truncate`, which keeps the first `limit` bytes).
bool ReadFile(const std::string& path, size_t limit, bool truncate, std::string* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string data;
  char buf[8192];
  bool ok = true;
  for (;;) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    if (n > limit - data.size()) {
      if (!truncate) ok = false;
      data.append(buf, limit - data.size());
      break;
    }
    data.append(buf, n);
    if (n < sizeof buf) {
      if (std::ferror(f)) ok = false;  // a directory, or a failing disk
      break;
    }
  }
  std::fclose(f);
  if (ok) *out = std::move(data);
  return ok;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool IsType1Name(const std::string& name) {
  return name.size() <= 63 && IsValidPostScriptName(name);
}

char Fold(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && !LessNoCase(a, b) && !LessNoCase(b, a);
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Resolve(const std::string& dir, const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return dir == "/" ? "/" + path : dir + "/" + path;
}

// The PostScript name a metrics file gives.
bool MetricsFileName(const std::string& path, std::string* name) {
  std::string data;
  if (!ReadFile(path, kMaxTextFile, false, &data)) return false;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data.data());
  if (IsAfm(bytes, data.size())) return AfmPostScriptName(data, name);
  return PfmPostScriptName(bytes, data.size(), name);
}

bool IsPfbFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char h[2] = {};
  bool ok = std::fread(h, 1, 2, f) == 2 && h[0] == 128 && h[1] == 1;
  std::fclose(f);
  return ok;
}

// An AFM or PFM beside a font file: the same name with the metrics extension. PFM first, the
// format the font manager was made for.
std::string MetricsBeside(const std::string& fontPath) {
  size_t slash = fontPath.rfind('/');
  size_t dot = fontPath.rfind('.');
  std::string stem = (dot != std::string::npos && (slash == std::string::npos || dot > slash))
                         ? fontPath.substr(0, dot)
                         : fontPath;
  for (const char* ext : {".pfm", ".PFM", ".afm", ".AFM"}) {
    std::string candidate = stem + ext;
    if (FileExists(candidate)) return candidate;
  }
  return {};
}

void SortAndDedupe(std::vector<Type1Face>* faces) {
  std::stable_sort(faces->begin(), faces->end(), [](const Type1Face& a, const Type1Face& b) {
    if (LessNoCase(a.faceName, b.faceName)) return true;
    if (LessNoCase(b.faceName, a.faceName)) return false;
    return a.style < b.style;
  });
  auto same = [](const Type1Face& a, const Type1Face& b) {
    return a.style == b.style && EqualNoCase(a.faceName, b.faceName);
  };
  faces->erase(std::unique(faces->begin(), faces->end(), same), faces->end());
}

}  // namespace

int32_t Type1BridgeVersion() { return kType1BridgeVersion; }

bool CheckType1BridgeVersion(int32_t version) {
  int major = version & 0xFF, minor = (version >> 8) & 0xFF;
  if (major > 2 || (major == 2 && minor >= 1)) return true;
  ShowError(
      Format("Ondara Draw requires ATM Version %d.%02d or later.\nYou are running ATM "
             "version %d.%02d",
             2, 1, major, minor));
  return false;
}

bool CheckType1BridgeVersion() { return CheckType1BridgeVersion(Type1BridgeVersion()); }

std::string AtmIniPath() { return SettingsDirectory() + "/atm.ini"; }

bool Type1BridgeRunning() {
  return FileExists(AtmIniPath()) || !ListFontconfigType1Faces().empty();
}

std::vector<Type1Face> LoadType1Faces() {
  std::string atmIni = AtmIniPath();
  if (FileExists(atmIni)) return LoadAtmIniFaces(atmIni, SettingsFilePath());
  return ListFontconfigType1Faces();
}

std::string Type1ProfileKey(const std::string& faceName, int32_t style) {
  bool bold = (style & kType1Bold) != 0, italic = (style & kType1Italic) != 0;
  if (bold && italic) return faceName + ",BOLDITALIC";
  if (italic) return faceName + ",ITALIC";
  if (bold) return faceName + ",BOLD";
  return faceName;
}

std::vector<Type1Face> LoadAtmIniFaces(const std::string& atmIniPath,
                                       const std::string& profilePath) {
  std::vector<Type1Face> faces;
  std::string text;
  if (!ReadFile(atmIniPath, kMaxTextFile, false, &text)) {
    ShowError(Format("Can't open %s", atmIniPath.c_str()));
    return faces;
  }
  std::vector<AtmIniEntry> entries;
  if (!ParseAtmIni(text, &entries)) {
    ShowError("Can't find [Fonts] section in ATM.INI");
    return faces;
  }
  std::string dir = DirectoryOf(atmIniPath);
  std::vector<std::pair<std::string, std::string>> learned;
  for (AtmIniEntry& entry : entries) {
    Type1Face face;
    face.faceName = std::move(entry.faceName);
    face.style = entry.style;
    face.metricsPath = Resolve(dir, entry.metricsPath);
    face.pfbPath = Resolve(dir, entry.pfbPath);
    std::string key = Type1ProfileKey(face.faceName, face.style);
    std::string cached = GetPrivateProfileString(kFontsSection, key, "", profilePath);
    if (IsType1Name(cached)) {
      face.postScriptName = cached;
    } else if (MetricsFileName(face.metricsPath, &face.postScriptName)) {
      learned.emplace_back(key, face.postScriptName);
    } else {
      continue;
    }
    faces.push_back(std::move(face));
  }
  // Only a cache: when the settings file cannot be written the names are read again next time.
  if (!learned.empty()) WritePrivateProfileStrings(kFontsSection, learned, profilePath);
  if (faces.empty()) {
    ShowError("No fonts in [Fonts] section in ATM.INI");
    Type1Face arial;
    arial.faceName = "Arial";
    faces.push_back(std::move(arial));
  }
  return faces;
}

std::vector<Type1Face> ListFontconfigType1Faces() {
  std::vector<Type1Face> faces;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return faces;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects =
      FcObjectSetBuild(FC_FILE, FC_FAMILY, FC_POSTSCRIPT_NAME, FC_WEIGHT, FC_SLANT, nullptr);
  if (pattern) {
    FcPatternAddString(pattern, FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("Type 1"));
  }
  FcFontSet* set = (pattern && objects) ? FcFontList(config, pattern, objects) : nullptr;
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);

  // One font often comes as several files (a PFB here, a PFA with its AFM there): the files of
  // one PostScript name are gathered, then a PFB and a metrics file are picked among them.
  struct Group {
    Type1Face face;
    std::vector<std::string> files;
  };
  std::map<std::string, Group> groups;
  for (int i = 0; set && i < set->nfont; ++i) {
    FcPattern* font = set->fonts[i];
    FcChar8 *file = nullptr, *family = nullptr, *psName = nullptr;
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) continue;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch || !family) continue;
    if (FcPatternGetString(font, FC_POSTSCRIPT_NAME, 0, &psName) != FcResultMatch || !psName) {
      continue;
    }
    FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(font, FC_SLANT, 0, &slant);
    std::string name = reinterpret_cast<const char*>(psName);
    std::string faceName = Utf8ToCp1252(reinterpret_cast<const char*>(family));
    if (!IsType1Name(name) || faceName.empty() || faceName.size() > 63) continue;
    Group& g = groups[name];
    if (g.files.empty()) {
      g.face.faceName = std::move(faceName);
      g.face.postScriptName = name;
      // Demibold and heavier count as bold, as weights above 400 do on Windows.
      g.face.style = (weight > FC_WEIGHT_MEDIUM ? kType1Bold : 0) |
                     (slant != FC_SLANT_ROMAN ? kType1Italic : 0);
    }
    g.files.push_back(reinterpret_cast<const char*>(file));
  }
  if (set) FcFontSetDestroy(set);
  FcConfigDestroy(config);

  for (auto& [name, g] : groups) {
    std::sort(g.files.begin(), g.files.end());
    for (const std::string& file : g.files) {
      if (g.face.pfbPath.empty() && IsPfbFile(file)) g.face.pfbPath = file;
      if (g.face.metricsPath.empty()) g.face.metricsPath = MetricsBeside(file);
    }
    if (g.face.pfbPath.empty() || g.face.metricsPath.empty()) continue;
    faces.push_back(std::move(g.face));
  }
  SortAndDedupe(&faces);
  return faces;
}

bool ReadType1Metrics(const Type1Face& face, Type1Metrics* metrics) {
  std::string data;
  if (face.metricsPath.empty() || !ReadFile(face.metricsPath, kMaxTextFile, false, &data)) {
    return false;
  }
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data.data());
  Type1Metrics m;
  bool ok = IsAfm(bytes, data.size()) ? ParseAfm(data, &m) : ParsePfm(bytes, data.size(), &m);
  if (!ok) return false;
  if (!m.hasBBox) {
    std::string head;
    if (!face.pfbPath.empty() && ReadFile(face.pfbPath, kBBoxScan, true, &head)) {
      m.hasBBox =
          ParsePfbFontBBox(reinterpret_cast<const uint8_t*>(head.data()), head.size(), m.bbox);
    }
  }
  *metrics = m;
  return true;
}

int32_t DownloadType1(const Type1Face& face, OutputSink* sink) {
  if (!sink || face.pfbPath.empty()) return 0;
  return CopyPfbFile(face.pfbPath, [sink](const char* data, size_t length) {
    return sink->WriteBytes(data, int32_t(length)) == 1;
  });
}
