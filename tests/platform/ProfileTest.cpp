#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/profile/Profile.h"
#include "platform/profile/ProfileText.h"
#include "support/TestSupport.h"

namespace {

std::string Get(const std::string& text, const std::string& section, const std::string& key) {
  std::string value;
  return FindProfileValue(text, section, key, &value) ? value : "<absent>";
}

TEST(ProfileTest, ReadsWithoutCaseAndTrimsValues) {
  const std::string text =
      "; settings\r\n[Misc]\r\nOpenDir = /home/a=b \r\nQuoted=\" spaced \"\r\nEmpty=\r\n"
      "[TrueType]\r\nArial,BOLDITALIC=Arial-BoldItalicMT\r\n"
      "[\xC9t\xC9]\r\n"  // code page 1252 capitals
      "K=1\r\n";
  EXPECT_EQ(Get(text, "misc", "opendir"), "/home/a=b");
  EXPECT_EQ(Get(text, "MISC", "Quoted"), " spaced ");
  EXPECT_EQ(Get(text, "Misc", "Empty"), "");
  EXPECT_EQ(Get(text, "truetype", "arial,bolditalic"), "Arial-BoldItalicMT");
  EXPECT_EQ(Get(text, "\xE9t\xE9", "k"), "1");
  EXPECT_EQ(Get(text, "Misc", "Arial,BOLDITALIC"), "<absent>");  // other section
  EXPECT_EQ(Get(text, "Misc", "; settings"), "<absent>");
  EXPECT_EQ(Get("no section=1\n", "", "no section"), "<absent>");
}

TEST(ProfileTest, WriteKeepsEverythingElse) {
  std::string text =
      "; keep me\r\n[Startup]\r\nLeft=10\r\nUnknown=x\r\n\r\n[Misc]\r\nversion = 300 \r\n"
      "; trailing comment\r\n";
  // An existing key changes in place, keeping its own spelling.
  ASSERT_TRUE(SetProfileValue(&text, "MISC", "Version", "310"));
  // A new key follows the section's last key; a new section is appended after a blank line.
  ASSERT_TRUE(SetProfileValue(&text, "startup", "Top", "20"));
  ASSERT_TRUE(SetProfileValue(&text, "Options", "Units", "1"));
  EXPECT_EQ(text,
            "; keep me\r\n[Startup]\r\nLeft=10\r\nUnknown=x\r\nTop=20\r\n\r\n[Misc]\r\n"
            "version =310\r\n; trailing comment\r\n\r\n[Options]\r\n"
            "Units=1\r\n");
  EXPECT_EQ(Get(text, "misc", "VERSION"), "310");

  // LF files stay LF; a last line without an end gets one before anything is added after it.
  std::string lf = "[A]\nx=1";
  ASSERT_TRUE(SetProfileValue(&lf, "A", "y", "a=b"));
  ASSERT_TRUE(SetProfileValue(&lf, "B", "z", "3"));
  EXPECT_EQ(lf, "[A]\nx=1\ny=a=b\n\n[B]\nz=3\n");
  EXPECT_EQ(Get(lf, "a", "Y"), "a=b");

  std::string fresh;
  ASSERT_TRUE(SetProfileValue(&fresh, "TrueType", "Liberation Sans", "LiberationSans"));
  EXPECT_EQ(fresh, "[TrueType]\r\nLiberation Sans=LiberationSans\r\n");
}

TEST(ProfileTest, RefusesWhatWouldNotReadBack) {
  std::string text = "[A]\r\nx=1\r\n";
  const std::string before = text;
  const std::string bad[][3] = {{"A", "k=v", "1"},
                                {"A", ";k", "1"},
                                {"A", "", "1"},
                                {"A]", "k", "1"},
                                {" A", "k", "1"},
                                {"A", "k", "1\r\n[Injected]"},
                                {"A", "k", std::string("a\0b", 3)}};
  for (const auto& b : bad) EXPECT_FALSE(SetProfileValue(&text, b[0], b[1], b[2])) << b[0] << b[1];
  EXPECT_EQ(text, before);
}

TEST(ProfileTest, FilesAreReplacedWhole) {
  std::string dir = TestWorkDir("profile_file");
  std::string path = dir + "/ulvex.ini";
  EXPECT_EQ(GetPrivateProfileString("Misc", "OpenDir", ".", path), ".");
  EXPECT_EQ(GetPrivateProfileInt("Misc", "Version", 0, path), 0);

  ASSERT_TRUE(WritePrivateProfileString("Misc", "OpenDir", "/tmp", path));
  ASSERT_TRUE(WritePrivateProfileString("misc", "Version", "310", path));
  EXPECT_EQ(ReadFileBytes(path), "[Misc]\r\nOpenDir=/tmp\r\nVersion=310\r\n");
  EXPECT_EQ(GetPrivateProfileString("MISC", "opendir", ".", path), "/tmp");
  // No temporary file is left beside it.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) entries += e.exists();
  EXPECT_EQ(entries, 1);

  // A write that cannot happen reports it and creates nothing.
  EXPECT_FALSE(WritePrivateProfileString("Misc", "A", "1", dir + "/missing/ulvex.ini"));
  // A directory in the file's place is not replaced.
  std::filesystem::create_directory(dir + "/taken");
  EXPECT_FALSE(WritePrivateProfileString("Misc", "A", "1", dir + "/taken"));
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/taken"));

  // Writes through a link go to the linked file.
  std::filesystem::create_symlink(path, dir + "/link.ini");
  ASSERT_TRUE(WritePrivateProfileString("Misc", "Version", "311", dir + "/link.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.ini"));
  EXPECT_EQ(GetPrivateProfileInt("Misc", "Version", 0, path), 311);
}

TEST(ProfileTest, SettingsDirectoryFollowsXdg) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  std::string keep = saved ? saved : "";
  std::string dir = TestWorkDir("profile_xdg");
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  EXPECT_EQ(SettingsFilePath(), dir + "/ulvex/ulvex.ini");
  ASSERT_TRUE(WriteProfileString("Misc", "Version", "310"));
  EXPECT_EQ(GetProfileInt("Misc", "Version", 0), 310);
  EXPECT_EQ(GetProfileString("Misc", "OpenDir", "."), ".");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored: only absolute paths count
  EXPECT_NE(SettingsDirectory(), "relative/ulvex");
  EXPECT_EQ(SettingsDirectory().substr(SettingsDirectory().size() - 14), "/.config/ulvex");
  if (saved) {
    setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
