// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's run over several files: sorting, stops, the grid after each file, cancellation;
// and a file larger than 4 GiB.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <string>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Progress.h"
#include "files/DiscLayout.h"
#include "files/VobRun.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"
#include "tests/support/PosixOnly.h"

namespace {

using Lines = std::vector<std::string>;
using Grid = std::array<std::array<std::string, 32>, 5>;

// Grid cells that keep a copy of the whole grid after every 64 writes (one ShowVobGrid).
class GridHistory : public GridCellValues {
 public:
  void SetGridCell(int column, int row, const std::string& text) override {
    GridCellValues::SetGridCell(column, row, text);
    if (++writes_ % 64 == 0) shown.push_back(cells);
  }
  std::vector<Grid> shown;

 private:
  int writes_ = 0;
};

// The VOB cells of a grid where the given (index, slot, intensity) entries are set.
Grid VobCells(std::initializer_list<std::array<int, 3>> entries) {
  Grid g{};
  for (const auto& e : entries) g[e[1]][2 * e[0] + 1] = std::to_string(e[2]);
  return g;
}

class VobRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Sorted ignoring case: a.vob, B.vob, c.vob.
    WriteFileBytes(dir_.File("B.vob"), VobBuilder()
                                           .VideoPack()
                                           .Unit(0, MakeSubpictureUnit(0x5555, 0x6666))
                                           .Unit(1, MakeSubpictureUnit(0x7777, 0x8888))
                                           .VideoPack()
                                           .Data());
    WriteFileBytes(dir_.File("a.vob"), VobBuilder()
                                           .Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0))
                                           .Unit(0, MakeSubpictureUnit(0x1111, 0x2222))
                                           .Data());
    WriteFileBytes(dir_.File("c.vob"),
                   VobBuilder().AudioPack().Unit(2, MakeSubpictureUnit(0x9999, 0xAAAA)).Data());
    WriteFileBytes(dir_.File("empty.vob"), VobBuilder().VideoPack().AudioPack().Data());
    paths_ = {dir_.File("c.vob"), dir_.File("a.vob"), dir_.File("B.vob")};
    SortVobPaths(paths_);
  }

  int Count(const std::string& line) const {
    const Lines lines = log_.LineList();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }

  void ExpectBlankedAndIdle(const VobRunResult& result) {
    EXPECT_TRUE(result.emptyList);
    ASSERT_FALSE(grid_.shown.empty());
    EXPECT_EQ(grid_.shown.back(), Grid{}) << "no VOB mapping survives";
    for (const auto& row : vob_.Usage()) EXPECT_EQ(row, (std::array<int, 4>{-1, -1, -1, -1}));
    EXPECT_FALSE(progress_.windowShown);
    EXPECT_TRUE(progress_.mainEnabled);
    EXPECT_FALSE(vob_.IsOpen());
  }

  TempDir dir_;
  std::vector<std::string> paths_;
  LogRecorder log_{kLogWarning};
  ScopedLogTarget logScope_{&log_};
  ProgressRecorder progress_;
  ScopedProgressHost progressScope_{&progress_};
  CFileVOB vob_;
  GridHistory grid_;
};

TEST(SortVobPaths, IgnoresLetterCase) {
  std::vector<std::string> paths = {"/d/c.VOB", "/d/b.vob", "/D/z.vob", "/d/A.vob", "/d/a2.vob"};
  SortVobPaths(paths);
  EXPECT_EQ(paths, (Lines{"/d/A.vob", "/d/a2.vob", "/d/b.vob", "/d/c.VOB", "/D/z.vob"}));
}

TEST_F(VobRunTest, FirstOnlyScansTheFirstFileUpToItsFirstSubtitle) {
  ASSERT_EQ(paths_.front(), dir_.File("a.vob"));
  const VobRunResult result = RunVobFiles(vob_, paths_, true, grid_);
  EXPECT_FALSE(result.emptyList);
  EXPECT_EQ(result.filesScanned, 1);
  EXPECT_EQ(log_.LineList(), (Lines{"Processing VOB file [" + dir_.File("a.vob") + "]",
                                    "Stopping after first subtitle found!!!"}));
  ASSERT_EQ(grid_.shown.size(), 1u);
  EXPECT_EQ(grid_.shown[0], VobCells({{0, 0, 0}, {1, 1, 15}, {2, 2, 15}, {3, 3, 15}}));
}

TEST_F(VobRunTest, EveryFileInTurnShowsItsOwnMapping) {
  const VobRunResult result = RunVobFiles(vob_, paths_, false, grid_);
  EXPECT_FALSE(result.emptyList);
  EXPECT_EQ(result.filesScanned, 3);
  EXPECT_EQ(log_.LineList(),
            (Lines{"Processing VOB file [" + dir_.File("a.vob") + "]", "Found 2 subtitles!",
                   "Processing VOB file [" + dir_.File("B.vob") + "]", "Found 2 subtitles!",
                   "Processing VOB file [" + dir_.File("c.vob") + "]", "Found 1 subtitles!",
                   "Finished with all files!!!"}));
  ASSERT_EQ(grid_.shown.size(), 3u);
  EXPECT_EQ(grid_.shown[0], VobCells({{0, 0, 0},
                                      {1, 1, 15},
                                      {2, 2, 15},
                                      {3, 3, 15},
                                      {1, 0, 2},
                                      {1, 1, 2},
                                      {1, 2, 2},
                                      {1, 3, 2}}));
  EXPECT_EQ(grid_.shown[1], VobCells({{5, 0, 6},
                                      {5, 1, 6},
                                      {5, 2, 6},
                                      {5, 3, 6},
                                      {7, 0, 8},
                                      {7, 1, 8},
                                      {7, 2, 8},
                                      {7, 3, 8}}))
      << "nothing of the first file survives";
  EXPECT_EQ(grid_.shown[2], VobCells({{9, 0, 10}, {9, 1, 10}, {9, 2, 10}, {9, 3, 10}}));
}

TEST_F(VobRunTest, AFirstFileWithoutSubtitlesEndsTheRun) {
  std::vector<std::string> paths = {dir_.File("a.vob"), dir_.File("empty.vob")};
  paths.push_back(dir_.File("aa-empty.vob"));
  WriteFileBytes(paths.back(), VobBuilder().VideoPack().Data());
  SortVobPaths(paths);
  ASSERT_EQ(paths.front(), dir_.File("a.vob"));
  std::swap(paths[0], paths[1]);  // aa-empty.vob first
  for (bool firstOnly : {true, false}) {
    log_.Clear();
    grid_.shown.clear();
    const VobRunResult result = RunVobFiles(vob_, paths, firstOnly, grid_);
    ExpectBlankedAndIdle(result);
    EXPECT_EQ(grid_.shown.size(), 1u);
    EXPECT_EQ(log_.LineList(), (Lines{"Processing VOB file [" + paths[0] + "]",
                                      "Found 0 subtitles!"}));
  }
}

TEST_F(VobRunTest, CancelDuringTheSecondFileStopsTheRun) {
  const std::int64_t blocksOfA = static_cast<std::int64_t>(ReadFileBytes(paths_[0]).size() / 2048);
  ASSERT_EQ(blocksOfA, 2);
  progress_.CancelAtLookUp(blocksOfA + 2);  // the second block of B.vob
  const VobRunResult result = RunVobFiles(vob_, paths_, false, grid_);
  ExpectBlankedAndIdle(result);
  EXPECT_EQ(log_.LineList(),
            (Lines{"Processing VOB file [" + dir_.File("a.vob") + "]", "Found 2 subtitles!",
                   "Processing VOB file [" + dir_.File("B.vob") + "]",
                   "WARNING - Cancel button pressed process aborted!"}));
  EXPECT_EQ(std::count(progress_.calls.begin(), progress_.calls.end(), "show"), 2);
  EXPECT_EQ(progress_.calls.back(), "enable");
  EXPECT_EQ(Count("Finished with all files!!!"), 0);
}

TEST_F(VobRunTest, FailuresInALaterFileBlankTheGrid) {
  std::vector<std::string> missing = {paths_[0], dir_.File("b-missing.vob"), paths_[2]};
  VobRunResult result = RunVobFiles(vob_, missing, false, grid_);
  ExpectBlankedAndIdle(result);
  EXPECT_EQ(log_.Lines().back(), "ERROR - Can't open [" + dir_.File("b-missing.vob") + "]");
  EXPECT_EQ(grid_.shown.size(), 2u) << "the first file's mapping, then the blank grid";

  WriteFileBytes(dir_.File("b-broken.vob"),
                 VobBuilder().Unit(0, MakeSubpictureUnit(0, 0, 16, true, false)).Data());
  std::vector<std::string> broken = {paths_[0], dir_.File("b-broken.vob"), paths_[2]};
  log_.Clear();
  result = RunVobFiles(vob_, broken, false, grid_);
  ExpectBlankedAndIdle(result);
  EXPECT_EQ(log_.Lines().back(), "ERROR - Can't find Cmd4 in file!!!");
  EXPECT_EQ(Count("Processing VOB file [" + paths_[2] + "]"), 0);
}

TEST(IsNextVobPart, SameTitleSetNextPartSameFolderAnyCase) {
  const std::vector<std::tuple<std::string, std::string, bool>> cases = {
      {"/d/VTS_01_1.VOB", "/d/VTS_01_2.VOB", true},
      {"/d/vts_01_1.vob", "/d/VTS_01_2.Vob", true},
      {"VTS_07_8.VOB", "VTS_07_9.VOB", true},
      {"/d/VTS_01_0.VOB", "/d/VTS_01_1.VOB", false},  // the menus do not continue into titles
      {"/d/VTS_01_1.VOB", "/d/VTS_01_3.VOB", false},
      {"/d/VTS_01_2.VOB", "/d/VTS_01_1.VOB", false},
      {"/d/VTS_01_1.VOB", "/d/VTS_02_2.VOB", false},
      {"/d/VTS_01_1.VOB", "/e/VTS_01_2.VOB", false},
      {"/d/VTS_01_1.VOB", "/d/VTS_01_2.VOB.bak", false},
      {"/d/XTS_01_1.VOB", "/d/XTS_01_2.VOB", false},
      {"/d/VTS_0A_1.VOB", "/d/VTS_0A_2.VOB", false},
#ifdef _WIN32
      {"C:\\DVD\\VIDEO_TS\\VTS_01_1.VOB", "C:\\DVD\\VIDEO_TS\\VTS_01_2.VOB", true},
      {"C:/DVD/video_ts/VTS_01_1.VOB", "c:\\DVD\\VIDEO_TS\\VTS_01_2.VOB", true},
      {"VIDEO_TS\\VTS_01_1.VOB", "VIDEO_TS\\VTS_02_2.VOB", false},
#endif
  };
  for (const auto& [a, b, next] : cases) EXPECT_EQ(IsNextVobPart(a, b), next) << a << " " << b;
}

// A title set's video split between two parts inside a three-packet unit of stream 0; the
// second part also holds a unit of stream 2 of its own.
class VobPartsTest : public VobRunTest {
 protected:
  void Write(const std::string& first, const std::string& second, bool newUnitFirst = false) {
    unit_ = MakeSubpictureUnit(0x3210, 0xFFF0, 5000);
    const std::vector<Bytes> blocks = VobBuilder::UnitBlocks(0, unit_, 0x1ABCDEF01);
    ASSERT_EQ(blocks.size(), 3u);
    first_ = dir_.File(first);
    second_ = dir_.File(second);
    WriteFileBytes(first_, VobBuilder().VideoPack().Block(blocks[0]).Data());
    VobBuilder rest;
    rest.AudioPack();
    if (newUnitFirst) rest.Unit(0, MakeSubpictureUnit(0x4444, 0x5555));
    rest.Block(blocks[1]).VideoPack().Block(blocks[2]).Unit(2, MakeSubpictureUnit(0x7777, 0x8888));
    WriteFileBytes(second_, rest.Data());
  }
  Bytes unit_;
  std::string first_, second_;
};

TEST_F(VobPartsTest, AUnitUnderWayIsCompletedFromTheNextPartAndCountedWhereItStarts) {
  struct Case {
    const char* first;
    const char* second;
    bool continues;
  };
  for (const Case& c : {Case{"VTS_01_1.VOB", "vts_01_2.vob", true},
                        Case{"VTS_01_1.VOB", "VTS_02_2.VOB", false}}) {
    Write(c.first, c.second);
    log_.Clear();
    grid_.shown.clear();
    VobSubtitleIndex index;
    const VobRunResult result = RunVobFiles(vob_, {first_, second_}, false, grid_, &index);
    if (!c.continues) {
      ExpectBlankedAndIdle(result);  // the first part alone holds no complete subtitle
      EXPECT_EQ(log_.Lines().back(), "Found 0 subtitles!");
      EXPECT_TRUE(index.Streams().empty());
      continue;
    }
    // The index reads the continued unit back from both parts.
    Bytes buffer;
    EXPECT_EQ(index.Streams(), (std::vector<int>{0, 2}));
    const ByteView read = index.Unit(0, 0, buffer);
    EXPECT_EQ(Bytes(read.begin(), read.end()), unit_);
    EXPECT_EQ(index.Time(0, 0), std::optional<std::int64_t>(0x1ABCDEF01));
    EXPECT_TRUE(index.Unit(0, 1, buffer).empty());
    EXPECT_EQ(result.filesScanned, 2);
    EXPECT_EQ(log_.LineList(), (Lines{"Processing VOB file [" + first_ + "]", "Found 1 subtitles!",
                                      "Processing VOB file [" + second_ + "]", "Found 1 subtitles!",
                                      "Finished with all files!!!"}));
    ASSERT_EQ(grid_.shown.size(), 2u);
    EXPECT_EQ(grid_.shown[0], VobCells({{0, 0, 0}, {1, 1, 15}, {2, 2, 15}, {3, 3, 15}}));
    EXPECT_EQ(grid_.shown[1], VobCells({{7, 0, 8}, {7, 1, 8}, {7, 2, 8}, {7, 3, 8}}))
        << "the continued unit is not counted again in the second part";
  }
}

TEST_F(VobPartsTest, StreamsAndUnitFactsSayWhereEveryByteLies) {
  Write("VTS_03_1.VOB", "VTS_03_2.VOB");
  vob_.SetCollectUnits(true);
  ASSERT_TRUE(vob_.Open(first_));
  vob_.SetNextPart(second_);
  ASSERT_EQ(vob_.Scan(true), 1) << "first only: the first subtitle is the continued one";
  ASSERT_EQ(vob_.UnitFacts().size(), 1u);
  const VobUnitFacts& facts = vob_.UnitFacts()[0];
  EXPECT_EQ(facts.stream, 0);
  EXPECT_EQ(facts.offset, 2048);
  EXPECT_EQ(facts.pts, std::optional<std::int64_t>(0x1ABCDEF01));
  EXPECT_EQ(facts.cmd3, 0x3210);
  EXPECT_EQ(facts.cmd4, 0xFFF0);
  EXPECT_EQ(facts.size, static_cast<int>(unit_.size()));
  // Reading the pieces back from the two files gives the unit.
  const Bytes files[2] = {ReadFileBytes(first_), ReadFileBytes(second_)};
  Bytes joined;
  ASSERT_EQ(facts.pieces.size(), 3u);
  EXPECT_EQ(facts.pieces[0].part, 0);
  EXPECT_EQ(facts.pieces[1].part, 1);
  EXPECT_EQ(facts.pieces[1].offset, 2048 + 24) << "after the audio pack and the packet header";
  for (const UnitPiece& piece : facts.pieces) {
    const Bytes& file = files[piece.part];
    ASSERT_LE(piece.offset + piece.length, static_cast<std::int64_t>(file.size()));
    joined.insert(joined.end(), file.begin() + piece.offset, file.begin() + piece.offset + piece.length);
  }
  EXPECT_EQ(joined, unit_);

  // The second part's own scan: one unit of stream 2; the tables per stream.
  ASSERT_TRUE(vob_.Open(second_));
  ASSERT_EQ(vob_.Scan(false), 1);
  EXPECT_EQ(vob_.StreamUsage()[0].subtitles, 0);
  EXPECT_EQ(vob_.StreamUsage()[2].subtitles, 1);
  EXPECT_EQ(vob_.StreamUsage()[2].usage, vob_.Usage());
  EXPECT_EQ(vob_.UnitFacts().size(), 1u);
  EXPECT_EQ(vob_.UnitFacts()[0].pts, std::optional<std::int64_t>(0));
}

TEST_F(VobPartsTest, ANewUnitInTheNextPartDropsTheOneUnderWay) {
  Write("VTS_01_1.VOB", "VTS_01_2.VOB", true);
  ASSERT_TRUE(vob_.Open(first_));
  vob_.SetNextPart(second_);
  EXPECT_EQ(vob_.Scan(false), 0);
  EXPECT_TRUE(vob_.NoUnitsHeld());
  ASSERT_TRUE(vob_.Open(second_));
  EXPECT_EQ(vob_.Scan(false), 2) << "the new unit and stream 2's, not the pieces of the old one";
}

// A part that can't be read in the middle of a run, while completing a unit or on its own
// scan: the error names it, the run stops and blanks the grid.
TEST_F(VobPartsTest, AnUnreadablePartStopsTheRun) {
  Write("VTS_01_1.VOB", "VTS_01_2.VOB");
  const std::string third = dir_.File("VTS_01_3.VOB");
  WriteFileBytes(third, VobBuilder().Unit(1, MakeSubpictureUnit(0x1111, 0x2222)).Data());
  struct Reset {
    ~Reset() { SetReadFaultOffset(-1); }
  } reset;
  // 4096: the second part fails while the first part's unit is being completed from it;
  // 8192: the unit is complete by then, and the second part's own scan fails.
  for (const std::int64_t fault : {std::int64_t{4096}, std::int64_t{8192}}) {
    log_.Clear();
    grid_.shown.clear();
    SetReadFaultOffset(fault);
    const VobRunResult result = RunVobFiles(vob_, {first_, second_, third}, false, grid_);
    ExpectBlankedAndIdle(result);
    EXPECT_EQ(log_.Lines().back(), "ERROR - Can't read from file [" + second_ + "]") << fault;
    EXPECT_EQ(Count("Found 1 subtitles!"), fault == 4096 ? 0 : 1) << fault;
    EXPECT_EQ(Count("Processing VOB file [" + third + "]"), 0);
  }
}

// A sparse file: 4.5 GiB of zeros with one subtitle in its last block. A folder in memory
// keeps the zeros cheap to read.
TEST(VobLargeFile, OffsetsBeyondFourGiBAreCountedIn64Bits) {
  SKIP_ON_WINDOWS("a sparse 8 GiB file made with truncate and pwrite");
  const char* shm = "/dev/shm";
  struct stat info {};
  std::string folder = ::stat(shm, &info) == 0 && S_ISDIR(info.st_mode) ? shm : "";
  TempDir fallback;
  if (folder.empty()) folder = fallback.Path();
  const std::string path = folder + "/velmoran-large-" + std::to_string(::getpid()) + ".vob";
  const std::int64_t size = 4'608LL * 1024 * 1024;  // 4.5 GiB
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  const Bytes block = VobBuilder().Unit(5, MakeSubpictureUnit(0x3210, 0xFFF0)).Data();
  ASSERT_EQ(block.size(), 2048u);
  const bool written = ::ftruncate(fd, size) == 0 &&
                       ::pwrite(fd, block.data(), block.size(), size - 2048) == 2048;
  ::close(fd);
  struct Remove {
    std::string path;
    ~Remove() { ::unlink(path.c_str()); }
  } remove{path};
  ASSERT_TRUE(written);

  // Lines above the chosen level are never formatted, so only the last few are kept here.
  class Tail : public LogRecorder {
   public:
    Tail() : LogRecorder(kLogDetail) {}
    void AppendLine(const std::string& line) override {
      if (line.find("(01BD)") != std::string::npos || line.rfind("Cmd", 0) == 0 ||
          line.find("!") != std::string::npos) {
        LogRecorder::AppendLine(line);
      }
    }
  } log;
  ScopedLogTarget logScope(&log);
  ProgressRecorder progress;
  ScopedProgressHost progressScope(&progress);
  CFileVOB vob;
  ASSERT_TRUE(vob.Open(path));
  EXPECT_EQ(vob.Scan(false), 1);
  EXPECT_EQ(progress.calls.front(), "max 4831838208");
  EXPECT_EQ(progress.lastPosition, size - 2048);
  EXPECT_EQ(progress.steps, size / 2048);
  EXPECT_EQ(log.LineList(), (Lines{"2359295 - 11FFFF800(01BD)", "Cmd3 - 3210", "Cmd4 - FFF0",
                                   "Found 1 subtitles!"}))
      << "offsets from 4 GiB on print in nine digits";
  EXPECT_EQ(vob.Usage()[3][3], 15);
}

}  // namespace
