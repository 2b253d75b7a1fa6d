// SPDX-License-Identifier: GPL-3.0-or-later
// Saving SUP files: the rewritten words, the log lines, and targets that survive failures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/Filesup.h"
#include "tests/support/PosixOnly.h"
#include "tests/support/Recorders.h"
#include "tests/support/SubpictureDecoder.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

// A subtitle with a coded picture of `width` x 14 pixels at (100, 400).
SupPacket Picture(int width, unsigned seed, SupPacket packet = {}) {
  packet.image = StripedImage(width, 14, seed);
  return packet;
}

// The units of the listed subtitles of a file.
std::vector<Bytes> Units(const Bytes& file, const std::vector<SupPacketLayout>& packets) {
  std::vector<Bytes> units;
  for (const SupPacketLayout& p : packets) {
    units.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(p.offset + 10),
                       file.begin() + static_cast<std::ptrdiff_t>(p.offset + p.size));
  }
  return units;
}

void SetMapping(SupTabValues& tab, std::array<int, 4> map, std::array<int, 4> intensity) {
  tab.map = map;
  tab.intensity = intensity;
}

// Every save as the window makes it, from a copy, and as the command line makes it, from the
// file read again.
class FilesupSaveTest : public ::testing::TestWithParam<Holding> {
 protected:
  void TearDown() override { SetFileFaultHook(nullptr); }

  int LoadBytes(const Bytes& bytes) {
    WriteFileBytes(in, bytes);
    const int count = sup.Load(in, GetParam());
    log.Clear();
    return count;
  }
  bool Logged(const std::string& line) const {
    for (const std::string& l : log.LineList()) {
      if (l == line) return true;
    }
    return false;
  }

  TempDir dir;
  const std::string in = dir.File("in.sup");
  const std::string out = dir.File("out.sup");
  LogRecorder log{kLogAll};
  ScopedLogTarget scoped{&log};
  SupTabValues tab;
  CFileSUP sup{tab};
};

INSTANTIATE_TEST_SUITE_P(, FilesupSaveTest, ::testing::Values(Holding::kCopy, Holding::kFile),
                         [](const auto& info) {
                           return info.param == Holding::kCopy ? "Copy" : "File";
                         });

TEST_P(FilesupSaveTest, DefaultMappingWritesItsWordsIntoEverySubtitle) {
  SupLayout layout;
  const Bytes source = SupBuilder()
                           .Marker()
                           .Add({.colour = 0x7777, .contrast = 0x1111})
                           .Add({.colour = 0xABCD, .contrast = 0x0000, .contrastFirst = true})
                           .Add({.colour = 0x0000, .contrast = 0x0000, .colourChangeBytes = 4})
                           .Build(&layout);
  ASSERT_EQ(LoadBytes(source), 3);
  SetMapping(tab, {0, 1, 2, 3}, {0, 15, 15, 15});
  ASSERT_TRUE(sup.Save(out));
  EXPECT_EQ(log.LineList()[0], "Colour Data = 3210");
  EXPECT_EQ(log.LineList()[1], "Intensity Data = FFF0");
  const Bytes saved = ReadFileBytes(out);
  ASSERT_EQ(saved.size(), source.size());
  for (const SupPacketLayout& p : layout.Subtitles()) {
    EXPECT_EQ(saved[*p.colourWord], 0x32);
    EXPECT_EQ(saved[*p.colourWord + 1], 0x10);
    EXPECT_EQ(saved[*p.contrastWord], 0xFF);
    EXPECT_EQ(saved[*p.contrastWord + 1], 0xF0);
  }
  EXPECT_EQ(sup.Data(), saved) << "the document holds what was written";

  log.Clear();
  SetMapping(tab, {0, 1, 2, 0}, {0, 15, 15, 0});
  ASSERT_TRUE(sup.Save(out));
  EXPECT_EQ(log.LineList()[0], "Colour Data =  210");
  EXPECT_EQ(log.LineList()[1], "Intensity Data =  FF0");
}

TEST_P(FilesupSaveTest, LogsEachPacketAndWordOffsetInOrder) {
  // A marker packet of 0x800 bytes, then a subtitle whose command list begins at 0x90E.
  const SupPacket first = {.laterSequences = 1,
                           .pictureBytes = 0xFC,
                           .commands = {0x01, 0x03, 0x00, 0x00, 0x04, 0x00, 0x00, 0xFF}};
  SupLayout layout;
  const Bytes source = SupBuilder().Marker(0x800).Add(first).Add().Build(&layout);
  ASSERT_EQ(layout.packets[1].commandList, 0x90Eu);
  ASSERT_EQ(LoadBytes(source), 2);
  SetMapping(tab, {0, 1, 2, 3}, {0, 15, 15, 15});
  ASSERT_TRUE(sup.Save(out));
  const std::size_t second = layout.packets[2].offset;
  EXPECT_EQ(log.LineList(),
            (Lines{"Colour Data = 3210", "Intensity Data = FFF0", "   1 - 00000800",
                   "   0 - 00000910 03[3210]", "   0 - 00000913 04[FFF0]",
                   FormatText("   2 - %08zX", second),
                   FormatText("   1 - %08zX 03[3210]", *layout.packets[2].colourWord),
                   FormatText("   1 - %08zX 04[FFF0]", *layout.packets[2].contrastWord),
                   "Data written to SUP file [" + out + "]", "Cmd3 - 3210", "Cmd4 - FFF0"}));
}

TEST_P(FilesupSaveTest, RemapChangesNothingButTheTwoWordsOfEachSubtitle) {
  const auto build = [](std::size_t marker, SupLayout& layout) {
    return SupBuilder()
        .Marker(marker)
        .Add(3, {.laterSequences = 3})
        .Add({.contrastFirst = true, .colourChangeBytes = 20})
        .Add(30, {.contrastFirst = true, .pictureBytes = 20000})  // past a 512 KiB read too
        .Build(&layout);
  };
  SupLayout layout;
  build(200, layout);
  // The save's 256 KiB buffer ends between the Cmd4 and Cmd3 words of the 14th subtitle.
  const std::size_t shift = 262142 - *layout.packets[14].contrastWord;
  const Bytes source = build(200 + shift, layout = {});
  ASSERT_EQ(*layout.packets[14].colourWord, 262145u);
  ASSERT_EQ(LoadBytes(source), 34);
  const auto units = [&] {
    std::vector<Bytes> all;
    for (int i = 0; i < sup.PacketCount(); ++i) {
      const ByteView unit = sup.SubtitleUnit(i);
      const std::uint8_t* header = source.data() + layout.Subtitles()[i].offset;
      const std::uint32_t time = header[2] | header[3] << 8 | header[4] << 16 | header[5] << 24u;
      EXPECT_EQ(sup.SubtitleTime(i), time) << "read with the unit, which stays valid";
      all.emplace_back(unit.begin(), unit.end());
    }
    return all;
  };
  EXPECT_EQ(units(), Units(source, layout.Subtitles()));
  SetMapping(tab, {7, 6, 5, 4}, {9, 9, 8, 8});  // words 4567 and 8899: every byte differs
  ASSERT_TRUE(sup.Save(out));
  const Bytes saved = ReadFileBytes(out);
  EXPECT_EQ(units(), Units(saved, layout.Subtitles())) << "the document reads as saved";
  ASSERT_EQ(saved.size(), source.size());
  std::set<std::size_t> changed;
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i] != source[i]) changed.insert(i);
  }
  std::set<std::size_t> expected;
  for (const SupPacketLayout& p : layout.Subtitles()) {
    expected.insert({*p.colourWord, *p.colourWord + 1, *p.contrastWord, *p.contrastWord + 1});
  }
  EXPECT_EQ(changed, expected) << "the marker packet's own commands stay as they were";
  EXPECT_EQ(saved[*layout.packets[1].colourWord], 0x45);
  EXPECT_EQ(saved[*layout.packets[1].contrastWord + 1], 0x99);
}

// A document held by its file can't save once the file is cut short; a copy can.
TEST_P(FilesupSaveTest, ASourceCutShortFailsASaveFromTheFile) {
  SKIP_ON_WINDOWS("documents are copies there");
  ASSERT_EQ(LoadBytes(SupBuilder().Marker().Add(3, {}).Build()), 3);
  WriteFileBytes(out, {1, 2, 3});
  std::filesystem::resize_file(in, 100);
  EXPECT_EQ(sup.Save(out), GetParam() == Holding::kCopy);
  if (GetParam() == Holding::kFile) {
    EXPECT_EQ(ReadFileBytes(out), (Bytes{1, 2, 3}));
  }
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"in.sup", "out.sup"}));
}

TEST_P(FilesupSaveTest, SavingTwiceAndOntoTheLoadedFileGiveTheSameBytes) {
  ASSERT_EQ(LoadBytes(SupBuilder().Marker().Add(4, {}).Build()), 4);
  SetMapping(tab, {1, 2, 3, 4}, {0, 5, 10, 15});
  ASSERT_TRUE(sup.Save(out));
  ASSERT_TRUE(sup.Save(dir.File("again.sup")));
  EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(dir.File("again.sup")));
  ASSERT_TRUE(sup.Save(in));
  EXPECT_EQ(ReadFileBytes(in), ReadFileBytes(out));
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"again.sup", "in.sup", "out.sup"}));
}

TEST_P(FilesupSaveTest, SuccessfulSaveShowsTheMappingJustWritten) {
  ASSERT_EQ(LoadBytes(SupBuilder().Add({.colour = 0x3210, .contrast = 0xFFF0}).Build()), 1);
  SetMapping(tab, {12, 13, 14, 15}, {1, 2, 3, 4});
  ASSERT_TRUE(sup.Save(out));
  EXPECT_EQ(tab.mapFile, (std::array<std::string, 4>{"12", "13", "14", "15"}));
  EXPECT_EQ(tab.intFile, (std::array<std::string, 4>{"1", "2", "3", "4"}));
  EXPECT_EQ(sup.GetFileColour(3), 15);
  EXPECT_EQ(sup.GetFileIntensity(0), 1);

  // Restore goes back to the saved mapping, not to the one first loaded.
  SetMapping(tab, {0, 0, 0, 0}, {0, 0, 0, 0});
  sup.ShowFileMapping();
  EXPECT_EQ(tab.map, (std::array<int, 4>{12, 13, 14, 15}));
  EXPECT_EQ(tab.intensity, (std::array<int, 4>{1, 2, 3, 4}));
}

TEST_P(FilesupSaveTest, MarkerOnlyFileIsWrittenBackUnchanged) {
  const Bytes source = SupBuilder().Marker(300).Build();
  ASSERT_EQ(LoadBytes(source), 0);
  SetMapping(tab, {1, 2, 3, 4}, {5, 6, 7, 8});
  ASSERT_TRUE(sup.Save(out));
  EXPECT_EQ(ReadFileBytes(out), source);
  EXPECT_EQ(log.LineList().back(), "Data written to SUP file [" + out + "]");
  EXPECT_EQ(tab.map, (std::array<int, 4>{0, 0, 0, 0})) << "the file carries no mapping";
}

TEST_P(FilesupSaveTest, TruncatedLastPacketIsWrittenBackUnchanged) {
  SupLayout layout;
  Bytes source = SupBuilder().Add(3, {}).Build(&layout);
  source.resize(source.size() - 7);
  ASSERT_EQ(LoadBytes(source), 2);
  SetMapping(tab, {1, 2, 3, 4}, {5, 6, 7, 8});
  ASSERT_TRUE(sup.Save(out));
  const Bytes saved = ReadFileBytes(out);
  ASSERT_EQ(saved.size(), source.size());
  const auto third = static_cast<std::ptrdiff_t>(layout.packets[2].offset);
  EXPECT_TRUE(std::equal(saved.begin() + third, saved.end(), source.begin() + third));
  EXPECT_EQ(saved[*layout.packets[1].colourWord], 0x43) << "the whole packets are remapped";
}

TEST_P(FilesupSaveTest, MissingCommandStopsTheSaveAndLeavesEverythingAsItWas) {
  SKIP_ON_WINDOWS("a hard link shows the target untouched");
  SupLayout layout;
  const Bytes source = SupBuilder()
                           .Marker()
                           .Add(2, {})
                           .Add({.contrast = std::nullopt})
                           .Add()
                           .Build(&layout);
  ASSERT_EQ(LoadBytes(source), 4);
  const Bytes earlier = {'k', 'e', 'e', 'p'};
  WriteFileBytes(out, earlier);
  SetMapping(tab, {4, 5, 6, 7}, {8, 9, 10, 11});
  EXPECT_FALSE(sup.Save(out));
  const auto& p = layout.packets;
  EXPECT_EQ(log.LineList(),
            (Lines{"Colour Data = 7654", "Intensity Data = BA98",
                   FormatText("   1 - %08zX", p[1].offset),
                   FormatText("   0 - %08zX 03[7654]", *p[1].colourWord),
                   FormatText("   0 - %08zX 04[BA98]", *p[1].contrastWord),
                   FormatText("   2 - %08zX", p[2].offset),
                   FormatText("   1 - %08zX 03[7654]", *p[2].colourWord),
                   FormatText("   1 - %08zX 04[BA98]", *p[2].contrastWord),
                   FormatText("   3 - %08zX", p[3].offset),
                   FormatText("   2 - %08zX 03[7654]", *p[3].colourWord),
                   "ERROR - Can't find Cmd4!!!"}));
  EXPECT_EQ(ReadFileBytes(out), earlier);
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"in.sup", "out.sup"}));
  EXPECT_EQ(sup.Data(), source) << "no packet was rewritten";
  EXPECT_TRUE(sup.HasData());
  EXPECT_EQ(tab.mapFile, (std::array<std::string, 4>{"0", "0", "0", "0"}));
  EXPECT_EQ(tab.map, (std::array<int, 4>{4, 5, 6, 7})) << "the tab keeps the chosen mapping";

  // A missing colour command is reported before the contrast lookup's line.
  ASSERT_EQ(LoadBytes(SupBuilder().Add({.colour = std::nullopt}).Build()), 1);
  EXPECT_FALSE(sup.Save(out));
  EXPECT_EQ(log.LineList().back(), "ERROR - Can't find Cmd3!!!");
  EXPECT_EQ(log.LineList().size(), 4u);
  EXPECT_EQ(ReadFileBytes(out), earlier);

  // A file with a second name is written in place, still only once every command is found.
  ASSERT_EQ(::link(out.c_str(), (out + ".2").c_str()), 0);
  EXPECT_FALSE(sup.Save(out));
  EXPECT_EQ(ReadFileBytes(out), earlier);
}

TEST_P(FilesupSaveTest, EveryFailingFileStepLeavesTargetAndDocumentUnchanged) {
  const Bytes source = SupBuilder().Marker().Add(3, {}).Build();
  ASSERT_EQ(LoadBytes(source), 3);
  const Bytes earlier = {1, 2, 3};
  SetMapping(tab, {9, 9, 9, 9}, {1, 1, 1, 1});
  for (const FileStep step : {FileStep::kCreate, FileStep::kWrite, FileStep::kFlush, FileStep::kRename}) {
    WriteFileBytes(out, earlier);
    SetFileFaultHook([step](FileStep s) { return s == step; });
    log.Clear();
    EXPECT_FALSE(sup.Save(out));
    const std::string expected = step == FileStep::kCreate
                                     ? "ERROR - Can't Create [" + out + "]"
                                     : "ERROR - Writing to SUP file [" + out + "]";
    EXPECT_EQ(log.LineList().back(), expected);
    EXPECT_EQ(log.LineList().size(), step == FileStep::kCreate ? 3u : 12u);
    EXPECT_FALSE(Logged("Data written to SUP file [" + out + "]"));
    EXPECT_EQ(ReadFileBytes(out), earlier);
    EXPECT_EQ(sup.Data(), source);
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"in.sup", "out.sup"}));
    EXPECT_EQ(sup.GetFileColour(0), 0);
  }
  EntryMap map;
  map.entry[1] = 5;
  for (const FileStep step : {FileStep::kCreate, FileStep::kWrite, FileStep::kFlush, FileStep::kRename}) {
    WriteFileBytes(out, earlier);
    SetFileFaultHook([step](FileStep s) { return s == step; });
    EXPECT_FALSE(sup.SaveEntryRemap(out, map));
    EXPECT_EQ(ReadFileBytes(out), earlier);
    EXPECT_EQ(sup.Data(), source) << "the entry remap's bytes are put back";
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"in.sup", "out.sup"}));
  }
  SetFileFaultHook(nullptr);
  EXPECT_TRUE(sup.Save(out)) << "a later save works";
  EXPECT_EQ(sup.GetFileColour(0), 9);
}

TEST_P(FilesupSaveTest, TargetInAMissingFolderCannotBeCreated) {
  ASSERT_EQ(LoadBytes(SupBuilder().Add().Build()), 1);
  const std::string target = dir.File("no such folder/out %s.sup");
  EXPECT_FALSE(sup.Save(target));
  EXPECT_EQ(log.LineList().back(), "ERROR - Can't Create [" + target + "]");
}

TEST_P(FilesupSaveTest, SlotRemapWarnsAboutTheSubtitlesWithLaterColourCommands) {
  const Bytes colours = {0x03, 0x76, 0x54, 0xFF};
  const Bytes source =
      SupBuilder()
          .Marker()
          .Add()
          .Add({.later = {{0x02, 0xFF}, colours}})
          .Add({.change = {{400, 401, {{100, 0x1111, 0xFFFF}}}}})
          .Add({.commands = {0x03, 0x11, 0x11, 0x04, 0xFF, 0xF0, 0x03, 0x22, 0x22, 0xFF}})
          .Add({.later = {{0x02, 0xFF}}})
          .Build();
  ASSERT_EQ(LoadBytes(source), 5);
  ASSERT_TRUE(sup.Save(out));
  EXPECT_TRUE(Logged("WARNING - 3 subtitles have later colour or contrast commands, left unchanged [" +
                     out + "]"));
  ASSERT_EQ(LoadBytes(SupBuilder().Marker().Add(3, {}).Build()), 3);
  ASSERT_TRUE(sup.Save(out));
  for (const std::string& line : log.LineList()) EXPECT_EQ(line.find("WARNING"), std::string::npos) << line;
}

TEST_P(FilesupSaveTest, EntryRemapTranslatesEveryPixelsEntryAndKeepsEveryOtherByte) {
  const Bytes later = {0x03, 0x01, 0x23, 0x04, 0x0F, 0xFF, 0xFF};
  const std::vector<ChangeRegion> regions = {{401, 404, {{100, 0x4567, 0xF0F0}, {115, 0x89AB, 0x1234}}},
                                             {408, 408, {{130, 0xCDEF, 0x5678}}}};
  SupLayout layout;
  const Bytes source =
      SupBuilder()
          .Marker()
          .Add(Picture(40, 1, {.colour = 0x3210, .contrast = 0xFFF0}))
          .Add(Picture(33, 2, {.colour = 0x0123, .contrast = 0x8CF0, .contrastFirst = true, .later = {{0x02, 0xFF}, later}}))
          .Add(Picture(60, 3, {.colour = 0xFEDC, .change = regions}))
          .Add(Picture(18, 4, {.colour = 0x5555, .contrast = 0x1234, .later = {later, {0x07, 0x00, 0x06, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF}}}))
          .Build(&layout);
  ASSERT_EQ(LoadBytes(source), 4);
  // A permutation of the entries, and two contrasts.
  EntryMap map;
  for (int i = 0; i < 16; ++i) map.entry[i] = (i * 7 + 3) % 16;
  map.contrast[1] = 6;
  map.contrast[12] = 0;
  ASSERT_TRUE(sup.SaveEntryRemap(out, map));
  EXPECT_EQ(log.LineList().front(), "Entry Data = 3A18F6D4B2907E5C");
  EXPECT_EQ(log.LineList()[1], "Contrast Data = -6----------0---");
  EXPECT_TRUE(Logged("Data written to SUP file [" + out + "]"));
  EXPECT_TRUE(Logged("4 of 4 subtitles changed"));
  const Bytes saved = ReadFileBytes(out);
  EXPECT_EQ(saved, sup.Data());
  ASSERT_EQ(saved.size(), source.size());
  const auto before = Units(source, layout.Subtitles());
  const auto after = Units(saved, layout.Subtitles());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(CompareEntryRemap(before[i], after[i], map.entry, map.contrast), "") << "subtitle " << i;
  }
  EXPECT_TRUE(std::equal(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(layout.packets[1].offset),
                         saved.begin()))
      << "the marker packet stays";
  SupTabValues freshTab;
  CFileSUP fresh(freshTab);
  ASSERT_EQ(fresh.Load(out), 4);
  auto listed = [](const CFileSUP& f) {
    std::vector<std::array<int, 3>> all;
    for (const SupMapping& m : f.Mappings()) all.push_back({m.colour, m.contrast, m.subtitles});
    return all;
  };
  EXPECT_EQ(listed(sup), listed(fresh)) << "the mappings are those of the file written";
  EXPECT_EQ(sup.GetFileColour(0), 3) << "the file's mapping is read again";
  EXPECT_EQ(sup.GetFileColour(1), 10);
  EXPECT_EQ(tab.mapFile[1], "10");

  // The permutation and its inverse, without contrasts, give back every byte.
  EntryMap plain;
  plain.entry = map.entry;
  EntryMap inverse;
  for (int i = 0; i < 16; ++i) inverse.entry[map.entry[i]] = i;
  const Bytes noContrast = SupBuilder().Marker().Add(Picture(20, 5, {.change = regions, .later = {later}})).Build();
  ASSERT_EQ(LoadBytes(noContrast), 1);
  ASSERT_TRUE(sup.SaveEntryRemap(out, plain));
  EXPECT_NE(ReadFileBytes(out), noContrast);
  ASSERT_TRUE(sup.SaveEntryRemap(out, inverse));
  EXPECT_EQ(ReadFileBytes(out), noContrast);
}

TEST_P(FilesupSaveTest, SlotRemapRewritesTheFirstWordsOfSubtitlesThatCannotBeWalkedToTheEnd) {
  const Bytes colours = {0x03, 0x11, 0x11, 0xFF};
  const SupPacket cases[] = {
      {.later = {colours}, .lastLink = LastLink::kBackward},
      {.later = {colours}, .lastLink = LastLink::kOutside},
      {.colourChangeBytes = 8},  // a damaged change command before Cmd3 and Cmd4
      {.later = {{0x02, 0x09, 0xFF}}},
  };
  for (const SupPacket& bad : cases) {
    SupLayout layout;
    const Bytes source = SupBuilder().Marker().Add().Add(bad).Build(&layout);
    ASSERT_EQ(LoadBytes(source), 2);
    SetMapping(tab, {7, 6, 5, 4}, {9, 9, 8, 8});  // words 4567 and 8899
    ASSERT_TRUE(sup.Save(out));
    Bytes expected = source;
    for (const SupPacketLayout& p : layout.Subtitles()) {
      for (const auto& [at, word] : {std::pair{*p.colourWord, 0x4567}, std::pair{*p.contrastWord, 0x8899}}) {
        expected[at] = static_cast<std::uint8_t>(word >> 8);
        expected[at + 1] = static_cast<std::uint8_t>(word & 0xFF);
      }
    }
    EXPECT_EQ(ReadFileBytes(out), expected);
  }
}

TEST_P(FilesupSaveTest, EntryRemapRefusesAFileWithASubtitleThatCannotBeWalked) {
  const Bytes colours = {0x03, 0x11, 0x11, 0xFF};
  const struct {
    SupPacket bad;
    std::string why;
  } cases[] = {
      {{.later = {colours}, .lastLink = LastLink::kBackward}, "next control sequence does not follow this one"},
      {{.later = {colours}, .lastLink = LastLink::kOutside}, "control sequence outside the unit"},
      {{.colourChangeBytes = 8}, "damaged colour/contrast change command"},
      {{.later = {{0x02, 0x09, 0xFF}}}, "unknown command code"},
      {{.later = {{0x02, 0x03, 0x11}}}, "command list runs past the end of the unit"},
  };
  const Bytes earlier = {'o', 'l', 'd'};
  for (const auto& c : cases) {
    SupLayout layout;
    const Bytes source = SupBuilder().Marker().Add().Add(c.bad).Add().Build(&layout);
    ASSERT_EQ(LoadBytes(source), 3);
    WriteFileBytes(out, earlier);
    EntryMap map;
    map.entry[1] = 2;
    EXPECT_FALSE(sup.SaveEntryRemap(out, map)) << c.why;
    const std::string last = log.LineList().back();
    EXPECT_EQ(last.rfind("ERROR - Can't walk the commands of subtitle 2 at ", 0), 0u) << last;
    EXPECT_NE(last.find(": " + c.why + " [" + out + "]"), std::string::npos) << last;
    EXPECT_EQ(ReadFileBytes(out), earlier);
    EXPECT_EQ(sup.Data(), source);
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"in.sup", "out.sup"}));
  }
  // The error names the file offset where the walk stopped: here the code-9 command.
  ASSERT_EQ(LoadBytes(SupBuilder().Add({.later = {{0x02, 0x09, 0xFF}}}).Build()), 1);
  EXPECT_FALSE(sup.SaveEntryRemap(out, EntryMap()));
  const std::size_t at = sup.Data().size() - 2;
  EXPECT_EQ(log.LineList().back(), FormatText("ERROR - Can't walk the commands of subtitle 1 at %08zX: "
                                              "unknown command code [%s]", at, out.c_str()));
}

TEST_P(FilesupSaveTest, GridShowsEachSlotsIntensityInItsPaletteColumn) {
  for (int c = 0; c < 32; ++c) tab.SetGridCell(c, 2, "x");
  SetMapping(tab, {0, 1, 2, 3}, {0, 15, 15, 15});
  sup.ShowSupGrid();
  EXPECT_EQ(tab.grid[0][0], "0");
  EXPECT_EQ(tab.grid[1][2], "15");
  EXPECT_EQ(tab.grid[2][4], "15");
  EXPECT_EQ(tab.grid[3][6], "15");
  tab.map[kText] = 5;
  sup.ShowSupGrid();
  EXPECT_EQ(tab.grid[2][4], "");
  EXPECT_EQ(tab.grid[2][10], "15");
  for (int row = 0; row < 4; ++row) {
    int filled = 0;
    for (int n = 0; n < 16; ++n) filled += tab.grid[row][2 * n].empty() ? 0 : 1;
    EXPECT_EQ(filled, 1) << "row " << row;
  }
  EXPECT_EQ(tab.grid[2][5], "x") << "the VOB columns are not touched";
}

TEST_P(FilesupSaveTest, ShowFileMappingFillsListsAndReadOnlyEdits) {
  ASSERT_EQ(LoadBytes(SupBuilder().Add({.colour = 0xF0A5, .contrast = 0x1C0E}).Build()), 1);
  sup.ShowFileMapping();
  EXPECT_EQ(tab.map, (std::array<int, 4>{5, 10, 0, 15}));
  EXPECT_EQ(tab.intensity, (std::array<int, 4>{14, 0, 12, 1}));
  EXPECT_EQ(tab.mapFile, (std::array<std::string, 4>{"5", "10", "0", "15"}));
  EXPECT_EQ(tab.intFile, (std::array<std::string, 4>{"14", "0", "12", "1"}));
}

}  // namespace
