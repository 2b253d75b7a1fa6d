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
#include <cstdio>
#include <map>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/DiscLayout.h"
#include "files/Filevob.h"
#include "files/PaletteFile.h"
#include "files/SubtitlePicture.h"

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

// The reader.
//
// The .sub is read by the VOB scanner, whose pack and packet parsing it shares: a VobSub .sub
// is a program stream of 2048-byte packs, as a VOB is. Every complete unit is kept by the pack
// where it starts; the .idx's filepos lines then pick their units from those. A unit's time is
// the PTS of its first packet, read from that pack.

namespace {

constexpr std::size_t kPtsOffset = 23;  // in a pack: after the PES flags and header data length

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The text after `key` when the line starts with it (any case), else nullopt.
std::optional<std::string> After(const std::string& line, const std::string& key) {
  if (line.size() < key.size() || FoldCase(line.substr(0, key.size())) != key) return std::nullopt;
  return Trim(line.substr(key.size()));
}

// Keeps every complete unit of the scan by the offset of the pack where it starts.
class KeepUnits : public VobUnitSink {
 public:
  struct Kept {
    int stream = 0;
    std::vector<std::uint8_t> bytes;
  };
  struct Lost {
    int stream = 0;
    std::int64_t offset = 0;
    std::string why;
  };
  bool UnitComplete(int stream, ByteView unit, const std::vector<UnitPiece>& pieces) override {
    if (pieces.empty()) return true;
    const std::int64_t pack = pieces.front().offset - pieces.front().offset % std::int64_t{kVobBlockSize};
    units[{stream, pack}] = Kept{stream, {unit.begin(), unit.end()}};
    return true;
  }
  bool UnitLost(int stream, int /*part*/, std::int64_t offset, const char* why) override {
    lost.push_back({stream, offset, why});
    return true;
  }
  bool StrayPacket(int /*stream*/, std::int64_t /*offset*/) override { return true; }

  std::map<std::pair<int, std::int64_t>, Kept> units;
  std::vector<Lost> lost;
};

long long Hex(std::int64_t value) { return static_cast<long long>(value); }

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = list.find(',', start);
    items.push_back(Trim(list.substr(start, comma == std::string::npos ? comma : comma - start)));
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

}  // namespace

bool VobSubFile::Load(const std::string& idxPath) {
  *this = VobSubFile();
  idxPath_ = idxPath;
  subPath_ = VobSubSubPath(idxPath);
  std::vector<std::uint8_t> idx;
  const bool loaded = LoadDocumentBytes(idxPath, idx, kMaxIdxSize) && ParseIndex(idx) &&
                      LoadDocumentBytes(subPath_, sub_, kMaxSubSize) && ReadUnits();
  if (!loaded) *this = VobSubFile();
  return loaded;
}

bool VobSubFile::ParseIndex(const std::vector<std::uint8_t>& bytes) {
  idxText_.assign(bytes.begin(), bytes.end());
  const auto fail = [&](int number, const char* why) {
    LogMessage(kLogError, "ERROR - Not a VobSub index file [%s]: line %d: %s", idxPath_.c_str(), number, why);
    return false;
  };
  if (idxText_.find('\0') != std::string::npos) return fail(1, "it holds NUL bytes");
  int number = 0;
  std::size_t start = 0;
  while (start < idxText_.size()) {
    std::size_t end = idxText_.find('\n', start);
    if (end == std::string::npos) end = idxText_.size();
    const std::string line = Trim(idxText_.substr(start, end - start));
    start = end + 1;
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (const auto size = After(line, "size:")) {
      char x = 0;
      int used = 0;
      if (std::sscanf(size->c_str(), "%d %c %d%n", &width_, &x, &height_, &used) != 3 || (x != 'x' && x != 'X') ||
          static_cast<std::size_t>(used) != size->size() || width_ <= 0 || height_ <= 0) {
        return fail(number, "size: is not WIDTHxHEIGHT");
      }
    } else if (const auto palette = After(line, "palette:")) {
      std::string error;
      palette_ = ParsePaletteFile("palette: " + *palette, PaletteFormat::kIdx, error);
      if (!palette_) return fail(number, error.c_str());
      paletteRgb_.clear();
      for (const std::string& item : Split(*palette)) paletteRgb_.push_back(item);
    } else if (const auto custom = After(line, "custom colors:")) {
      customColours_ = *custom;
    } else if (const auto id = After(line, "id:")) {
      const std::size_t comma = id->find(',');
      const auto index = comma == std::string::npos ? std::nullopt : After(Trim(id->substr(comma + 1)), "index:");
      int value = -1;
      int used = 0;
      if (!index || std::sscanf(index->c_str(), "%d%n", &value, &used) != 1 ||
          static_cast<std::size_t>(used) != index->size() || value < 0 || value > 31) {
        return fail(number, "id: is not 'id: LANGUAGE, index: N' with N 0-31");
      }
      if (Stream(value) != nullptr) return fail(number, "a second id: line for the same index");
      streams_.push_back({Trim(id->substr(0, comma)), value, {}, {}, {}});
    } else if (const auto stamp = After(line, "timestamp:")) {
      int h = 0, m = 0, s = 0, ms = 0, used = 0;
      unsigned long long filepos = 0;
      char sign = '+';
      const char* text = stamp->c_str();
      if (*text == '-') sign = *text++;
      if (std::sscanf(text, "%d:%d:%d:%d, filepos: %llx%n", &h, &m, &s, &ms, &filepos, &used) != 5 ||
          text[used] != '\0' || h < 0 || h > 99999 || m < 0 || m > 59 || s < 0 || s > 59 || ms < 0 || ms > 999) {
        return fail(number, "timestamp: is not 'timestamp: hh:mm:ss:mmm, filepos: HEX'");
      }
      if (streams_.empty()) return fail(number, "timestamp: before any id: line");
      const std::int64_t time = ((std::int64_t{h} * 60 + m) * 60 + s) * 1000 + ms;
      streams_.back().timestampMs.push_back(sign == '-' ? -time : time);
      streams_.back().filepos.push_back(static_cast<std::int64_t>(std::min<unsigned long long>(filepos, kMaxSubSize + 1)));
    }
  }
  return true;
}

bool VobSubFile::ReadUnits() {
  CFileVOB vob;
  KeepUnits keep;
  vob.SetUnitSink(&keep);
  vob.SetScanLineLevel(kLogDetail);  // the .sub is read as a document, not scanned as a disc
  if (!vob.Open(subPath_) || vob.Scan(false) < 0) return false;
  for (const KeepUnits::Lost& lost : keep.lost) {
    if (Stream(lost.stream) == nullptr) continue;  // a stream the .idx does not list
    LogMessage(kLogError, "ERROR - Stream %d unit at %08llX: %s [%s]", lost.stream, Hex(lost.offset),
               lost.why.c_str(), subPath_.c_str());
    return false;
  }
  const auto size = static_cast<std::int64_t>(sub_.size());
  for (VobSubStream& stream : streams_) {
    for (std::size_t i = 0; i < stream.filepos.size(); ++i) {
      const std::int64_t filepos = stream.filepos[i];
      const int n = stream.index;
      if (filepos >= size) {
        LogMessage(kLogError, "ERROR - Stream %d subtitle %zu: filepos %llX lies beyond the .sub (%lld bytes) [%s]",
                   n, i + 1, Hex(filepos), Hex(size), idxPath_.c_str());
        return false;
      }
      const std::int64_t pack = filepos - filepos % std::int64_t{kVobBlockSize};
      const auto found = keep.units.find({n, pack});
      const auto at = static_cast<std::size_t>(pack);
      // The scanner took the unit's first packet only with its time stamp, inside the pack.
      if (found == keep.units.end() || at + kPtsOffset + kPtsSize > sub_.size()) {
        LogMessage(kLogError, "ERROR - Stream %d subtitle %zu: no subtitle unit starts at filepos %llX [%s]", n,
                   i + 1, Hex(filepos), idxPath_.c_str());
        return false;
      }
      const std::vector<std::uint8_t>& bytes = found->second.bytes;
      std::vector<UnitWord> words;
      const UnitWalk walk = WalkUnitWords(bytes, words);
      if (walk.error != WalkError::kNone) {
        LogMessage(kLogError, "ERROR - Can't walk the commands of stream %d subtitle %zu at %08llX: %s [%s]", n,
                   i + 1, Hex(filepos), WalkErrorText(walk.error), subPath_.c_str());
        return false;
      }
      const std::uint8_t* p = sub_.data() + at + kPtsOffset;
      const std::int64_t time = (std::int64_t{p[0]} >> 1 & 0x07) << 30 | std::int64_t{p[1]} << 22 |
                                (std::int64_t{p[2]} >> 1) << 15 | std::int64_t{p[3]} << 7 | std::int64_t{p[4]} >> 1;
      stream.units.push_back({time, bytes, IsForcedUnit(bytes)});
    }
  }
  return true;
}

const VobSubStream* VobSubFile::Stream(int index) const {
  for (const VobSubStream& stream : streams_) {
    if (stream.index == index) return &stream;
  }
  return nullptr;
}

std::string VobSubFile::TextWithPalette(const PaletteTexts& palette) const {
  // An entry that reads as it did keeps its text: RGB to Y Cr Cb and back is not the identity.
  std::string line = "palette:";
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const std::string& hex = palette[i];
    const bool kept = palette_ && (*palette_)[i] == hex && i < paletteRgb_.size();
    line += (i == 0 ? " " : ", ") +
            (kept ? paletteRgb_[i]
                  : FormatText("%06x", PaletteFileRgb(HexTextY(hex) & 0xFF, HexTextCr(hex) & 0xFF, HexTextCb(hex) & 0xFF)));
  }
  std::size_t start = 0;
  std::size_t idLine = std::string::npos;
  while (start < idxText_.size()) {
    std::size_t end = idxText_.find('\n', start);
    if (end == std::string::npos) end = idxText_.size();
    const std::string text = idxText_.substr(start, end - start);
    const std::size_t indent = text.find_first_not_of(" \t");
    if (indent != std::string::npos && After(text.substr(indent), "palette:")) {
      const std::size_t cr = end > start && idxText_[end - 1] == '\r' ? 1 : 0;
      return idxText_.substr(0, start + indent) + line + idxText_.substr(end - cr);
    }
    if (idLine == std::string::npos && indent != std::string::npos && After(text.substr(indent), "id:")) idLine = start;
    start = end + 1;
  }
  if (idLine != std::string::npos) return idxText_.substr(0, idLine) + line + "\n" + idxText_.substr(idLine);
  const bool ended = idxText_.empty() || idxText_.back() == '\n';
  return idxText_ + (ended ? "" : "\n") + line + "\n";
}
