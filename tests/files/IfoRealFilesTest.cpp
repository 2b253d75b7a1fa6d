// IFO files written by dvdauthor: the palette read agrees with lsdvd's, and a save changes
// nothing but palette bytes. Needs ffmpeg, dvdauthor and lsdvd; skipped without them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Log.h"
#include "files/Fileifo.h"
#include "files/Tabs.h"
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

TEST(IfoRealFiles, DvdauthorPaletteMatchesLsdvdAndSurvivesASave) {
  for (const char* tool : {"ffmpeg", "dvdauthor", "lsdvd"}) {
    if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed (Debian package " << tool << ")";
  }
  TempDir dir;
  int status = 0;
  Shell("ffmpeg -v error -f lavfi -i testsrc=duration=0.4:size=720x576:rate=25 -target pal-dvd "
        "-an -y '" + dir.File("in.mpg") + "' 2>&1",
        status);
  ASSERT_EQ(status, 0) << "ffmpeg failed";

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

}  // namespace
