// The IFO document: loading, finding the first program chain's palette, saving it back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/Fileifo.h"
#include "files/Tabs.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/PosixOnly.h"

namespace {

class FileifoTest : public ::testing::Test {
 protected:
  void TearDown() override { SetFileFaultHook(nullptr); }

  // Loads `bytes` from a file named `name` in the temporary folder.
  int LoadBytes(const Bytes& bytes, const std::string& name = "VTS_01_0.IFO") {
    WriteFileBytes(dir.File(name), bytes);
    return ifo.Load(dir.File(name));
  }

  // Fills the hex fields with the loaded palette, as the tab does after an open.
  void FieldsFromDocument() {
    for (int i = 0; i < 16; ++i) {
      int y = 0, cr = 0, cb = 0;
      ASSERT_TRUE(ifo.GetPaletteEntry(i, y, cr, cb));
      tab.hex[i] = FormatHexText(y, cr, cb);
    }
  }

  std::vector<std::uint32_t> Entries() const {
    std::vector<std::uint32_t> entries;
    for (int i = 0; i < 16; ++i) {
      int y = -1, cr = -1, cb = -1;
      if (!ifo.GetPaletteEntry(i, y, cr, cb)) return {};
      entries.push_back(static_cast<std::uint32_t>(y << 16 | cr << 8 | cb));
    }
    return entries;
  }

  static std::vector<std::uint32_t> AsVector(const IfoPalette& p) { return {p.begin(), p.end()}; }

  TempDir dir;
  LogRecorder log{kLogAll};
  ScopedLogTarget scoped{&log};
  IfoTabValues tab;
  CFileIFO ifo{tab};
};

TEST_F(FileifoTest, FindsTheFirstProgramChainsPaletteAtTheDocumentedPositions) {
  const Bytes file = BuildIfo();  // table at sector 2, first PGC 24 bytes into it
  ASSERT_EQ(LoadBytes(file), 16);
  EXPECT_TRUE(ifo.HasData());
  EXPECT_EQ(ifo.GetPaletteOffset(), 4285);
  EXPECT_EQ(Entries(), AsVector(SampleIfoPalette())) << "the second PGC's palette is not used";
  EXPECT_TRUE(log.Lines().empty()) << "a load logs nothing on success";

  // Saving entry 0 and entry 15 touches exactly bytes 4284-4287 and 4344-4347.
  FieldsFromDocument();
  tab.hex[0] = "A1B2C3";
  tab.hex[15] = "D4E5F6";
  ASSERT_TRUE(ifo.Save(dir.File("out.ifo")));
  const Bytes saved = ReadFileBytes(dir.File("out.ifo"));
  ASSERT_EQ(saved.size(), file.size());
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (i == 4285 || i == 4286 || i == 4287 || i == 4345 || i == 4346 || i == 4347) continue;
    ASSERT_EQ(saved[i], file[i]) << "byte " << i;
  }
  EXPECT_EQ((Bytes{saved[4284], saved[4285], saved[4286], saved[4287]}), (Bytes{0, 0xA1, 0xB2, 0xC3}));
  EXPECT_EQ((Bytes{saved[4345], saved[4346], saved[4347]}), (Bytes{0xD4, 0xE5, 0xF6}));
}

TEST_F(FileifoTest, RefusesWhatIsNotATitleSetAndEmptiesTheDocument) {
  IfoLayout vmg;
  vmg.identifier = "DVDVIDEO-VMG";
  Bytes tooShort = BuildIfo();
  tooShort.resize(11);
  Bytes lowerCase = BuildIfo();
  lowerCase[11] = 's';
  for (const Bytes& bytes : {BuildIfo(SampleIfoPalette(), vmg), tooShort, Bytes{}, lowerCase}) {
    ASSERT_EQ(LoadBytes(BuildIfo()), 16);
    log.Clear();
    EXPECT_EQ(LoadBytes(bytes, "bad.ifo"), -1);
    EXPECT_EQ(log.LineList(),
              std::vector<std::string>{"ERROR - Not a correct IFO file [" + dir.File("bad.ifo") + "]"});
    EXPECT_FALSE(ifo.HasData()) << "a failed load discards the file held before";
    EXPECT_FALSE(ifo.IsIfoData());
    int y = 7;
    EXPECT_FALSE(ifo.GetPaletteEntry(0, y, y, y));
    EXPECT_EQ(y, 7);
  }
}

TEST_F(FileifoTest, ReportsFilesThatCannotBeOpenedOrRead) {
  ASSERT_EQ(LoadBytes(BuildIfo()), 16);
  log.Clear();
  EXPECT_EQ(ifo.Load(dir.File("missing.ifo")), -1);
  EXPECT_FALSE(ifo.HasData());
  EXPECT_EQ(ifo.Load(dir.Path()), -1) << "a folder";
  EXPECT_EQ(log.LineList(), (std::vector<std::string>{
                                "ERROR - Can't open [" + dir.File("missing.ifo") + "]",
                                "ERROR - Can't open [" + dir.Path() + "]"}));

  // Larger than the document can hold: refused before anything is allocated.
  const std::string huge = dir.File("huge.ifo");
  const int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  const bool sparse = ::ftruncate(fd, 0x80000000LL) == 0;
  ::close(fd);
  if (sparse) {
    log.Clear();
    EXPECT_EQ(ifo.Load(huge), -1);
    EXPECT_EQ(log.LineList(), std::vector<std::string>{"ERROR - Can't read [" + huge + "]"});
  }
}

TEST_F(FileifoTest, GetPaletteEntryOutsideZeroToFifteenStoresNothing) {
  ASSERT_EQ(LoadBytes(BuildIfo()), 16);
  for (int index : {-1, 16, 1000, INT32_MIN}) {
    int y = 11, cr = 22, cb = 33;
    EXPECT_FALSE(ifo.GetPaletteEntry(index, y, cr, cb));
    EXPECT_EQ(y, 11);
    EXPECT_EQ(cr, 22);
    EXPECT_EQ(cb, 33);
  }
  int y = 0, cr = 0, cb = 0;
  ASSERT_TRUE(ifo.GetPaletteEntry(15, y, cr, cb));
  EXPECT_EQ(static_cast<std::uint32_t>(y << 16 | cr << 8 | cb), SampleIfoPalette()[15]);
}

TEST_F(FileifoTest, LoadAndSaveUnchangedGivesTheSameFileAndLogsEveryEntry) {
  const Bytes file = BuildIfo();
  ASSERT_EQ(LoadBytes(file), 16);
  FieldsFromDocument();
  log.Clear();
  ASSERT_TRUE(ifo.Save(dir.File("copy.ifo")));
  EXPECT_EQ(ReadFileBytes(dir.File("copy.ifo")), file);
  const std::vector<std::string> lines = log.LineList();
  ASSERT_EQ(lines.size(), 17u);
  // Entry 0 of the sample palette is 10 80 20, its Y byte at 4285 (0x10BD).
  EXPECT_EQ(lines[0], "Colour(00)000010BD -  16 128  32 [10 80 20]");
  EXPECT_EQ(lines[15].substr(0, 20), "Colour(15)000010F9 -");
  EXPECT_EQ(lines[16], "Data written to IFO file [" + dir.File("copy.ifo") + "]");

  // Below the detail level only the final line is shown.
  log.SetLevel(kLogInfo);
  log.Clear();
  ASSERT_TRUE(ifo.Save(dir.File("copy.ifo")));
  EXPECT_EQ(log.LineList(),
            std::vector<std::string>{"Data written to IFO file [" + dir.File("copy.ifo") + "]"});
}

TEST_F(FileifoTest, SaveWritesShortAndOddTextsAsTheirParsedValues) {
  ASSERT_EQ(LoadBytes(BuildIfo()), 16);
  FieldsFromDocument();
  tab.hex[1] = "12AB9";     // too short: -1 three times, stored as FF
  tab.hex[2] = "1g Ab9C";   // not hex digits count as 15; the seventh character is ignored
  tab.hex[3] = "";
  log.Clear();
  ASSERT_TRUE(ifo.Save(dir.File("VTS_01_0.IFO"))) << "saving onto the loaded file itself";
  EXPECT_EQ(log.LineList()[1], "Colour(01)000010C1 -  -1  -1  -1 [FFFFFFFF FFFFFFFF FFFFFFFF]");
  ASSERT_EQ(ifo.Load(dir.File("VTS_01_0.IFO")), 16);
  std::vector<std::uint32_t> expected = AsVector(SampleIfoPalette());
  expected[1] = 0xFFFFFF;
  expected[2] = 0x1FFAF9;
  expected[3] = 0xFFFFFF;
  EXPECT_EQ(Entries(), expected);
  const Bytes saved = ReadFileBytes(dir.File("VTS_01_0.IFO"));
  EXPECT_EQ(saved[4285 - 1 + 4], 0) << "the reserved byte is written as 0";
}

TEST_F(FileifoTest, SaveWithNothingLoadedIsRefusedAndCreatesNothing) {
  tab.hex.fill("108080");
  EXPECT_FALSE(ifo.Save(dir.File("out.ifo")));
  EXPECT_FALSE(FileExists(dir.File("out.ifo")));
  ASSERT_EQ(LoadBytes(BuildIfo()), 16);
  ASSERT_EQ(LoadBytes(Bytes{1, 2, 3}), -1);
  log.Clear();
  EXPECT_FALSE(ifo.Save(dir.File("out.ifo"))) << "a failed load after a good one";
  EXPECT_FALSE(FileExists(dir.File("out.ifo")));
  EXPECT_EQ(log.LineList(), std::vector<std::string>{"ERROR - Can't save no IFO file loaded!!!"});
}

TEST_F(FileifoTest, FailedCreateChangesNothing) {
  ASSERT_EQ(LoadBytes(BuildIfo()), 16);
  FieldsFromDocument();
  tab.hex.fill("ABCDEF");
  WriteFileBytes(dir.File("target.ifo"), {9, 9, 9});
  SetFileFaultHook([](FileStep step) { return step == FileStep::kCreate; });
  log.Clear();
  EXPECT_FALSE(ifo.Save(dir.File("target.ifo")));
  EXPECT_EQ(log.LineList(), std::vector<std::string>{"ERROR - Can't Create file [" +
                                                     dir.File("target.ifo") + "]"});
  EXPECT_EQ(Entries(), AsVector(SampleIfoPalette())) << "the bytes keep the old palette";
  EXPECT_EQ(ReadFileBytes(dir.File("target.ifo")), (Bytes{9, 9, 9}));
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"VTS_01_0.IFO", "target.ifo"}));
  // A folder that does not exist fails the same way, without the hook.
  SetFileFaultHook(nullptr);
  log.Clear();
  EXPECT_FALSE(ifo.Save(dir.File("no/such/folder.ifo")));
  EXPECT_EQ(log.LineList(), std::vector<std::string>{"ERROR - Can't Create file [" +
                                                     dir.File("no/such/folder.ifo") + "]"});
}

TEST_F(FileifoTest, FailedWriteLeavesTheTargetAndKeepsTheNewPaletteInTheBytes) {
  for (FileStep failing : {FileStep::kWrite, FileStep::kFlush, FileStep::kRename}) {
    ASSERT_EQ(LoadBytes(BuildIfo()), 16);
    FieldsFromDocument();
    tab.hex[4] = "112233";
    const Bytes before = {5, 6, 7, 8};
    WriteFileBytes(dir.File("target.ifo"), before);
    SetFileFaultHook([failing](FileStep step) { return step == failing; });
    log.Clear();
    EXPECT_FALSE(ifo.Save(dir.File("target.ifo")));
    SetFileFaultHook(nullptr);
    const std::vector<std::string> lines = log.LineList();
    ASSERT_EQ(lines.size(), 17u) << "16 entry lines, then the error";
    EXPECT_EQ(lines[16], "ERROR - Writing to IFO file [" + dir.File("target.ifo") + "]");
    EXPECT_EQ(ReadFileBytes(dir.File("target.ifo")), before);
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"VTS_01_0.IFO", "target.ifo"}));
    EXPECT_TRUE(ifo.HasData());
    int y = 0, cr = 0, cb = 0;
    ASSERT_TRUE(ifo.GetPaletteEntry(4, y, cr, cb));
    EXPECT_EQ((std::vector<int>{y, cr, cb}), (std::vector<int>{0x11, 0x22, 0x33}));
  }
}

TEST_F(FileifoTest, EveryTruncatedPrefixLoadsOnlyWhenThePaletteIsWhole) {
  IfoLayout layout;
  layout.secondPgc = false;
  const Bytes file = BuildIfo(SampleIfoPalette(), layout);
  const std::size_t paletteEnd = IfoPalettePosition(layout) - 1 + 64;
  ASSERT_LT(paletteEnd, file.size());
  ScopedLogTarget quiet(nullptr);
  for (std::size_t n = 0; n <= paletteEnd + 8; ++n) {
    const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
    const int result = LoadBytes(prefix, "prefix.ifo");
    if (n < paletteEnd) {
      ASSERT_EQ(result, -1) << n;
      ASSERT_FALSE(ifo.HasData()) << n;
    } else {
      ASSERT_EQ(result, 16) << n;
      ASSERT_EQ(Entries(), AsVector(SampleIfoPalette())) << n;
    }
  }
}

// Pointers that a 32-bit evaluation would wrap back into the file, and pointers that lead just
// outside it, are refused at load.
TEST_F(FileifoTest, HostilePointersAreRefused) {
  const Bytes good = BuildIfo();
  const std::size_t q = 2 * 2048 + 24;  // first PGC of the default layout
  auto withSector = [](Bytes bytes, std::uint32_t sector) {
    for (int i = 0; i < 4; ++i) bytes[0xCC + i] = static_cast<std::uint8_t>(sector >> (24 - 8 * i));
    return bytes;
  };
  auto withFirst = [](Bytes bytes, std::size_t table, std::uint32_t first) {
    for (int i = 0; i < 4; ++i) bytes[table + 12 + i] = static_cast<std::uint8_t>(first >> (24 - 8 * i));
    return bytes;
  };
  // Control: sector 0 puts the table at the start of the file; its pointer at 12 reaches the
  // real palette. This file loads.
  const Bytes atZero = withFirst(withSector(good, 0), 0, static_cast<std::uint32_t>(q));
  ASSERT_EQ(LoadBytes(atZero), 16);
  EXPECT_EQ(ifo.GetPaletteOffset(), 4285);

  struct Case {
    const char* what;
    Bytes bytes;
  };
  Bytes straddles = good;
  straddles.resize(q + 0xA4 + 63);
  Bytes pointerCut = withSector(good, 2);
  pointerCut.resize(2 * 2048 + 14);
  const std::vector<Case> cases = {
      {"table far outside", withSector(good, 0xFFFFFFFF)},
      {"sector * 2048 wraps to 0 in 32 bits", withSector(atZero, 0x00200000)},
      {"sector * 2048 wraps to a negative number", withSector(atZero, 0x00100000)},
      {"first PGC pointer wraps the palette back", withFirst(good, 4096, 0xFFFFFFFF)},
      {"first PGC beyond the end", withFirst(good, 4096, 0x7FFFFF00)},
      {"palette straddles the end", straddles},
      {"table pointer cut by the end", pointerCut},
      {"pointer at 204 cut by the end", Bytes(good.begin(), good.begin() + 206)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(LoadBytes(good), 16);
    log.Clear();
    EXPECT_EQ(LoadBytes(c.bytes, "hostile.ifo"), -1) << c.what;
    EXPECT_FALSE(ifo.HasData()) << c.what;
    EXPECT_EQ(log.LineList(), std::vector<std::string>{"ERROR - Not a correct IFO file [" +
                                                       dir.File("hostile.ifo") + "]"})
        << c.what;
  }
  // One byte more than the straddling file holds is enough.
  Bytes exact = good;
  exact.resize(q + 0xA4 + 64);
  EXPECT_EQ(LoadBytes(exact), 16);
  EXPECT_EQ(Entries(), AsVector(SampleIfoPalette()));
}

}  // namespace
