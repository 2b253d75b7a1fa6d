// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB scanner on built files: packs, packet splits, streams, marker units, missing commands,
// cancellation and the state left behind on every way out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Progress.h"
#include "files/Filevob.h"
#include "tests/support/PosixOnly.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

using Lines = std::vector<std::string>;

class FilevobTest : public ::testing::Test {
 protected:
  // Writes the bytes to a file and scans it.
  int ScanBytes(const Bytes& bytes, bool firstOnly = false, const std::string& name = "a.vob") {
    path_ = dir_.File(name);
    WriteFileBytes(path_, bytes);
    if (!vob_.Open(path_)) return -2;
    return vob_.Scan(firstOnly);
  }

  int CountLines(const std::string& line) const {
    const Lines lines = log_.LineList();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }

  // Lines that are not per-block lines.
  Lines EventLines() const {
    Lines out;
    for (const std::string& line : log_.LineList()) {
      if (line.find(" - ") != 6 && line.rfind("Cmd", 0) != 0) out.push_back(line);
    }
    return out;
  }

  // Usage with the given entries set and every other one -1.
  static VobUsage UsageWith(std::initializer_list<std::array<int, 3>> entries) {
    VobUsage u;
    for (auto& row : u) row.fill(-1);
    for (const auto& e : entries) u[e[0]][e[1]] = e[2];
    return u;
  }

  // The scanner is idle: no file, no units, no path, and the progress window closed.
  void ExpectIdle() const {
    EXPECT_FALSE(vob_.IsOpen());
    EXPECT_TRUE(vob_.NoUnitsHeld());
    EXPECT_TRUE(vob_.Path().empty());
    EXPECT_FALSE(progress_.windowShown);
    EXPECT_TRUE(progress_.mainEnabled);
    ASSERT_GE(progress_.calls.size(), 2u);
    EXPECT_EQ(progress_.calls[progress_.calls.size() - 2], "hide");
    EXPECT_EQ(progress_.calls.back(), "enable");
  }

  TempDir dir_;
  std::string path_;
  LogRecorder log_{kLogDetail};
  ScopedLogTarget logScope_{&log_};
  ProgressRecorder progress_;
  ScopedProgressHost progressScope_{&progress_};
  CFileVOB vob_;
};

TEST_F(FilevobTest, PacksOfOtherKindsAreLoggedAndIgnored) {
  VobBuilder b;
  b.NavPack().VideoPack().AudioPack().PaddingPack().StuffedVideoPack(2);
  EXPECT_EQ(ScanBytes(b.Data()), 0);
  EXPECT_EQ(log_.LineList(), (Lines{"Processing VOB file [" + path_ + "]",
                                    "     0 - 00000000(01BB)", "     1 - 00000800(01E0)",
                                    "     2 - 00001000(01BD)", "     3 - 00001800(01BE)",
                                    "     4 - 00002000(FFFF0000)", "Found 0 subtitles!"}))
      << "start codes print in at least four digits";
  EXPECT_EQ(vob_.Usage(), UsageWith({}));
  ExpectIdle();
}

TEST_F(FilevobTest, OneUnitSetsItsSlotsAndTheGrid) {
  VobBuilder b;
  b.VideoPack().Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0)).AudioPack();
  EXPECT_EQ(ScanBytes(b.Data()), 1);
  EXPECT_EQ(vob_.Usage(), UsageWith({{0, 0, 0}, {1, 1, 15}, {2, 2, 15}, {3, 3, 15}}));
  EXPECT_EQ(CountLines("Cmd3 - 3210"), 1);
  EXPECT_EQ(CountLines("Cmd4 - FFF0"), 1);
  EXPECT_EQ(log_.Lines().back(), "Found 1 subtitles!");

  GridCellValues grid;
  for (auto& row : grid.cells) row.fill("untouched");
  vob_.ShowVobGrid(grid);
  for (int column = 0; column < 32; ++column) {
    for (int row = 0; row < 5; ++row) {
      std::string expected = "untouched";
      if (column % 2 == 1 && row < 4) {
        expected = "";
        if (column == 1 && row == 0) expected = "0";
        if ((column == 3 && row == 1) || (column == 5 && row == 2) || (column == 7 && row == 3)) {
          expected = "15";
        }
      }
      EXPECT_EQ(grid.cells[row][column], expected) << "column " << column << " row " << row;
    }
  }
  ExpectIdle();
}

TEST_F(FilevobTest, UnitOverThreePacketsIsCountedOnceWhenComplete) {
  const Bytes unit = MakeSubpictureUnit(0x4567, 0x89AB, 5000);
  const std::vector<Bytes> blocks = VobBuilder::UnitBlocks(2, unit);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0][21] & 0x80, 0x80);
  EXPECT_EQ(blocks[1][21] & 0x80, 0);
  VobBuilder b;
  b.Block(blocks[0]).VideoPack().Block(blocks[1]).AudioPack().Block(blocks[2]);
  EXPECT_EQ(ScanBytes(b.Data()), 1);
  EXPECT_EQ(vob_.Usage(), UsageWith({{7, 0, 11}, {6, 1, 10}, {5, 2, 9}, {4, 3, 8}}));

  // Without its last packet the unit is never complete.
  log_.Clear();
  VobBuilder partial;
  partial.Block(blocks[0]).Block(blocks[1]);
  EXPECT_EQ(ScanBytes(partial.Data()), 0);
  EXPECT_EQ(CountLines("Cmd3 - 4567"), 0);

  // Across the end of a 512 KiB read, then a smaller unit of its stream in the buffers the first
  // leaves behind: each is whole and its own.
  VobBuilder across;
  for (int i = 0; i < 255; ++i) across.VideoPack();
  const Bytes small = MakeSubpictureUnit(0x3210, 0xFFF0);
  across.Block(blocks[0]).Block(blocks[1]).Block(blocks[2]).Unit(2, small);
  vob_.SetCollectUnits(true);
  EXPECT_EQ(ScanBytes(across.Data()), 2);
  const std::vector<VobUnitFacts>& facts = vob_.UnitFacts();
  ASSERT_EQ(facts.size(), 2u);
  EXPECT_EQ(facts[0].offset, 255 * 2048);
  EXPECT_EQ((std::array<int, 3>{facts[0].cmd3, facts[0].cmd4, facts[0].size}),
            (std::array<int, 3>{0x4567, 0x89AB, static_cast<int>(unit.size())}));
  EXPECT_EQ((std::array<int, 3>{facts[1].cmd3, facts[1].cmd4, facts[1].size}),
            (std::array<int, 3>{0x3210, 0xFFF0, static_cast<int>(small.size())}));
}

// A unit is complete when its bytes reach its size, at every size around a pack boundary (2019
// bytes in the first packet, 2024 in each later one), also when it fills its last packet; the
// next unit counts too, and an empty packet after a unit is ignored.
TEST_F(FilevobTest, AUnitIsCompleteWhenItsBytesReachItsSizeAtEveryPackBoundary) {
  log_.SetLevel(kLogWarning);
  for (const std::size_t boundary : {std::size_t{2019}, std::size_t{4043}, std::size_t{6067}}) {
    for (std::size_t size = boundary - 2; size <= boundary + 2; ++size) {
      VobBuilder b;
      b.Unit(0, MakeSubpictureUnit(0x1111, 0x2222, size - 28)).Unit(0, MakeSubpictureUnit(0x3333, 0x2222));
      EXPECT_EQ(ScanBytes(b.Packet({0x20, false, {}, -1, -1}).Data()), 2) << size;
      EXPECT_EQ(vob_.Usage()[1][0], 2) << size;
    }
  }
  EXPECT_EQ(EventLines().size(), 30u) << "only the Processing and Found lines: nothing dropped";
}

// Every unit lost is logged at level 4 with its stream and offset, and counted per stream.
TEST_F(FilevobTest, DroppedUnitsAreLoggedAndCountedPerStream) {
  log_.SetLevel(kLogWarning);
  const Bytes big = VobBuilder::UnitBlocks(3, MakeSubpictureUnit(1, 1, 3000))[0];
  VobBuilder b;  // the second packet is short of the unit's size
  b.Block(big).Packet({0x23, false, {1, 2, 3}, -1, -1}).Block(big).Unit(3, MakeSubpictureUnit(1, 1)).Block(big);
  EXPECT_EQ(ScanBytes(b.Data()), 1);
  EXPECT_EQ(vob_.StreamUsage()[3].dropped, 3);
  const std::string at = "WARNING - Stream 3 unit at 0000", in = " [" + path_ + "]";
  EXPECT_EQ(EventLines(), Lines({"Processing VOB file" + in, at + "0000 dropped: ended before its size" + in,
                                 at + "1000 dropped: cut short by the next unit" + in,
                                 at + "2000 dropped: not complete at the end of the file" + in, "Found 1 subtitles!"}));
}

TEST_F(FilevobTest, AlternatingStreamsAreAssembledApart) {
  // Different picture sizes give different control-sequence offsets.
  const std::vector<Bytes> a = VobBuilder::UnitBlocks(0, MakeSubpictureUnit(0x0123, 0xF0F0, 4500));
  const std::vector<Bytes> c = VobBuilder::UnitBlocks(31, MakeSubpictureUnit(0x89AB, 0x1234, 3000));
  ASSERT_EQ(a.size(), 3u);
  ASSERT_EQ(c.size(), 2u);
  VobBuilder b;
  b.Block(a[0]).Block(c[0]).Block(a[1]).VideoPack().Block(c[1]).Block(a[2]);
  EXPECT_EQ(ScanBytes(b.Data()), 2);
  EXPECT_EQ(vob_.Usage(), UsageWith({{3, 0, 0},
                                     {2, 1, 15},
                                     {1, 2, 0},
                                     {0, 3, 15},
                                     {0xB, 0, 4},
                                     {0xA, 1, 3},
                                     {9, 2, 2},
                                     {8, 3, 1}}));
  // The later unit was complete first, so its lines come first.
  const Lines lines = log_.LineList();
  const auto first3 = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string& l) { return l.rfind("Cmd3", 0) == 0; });
  ASSERT_NE(first3, lines.end());
  EXPECT_EQ(*first3, "Cmd3 - 89AB");
}

TEST_F(FilevobTest, AUnitStartedAgainDropsTheUnfinishedOne) {
  const std::vector<Bytes> big = VobBuilder::UnitBlocks(4, MakeSubpictureUnit(0xAAAA, 0xBBBB, 3000));
  VobBuilder b;
  b.Block(big[0]).Unit(4, MakeSubpictureUnit(0x0001, 0x0203)).Block(big[1]);
  // big[1] is a continuation for a stream with no unit under way: ignored.
  EXPECT_EQ(ScanBytes(b.Data()), 1);
  EXPECT_EQ(vob_.Usage(), UsageWith({{1, 0, 3}, {0, 1, 0}, {0, 2, 2}, {0, 3, 0}}))
      << "two slots on one index fill two rows of its column";
  EXPECT_EQ(CountLines("Cmd3 - AAAA"), 0);
}

TEST_F(FilevobTest, LaterUnitsOverwriteAndEntriesAccumulate) {
  VobBuilder b;
  b.Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0))
      .Unit(1, MakeSubpictureUnit(0x3254, 0x7650))
      .Unit(0, MakeSubpictureUnit(0x0000, 0x1111));
  EXPECT_EQ(ScanBytes(b.Data()), 3);
  EXPECT_EQ(vob_.Usage(), UsageWith({{0, 0, 1},
                                     {1, 1, 15},
                                     {5, 1, 5},
                                     {0, 1, 1},
                                     {2, 2, 6},
                                     {0, 2, 1},
                                     {3, 3, 7},
                                     {0, 3, 1},
                                     {4, 0, 0}}));
}

TEST_F(FilevobTest, MarkerUnitChangesNothing) {
  VobBuilder with;
  with.Unit(0, MakeMarkerUnit()).Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0));
  EXPECT_EQ(ScanBytes(with.Data()), 1);
  const VobUsage usage = vob_.Usage();
  EXPECT_EQ(usage[0xF][0], -1) << "the marker's colour word is never recorded";
  const Lines withMarker = log_.LineList();

  log_.Clear();
  VobBuilder without;
  without.AudioPack().Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0));
  EXPECT_EQ(ScanBytes(without.Data(), false, "a.vob"), 1);
  EXPECT_EQ(log_.LineList(), withMarker) << "not a single line differs";
  EXPECT_EQ(vob_.Usage(), usage);

  log_.Clear();
  EXPECT_EQ(ScanBytes(VobBuilder().Unit(3, MakeMarkerUnit()).Data(), true), 0)
      << "a marker is not the first subtitle";
}

TEST_F(FilevobTest, FirstOnlyStopsAtTheFirstCountedSubtitle) {
  VobBuilder b;
  b.VideoPack().Unit(0, MakeMarkerUnit()).Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0));
  const std::size_t blocksUpToIt = b.BlockCount();
  b.Unit(1, MakeSubpictureUnit(0x7777, 0x7777)).VideoPack().VideoPack();
  EXPECT_EQ(ScanBytes(b.Data(), true), 1);
  EXPECT_EQ(vob_.Usage(), UsageWith({{0, 0, 0}, {1, 1, 15}, {2, 2, 15}, {3, 3, 15}}));
  EXPECT_EQ(log_.Lines().back(), "Stopping after first subtitle found!!!");
  EXPECT_EQ(CountLines("Found 1 subtitles!"), 0);
  EXPECT_EQ(progress_.steps, static_cast<std::int64_t>(blocksUpToIt)) << "no block read after it";
  ExpectIdle();
}

TEST_F(FilevobTest, EmptyFileReadsNoBlock) {
  EXPECT_EQ(ScanBytes({}), 0);
  EXPECT_EQ(log_.LineList(), (Lines{"Processing VOB file [" + path_ + "]", "Found 0 subtitles!"}));
  EXPECT_EQ(progress_.calls, (Lines{"max 0", "text Processing VOB file [" + path_ + "]",
                                    "disable", "show", "hide", "enable"}));
  EXPECT_EQ(progress_.steps, 0);
  EXPECT_EQ(progress_.lookUps, 0);
  ExpectIdle();
}

TEST_F(FilevobTest, ProgressCountsBytesAndStepsOncePerBlock) {
  VobBuilder b;
  b.VideoPack().VideoPack().Unit(0, MakeSubpictureUnit(1, 2)).VideoPack();
  EXPECT_EQ(ScanBytes(b.Data()), 1);
  EXPECT_EQ(progress_.calls.front(), "max 8192");
  EXPECT_EQ(progress_.steps, 4);
  EXPECT_EQ(progress_.lastPosition, 6144) << "the step gets the offset before the block";
  EXPECT_EQ(progress_.lookUps, 4) << "one pump per block";
}

TEST_F(FilevobTest, MissingCommandsEndTheScanInTheirOrder) {
  VobBuilder b;
  b.Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0))
      .Unit(1, MakeSubpictureUnit(0, 0, 16, false, false))
      .Unit(0, MakeSubpictureUnit(0x4444, 0x4444));
  EXPECT_EQ(ScanBytes(b.Data()), -1);
  EXPECT_EQ(EventLines(), (Lines{"Processing VOB file [" + path_ + "]",
                                 "ERROR - Can't find Cmd3 in file!!!",
                                 "ERROR - Can't find Cmd4 in file!!!"}));
  EXPECT_EQ(CountLines("Cmd3 - 4444"), 0) << "nothing after it is scanned";
  ExpectIdle();

  log_.Clear();
  EXPECT_EQ(ScanBytes(VobBuilder().Unit(0, MakeSubpictureUnit(1, 0, 16, true, false)).Data()), -1);
  EXPECT_EQ(EventLines(), (Lines{"Processing VOB file [" + path_ + "]",
                                 "ERROR - Can't find Cmd4 in file!!!"}));

  log_.Clear();
  EXPECT_EQ(ScanBytes(VobBuilder().Unit(0, MakeSubpictureUnit(0, 1, 16, false, true)).Data()), -1);
  EXPECT_EQ(EventLines(), (Lines{"Processing VOB file [" + path_ + "]",
                                 "ERROR - Can't find Cmd3 in file!!!"}));
  ExpectIdle();
}

TEST_F(FilevobTest, CancelEndsTheScanAndLeavesItIdle) {
  VobBuilder b;
  for (int i = 0; i < 10; ++i) b.VideoPack();
  b.Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0));
  progress_.CancelAtLookUp(4);
  EXPECT_EQ(ScanBytes(b.Data()), -1);
  EXPECT_EQ(log_.Lines().back(), "WARNING - Cancel button pressed process aborted!");
  EXPECT_EQ(progress_.steps, 3) << "cancelled before the fourth block";
  EXPECT_EQ(vob_.Usage(), UsageWith({}));
  ExpectIdle();

  // The flag left set does not stop the next scan.
  EXPECT_TRUE(CancelRequested());
  log_.Clear();
  EXPECT_EQ(ScanBytes(b.Data()), 1);
}

TEST_F(FilevobTest, OpenFailureLeavesThePathAlone) {
  EXPECT_FALSE(vob_.Open(dir_.File("missing.vob")));
  EXPECT_EQ(log_.LineList(), (Lines{"ERROR - Can't open [" + dir_.File("missing.vob") + "]"}));
  EXPECT_FALSE(vob_.Open(dir_.Path())) << "a folder is not a VOB file";
  EXPECT_TRUE(vob_.Path().empty());
  WriteFileBytes(dir_.File("b.vob"), {});
  ASSERT_TRUE(vob_.Open(dir_.File("b.vob")));
  EXPECT_FALSE(vob_.Open(dir_.File("missing.vob")));
  EXPECT_EQ(vob_.Path(), dir_.File("b.vob"));
  vob_.Release();
  EXPECT_FALSE(vob_.IsOpen());
  EXPECT_TRUE(vob_.Path().empty());
}

TEST_F(FilevobTest, FileThatShrinksUnderTheScanIsAReadFailure) {
  VobBuilder b;
  for (int i = 0; i < 40; ++i) b.VideoPack();  // more than one read chunk
  path_ = dir_.File("shrinks.vob");
  WriteFileBytes(path_, b.Data());
  ASSERT_TRUE(vob_.Open(path_));
  ASSERT_EQ(::truncate(path_.c_str(), 0), 0);
  EXPECT_EQ(vob_.Scan(false), -1);
  EXPECT_EQ(log_.Lines().back(), "ERROR - Can't read from file [" + path_ + "]");
  ExpectIdle();
}

// The blocks read before a failing read are still scanned; the error stands where the first
// block that could not be read whole would have been.
TEST_F(FilevobTest, AReadErrorCountsFromTheFirstBlockNotRead) {
  VobBuilder b;
  b.VideoPack().Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0));
  for (int i = 0; i < 20; ++i) b.VideoPack();
  SetReadFaultOffset(5 * 2048 + 100);
  EXPECT_EQ(ScanBytes(b.Data(), true), 1) << "first subtitle before the bad spot";
  ExpectIdle();
  EXPECT_EQ(ScanBytes(b.Data(), false), -1);
  SetReadFaultOffset(-1);
  const Lines lines = log_.LineList();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "     4 - 00002000(01E0)");
  EXPECT_EQ(lines.back(), "ERROR - Can't read from file [" + path_ + "]");
  ExpectIdle();
}

TEST_F(FilevobTest, APipeIsScannedToItsEnd) {
  SKIP_ON_WINDOWS("reads a pipe through /dev/fd");
  VobBuilder b;
  b.Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0)).VideoPack().Unit(1, MakeSubpictureUnit(0x0123, 0xFFF0));
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);  // the few blocks fit in the pipe's buffer
  ASSERT_EQ(::write(ends[1], b.Data().data(), b.Data().size()),
            static_cast<ssize_t>(b.Data().size()));
  ::close(ends[1]);
  ASSERT_TRUE(vob_.Open("/dev/fd/" + std::to_string(ends[0])));
  ::close(ends[0]);
  EXPECT_EQ(vob_.Scan(false), 2);
  EXPECT_EQ(progress_.calls[0], "max -1") << "no size to show a share of";
  ExpectIdle();
}

// A sink that lends two buffers in turn gets every byte of the file once, in order, in them,
// the short last block as read, from a file or a pipe (whose end only a read shows); refusing a
// chunk stops the scan.
TEST_F(FilevobTest, ChunksAreHandedOverOnceInOrderInTheBuffersLent) {
  struct ChunkSink : VobUnitSink {
    bool UnitComplete(int, ByteView, const std::vector<UnitPiece>&) override { return true; }
    bool UnitLost(int, int, std::int64_t, const char*) override { return true; }
    bool StrayPacket(int, std::int64_t) override { return true; }
    std::uint8_t* ChunkBuffer() override { return buffers[lent++ % 2].data(); }
    bool ChunkScanned(MutableByteView bytes, std::int64_t offset) override {
      EXPECT_EQ(offset, static_cast<std::int64_t>(seen.size()));
      EXPECT_EQ(bytes.data(), buffers[(lent - 1) % 2].data());
      seen.insert(seen.end(), bytes.begin(), bytes.end());
      return ++handed != stopAt;
    }
    std::array<Bytes, 2> buffers{Bytes(CFileVOB::kChunkSize), Bytes(CFileVOB::kChunkSize)};
    int lent = 0, handed = 0, stopAt = 0;
    Bytes seen;
  };
  VobBuilder b;
  b.Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0));
  while (b.BlockCount() < 600) b.VideoPack();
  b.Unit(1, MakeSubpictureUnit(0x0123, 0xFFF0));
  Bytes file = b.Data();
  file.resize(file.size() - 100);  // the last block cut short within its stuffing
  for (const auto& [stopAt, pipe] : {std::pair{0, false}, {2, false}, {0, true}}) {
#ifdef _WIN32
    if (pipe) continue;  // pipes are read through /dev/fd
#endif
    ChunkSink sink;
    sink.stopAt = stopAt;
    vob_.SetUnitSink(&sink);
    int scanned = 0;
    if (pipe) {
      int ends[2];
      ASSERT_EQ(::pipe(ends), 0);
      std::thread writer([&] {  // more than the pipe holds
        EXPECT_EQ(::write(ends[1], file.data(), file.size()), static_cast<ssize_t>(file.size()));
        ::close(ends[1]);
      });
      ASSERT_TRUE(vob_.Open("/dev/fd/" + std::to_string(ends[0])));
      ::close(ends[0]);
      scanned = vob_.Scan(false);
      writer.join();
    } else {
      scanned = ScanBytes(file);
    }
    EXPECT_EQ(scanned, stopAt == 0 ? 2 : -1) << stopAt;
    EXPECT_TRUE(stopAt == 0 ? sink.seen == file : sink.seen.size() == 2 * CFileVOB::kChunkSize);
    ExpectIdle();
  }
  vob_.SetUnitSink(nullptr);
}

TEST_F(FilevobTest, ScanWithoutAnOpenFileFails) {
  EXPECT_EQ(vob_.Scan(false), -1);
  EXPECT_EQ(log_.Lines().back(), "ERROR - Can't read from file []");
  EXPECT_FALSE(vob_.IsOpen());
}

TEST_F(FilevobTest, ShortLastBlockIsParsedOnlyAsFarAsItWasRead) {
  const Bytes unit = MakeSubpictureUnit(0x3210, 0xFFF0);
  const std::size_t packetEnd = 20 + 9 + unit.size() + 0;  // header data 5, id, unit
  Bytes bytes = VobBuilder().VideoPack().Unit(0, unit).Data();
  bytes.resize(2048 + packetEnd);
  EXPECT_EQ(ScanBytes(bytes), 1) << "the packet lies within the bytes read";
  EXPECT_EQ(progress_.steps, 2);

  log_.Clear();
  bytes.resize(2048 + packetEnd - 1);
  EXPECT_EQ(ScanBytes(bytes), 0) << "a packet cut by the end of the file is dropped";

  // The rest of a short block reads as zeros, not as the previous block's bytes.
  log_.Clear();
  Bytes twice = VobBuilder().Unit(0, unit).Data();
  twice.insert(twice.end(), twice.begin(), twice.begin() + 16);
  EXPECT_EQ(ScanBytes(twice), 1);
  EXPECT_EQ(log_.LineList()[2 + 2], "     1 - 00000800(0000)");
}

TEST_F(FilevobTest, EveryPrefixOfAFileGivesTheUnitsCompleteWithinIt) {
  const Bytes one = MakeSubpictureUnit(0x3210, 0xFFF0, 40);
  const std::vector<Bytes> two = VobBuilder::UnitBlocks(1, MakeSubpictureUnit(0x7654, 0x1234, 2500));
  VobBuilder b;
  b.Unit(0, one).Block(two[0]).VideoPack().Block(two[1]);
  const Bytes full = b.Data();
  const std::size_t oneEnd = 20 + 9 + one.size();
  const std::size_t twoEnd = 3 * 2048 + 20 + ReadBigEndianUnchecked(two[1].data() + 18, 2);
  log_.SetLevel(kLogWarning);
  path_ = dir_.File("prefix.vob");
  const auto near = [](std::size_t a, std::size_t b) { return (a > b ? a - b : b - a) < 64; };
  std::vector<std::size_t> lengths;
  for (std::size_t length = 0; length <= full.size();
       length += (length < 2048 || near(length, twoEnd) ? 1 : 13)) {
    lengths.push_back(length);
  }
  // Cut one file shorter and shorter: cheaper than writing each prefix anew.
  WriteFileBytes(path_, full);
  for (auto it = lengths.rbegin(); it != lengths.rend(); ++it) {
    const std::size_t length = *it;
    ASSERT_EQ(::truncate(path_.c_str(), static_cast<off_t>(length)), 0);
    ASSERT_TRUE(vob_.Open(path_));
    const int expected = (length >= oneEnd ? 1 : 0) + (length >= twoEnd ? 1 : 0);
    ASSERT_EQ(vob_.Scan(false), expected) << "prefix of " << length << " bytes";
  }
  // The only warnings are the units a prefix cut off.
  for (const std::string& line : log_.LineList()) {
    if (line.find("ING - ") != std::string::npos) {
      EXPECT_NE(line.find(" dropped: "), std::string::npos) << line;
    }
    EXPECT_EQ(line.find("ERROR"), std::string::npos) << line;
  }
}

TEST_F(FilevobTest, HostileLengthsAreDroppedWithoutTouchingOtherBytes) {
  const Bytes good = MakeSubpictureUnit(0x3210, 0xFFF0);
  SubpicturePacket tooShort{0x20, true, good, -1, 3};          // m below h + 4
  SubpicturePacket pastBlock{0x20, true, good, -1, 0xFFFF};    // runs past its block
  SubpicturePacket hugeHeader{0x20, true, good, 255, -1};      // id at 278, data past nothing
  SubpicturePacket noSize{0x20, true, {0x00}, -1, -1};         // no room for the unit size
  Bytes overSize = good;
  overSize[1] = 10;                                             // declares 10 bytes, carries more
  SubpicturePacket bigger{0x20, true, overSize, -1, -1};
  SubpicturePacket orphan{0x21, false, good, -1, -1};           // continuation, no unit under way
  VobBuilder b;
  for (const auto& p : {tooShort, pastBlock, hugeHeader, noSize, bigger, orphan}) b.Packet(p);
  EXPECT_EQ(ScanBytes(b.Data()), 1) << "only the packet with a 255-byte header is sound";
  EXPECT_EQ(vob_.Usage(), UsageWith({{0, 0, 0}, {1, 1, 15}, {2, 2, 15}, {3, 3, 15}}));

  // A damaged packet also drops the unit under way for its stream.
  log_.Clear();
  const std::vector<Bytes> split = VobBuilder::UnitBlocks(0, MakeSubpictureUnit(1, 1, 3000));
  SubpicturePacket damaged{0x20, false, {1, 2, 3}, -1, 2};
  VobBuilder c;
  c.Block(split[0]).Packet(damaged).Block(split[1]);
  EXPECT_EQ(ScanBytes(c.Data()), 0);
}

TEST_F(FilevobTest, TinyUnitsAreReadOnlyWithinTheirBytes) {
  // 12 bytes, too short for the marker test; its commands lie within it.
  const Bytes twelve = {0x00, 0x0C, 0x00, 0x00, 0x03, 0xAB, 0xCD, 0x04, 0x12, 0x34, 0xFF, 0x00};
  EXPECT_EQ(ScanBytes(VobBuilder().Packet({0x20, true, twelve, -1, -1}).Data()), 1);
  EXPECT_EQ(vob_.Usage(), UsageWith({{0xD, 0, 4}, {0xC, 1, 3}, {0xB, 2, 2}, {0xA, 3, 1}}));

  // A control-sequence offset that points past the unit: the commands are not there.
  log_.Clear();
  const Bytes pointsOut = {0x00, 0x08, 0x40, 0x00, 0x03, 0x12, 0x34, 0xFF};
  EXPECT_EQ(ScanBytes(VobBuilder().Packet({0x20, true, pointsOut, -1, -1}).Data()), -1);
  EXPECT_EQ(CountLines("ERROR - Can't find Cmd3 in file!!!"), 1);
  EXPECT_EQ(CountLines("ERROR - Can't find Cmd4 in file!!!"), 1);

  // A command list that runs to the unit's end without an end code.
  log_.Clear();
  const Bytes runsOut = {0x00, 0x07, 0x00, 0x00, 0x01, 0x03, 0x12};
  EXPECT_EQ(ScanBytes(VobBuilder().Packet({0x20, true, runsOut, -1, -1}).Data()), -1);

  // A unit whose last packet ends before its declared size is damaged: dropped, not counted.
  log_.Clear();
  Bytes promised = twelve;
  promised[1] = 200;
  EXPECT_EQ(ScanBytes(VobBuilder().Packet({0x20, true, promised, -1, -1}).Data()), 0);
  EXPECT_EQ(vob_.StreamUsage()[0].dropped, 1);
}

TEST_F(FilevobTest, SubstreamsOutsideTheSubpictureRangeAreIgnored) {
  const Bytes unit = MakeSubpictureUnit(0x3210, 0xFFF0);
  VobBuilder b;
  for (int id : {0x1F, 0x40, 0x80, 0xA0}) b.Packet({id, true, unit, -1, -1});
  EXPECT_EQ(ScanBytes(b.Data()), 0);
  b.Packet({0x3F, true, unit, -1, -1});
  EXPECT_EQ(ScanBytes(b.Data()), 1);
}

}  // namespace
