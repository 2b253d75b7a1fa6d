// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli sup pictures, vob pictures and the subtitle list of sup show --json.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/Platform.h"
#include "files/Fileifo.h"
#include "tests/support/RunProcess.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

ProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), VELMORAN_CLI_PATH);
  return RunProcess(args);
}

// A 30 x 4 picture all in code 2 (Text: entry 2, contrast 15 by the builder's words).
SupPacket TextPacket() {
  SupPacket packet;
  packet.image = std::vector<Bytes>(4, Bytes(30, 2));
  return packet;
}

// The RGBA pixels of a PNG as ffmpeg decodes it; empty when ffmpeg is missing or fails.
Bytes DecodedPng(const TempDir& dir, const std::string& png) {
  const std::string raw = dir.File("decoded.rgba");
  if (std::system(("ffmpeg -nostdin -loglevel error -y -i '" + png + "' -f rawvideo -pix_fmt rgba '" + raw + "'").c_str()) != 0) {
    return {};
  }
  return ReadFileBytes(raw);
}

}  // namespace

TEST(PicturesCliTest, SupPicturesWritesOnePngPerSubtitleInThePaletteGiven) {
  TempDir dir;
  SupPacket damaged = TextPacket();
  damaged.image = {};  // no picture: its field offsets point into the command list
  damaged.commands = {0x01, 0x05, 0x00, 0x00, 0x1D, 0x00, 0x00, 0x03, 0x06, 0x00, 0x04, 0x7F, 0x00, 0xFF};
  WriteFileBytes(dir.File("in.sup"), SupBuilder().Marker().Add(TextPacket()).Add(damaged).Add(TextPacket()).Build());
  std::string palette;
  for (int i = 0; i < 16; ++i) palette += i == 2 ? "A01090\n" : "108080\n";
  WriteFileBytes(dir.File("p.txt"), Bytes(palette.begin(), palette.end()));

  const ProcessResult r = Cli({"sup", "pictures", dir.File("in.sup"), dir.File("out"), "--palette-file", dir.File("p.txt")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.err.find("WARNING - Subtitle 0002 skipped: "), std::string::npos) << r.err;
  EXPECT_TRUE(PathExists(dir.File("out/0001.png")));
  EXPECT_FALSE(PathExists(dir.File("out/0002.png")));
  EXPECT_TRUE(PathExists(dir.File("out/0003.png")));
  const Bytes pixels = DecodedPng(dir, dir.File("out/0003.png"));
  if (pixels.empty()) GTEST_SKIP() << "ffmpeg is not installed";
  const TColor c = YCrCbToColour(0xA0, 0x10, 0x90);
  const Bytes pixel = {static_cast<std::uint8_t>(RedOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                       static_cast<std::uint8_t>(BlueOf(c)), 255};
  ASSERT_EQ(pixels.size(), 30u * 4 * 4);
  for (std::size_t i = 0; i < pixels.size(); i += 4) EXPECT_TRUE(std::equal(pixel.begin(), pixel.end(), pixels.begin() + static_cast<std::ptrdiff_t>(i))) << i / 4;
}

TEST(PicturesCliTest, VobPicturesNumberPerStreamAndShowListsSubtitles) {
  TempDir dir;
  SupPacket forced = TextPacket();
  forced.forced = true;
  forced.timestamp = 90000;
  WriteFileBytes(dir.File("a.vob"),
                 VobBuilder().NavPack().Unit(0, BuildUnit(TextPacket())).Unit(3, BuildUnit(forced)).Unit(0, BuildUnit(TextPacket())).Data());
  EXPECT_EQ(Cli({"vob", "pictures", dir.File("a.vob"), dir.File("all")}).exitStatus, 0);
  for (const char* name : {"s0-0001.png", "s0-0002.png", "s3-0001.png"}) EXPECT_TRUE(PathExists(dir.File("all/") + name)) << name;
  EXPECT_EQ(Cli({"vob", "pictures", "--stream", "3", dir.File("a.vob"), dir.File("one")}).exitStatus, 0);
  EXPECT_FALSE(PathExists(dir.File("one/s0-0001.png")));
  EXPECT_TRUE(PathExists(dir.File("one/s3-0001.png")));
  EXPECT_NE(Cli({"vob", "scan", "--all", "--json", "--units", dir.File("a.vob")}).out.find("\"forced\": true}"),
            std::string::npos);

  WriteFileBytes(dir.File("f.sup"), SupBuilder().Add(forced).Build());
  EXPECT_NE(Cli({"sup", "show", "--json", dir.File("f.sup")}).out.find(
                "\"subtitles\": [{\"number\": 1, \"time\": 90000, \"duration\": 102400, \"forced\": true, "
                "\"x\": 100, \"y\": 400, \"width\": 30, \"height\": 4}]"),
            std::string::npos);

  // Usage errors: one palette source, both operands.
  EXPECT_EQ(Cli({"sup", "pictures", dir.File("f.sup"), dir.File("x"), "--ifo", "a", "--palette-file", "b"}).exitStatus, 2);
  EXPECT_EQ(Cli({"vob", "pictures", dir.File("a.vob")}).exitStatus, 2);
}
