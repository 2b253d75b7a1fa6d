// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a VobSub pair read (the first two bytes give the .idx's length, the .idx text
// follows, the .sub is the rest). A pair read gives whole units, one per timestamp line; written
// again it reads back as the same units and times, and its palette line can be replaced.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/Log.h"
#include "files/VobSub.h"
#include "fuzz/FuzzFile.h"
#include "tests/support/Recorders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile idx("in.idx");
  static const FuzzFile sub("in.sub");
  static const FuzzFile outIdx("out.idx");
  static const FuzzFile outSub("out.sub");  // the .sub WriteVobSub puts beside out.idx
  LogRecorder log(kLogAll);
  ScopedLogTarget scoped(&log);
  if (size < 2) return 0;
  const std::size_t idxSize = std::min<std::size_t>(size - 2, std::size_t{data[0]} << 8 | data[1]);
  if (!idx.Write(data + 2, idxSize) || !sub.Write(data + 2 + idxSize, size - 2 - idxSize)) return 0;

  VobSubFile vobsub;
  if (!vobsub.Load(idx.Path())) {
    if (!vobsub.Streams().empty() || !vobsub.SubBytes().empty()) __builtin_trap();
    return 0;
  }
  if (vobsub.Palette()) (void)vobsub.TextWithPalette(*vobsub.Palette());
  for (const VobSubStream& stream : vobsub.Streams()) {
    if (stream.units.size() != stream.filepos.size()) __builtin_trap();
    for (const VobSubUnit& unit : stream.units) {
      if (unit.bytes.size() < 2 || ReadBigEndianUnchecked(unit.bytes.data(), 2) != unit.bytes.size()) __builtin_trap();
    }
    VobSubTrack track;
    track.palette.fill("108080");
    track.index = stream.index;
    if (!WriteVobSub(outIdx.Path(), track, stream.units)) continue;  // a unit of under 4 bytes
    VobSubFile again;
    if (!again.Load(outIdx.Path()) || again.Streams().size() != 1) __builtin_trap();
    const std::vector<VobSubUnit>& units = again.Streams()[0].units;
    if (units.size() != stream.units.size()) __builtin_trap();
    for (std::size_t i = 0; i < units.size(); ++i) {
      if (units[i].bytes != stream.units[i].bytes || units[i].time != stream.units[i].time) __builtin_trap();
    }
  }
  return 0;
}
