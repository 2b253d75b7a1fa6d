// SPDX-License-Identifier: GPL-3.0-or-later
// VobSub subtitles: the .idx index and the .sub program stream of subpicture packs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Core.h"
#include "files/Fileifo.h"  // PaletteTexts

// One subtitle: its 90 kHz time, its whole subpicture unit (the size in its first two bytes
// equals the bytes held) and whether it is forced.
struct VobSubUnit {
  std::int64_t time = 0;
  std::vector<std::uint8_t> bytes;
  bool forced = false;
};

// What the .idx says of the stream written.
struct VobSubTrack {
  PaletteTexts palette;  // 16 Y Cr Cb hex texts, written as the .idx's RGB
  int width = 720;
  int height = 576;
  std::string language = "en";  // two letters
  int index = 0;                // the subpicture stream, 0-31 (substream 0x20 + index)
};

// The .sub beside an .idx: its name with ".idx" (any case) replaced by ".sub" (".SUB" for
// ".IDX"), or ".sub" appended when it has no such ending.
std::string VobSubSubPath(const std::string& idxPath);

// The .sub's bytes for the units: each unit in 2048-byte packs (pack header, one private stream 1
// packet of substream 0x20 + index, the first with the unit's time as PTS), the last pack of a
// unit filled up with a padding packet. `filepos` receives the offset of each unit's first pack.
std::vector<std::uint8_t> BuildVobSubStream(const std::vector<VobSubUnit>& units, int index,
                                            std::vector<std::int64_t>& filepos);
// The .idx text for units whose first packs lie at `filepos`.
std::string BuildVobSubIndex(const VobSubTrack& track, const std::vector<VobSubUnit>& units,
                             const std::vector<std::int64_t>& filepos);

// Writes `idxPath` and its .sub (VobSubSubPath), both through safe saves: both files are written
// completely before either replaces what was there. False, with the error line and nothing
// written, for a unit shorter than 4 bytes, larger than 65535 bytes or whose size word differs
// from its bytes, a time outside 0 to 2^33 - 1, an index outside 0-31, or a failed save. The
// units are written in the order given.
bool WriteVobSub(const std::string& idxPath, const VobSubTrack& track,
                 const std::vector<VobSubUnit>& units);

// Appends one SUP packet: "SP", the time as 32-bit little-endian, four zero bytes, the unit.
void AppendSupPacket(std::vector<std::uint8_t>& out, std::uint32_t time, ByteView unit);
