// SPDX-License-Identifier: GPL-3.0-or-later
// The subtitle units of one subpicture stream taken out of VOB files with their times, and
// the SUP file that carries them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Core.h"
#include "core/Platform.h"
#include "files/Filevob.h"
#include "files/VobSub.h"

// One subtitle taken out: its time (90 kHz), its unit byte for byte (held by the extraction's
// store), and whether it is forced.
struct ExtractedUnit {
  std::int64_t time = 0;
  ByteView bytes;
  bool forced = false;
};

// Where an extraction keeps its units' bytes, one after another in blocks backed by large pages:
// the megabytes of a long title then cost a few page faults instead of one per 4 KiB. What Keep
// gives stays valid until Clear or the store's end; moving the store keeps it valid.
class UnitStore {
 public:
  ByteView Keep(ByteView bytes);
  // Forgets every unit kept, keeping the blocks for the next.
  void Clear();

 private:
  struct Block {
    AlignedBytes memory;  // on a large-page boundary
    std::size_t size = 0;
    std::size_t used = 0;
  };
  std::vector<Block> blocks_;
  std::size_t current_ = 0;  // the block being filled
};

struct VobExtractOptions {
  int stream = -1;          // 0-31, or -1 for the lowest-numbered stream that has subtitles
  bool forcedOnly = false;  // keep forced subtitles only
  bool absolute = false;    // keep the VOB's time stamps instead of counting from the start
};

struct VobExtraction {
  int stream = -1;                  // the stream taken
  std::optional<std::int64_t> start;  // the time counted from (nullopt with `absolute`)
  std::vector<ExtractedUnit> units;   // in the order of the files
  UnitStore store;                    // their bytes
};

// Scans `files` in order, each continued into the one after it when that is its next part (as
// the VOB tab does), and keeps the units of one stream; marker units are left out. Times count
// from the lowest time stamp of the first file's video, audio and subpicture packets. A unit
// without a time stamp takes the time of the one before it; one before the start, or whose time
// does not fit in 32 bits, is kept with time 0 (absolute: its low 32 bits), with a level-4
// warning. Units of the stream lost to damage are each reported at level 4.
// False (logged) when a file can't be scanned or nothing is left to extract: no subtitle at
// all, none in the stream asked for, or none of them forced with `forcedOnly`.
bool ExtractVobStream(const std::vector<std::string>& files, const VobExtractOptions& options,
                      VobExtraction& result);

// Saves the units as a SUP file: per unit "SP", its time as 32-bit little-endian, four zero
// bytes, the unit; no marker unit. Through a safe save: false (logged) and nothing changed at
// `path` when it fails.
bool SaveSupUnits(const std::string& path, const std::vector<ExtractedUnit>& units);
bool SaveSupUnits(const std::string& path, const std::vector<VobSubUnit>& units);

// What a VobSub index says of a stream taken from a title set.
struct TitleSetSubtitleFacts {
  PaletteTexts palette;  // Y Cr Cb hex texts
  int width = 720;
  int height = 576;
  std::string language;  // two letters, or empty when the title set names none
};

// The facts from the IFO of the title set of `vob` (VTS_nn_0.IFO beside it, in any letter case;
// its backup twin when the IFO can't be read): the first title program chain's palette, the
// frame size of the video and the language of subpicture stream `stream`. A VOB that is not a
// title VOB (a menu VOB included), or has no IFO beside it, gives the default palette and 720x576. False (logged)
// when the IFO is there but can't be read.
bool ReadTitleSetSubtitleFacts(const std::string& vob, int stream, TitleSetSubtitleFacts& facts);

// Saves the extraction as the VobSub pair `idxPath` and its .sub, its index line naming the
// stream taken, with the facts of the title set of `firstVob`; the language defaults to "en".
// False (logged), nothing written, when the IFO can't be read or the save fails.
bool SaveVobSubExtraction(const std::string& idxPath, const std::string& firstVob,
                          const VobExtraction& extraction);
