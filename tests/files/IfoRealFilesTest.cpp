// SPDX-License-Identifier: GPL-3.0-or-later
// IFO files written by dvdauthor: the palette read agrees with lsdvd's, and a save changes
// nothing but palette bytes. Needs ffmpeg, dvdauthor and lsdvd; skipped without them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Log.h"
#include "files/Fileifo.h"
#include "files/PaletteFile.h"
#include "files/Tabs.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/PosixOnly.h"

namespace {

bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (!folder.empty() && ::access((folder + "/" + tool).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// Runs a shell command and returns its standard output; the exit status goes to `status`.
std::string Shell(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return out;
  }
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  status = ::pclose(pipe);
  return out;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::vector<std::string> PaletteText(const std::vector<std::uint32_t>& entries) {
  std::vector<std::string> texts;
  for (std::uint32_t e : entries) texts.push_back(FormatHexText(e >> 16, (e >> 8) & 0xFF, e & 0xFF));
  return texts;
}

// The palette lines lsdvd -P prints, one per title, in upper case.
std::vector<std::vector<std::string>> LsdvdPalettes(const std::string& disc) {
  int status = 0;
  const std::string out = Shell("lsdvd -P '" + disc + "' 2>/dev/null", status);
  std::vector<std::vector<std::string>> titles;
  std::stringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t at = line.find("Palette:");
    if (at == std::string::npos) continue;
    std::stringstream words(line.substr(at + 8));
    std::vector<std::string> palette;
    std::string word;
    while (words >> word) {
      for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      palette.push_back(word);
    }
    titles.push_back(palette);
  }
  return titles;
}

// Discs authored by the real tools from one short video, in.mpg in the test's folder; skipped
// where the tools are missing.
class IfoRealFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"ffmpeg", "dvdauthor", "lsdvd"}) {
      if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed (Debian package " << tool << ")";
    }
    int status = 0;
    Shell("ffmpeg -v error -f lavfi -i testsrc=duration=0.4:size=720x576:rate=25 -target pal-dvd "
          "-an -y '" + dir.File("in.mpg") + "' 2>&1",
          status);
    ASSERT_EQ(status, 0) << "ffmpeg failed";
  }
  TempDir dir;
};

TEST_F(IfoRealFiles, DvdauthorPaletteMatchesLsdvdAndSurvivesASave) {
  int status = 0;

  // Two titles with different palettes; the document reads the first program chain's.
  std::vector<std::uint32_t> first, second, changed;
  std::string firstFile, secondFile;
  for (std::uint32_t i = 0; i < 16; ++i) {
    first.push_back(((0x10 + 13 * i) << 16) | ((0x80 - 5 * i) << 8) | (0x20 + 11 * i));
    second.push_back(0x235689 ^ (i * 0x010203));
    changed.push_back(0xEB7F7F - i * 0x030101);
    char line[16];
    std::snprintf(line, sizeof line, "%06x\n", first.back());
    firstFile += line;
    std::snprintf(line, sizeof line, "%06x\n", second.back());
    secondFile += line;
  }
  WriteText(dir.File("first.yuv"), firstFile);
  WriteText(dir.File("second.yuv"), secondFile);
  WriteText(dir.File("dvd.xml"),
            "<dvdauthor dest=\"DVD\"><vmgm /><titleset><titles>\n"
            "<pgc palette=\"first.yuv\"><vob file=\"in.mpg\" /></pgc>\n"
            "<pgc palette=\"second.yuv\"><vob file=\"in.mpg\" /></pgc>\n"
            "</titles></titleset></dvdauthor>\n");
  const std::string log =
      Shell("cd '" + dir.Path() + "' && VIDEO_FORMAT=PAL dvdauthor -x dvd.xml 2>&1", status);
  ASSERT_EQ(status, 0) << log;
  const std::string disc = dir.File("DVD");
  const std::string ifoPath = disc + "/VIDEO_TS/VTS_01_0.IFO";

  const std::vector<std::vector<std::string>> before = LsdvdPalettes(disc);
  ASSERT_EQ(before.size(), 2u) << "lsdvd lists both titles";
  ASSERT_EQ(before[0], PaletteText(first)) << "lsdvd reads the palette dvdauthor was given";

  LogRecorder recorder;
  ScopedLogTarget scoped(&recorder);
  IfoTabValues tab;
  CFileIFO ifo(tab);
  ASSERT_EQ(ifo.Load(ifoPath), 16) << (recorder.LineList().empty() ? "" : recorder.LineList()[0]);
  for (int i = 0; i < 16; ++i) {
    int y = 0, cr = 0, cb = 0;
    ASSERT_TRUE(ifo.GetPaletteEntry(i, y, cr, cb));
    EXPECT_EQ(FormatHexText(y, cr, cb), before[0][i]) << "entry " << i;
    EXPECT_NE(FormatHexText(y, cr, cb), before[1][i]) << "not the second program chain";
  }

  // Save a new palette onto the file itself: only Y, Cr and Cb bytes of the first palette
  // may differ, and lsdvd sees the new palette while the second title keeps its own.
  const Bytes original = ReadFileBytes(ifoPath);
  const std::vector<std::string> newTexts = PaletteText(changed);
  for (int i = 0; i < 16; ++i) tab.hex[i] = newTexts[i];
  ASSERT_TRUE(ifo.Save(ifoPath));
  const Bytes saved = ReadFileBytes(ifoPath);
  ASSERT_EQ(saved.size(), original.size());
  const auto start = static_cast<std::size_t>(ifo.GetPaletteOffset());
  int changedBytes = 0;
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i] == original[i]) continue;
    ++changedBytes;
    EXPECT_TRUE(i >= start && i < start + 63 && (i - start) % 4 != 3) << "byte " << i << " changed";
  }
  EXPECT_GT(changedBytes, 16);
  const std::vector<std::vector<std::string>> after = LsdvdPalettes(disc);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0], newTexts);
  EXPECT_EQ(after[1], before[1]);
}

// An .rgb palette file reads as dvdauthor reads it (lsdvd shows what dvdauthor wrote), and what
// --format rgb writes for those entries reads back as the same entries.
TEST_F(IfoRealFiles, RgbPaletteFilesReadAsDvdauthorReadsThemAndRoundTrip) {
  std::string rgb = "ffffff\n000000\n";
  for (std::uint32_t i = 2; i < 16; ++i) rgb += FormatText("%06x\n", (0x9E3779B9u * i) >> 8);
  WriteText(dir.File("p.rgb"), rgb);
  WriteText(dir.File("dvd.xml"), "<dvdauthor dest=\"DVD\"><vmgm /><titleset><titles><pgc palette=\"p.rgb\">"
                                 "<vob file=\"in.mpg\" /></pgc></titles></titleset></dvdauthor>\n");
  int status = 0;
  const std::string log = Shell("cd '" + dir.Path() + "' && VIDEO_FORMAT=PAL dvdauthor -x dvd.xml 2>&1", status);
  ASSERT_EQ(status, 0) << log;
  const std::vector<std::vector<std::string>> titles = LsdvdPalettes(dir.File("DVD"));
  ASSERT_EQ(titles.size(), 1u);
  std::string error;
  PaletteTexts shown;
  std::copy(titles[0].begin(), titles[0].end(), shown.begin());
  EXPECT_EQ(ParsePaletteFile(rgb, PaletteFormat::kRgb, error), shown);
  EXPECT_EQ(ParsePaletteFile(FormatPaletteFile(shown, PaletteFormat::kRgb), PaletteFormat::kRgb, error), shown);
}

// A disc with a manager menu, two title sets, several titles with different palettes and title
// set menus: every title's palette agrees with lsdvd; every chain is listed; a save of every
// chain of the first title set changes only palette bytes, and its twin follows.
TEST_F(IfoRealFiles, EveryProgramChainOfADiscWithMenusAndTwoTitleSets) {
  int status = 0;
  std::vector<std::vector<std::uint32_t>> palettes(5);
  for (std::uint32_t k = 0; k < 5; ++k) {
    std::string text;
    for (std::uint32_t i = 0; i < 16; ++i) {
      palettes[k].push_back(((0x10 + 13 * i + k) << 16) | ((0x80 - 5 * i + k) << 8) | (0x20 + 11 * i + k));
      char line[16];
      std::snprintf(line, sizeof line, "%06x\n", palettes[k].back());
      text += line;
    }
    WriteText(dir.File("p" + std::to_string(k) + ".yuv"), text);
  }
  WriteText(dir.File("dvd.xml"),
            "<dvdauthor dest=\"DVD\">\n"
            "<vmgm><menus><pgc entry=\"title\" palette=\"p0.yuv\"><pre>jump titleset 1 menu;</pre></pgc></menus></vmgm>\n"
            "<titleset><menus>\n"
            "<pgc entry=\"root\" palette=\"p1.yuv\"><vob file=\"in.mpg\"/></pgc>\n"
            "<pgc palette=\"p2.yuv\"><vob file=\"in.mpg\"/></pgc></menus>\n"
            "<titles><pgc palette=\"p2.yuv\"><vob file=\"in.mpg\"/></pgc>\n"
            "<pgc palette=\"p3.yuv\"><vob file=\"in.mpg\"/></pgc>\n"
            "<pgc palette=\"p4.yuv\"><vob file=\"in.mpg\"/></pgc></titles></titleset>\n"
            "<titleset><titles><pgc palette=\"p0.yuv\"><vob file=\"in.mpg\"/></pgc></titles></titleset>\n"
            "</dvdauthor>\n");
  const std::string log = Shell("cd '" + dir.Path() + "' && VIDEO_FORMAT=PAL dvdauthor -x dvd.xml 2>&1", status);
  ASSERT_EQ(status, 0) << log;
  const std::string disc = dir.File("DVD");
  const std::string folder = disc + "/VIDEO_TS/";

  const std::vector<std::vector<std::string>> titles = LsdvdPalettes(disc);
  ASSERT_EQ(titles.size(), 4u);
  const std::vector<std::vector<std::string>> expected = {PaletteText(palettes[2]), PaletteText(palettes[3]),
                                                          PaletteText(palettes[4]), PaletteText(palettes[0])};
  EXPECT_EQ(titles, expected) << "lsdvd reads the palettes dvdauthor was given";

  LogRecorder recorder(kLogWarning);
  ScopedLogTarget scoped(&recorder);
  IfoTabValues tab;
  CFileIFO ifo(tab);
  // The document's title chains, title set by title set, are lsdvd's titles.
  std::vector<std::vector<std::string>> ours;
  for (const char* name : {"VTS_01_0.IFO", "VTS_02_0.IFO"}) {
    ASSERT_EQ(ifo.Load(folder + name), 16);
    for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
      if (ifo.Chains()[c].domain != PgcDomain::kTitle) continue;
      ours.emplace_back();
      for (int i = 0; i < 16; ++i) {
        int y = 0, cr = 0, cb = 0;
        ASSERT_TRUE(ifo.GetChainEntry(c, i, y, cr, cb));
        ours.back().push_back(FormatHexText(y, cr, cb));
      }
    }
  }
  EXPECT_EQ(ours, titles);
  ASSERT_EQ(ifo.Load(folder + "VIDEO_TS.IFO", IfoAccept::kTitleSetOrManager), 16);
  bool managerMenu = false;
  for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
    int y = 0, cr = 0, cb = 0;
    ASSERT_TRUE(ifo.GetChainEntry(c, 0, y, cr, cb));
    managerMenu |= ifo.Chains()[c].domain == PgcDomain::kMenu &&
                   static_cast<std::uint32_t>(y << 16 | cr << 8 | cb) == palettes[0][0];
  }
  EXPECT_TRUE(managerMenu) << "the manager's menu chain has its palette";

  recorder.Clear();
  ASSERT_EQ(ifo.Load(folder + "VTS_01_0.IFO"), 16);
  int menus = 0;
  for (const ProgramChain& chain : ifo.Chains()) menus += chain.domain == PgcDomain::kMenu;
  EXPECT_GE(menus, 2);
  ASSERT_EQ(recorder.LineList().size(), 1u);
  EXPECT_EQ(recorder.LineList()[0].rfind("WARNING - ", 0), 0u);

  // Every chain of the first title set gets a new palette; nothing else changes.
  const Bytes original = ReadFileBytes(folder + "VTS_01_0.IFO");
  ASSERT_EQ(ReadFileBytes(folder + "VTS_01_0.BUP"), original);
  PaletteTexts fresh;
  for (int i = 0; i < 16; ++i) fresh[static_cast<std::size_t>(i)] = FormatHexText(0xEB - i, 0x80, 0x80);
  std::vector<std::pair<std::size_t, PaletteTexts>> all;
  std::vector<std::size_t> starts;
  for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
    all.emplace_back(c, fresh);
    starts.push_back(ifo.Chains()[c].palette);
  }
  ASSERT_TRUE(ifo.SaveChains(folder + "VTS_01_0.IFO", all));
  const Bytes saved = ReadFileBytes(folder + "VTS_01_0.IFO");
  ASSERT_EQ(saved.size(), original.size());
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i] == original[i]) continue;
    bool inPalette = false;
    for (std::size_t start : starts) inPalette |= i >= start && i < start + 64;
    EXPECT_TRUE(inPalette) << "byte " << i << " changed";
  }
  EXPECT_EQ(ReadFileBytes(folder + "VTS_01_0.BUP"), saved);
  const std::vector<std::vector<std::string>> after = LsdvdPalettes(disc);
  ASSERT_EQ(after.size(), 4u);
  for (std::size_t t = 0; t < 3; ++t) EXPECT_EQ(after[t], std::vector<std::string>(fresh.begin(), fresh.end()));
  EXPECT_EQ(after[3], titles[3]) << "the other title set is untouched";
}

}  // namespace
