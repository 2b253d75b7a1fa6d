// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli sup show / sup remap, run as the executable.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "tests/support/RunProcess.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/PosixOnly.h"

namespace {

ProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), VELMORAN_CLI_PATH);
  return RunProcess(args);
}

// The "subtitles" list of sup show --json for `n` subtitles as the builder makes them by default:
// a second apart from 1 s, stopped by the second sequence, with an empty display area.
std::string DefaultSubtitles(int n) {
  std::string list;
  for (int i = 1; i <= n; ++i) {
    list += std::string(i > 1 ? ", " : "") + "{\"number\": " + std::to_string(i) + ", \"time\": " + std::to_string(90000 * i) +
            ", \"duration\": 102400, \"forced\": false, \"x\": 0, \"y\": 0, \"width\": 0, \"height\": 0}";
  }
  return "[" + list + "]";
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class SupCliTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string in = dir.File("in.sup");
  const std::string out = dir.File("out.sup");
};

TEST_F(SupCliTest, ShowPrintsCountAndFirstMapping) {
  SupLayout layout;
  WriteFileBytes(in, SupBuilder()
                         .Marker()
                         .Add({.colour = 0x4567, .contrast = 0x0FF0})
                         .Add(2, {})
                         .Build(&layout));
  const ProcessResult text = Cli({"sup", "show", in});
  EXPECT_EQ(text.exitStatus, 0);
  EXPECT_EQ(text.out, "subtitles: 3\ncolours: 7 6 5 4\nintensities: 0 15 15 0\nmappings: 2\n"
                      "mapping 1: colours 7 6 5 4 intensities 0 15 15 0 subtitles 1\n"
                      "mapping 2: colours 0 1 2 3 intensities 0 15 15 15 subtitles 2\n");
  EXPECT_EQ(text.err, FormatText("   1 - %08zX\n   2 - %08zX\n   3 - %08zX\nCmd3 - 4567\nCmd4 - 0FF0\n"
                                 "WARNING - 2 subtitles use other colours than the first [%s]\n",
                                 layout.packets[1].offset, layout.packets[2].offset,
                                 layout.packets[3].offset, in.c_str()) +
                          "SUP file loaded - [" + in + "]\n")
      << "the window's info lines pass the default level";

  const ProcessResult json = Cli({"sup", "show", "--json", in});
  EXPECT_EQ(json.exitStatus, 0);
  EXPECT_EQ(json.out, "{\"file\": \"" + in +
                          "\", \"subtitles\": " + DefaultSubtitles(3) + ", \"colours\": [7, 6, 5, 4], \"intensities\": [0, 15, 15, 0], "
                          "\"mappings\": [{\"colours\": [7, 6, 5, 4], \"intensities\": [0, 15, 15, 0], \"subtitles\": 1}, "
                          "{\"colours\": [0, 1, 2, 3], \"intensities\": [0, 15, 15, 15], \"subtitles\": 2}]}\n");

  // One mapping: no mapping lines in text; a missing command is null in JSON, dashes in text.
  WriteFileBytes(in, SupBuilder().Add(2, {}).Build());
  EXPECT_EQ(Cli({"sup", "show", in}).out, "subtitles: 2\ncolours: 0 1 2 3\nintensities: 0 15 15 15\n");
  EXPECT_NE(Cli({"sup", "show", in, "--json"}).out.find(
                "\"mappings\": [{\"colours\": [0, 1, 2, 3], \"intensities\": [0, 15, 15, 15], \"subtitles\": 2}]}"),
            std::string::npos);
  WriteFileBytes(in, SupBuilder().Add().Add({.colour = std::nullopt}).Build());
  EXPECT_NE(Cli({"sup", "show", in}).out.find("mapping 2: colours - - - - intensities 0 15 15 15 subtitles 1\n"),
            std::string::npos);
  EXPECT_NE(Cli({"sup", "show", in, "--json"}).out.find("{\"colours\": null, \"intensities\": [0, 15, 15, 15]"),
            std::string::npos);

  // A first subtitle without Cmd3 or Cmd4 gives null for that list.
  for (const auto& [packet, lists] : std::vector<std::pair<SupPacket, std::string>>{
           {{.colour = std::nullopt}, "\"colours\": null, \"intensities\": [0, 15, 15, 15]"},
           {{.contrast = std::nullopt}, "\"colours\": [0, 1, 2, 3], \"intensities\": null"}}) {
    WriteFileBytes(in, SupBuilder().Marker().Add(packet).Add().Build());
    EXPECT_EQ(Cli({"sup", "show", "--json", in}).out.find("{\"file\": \"" + in + "\", \"subtitles\": " + DefaultSubtitles(2) + ", " + lists + ", "),
              0u);
  }
}

TEST_F(SupCliTest, JsonKeepsUtf8FileNamesAndReplacesOtherBytes) {
  SKIP_ON_WINDOWS("file names that are not UTF-8");
  const auto bad = [](int count) {
    std::string text;
    while (count-- > 0) text += "\xEF\xBF\xBD";  // U+FFFD
    return text;
  };
  const std::vector<std::pair<std::string, std::string>> names = {
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x7F", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x7F"},
      {"\x80\xBF\xC1\xF5\xFF", bad(5)},                 // bytes that start nothing
      {"\xC0\xAF\xE0\x80\xAF\xF0\x8F\xBF\xBF", bad(9)},     // overlong
      {"\xED\xA0\x80\xF4\x90\x80\x80", bad(7)},         // surrogate, past U+10FFFF
      {"\xE2\x82x\xF0\x9F\x98", bad(1) + "x" + bad(1)},  // cut short
  };
  for (const auto& [name, shown] : names) {
    WriteFileBytes(dir.File(name), SupBuilder().Marker().Build());
    EXPECT_EQ(Cli({"sup", "show", "--json", dir.File(name)}).out,
              "{\"file\": \"" + dir.File(shown) +
                  "\", \"subtitles\": [], \"colours\": [0, 0, 0, 0], \"intensities\": [0, 0, 0, 0], "
                  "\"mappings\": []}\n")
        << shown;
  }
}

TEST_F(SupCliTest, ShowOfMarkerOnlyFileHasNoSubtitlesAndZeroMapping) {
  SKIP_ON_WINDOWS("a file name with a double quote");
  const std::string odd = dir.File("quote\" and %s.sup");
  WriteFileBytes(odd, SupBuilder().Marker().Build());
  const ProcessResult r = Cli({"sup", "show", odd});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "subtitles: 0\ncolours: 0 0 0 0\nintensities: 0 0 0 0\n");
  const ProcessResult json = Cli({"sup", "show", odd, "--json"});
  EXPECT_EQ(json.out, "{\"file\": \"" + dir.File("quote\\\" and %s.sup") +
                          "\", \"subtitles\": [], \"colours\": [0, 0, 0, 0], \"intensities\": [0, 0, 0, 0], "
                          "\"mappings\": []}\n");
}

TEST_F(SupCliTest, ShowFailsWithTheErrorLineOnStandardError) {
  const ProcessResult missing = Cli({"sup", "show", dir.File("missing.sup")});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.out, "");
  // The document's line, then the system's reason at the same level.
  EXPECT_EQ(missing.err, "ERROR - Can't open [" + dir.File("missing.sup") + "]\nvelmoran-cli: " +
                             dir.File("missing.sup") + ": No such file or directory\n");
#ifdef _WIN32
  const std::string folderReason = "Permission denied";  // what Windows says of a folder
#else
  const std::string folderReason = "Is a directory";
#endif
  EXPECT_EQ(Cli({"sup", "show", dir.Path()}).err, "ERROR - Can't open [" + dir.Path() +
                                                      "]\nvelmoran-cli: " + dir.Path() + ": " +
                                                      folderReason + "\n");

  WriteFileBytes(in, {'N', 'O', 'T', 'S', 'U', 'P'});
  const ProcessResult wrong = Cli({"sup", "show", "--json", in});
  EXPECT_EQ(wrong.exitStatus, 1);
  EXPECT_EQ(wrong.out, "{\"error\": \"ERROR - Not a SUP file [" + in + "]\", \"file\": \"" + in + "\"}\n");
  EXPECT_EQ(wrong.err, "ERROR - Not a SUP file [" + in + "]\n");
}

TEST_F(SupCliTest, RemapRewritesOnlyTheCommandWords) {
  SupLayout layout;
  const Bytes source = SupBuilder().Marker().Add(3, {.contrastFirst = true}).Add().Build(&layout);
  WriteFileBytes(in, source);
  const ProcessResult r = Cli({"sup", "remap", in, "-o", out, "--colours", "7,6,5,4",
                               "--intensities", "9,9,8,8"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "\nData written to SUP file [" + out + "]\nCmd3 - 4567\nCmd4 - 8899\n"));
  const Bytes saved = ReadFileBytes(out);
  ASSERT_EQ(saved.size(), source.size());
  std::set<std::size_t> changed, expected;
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i] != source[i]) changed.insert(i);
  }
  for (const SupPacketLayout& p : layout.Subtitles()) {
    expected.insert({*p.colourWord, *p.colourWord + 1, *p.contrastWord, *p.contrastWord + 1});
    EXPECT_EQ(saved[*p.colourWord], 0x45);
    EXPECT_EQ(saved[*p.contrastWord], 0x88);
  }
  EXPECT_EQ(changed, expected);
  EXPECT_EQ(ReadFileBytes(in), source);

  const ProcessResult shown = Cli({"sup", "show", out});
  EXPECT_EQ(shown.out, "subtitles: 4\ncolours: 7 6 5 4\nintensities: 9 9 8 8\n");
}

TEST_F(SupCliTest, RemapByEntryTranslatesEverySequenceAndKeepsEachSubtitlesOwnMapping) {
  SupLayout layout;
  const Bytes source = SupBuilder()
                           .Marker()
                           .Add({.colour = 0x3210, .later = {{0x03, 0x21, 0x10, 0xFF}}})
                           .Add({.colour = 0x1023, .contrast = 0x0FF0,
                                 .change = {{400, 410, {{0, 0x0231, 0xFFFF}}}}})
                           .Build(&layout);
  WriteFileBytes(in, source);
  const ProcessResult r =
      Cli({"sup", "remap", in, "-o", out, "--entries", "1=5,2=6", "--contrast=0=9,3=8", "--log-level", "3"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, "Data written to SUP file [" + out + "]\n2 of 2 subtitles changed\n"));
  const Bytes saved = ReadFileBytes(out);
  const std::vector<SupPacketLayout> subs = layout.Subtitles();
  auto word = [&saved](std::size_t at) { return saved[at] << 8 | saved[at + 1]; };
  EXPECT_EQ(word(*subs[0].colourWord), 0x3650);
  EXPECT_EQ(word(*subs[0].contrastWord), 0x8FF9) << "entries 0 and 3 get their contrast";
  EXPECT_EQ(word(*subs[1].colourWord), 0x5063);
  EXPECT_EQ(word(*subs[1].contrastWord), 0x09F8) << "slots of entries 3 and 0";
  const std::size_t end = subs[0].offset + subs[0].size;
  EXPECT_EQ(word(end - 3), 0x6550) << "the later sequence's colour command";
  EXPECT_TRUE(Contains(Cli({"sup", "show", out}).out, "mappings: 2\n")) << "each keeps its own mapping";

  // A subtitle that cannot be walked refuses the file: exit 1, nothing written.
  WriteFileBytes(in, SupBuilder().Add().Add({.later = {{0x03, 0x11, 0x11, 0xFF}}, .lastLink = LastLink::kBackward}).Build());
  WriteFileBytes(out, {'o', 'l', 'd'});
  const ProcessResult refused = Cli({"sup", "remap", in, "-o", out, "--entries", "1=2", "--log-level", "2"});
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_TRUE(Contains(refused.err, "ERROR - Can't walk the commands of subtitle 2 at ")) << refused.err;
  EXPECT_EQ(ReadFileBytes(out), (Bytes{'o', 'l', 'd'}));

  // The slot remap of the same kind of file warns about the later commands it leaves alone.
  WriteFileBytes(in, SupBuilder().Add().Add({.later = {{0x03, 0x11, 0x11, 0xFF}}}).Build());
  const ProcessResult slot = Cli({"sup", "remap", in, "-o", out, "--colours", "0,1,2,3", "--intensities", "0,15,15,15"});
  EXPECT_EQ(slot.exitStatus, 0);
  EXPECT_TRUE(Contains(slot.err, "WARNING - 1 subtitles have later colour or contrast commands, left unchanged [" +
                                     out + "]\n"));
}

TEST_F(SupCliTest, RemapCanWriteOverItsInput) {
  WriteFileBytes(in, SupBuilder().Marker().Add(2, {}).Build());
  const ProcessResult r = Cli({"sup", "remap", "--colours", "1,1,1,1", "--intensities", "2,2,2,2",
                               "-o", in, in});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(Cli({"sup", "show", in}).out, "subtitles: 2\ncolours: 1 1 1 1\nintensities: 2 2 2 2\n");
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"in.sup"});
}

// Names with letters beyond ASCII, given as the system writes paths (on Windows a drive letter
// and backslashes), reach the files and come back unchanged in the output.
TEST_F(SupCliTest, FileNamesBeyondAsciiInTheSystemsOwnPathForm) {
  const std::string name = NativePath(dir.File("Untertitel \u00fc\u00f1 \u5b57\u5e55.sup"));
  const std::string target = NativePath(dir.File("sortie \u00e9.sup"));
  WriteFileBytes(name, SupBuilder().Marker().Add(2, {}).Build());
  EXPECT_EQ(Cli({"sup", "remap", name, "-o", target, "--colours", "3,2,1,0", "--intensities",
                 "1,1,1,1"}).exitStatus, 0);
  EXPECT_EQ(Cli({"sup", "show", target}).out, "subtitles: 2\ncolours: 3 2 1 0\nintensities: 1 1 1 1\n");
  const std::string json = Cli({"sup", "show", "--json", name}).out;
  EXPECT_TRUE(Contains(json, "\u00fc\u00f1 \u5b57\u5e55.sup\"")) << json;
  EXPECT_EQ(ListFolder(dir.Path()),
            (std::vector<std::string>{"Untertitel \u00fc\u00f1 \u5b57\u5e55.sup", "sortie \u00e9.sup"}));
}

TEST_F(SupCliTest, FailedRemapLeavesTheOutputUntouched) {
  WriteFileBytes(in, SupBuilder().Marker().Add(2, {}).Add({.contrast = std::nullopt}).Build());
  WriteFileBytes(out, {'o', 'l', 'd'});
  const ProcessResult r = Cli({"sup", "remap", in, "-o", out, "--colours", "0,1,2,3",
                               "--intensities", "0,15,15,15", "--log-level", "2"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ERROR - Can't find Cmd4!!!\n");
  EXPECT_EQ(ReadFileBytes(out), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"in.sup", "out.sup"}));

  const ProcessResult missing = Cli({"sup", "remap", dir.File("none.sup"), "-o", out,
                                     "--colours", "0,1,2,3", "--intensities", "0,15,15,15"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err, "ERROR - Can't open [" + dir.File("none.sup") + "]\nvelmoran-cli: " +
                             dir.File("none.sup") + ": No such file or directory\n");
  EXPECT_EQ(ReadFileBytes(out), (Bytes{'o', 'l', 'd'}));
}

// A target the user may not write is refused, as a shell redirection would be; a device takes
// the bytes itself and reports its own error.
TEST_F(SupCliTest, AReadOnlyTargetIsRefusedAndADeviceReportsItsError) {
  SKIP_ON_WINDOWS("a second user and /dev/full");
  WriteFileBytes(out, {'o', 'l', 'd'});
  WriteFileBytes(in, SupBuilder().Add().Build());
  const auto remapTo = [&](const std::string& target) {
    return Cli({"sup", "remap", in, "-o", target, "--colours", "0,1,2,3", "--intensities",
                "0,15,15,15", "--log-level", "2"});
  };
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(out.c_str(), 0444), 0);
  EXPECT_EQ(RunUnprivileged([&] {
              const ProcessResult r = remapTo(out);
              return r.exitStatus == 1 && r.err == "ERROR - Can't Create [" + out + "]\nvelmoran-cli: " + out + ": Permission denied\n" ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ReadFileBytes(out), (Bytes{'o', 'l', 'd'}));
  const ProcessResult full = remapTo("/dev/full");
  EXPECT_EQ(full.exitStatus, 1);
  EXPECT_EQ(full.err, "ERROR - Writing to SUP file [/dev/full]\nvelmoran-cli: /dev/full: No space left on device\n");
}

// With --json a failure is also a JSON object on standard output, with the same exit status.
TEST_F(SupCliTest, JsonReportsFailuresOnStandardOutput) {
  const std::string missing = dir.File("missing.sup");
  for (const auto& [args, status, json] : std::vector<std::tuple<std::vector<std::string>, int, std::string>>{
           {{"sup", "show", "--json", missing}, 1,
            "{\"error\": \"ERROR - Can't open [" + missing + "]: No such file or directory\", \"file\": \"" + missing + "\"}\n"},
           {{"--log-level", "-1", "sup", "show", missing, "--json"}, 1,
            "{\"error\": \"ERROR - Can't open [" + missing + "]: No such file or directory\", \"file\": \"" + missing + "\"}\n"},
           {{"sup", "show", "--json", "--yaml", in}, 2, "{\"error\": \"sup show: unknown option '--yaml'\", \"file\": null}\n"},
           {{"vob", "scan", "--json", missing}, 1,
            "{\"error\": \"ERROR - Can't open [" + missing + "]: No such file or directory\", \"file\": \"" + missing + "\"}\n"},
           {{"sup", "show", missing}, 1, ""}}) {
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.exitStatus, status) << args.back();
    EXPECT_EQ(r.out, json) << args.back();
  }
}

// "-" as FILE reads standard input and "-o -" writes standard output: the same bytes as files.
TEST_F(SupCliTest, DashReadsStandardInputAndWritesStandardOutput) {
  const Bytes source = SupBuilder().Marker().Add({.colour = 0x3210}).Add().Build();
  WriteFileBytes(in, source);
  ASSERT_EQ(Cli({"sup", "remap", in, "-o", out, "--entries", "1=5"}).exitStatus, 0);
  ProcessOptions piped;
  piped.input = std::string(source.begin(), source.end());
  const ProcessResult r =
      RunProcess({VELMORAN_CLI_PATH, "sup", "remap", "-", "-o", "-", "--entries", "1=5"}, piped);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  const Bytes saved = ReadFileBytes(out);
  EXPECT_EQ(r.out, std::string(saved.begin(), saved.end()));
  EXPECT_EQ(RunProcess({VELMORAN_CLI_PATH, "sup", "show", "-"}, piped).out,
            "subtitles: 2\ncolours: 0 1 2 3\nintensities: 0 15 15 15\n");
}

// --dry-run makes every check, reports what would change and writes nothing.
TEST_F(SupCliTest, DryRunReportsAndWritesNothing) {
  WriteFileBytes(in, SupBuilder().Marker().Add({.colour = 0x3210}).Add({.colour = 0x4567}).Build());
  const ProcessResult r = Cli({"sup", "remap", in, "-o", out, "--entries", "1=5,2=6", "--dry-run"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "file: " + in + "\nsubtitles: 1\nbytes: 2\n");
  EXPECT_FALSE(FileExists(out));
  const ProcessResult slot = Cli({"sup", "remap", in, "-o", in, "--colours", "7,6,5,4",
                                  "--intensities", "0,15,15,15", "--dry-run"});
  EXPECT_EQ(slot.out, "file: " + in + "\nsubtitles: 1\nbytes: 2\n");
  WriteFileBytes(in, SupBuilder().Add().Add({.later = {{0x03, 0x11, 0x11, 0xFF}}, .lastLink = LastLink::kBackward}).Build());
  EXPECT_EQ(Cli({"sup", "remap", in, "-o", out, "--entries", "1=2", "--dry-run"}).exitStatus, 1)
      << "every check is made";
  EXPECT_FALSE(FileExists(out));
}

TEST_F(SupCliTest, UsageErrorsExitWithTwoAndWriteNothing) {
  WriteFileBytes(in, SupBuilder().Marker().Add().Build());
  const std::vector<std::vector<std::string>> cases = {
      {"sup"},
      {"sup", "list", in},
      {"sup", "show"},
      {"sup", "show", in, "--yaml"},
      {"sup", "show", in, in},
      {"sup", "remap", in, "--colours", "0,1,2,3", "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,2,3"},
      {"sup", "remap", "-o", out, "--colours", "0,1,2,3", "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,2,16", "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,2,3", "--intensities", "0,15,-1,15"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,2", "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,2,3,4", "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,x,3", "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,2,3", "--intensities", "0,15,15,15", "-z"},
      {"sup", "remap", in, "-o", out, "--colours", "0,1,2,3", "--intensities"},
      {"sup", "remap", in, "-o", out, "-o", out, "--colours", "0,1,2,3", "--intensities", "0,15,15,15"},
      {"sup", "show", in, "--json=yes"},
      {"sup", "remap", in, "-o", out, "--entries", "1=2", "--colours", "0,1,2,3"},
      {"sup", "remap", in, "-o", out, "--contrast", "1=2", "--intensities", "0,15,15,15"},
      {"sup", "remap", in, "-o", out, "--contrast", "1=2"},
      {"sup", "remap", in, "-o", out, "--entries", "1=16"},
      {"sup", "remap", in, "-o", out, "--entries", "1-2"},
      {"sup", "remap", in, "-o", out, "--entries", "1=2,1=3"},
      {"sup", "remap", in, "-o", out, "--entries", "1=2,"},
      {"sup", "remap", in, "-o", out, "--entries", "1=2", "--contrast", "x=1"},
      {"sup", "show", "--", in, "--json"},
  };
  for (const auto& args : cases) {
    const ProcessResult r = Cli(args);
    std::string joined;
    for (const std::string& a : args) joined += a + " ";
    EXPECT_EQ(r.exitStatus, 2) << joined;
    EXPECT_EQ(r.out, "") << joined;
    // One line, then where the usage is: not the whole usage.
    EXPECT_TRUE(Contains(r.err, "\nTry 'velmoran-cli ")) << joined << "\n" << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << joined << "\n" << r.err;
    EXPECT_FALSE(FileExists(out)) << joined;
  }
}

// Every command shares one rule: "--name=value" and "-o=value" as well as "--name value", and
// "--" ends the options, so a file whose name starts with '-' can be given.
TEST_F(SupCliTest, OptionsFollowOneRuleAndDoubleDashEndsThem) {
  const std::string dashed = dir.File("-in.sup");
  WriteFileBytes(dashed, SupBuilder().Add().Build());
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  const ProcessResult r = Cli({"sup", "remap", "--colours=4,5,6,7", "--intensities", "0,15,15,15",
                               "-o=" + out, "--log-level=2", "--", "-in.sup"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(Cli({"sup", "show", "--json", out}).out.find("\"colours\": [4, 5, 6, 7]"), std::string::npos);
}

TEST_F(SupCliTest, LogLevelChoosesTheLinesOnStandardError) {
  WriteFileBytes(in, SupBuilder().Add(2, {}).Build());  // no marker: a warning
  const std::string warning = "WARNING - Not a QUENLIX SUP file [" + in + "]\n";

  const std::string info = FormatText("   1 - 00000000\n   2 - %08zX\nCmd3 - 3210\nCmd4 - FFF0\n",
                                      ReadFileBytes(in).size() / 2);

  const std::string loaded = "SUP file loaded - [" + in + "]\n";

  EXPECT_EQ(Cli({"sup", "show", in}).err, warning + info + loaded) << "default level 4";
  EXPECT_EQ(Cli({"--log-level", "2", "sup", "show", in}).err, "");
  EXPECT_EQ(Cli({"sup", "show", in, "-q"}).err, "") << "-q is --log-level 2";
  EXPECT_EQ(Cli({"--quiet", "sup", "show", in}).err, "");
  EXPECT_EQ(Cli({"-v", "sup", "show", in}).err, Cli({"--log-level", "5", "sup", "show", in}).err);
  EXPECT_EQ(Cli({"sup", "show", "--verbose", in}).err, Cli({"--log-level", "5", "sup", "show", in}).err);
  const ProcessResult three = Cli({"sup", "show", in, "--log-level=3"});
  EXPECT_EQ(three.err, info + loaded) << "the warning is above level 3";
  EXPECT_EQ(three.out, "subtitles: 2\ncolours: 0 1 2 3\nintensities: 0 15 15 15\n");

  const std::string missing = dir.File("missing.sup");
  EXPECT_EQ(Cli({"--log-level", "-1", "sup", "show", missing}).err, "");
  EXPECT_EQ(Cli({"--log-level", "-1", "sup", "show", missing}).exitStatus, 1);

  const ProcessResult detail = Cli({"--log-level", "5", "sup", "remap", in, "-o", out, "--colours",
                                    "0,1,2,3", "--intensities", "0,15,15,15"});
  EXPECT_EQ(detail.exitStatus, 0);
  EXPECT_TRUE(Contains(detail.err, "Colour Data = 3210\nIntensity Data = FFF0\n   1 - 00000000\n   2 - "));
  EXPECT_FALSE(Contains(detail.err, " 03[")) << "word lines are debug lines";
  const ProcessResult debug = Cli({"--log-level", "6", "sup", "remap", in, "-o", out, "--colours",
                                   "0,1,2,3", "--intensities", "0,15,15,15"});
  EXPECT_TRUE(Contains(debug.err, "   1 - 00000000\n   0 - 0000"));
  EXPECT_TRUE(Contains(debug.err, " 03[3210]\n"));
  EXPECT_TRUE(Contains(debug.err, " 04[FFF0]\n"));
  EXPECT_TRUE(Contains(debug.err, "Data written to SUP file [" + out + "]\nCmd3 - 3210\nCmd4 - FFF0\n"));
}

}  // namespace
