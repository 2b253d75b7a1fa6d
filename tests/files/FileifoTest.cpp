// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO document: loading, finding the first program chain's palette, saving it back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/Fileifo.h"
#include "files/Tabs.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/Recorders.h"
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
  EXPECT_EQ(Entries(), AsVector(SampleIfoPalette()));
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

  // Larger than an IFO file can be: refused before anything is allocated, or, for a device that
  // never ends, once the limit is passed.
  const std::string huge = dir.File("huge.ifo");
  const int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  const bool sparse = ::ftruncate(fd, static_cast<long>(kMaxIfoFileSize + 1)) == 0;
  ::close(fd);
  std::vector<std::string> tooLarge = {huge};
#ifndef _WIN32
  tooLarge.push_back("/dev/zero");
#endif
  for (const std::string& name : tooLarge) {
    if (!sparse) break;
    log.Clear();
    EXPECT_EQ(ifo.Load(name), -1);
    EXPECT_EQ(log.LineList(),
              std::vector<std::string>{"ERROR - File too large (limit 8388608 bytes) [" + name + "]"});
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
  layout.titleChains = 1;
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

// Pointers that a 32-bit evaluation would wrap back into the file, pointers that lead just
// outside it, and damaged program chain tables are refused at load.
TEST_F(FileifoTest, HostilePointersAndDamagedTablesAreRefused) {
  IfoLayout menus;
  menus.menus = {{OtherIfoPalette(1), OtherIfoPalette(2)}, {OtherIfoPalette(3)}};
  const Bytes good = BuildIfo(SampleIfoPalette(), menus);
  const std::size_t table = 2 * 2048;
  const std::size_t units = 3 * 2048;               // the menus' PGCI_UT, after the titles
  auto put = [](Bytes bytes, std::size_t at, std::uint32_t value, int count = 4) {
    for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (count - 1 - i)));
    return bytes;
  };
  ASSERT_EQ(LoadBytes(good), 16);
  ASSERT_EQ(ifo.Chains().size(), 5u);
  EXPECT_EQ(ifo.GetPaletteOffset(), 4285);

  struct Case {
    const char* what;
    Bytes bytes;
  };
  Bytes straddles = good;
  straddles.resize(IfoChainPositions(menus).back() - 1 + 63);
  Bytes pointerCut = good;
  pointerCut.resize(table + 14);
  const std::vector<Case> cases = {
      {"table far outside", put(good, 0xCC, 0xFFFFFFFF)},
      {"sector * 2048 wraps to the real table in 32 bits", put(good, 0xCC, 0x00200002)},
      {"sector * 2048 wraps to a negative number", put(good, 0xCC, 0x00100002)},
      {"title table at sector 0, the header itself", put(good, 0xCC, 0)},
      {"first PGC pointer wraps the palette back", put(good, table + 12, 0xFFFFFFFF)},
      {"first PGC beyond the end", put(good, table + 12, 0x7FFFFF00)},
      {"a PGC inside its own table's pointers", put(good, table + 20, 16)},
      {"no title chain", put(good, table, 0, 2)},
      {"title count runs past the bytes", put(good, table, 0xFFFF, 2)},
      {"table pointer cut by the end", pointerCut},
      {"pointer at 204 cut by the end", Bytes(good.begin(), good.begin() + 206)},
  };
  // The menus are optional, as players read them: a damaged menu table is left out with a
  // warning, the title chains are read, and a save keeps every byte of the menus.
  const std::vector<Case> menuCases = {
      {"last palette straddles the end", straddles},
      {"menu table outside", put(good, 0xD0, 0x00FFFFFF)},
      {"language unit count runs past the bytes", put(good, units, 0xFFFF, 2)},
      {"language unit pointing back into its own table", put(good, units + 12, 8)},
      {"language unit table outside", put(good, units + 12, 0x7FFFFFF0)},
      {"menu PGC outside", put(good, units + 24 + 12, 0x00FFFFF0)},
  };
  for (const Case& c : menuCases) {
    log.Clear();
    ASSERT_EQ(LoadBytes(c.bytes, "menus.ifo"), 16) << c.what;
    EXPECT_EQ(ProgramChainName(ifo.Chains().back()), "title 2") << c.what << " and nothing after";
    EXPECT_EQ(log.LineList().front(), "WARNING - Damaged menu table, the menus are left out [" + dir.File("menus.ifo") + "]");
    FieldsFromDocument();
    ASSERT_TRUE(ifo.Save(dir.File("menus.ifo"))) << c.what;
    EXPECT_EQ(ReadFileBytes(dir.File("menus.ifo")), c.bytes) << c.what;
  }
  for (const Case& c : cases) {
    ASSERT_EQ(LoadBytes(good), 16);
    log.Clear();
    EXPECT_EQ(LoadBytes(c.bytes, "hostile.ifo"), -1) << c.what;
    EXPECT_FALSE(ifo.HasData()) << c.what;
    EXPECT_TRUE(ifo.Chains().empty()) << c.what;
    EXPECT_EQ(log.LineList(), std::vector<std::string>{"ERROR - Not a correct IFO file [" +
                                                       dir.File("hostile.ifo") + "]"})
        << c.what;
  }
  // One byte more than the straddling file holds is enough; two language units sharing one
  // table list its chains once.
  Bytes exact = good;
  exact.resize(straddles.size() + 1);
  EXPECT_EQ(LoadBytes(exact), 16);
  EXPECT_EQ(Entries(), AsVector(SampleIfoPalette()));
  const Bytes shared = put(good, units + 12, ReadBigEndian(good, units + 20, 4).value());
  ASSERT_EQ(LoadBytes(shared), 16);
  ASSERT_EQ(ifo.Chains().size(), 3u);
  EXPECT_EQ(ProgramChainName(ifo.Chains()[2]), "menu 1.1");
  int y = 0, cr = 0, cb = 0;
  ASSERT_TRUE(ifo.GetChainEntry(2, 0, y, cr, cb));
  EXPECT_EQ(static_cast<std::uint32_t>(y << 16 | cr << 8 | cb), OtherIfoPalette(3)[0]);
}

// Every program chain of title sets and video managers, in table order, each with its own
// palette; a title set whose other chains differ from the first title chain warns how many.
TEST_F(FileifoTest, ListsEveryProgramChainAndWarnsAboutOtherPalettes) {
  struct Case {
    const char* what;
    IfoLayout layout;
    std::vector<std::string> names;
    std::vector<IfoPalette> palettes;
    int warned;  // other chains with other palettes; 0: no warning
  };
  const IfoPalette a = SampleIfoPalette(), b = OtherIfoPalette(1), c = OtherIfoPalette(2);
  IfoLayout same;
  same.titleChains = 3;
  IfoLayout titles = same;
  titles.titlePalettes = {{3, b}};
  IfoLayout menus;
  menus.titlePalettes = {{2, c}};
  menus.menus = {{b, a}, {c}};
  IfoLayout manager;
  manager.identifier = "DVDVIDEO-VMG";
  manager.firstPlay = c;
  manager.menus = {{b}};
  IfoLayout noFirstPlay = manager;
  noFirstPlay.firstPlay.reset();
  const std::vector<Case> cases = {
      {"three titles, one palette", same, {"title 1", "title 2", "title 3"}, {a, a, a}, 0},
      {"title 3 differs", titles, {"title 1", "title 2", "title 3"}, {a, a, b}, 1},
      {"titles and two language units", menus,
       {"title 1", "title 2", "menu 1.1", "menu 1.2", "menu 2.1"}, {a, c, b, a, c}, 3},
      {"video manager", manager, {"first-play", "menu 1.1"}, {c, b}, 0},
      {"video manager without first-play chain", noFirstPlay, {"menu 1.1"}, {b}, 0},
  };
  for (const Case& k : cases) {
    log.Clear();
    const bool isManager = k.layout.identifier == "DVDVIDEO-VMG";
    ASSERT_EQ(LoadBytes(BuildIfo(a, k.layout)), isManager ? -1 : 16) << "the window refuses a VMG";
    WriteFileBytes(dir.File("VTS_01_0.IFO"), BuildIfo(a, k.layout));
    ASSERT_EQ(ifo.Load(dir.File("VTS_01_0.IFO"), IfoAccept::kTitleSetOrManager), 16) << k.what;
    const std::vector<std::size_t> positions = IfoChainPositions(k.layout);
    ASSERT_EQ(ifo.Chains().size(), k.names.size()) << k.what;
    for (std::size_t i = 0; i < k.names.size(); ++i) {
      EXPECT_EQ(ProgramChainName(ifo.Chains()[i]), k.names[i]) << k.what;
      EXPECT_EQ(ifo.Chains()[i].palette + 1, positions[i]) << k.what;
      for (int e = 0; e < 16; ++e) {
        int y = 0, cr = 0, cb = 0;
        ASSERT_TRUE(ifo.GetChainEntry(i, e, y, cr, cb));
        ASSERT_EQ(static_cast<std::uint32_t>(y << 16 | cr << 8 | cb), k.palettes[i][e]) << k.what << i;
      }
    }
    EXPECT_EQ(static_cast<std::size_t>(ifo.GetPaletteOffset()), positions[0]) << k.what;
    std::vector<std::string> expected;
    if (isManager) expected.push_back("ERROR - Not a correct IFO file [" + dir.File("VTS_01_0.IFO") + "]");
    if (k.warned > 0) {
      expected.push_back("WARNING - " + std::to_string(k.warned) +
                         " other program chains have other palettes [" + dir.File("VTS_01_0.IFO") + "]");
    }
    const std::vector<std::string> lines = log.LineList();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + (k.warned > 0 ? 1 : 0), lines.end()), expected)
        << k.what;  // the first load's warning, when there is one, comes before
  }
  ASSERT_EQ(LoadBytes(BuildIfo(a, menus)), 16);
  EXPECT_TRUE(ifo.SelectTitleChain(2));
  EXPECT_EQ(static_cast<std::size_t>(ifo.GetPaletteOffset()), IfoChainPositions(menus)[1]);
  EXPECT_EQ(Entries(), AsVector(c));
  EXPECT_FALSE(ifo.SelectTitleChain(3));
  EXPECT_FALSE(ifo.SelectTitleChain(0));
  int y = 0;
  EXPECT_FALSE(ifo.GetChainEntry(5, 0, y, y, y));
  EXPECT_FALSE(ifo.GetChainEntry(0, 16, y, y, y));
}

// A save changes only the palette bytes of the chains it writes, and writes the backup twin with
// the same bytes: whatever the case of the names, unless turned off.
TEST_F(FileifoTest, SavesTouchOnlyChosenPalettesAndKeepTheTwinInStep) {
  IfoLayout layout;
  layout.titleChains = 3;
  layout.menus = {{OtherIfoPalette(1), OtherIfoPalette(2)}};
  const Bytes original = BuildIfo(SampleIfoPalette(), layout);
  const std::vector<std::size_t> positions = IfoChainPositions(layout);
  PaletteTexts white;
  white.fill("EB8080");
  struct Case {
    const char* ifoName;
    const char* twinName;  // nullptr: none
    bool keepTwin;
    std::vector<std::size_t> chains;  // empty: Save, on title chain 2
  };
  const std::vector<Case> cases = {
      {"VTS_01_0.IFO", "VTS_01_0.BUP", true, {}},
      {"vts_01_0.ifo", "vts_01_0.bup", true, {0, 3}},
      {"Vts_01_0.Ifo", "Vts_01_0.BUP", true, {4}},
      {"vts_01_0.ifo", "VTS_01_0.BUP", true, {1}},  // the twin is found in any case everywhere
      {"VTS_01_0.IFO", "VTS_01_0.BUP", false, {1}},
      {"VTS_01_0.IFO", nullptr, true, {0, 1, 2, 3, 4}},
      {"VTS_01_0.IFX", "VTS_01_0.BUP", true, {2}},
  };
  for (const Case& c : cases) {
    TempDir folder;
    const std::string path = folder.File(c.ifoName);
    WriteFileBytes(path, original);
    if (c.twinName) WriteFileBytes(folder.File(c.twinName), original);
    ASSERT_EQ(ifo.Load(path), 16);
    ifo.SetKeepBackupTwin(c.keepTwin);
    std::vector<std::size_t> written = c.chains;
    log.SetLevel(kLogInfo);
    log.Clear();
    if (c.chains.empty()) {
      ASSERT_TRUE(ifo.SelectTitleChain(2));
      tab.hex.fill("EB8080");
      ASSERT_TRUE(ifo.Save(path)) << c.ifoName;
      written = {1};
    } else {
      std::vector<std::pair<std::size_t, PaletteTexts>> palettes;
      for (std::size_t chain : c.chains) palettes.emplace_back(chain, white);
      ASSERT_TRUE(ifo.SaveChains(path, palettes)) << c.ifoName;
    }
    ifo.SetKeepBackupTwin(true);
    const Bytes saved = ReadFileBytes(path);
    ASSERT_EQ(saved.size(), original.size());
    std::set<std::size_t> changed, expected;
    for (std::size_t i = 0; i < saved.size(); ++i) {
      if (saved[i] != original[i]) changed.insert(i);
    }
    for (std::size_t chain : written) {
      for (std::size_t e = 0; e < 16; ++e) {
        for (std::size_t k = 0; k < 3; ++k) {
          const std::size_t at = positions[chain] + 4 * e + k;
          if (original[at] != saved[at]) expected.insert(at);
          EXPECT_EQ(saved[at], (Bytes{0xEB, 0x80, 0x80})[k]) << c.ifoName;
        }
      }
    }
    EXPECT_EQ(changed, expected) << c.ifoName;
    const bool twinKept = c.twinName && c.keepTwin && std::string(c.ifoName).size() > 4 &&
                          std::string(c.ifoName).find(".IFX") == std::string::npos;
    std::vector<std::string> lines = {"Data written to IFO file [" + path + "]"};
    if (twinKept) lines.push_back("Data written to backup file [" + folder.File(c.twinName) + "]");
#ifdef _WIN32
    // Names match without regard to case there: the twin is found under the first name tried.
    const auto lower = [](std::vector<std::string> list) {
      for (std::string& line : list) {
        for (char& ch : line) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      }
      return list;
    };
    EXPECT_EQ(lower(log.LineList()), lower(lines)) << c.ifoName;
#else
    EXPECT_EQ(log.LineList(), lines) << c.ifoName;
#endif
    if (c.twinName) {
      EXPECT_EQ(ReadFileBytes(folder.File(c.twinName)), twinKept ? saved : original) << c.ifoName;
    }
    EXPECT_EQ(ListFolder(folder.Path()).size(), c.twinName ? 2u : 1u) << "no temporary file left";
  }
}

// The twin cannot be created: nothing is written. The twin's commit fails after the IFO's: the
// IFO is saved, the twin keeps its old bytes, and the save reports the failure.
TEST_F(FileifoTest, TwinFailuresAreReportedAndNeverHalfDone) {
  const Bytes original = BuildIfo();
  const std::string path = dir.File("VTS_01_0.IFO");
  const std::string twin = dir.File("VTS_01_0.BUP");
  for (FileStep failing : {FileStep::kCreate, FileStep::kRename}) {
    WriteFileBytes(path, original);
    WriteFileBytes(twin, original);
    ASSERT_EQ(ifo.Load(path), 16);
    tab.hex.fill("EB8080");
    int calls = 0;
    SetFileFaultHook([&](FileStep step) { return step == failing && ++calls == 2; });
    log.SetLevel(kLogInfo);
    log.Clear();
    EXPECT_FALSE(ifo.Save(path));
    SetFileFaultHook(nullptr);
    EXPECT_EQ(ReadFileBytes(twin), original);
    if (failing == FileStep::kCreate) {
      EXPECT_EQ(ReadFileBytes(path), original);
      EXPECT_EQ(log.LineList(), std::vector<std::string>{"ERROR - Can't Create file [" + twin + "]"});
      EXPECT_EQ(Entries(), AsVector(SampleIfoPalette())) << "the bytes keep the old palette";
    } else {
      EXPECT_NE(ReadFileBytes(path), original);
      EXPECT_EQ(log.LineList(), (std::vector<std::string>{
                                    "Data written to IFO file [" + path + "]",
                                    "ERROR - Writing to backup file [" + twin + "], it keeps its old bytes"}));
    }
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"VTS_01_0.BUP", "VTS_01_0.IFO"}));
  }
#ifndef _WIN32
  // A twin with a second name is written in place: when its flush fails, it holds new bytes.
  ASSERT_EQ(::link(twin.c_str(), dir.File("other-name").c_str()), 0);
  ASSERT_EQ(ifo.Load(path), 16);
  int flushes = 0;
  SetFileFaultHook([&](FileStep step) { return step == FileStep::kFlush && ++flushes == 2; });
  log.Clear();
  EXPECT_FALSE(ifo.Save(path));
  SetFileFaultHook(nullptr);
  EXPECT_EQ(ReadFileBytes(twin), ReadFileBytes(path));
  EXPECT_EQ(log.LineList().back(),
            "ERROR - Writing to backup file [" + twin + "], it holds some or all of the new bytes");
#endif
}

}  // namespace

// Languages by the stream number the VOB files use: the 4:3 number first, the wide, letterbox and
// pan-scan numbers for streams no 4:3 number names; streams not available or beyond the count
// have none. Every truncated prefix gives the whole answer or none, reading nothing outside.
TEST(SubpictureLanguagesTest, ByStreamControlAndCleanOnEveryPrefix) {
  IfoLayout layout;
  layout.titleChains = 2;
  Bytes ifo = BuildIfo(SampleIfoPalette(), layout);
  SetSubpictureStreams(ifo, layout, {"EN", "fr", "de"},
                       {{0x81, 5, 5, 5}, {0x80, 0, 0, 0}, {0x02, 3, 3, 3}, {0x83, 4, 4, 4}});
  std::array<std::string, kSubpictureSlots> expected;
  expected[0] = "fr";
  expected[1] = "en";
  expected[5] = "en";
  const auto languages = SubpictureLanguages(ifo);
  EXPECT_EQ(languages, expected);
  for (std::size_t n = 0; n < ifo.size(); n += 7) {
    const auto prefix = SubpictureLanguages(ByteView(ifo.data(), n));
    EXPECT_TRUE(prefix == expected || prefix == decltype(prefix){}) << n;
  }
}
