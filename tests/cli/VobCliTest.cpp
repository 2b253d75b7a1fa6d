// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli vob scan and vob remap through the executable: output, JSON, failures, usage,
// Ctrl-C.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"
#include "tests/support/PosixOnly.h"

namespace {

struct Outcome {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs velmoran-cli with `args`. When `interruptWhen` is given, sends SIGINT once it returns
// true for the standard error read so far.
Outcome RunCli(const std::vector<std::string>& args,
               const std::function<bool(const std::string&)>& interruptWhen = {}) {
  std::vector<std::string> argv = {VELMORAN_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  ProcessOptions options;
  options.timeoutSeconds = 30;
  options.interruptWhen = interruptWhen;
  const ProcessResult result = RunProcess(argv, options);
  return {result.exitStatus, result.out, result.err};
}

// The 16 table rows with every entry unused, then the given rows replaced.
std::string Table(const std::vector<std::pair<int, std::string>>& rows) {
  std::vector<std::string> lines;
  for (int i = 0; i < 16; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d  -  -  -  -", i);
    lines.push_back(text);
  }
  for (const auto& [index, row] : rows) lines[index] = row;
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

class VobCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    two_ = dir_.File("two.vob");
    WriteFileBytes(two_, VobBuilder()
                             .NavPack()
                             .Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0))
                             .VideoPack()
                             .Unit(1, MakeSubpictureUnit(0xA9A9, 0x5F5F, 4000))
                             .Data());
    one_ = dir_.File("one.vob");
    WriteFileBytes(one_, VobBuilder().Unit(0, MakeSubpictureUnit(0x4444, 0x7777)).Data());
  }

  TempDir dir_;
  std::string two_;
  std::string one_;
};

TEST_F(VobCliTest, PrintsCountAndTableOfEachFileOnItsOwn) {
  const Outcome first = RunCli({"vob", "scan", two_, one_});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "Processing VOB file [" + two_ + "]\nStopping after first subtitle found!!!\n" +
                           "Processing VOB file [" + one_ +
                           "]\nStopping after first subtitle found!!!\n")
      << "the log at its default level, and no progress bar: standard error is not a terminal";
  EXPECT_EQ(RunCli({"--log-level", "2", "vob", "scan", two_}).err, "");
  EXPECT_EQ(first.out, "file: " + two_ + "\nsubtitles: 1\n" +
                           Table({{0, "00  0  -  -  -"},
                                  {1, "01  - 15  -  -"},
                                  {2, "02  -  - 15  -"},
                                  {3, "03  -  -  - 15"}}) +
                           "file: " + one_ + "\nsubtitles: 1\n" + Table({{4, "04  7  7  7  7"}}));

  const Outcome all = RunCli({"vob", "scan", "--all", two_});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out, "file: " + two_ + "\nsubtitles: 2\n" +
                         Table({{0, "00  0  -  -  -"},
                                {1, "01  - 15  -  -"},
                                {2, "02  -  - 15  -"},
                                {3, "03  -  -  - 15"},
                                {9, "09 15  - 15  -"},
                                {10, "10  -  5  -  5"}}));
}

// Row i of a comma-separated list of 16 usage rows.
std::string SplitRow(const std::string& rows, int i) {
  std::size_t at = 0;
  for (int k = 0; k < i; ++k) at = rows.find("], [", at) + 3;
  return rows.substr(at, rows.find(']', at) + 1 - at);
}

TEST_F(VobCliTest, JsonHasEveryFileAndNullForUnused) {
  const Outcome r = RunCli({"vob", "scan", "--json", one_, "--all", two_});
  EXPECT_EQ(r.status, 0);
  std::string rows1;
  std::string rows2;
  for (int i = 0; i < 16; ++i) {
    const std::string sep = i > 0 ? ", " : "";
    rows1 += sep + (i == 4 ? "[7, 7, 7, 7]" : "[null, null, null, null]");
    const char* row2 = "[null, null, null, null]";
    if (i == 0) row2 = "[0, null, null, null]";
    if (i == 1) row2 = "[null, 15, null, null]";
    if (i == 2) row2 = "[null, null, 15, null]";
    if (i == 3) row2 = "[null, null, null, 15]";
    if (i == 9) row2 = "[15, null, 15, null]";
    if (i == 10) row2 = "[null, 5, null, 5]";
    rows2 += sep + row2;
  }
  // Per stream: two.vob's units lie on streams 0 and 1, each with its own table.
  std::string stream0, stream1;
  for (int i = 0; i < 16; ++i) {
    const std::string sep = i > 0 ? ", " : "";
    stream0 += sep + (i < 4 ? SplitRow(rows2, i) : "[null, null, null, null]");
    stream1 += sep + (i == 9 || i == 10 ? SplitRow(rows2, i) : "[null, null, null, null]");
  }
  EXPECT_EQ(r.out, "{\"files\": [{\"file\": \"" + one_ + "\", \"subtitles\": 1, \"usage\": [" +
                       rows1 + "], \"streams\": [{\"stream\": 0, \"subtitles\": 1, \"dropped\": 0, \"usage\": [" + rows1 +
                       "]}]}, {\"file\": \"" + two_ + "\", \"subtitles\": 2, \"usage\": [" + rows2 +
                       "], \"streams\": [{\"stream\": 0, \"subtitles\": 1, \"dropped\": 0, \"usage\": [" + stream0 +
                       "]}, {\"stream\": 1, \"subtitles\": 1, \"dropped\": 0, \"usage\": [" + stream1 + "]}]}]}\n");
}

// A folder stands for its VOB files in name order; VTS_01_1 continues into VTS_01_2, so the unit
// split between them is counted in the first; --units gives the facts of every unit.
TEST_F(VobCliTest, FoldersContinuingPartsAndUnits) {
  const std::string disc = dir_.File("VIDEO_TS");
  ASSERT_EQ(::mkdir(disc.c_str(), 0755), 0);
  const Bytes unit = MakeSubpictureUnit(0x3210, 0xFFF0, 5000);
  const std::vector<Bytes> blocks = VobBuilder::UnitBlocks(3, unit, 90000);
  ASSERT_EQ(blocks.size(), 3u);
  WriteFileBytes(disc + "/VTS_01_1.VOB", VobBuilder().NavPack().Block(blocks[0]).Data());
  WriteFileBytes(disc + "/vts_01_2.vob",
                 VobBuilder().Blocks({blocks[1], blocks[2]}).Unit(0, MakeSubpictureUnit(0x4444, 0x7777)).Data());
  WriteFileBytes(disc + "/VIDEO_TS.IFO", {1, 2, 3});
  const Outcome r = RunCli({"vob", "scan", "--all", "--json", "--units", disc});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string first = "{\"file\": \"" + disc + "/VTS_01_1.VOB\", \"subtitles\": 1,";
  EXPECT_EQ(r.out.find("{\"files\": [" + first), 0u) << r.out;
  EXPECT_NE(r.out.find("\"units\": [{\"stream\": 3, \"offset\": 2048, \"pts\": 90000, \"cmd3\": 12816, "
                       "\"cmd4\": 65520, \"size\": " + std::to_string(unit.size()) + ", \"forced\": false}]}, {\"file\": \"" +
                       disc + "/vts_01_2.vob\", \"subtitles\": 1,"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"units\": [{\"stream\": 0, \"offset\": 4096, \"pts\": 0, \"cmd3\": 17476, "
                       "\"cmd4\": 30583, \"size\": "),
            std::string::npos)
      << r.out;

  // Given out of order, the parts are put in order; alone, the first drops the unit it can't end.
  const Outcome apart = RunCli({"vob", "scan", "--all", disc + "/vts_01_2.vob", disc + "/VTS_01_1.VOB"});
  EXPECT_EQ(apart.out.find("file: " + disc + "/VTS_01_1.VOB\nsubtitles: 1\n"), 0u) << apart.err;
  const Outcome alone = RunCli({"vob", "scan", "--all", "--json", disc + "/VTS_01_1.VOB"});
  EXPECT_NE(alone.out.find("{\"stream\": 3, \"subtitles\": 0, \"dropped\": 1,"), std::string::npos) << alone.out;

  const std::string empty = dir_.File("empty");
  ASSERT_EQ(::mkdir(empty.c_str(), 0755), 0);
  const Outcome none = RunCli({"vob", "scan", one_, empty});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "ERROR - No VOB files in folder [" + empty + "]\n");
  const Outcome unitsAlone = RunCli({"vob", "scan", "--units", one_});
  EXPECT_EQ(unitsAlone.status, 2) << "--units needs --json";
}

TEST_F(VobCliTest, AFileWithoutSubtitlesIsReportedAndTheRunGoesOn) {
  const std::string none = dir_.File("none.vob");
  WriteFileBytes(none, VobBuilder().VideoPack().AudioPack().Data());
  const Outcome r = RunCli({"--log-level", "3", "vob", "scan", none, one_});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "file: " + none + "\nsubtitles: 0\n" + Table({}) + "file: " + one_ +
                       "\nsubtitles: 1\n" + Table({{4, "04  7  7  7  7"}}));
  EXPECT_EQ(r.err, "Processing VOB file [" + none + "]\nFound 0 subtitles!\nProcessing VOB file [" +
                       one_ + "]\nStopping after first subtitle found!!!\n");
}

TEST_F(VobCliTest, AFileThatCannotBeScannedStopsTheRun) {
  const std::string missing = dir_.File("missing.vob");
  Outcome r = RunCli({"vob", "scan", missing, one_});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ERROR - Can't open [" + missing + "]\nvelmoran-cli: " + missing + ": No such file or directory\n");

  const std::string broken = dir_.File("broken.vob");
  WriteFileBytes(broken, VobBuilder().Unit(0, MakeSubpictureUnit(0, 0, 16, false, true)).Data());
  r = RunCli({"--log-level", "2", "vob", "scan", "--json", one_, broken});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "{\"error\": \"ERROR - Can't find Cmd3 in file!!!\", \"file\": null}\n")
      << "no half JSON document, the error instead";
  EXPECT_EQ(r.err, "ERROR - Can't find Cmd3 in file!!!\n");
}

TEST_F(VobCliTest, UsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"vob"}, {"vob", "scan"}, {"vob", "list", one_},
        {"vob", "scan", "--first", one_}, {"vob", "scan", "--all"}, {"vob", "remap", one_},
        {"vob", "remap", "--entries", "1=2"}, {"vob", "remap", one_, "--entries", "1=16"},
        {"vob", "remap", one_, "--stream", "32", "--entries", "1=2"},
        {"vob", "remap", one_, two_, "-o", dir_.File("out.vob"), "--entries", "1=2"},
        {"vob", "extract", one_}, {"vob", "extract", one_, "-o", dir_.File("out.txt")},
        {"vob", "extract", "-o", dir_.File("out.sup")}}) {
    const Outcome r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("' for more information.\n"), std::string::npos);
  }
}

// The bytes are proved by the extraction's own tests; here the wiring, the report and refusals.
TEST_F(VobCliTest, ExtractWritesTheFirstStreamOrRefusesWritingNothing) {
  const std::string out = dir_.File("out.sup");
  Outcome r = RunCli({"vob", "extract", two_, "-o", out});
  EXPECT_EQ(r.out, "stream: 0\nsubtitles: 1\n") << r.err;
  r = RunCli({"-q", "vob", "extract", two_, "-o", "-", "--stream", "1", "--absolute"});
  EXPECT_EQ(r.err, "stream: 1\nsubtitles: 1\n");
  EXPECT_EQ(r.out.substr(0, 2), "SP");
  EXPECT_EQ(RunCli({"vob", "extract", two_, "-o", dir_.File("out.idx")}).status, 0);
  EXPECT_EQ(RunCli({"vobsub", "to-sup", dir_.File("out.idx"), "-o", dir_.File("back.sup")}).status, 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("back.sup")), ReadFileBytes(out)) << "the same bytes both ways";
  r = RunCli({"-q", "vob", "extract", two_, "-o", dir_.File("new.sup"), "--forced-only"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR - No forced subtitles in stream 0\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("new.sup")));
}

TEST_F(VobCliTest, RemapPrintsEachFileAndChangesOnlyTheChosenStream) {
  const std::string out = dir_.File("out.vob");
  const Bytes two = ReadFileBytes(two_);
  Outcome r = RunCli({"vob", "remap", two_, "-o", out, "--stream", "1", "--entries", "9=4,10=5,0=7",
                      "--contrast", "9=3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "file: " + two_ + "\nremapped: 1\n");
  EXPECT_EQ(ReadFileBytes(two_), two);
  // Stream 1: colour A9A9 -> 5454, contrast 5F5F -> 5353 where the colour was 9; stream 0 stays.
  EXPECT_EQ(ReadFileBytes(out), VobBuilder()
                                    .NavPack()
                                    .Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0))
                                    .VideoPack()
                                    .Unit(1, MakeSubpictureUnit(0x5454, 0x5353, 4000))
                                    .Data());
  // "-o -": the same copy on standard output, the report on standard error.
  r = RunCli({"vob", "remap", two_, "-o", "-", "--stream", "1", "--entries", "9=4,10=5,0=7", "--contrast", "9=3"});
  const Bytes copy = ReadFileBytes(out);
  EXPECT_EQ(r.out, std::string(copy.begin(), copy.end()));
  EXPECT_NE(r.err.find("file: " + two_ + "\nremapped: 1\n"), std::string::npos) << r.err;

  r = RunCli({"vob", "remap", one_, two_, "--entries", "4=1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "file: " + one_ + "\nremapped: 1\nfile: " + two_ + "\nremapped: 0\n");
  EXPECT_EQ(ReadFileBytes(one_), VobBuilder().Unit(0, MakeSubpictureUnit(0x1111, 0x7777)).Data());
  EXPECT_EQ(ReadFileBytes(two_), two);

  // A folder (here a disc's root) stands for its title VOBs only: the menus keep their subtitles.
  const std::string videoTs = dir_.File("disc/VIDEO_TS");
  ASSERT_TRUE(std::filesystem::create_directories(videoTs));
  const Bytes menu = VobBuilder().Unit(0, MakeSubpictureUnit(0x4444, 0x7777)).Data();
  for (const char* name : {"VIDEO_TS.VOB", "VTS_01_0.VOB", "VTS_01_1.VOB", "vts_02_1.vob"}) WriteFileBytes(videoTs + "/" + name, menu);
  r = RunCli({"vob", "remap", dir_.File("disc"), "--entries", "4=1"});
  EXPECT_EQ(r.out, "file: " + videoTs + "/VTS_01_1.VOB\nremapped: 1\nfile: " + videoTs + "/vts_02_1.vob\nremapped: 1\n");
  for (const char* name : {"VIDEO_TS.VOB", "VTS_01_0.VOB"}) EXPECT_EQ(ReadFileBytes(videoTs + "/" + name), menu);

  // A dry run plans every file and reports it; nothing is written.
  r = RunCli({"vob", "remap", one_, two_, "--entries", "1=4", "--dry-run"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "file: " + one_ + "\nremapped: 1\nbytes: 2\nfile: " + two_ + "\nremapped: 1\nbytes: 1\n");
  EXPECT_EQ(ReadFileBytes(one_), VobBuilder().Unit(0, MakeSubpictureUnit(0x1111, 0x7777)).Data());
  EXPECT_EQ(ReadFileBytes(two_), two);
  EXPECT_EQ(RunCli({"vob", "remap", "-", "--entries", "1=4"}).status, 2) << "no VOB from a pipe";

  // A file that can't be remapped fails the run: no file changes.
  const std::string cut = dir_.File("cut.vob");
  WriteFileBytes(cut, VobBuilder::UnitBlocks(0, MakeSubpictureUnit(0x1111, 0x7777, 3000))[0]);
  r = RunCli({"--log-level", "2", "vob", "remap", one_, cut, "--entries", "1=4"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ERROR - Stream 0 unit at 00000000: not complete at the end of the file [" + cut + "]\n");
  EXPECT_EQ(ReadFileBytes(one_), VobBuilder().Unit(0, MakeSubpictureUnit(0x1111, 0x7777)).Data());
}

// A name with a newline stays on one line in the results and the log; results that can't all be
// written (a full disk) fail the command with the system's reason.
TEST_F(VobCliTest, EveryNameStaysOnOneLineAndStandardOutputIsChecked) {
  SKIP_ON_WINDOWS("newlines in file names and /dev/full");
  const std::string odd = dir_.File("a\nb.vob");
  const std::string shown = dir_.File("a\\nb.vob");
  WriteFileBytes(odd, ReadFileBytes(one_));
  const Outcome r = RunCli({"--log-level", "3", "vob", "remap", odd, "--entries", "4=1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "file: " + shown + "\nremapped: 1\n");
  EXPECT_NE(r.err.find("Processing VOB file [" + shown + "]\n"), std::string::npos) << r.err;

  const ProcessResult full =
      RunProcess({"/bin/sh", "-c", "\"$0\" --log-level 2 vob scan \"$1\" > /dev/full",
                  VELMORAN_CLI_PATH, one_});
  EXPECT_EQ(full.exitStatus, 1);
  EXPECT_EQ(full.err, "velmoran-cli: standard output: No space left on device\n");
}

// SIGTERM, SIGINT, SIGHUP and SIGQUIT are held through a run: sent while the in-place write
// waits between the first file and the second, they cancel it, every byte written is put back
// and the status is 128 + the first. With -o, signals in the scan leave no temporary file.
#ifndef _WIN32  // POSIX signals
TEST_F(VobCliTest, SignalsAreHeldThroughARemapAndLeaveEveryFileWhole) {
  const Bytes one = ReadFileBytes(one_), two = ReadFileBytes(two_);
  const auto run = [&](const std::vector<std::string>& args, std::optional<std::size_t> room) {
    ProcessOptions options;
    options.interruptAtStderrRoom = room;
    options.interruptSignals = {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGINT};
    std::vector<std::string> argv = {VELMORAN_CLI_PATH, "--log-level", "5", "vob", "remap"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, options);
  };
  const std::vector<std::string> inPlace = {one_, two_, "--entries", "4=1,0=2"};
  const std::string whole = run(inPlace, std::nullopt).err, firstWrite = "Writing to [" + one_ + "]\n";
  ASSERT_NE(whole.find(firstWrite), std::string::npos) << whole;
  WriteFileBytes(one_, one);
  WriteFileBytes(two_, two);
  // Signals pending together arrive in the system's order: the status names one of them.
  const std::set<int> sent = {128 + SIGHUP, 128 + SIGINT, 128 + SIGQUIT, 128 + SIGTERM};
  const ProcessResult held = run(inPlace, whole.find(firstWrite) + firstWrite.size());
  EXPECT_EQ(sent.count(held.exitStatus), 1u) << held.exitStatus << held.err;
  EXPECT_EQ(ReadFileBytes(one_), one);
  EXPECT_EQ(ReadFileBytes(two_), two);

  const ProcessResult copy = run({two_, "-o", dir_.File("out.vob"), "--entries", "0=2"}, ("Processing VOB file [" + two_ + "]\n").size());
  EXPECT_EQ(sent.count(copy.exitStatus), 1u) << copy.exitStatus << copy.err;
  EXPECT_EQ(ListFolder(dir_.Path()), (std::vector<std::string>{"one.vob", "two.vob"})) << "no copy, no temporary file";
}
#endif

TEST_F(VobCliTest, CtrlCCancelsTheScanWithStatus130) {
  SKIP_ON_WINDOWS("SIGINT sent to the child");
  // 8 GiB of zeros in a sparse file: long enough to interrupt, nothing to store.
  struct stat info {};
  const std::string folder = ::stat("/dev/shm", &info) == 0 ? "/dev/shm" : dir_.Path();
  const std::string big = folder + "/velmoran-cli-" + std::to_string(::getpid()) + ".vob";
  struct Remove {
    std::string path;
    ~Remove() { ::unlink(path.c_str()); }
  } remove{big};
  WriteFileBytes(big, {});
  ASSERT_EQ(::truncate(big.c_str(), 8LL << 30), 0);

  // Interrupt once the big file's scan has started.
  const Outcome c =
      RunCli({"vob", "scan", "--all", one_, big, one_},
             [&](const std::string& err) {
               return err.find("Processing VOB file [" + big + "]") != std::string::npos;
             });
  EXPECT_EQ(c.status, 130) << c.err;
  EXPECT_NE(c.err.find("WARNING - Cancel button pressed process aborted!"), std::string::npos);
  EXPECT_EQ(c.err, "Processing VOB file [" + one_ + "]\nFound 1 subtitles!\nProcessing VOB file [" +
                       big + "]\nWARNING - Cancel button pressed process aborted!\n")
      << "the third file is not scanned";
  EXPECT_EQ(c.out, "file: " + one_ + "\nsubtitles: 1\n" + Table({{4, "04  7  7  7  7"}}))
      << "the first file's result, nothing after the interrupted one";

  // A remap cancelled while it plans writes nothing.
  const Bytes one = ReadFileBytes(one_);
  const Outcome remap = RunCli({"vob", "remap", one_, big, "--entries", "4=1"}, [&](const std::string& err) {
    return err.find("Processing VOB file [" + big + "]") != std::string::npos;
  });
  EXPECT_EQ(remap.status, 130) << remap.err;
  EXPECT_EQ(remap.out, "");
  EXPECT_EQ(ReadFileBytes(one_), one);
}

// Standard error has room for the first log line only, so the scan waits to write its last one
// ("Stopping after first subtitle found!!!"), after its last look for a Ctrl-C; one lands there.
TEST_F(VobCliTest, CtrlCAfterTheLastLookStillCancels) {
  SKIP_ON_WINDOWS("watches the program through /proc and sends SIGINT");
  ProcessOptions options;
  options.timeoutSeconds = 30;
  options.interruptAtStderrRoom = ("Processing VOB file [" + one_ + "]\n").size();
  const ProcessResult r = RunProcess({VELMORAN_CLI_PATH, "vob", "scan", "--json", one_}, options);
  EXPECT_EQ(r.exitStatus, 130) << r.err;
  EXPECT_EQ(r.out, "") << "no result";
  EXPECT_EQ(r.err.rfind("Processing VOB file [" + one_ + "]\n", 0), 0u) << r.err;
}

}  // namespace

namespace {

// The progress bar is drawn only when standard error is a terminal: `script` gives the scan a
// pseudo-terminal, a pipe gives it none.
TEST_F(VobCliTest, ProgressBarOnlyOnATerminal) {
  const std::string command = std::string(VELMORAN_CLI_PATH) + " --log-level 5 vob scan --all " + two_;
  ProcessResult onTerminal;
  try {
    onTerminal = RunProcess({"script", "-qec", command, "/dev/null"});
  } catch (const std::exception& error) {
    GTEST_SKIP() << "script (util-linux) is needed for a pseudo-terminal: " << error.what();
  }
  ASSERT_EQ(onTerminal.exitStatus, 0) << onTerminal.out;
  EXPECT_NE(onTerminal.out.find("\r["), std::string::npos) << "a bar is drawn";
  EXPECT_NE(onTerminal.out.find("subtitles: 2"), std::string::npos);
  // Each log line clears the bar and draws it again after; the run ends with the bar cleared. So
  // a drawn bar is always followed by a carriage return, and a line that came in by one.
  EXPECT_FALSE(std::regex_search(onTerminal.out, std::regex("\\r\\[[#-]+\\][^\\r]*\\x1b\\[K(?!\\r)")))
      << onTerminal.out;
  EXPECT_NE(onTerminal.out.find("\r\x1b[K     1 - 00000800(01BD)\r\n\r["), std::string::npos)
      << onTerminal.out;
  const ProcessResult noBar = RunProcess({"script", "-qec", command + " --no-progress", "/dev/null"});
  EXPECT_EQ(noBar.out.find("\r["), std::string::npos) << noBar.out;
  EXPECT_NE(noBar.out.find("subtitles: 2"), std::string::npos) << noBar.out;

  const Outcome piped = RunCli({"vob", "scan", "--all", two_});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err.find("\r["), std::string::npos) << "no bar into a pipe";

  // A VOB read from a pipe has no size: it is read to its end, the bar counting mebibytes.
  const ProcessResult fromPipe = RunProcess(
      {"script", "-qec", "bash -c '" + command.substr(0, command.size() - two_.size()) + "<(cat " + two_ + ")'",
       "/dev/null"});
  EXPECT_NE(fromPipe.out.find("subtitles: 2"), std::string::npos) << fromPipe.out;
  EXPECT_NE(fromPipe.out.find("] 0 MiB Processing"), std::string::npos) << fromPipe.out;
}

}  // namespace
