// SPDX-License-Identifier: GPL-3.0-or-later
// Loading SUP files: the "SP" test, the marker, the packet list and the first subtitle's mapping.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "core/Log.h"
#include "files/Filesup.h"
#include "tests/support/Recorders.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/PosixOnly.h"

namespace {

using Lines = std::vector<std::string>;

class FilesupLoadTest : public ::testing::Test {
 protected:
  // Writes `bytes` to `name` in the temporary folder and loads it.
  int LoadBytes(const Bytes& bytes, const std::string& name = "in.sup") {
    WriteFileBytes(dir.File(name), bytes);
    log.Clear();
    return sup.Load(dir.File(name));
  }
  std::array<int, 4> Colours() const {
    return {sup.GetFileColour(0), sup.GetFileColour(1), sup.GetFileColour(2), sup.GetFileColour(3)};
  }
  std::array<int, 4> Intensities() const {
    return {sup.GetFileIntensity(0), sup.GetFileIntensity(1), sup.GetFileIntensity(2),
            sup.GetFileIntensity(3)};
  }

  TempDir dir;
  LogRecorder log{kLogAll};
  ScopedLogTarget scoped{&log};
  SupTabValues tab;
  CFileSUP sup{tab};
};

TEST_F(FilesupLoadTest, RefusesFilesThatAreNotSupFilesAndEndsEmpty) {
  const Bytes good = SupBuilder().Marker().Add(2, {}).Build();
  const std::vector<Bytes> bad = {{}, {'S'}, {'S', 'P'}, {'S', 'p', 0, 0}, {'P', 'S', 0, 0}};
  for (const Bytes& bytes : bad) {
    ASSERT_EQ(LoadBytes(good), 2);
    ASSERT_TRUE(sup.HasData());
    EXPECT_EQ(LoadBytes(bytes), -1) << bytes.size() << " bytes";
    EXPECT_EQ(log.LineList(), Lines{"ERROR - Not a SUP file [" + dir.File("in.sup") + "]"});
    EXPECT_FALSE(sup.HasData());
    EXPECT_EQ(sup.PacketCount(), 0);
    EXPECT_TRUE(sup.Data().empty());
  }
}

TEST_F(FilesupLoadTest, ReportsFilesThatCannotBeOpened) {
  ASSERT_EQ(LoadBytes(SupBuilder().Marker().Add().Build()), 1);
  log.Clear();
  EXPECT_EQ(sup.Load(dir.File("missing.sup")), -1);
  EXPECT_EQ(log.LineList(), Lines{"ERROR - Can't open [" + dir.File("missing.sup") + "]"});
  EXPECT_FALSE(sup.HasData());

  log.Clear();
  EXPECT_EQ(sup.Load(dir.Path()), -1) << "a folder";
  EXPECT_EQ(log.LineList(), Lines{"ERROR - Can't open [" + dir.Path() + "]"});
}

// A load that would keep reading the file copies a pipe, and fails as a copy fails.
TEST_F(FilesupLoadTest, ALoadHeldByTheFileCopiesAPipeAndFailsAsACopyFails) {
  SKIP_ON_WINDOWS("a pipe through /dev/fd");
  const Bytes bytes = SupBuilder().Marker().Add(2, {}).Build();
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(ends[1]);
  EXPECT_EQ(sup.Load("/dev/fd/" + std::to_string(ends[0]), Holding::kFile), 2);
  ::close(ends[0]);
  EXPECT_EQ(sup.Data(), bytes);
  WriteFileBytes(dir.File("empty.sup"), {});
  for (const std::string& path : {dir.File("empty.sup"), dir.File("missing.sup"), dir.Path()}) {
    log.Clear();
    EXPECT_EQ(sup.Load(path), -1);
    const Lines copied = log.LineList();
    log.Clear();
    EXPECT_EQ(sup.Load(path, Holding::kFile), -1);
    EXPECT_EQ(log.LineList(), copied) << path;
  }
}

TEST_F(FilesupLoadTest, FileTooLargeForA32BitSizeIsRefused) {
  SKIP_ON_WINDOWS("a sparse file made with pwrite");
  // A sparse file of 2 GiB: refused by its size before anything is read.
  const std::string name = dir.File("huge.sup");
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "SP", 2, 0), 2);
  ASSERT_EQ(::ftruncate(fd, 0x80000000LL), 0);
  ::close(fd);
  EXPECT_EQ(sup.Load(name), -1);
  EXPECT_EQ(log.LineList(), Lines{"ERROR - File too large (limit 2147483647 bytes) [" + name + "]"});
  EXPECT_FALSE(sup.HasData());
}

TEST_F(FilesupLoadTest, FileNameWithPercentSignsIsLoggedUnchanged) {
  const std::string name = "odd %s %d %08X %n name.sup";
  EXPECT_EQ(LoadBytes(SupBuilder().Add().Build(), name), 1);
  ASSERT_FALSE(log.LineList().empty());
  EXPECT_EQ(log.LineList()[0], "WARNING - Not a QUENLIX SUP file [" + dir.File(name) + "]");
  log.Clear();
  EXPECT_EQ(sup.Load(dir.File("gone %s.sup")), -1);
  EXPECT_EQ(log.LineList(), Lines{"ERROR - Can't open [" + dir.File("gone %s.sup") + "]"});
}

TEST_F(FilesupLoadTest, ListsEveryPacketOfAFileWithoutMarkerAfterAWarning) {
  SupLayout layout;
  const Bytes bytes = SupBuilder()
                          .Add({.colour = 0x4567, .contrast = 0x89AB, .pictureBytes = 300})
                          .Add({.colour = 0x1111, .pictureBytes = 5000})
                          .Add({.pictureBytes = 40})
                          .Build(&layout);
  EXPECT_EQ(LoadBytes(bytes), 3);
  const std::size_t second = layout.packets[1].offset;
  const std::size_t third = layout.packets[2].offset;
  EXPECT_EQ(log.LineList(), (Lines{"WARNING - Not a QUENLIX SUP file [" + dir.File("in.sup") + "]",
                                   "   1 - 00000000", FormatText("   2 - %08zX", second),
                                   FormatText("   3 - %08zX", third), "Cmd3 - 4567",
                                   "Cmd4 - 89AB",
                                   "WARNING - 2 subtitles use other colours than the first [" +
                                       dir.File("in.sup") + "]"}));
  EXPECT_EQ(sup.PacketOffsets(), (std::vector<std::int32_t>{0, static_cast<std::int32_t>(second),
                                                            static_cast<std::int32_t>(third)}));
  EXPECT_EQ(Colours(), (std::array<int, 4>{7, 6, 5, 4}));
  EXPECT_EQ(Intensities(), (std::array<int, 4>{11, 10, 9, 8}));
  EXPECT_EQ(sup.GetFileColour(4), -1);
  EXPECT_EQ(sup.GetFileIntensity(-1), -1);
  EXPECT_EQ(sup.Data(), bytes);
}

TEST_F(FilesupLoadTest, FileShorterThanAMarkerIsASubtitle) {
  // 20 bytes: header, then a unit whose command list begins right after its own four bytes.
  const Bytes bytes = {'S', 'P', 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x0A, 0x00, 0x00,
                       0x03, 0x21, 0x43, 0x04, 0x0F, 0xF0};
  EXPECT_EQ(LoadBytes(bytes), 1);
  EXPECT_EQ(log.LineList(), (Lines{"WARNING - Not a QUENLIX SUP file [" + dir.File("in.sup") + "]",
                                   "   1 - 00000000", "Cmd3 - 2143", "Cmd4 - 0FF0"}));
  EXPECT_EQ(Colours(), (std::array<int, 4>{3, 4, 1, 2}));
  EXPECT_EQ(Intensities(), (std::array<int, 4>{0, 15, 15, 0}));
}

TEST_F(FilesupLoadTest, MarkerPacketIsLeftOutOfTheList) {
  SupLayout layout;
  const Bytes bytes =
      SupBuilder().Marker(100).Add({.colour = 0xFEDC}).Add(2, {}).Build(&layout);
  EXPECT_EQ(LoadBytes(bytes), 3);
  EXPECT_EQ(log.LineList(),
            (Lines{"   1 - 00000064", FormatText("   2 - %08zX", layout.packets[2].offset),
                   FormatText("   3 - %08zX", layout.packets[3].offset), "Cmd3 - FEDC",
                   "Cmd4 - FFF0",
                   "WARNING - 2 subtitles use other colours than the first [" + dir.File("in.sup") + "]"}))
      << "no warning, and the mapping comes from the first subtitle, not the marker";
  EXPECT_EQ(sup.PacketOffsets().front(), 100);
}

TEST_F(FilesupLoadTest, ListsEveryDistinctMappingInOrderOfFirstAppearance) {
  const SupPacket a = {.colour = 0x3210, .contrast = 0xFFF0};
  const SupPacket b = {.colour = 0x3210, .contrast = 0x0FF0};
  const SupPacket noColour = {.colour = std::nullopt, .contrast = 0xFFF0};
  const Bytes bytes = SupBuilder().Marker().Add(a).Add(b).Add(a).Add(noColour).Add(b).Add(a).Build();
  ASSERT_EQ(LoadBytes(bytes), 6);
  const auto& m = sup.Mappings();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ((std::array<int, 3>{m[0].colour, m[0].contrast, m[0].subtitles}), (std::array<int, 3>{0x3210, 0xFFF0, 3}));
  EXPECT_EQ((std::array<int, 3>{m[1].colour, m[1].contrast, m[1].subtitles}), (std::array<int, 3>{0x3210, 0x0FF0, 2}));
  EXPECT_EQ((std::array<int, 3>{m[2].colour, m[2].contrast, m[2].subtitles}), (std::array<int, 3>{-1, 0xFFF0, 1}));
  EXPECT_EQ(log.LineList().back(),
            "WARNING - 3 subtitles use other colours than the first [" + dir.File("in.sup") + "]");

  // One mapping: no warning; no subtitle: no mapping.
  ASSERT_EQ(LoadBytes(SupBuilder().Marker().Add(4, b).Build()), 4);
  EXPECT_EQ(sup.Mappings().size(), 1u);
  EXPECT_EQ(sup.Mappings()[0].subtitles, 4);
  EXPECT_EQ(log.LineList().back(), "Cmd4 - 0FF0");
  ASSERT_EQ(LoadBytes(SupBuilder().Marker().Build()), 0);
  EXPECT_TRUE(sup.Mappings().empty());
}

TEST_F(FilesupLoadTest, MarkerOnlyFileHasNoSubtitlesAndKeepsTheEarlierMapping) {
  ASSERT_EQ(LoadBytes(SupBuilder().Add({.colour = 0x4567, .contrast = 0x89AB}).Build()), 1);
  EXPECT_EQ(LoadBytes(SupBuilder().Marker().Build()), 0);
  EXPECT_TRUE(log.LineList().empty());
  EXPECT_TRUE(sup.HasData());
  EXPECT_EQ(sup.PacketCount(), 0);
  EXPECT_EQ(Colours(), (std::array<int, 4>{7, 6, 5, 4}));
  EXPECT_EQ(Intensities(), (std::array<int, 4>{11, 10, 9, 8}));
}

TEST_F(FilesupLoadTest, FindsTheWordsWhateverTheCommandOrder) {
  // Contrast before colour, a code-7 command full of 03/04 bytes before both, two colour
  // commands of which the first counts.
  EXPECT_EQ(LoadBytes(SupBuilder()
                          .Marker()
                          .Add({.colour = 0x0123, .contrast = 0x4567, .contrastFirst = true,
                                .colourChangeBytes = 9})
                          .Build()),
            1);
  EXPECT_EQ(Colours(), (std::array<int, 4>{3, 2, 1, 0}));
  EXPECT_EQ(Intensities(), (std::array<int, 4>{7, 6, 5, 4}));

  const Bytes twice = {0x01, 0x03, 0x76, 0x54, 0x03, 0x11, 0x11, 0x04, 0x22, 0x22, 0xFF};
  EXPECT_EQ(LoadBytes(SupBuilder().Add({.commands = twice}).Build()), 1);
  EXPECT_EQ(Colours(), (std::array<int, 4>{4, 5, 6, 7}));
}

TEST_F(FilesupLoadTest, FirstSubtitleWithoutCommandsKeepsTheEarlierValuesWithAWarning) {
  ASSERT_EQ(LoadBytes(SupBuilder().Add({.colour = 0x4567, .contrast = 0x89AB}).Build()), 1);
  EXPECT_EQ(LoadBytes(SupBuilder().Marker().Add({.colour = std::nullopt, .contrast = 0x1234})
                          .Add({.colour = 0xAAAA})
                          .Build()),
            2);
  EXPECT_EQ(log.LineList()[2], "WARNING - Can't find Cmd3 in first subtitle!!!");
  EXPECT_EQ(log.LineList()[3], "Cmd4 - 1234");
  EXPECT_EQ(Colours(), (std::array<int, 4>{7, 6, 5, 4})) << "the second subtitle is not read";
  EXPECT_EQ(Intensities(), (std::array<int, 4>{4, 3, 2, 1}));

  EXPECT_EQ(LoadBytes(SupBuilder().Marker().Add({.contrast = std::nullopt}).Build()), 1);
  EXPECT_EQ(log.LineList(), (Lines{"   1 - 00000040", "Cmd3 - 3210",
                                   "WARNING - Can't find Cmd4 in first subtitle!!!"}));
  EXPECT_EQ(Colours(), (std::array<int, 4>{0, 1, 2, 3}));
  EXPECT_EQ(Intensities(), (std::array<int, 4>{4, 3, 2, 1}));
}

TEST_F(FilesupLoadTest, EveryTruncatedPrefixLoadsCleanly) {
  SupLayout layout;
  const Bytes whole = SupBuilder()
                          .Marker(40)
                          .Add({.laterSequences = 2, .pictureBytes = 12})
                          .Add({.colourChangeBytes = 3, .pictureBytes = 0})
                          .Add({.contrast = std::nullopt, .pictureBytes = 30})
                          .Build(&layout);
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    const int count = LoadBytes(prefix);
    if (n <= 2) {
      EXPECT_EQ(count, -1) << n;
      EXPECT_FALSE(sup.HasData());
      continue;
    }
    // Only the packets held in full are listed; the marker packet is never a subtitle.
    int complete = 0;
    bool atBoundary = false;
    for (const SupPacketLayout& p : layout.packets) {
      if (p.offset + p.size <= n && !p.marker) ++complete;
      if (p.offset + p.size == n) atBoundary = true;
    }
    EXPECT_EQ(count, complete) << n;
    EXPECT_EQ(sup.Data(), prefix) << "every byte is kept";
    const std::string warning = FormatText("ignored [%s]", dir.File("in.sup").c_str());
    bool warned = false;
    for (const std::string& line : log.LineList()) {
      if (line.find("WARNING - Truncated packet at") == 0 && line.find(warning) != std::string::npos) {
        warned = true;
      }
    }
    EXPECT_EQ(warned, !atBoundary) << n;
  }
}

// Packets are listed as the file's pieces arrive: one whose header spans a piece's end is
// listed once, and cut there it is the truncated last packet.
TEST_F(FilesupLoadTest, PacketAcrossAReadPieceIsListedOnce) {
  const SupPacket packet = {.colour = 0x3210, .pictureBytes = 40000};
  SupLayout one;
  SupBuilder().Add(packet).Build(&one);
  const std::size_t size = one.packets[0].size;
  // The marker's size puts a packet's unit size field (bytes 10-11) just past the first piece.
  std::size_t marker = (kReadPieceSize - 11) % size;
  if (marker < 64) marker += size;
  SupLayout layout;
  const int count = static_cast<int>((kReadPieceSize - marker) / size) + 3;
  Bytes bytes = SupBuilder().Marker(marker).Add(count, packet).Build(&layout);
  const SupPacketLayout& across = layout.packets[static_cast<std::size_t>(count) - 2];
  ASSERT_EQ(across.offset + 11, kReadPieceSize);
  ASSERT_EQ(LoadBytes(bytes), count);
  EXPECT_EQ(sup.PacketOffsets()[static_cast<std::size_t>(count) - 3],
            static_cast<std::int32_t>(across.offset));
  EXPECT_EQ(sup.Mappings()[0].subtitles, count);

  bytes.resize(kReadPieceSize);
  EXPECT_EQ(LoadBytes(bytes), count - 3);
  EXPECT_EQ(log.LineList()[static_cast<std::size_t>(count) - 3],
            FormatText("WARNING - Truncated packet at %08zX ignored [%s]", across.offset,
                       dir.File("in.sup").c_str()));
}

TEST_F(FilesupLoadTest, TruncatedLastPacketIsNamedByItsOffset) {
  SupLayout layout;
  Bytes bytes = SupBuilder().Marker().Add(2, {}).Build(&layout);
  bytes.resize(bytes.size() - 1);
  EXPECT_EQ(LoadBytes(bytes), 1);
  EXPECT_EQ(log.LineList()[1], FormatText("WARNING - Truncated packet at %08zX ignored [%s]",
                                          layout.packets[2].offset, dir.File("in.sup").c_str()));
}

TEST_F(FilesupLoadTest, UnitSizeZeroEndsAfterTheHeldBytes) {
  // Each zero-size unit moves the chain on by its header alone.
  Bytes bytes = {'S', 'P', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 3; ++i) bytes.insert(bytes.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  bytes.insert(bytes.end(), {0, 0});
  EXPECT_EQ(LoadBytes(bytes), 4);
  EXPECT_EQ(log.LineList().back(), "WARNING - Can't find Cmd4 in first subtitle!!!");
}

TEST_F(FilesupLoadTest, CommandWalkStaysInsideItsOwnUnit) {
  // The first unit's command list runs to the end of its unit without an end code; the next
  // packet's header holds what would read as a colour and a contrast command.
  SupLayout layout;
  const Bytes bytes = SupBuilder()
                          .Add({.laterSequences = 0, .commands = {0x01, 0x00}})
                          .Raw({0x03, 0x12, 0x34, 0x04, 0x56, 0x78, 0xFF, 0, 0, 0})
                          .Raw(BuildUnit({}))
                          .Build(&layout);
  EXPECT_EQ(LoadBytes(bytes), 2);
  EXPECT_EQ(log.LineList()[3], "WARNING - Can't find Cmd3 in first subtitle!!!");
  EXPECT_EQ(log.LineList()[4], "WARNING - Can't find Cmd4 in first subtitle!!!");

  // A control-sequence offset past the unit, and a code-7 size past it, find nothing either.
  Bytes pastUnit = SupBuilder().Add().Build();
  pastUnit[12] = 0xFF;
  pastUnit[13] = 0xF0;
  EXPECT_EQ(LoadBytes(pastUnit), 1);
  EXPECT_EQ(log.LineList()[2], "WARNING - Can't find Cmd3 in first subtitle!!!");
  EXPECT_EQ(LoadBytes(SupBuilder().Add({.commands = {0x07, 0xFF, 0xFF, 0x03, 0x12, 0x34}}).Build()),
            1);
  EXPECT_EQ(log.LineList()[2], "WARNING - Can't find Cmd3 in first subtitle!!!");
}

TEST_F(FilesupLoadTest, RandomDamageNeverLeavesTheBytesHeld) {
  // Damaged sizes, offsets and codes: a load and a save either succeed with every byte kept
  // in place, or fail with the document and the target untouched.
  const Bytes whole = SupBuilder()
                          .Marker()
                          .Add({.colourChangeBytes = 5, .pictureBytes = 30})
                          .Add({.contrastFirst = true, .pictureBytes = 10})
                          .Add({.laterSequences = 2, .pictureBytes = 50})
                          .Build();
  std::mt19937 random(20240601);
  const std::string out = dir.File("out.sup");
  for (int round = 0; round < 400; ++round) {
    Bytes damaged = whole;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f) {
      damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
    }
    damaged[0] = 'S';
    damaged[1] = 'P';
    const int count = LoadBytes(damaged);
    ASSERT_GE(count, 0) << round;
    WriteFileBytes(out, {'o', 'l', 'd'});
    tab.map = {1, 2, 3, 4};
    tab.intensity = {5, 6, 7, 8};
    if (sup.Save(out)) {
      EXPECT_EQ(ReadFileBytes(out), sup.Data()) << round;
      EXPECT_EQ(sup.Data().size(), damaged.size()) << round;
    } else {
      EXPECT_EQ(ReadFileBytes(out), (Bytes{'o', 'l', 'd'})) << round;
      EXPECT_EQ(sup.Data(), damaged) << round;
    }
  }
}

}  // namespace
