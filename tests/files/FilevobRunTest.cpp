// The VOB tab's run over several files: sorting, stops, the grid after each file, cancellation;
// and a file larger than 4 GiB.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/Progress.h"
#include "files/Filevob.h"
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
