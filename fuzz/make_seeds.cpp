// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus of every fuzz target into DIR/<target>/, from the test builders.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/IfoBuilder.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"
#include "files/VobSub.h"

namespace {

void Seed(const std::string& dir, const std::string& target, const std::string& name,
          const Bytes& bytes) {
  const std::string folder = dir + "/" + target;
  ::mkdir(dir.c_str(), 0755);
  ::mkdir(folder.c_str(), 0755);
  WriteFileBytes(folder + "/" + name, bytes);
}

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];

  Seed(dir, "fuzz_commands", "list", {0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0, 0xFF});
  Seed(dir, "fuzz_commands", "code7", {0x07, 0x00, 0x04, 0xAA, 0xBB, 0x03, 0x12, 0x34, 0xFF});
  Seed(dir, "fuzz_commands", "unit",
       {0, 17, 0, 6, 0xAA, 0xBB, 0, 0, 0, 6, 0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0});

  Seed(dir, "fuzz_settings", "first-start",
       FromText("[GeneralSettings]\nLogLevel=-1\nFontName=Arial\nFontSize=28\nFontBold=0\n"
                "FontItal=0\nSampleText=The Quick Brown Fox jumps over the Lazy Dog!\n"
                "Antialias=1\nOutline=7\nBackGround=0\n[VOB_Settings]\nFirstSubtitle=1\n"));
  Seed(dir, "fuzz_settings", "odd",
       FromText("; c\r\n[generalsettings]\r\nOutline=abc\r\nFontBold=2\r\n[X]\r\nk=v\r\n"));
  Seed(dir, "fuzz_ifo", "title-set", BuildIfo());
  const Bytes ifo = BuildIfo();
  Seed(dir, "fuzz_ifo", "short", Bytes(ifo.begin(), ifo.begin() + static_cast<long>(ifo.size() / 2)));
  SupPacket small;
  small.pictureBytes = 40;
  Seed(dir, "fuzz_sup", "marker-three", SupBuilder().Marker().Add(3, small).Build());
  SupPacket odd = small;
  odd.contrastFirst = true;
  odd.colourChangeBytes = 6;
  odd.laterSequences = 2;
  Seed(dir, "fuzz_sup", "no-marker-odd", SupBuilder().Add(odd).Add(small).Build());
  SupPacket missing = small;
  missing.contrast.reset();
  Seed(dir, "fuzz_sup", "missing-cmd4", SupBuilder().Add(small).Add(missing).Build());
  SupPacket layered = small;
  layered.image = StripedImage(24, 6, 1);
  layered.change = {{401, 403, {{100, 0x1234, 0xF0F0}, {110, 0x9ABC, 0x0F0F}}}};
  layered.later = {{0x03, 0x45, 0x67, 0x04, 0x12, 0x34, 0xFF}, {0x02, 0xFF}};
  Seed(dir, "fuzz_sup", "layered-sequences", SupBuilder().Marker().Add(layered).Add(small).Build());
  Seed(dir, "fuzz_subpicture", "layered", BuildUnit(layered));
  SupPacket forced = small;
  forced.image = StripedImage(33, 5, 2);
  forced.forced = true;
  Seed(dir, "fuzz_subpicture", "forced-odd-width", BuildUnit(forced));
  VobBuilder vob;
  vob.NavPack().VideoPack().Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0)).AudioPack();
  vob.Unit(1, MakeMarkerUnit()).Unit(0, MakeSubpictureUnit(0x1234, 0x5678, 3000));
  Seed(dir, "fuzz_vob", "mixed", vob.Data());
  VobBuilder alternating;
  const auto a = VobBuilder::UnitBlocks(0, MakeSubpictureUnit(0x0123, 0xF0F0, 4100));
  const auto b = VobBuilder::UnitBlocks(3, MakeSubpictureUnit(0x4567, 0x0F0F, 4100));
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) alternating.Block(a[i]).Block(b[i]);
  Seed(dir, "fuzz_vob", "alternating", alternating.Data());
  Seed(dir, "fuzz_remap", "mixed", vob.Data());
  Seed(dir, "fuzz_remap", "alternating", alternating.Data());
  const auto split = VobBuilder::UnitBlocks(2, MakeSubpictureUnit(0x3210, 0xF5F0, 2000));
  Seed(dir, "fuzz_remap", "split-commands", VobBuilder().NavPack().Block(split[0]).VideoPack().Block(split[1]).Data());
  // A VobSub pair: the .idx's length in two bytes, the .idx, then the .sub.
  TempDir pair;
  VobSubTrack track;
  track.palette.fill("108080");
  WriteVobSub(pair.File("seed.idx"), track,
              {{90000, MakeSubpictureUnit(0x3210, 0xFFF0), false}, {180000, MakeSubpictureUnit(0x3210, 0xF5F0, 3000), true}});
  const Bytes idx = ReadFileBytes(pair.File("seed.idx"));
  const Bytes sub = ReadFileBytes(pair.File("seed.sub"));
  Bytes vobsub = {static_cast<std::uint8_t>(idx.size() >> 8), static_cast<std::uint8_t>(idx.size())};
  vobsub.insert(vobsub.end(), idx.begin(), idx.end());
  vobsub.insert(vobsub.end(), sub.begin(), sub.end());
  Seed(dir, "fuzz_vobsub", "two-units", vobsub);
  return 0;
}
