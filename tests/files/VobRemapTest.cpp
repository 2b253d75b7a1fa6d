// SPDX-License-Identifier: GPL-3.0-or-later
// The entry remap of VOB files on built files: each result compared byte for byte with the same
// file built from remapped units, so any other byte that changed fails; bad input and failed or
// cancelled writes leave every file as it was.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Progress.h"
#include "files/VobRecolour.h"
#include "files/VobRemap.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

// Entry 0 -> 9 and 2 -> 12; pixels of entry 1 get contrast 6. A unit with colour 0x3210 and
// contrast 0xF5F0 becomes colour 0x3C19 and contrast 0xF560.
EntryMap TestMap() {
  EntryMap map;
  map.entry[0] = 9;
  map.entry[2] = 12;
  map.contrast[1] = 6;
  return map;
}
Bytes Before(std::size_t picture = 16) { return MakeSubpictureUnit(0x3210, 0xF5F0, picture); }
Bytes After(std::size_t picture = 16) { return MakeSubpictureUnit(0x3C19, 0xF560, picture); }

// The first packet of a unit holds 2019 of its bytes; the colour word lies at picture + 16.
constexpr std::size_t kFirstPacketBytes = 2019;

class VobRemapTest : public ::testing::Test {
 protected:
  // Plans the files and writes them (to `out` when given); true when both succeed.
  bool Remap(const std::vector<std::string>& paths, int stream = -1, const std::string& out = "") {
    remap_ = VobRemap(TestMap(), stream);
    log_.Clear();
    if (!out.empty()) return paths.size() == 1 && remap_.PlanAndWriteCopy(paths.front(), out);
    return remap_.Plan(paths) && remap_.WriteInPlace();
  }
  std::string Write(const std::string& name, const Bytes& bytes) {
    WriteFileBytes(dir_.File(name), bytes);
    return dir_.File(name);
  }
  // Whether a log line holds `text`; with every line in the failure message.
  ::testing::AssertionResult Logged(const std::string& text) const {
    std::string all;
    for (const std::string& line : log_.LineList()) {
      if (line.find(text) != std::string::npos) return ::testing::AssertionSuccess();
      all += line + "\n";
    }
    return ::testing::AssertionFailure() << "no line with \"" << text << "\" in:\n" << all;
  }

  TempDir dir_;
  VobRemap remap_{EntryMap(), -1};
  LogRecorder log_{kLogError};
  ScopedLogTarget logScope_{&log_};
  ProgressRecorder progress_;
  ScopedProgressHost progressScope_{&progress_};
};

// Two streams interleaved with other packs; the packet boundary falls before, inside and after
// each byte of the command list. Stream 0 alone, then every stream.
TEST_F(VobRemapTest, UnitsSplitAtEveryPositionOfTheirCommandList) {
  const auto file = [](std::size_t picture, bool remap0, bool remap1) {
    // A unit that fills its first packet is followed by an empty one, as some muxers write it.
    const auto blocks = [&](int stream, bool remapped) {
      auto split = VobBuilder::UnitBlocks(stream, remapped ? After(picture) : Before(picture));
      if (split.size() == 1) split.push_back(VobBuilder::PacketBlock({0x20 + stream, false, {}, -1, -1}));
      return split;
    };
    const auto a = blocks(0, remap0);
    const auto b = blocks(1, remap1);
    return VobBuilder().NavPack().Block(a[0]).Block(b[0]).VideoPack().Block(a[1]).AudioPack()
        .StuffedVideoPack(3).Block(b[1]).PaddingPack().Data();
  };
  // The control sequence (4-byte header, 20 bytes of commands) lies at picture + 4 to picture + 28;
  // the first packet ends before each of its bytes in turn, down to an empty second packet.
  for (std::size_t picture = kFirstPacketBytes - 28; picture <= kFirstPacketBytes - 4; ++picture) {
    const std::string in = Write("in.vob", file(picture, false, false));
    ASSERT_TRUE(Remap({in}, 0, dir_.File("out.vob"))) << picture;
    EXPECT_EQ(ReadFileBytes(dir_.File("out.vob")), file(picture, true, false)) << picture;
    EXPECT_EQ(ReadFileBytes(in), file(picture, false, false)) << "the source stays";
    EXPECT_EQ(remap_.Plans()[0].remapped, 1);
    ASSERT_TRUE(Remap({in})) << picture;
    EXPECT_EQ(ReadFileBytes(in), file(picture, true, true)) << picture;
    EXPECT_EQ(remap_.Plans()[0].remapped, 2);
  }
}

// A copy longer than the scan's 512 KiB chunks gets every run, a colour word across a chunk's
// end among them; a failed write or a cancel leaves the target as it was.
TEST_F(VobRemapTest, ACopyGetsEveryRunAcrossTheScansChunks) {
  const auto file = [](bool remapped) {
    VobBuilder b;
    for (const std::size_t at : {0, 255, 8190, 8191, 12000, 20000}) {  // a chunk is 256 blocks
      while (b.BlockCount() < at) b.VideoPack();
      // At 255 the colour word straddles two chunks; at 8191 it lies wholly in the next.
      const std::size_t picture = at == 255 ? kFirstPacketBytes - 17 : at == 8191 ? 2100 : 16;
      b.Unit(0, remapped ? After(picture) : Before(picture));
    }
    return b.Data();
  };
  const std::string in = Write("in.vob", file(false));
  ASSERT_TRUE(Remap({in}, -1, dir_.File("out.vob")));
  EXPECT_TRUE(ReadFileBytes(dir_.File("out.vob")) == file(true));
  EXPECT_EQ(remap_.Plans()[0].remapped, 6);

  const Bytes old = {1, 2};
  WriteFileBytes(dir_.File("out.vob"), old);
  for (const int failAt : {1, 3, 0}) {  // the first chunk's write, the second's, a cancel
    int writes = 0;
    SetFileFaultHook([&](FileStep step) { return step == FileStep::kWrite && ++writes == failAt; });
    ProgressRecorder progress;
    ScopedProgressHost scope(&progress);
    progress.CancelAtLookUp(failAt == 0 ? 1000 : 0);
    EXPECT_FALSE(Remap({in}, -1, dir_.File("out.vob"))) << failAt;
    SetFileFaultHook(nullptr);
    if (failAt != 0) {
      EXPECT_TRUE(Logged("ERROR - Can't write to file [" + dir_.File("out.vob") + "]"));
    }
    EXPECT_EQ(ReadFileBytes(dir_.File("out.vob")), old) << failAt;
  }
  EXPECT_EQ(ListFolder(dir_.Path()), (std::vector<std::string>{"in.vob", "out.vob"}));
}

// A unit begun at the end of part 1 whose colour word straddles the two files.
TEST_F(VobRemapTest, UnitsContinuingIntoTheNextPartArePatchedInBothFiles) {
  const std::size_t picture = kFirstPacketBytes - 17;
  const auto parts = [&](bool remapped) {
    const auto u = VobBuilder::UnitBlocks(2, remapped ? After(picture) : Before(picture));
    return std::vector<Bytes>{
        VobBuilder().Unit(2, remapped ? After() : Before()).VideoPack().Block(u[0]).Data(),
        VobBuilder().Block(u[1]).VideoPack().Unit(2, remapped ? After() : Before()).Data()};
  };
  const std::string one = Write("VTS_01_1.VOB", parts(false)[0]);
  const std::string two = Write("VTS_01_2.VOB", parts(false)[1]);

  // Either part alone is refused: a unit cut short, or one begun in a part not given.
  EXPECT_FALSE(Remap({one}));
  EXPECT_TRUE(Logged("Stream 2 unit at 00001000: not complete at the end of the file"));
  EXPECT_FALSE(Remap({two}));
  EXPECT_TRUE(Logged("Stream 2 packet at 00000000 continues a unit that did not begin"));
  EXPECT_EQ(ReadFileBytes(one), parts(false)[0]);
  EXPECT_EQ(ReadFileBytes(two), parts(false)[1]);

  ASSERT_TRUE(Remap({one, two}, 2));
  EXPECT_EQ(ReadFileBytes(one), parts(true)[0]);
  EXPECT_EQ(ReadFileBytes(two), parts(true)[1]);
  EXPECT_EQ(remap_.Plans()[0].remapped, 2);
  EXPECT_EQ(remap_.Plans()[1].remapped, 1);
}

TEST_F(VobRemapTest, BadInputRefusesTheRunAndChangesNoFile) {
  SubpicturePacket damaged;
  damaged.data = {0x00, 0x40, 0x00};
  damaged.packetLength = 3;  // shorter than its own header
  Bytes unwalkable = Before();
  unwalkable[2] = 0xFF;  // the control sequence lies outside the unit
  const Bytes big = Before(3000);
  struct Case {
    const char* name;
    Bytes file;
    int stream;
    const char* error;  // nullptr: the run succeeds
  };
  const std::vector<Case> cases = {
      {"damaged packet", VobBuilder().Unit(0, Before()).Packet(damaged).Data(), -1,
       "Stream 0 unit at 00000800: damaged packet"},
      {"cut short at the end", VobBuilder().Unit(0, Before()).Block(VobBuilder::UnitBlocks(0, big)[0]).Data(), -1,
       "not complete at the end of the file"},
      {"cut short by the next unit",
       VobBuilder().Block(VobBuilder::UnitBlocks(0, big)[0]).Unit(0, Before()).Data(), -1,
       "Stream 0 unit at 00000000: cut short by the next unit"},
      {"unwalkable", VobBuilder().Unit(0, Before()).Unit(0, unwalkable).Data(), -1,
       "Can't walk the commands of the stream 0 unit at 00000800"},
      {"no unit of the stream", VobBuilder().Unit(0, Before()).Data(), 5, "No subtitle units of stream 5"},
      {"damage in another stream", VobBuilder().Unit(0, Before()).Packet(damaged).Data(), 1, nullptr},
  };
  for (const Case& c : cases) {
    const Bytes other = VobBuilder().Unit(1, Before()).Data();
    const std::string a = Write("a.vob", other);
    const std::string b = Write("b.vob", c.file);
    EXPECT_EQ(Remap({a, b}, c.stream), c.error == nullptr) << c.name;
    if (c.error != nullptr) {
      EXPECT_TRUE(Logged(c.error)) << c.name;
      EXPECT_EQ(ReadFileBytes(a), other) << c.name;
    }
    EXPECT_EQ(ReadFileBytes(b), c.file) << c.name;
  }
}

// Three files with bytes to change in each: a write that fails at any point, a file that can't be
// opened for writing, a Ctrl-C between writes, or a file changed since its scan leaves them all
// as they were.
TEST_F(VobRemapTest, AFailedOrCancelledRewriteLeavesEveryFileAsItWas) {
  const Bytes original = VobBuilder().Unit(0, Before()).VideoPack().Unit(3, Before(3000)).Data();
  const std::vector<std::string> paths = {Write("a.vob", original), Write("b.vob", original),
                                          Write("c.vob", original)};
  const auto unchanged = [&](const std::string& why) {
    for (const std::string& path : paths) EXPECT_EQ(ReadFileBytes(path), original) << why << " " << path;
  };
  struct Unhook {
    ~Unhook() { SetFileFaultHook(nullptr); }
  } unhook;
  int writes = 0;
  for (int failAt = 1;; ++failAt) {
    writes = 0;
    // Only the remap's own writes fail; putting back never does.
    SetFileFaultHook([&](FileStep step) { return step == FileStep::kWrite && ++writes == failAt; });
    if (Remap(paths)) break;
    EXPECT_TRUE(Logged("ERROR - Can't write to file"));
    unchanged("write " + std::to_string(failAt) + " failed");
    for (const std::string& path : paths) WriteFileBytes(path, original);
  }
  EXPECT_EQ(writes, 12) << "two stretches per unit, two units per file";

  for (const std::string& path : paths) WriteFileBytes(path, original);
  SetFileFaultHook([&](FileStep step) { return step == FileStep::kCreate && ++writes > 2; });
  writes = 0;
  EXPECT_FALSE(Remap(paths));
  EXPECT_TRUE(Logged("ERROR - Can't open [" + paths[2] + "] for writing"));
  unchanged("the third file can't be opened");
  SetFileFaultHook(nullptr);

  for (std::int64_t lookUp = 1; lookUp <= 3; ++lookUp) {
    remap_ = VobRemap(TestMap(), -1);
    ASSERT_TRUE(remap_.Plan(paths));
    ProgressRecorder progress;
    ScopedProgressHost scope(&progress);
    progress.CancelAtLookUp(lookUp);
    EXPECT_FALSE(remap_.WriteInPlace());
    unchanged("cancelled at look-up " + std::to_string(lookUp));
  }

  ASSERT_TRUE(remap_.Plan(paths));
  Bytes changed = original;
  changed[0x1D + 32] ^= 1;  // the first unit's colour word: its data starts at 0x1D
  WriteFileBytes(paths[1], changed);
  log_.Clear();
  EXPECT_FALSE(remap_.WriteInPlace());
  EXPECT_TRUE(Logged("ERROR - File changed since it was scanned [" + paths[1] + "]"));
  EXPECT_EQ(ReadFileBytes(paths[0]), original);
  EXPECT_EQ(ReadFileBytes(paths[1]), changed);
}

// The window's copies into a folder: made beside it, recoloured as in place, moved in only when
// all are done. A run cancelled at any look-up, or the files' own folder as the target, leaves
// the folder as it was and the files given untouched.
TEST_F(VobRemapTest, RecolouredCopiesReachTheirFolderOnlyWhenAllAreDone) {
  TempDir out;
  const Bytes original = VobBuilder().Unit(0, Before()).VideoPack().Unit(3, Before(3000)).Data();
  const Bytes remapped = VobBuilder().Unit(0, After()).VideoPack().Unit(3, After(3000)).Data();
  const std::vector<std::string> paths = {Write("VTS_01_1.VOB", original),
                                          Write("VTS_01_2.VOB", original)};
  std::vector<VobFilePlan> plans;
  for (std::int64_t lookUp = 1;; ++lookUp) {
    ProgressRecorder progress;
    ScopedProgressHost scope(&progress);
    progress.CancelAtLookUp(lookUp);
    if (RecolourVobFiles(TestMap(), -1, paths, out.Path(), plans)) break;
    ASSERT_TRUE(ListFolder(out.Path()).empty()) << "cancelled at look-up " << lookUp;
  }
  EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::string>{"VTS_01_1.VOB", "VTS_01_2.VOB"}));
  for (const std::string& path : paths) {
    EXPECT_EQ(ReadFileBytes(out.File(path.substr(path.size() - 12))), remapped);
    EXPECT_EQ(ReadFileBytes(path), original);
  }
  ASSERT_EQ(plans.size(), 2u);
  EXPECT_EQ(plans[1].path, paths[1]);
  EXPECT_EQ(plans[1].remapped, 2);

  EXPECT_FALSE(RecolourVobFiles(TestMap(), -1, paths, dir_.Path(), plans));
  EXPECT_TRUE(Logged("ERROR - The copy would replace the file itself [" + paths[0] + "]"));
  EXPECT_EQ(ListFolder(dir_.Path()), (std::vector<std::string>{"VTS_01_1.VOB", "VTS_01_2.VOB"}));
  EXPECT_EQ(ReadFileBytes(paths[0]), original);
}

#ifndef _WIN32
// Limits and failures named for what they are: many files remapped with few descriptors left, a
// FIFO as the copy's target refused before it is opened (which would wait for a reader), and a
// write that fails with its putting back failing too naming only a file that holds new bytes.
TEST_F(VobRemapTest, LimitsAndFailuresAreNamedForWhatTheyAre) {
  const Bytes unit = VobBuilder().Unit(0, Before()).Data();
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) paths.push_back(Write("f" + std::to_string(i) + ".vob", unit));
  struct rlimit limit {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  struct rlimit low = limit;
  low.rlim_cur = ListFolder("/proc/self/fd").size() + 8;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  const bool remapped = Remap(paths);
  ::setrlimit(RLIMIT_NOFILE, &limit);
  EXPECT_TRUE(remapped);
  for (const std::string& path : paths) EXPECT_EQ(ReadFileBytes(path), VobBuilder().Unit(0, After()).Data());

  ASSERT_EQ(::mkfifo(dir_.File("fifo").c_str(), 0644), 0);
  EXPECT_FALSE(Remap({Write("in.vob", unit)}, -1, dir_.File("fifo")));
  EXPECT_TRUE(Logged("ERROR - Can't write a VOB copy to a device or FIFO"));

  for (const int good : {0, 1}) {
    const std::string a = Write("a.vob", unit);
    int writes = 0;
    SetFileFaultHook([&](FileStep step) { return step == FileStep::kWrite && ++writes > good; });
    EXPECT_FALSE(Remap({a, Write("b.vob", unit)}));
    SetFileFaultHook(nullptr);
    EXPECT_EQ(static_cast<bool>(Logged("the file holds some of the new bytes [" + a + "]")), good == 1);
    EXPECT_FALSE(Logged("new bytes [" + dir_.File("b.vob") + "]"));
    EXPECT_EQ(ReadFileBytes(a) == unit, good == 0);
  }
}
#endif

}  // namespace
