// SPDX-License-Identifier: GPL-3.0-or-later
// The subtitle units of one subpicture stream taken out of VOB files, and their SUP file.
#include "files/VobExtract.h"

#include <algorithm>
#include <array>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Subpicture.h"
#include "files/DiscLayout.h"
#include "files/Fileifo.h"
#include "files/Filesup.h"
#include "files/IfoAttributes.h"
#include "files/SubtitlePicture.h"

namespace {

constexpr std::int64_t kPtsModulus = std::int64_t{1} << 33;
constexpr std::int64_t kMaxSupTime = 0xFFFFFFFF;

// Keeps the units of the stream wanted, or of the lowest-numbered stream seen so far: a unit of
// a lower stream replaces what was kept, so one pass finds the first stream with subtitles.
class ExtractSink : public VobUnitSink {
 public:
  ExtractSink(const VobExtractOptions& options, VobExtraction& result)
      : options_(options), result_(result) {
    result_.stream = options.stream;
  }

  void SetFiles(const std::string& file, const std::string& next) {
    file_ = file;
    next_ = next;
  }

  bool TimedUnitComplete(int stream, std::optional<std::int64_t> pts, ByteView unit,
                         const std::vector<UnitPiece>&) override {
    if (IsMarkerUnit(unit)) return true;
    if (result_.stream >= 0 && stream != result_.stream) {
      if (options_.stream >= 0 || stream > result_.stream) return true;
    }
    if (stream != result_.stream) {
      result_.stream = stream;
      result_.units.clear();
      result_.store.Clear();
      times_.clear();
      subtitles_ = 0;
    }
    ++subtitles_;
    const bool forced = IsForcedUnit(unit);
    if (options_.forcedOnly && !forced) return true;
    result_.units.push_back({0, result_.store.Keep(unit), forced});
    times_.push_back(pts);
    return true;
  }
  bool UnitComplete(int stream, ByteView unit, const std::vector<UnitPiece>& pieces) override {
    return TimedUnitComplete(stream, std::nullopt, unit, pieces);
  }
  bool UnitLost(int stream, int part, std::int64_t offset, const char* why) override {
    lost_[static_cast<std::size_t>(stream)].push_back(
        {offset, why, part == 0 ? file_ : next_});
    return true;
  }
  // A unit begun before the first file: nothing of it can be taken.
  bool StrayPacket(int, std::int64_t) override { return true; }

  int Subtitles() const { return subtitles_; }
  const std::vector<std::optional<std::int64_t>>& Times() const { return times_; }
  void ReportLost(int stream) const {
    for (const Lost& lost : lost_[static_cast<std::size_t>(stream)]) {
      LogMessage(kLogWarning, "WARNING - Stream %d unit at %08llX dropped: %s [%s]", stream,
                 static_cast<unsigned long long>(lost.offset), lost.why, lost.file.c_str());
    }
  }

 private:
  struct Lost {
    std::int64_t offset;
    const char* why;
    std::string file;
  };
  const VobExtractOptions& options_;
  VobExtraction& result_;
  std::vector<std::optional<std::int64_t>> times_;
  int subtitles_ = 0;
  std::array<std::vector<Lost>, kSubpictureStreams> lost_;
  std::string file_;
  std::string next_;
};

// Sets each unit's time from its time stamp, as ExtractVobStream describes.
void SetTimes(VobExtraction& result, const std::vector<std::optional<std::int64_t>>& stamps) {
  std::int64_t last = 0;
  for (std::size_t i = 0; i < result.units.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    if (!stamps[i]) {
      LogMessage(kLogWarning, "WARNING - Subtitle %d has no time stamp: it takes the time before it", number);
    }
    const std::int64_t stamp = stamps[i].value_or(last);
    last = stamp;
    // Time stamps wrap at 2^33: one just after a wrap still counts on from the start.
    std::int64_t time = result.start ? ((stamp - *result.start) % kPtsModulus + kPtsModulus) % kPtsModulus
                                     : stamp;
    if (time > kMaxSupTime) {
      LogMessage(kLogWarning, "WARNING - Subtitle %d: time %lld out of range, %s", number,
                 static_cast<long long>(time),
                 result.start ? "it lies before the start; set to 0" : "its low 32 bits kept");
      time = result.start ? 0 : time & kMaxSupTime;
    }
    result.units[i].time = time;
  }
}

}  // namespace

ByteView UnitStore::Keep(ByteView bytes) {
  constexpr std::size_t kBlockSize = 2 * kLargePageSize;
  for (; current_ < blocks_.size(); ++current_) {
    Block& block = blocks_[current_];
    if (block.size - block.used >= bytes.size()) break;
  }
  if (current_ == blocks_.size()) {
    const std::size_t size = std::max(kBlockSize, bytes.size());
    blocks_.push_back({AlignedBytes(size, kLargePageSize), size, 0});
    AdviseLargePages(blocks_.back().memory.data(), size);
  }
  Block& block = blocks_[current_];
  std::uint8_t* at = block.memory.data() + block.used;
  std::copy(bytes.begin(), bytes.end(), at);
  block.used += bytes.size();
  return ByteView(at, bytes.size());
}

void UnitStore::Clear() {
  for (Block& block : blocks_) block.used = 0;
  current_ = 0;
}

bool ExtractVobStream(const std::vector<std::string>& files, const VobExtractOptions& options,
                      VobExtraction& result) {
  result = VobExtraction();
  ExtractSink sink(options, result);
  CFileVOB vob;
  vob.SetUnitSink(&sink);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!vob.Open(files[i])) return false;
    const bool continues = i + 1 < files.size() && IsNextVobPart(files[i], files[i + 1]);
    if (continues) vob.SetNextPart(files[i + 1]);
    sink.SetFiles(files[i], continues ? files[i + 1] : std::string());
    if (vob.Scan(false) < 0) return false;
    if (i == 0 && !options.absolute) result.start = vob.LowestTimeStamp().value_or(0);
  }
  if (sink.Subtitles() == 0) {
    if (options.stream < 0) {
      LogMessage(kLogError, "ERROR - No subtitles to extract");
    } else {
      LogMessage(kLogError, "ERROR - No subtitles in stream %d", options.stream);
    }
    return false;
  }
  sink.ReportLost(result.stream);
  if (result.units.empty()) {
    LogMessage(kLogError, "ERROR - No forced subtitles in stream %d", result.stream);
    return false;
  }
  SetTimes(result, sink.Times());
  LogMessage(kLogDetail, "Stream %d: %d subtitles taken", result.stream,
             static_cast<int>(result.units.size()));
  return true;
}

namespace {

template <class Unit>
bool SaveUnits(const std::string& path, const std::vector<Unit>& units) {
  AtomicFile file(path);
  if (!file.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create file [%s]", path.c_str());
    return false;
  }
  for (const Unit& unit : units) {
    std::array<std::uint8_t, CFileSUP::kHeaderSize> header{'S', 'P'};
    for (int b = 0; b < 4; ++b) header[2 + b] = static_cast<std::uint8_t>(unit.time >> (8 * b));
    if (!file.Write(header) || !file.Write(unit.bytes)) {
      LogMessage(kLogError, "ERROR - Can't write to file [%s]", path.c_str());
      return false;
    }
  }
  if (!file.Commit()) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", path.c_str());
    return false;
  }
  LogMessage(kLogInfo, "Data written to SUP file [%s]", path.c_str());
  return true;
}

}  // namespace

bool SaveSupUnits(const std::string& path, const std::vector<ExtractedUnit>& units) {
  return SaveUnits(path, units);
}

bool SaveSupUnits(const std::string& path, const std::vector<VobSubUnit>& units) {
  return SaveUnits(path, units);
}

bool ReadTitleSetSubtitleFacts(const std::string& vob, int stream, TitleSetSubtitleFacts& facts) {
  facts = TitleSetSubtitleFacts();
  for (std::size_t i = 0; i < facts.palette.size(); ++i) {
    const TColor c = kDefaultPalette[i];
    facts.palette[i] = FormatHexText(ColourToY(c), ColourToCr(c), ColourToCb(c));
  }
  const DiscFile disc = ClassifyDiscFile(vob);
  // A menu VOB's subtitles use the menus' palettes, not the titles': only title VOBs look.
  if (disc.kind != DiscFileKind::kTitleVob) return true;
  std::string ifoPath;
  for (const std::string& file : FolderFiles(FolderPartOf(vob).empty() ? "." : FolderPartOf(vob), ".IFO")) {
    const DiscFile found = ClassifyDiscFile(file);
    if (found.kind == DiscFileKind::kIfo && found.titleSet == disc.titleSet) ifoPath = file;
  }
  if (ifoPath.empty()) {
    LogMessage(kLogInfo, "No IFO file beside [%s]: the default palette, 720x576", vob.c_str());
    return true;
  }
  IfoTabValues tab;
  CFileIFO ifo(tab);
  ifo.SetReadBackupTwin(true);
  if (ifo.Load(ifoPath) == -1) return false;
  for (int i = 0; i < 16; ++i) {
    int y = 0, cr = 0, cb = 0;
    ifo.GetPaletteEntry(i, y, cr, cb);
    facts.palette[static_cast<std::size_t>(i)] = FormatHexText(y, cr, cb);
  }
  if (const auto size = TitleVideoSize(ifo.Data())) {
    facts.width = size->width;
    facts.height = size->height;
  }
  if (!ifo.Chains().empty()) facts.language = SubpictureLanguage(ifo.Data(), ifo.Chains().front(), stream);
  return true;
}

bool SaveVobSubExtraction(const std::string& idxPath, const std::string& firstVob,
                          const VobExtraction& extraction) {
  TitleSetSubtitleFacts facts;
  if (!ReadTitleSetSubtitleFacts(firstVob, extraction.stream, facts)) return false;
  VobSubTrack track;
  track.palette = facts.palette;
  track.width = facts.width;
  track.height = facts.height;
  if (!facts.language.empty()) track.language = facts.language;
  track.index = extraction.stream;
  // The writer takes units that hold their bytes; the copies live only for the save.
  std::vector<VobSubUnit> units;
  units.reserve(extraction.units.size());
  for (const ExtractedUnit& unit : extraction.units) {
    units.push_back({unit.time, {unit.bytes.begin(), unit.bytes.end()}, unit.forced});
  }
  return WriteVobSub(idxPath, track, units);
}
