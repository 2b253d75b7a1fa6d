// SPDX-License-Identifier: GPL-3.0-or-later
// Palette files: formats by name and by word, parsing of each format, and writing them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Log.h"
#include "files/Fileifo.h"
#include "files/PaletteFile.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"

namespace {

std::string Repeat(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

TEST(PaletteFile, FormatFollowsTheNameOrTheWord) {
  EXPECT_EQ(PaletteFormatOfName("a/pal.txt"), PaletteFormat::kYuv);
  EXPECT_EQ(PaletteFormatOfName("pal.RGB"), PaletteFormat::kRgb);
  EXPECT_EQ(PaletteFormatOfName("movie.idx"), PaletteFormat::kIdx);
  EXPECT_EQ(PaletteFormatOfName("rgb"), PaletteFormat::kYuv);
  EXPECT_EQ(PaletteFormatOfWord("idx"), PaletteFormat::kIdx);
  EXPECT_EQ(PaletteFormatOfWord("YUV"), std::nullopt);
}

TEST(PaletteFile, ParsesEachFormatAndRefusesWhatIsNotSixteenEntries) {
  const struct {
    const char* name;
    PaletteFormat format;
    std::string text;
    std::string first;  // entry 0, or the error
    std::string last;   // entry 15
  } cases[] = {
      {"yuv", PaletteFormat::kYuv, "eb7f7f\n" + Repeat("108080\n", 14) + "5D4792", "EB7F7F", "5D4792"},
      {"yuv with comments and blanks", PaletteFormat::kYuv,
       "# palette\n\n  EB8080  # white\r\n" + Repeat("108080\n", 15) + "\n# end\n", "EB8080", "108080"},
      {"rgb", PaletteFormat::kRgb, "FFFFFF\n" + Repeat("000000\n", 14) + "ff0000\n", "EB8080", "52F05A"},
      {"idx", PaletteFormat::kIdx,
       "# VobSub index file, v7\nsize: 720x576\npalette: ffffff," + Repeat(" 000000,", 14) +
           " 0000ff\ntimestamp: 00:00:01:000, filepos: 000000000\n",
       "EB8080", "296EF0"},
      {"fifteen lines", PaletteFormat::kYuv, Repeat("108080\n", 15), "expected 16 entries, found 15", ""},
      {"seventeen lines", PaletteFormat::kRgb, Repeat("108080\n", 17), "expected 16 entries, found 17", ""},
      {"not hex", PaletteFormat::kYuv, Repeat("108080\n", 15) + "10808G\n",
       "entry 15 '10808G' is not six hex digits", ""},
      {"two values on a line", PaletteFormat::kYuv, "108080 108080\n" + Repeat("108080\n", 15),
       "entry 0 '108080 108080' is not six hex digits", ""},
      {"idx without palette", PaletteFormat::kIdx, "size: 720x576\n", "no palette: line", ""},
      {"idx short palette", PaletteFormat::kIdx, "palette: ffffff, 000000\n", "expected 16 entries, found 2", ""},
      {"empty", PaletteFormat::kYuv, "", "expected 16 entries, found 0", ""},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto palette = ParsePaletteFile(c.text, c.format, error);
    if (c.last.empty()) {
      EXPECT_FALSE(palette) << c.name;
      EXPECT_EQ(error, c.first) << c.name;
    } else {
      ASSERT_TRUE(palette) << c.name << ": " << error;
      EXPECT_EQ((*palette)[0], c.first) << c.name;
      EXPECT_EQ((*palette)[15], c.last) << c.name;
    }
  }
}

TEST(PaletteFile, WritesEachFormatAndReadsItsOwnYuvAndIdxBack) {
  PaletteTexts palette;
  palette.fill("108080");
  palette[0] = "EB7F7F";
  palette[15] = "51EF5A";
  const std::string yuv = FormatPaletteFile(palette, PaletteFormat::kYuv);
  EXPECT_EQ(yuv, "EB7F7F\n" + Repeat("108080\n", 14) + "51EF5A\n");
  EXPECT_EQ(FormatPaletteFile(palette, PaletteFormat::kRgb), "FDFFFD\n" + Repeat("000000\n", 14) + "FD0000\n")
      << "the conversion of palette files";
  EXPECT_EQ(FormatPaletteFile(palette, PaletteFormat::kIdx),
            "palette: fdfffd," + Repeat(" 000000,", 14) + " fd0000\n");
  std::string error;
  EXPECT_EQ(ParsePaletteFile(yuv, PaletteFormat::kYuv, error), palette);

  TempDir dir;
  LogRecorder log(kLogAll);
  ScopedLogTarget scoped(&log);
  WriteFileBytes(dir.File("p.idx"), Bytes{'x'});
  EXPECT_FALSE(LoadPaletteFile(dir.File("p.idx")));
  EXPECT_EQ(log.LineList().back(), "ERROR - Not a palette file [" + dir.File("p.idx") + "]: no palette: line");
  EXPECT_FALSE(LoadPaletteFile(dir.File("none.txt")));
  EXPECT_EQ(log.LineList().back(), "ERROR - Can't open [" + dir.File("none.txt") + "]");
  WriteFileBytes(dir.File("big.rgb"), Bytes((16 << 20) + 1, '0'));
  EXPECT_FALSE(LoadPaletteFile(dir.File("big.rgb")));
  EXPECT_EQ(log.LineList().back(), "ERROR - File too large (limit 16777216 bytes) [" + dir.File("big.rgb") + "]");
}

// Every entry an RGB value can give is written as an RGB value that reads back as that entry,
// so palette files round-trip without drift.
TEST(PaletteFile, EveryEntryAnRgbValueGivesRoundTrips) {
  std::vector<bool> reachable(1 << 24);
  for (std::uint32_t rgb = 0; rgb < (1u << 24); ++rgb) reachable[PaletteFileYCrCb(rgb)] = true;
  int entries = 0;
  for (std::uint32_t e = 0; e < (1u << 24); ++e) {
    if (!reachable[e]) continue;
    ++entries;
    ASSERT_EQ(PaletteFileYCrCb(PaletteFileRgb(static_cast<int>(e >> 16), e >> 8 & 0xFF, e & 0xFF)), e) << e;
  }
  EXPECT_GT(entries, 2000000);
}

}  // namespace
