// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli sup to-vobsub and vobsub: round trips byte for byte, and the pairs written as
// ffprobe, mkvmerge and mkvextract read them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/IfoBuilder.h"
#include "tests/support/RunProcess.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/TempDir.h"

namespace {

ProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), VELMORAN_CLI_PATH);
  return RunProcess(args);
}

bool HasTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// A SUP file with a marker and subtitles of one to three packs, at whole-millisecond times
// (an MKV keeps milliseconds) but for the one `oddTime` gives, when not 0.
Bytes SampleSup(std::uint32_t oddTime = 0) {
  SupBuilder sup;
  sup.Marker();
  for (int i = 0; i < 6; ++i) {
    SupPacket packet;
    packet.image = StripedImage(40 + 90 * i, 30 + 10 * i, static_cast<unsigned>(i));
    packet.forced = i == 2;
    packet.timestamp = i == 3 && oddTime != 0 ? oddTime : static_cast<std::uint32_t>(90 * (1000 + 2345 * i));
    sup.Add(packet);
  }
  return sup.Build();
}

// The file without its marker packet: what a round trip gives back.
Bytes WithoutMarker(const Bytes& sup) {
  SupLayout layout;
  SupBuilder().Marker().Build(&layout);
  return Bytes(sup.begin() + static_cast<std::ptrdiff_t>(layout.packets[0].size), sup.end());
}

std::string Text(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(VobSubCliTest, SupToVobSubAndBackGivesTheSamePackets) {
  TempDir dir;
  const Bytes sup = SampleSup(0xFEDCBA98);  // a time beyond 2^31 and not whole milliseconds
  WriteFileBytes(dir.File("in.sup"), sup);
  ProcessResult r = Cli({"sup", "to-vobsub", dir.File("in.sup"), "-o", dir.File("v.idx"), "--language", "de"});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "subtitles: 6\n");
  r = Cli({"vobsub", "to-sup", dir.File("v.idx"), "-o", dir.File("back.sup")});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir.File("back.sup")), WithoutMarker(sup));
  r = Cli({"vobsub", "show", dir.File("v.idx")});
  EXPECT_EQ(r.out.substr(0, r.out.find("palette:")), "stream 0: language de subtitles 6 forced 1\nsize: 720x576\n");
  EXPECT_EQ(r.err, "") << "the .sub's scan says nothing at the default level";
  Bytes ifo = BuildIfo();
  ifo[0x200] = 0x00;  // --ifo: the size from the title set's video, NTSC 704 wide
  ifo[0x201] = 0x04;
  WriteFileBytes(dir.File("VTS_01_0.IFO"), ifo);
  r = Cli({"sup", "to-vobsub", dir.File("in.sup"), "-o", dir.File("n.idx"), "--ifo", dir.File("VTS_01_0.IFO")});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(Text(dir.File("n.idx")).find("\nsize: 704x480\n"), std::string::npos);
}

TEST(VobSubCliTest, BadPairsFailWithNothingWritten) {
  TempDir dir;
  WriteFileBytes(dir.File("in.sup"), SampleSup());
  ASSERT_EQ(Cli({"sup", "to-vobsub", dir.File("in.sup"), "-o", dir.File("v.idx")}).exitStatus, 0);
  const std::string out = dir.File("out.sup");
  EXPECT_EQ(Cli({"vobsub", "to-sup", dir.File("v.idx"), "-o", out, "--stream", "1"}).exitStatus, 1);
  EXPECT_EQ(Cli({"vobsub", "remap", dir.File("v.idx"), "--stream", "3", "--entries", "1=2"}).exitStatus, 1);
  EXPECT_EQ(Cli({"sup", "to-vobsub", dir.File("in.sup"), "-o", dir.File("v.sub")}).exitStatus, 2);
  std::rename(dir.File("v.sub").c_str(), dir.File("w.sub").c_str());
  EXPECT_EQ(Cli({"vobsub", "to-sup", dir.File("v.idx"), "-o", out}).exitStatus, 1);
  EXPECT_EQ(Cli({"vobsub", "show", "-"}).exitStatus, 2);
  EXPECT_FALSE(FileExists(out));
}

TEST(VobSubCliTest, SetChangesThePaletteLineOnlyAndRemapUsesTheVobRemap) {
  TempDir dir;
  WriteFileBytes(dir.File("in.sup"), SampleSup());
  ASSERT_EQ(Cli({"sup", "to-vobsub", dir.File("in.sup"), "-o", dir.File("v.idx")}).exitStatus, 0);
  const std::string idx = Text(dir.File("v.idx"));
  const Bytes sub = ReadFileBytes(dir.File("v.sub"));
  ProcessResult r = Cli({"vobsub", "set", dir.File("v.idx"), "-o", dir.File("v.idx"), "--entry", "3=EB8080", "--dry-run"});
  EXPECT_EQ(r.out, "file: " + dir.File("v.idx") + "\nentries: 1\nbytes: 6\n");
  EXPECT_EQ(Text(dir.File("v.idx")), idx);
  ASSERT_EQ(Cli({"vobsub", "set", dir.File("v.idx"), "-o", dir.File("s.idx"), "--entry", "3=EB8080"}).exitStatus, 0);
  EXPECT_NE(Text(dir.File("s.idx")).find(", 000000, fdfffd, ffffff, 00007f,"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir.File("s.sub")), sub);

  // Entry 1 (the builder's outline) becomes 9 in place; sup show reads the result.
  r = Cli({"vobsub", "remap", dir.File("s.idx"), "--entries", "1=9"});
  EXPECT_EQ(r.out, "file: " + dir.File("s.idx") + "\nremapped: 6\n") << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_EQ(Cli({"vobsub", "to-sup", dir.File("s.idx"), "-o", dir.File("r.sup")}).exitStatus, 0);
  EXPECT_NE(Cli({"sup", "show", dir.File("r.sup")}).out.find("colours: 0 9 2 3\n"), std::string::npos);
}

// ffprobe reads the pair with every subtitle at its time; mkvmerge muxes it and mkvextract gives
// back the same units.
TEST(VobSubCliTest, FfprobeAndMkvToolNixReadThePair) {
  if (!HasTool("ffprobe") || !HasTool("mkvmerge") || !HasTool("mkvextract")) GTEST_SKIP() << "ffprobe or mkvtoolnix missing";
  TempDir dir;
  const Bytes sup = SampleSup();
  WriteFileBytes(dir.File("in.sup"), sup);
  ASSERT_EQ(Cli({"sup", "to-vobsub", dir.File("in.sup"), "-o", dir.File("v.idx")}).exitStatus, 0);
  const ProcessResult probe =
      RunProcess({"ffprobe", "-v", "error", "-show_entries", "packet=pts_time", "-of", "csv=p=0", dir.File("v.idx")});
  EXPECT_EQ(probe.out, "1.000000\n3.345000\n5.690000\n8.035000\n10.380000\n12.725000\n") << probe.err;
  ASSERT_TRUE(Shell("mkvmerge -o '" + dir.File("v.mkv") + "' '" + dir.File("v.idx") + "'"));
  ASSERT_TRUE(Shell("mkvextract '" + dir.File("v.mkv") + "' tracks 0:'" + dir.File("x.idx") + "'"));
  ASSERT_EQ(Cli({"vobsub", "to-sup", dir.File("x.idx"), "-o", dir.File("x.sup")}).exitStatus, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("x.sup")), WithoutMarker(sup));
}

// A pair that mkvextract wrote from an MKV that ffmpeg made (ffmpeg encodes the subtitles
// afresh) is read, remapped and muxed again.
TEST(VobSubCliTest, MkvextractPairOfAnFfmpegMkvIsRemappedAndMuxedAgain) {
  if (!HasTool("ffmpeg") || !HasTool("mkvmerge") || !HasTool("mkvextract")) GTEST_SKIP() << "ffmpeg or mkvtoolnix missing";
  TempDir dir;
  WriteFileBytes(dir.File("in.sup"), SampleSup());
  ASSERT_EQ(Cli({"sup", "to-vobsub", dir.File("in.sup"), "-o", dir.File("v.idx")}).exitStatus, 0);
  ASSERT_TRUE(Shell("ffmpeg -nostdin -y -i '" + dir.File("v.idx") + "' -c:s dvdsub '" + dir.File("f.mkv") + "'"));
  ASSERT_TRUE(Shell("mkvextract '" + dir.File("f.mkv") + "' tracks 0:'" + dir.File("f.idx") + "'"));
  ASSERT_EQ(Cli({"vobsub", "to-sup", dir.File("f.idx"), "-o", dir.File("f.sup")}).exitStatus, 0);
  const std::string before = Cli({"sup", "show", "--json", dir.File("f.sup")}).out;
  const std::regex colours(R"("colours": \[(\d+), (\d+), (\d+), (\d+)\])");
  std::smatch used;
  ASSERT_TRUE(std::regex_search(before, used, colours)) << before;
  const std::string outline = used[2].str(), remapped = outline == "5" ? "6" : "5";
  const ProcessResult r = Cli({"vobsub", "remap", dir.File("f.idx"), "-o", dir.File("r.idx"), "--entries", outline + "=" + remapped});
  EXPECT_EQ(r.out, "file: " + dir.File("r.idx") + "\nremapped: 6\n") << r.err;
  ASSERT_TRUE(Shell("mkvmerge -o '" + dir.File("r.mkv") + "' '" + dir.File("r.idx") + "'"));
  ASSERT_TRUE(Shell("mkvextract '" + dir.File("r.mkv") + "' tracks 0:'" + dir.File("x.idx") + "'"));
  ASSERT_EQ(Cli({"vobsub", "to-sup", dir.File("x.idx"), "-o", dir.File("x.sup")}).exitStatus, 0);
  const std::string after = Cli({"sup", "show", "--json", dir.File("x.sup")}).out;
  ASSERT_TRUE(std::regex_search(after, used, colours)) << after;
  EXPECT_EQ(used[2].str(), remapped);
}
