// SPDX-License-Identifier: GPL-3.0-or-later
// VobSub files: the packs written are read back by the VOB scanner, units whole and times exact;
// bad input is refused with nothing written.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "core/Log.h"
#include "files/Filevob.h"
#include "files/PaletteFile.h"
#include "files/VobSub.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

// A unit of exactly `size` bytes (at least 40).
Bytes UnitOfSize(std::size_t size) {
  const std::size_t overhead = MakeSubpictureUnit(0x3210, 0xFFF0, 0).size();
  return MakeSubpictureUnit(0x3210, 0xFFF0, size - overhead);
}

std::string Text(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

VobSubTrack Track() {
  VobSubTrack track;
  track.palette.fill("108080");
  track.palette[1] = "EB8080";
  return track;
}

class VobSubTest : public ::testing::Test {
 protected:
  TempDir dir_;
  LogRecorder log_{kLogError};
  ScopedLogTarget logScope_{&log_};
};

// Sizes around every pack boundary: a first pack holds 2019 bytes, a later one 2024; a gap of
// 1 to 5 bytes is stuffed in the PES header, a larger one is a padding packet.
TEST_F(VobSubTest, ScannerReadsEveryUnitAtItsFileposWithItsTime) {
  std::vector<VobSubUnit> units;
  std::int64_t time = 90000;
  for (std::size_t size : {40, 2013, 2014, 2018, 2019, 2020, 4043, 4048, 6000, 65535}) {
    units.push_back({time, UnitOfSize(size), false});
    time += 12345678;
  }
  units.back().time = (std::int64_t{1} << 33) - 1;
  const std::string idx = dir_.File("out.idx");
  ASSERT_TRUE(WriteVobSub(idx, Track(), units));

  std::vector<std::int64_t> filepos;
  BuildVobSubStream(units, 0, filepos);
  EXPECT_EQ(ReadFileBytes(dir_.File("out.sub")).size() % 2048, 0u);
  CFileVOB vob;
  vob.SetCollectUnits(true);
  ASSERT_TRUE(vob.Open(dir_.File("out.sub")));
  ASSERT_EQ(vob.Scan(false), static_cast<int>(units.size()));
  ASSERT_EQ(vob.UnitFacts().size(), units.size());
  const std::string idxText = Text(idx);
  for (std::size_t i = 0; i < units.size(); ++i) {
    EXPECT_EQ(vob.UnitFacts()[i].offset, filepos[i]) << i;
    EXPECT_EQ(vob.UnitFacts()[i].pts, units[i].time) << i;
    EXPECT_EQ(vob.UnitFacts()[i].size, static_cast<int>(units[i].bytes.size())) << i;
  }
  EXPECT_NE(idxText.find("timestamp: 00:00:01:000, filepos: 000000000\n"), std::string::npos);
  EXPECT_NE(idxText.find("timestamp: 26:30:43:717, filepos: "), std::string::npos);
  EXPECT_NE(idxText.find("palette: 000000, ffffff, 000000,"), std::string::npos) << idxText;
}

TEST_F(VobSubTest, BadUnitOrIndexWritesNothing) {
  WriteFileBytes(dir_.File("keep.idx"), {'x'});
  Bytes wrongSize = UnitOfSize(100);
  wrongSize[1] ^= 1;
  for (const auto& [unit, index] : std::vector<std::pair<VobSubUnit, int>>{
           {{0, wrongSize, false}, 0}, {{0, {0, 2}, false}, 0}, {{-1, UnitOfSize(60), false}, 0},
           {{std::int64_t{1} << 33, UnitOfSize(60), false}, 0}, {{0, UnitOfSize(60), false}, 32}}) {
    VobSubTrack track = Track();
    track.index = index;
    EXPECT_FALSE(WriteVobSub(dir_.File("keep.idx"), track, {{0, UnitOfSize(60), false}, unit}));
    EXPECT_EQ(ReadFileBytes(dir_.File("keep.idx")), Bytes{'x'});
    EXPECT_FALSE(FileExists(dir_.File("keep.sub")));
  }
  EXPECT_EQ(log_.LineCount(), 5);
}

// A pair of three units (the second over two packs) and the text of its .idx.
std::string WritePair(const std::string& idx, std::vector<VobSubUnit>& units) {
  units = {{900, UnitOfSize(100), false}, {90000, UnitOfSize(3000), false}, {180000, UnitOfSize(100), false}};
  EXPECT_TRUE(WriteVobSub(idx, Track(), units));
  return Text(idx);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST_F(VobSubTest, BadPairsAreRefusedWithTheirReason) {
  std::vector<VobSubUnit> units;
  const std::string idx = WritePair(dir_.File("p.idx"), units);
  const Bytes sub = ReadFileBytes(dir_.File("p.sub"));
  Bytes walkFails = sub;
  walkFails[31] = walkFails[32] = 0xFF;  // the first unit's control sequence offset
  const struct {
    std::string idx;
    Bytes sub;
    const char* line;
  } cases[] = {
      {idx, {}, "ERROR - Can't open ["},
      {Replace(idx, "filepos: 000001800", "filepos: 000100000"), sub, "filepos 100000 lies beyond the .sub"},
      {Replace(idx, "filepos: 000000800", "filepos: 000001000"), sub, "subtitle 2: no subtitle unit starts at filepos 1000"},
      {Replace(idx, "index: 0", "index: 1"), sub, "Stream 1 subtitle 1: no subtitle unit starts"},
      {Replace(idx, "id: en, index: 0\n", "") + "id: en, index: 0\n", sub, "line 21: timestamp: before any id: line"},
      {Replace(idx, "00:00:01:000", "00:00:01"), sub, "timestamp: is not"},
      {Replace(idx, "size: 720x576", "size: 720"), sub, "size: is not WIDTHxHEIGHT"},
      {Replace(idx, "000000, ffffff, ", ""), sub, "expected 16 entries, found 14"},
      {idx, walkFails, "Can't walk the commands of stream 0 subtitle 1 at 00000000: "},
      {idx, Bytes(sub.begin(), sub.begin() + 0x1000), "ERROR - Stream 0 unit at 00000800: "},
  };
  for (const auto& c : cases) {
    WriteFileBytes(dir_.File("b.idx"), Bytes(c.idx.begin(), c.idx.end()));
    std::remove(dir_.File("b.sub").c_str());
    if (!c.sub.empty()) WriteFileBytes(dir_.File("b.sub"), c.sub);
    log_.Clear();
    VobSubFile vobsub;
    EXPECT_FALSE(vobsub.Load(dir_.File("b.idx"))) << c.line;
    EXPECT_TRUE(vobsub.Streams().empty());
    ASSERT_GE(log_.LineCount(), 1) << c.line;
    EXPECT_NE(log_.Lines().front().find(c.line), std::string::npos) << log_.Lines().front();
  }
}

// Every prefix of the .sub is refused, or read whole when only padding is missing.
TEST_F(VobSubTest, EveryTruncatedSubIsReadCleanly) {
  std::vector<VobSubUnit> units;
  WritePair(dir_.File("p.idx"), units);
  const Bytes sub = ReadFileBytes(dir_.File("p.sub"));
  for (std::size_t size = 0; size < sub.size(); size += 31) {
    WriteFileBytes(dir_.File("p.sub"), Bytes(sub.begin(), sub.begin() + static_cast<std::ptrdiff_t>(size)));
    VobSubFile vobsub;
    if (!vobsub.Load(dir_.File("p.idx"))) continue;
    EXPECT_GT(size, sub.size() - 2048 + 29 + 100) << size;
    ASSERT_EQ(vobsub.Streams().at(0).units.size(), 3u);
    EXPECT_EQ(vobsub.Streams()[0].units[2].bytes, units[2].bytes);
  }
}

TEST_F(VobSubTest, NewPaletteLineKeepsEveryOtherByte) {
  std::vector<VobSubUnit> units;
  std::string idx = WritePair(dir_.File("p.idx"), units);
  idx = std::regex_replace(idx, std::regex("\n"), "\r\n");
  WriteFileBytes(dir_.File("p.idx"), Bytes(idx.begin(), idx.end()));
  VobSubFile vobsub;
  ASSERT_TRUE(vobsub.Load(dir_.File("p.idx")));
  PaletteTexts palette = *vobsub.Palette();
  palette[2] = "EB8080";
  EXPECT_EQ(vobsub.TextWithPalette(palette), Replace(idx, "000000, ffffff, 000000, ", "000000, ffffff, ffffff, "));
  const std::string without = std::regex_replace(idx, std::regex("palette: [^\r]*\r\n"), "");
  WriteFileBytes(dir_.File("p.idx"), Bytes(without.begin(), without.end()));
  ASSERT_TRUE(vobsub.Load(dir_.File("p.idx")));
  EXPECT_EQ(vobsub.TextWithPalette(palette), Replace(without, "id: ", FormatPaletteFile(palette, PaletteFormat::kIdx) + "id: "));
}

TEST_F(VobSubTest, SubPathBesideIdx) {
  EXPECT_EQ(VobSubSubPath("a/b.idx"), "a/b.sub");
  EXPECT_EQ(VobSubSubPath("B.IDX"), "B.SUB");
  EXPECT_EQ(VobSubSubPath("c"), "c.sub");
}

}  // namespace
