// SPDX-License-Identifier: GPL-3.0-or-later
// VobSub subtitles: the .idx index and the .sub program stream of subpicture packs.
#pragma once

#include <cstdint>
#include <optional>
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

// One stream of an .idx: its id line, its timestamp lines and the unit each points at.
struct VobSubStream {
  std::string language;
  int index = 0;                           // substream 0x20 + index
  std::vector<std::int64_t> timestampMs;   // as the .idx gives them
  std::vector<std::int64_t> filepos;
  std::vector<VobSubUnit> units;           // read from the .sub, times from its PTS
};

// A VobSub pair read whole: the .idx text and, for every timestamp line, the unit its filepos
// points at in the .sub. Lines other than size:, palette:, custom colors:, id: and timestamp:
// are kept in the text but not read.
class VobSubFile {
 public:
  // The largest .sub read, and the largest .idx.
  static constexpr std::uint64_t kMaxSubSize = std::uint64_t{1} << 30;
  static constexpr std::uint64_t kMaxIdxSize = 64 << 20;

  // Reads the .idx and its .sub. False, with the error line and nothing held, when either can't
  // be read, an .idx line can't be parsed, a filepos lies beyond the .sub, no unit of the stream
  // starts in the pack at a filepos, a unit of a stream listed is damaged or cut short, or a
  // unit's commands can't be walked.
  bool Load(const std::string& idxPath);

  const std::string& IdxPath() const { return idxPath_; }
  const std::string& SubPath() const { return subPath_; }
  const std::string& IdxText() const { return idxText_; }
  const std::vector<std::uint8_t>& SubBytes() const { return sub_; }
  const std::vector<VobSubStream>& Streams() const { return streams_; }
  // The stream with that index; nullptr when the .idx has none.
  const VobSubStream* Stream(int index) const;
  // The size: line's values; 0 without one.
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The palette: line's entries as written (empty without one), and the text after
  // "custom colors:" (empty without one).
  const std::vector<std::string>& PaletteRgb() const { return paletteRgb_; }
  const std::string& CustomColours() const { return customColours_; }
  // The palette as Y Cr Cb hex texts; nullopt without a palette: line of 16 entries.
  const std::optional<PaletteTexts>& Palette() const { return palette_; }
  // The .idx text with its palette: line (the first) replaced by `palette` in RGB, its line
  // ending kept; every other byte as it was. Without a palette: line, one is put before the
  // first id: line (or at the end).
  std::string TextWithPalette(const PaletteTexts& palette) const;

 private:
  bool ParseIndex(const std::vector<std::uint8_t>& bytes);
  bool ReadUnits();

  std::string idxPath_;
  std::string subPath_;
  std::string idxText_;
  std::vector<std::uint8_t> sub_;
  std::vector<VobSubStream> streams_;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::string> paletteRgb_;
  std::string customColours_;
  std::optional<PaletteTexts> palette_;
};
