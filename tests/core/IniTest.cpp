// SPDX-License-Identifier: GPL-3.0-or-later
// The INI reader and writer: values, defaults, and keeping what it does not own.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/Ini.h"
#include "tests/support/TempDir.h"

namespace {

TEST(IniFile, ReadsValuesUnchangedToTheEndOfTheLine) {
  const IniFile ini = IniFile::Parse(
      "; comment\r\n[General]\r\nText= two  spaces = and more \r\nNum = -12\n[other]\nNum=5\n");
  EXPECT_EQ(ini.Get("General", "Text"), " two  spaces = and more ");
  EXPECT_EQ(ini.GetInt("general", "NUM", 0), -12) << "names match without regard to case";
  EXPECT_EQ(ini.GetInt("other", "Num", 0), 5);
  EXPECT_EQ(ini.Get("General", "Missing"), std::nullopt);
  EXPECT_EQ(ini.Get("Nowhere", "Num"), std::nullopt);
}

TEST(IniFile, IntegersAndBooleansFallBackOnAnythingInvalid) {
  const IniFile ini = IniFile::Parse(
      "[s]\na=abc\nb=12abc\nc=99999999999\nd=\ne= 7 \nf=2\ng=0\nh=+3\ni=-\n");
  EXPECT_EQ(ini.GetInt("s", "a", 7), 7);
  EXPECT_EQ(ini.GetInt("s", "b", 7), 7);
  EXPECT_EQ(ini.GetInt("s", "c", 7), 7) << "out of the int range";
  EXPECT_EQ(ini.GetInt("s", "d", 7), 7);
  EXPECT_EQ(ini.GetInt("s", "e", 0), 7);
  EXPECT_EQ(ini.GetInt("s", "h", 0), 3);
  EXPECT_EQ(ini.GetInt("s", "i", 1), 1);
  EXPECT_TRUE(ini.GetBool("s", "f", false)) << "any number but 0 is true";
  EXPECT_FALSE(ini.GetBool("s", "g", true));
  EXPECT_TRUE(ini.GetBool("s", "a", true));
}

TEST(IniFile, SetReplacesInPlaceAddsToItsSectionAndKeepsTheRest) {
  IniFile ini = IniFile::Parse("# mine\n[A]\nx=1\n; note\ny=2\n[B]\nz=3\n[Foreign]\nkeep=me\n");
  ini.Set("A", "y", "20");
  ini.Set("A", "new", "n");
  ini.Set("B", "z", "line\nbreak");
  ini.Set("C", "w", "4");
  EXPECT_EQ(ini.Text(),
            "# mine\n[A]\nx=1\n; note\ny=20\nnew=n\n[B]\nz=line break\n[Foreign]\nkeep=me\n[C]\nw=4\n");
}

TEST(IniFile, AddedLinesEndAsTheFilesFirstLineDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"; c\r\n[A]\nx=1", "; c\r\n[A]\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n"},
      {"[A]\nx=1\r\n", "[A]\nx=1\r\ny=2\n[B]\nz=3\n"},
      {"", "[A]\ny=2\n[B]\nz=3\n"},
  };
  for (const auto& [text, written] : cases) {
    IniFile ini = IniFile::Parse(text);
    ini.Set("A", "y", "2");
    ini.Set("B", "z", "3");
    EXPECT_EQ(ini.Text(), written) << text;
  }
}

TEST(IniFile, LinesWrittenBackParseExactlyAsBefore) {
  // A stray carriage return must not turn a junk line into a section header on the next read.
  const std::string text = "[A]\r\n[junk]\r\r\nk=v\r\r\nlast\r";
  IniFile ini = IniFile::Parse(text);
  EXPECT_EQ(ini.Get("A", "k"), "v\r");
  ini.Set("A", "n", "1");
  const IniFile again = IniFile::Parse(ini.Text());
  EXPECT_EQ(again.Get("A", "k"), "v\r");
  EXPECT_EQ(again.Get("A", "n"), "1");
  EXPECT_EQ(IniFile::Parse(text).Text(), "[A]\r\n[junk]\r\r\nk=v\r\r\nlast\r\n");
}

TEST(IniFile, BinaryAndVeryLongLinesNeverBreakIt) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>(i * 37);
  junk += "\n[s]\nk=" + std::string(1 << 20, 'v') + "\n";
  IniFile ini = IniFile::Parse(junk);
  EXPECT_EQ(ini.Get("s", "k")->size(), 1u << 20);
  ini.Set("s", "k", "short");
  EXPECT_EQ(IniFile::Parse(ini.Text()).Get("s", "k"), "short");
}

TEST(IniFile, WriteAndReadBackThroughAFile) {
  TempDir dir;
  IniFile ini;
  ini.Set("S", "k", "v");
  ASSERT_TRUE(ini.Write(dir.File("x.INI")));
  EXPECT_EQ(IniFile::Read(dir.File("x.INI")).Get("S", "k"), "v");
  EXPECT_FALSE(ini.Write(dir.File("missing/x.INI")));
  EXPECT_EQ(IniFile::Read(dir.File("none.INI")).Get("S", "k"), std::nullopt);
}

}  // namespace
