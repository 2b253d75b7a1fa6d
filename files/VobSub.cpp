// SPDX-License-Identifier: GPL-3.0-or-later
// VobSub subtitles: the .idx index and the .sub program stream of subpicture packs.
//
// The .sub is written as DVD players and VobSub readers (ffmpeg's, MKVToolNix's) take it: every
// pack is 2048 bytes, an MPEG-2 pack header and one private stream 1 packet whose first data
// byte is the substream id. A unit's first packet carries its time as PTS; the packets after it
// carry only data. The last pack of a unit is filled up with a padding packet (stream 0xBE), or,
// when fewer than six bytes are left, with stuffing bytes in its PES header, so every unit starts
// on a pack of its own and the .idx can point at it.
#include "files/VobSub.h"

#include <algorithm>
#include <cctype>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/DiscLayout.h"
#include "files/Filevob.h"
#include "files/PaletteFile.h"

namespace {

constexpr std::size_t kPackHeaderSize = 14;
constexpr std::size_t kPesFixedSize = 9;     // start code, length, two flag bytes, data length
constexpr std::size_t kPtsSize = 5;
constexpr std::size_t kPaddingHeaderSize = 6;  // start code and length of a padding packet
constexpr std::size_t kMaxUnitSize = 0xFFFF;
constexpr std::int64_t kMaxTime = (std::int64_t{1} << 33) - 1;
constexpr std::uint8_t kStuffingByte = 0xFF;
constexpr int kIndexCount = 32;

void PutTime(std::vector<std::uint8_t>& out, int prefix, std::int64_t time) {
  const auto t = static_cast<std::uint64_t>(time);
  out.push_back(static_cast<std::uint8_t>(prefix << 4 | (t >> 29 & 0x0E) | 1));
  out.push_back(static_cast<std::uint8_t>(t >> 22));
  out.push_back(static_cast<std::uint8_t>((t >> 14 & 0xFE) | 1));
  out.push_back(static_cast<std::uint8_t>(t >> 7));
  out.push_back(static_cast<std::uint8_t>((t << 1 & 0xFE) | 1));
}

// An MPEG-2 pack header with the time as system clock reference, 10.08 Mbit/s, no stuffing.
void PutPackHeader(std::vector<std::uint8_t>& out, std::int64_t time) {
  const auto t = static_cast<std::uint64_t>(time);
  const std::uint8_t header[] = {
      0x00, 0x00, 0x01, 0xBA,
      static_cast<std::uint8_t>(0x44 | (t >> 27 & 0x38) | (t >> 28 & 0x03)),
      static_cast<std::uint8_t>(t >> 20),
      static_cast<std::uint8_t>((t >> 12 & 0xF8) | 0x04 | (t >> 13 & 0x03)),
      static_cast<std::uint8_t>(t >> 5),
      static_cast<std::uint8_t>((t << 3 & 0xF8) | 0x04),  // SCR extension 0
      0x01,
      0x01, 0x89, 0xC3,  // mux rate 25200 x 50 bytes/s, two marker bits
      0xF8,              // reserved bits, no pack stuffing
  };
  out.insert(out.end(), std::begin(header), std::end(header));
}

std::string FormatTimestamp(std::int64_t time) {
  const std::int64_t ms = time / 90;
  return FormatText("%02lld:%02lld:%02lld:%03lld", static_cast<long long>(ms / 3600000),
                    static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                    static_cast<long long>(ms % 1000));
}

// Why a unit can't be written, or nullptr.
const char* UnitProblem(const VobSubUnit& unit) {
  if (unit.bytes.size() < 4) return "shorter than 4 bytes";
  if (unit.bytes.size() > kMaxUnitSize) return "larger than 65535 bytes";
  if (ReadBigEndianUnchecked(unit.bytes.data(), 2) != unit.bytes.size()) return "its size word differs from its bytes";
  if (unit.time < 0 || unit.time > kMaxTime) return "its time is outside 0 to 2^33 - 1";
  return nullptr;
}

}  // namespace

std::string VobSubSubPath(const std::string& idxPath) {
  if (!HasExtension(idxPath, ".idx")) return idxPath + ".sub";
  std::string sub = idxPath.substr(0, idxPath.size() - 4);
  const bool upper = std::isupper(static_cast<unsigned char>(idxPath[idxPath.size() - 3])) != 0;
  return sub + (upper ? ".SUB" : ".sub");
}

std::vector<std::uint8_t> BuildVobSubStream(const std::vector<VobSubUnit>& units, int index,
                                            std::vector<std::int64_t>& filepos) {
  std::vector<std::uint8_t> out;
  filepos.clear();
  for (const VobSubUnit& unit : units) {
    filepos.push_back(static_cast<std::int64_t>(out.size()));
    std::size_t done = 0;
    bool first = true;
    while (done < unit.bytes.size() || first) {
      const std::size_t header = kPesFixedSize + (first ? kPtsSize : 0) + 1;  // + substream id
      const std::size_t room = kVobBlockSize - kPackHeaderSize - header;
      const std::size_t take = std::min(room, unit.bytes.size() - done);
      std::size_t gap = room - take;
      // Fewer bytes left than a padding packet needs: stuffing in the PES header instead.
      const std::size_t stuffing = gap < kPaddingHeaderSize ? gap : 0;
      gap -= stuffing;
      PutPackHeader(out, unit.time);
      const std::size_t pesLength = header - 6 + stuffing + take;
      const std::uint8_t pes[] = {0x00, 0x00, 0x01, 0xBD, static_cast<std::uint8_t>(pesLength >> 8),
                                  static_cast<std::uint8_t>(pesLength), 0x81,
                                  static_cast<std::uint8_t>(first ? 0x80 : 0x00),
                                  static_cast<std::uint8_t>((first ? kPtsSize : 0) + stuffing)};
      out.insert(out.end(), std::begin(pes), std::end(pes));
      if (first) PutTime(out, 0x2, unit.time);
      out.insert(out.end(), stuffing, kStuffingByte);
      out.push_back(static_cast<std::uint8_t>(kFirstSubpictureId + index));
      const auto from = unit.bytes.begin() + static_cast<std::ptrdiff_t>(done);
      out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(take));
      if (gap > 0) {
        const std::size_t padding = gap - kPaddingHeaderSize;
        const std::uint8_t pad[] = {0x00, 0x00, 0x01, 0xBE, static_cast<std::uint8_t>(padding >> 8),
                                    static_cast<std::uint8_t>(padding)};
        out.insert(out.end(), std::begin(pad), std::end(pad));
        out.insert(out.end(), padding, kStuffingByte);
      }
      done += take;
      first = false;
    }
  }
  return out;
}

std::string BuildVobSubIndex(const VobSubTrack& track, const std::vector<VobSubUnit>& units,
                             const std::vector<std::int64_t>& filepos) {
  std::string idx =
      "# VobSub index file, v7 (do not modify this line!)\n"
      "#\n"
      "# Written by Velmoran. The times of the subtitles are the PTS of their packs in the\n"
      "# .sub; the timestamps below are those times in whole milliseconds.\n"
      "#\n";
  idx += FormatText("size: %dx%d\n", track.width, track.height);
  idx += "org: 0, 0\nscale: 100%, 100%\nalpha: 100%\nsmooth: OFF\nfadein/out: 0, 0\n"
         "align: OFF at LEFT TOP\ntime offset: 0\nforced subs: OFF\n";
  idx += FormatPaletteFile(track.palette, PaletteFormat::kIdx);
  idx += "custom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, 000000\n"
         "\n# Language index in use\nlangidx: 0\n\n";
  idx += FormatText("id: %s, index: %d\n", track.language.c_str(), track.index);
  for (std::size_t i = 0; i < units.size() && i < filepos.size(); ++i) {
    idx += "timestamp: " + FormatTimestamp(units[i].time) +
           FormatText(", filepos: %09llx\n", static_cast<unsigned long long>(filepos[i]));
  }
  return idx;
}

bool WriteVobSub(const std::string& idxPath, const VobSubTrack& track,
                 const std::vector<VobSubUnit>& units) {
  const std::string subPath = VobSubSubPath(idxPath);
  if (track.index < 0 || track.index >= kIndexCount) {
    LogMessage(kLogError, "ERROR - VobSub stream index %d is outside 0-31 [%s]", track.index, idxPath.c_str());
    return false;
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (const char* why = UnitProblem(units[i])) {
      LogMessage(kLogError, "ERROR - Subtitle %zu can't be written: %s [%s]", i + 1, why, idxPath.c_str());
      return false;
    }
  }
  std::vector<std::int64_t> filepos;
  const std::vector<std::uint8_t> sub = BuildVobSubStream(units, track.index, filepos);
  const std::string idx = BuildVobSubIndex(track, units, filepos);

  // Both files are complete beside their targets before either replaces what was there.
  AtomicFile subFile(subPath);
  AtomicFile idxFile(idxPath);
  if (!subFile.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create [%s]", subPath.c_str());
    return false;
  }
  if (!idxFile.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create [%s]", idxPath.c_str());
    return false;
  }
  const ByteView idxBytes(reinterpret_cast<const std::uint8_t*>(idx.data()), idx.size());
  if (!subFile.Write(sub) || !idxFile.Write(idxBytes) || !subFile.Commit()) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", subPath.c_str());
    return false;
  }
  if (!idxFile.Commit()) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", idxPath.c_str());
    return false;
  }
  LogMessage(kLogInfo, "%zu subtitles written to VobSub [%s]", units.size(), idxPath.c_str());
  return true;
}

void AppendSupPacket(std::vector<std::uint8_t>& out, std::uint32_t time, ByteView unit) {
  const std::uint8_t header[] = {'S', 'P', static_cast<std::uint8_t>(time), static_cast<std::uint8_t>(time >> 8),
                                 static_cast<std::uint8_t>(time >> 16), static_cast<std::uint8_t>(time >> 24),
                                 0, 0, 0, 0};
  out.insert(out.end(), std::begin(header), std::end(header));
  out.insert(out.end(), unit.begin(), unit.end());
}
