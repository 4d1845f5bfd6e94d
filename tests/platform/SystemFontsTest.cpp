#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/fontsys/SfntFace.h"
#include "platform/fontsys/SystemFonts.h"
#include "support/TestSupport.h"

namespace {

const std::string kLiberation = "/usr/share/fonts/truetype/liberation/";

// Tables of a trusted installed font by tag, and fonts built from such tables.
using Tables = std::map<uint32_t, std::string>;

uint32_t Be32(const std::string& s, size_t off) {
  return uint32_t(uint8_t(s[off])) << 24 | uint32_t(uint8_t(s[off + 1])) << 16 |
         uint32_t(uint8_t(s[off + 2])) << 8 | uint8_t(s[off + 3]);
}

void Put16(std::string* s, uint32_t v) { *s += {char(v >> 8), char(v)}; }
void Put32(std::string* s, uint32_t v) { Put16(s, v >> 16), Put16(s, v & 0xFFFF); }

Tables ParseTables(const std::string& font) {
  Tables t;
  size_t n = size_t(uint8_t(font[4]) << 8 | uint8_t(font[5]));
  for (size_t i = 0; i < n; ++i) {
    size_t r = 12 + i * 16;
    t[Be32(font, r)] = font.substr(Be32(font, r + 8), Be32(font, r + 12));
  }
  return t;
}

// Directories of all fonts first, then every table, as a collection lays them out.
std::string BuildFonts(const std::vector<Tables>& fonts, bool collection) {
  size_t header = collection ? 12 + 4 * fonts.size() : 0;
  size_t dataAt = header;
  for (const Tables& t : fonts) dataAt += 12 + 16 * t.size();
  std::string out;
  if (collection) {
    out = "ttcf";
    Put32(&out, 0x00010000);
    Put32(&out, uint32_t(fonts.size()));
    size_t dirAt = header;
    for (const Tables& t : fonts) Put32(&out, uint32_t(dirAt)), dirAt += 12 + 16 * t.size();
  }
  std::string data;
  for (const Tables& t : fonts) {
    Put32(&out, 0x00010000);
    Put16(&out, uint32_t(t.size()));
    Put16(&out, 0), Put16(&out, 0), Put16(&out, 0);
    for (const auto& [tag, bytes] : t) {
      for (uint32_t v : {tag, 0u, uint32_t(dataAt + data.size()), uint32_t(bytes.size())})
        Put32(&out, v);
      data += bytes;
      data.resize((data.size() + 3) & ~size_t(3), '\0');
    }
  }
  return out + data;
}

TEST(SystemFontsTest, CollectionMemberBecomesAStandaloneFont) {
  std::string dir = TestWorkDir("fonts_ttc");
  std::string bold = ReadFileBytes(kLiberation + "LiberationSans-Bold.ttf");
  std::string ttc = dir + "/pair.ttc";
  ASSERT_TRUE(WriteFileBytes(
      ttc, BuildFonts({ParseTables(ReadFileBytes(kLiberation + "LiberationSerif-Regular.ttf")),
                       ParseTables(bold)},
                      true)));
  std::vector<SystemFace> faces;
  // The collection's bold member and the file are the same face: listed once, the smaller path
  // kept (where the build tree lies decides which one that is).
  ListFacesInFiles({ttc, kLiberation + "LiberationSans-Bold.ttf"}, dir + "/ulvex.ini", &faces);
  ASSERT_EQ(faces.size(), 2u);
  EXPECT_EQ(faces[0].path, std::min(ttc, kLiberation + "LiberationSans-Bold.ttf"));
  ListFacesInFiles({ttc}, dir + "/ulvex.ini", &faces);
  ASSERT_EQ(faces.size(), 2u);
  EXPECT_EQ(faces[0].postScriptName + faces[0].path + std::to_string(faces[0].faceIndex),
            "LiberationSans-Bold" + ttc + "1");
  EXPECT_EQ(faces[1].postScriptName, "LiberationSerif");

  std::vector<uint8_t> sfnt;
  ASSERT_TRUE(LoadFaceSfnt(ttc, 1, &sfnt));
  EXPECT_EQ(SfntChecksum(sfnt.data(), sfnt.size()), 0xB1B0AFBAu);
  // Same tables as the original file, apart from the checksum adjustment.
  Tables a = ParseTables(std::string(sfnt.begin(), sfnt.end()));
  Tables b = ParseTables(bold);
  a[0x68656164].replace(8, 4, 4, '\0');  // 'head'
  b[0x68656164].replace(8, 4, 4, '\0');
  EXPECT_TRUE(a == b);

  // A single font comes back as its file; a member that does not exist fails.
  ASSERT_TRUE(LoadFaceSfnt(kLiberation + "LiberationSans-Bold.ttf", 0, &sfnt));
  EXPECT_EQ(std::string(sfnt.begin(), sfnt.end()), bold);
  EXPECT_FALSE(LoadFaceSfnt(ttc, 2, &sfnt));
  EXPECT_FALSE(LoadFaceSfnt(kLiberation + "LiberationSans-Bold.ttf", 1, &sfnt));
}

TEST(SystemFontsTest, BrokenFontsAreSkipped) {
  std::string dir = TestWorkDir("fonts_broken");
  std::string font = ReadFileBytes(kLiberation + "LiberationSans-Regular.ttf");
  std::vector<std::string> files;
  auto add = [&](const std::string& name, const std::string& bytes) {
    files.push_back(dir + "/" + name);
    WriteFileBytes(files.back(), bytes);
  };
  for (size_t cut : {size_t(0), size_t(3), size_t(11), size_t(100), size_t(300), font.size() / 2,
                     font.size() - 100})
    add("cut" + std::to_string(cut) + ".ttf", font.substr(0, cut));
  // A collection whose member count and offsets point past the end.
  add("lying.ttc", std::string("ttcf\0\1\0\0\xFF\xFF\xFF\xFF\0\0\0\x10", 16));
  // A required table missing ('hmtx'), and a CFF font.
  Tables t = ParseTables(font);
  t.erase(0x686D7478);
  add("nohmtx.ttf", BuildFonts({t}, false));
  files.push_back("/usr/share/fonts/opentype/urw-base35/NimbusSans-Bold.otf");
  std::vector<SystemFace> faces;
  ListFacesInFiles(files, dir + "/ulvex.ini", &faces);
  EXPECT_TRUE(faces.empty());
  std::vector<uint8_t> sfnt;
  EXPECT_FALSE(LoadFaceSfnt(files[5], 0, &sfnt));
}

}  // namespace
