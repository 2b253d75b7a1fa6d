// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli ifo and colour, run as a separate process.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "files/Fileifo.h"
#include "files/PaletteFile.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/PosixOnly.h"

namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs velmoran-cli with `args` and collects its exit status and both output streams.
CliRun RunCli(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {VELMORAN_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProcessResult result = RunProcess(argv);
  return {result.exitStatus, result.out, result.err};
}

std::string ShowText(const IfoPalette& palette) {
  std::string text;
  for (int i = 0; i < 16; ++i) {
    char line[16];
    std::snprintf(line, sizeof line, "%02d %06X\n", i, palette[i]);
    text += line;
  }
  return text;
}

// The default file's second title chain, kept as it was when the first is rewritten.
IfoLayout KeepSecond() {
  IfoLayout layout;
  layout.titlePalettes = {{2, SampleIfoPalette()}};
  return layout;
}

class IfoCliTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(input, BuildIfo()); }
  TempDir dir;
  std::string input = dir.File("VTS_01_0.IFO");
  std::string output = dir.File("out.ifo");
};

// An IFO that can't be read but whose twin (any case) can: show reads the twin with a warning,
// set refuses and names it.
TEST_F(IfoCliTest, ShowReadsTheTwinOfADamagedIfoAndSetRefuses) {
  const std::string twin = dir.File("vts_01_0.bup");
  WriteFileBytes(twin, ReadFileBytes(input));
  WriteFileBytes(input, {1, 2, 3});
  const CliRun show = RunCli({"ifo", "show", input});
  EXPECT_EQ(show.out, ShowText(SampleIfoPalette()));
  EXPECT_NE(show.err.find("WARNING - Read from the backup file [" + twin + "] instead of [" + input + "]"), std::string::npos);
  const CliRun set = RunCli({"ifo", "set", input, "-o", input, "--entry", "0=108080"});
  EXPECT_NE(set.err.find("ERROR - The backup file [" + twin + "] can be read; restore ["), std::string::npos) << set.err;
  EXPECT_EQ(set.status, 1);

}

TEST_F(IfoCliTest, ShowPrintsTheSixteenEntries) {
  const CliRun run = RunCli({"ifo", "show", input});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ShowText(SampleIfoPalette()));
  EXPECT_EQ(run.err, "");

  const CliRun json = RunCli({"ifo", "show", "--json", input});
  EXPECT_EQ(json.status, 0);
  std::string expected = "{\"file\": \"" + input + "\", \"palette\": [";
  for (int i = 0; i < 16; ++i) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%s\"%06X\"", i ? ", " : "", SampleIfoPalette()[i]);
    expected += hex;
  }
  EXPECT_EQ(json.out, expected + "]}\n");
}

TEST_F(IfoCliTest, ShowOfABadFileFailsWithTheLogLine) {
  WriteFileBytes(dir.File("vmg.ifo"), Bytes{'D', 'V', 'D', 'V', 'I', 'D', 'E', 'O', '-', 'V', 'M', 'G'});
  const CliRun run = RunCli({"ifo", "show", dir.File("vmg.ifo")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "ERROR - Not a correct IFO file [" + dir.File("vmg.ifo") + "]\n");
  const CliRun missing = RunCli({"ifo", "show", dir.File("none.ifo")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "ERROR - Can't open [" + dir.File("none.ifo") + "]\nvelmoran-cli: " +
                             dir.File("none.ifo") + ": No such file or directory\n");
}

TEST_F(IfoCliTest, SetReplacesThePaletteThenSingleEntries) {
  std::string list;
  IfoPalette expected{};
  for (int i = 0; i < 16; ++i) {
    expected[i] = 0x101010u * static_cast<std::uint32_t>(i) + 0x0A0B0Cu;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%s%06x", i ? "," : "", expected[i]);  // lower case accepted
    list += hex;
  }
  expected[3] = 0xABCDEF;
  expected[15] = 0x123456;
  const CliRun run = RunCli({"--log-level", "5", "ifo", "set", input, "-o", output, "--palette", list,
                             "--entry", "3=abcdef", "--entry", "15=000000", "--entry", "15=123456"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Colour(03)000010C9 - 171 205 239 [AB CD EF]\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Data written to IFO file [" + output + "]"), std::string::npos);
  EXPECT_EQ(RunCli({"ifo", "show", output}).out, ShowText(expected));
  EXPECT_EQ(ReadFileBytes(output), BuildIfo(expected, KeepSecond())) << "only the first palette changes";
  EXPECT_EQ(ReadFileBytes(input), BuildIfo()) << "the input stays as it was";
}

// --dry-run counts the chains and bytes that the save would change, and writes nothing.
TEST_F(IfoCliTest, DryRunReportsChainsAndBytes) {
  const std::string all = RunCli({"ifo", "show", "--all", input}).out;
  const auto chains = static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n'));
  for (const auto& [pgc, changed] : std::vector<std::pair<std::string, std::size_t>>{{"1", 1}, {"all", chains}}) {
    const std::vector<std::string> args = {"ifo", "set", input, "-o", output, "--pgc", pgc, "--entry", "3=ABCDEF"};
    std::vector<std::string> dry = args;
    dry.push_back("--dry-run");
    const CliRun run = RunCli(dry);
    EXPECT_FALSE(FileExists(output)) << pgc;
    ASSERT_EQ(RunCli(args).status, 0) << pgc;
    const Bytes before = BuildIfo(), after = ReadFileBytes(output);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < before.size(); ++i) bytes += before[i] != after[i] ? 1 : 0;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, FormatText("file: %s\npgcs: %zu\nbytes: %zu\n", input.c_str(), changed, bytes));
    std::remove(output.c_str());
  }
}

TEST_F(IfoCliTest, PaletteFilesGoOutAndComeBackInEachFormat) {
  const CliRun yuv = RunCli({"ifo", "show", input, "--format", "yuv"});
  EXPECT_EQ(yuv.status, 0) << yuv.err;
  std::string lines = ShowText(SampleIfoPalette());
  std::string expected;
  for (std::size_t at = 0; at < lines.size(); at = lines.find('\n', at) + 1) expected += lines.substr(at + 3, 7);
  EXPECT_EQ(yuv.out, expected) << "one Y Cr Cb hex text per line";
  const CliRun rgb = RunCli({"ifo", "show", "--format=rgb", input});
  const CliRun idx = RunCli({"ifo", "show", input, "--format", "idx"});
  ASSERT_EQ(rgb.out.size(), 16u * 7);
  ASSERT_EQ(idx.out.rfind("palette: ", 0), 0u);
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t e = SampleIfoPalette()[i];
    const std::uint32_t c = PaletteFileRgb(static_cast<int>(e >> 16), e >> 8 & 0xFF, e & 0xFF);
    EXPECT_EQ(rgb.out.substr(7 * i, 7), FormatText("%06X\n", c));
    EXPECT_EQ(idx.out.substr(9 + 8 * i, 6), FormatText("%06x", c));
  }

  // Each file read back: the Y Cr Cb file gives the palette again; RGB files go through the
  // conversion, so each entry is what converting its RGB value forward gives.
  WriteFileBytes(dir.File("p.yuv"), Bytes(yuv.out.begin(), yuv.out.end()));
  WriteFileBytes(dir.File("p.rgb"), Bytes(rgb.out.begin(), rgb.out.end()));
  WriteFileBytes(dir.File("p.IDX"), Bytes(idx.out.begin(), idx.out.end()));
  const CliRun same = RunCli({"ifo", "set", input, "-o", output, "--palette-file", dir.File("p.yuv")});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(ReadFileBytes(output), BuildIfo());
  for (const char* name : {"p.rgb", "p.IDX"}) {
    const CliRun run = RunCli({"ifo", "set", input, "-o", output, "--palette-file", dir.File(name), "--entry", "2=ABCDEF"});
    EXPECT_EQ(run.status, 0) << run.err;
    IfoPalette converted{};
    for (int i = 0; i < 16; ++i) {
      converted[i] = PaletteFileYCrCb(static_cast<std::uint32_t>(std::stoul(rgb.out.substr(7 * i, 6), nullptr, 16)));
    }
    converted[2] = 0xABCDEF;  // --entry after the file
    // Only the first title chain takes it; the second keeps the palette it had.
    EXPECT_EQ(ReadFileBytes(output), BuildIfo(converted, {.titlePalettes = {{2, SampleIfoPalette()}}}))
        << name;
  }

  // A file that is no palette file fails with exit 1 and leaves the target.
  WriteFileBytes(output, {1, 2, 3});
  WriteFileBytes(dir.File("bad.txt"), Bytes{'1', '0', '8', '0', '8', '0'});
  const CliRun bad = RunCli({"ifo", "set", input, "-o", output, "--palette-file", dir.File("bad.txt")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "ERROR - Not a palette file [" + dir.File("bad.txt") + "]: expected 16 entries, found 1\n");
  EXPECT_EQ(ReadFileBytes(output), (Bytes{1, 2, 3}));
}

TEST_F(IfoCliTest, SetSingleEntryOntoTheInputItself) {
  const CliRun run = RunCli({"ifo", "set", input, "--entry", "0=EB7F7F", "-o", input});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Data written to IFO file [" + input + "]\nWARNING - No backup file beside [" + input +
                         "], none written\n") << "the default level 4";
  IfoPalette expected = SampleIfoPalette();
  expected[0] = 0xEB7F7F;
  EXPECT_EQ(ReadFileBytes(input), BuildIfo(expected, KeepSecond()));
}

// A title set with three titles and two menus, and a video manager, in one VIDEO_TS folder.
class IfoDiscCliTest : public IfoCliTest {
 protected:
  void SetUp() override {
    disc.identifier = "DVDVIDEO-VTS";
    disc.titleChains = 3;
    disc.titlePalettes = {{3, OtherIfoPalette(1)}};
    disc.menus = {{OtherIfoPalette(2)}, {OtherIfoPalette(3)}};
    manager.identifier = "DVDVIDEO-VMG";
    manager.firstPlay = OtherIfoPalette(4);
    manager.menus = {{OtherIfoPalette(5)}};
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    WriteFileBytes(vts, BuildIfo(SampleIfoPalette(), disc));
    WriteFileBytes(bup, BuildIfo(SampleIfoPalette(), disc));
    WriteFileBytes(folder + "/VIDEO_TS.IFO", BuildIfo(SampleIfoPalette(), manager));
    WriteFileBytes(folder + "/VTS_01_1.VOB", {0});
  }
  static std::string Line(const std::string& name, const IfoPalette& p) {
    std::string line = name + ":";
    for (std::uint32_t e : p) line += FormatHexText(e >> 16, (e >> 8) & 0xFF, e & 0xFF).insert(0, " ");
    return line + "\n";
  }
  IfoLayout disc, manager;
  std::string folder = dir.File("VIDEO_TS");
  std::string vts = folder + "/VTS_01_0.IFO";
  std::string bup = folder + "/VTS_01_0.BUP";
};

TEST_F(IfoDiscCliTest, ShowEveryChainOfAFileOrAFolder) {
  const IfoPalette a = SampleIfoPalette();
  const std::string titleSet = Line("title 1", a) + Line("title 2", a) +
                               Line("title 3", OtherIfoPalette(1)) + Line("menu 1.1", OtherIfoPalette(2)) +
                               Line("menu 2.1", OtherIfoPalette(3));
  const CliRun all = RunCli({"ifo", "show", "--all", vts});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out, titleSet);
  EXPECT_EQ(all.err, "WARNING - 3 other program chains have other palettes [" + vts + "]\n");

  const CliRun dirRun = RunCli({"--log-level", "2", "ifo", "show", folder});
  EXPECT_EQ(dirRun.status, 0) << dirRun.err;
  EXPECT_EQ(dirRun.out, "file: " + folder + "/VIDEO_TS.IFO\n" + Line("first-play", OtherIfoPalette(4)) +
                            Line("menu 1.1", OtherIfoPalette(5)) + "file: " + vts + "\n" + titleSet);
  const CliRun json = RunCli({"--log-level", "2", "ifo", "show", "--json", folder + "/VIDEO_TS.IFO", "--all"});
  EXPECT_EQ(json.out.substr(0, json.out.find("\"palette\"")),
            "{\"file\": \"" + folder + "/VIDEO_TS.IFO\", \"pgcs\": [{\"domain\": \"first-play\", "
            "\"lu\": null, \"pgc\": null, ");
  EXPECT_NE(json.out.find("{\"domain\": \"menu\", \"lu\": 1, \"pgc\": 1, \"palette\": [\""), std::string::npos);
  const CliRun dirJson = RunCli({"--log-level", "2", "ifo", "show", "--json", folder});
  EXPECT_EQ(dirJson.out.substr(0, 20), "{\"files\": [{\"file\": ");

  EXPECT_EQ(RunCli({"--log-level", "2", "ifo", "show", "--pgc", "3", vts}).out, ShowText(OtherIfoPalette(1)));
  const CliRun noSuch = RunCli({"--log-level", "2", "ifo", "show", "--pgc", "4", vts});
  EXPECT_EQ(noSuch.status, 1);
  EXPECT_EQ(noSuch.err, "ERROR - No title program chain 4 in [" + vts + "]\n");
  // Without --all, VIDEO_TS.IFO shows its menus and says that it holds nothing else.
  const CliRun manager = RunCli({"ifo", "show", folder + "/VIDEO_TS.IFO"});
  EXPECT_EQ(manager.out, RunCli({"ifo", "show", "--all", folder + "/VIDEO_TS.IFO"}).out);
  EXPECT_EQ(manager.err, "WARNING - The file holds menus only [" + folder + "/VIDEO_TS.IFO]\n");
  // A disc's root stands for its VIDEO_TS folder.
  EXPECT_EQ(RunCli({"--log-level", "2", "ifo", "show", "--json", dir.Path()}).out, dirJson.out);
  const std::string empty = dir.File("empty");
  ASSERT_EQ(::mkdir(empty.c_str(), 0755), 0);
  const CliRun nothing = RunCli({"ifo", "show", empty});
  EXPECT_EQ(nothing.status, 1);
  EXPECT_EQ(nothing.err, "ERROR - No IFO files in folder [" + empty + "]\n");
  // A damaged file in the folder fails the whole command before anything is printed.
  const Bytes whole = BuildIfo();
  WriteFileBytes(folder + "/VTS_02_0.IFO", Bytes(whole.begin(), whole.begin() + 300));
  const CliRun damaged = RunCli({"ifo", "show", folder});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(damaged.out, "");
  EXPECT_EQ(RunCli({"ifo", "show", "--all", "--pgc", "2", vts}).status, 2);
}

// Only the palette bytes of the chosen chains change; the twin follows unless --no-bup.
TEST_F(IfoDiscCliTest, SetChosenChainsAndTheBackupTwin) {
  const Bytes original = ReadFileBytes(vts);
  const std::vector<std::size_t> chains = IfoChainPositions(disc);
  struct Case {
    std::vector<std::string> options;
    std::vector<std::size_t> changed;  // chains whose entry 5 becomes 108080
    bool twin;
  };
  const std::vector<Case> cases = {
      {{}, {0}, true},
      {{"--pgc", "3"}, {2}, true},
      {{"--pgc", "all"}, {0, 1, 2, 3, 4}, true},
      {{"--pgc=2", "--no-bup"}, {1}, false},
  };
  for (const Case& c : cases) {
    WriteFileBytes(vts, original);
    WriteFileBytes(bup, original);
    std::vector<std::string> args = {"--log-level", "3", "ifo", "set", vts, "-o", vts, "--entry", "5=108080"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliRun run = RunCli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes saved = ReadFileBytes(vts);
    std::set<std::size_t> changed, expected;
    for (std::size_t i = 0; i < saved.size(); ++i) {
      if (saved[i] != original[i]) changed.insert(i);
    }
    for (std::size_t chain : c.changed) {
      for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t at = chains[chain] + 4 * 5 + k;
        EXPECT_EQ(saved[at], (Bytes{0x10, 0x80, 0x80})[k]);
        if (original[at] != saved[at]) expected.insert(at);
      }
    }
    EXPECT_EQ(changed, expected) << run.err;
    EXPECT_FALSE(changed.empty());
    EXPECT_EQ(ReadFileBytes(bup), c.twin ? saved : original) << run.err;
    EXPECT_EQ(run.err.find("Data written to backup file [" + bup + "]") != std::string::npos, c.twin);
  }
  // Every chain of a video manager; its title chains do not exist.
  const std::string vmg = folder + "/VIDEO_TS.IFO";
  EXPECT_EQ(RunCli({"ifo", "set", vmg, "-o", vmg, "--entry", "0=108080"}).status, 1);
  ASSERT_EQ(RunCli({"ifo", "set", vmg, "-o", vmg, "--entry", "0=108080", "--pgc", "all"}).status, 0);
  const CliRun shown = RunCli({"ifo", "show", "--all", vmg});
  EXPECT_EQ(shown.out.substr(0, 19), "first-play: 108080 ");
  EXPECT_NE(shown.out.find("menu 1.1: 108080 "), std::string::npos);
  EXPECT_EQ(RunCli({"ifo", "set", vts, "-o", vts, "--entry", "0=108080", "--pgc", "some"}).status, 2);
}

TEST_F(IfoCliTest, UsageErrorsWriteNothing) {
  const std::string fifteen = "108080,108080,108080,108080,108080,108080,108080,108080,"
                              "108080,108080,108080,108080,108080,108080,108080";
  const std::vector<std::vector<std::string>> bad = {
      {"ifo"},
      {"ifo", "list", input},
      {"ifo", "show"},
      {"ifo", "show", input, "--xml"},
      {"ifo", "show", input, input},
      {"ifo", "set", input, "-o", output},
      {"ifo", "set", input, "--entry", "1=108080"},
      {"ifo", "set", "-o", output, "--entry", "1=108080"},
      {"ifo", "set", input, "-o", output, "--entry", "16=108080"},
      {"ifo", "set", input, "-o", output, "--entry", "-1=108080"},
      {"ifo", "set", input, "-o", output, "--entry", "1=10808"},
      {"ifo", "set", input, "-o", output, "--entry", "1=1080800"},
      {"ifo", "set", input, "-o", output, "--entry", "1=10808G"},
      {"ifo", "set", input, "-o", output, "--entry", "1=+08080"},
      {"ifo", "set", input, "-o", output, "--entry", "1=10 808"},
      {"ifo", "set", input, "-o", output, "--entry", "108080"},
      {"ifo", "set", input, "-o", output, "--entry"},
      {"ifo", "set", input, "-o", output, "--palette", fifteen},
      {"ifo", "set", input, "-o", output, "--palette", fifteen + ",108080,108080"},
      {"ifo", "set", input, "-o", output, "--palette", fifteen + ",xyz123"},
      {"ifo", "set", input, "-o", output, "--palette", fifteen + ",108080", "--palette-file", input},
      {"ifo", "set", input, "-o", output, "--palette-file"},
      {"ifo", "show", input, "--format", "ycrcb"},
      {"ifo", "show", input, "--format", "yuv", "--json"},
      {"ifo", "set", dir.Path(), "-o", output, "--pgc", "all", "--entry", "1=108080"},
  };
  for (const auto& args : bad) {
    const CliRun run = RunCli(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(run.status, 2) << joined << run.err;
    EXPECT_NE(run.err.find("' for more information.\n"), std::string::npos) << joined;
    // With --json the usage error is also a JSON object.
    EXPECT_EQ(run.out.empty(), std::find(args.begin(), args.end(), "--json") == args.end()) << joined;
    EXPECT_FALSE(FileExists(output)) << joined;
  }
  EXPECT_EQ(ReadFileBytes(input), BuildIfo());
}

TEST_F(IfoCliTest, SetFailuresExitWithOneAndLeaveTheTarget) {
  WriteFileBytes(output, {1, 2, 3});
  WriteFileBytes(dir.File("short.ifo"), {'D', 'V', 'D'});
  const CliRun bad = RunCli({"ifo", "set", dir.File("short.ifo"), "-o", output, "--entry", "1=108080"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "ERROR - Not a correct IFO file [" + dir.File("short.ifo") + "]\n");
  const std::string nowhere = dir.File("missing/out.ifo");
  const CliRun create = RunCli({"ifo", "set", input, "-o", nowhere, "--entry", "1=108080"});
  EXPECT_EQ(create.status, 1);
  EXPECT_EQ(create.err, "ERROR - Can't Create file [" + nowhere + "]\nvelmoran-cli: " + nowhere +
                            ": No such file or directory\n");
  EXPECT_EQ(ReadFileBytes(output), (Bytes{1, 2, 3}));
}

TEST(ColourCli, ConvertsBothWays) {
  const CliRun white = RunCli({"colour", "to-ycrcb", "255,255,255"});
  EXPECT_EQ(white.status, 0);
  EXPECT_EQ(white.out, "EB7F7F\n");
  EXPECT_EQ(RunCli({"colour", "to-ycrcb", "0,0,255"}).out, "286DEF\n");
  EXPECT_EQ(RunCli({"colour", "to-ycrcb", "5,126,2"}).out.substr(0, 2), "50") << "Y 80";
  const CliRun back = RunCli({"colour", "to-rgb", "EB7F7F"});
  EXPECT_EQ(back.status, 0);
  EXPECT_EQ(back.out, "253,255,252\n");
  EXPECT_EQ(RunCli({"colour", "to-rgb", "ffffff"}).out, "255,125,255\n");
  EXPECT_EQ(RunCli({"color", "to-rgb", "108080"}).out, "0,0,0\n");
}

TEST(Cli, VersionIsTheProjectsVersion) {
  const CliRun run = RunCli({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "velmoran-cli " VELMORAN_VERSION "\n");
}

TEST(ColourCli, RejectsBadValues) {
  const std::vector<std::vector<std::string>> bad = {
      {"colour"},
      {"colour", "to-hsv", "1,2,3"},
      {"colour", "to-ycrcb"},
      {"colour", "to-ycrcb", "256,0,0"},
      {"colour", "to-ycrcb", "-1,0,0"},
      {"colour", "to-ycrcb", "1,2"},
      {"colour", "to-ycrcb", "1,2,3,4"},
      {"colour", "to-ycrcb", "1,2,3", "extra"},
      {"colour", "to-rgb", "EB7F7"},
      {"colour", "to-rgb", "EB7F7FF"},
      {"colour", "to-rgb", "EB7G7F"},
      {"colour", "to-rgb", ""},
  };
  for (const auto& args : bad) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "") << args.back();
  }

  // A number is an optional '-' and decimal digits without a leading zero; too many digits are
  // out of range.
  const std::vector<std::pair<std::string, std::string>> numbers = {
      {"+5", "'+5' is not a number"},   {"05", "'05' is not a number"},
      {"-05", "'-05' is not a number"}, {"-0", "'-0' is not a number"},
      {"\t5", "'\t5' is not a number"}, {"\n5", "'\n5' is not a number"},
      {" 5", "' 5' is not a number"},   {"-", "'-' is not a number"},
      {"99999999999999999999", "99999999999999999999 is outside 0-255"},
      {"-2147483649", "-2147483649 is outside 0-255"},
  };
  for (const auto& [number, error] : numbers) {
    const CliRun run = RunCli({"colour", "to-ycrcb", "--", number + ",0,0"});
    EXPECT_EQ(run.status, 2) << number;
    EXPECT_EQ(run.err, "velmoran-cli: to-ycrcb: " + error +
                           "\nTry 'velmoran-cli colour to-ycrcb --help' for more information.\n");
  }
}

}  // namespace
