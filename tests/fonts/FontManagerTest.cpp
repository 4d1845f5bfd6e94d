#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <tuple>
#include <utility>

#include "fonts/FontManager.h"
#include "fonts/StandardFonts.h"
#include "fonts/StringSink.h"
#include "support/OutputTestSupport.h"

namespace {

const std::string kLiberation = "/usr/share/fonts/truetype/liberation/";

using testfonts::FixedFonts;
using testfonts::MakeSystemFace;

std::unique_ptr<FontFace> TrueType(const std::string& faceName, const std::string& psName,
                                   int style = 0) {
  return std::make_unique<TrueTypeFontFace>(MakeSystemFace(faceName, psName, style));
}

std::unique_ptr<FontFace> Type1(const std::string& faceName, const std::string& psName) {
  Type1Face f;
  f.faceName = faceName;
  f.postScriptName = psName;
  return std::make_unique<Type1FontFace>(f);
}

TEST(FontFace, CharAdvancesFollowTheExactRunningSum) {
  SystemFace sys = MakeSystemFace("Test", "Test", 0);
  sys.metrics.widths[int('i')] = 333;
  TrueTypeFontFace face(sys);
  int32_t adv[10];
  face.CharAdvances("iiiiiiiiii", 10, 10.0f, adv);
  int sum = 0;
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(adv[i] == 3 || adv[i] == 4) << i;
    sum += adv[i];
    // The integer position never drifts from the exact one (3.33 per character) truncated.
    EXPECT_EQ(sum, int(3.33 * (i + 1) + 1e-9)) << i;
  }
  EXPECT_EQ(sum, 33);

  // Mixed widths at a fractional size: the sum equals the truncated width of the whole run.
  sys.metrics.widths[int('A')] = 667;
  sys.metrics.widths[int('W')] = 944;
  TrueTypeFontFace mixed(sys);
  const char text[] = "AWiAiW";
  int32_t adv2[6];
  mixed.CharAdvances(text, 6, 13.5f, adv2);
  int total = 0;
  for (int32_t a : adv2) total += a;
  EXPECT_EQ(total, int(mixed.StringWidth(text, 6, 13.5f)));
}

TEST(FontFace, MetricsScaleWithTheSize) {
  SystemFace sys = MakeSystemFace("Test", "Test", 0);
  sys.metrics.widths[int('A')] = INT_MAX;  // two of them overflow 32 bits unless summed in 64
  sys.metrics.widths[0xE9] = 556;          // a code above 127 indexes as unsigned
  TrueTypeFontFace face(sys);
  EXPECT_EQ(V(face.Ascent(1000), face.Descent(1000)), V(905, -212));
  EXPECT_FLOAT_EQ(face.StringWidth("AA", 2, 1), float(2.0 * INT_MAX / 1000.0));
  EXPECT_FLOAT_EQ(face.StringWidth("\xE9x", 2, 10), (556 + 500) * 10 / 1000.0f);
  EXPECT_FLOAT_EQ(face.StringWidth("xyz", 2, 10), 10.0f);  // only `length` bytes
}

TEST(FontFace, NamesKeysAndListingLines) {
  FixedFonts fonts;
  fonts.Add(TrueType("Arial", "ArialMT"));
  fonts.Add(TrueType("Arial", "Arial-BoldItalicMT", kStyleBold | kStyleItalic));
  fonts.Add(TrueType("Arial", "Arial-BoldMT", kStyleBold));
  fonts.Add(Type1("Symbol", "Symbol"));
  fonts.Add(Type1("Arial", ""));  // the bridge's stand-in face has no PostScript name
  const std::vector<FontFace*>& list = fonts.GetFontList();
  EXPECT_EQ(list[1]->Key() + "|" + list[0]->Key(), "Arial,BOLDITALIC|Arial");
  // Settings keys ignore case, PostScript names do not; a family finds its plainest style.
  const std::pair<const char*, FontFace*> lookups[] = {
      {"Arial,BOLDITALIC", list[1]},   {"arial,bolditalic", list[1]},
      {"arial-bolditalicmt", nullptr}, {"Arial", list[0]},
      {"Arial,ITALIC", nullptr},       {"", nullptr}};
  for (auto [name, face] : lookups) EXPECT_EQ(fonts.FindFace(name), face) << name;

  // Faces added later are found: the lookup is rebuilt.
  fonts.Add(TrueType("Arial", "Arial-ItalicMT", kStyleItalic));
  EXPECT_EQ(fonts.FindFace("Arial,ITALIC"), fonts.GetFontList()[5]);
}

TEST(FontManager, DefaultFaceAndMeasuringThroughTheModel) {
  FixedFonts fonts;
  EXPECT_EQ(fonts.DefaultFace(), nullptr);
  EXPECT_EQ(fonts.Ascent("Anything", 12), 0.0f);  // no faces: text measures as empty

  // Each face added is preferred to those before it, except a bold one; the first face is the
  // last resort.
  for (auto [face, ps, style, want] :
       {std::tuple{"Bitstream Charter", "CharterBT-Roman", 0, "CharterBT-Roman"},
        {"DejaVu Sans", "DejaVuSans-Bold", kStyleBold, "CharterBT-Roman"},
        {"DejaVu Sans", "DejaVuSans", 0, "DejaVuSans"},
        {"Liberation Sans", "LiberationSans", 0, "LiberationSans"},
        {"Arial", "ArialMT", 0, "ArialMT"}}) {
    fonts.Add(TrueType(face, ps, style));
    EXPECT_STREQ(fonts.DefaultFace()->PostScriptName(), want);
  }

  // An unknown name measures with the default face.
  EXPECT_FLOAT_EQ(fonts.StringWidth("NoSuchFont", "ab", 2, 10), 10.0f);
  EXPECT_FLOAT_EQ(fonts.Descent(nullptr, 10), -2.12f);

  // The current manager is the model's TextMetrics, and stops being so when it goes.
  auto owned = std::make_unique<FixedFonts>();
  owned->Add(TrueType("Arial", "ArialMT"));
  FontManager* raw = owned.get();
  SetFontManager(std::move(owned));
  ASSERT_TRUE(TheFontManager() == raw && CurrentTextMetrics() == raw);
  EXPECT_FLOAT_EQ(CurrentTextMetrics()->Ascent("ArialMT", 10), 9.05f);
  SetFontManager(nullptr);
  EXPECT_TRUE(TheFontManager() == nullptr && CurrentTextMetrics() == nullptr);
}

TEST(FontFace, FacesWhoseFilesHaveGoneMeasureAndWriteNothing) {
  std::string dir = TestWorkDir("font_manager_files");
  SystemFace gone = MakeSystemFace("Gone", "Gone", 0);
  gone.path = dir + "/missing.ttf";
  // A face whose metrics cannot be read measures as empty instead of failing each time.
  Type1FontFace broken(
      Type1Face{"Broken", "Broken", 0, dir + "/missing.afm", dir + "/missing.pfb"});
  StringSink none;
  EXPECT_EQ(V(TrueTypeFontFace(gone).Download(&none, 1), broken.StringWidth("abc", 3, 12),
              broken.Download(&none, 0)),
            V(0, 0, 0));
  EXPECT_EQ(none.text, "");
}

TEST(FontManager, CombinedListPutsType1FacesFirst) {
  const std::string afm = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.afm";
  const std::string pfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
  const std::string ttf = kLiberation + "LiberationSans-Regular.ttf";
  for (const std::string& p : {afm, pfb, ttf})
    if (!std::filesystem::exists(p)) GTEST_SKIP() << p << " not installed";
  std::string dir = TestWorkDir("font_manager_combined");
  CombinedFontManager fonts(dir + "/ulvex.ini");
  Type1Face nimbus{"Nimbus Sans", "NimbusSans-Regular", 0, afm, pfb};
  Type1Face symbol{"Symbol", "Symbol", 0, afm, pfb};  // files borrowed: only the name matters
  fonts.Type1List().UseFaces({nimbus, symbol});
  fonts.TrueTypeList().UseFontFiles({ttf});
  ASSERT_EQ(fonts.LoadFonts(), 1);
  const std::vector<FontFace*>& list = fonts.GetFontList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(V(list[0]->IsTrueType(), list[1]->IsTrueType(), list[2]->IsTrueType()), V(0, 0, 1));
  EXPECT_EQ(fonts.DefaultFace(), list[2]);  // Liberation Sans
  EXPECT_TRUE(IsStandardFont(fonts.FindFace("Symbol")));
}

}  // namespace
