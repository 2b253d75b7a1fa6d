// SPDX-License-Identifier: GPL-3.0-or-later
// One stream's subtitles taken out of the two parts of a title set: the units the scanner
// counts, their times from the first file's start or as stamped, forced ones, and the refusals.
#include <gtest/gtest.h>

#include "core/Log.h"
#include "core/Progress.h"
#include "files/VobExtract.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/Recorders.h"
#include "tests/support/VobBuilder.h"

namespace {

struct Case {
  VobExtractOptions options;
  int stream;                        // taken; -1 when refused
  std::vector<int> units;            // indexes into units_
  std::vector<std::int64_t> times;
  const char* error = "";
};

class VobExtractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Stream 1 starts first; stream 0's first unit continues into the next part.
    units_ = {MakeSubpictureUnit(0x3210, 0xFFF0, 5000),
              MakeUnitWithCommands({0x00, 0x03, 0x12, 0x34, 0x04, 0xFF, 0xF0, 0x01, 0xFF}),
              MakeSubpictureUnit(0x4567, 0x7777)};
    const std::vector<Bytes> split = VobBuilder::UnitBlocks(0, units_[0], 18000);
    WriteFileBytes(parts_[0], VobBuilder().NavPack().VideoPack(9000).Unit(1, units_[2], 12000)
                                  .Block(split[0]).Data());
    WriteFileBytes(parts_[1], VobBuilder().Blocks({split.begin() + 1, split.end()})
                                  .Unit(0, units_[1], 27000).Unit(0, MakeMarkerUnit(), 30000).Data());
  }

  TempDir dir_;
  std::vector<std::string> parts_ = {dir_.File("VTS_01_1.VOB"), dir_.File("VTS_01_2.VOB")};
  std::vector<Bytes> units_;
};

TEST_F(VobExtractTest, TakesOneStreamsUnitsWithTheirTimes) {
  const Case cases[] = {
      {{}, 0, {0, 1}, {9000, 18000}},
      {{-1, false, true}, 0, {0, 1}, {18000, 27000}},
      {{-1, true, false}, 0, {1}, {18000}},
      {{1, false, false}, 1, {2}, {3000}},
      {{5, false, false}, -1, {}, {}, "ERROR - No subtitles in stream 5"},
      {{1, true, false}, -1, {}, {}, "ERROR - No forced subtitles in stream 1"},
  };
  ProgressRecorder progress;
  ScopedProgressHost host(&progress);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.stream);
    LogRecorder log(kLogError);
    ScopedLogTarget target(&log);
    VobExtraction result;
    ASSERT_EQ(ExtractVobStream(parts_, c.options, result), c.stream >= 0);
    if (c.stream < 0) {
      EXPECT_EQ(log.LineList(), std::vector<std::string>{c.error});
      continue;
    }
    EXPECT_EQ(result.stream, c.stream);
    ASSERT_EQ(result.units.size(), c.units.size());
    Bytes sup;
    for (std::size_t i = 0; i < c.units.size(); ++i) {
      EXPECT_EQ(result.units[i].time, c.times[i]);
      EXPECT_EQ(result.units[i].forced, c.units[i] == 1);
      const auto t = static_cast<std::uint32_t>(c.times[i]);
      sup.insert(sup.end(), {'S', 'P', static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(t >> 8),
                             static_cast<std::uint8_t>(t >> 16), static_cast<std::uint8_t>(t >> 24), 0, 0, 0, 0});
      sup.insert(sup.end(), units_[c.units[i]].begin(), units_[c.units[i]].end());
    }
    ASSERT_TRUE(SaveSupUnits(dir_.File("out.sup"), result.units));
    EXPECT_EQ(ReadFileBytes(dir_.File("out.sup")), sup);
  }
}

// The units extracted are those the scanner counts in its stream, with the same time stamps.
TEST_F(VobExtractTest, UnitsAreThoseTheScannerCounts) {
  ProgressRecorder progress;
  ScopedProgressHost host(&progress);
  CFileVOB vob;
  vob.SetCollectUnits(true);
  std::vector<std::int64_t> counted;
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    ASSERT_TRUE(vob.Open(parts_[i]));
    if (i == 0) vob.SetNextPart(parts_[1]);
    ASSERT_GE(vob.Scan(false), 0);
    for (const VobUnitFacts& f : vob.UnitFacts()) {
      if (f.stream == 0) counted.push_back(f.pts.value_or(-1));
    }
  }
  VobExtraction result;
  ASSERT_TRUE(ExtractVobStream(parts_, {0, false, true}, result));
  std::vector<std::int64_t> extracted;
  for (const ExtractedUnit& unit : result.units) extracted.push_back(unit.time);
  EXPECT_EQ(extracted, counted);
}

// The title set's IFO beside the VOBs, in any letter case: palette, frame size, and the language
// of a stream through the program chain's stream controls; without one, the defaults.
TEST_F(VobExtractTest, TitleSetFactsComeFromTheIfoBesideTheVobs) {
  TitleSetSubtitleFacts facts;
  ASSERT_TRUE(ReadTitleSetSubtitleFacts(parts_[1], 0, facts));
  EXPECT_EQ(facts.palette[1], "108080");  // the default palette's black
  EXPECT_EQ(facts.width * 10000 + facts.height, 7200576);
  Bytes ifo = BuildIfo();
  const std::size_t pgc = IfoPalettePosition() - 1 - 0xA4;
  ifo[0x255] = 2;
  std::fill_n(ifo.begin() + static_cast<std::ptrdiff_t>(pgc + 0x1C), 32 * 4, 0);
  for (const auto& [at, bytes] : std::vector<std::pair<std::size_t, Bytes>>{
           {0x258, {'E', 'N'}}, {0x25E, {'d', 'e'}}, {pgc + 0x1C, {0x81, 1, 1, 1, 0x80, 0, 0, 0}}}) {
    std::copy(bytes.begin(), bytes.end(), ifo.begin() + static_cast<std::ptrdiff_t>(at));
  }
  for (const auto& [attributes, stream, width, height, language] :
       std::vector<std::tuple<Bytes, int, int, int, std::string>>{
           {{0x10, 0x00}, 1, 720, 576, "en"}, {{0x00, 0x04}, 0, 704, 480, "de"},
           {{0x00, 0x0C}, 3, 352, 240, ""}, {{0x20, 0x00}, 1, 720, 576, "en"}}) {
    std::copy(attributes.begin(), attributes.end(), ifo.begin() + 0x200);
    WriteFileBytes(dir_.File("vts_01_0.ifo"), ifo);
    ASSERT_TRUE(ReadTitleSetSubtitleFacts(parts_[1], stream, facts));
    EXPECT_EQ(facts.palette[0], "108020") << "the first title chain's";
    EXPECT_EQ(std::tie(facts.width, facts.height, facts.language), std::tie(width, height, language))
        << stream;
  }
}

}  // namespace
