// SPDX-License-Identifier: GPL-3.0-or-later
// VobSub files: the packs written are read back by the VOB scanner, units whole and times exact;
// bad input is refused with nothing written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Log.h"
#include "files/Filevob.h"
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
  EXPECT_EQ(ReadFileBytes(dir_.File("out.sub")), BuildVobSubStream(units, 0, filepos));
  EXPECT_EQ(ReadFileBytes(dir_.File("out.sub")).size() % 2048, 0u);
  CFileVOB vob;
  vob.SetCollectUnits(true);
  ASSERT_TRUE(vob.Open(dir_.File("out.sub")));
  ASSERT_EQ(vob.Scan(false), static_cast<int>(units.size()));
  ASSERT_EQ(vob.UnitFacts().size(), units.size());
  const Bytes idxBytes = ReadFileBytes(idx);
  const std::string idxText(idxBytes.begin(), idxBytes.end());
  for (std::size_t i = 0; i < units.size(); ++i) {
    EXPECT_EQ(vob.UnitFacts()[i].offset, filepos[i]) << i;
    EXPECT_EQ(vob.UnitFacts()[i].pts, units[i].time) << i;
    EXPECT_EQ(vob.UnitFacts()[i].size, static_cast<int>(units[i].bytes.size())) << i;
  }
  EXPECT_NE(idxText.find("timestamp: 00:00:01:000, filepos: 000000000\n"), std::string::npos);
  EXPECT_NE(idxText.find("timestamp: 26:30:43:717, filepos: "), std::string::npos);
  EXPECT_NE(idxText.find("palette: 000000, ffffff, 000000,"), std::string::npos) << idxText;
  EXPECT_EQ(idxText.rfind("# VobSub index file, v7", 0), 0u);
  EXPECT_NE(idxText.find("\nid: en, index: 0\n"), std::string::npos);
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

TEST_F(VobSubTest, SubPathBesideIdx) {
  EXPECT_EQ(VobSubSubPath("a/b.idx"), "a/b.sub");
  EXPECT_EQ(VobSubSubPath("B.IDX"), "B.SUB");
  EXPECT_EQ(VobSubSubPath("c"), "c.sub");
}

}  // namespace
