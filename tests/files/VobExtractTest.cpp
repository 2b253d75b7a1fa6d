// SPDX-License-Identifier: GPL-3.0-or-later
// One stream's subtitles taken out of the two parts of a title set: the units, their times from
// the first file's start or as stamped, forced ones, refusals; the title set's facts.
#include <gtest/gtest.h>

#include "core/Log.h"
#include "files/VobExtract.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/Recorders.h"
#include "tests/support/VobBuilder.h"

namespace {

class VobExtractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Stream 1 starts first; stream 0's first unit continues into the next part.
    const std::vector<Bytes> split = VobBuilder::UnitBlocks(0, units_[0], 18000);
    WriteFileBytes(parts_[0], VobBuilder().NavPack().VideoPack(9000).Unit(1, units_[2], 12000)
                                  .Block(split[0]).Data());
    WriteFileBytes(parts_[1], VobBuilder().Blocks({split.begin() + 1, split.end()})
                                  .Unit(0, units_[1], 27000).Unit(0, MakeMarkerUnit(), 30000).Data());
  }

  TempDir dir_;
  std::vector<std::string> parts_ = {dir_.File("VTS_01_1.VOB"), dir_.File("VTS_01_2.VOB")};
  std::vector<Bytes> units_ = {MakeSubpictureUnit(0x3210, 0xFFF0, 5000),
                               MakeUnitWithCommands({0x00, 0x03, 0x12, 0x34, 0x04, 0xFF, 0xF0, 0x01, 0xFF}),
                               MakeSubpictureUnit(0x4567, 0x7777)};
};

// The SUP file holds exactly the units built, unit 1 the forced one, at the times given.
TEST_F(VobExtractTest, TakesOneStreamsUnitsWithTheirTimes) {
  const std::tuple<VobExtractOptions, std::vector<std::pair<int, std::uint32_t>>, const char*> cases[] = {
      {{}, {{0, 9000}, {1, 18000}}, ""},
      {{-1, false, true}, {{0, 18000}, {1, 27000}}, ""},
      {{-1, true, false}, {{1, 18000}}, ""},
      {{1, false, false}, {{2, 3000}}, ""},
      {{5, false, false}, {}, "ERROR - No subtitles in stream 5"},
      {{1, true, false}, {}, "ERROR - No forced subtitles in stream 1"},
  };
  for (const auto& [options, expected, error] : cases) {
    LogRecorder log(kLogError);
    ScopedLogTarget target(&log);
    VobExtraction result;
    ASSERT_EQ(ExtractVobStream(parts_, options, result), expected.size() > 0) << error;
    if (expected.empty()) {
      EXPECT_EQ(log.LineList(), std::vector<std::string>{error});
      continue;
    }
    Bytes sup;
    for (const auto& [unit, t] : expected) {
      sup.insert(sup.end(), {'S', 'P', static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(t >> 8), 0, 0, 0, 0, 0, 0});
      sup.insert(sup.end(), units_[unit].begin(), units_[unit].end());
    }
    ASSERT_TRUE(SaveSupUnits(dir_.File("out.sup"), result.units));
    EXPECT_EQ(ReadFileBytes(dir_.File("out.sup")), sup) << options.stream;
    EXPECT_EQ(result.units.front().forced, expected.front().first == 1);
  }
}

// Units kept while later ones fill new blocks stay as they were; a cleared store starts again
// in its first block.
TEST(UnitStoreTest, KeptUnitsOutliveNewBlocksAndClearReusesThem) {
  UnitStore store;
  std::vector<Bytes> units;
  std::vector<ByteView> kept;
  for (int i = 0; i < 6; ++i) {
    units.push_back(Bytes(std::size_t{1} << 20, static_cast<std::uint8_t>(i + 1)));
    kept.push_back(store.Keep(units.back()));
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    EXPECT_EQ(Bytes(kept[i].begin(), kept[i].end()), units[i]) << i;
  }
  store.Clear();
  EXPECT_EQ(store.Keep(units[5]).data(), kept[0].data());
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
