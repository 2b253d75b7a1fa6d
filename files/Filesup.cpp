// SPDX-License-Identifier: GPL-3.0-or-later
// The SUP document: one SUP subtitle file, copied into memory or read from it as needed.
#include "files/Filesup.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"

namespace {

constexpr std::size_t kUnitSizeField = 10;     // file offset of the unit size in a packet
constexpr std::size_t kMarkerFileOffset = 16;  // the first unit's marker bytes in the file
// A save copies the bytes through a buffer of this size, which stays in the processor's cache,
// and puts the changed bytes in there.
constexpr std::size_t kSaveBuffer = std::size_t{256} << 10;
// A document held by its file reads it in windows of this size (more than any packet).
constexpr std::size_t kWindow = std::size_t{512} << 10;

// True when the unit has colour or contrast commands besides the first Cmd3 and Cmd4 of its
// first control sequence: later ones, or a change command. A unit that cannot be walked counts
// by what the walk met before it stopped.
// The first colour or contrast word of a unit's first control sequence, with the patches (unit
// offsets) planned for it applied; -1 when the command is missing.
int FirstWord(ByteView unit, int code, const std::vector<BytePatch>& patches = {}) {
  const auto at = FindUnitCommand(unit, code);
  if (!at) return -1;
  std::uint8_t word[2] = {unit[*at], unit[*at + 1]};
  for (const BytePatch& patch : patches) {
    if (patch.at == *at || patch.at == *at + 1) word[patch.at - *at] = patch.after;
  }
  return word[0] << 8 | word[1];
}

// Counts the distinct (colour, contrast) pairs in order of first appearance.
class MappingCounter {
 public:
  void Add(int colour, int contrast) {
    const std::int64_t key = (static_cast<std::int64_t>(colour + 1) << 17) | (contrast + 1);
    if (key != lastKey_) {  // neighbours mostly share their mapping
      auto found = seen_.find(key);
      if (found == seen_.end()) {
        found = seen_.emplace(key, mappings_.size()).first;
        mappings_.push_back({colour, contrast, 0, added_});
      }
      lastKey_ = key;
      last_ = found->second;
    }
    ++mappings_[last_].subtitles;
    ++added_;
  }
  std::vector<SupMapping> Take() { return std::move(mappings_); }

 private:
  std::map<std::int64_t, std::size_t> seen_;  // key -> index in mappings_
  std::int64_t lastKey_ = -1;
  std::size_t last_ = 0;
  int added_ = 0;
  std::vector<SupMapping> mappings_;
};

// What one walk of a unit tells a save by slot: the unit offsets of the argument words of its
// first control sequence's first Cmd3 and Cmd4 (as FindUnitCommand finds them), and whether it
// has colour or contrast commands besides those two: later ones, or a change command. A unit
// that cannot be walked counts by what the walk met before it stopped.
struct SlotWords {
  std::optional<std::size_t> colour;
  std::optional<std::size_t> contrast;
  bool later = false;
};

SlotWords WalkSlotWords(ByteView unit, std::vector<UnitWord>& words) {
  SlotWords found;
  const UnitWalk walk = WalkUnitWords(unit, words);
  found.later = walk.changeCommands > 0;
  for (const UnitWord& w : words) {
    std::optional<std::size_t>& first = w.kind == WordKind::kColour ? found.colour : found.contrast;
    if (w.sequence > 0 || w.inChange || first) {
      found.later = true;
      continue;
    }
    first = w.at;
  }
  if (walk.error != WalkError::kNone) {
    // A walk that stopped early may have stopped before the first list's words; the first list
    // alone is walked for them.
    found.colour = FindUnitCommand(unit, kCmdColour);
    found.contrast = FindUnitCommand(unit, kCmdContrast);
  }
  return found;
}

}  // namespace

CFileSUP::CFileSUP(SupTab& tab) : tab_(tab) {}

int CFileSUP::GetFileColour(int slot) const {
  return slot >= 0 && slot < kSlotCount ? FileColour[slot] : -1;
}

int CFileSUP::GetFileIntensity(int slot) const {
  return slot >= 0 && slot < kSlotCount ? FileIntensity[slot] : -1;
}

// The packet chain walked while the file is read: every packet whose header and whole unit are
// held is listed, and its mapping counted, while its bytes are still in the cache.
class CFileSUP::PacketLister {
 public:
  PacketLister(std::vector<std::int32_t>& packets, std::vector<SlotPlaces>& places)
      : packets_(packets), places_(places) {}

  // Walks on through the file's bytes [base, base + window size), which start where the last walk
  // stopped or before. `last`: no more bytes come, so a packet that does not fit is a truncated
  // last one; otherwise the walk waits for more.
  void Walk(ByteView window, std::int64_t base, bool last) {
    if (truncated_) return;
    // Offsets are the file's; `at` finds them in the window.
    const auto at = [base](std::int64_t offset) { return static_cast<std::size_t>(offset - base); };
    if (!markerKnown_) {  // the first window starts at the file's start
      if (window.size() < kMarkerFileOffset + kMarkerLength && !last) return;
      marker_ = window.size() >= kMarkerFileOffset + kMarkerLength &&
                IsMarkerUnit(window.subspan(kHeaderSize));
      markerKnown_ = true;
    }
    const std::int64_t end = base + static_cast<std::int64_t>(window.size());
    while (p_ < end) {
      // A truncated last packet stays in the bytes, so a save writes it back as it was.
      const auto unitSize = ReadBigEndian(window, at(p_) + kUnitSizeField, 2);
      const std::int64_t next =
          unitSize ? p_ + static_cast<std::int64_t>(kHeaderSize) + *unitSize : 0;
      if (!unitSize || next > end) {
        truncated_ = last;
        return;
      }
      if (p_ != 0 || !marker_) {
        packets_.push_back(static_cast<std::int32_t>(p_));
        const ByteView unit = window.subspan(at(p_) + kHeaderSize, *unitSize);
        // One walk gives the mapping and what a save by slot needs; only argument words ever
        // change, so its findings hold for the document's life.
        const SlotWords found = WalkSlotWords(unit, words_);
        const auto word = [&](std::optional<std::size_t> offset) {
          return offset ? static_cast<int>(ReadBigEndianUnchecked(unit.data() + *offset, 2)) : -1;
        };
        mappings_.Add(word(found.colour), word(found.contrast));
        places_.push_back({found.colour ? static_cast<std::int32_t>(*found.colour) : -1,
                           found.contrast ? static_cast<std::int32_t>(*found.contrast) : -1,
                           found.later});
      }
      p_ = next;  // at least 10 bytes on, even for a unit size of 0
    }
  }
  bool Truncated() const { return truncated_; }
  std::int64_t Stop() const { return p_; }
  std::vector<SupMapping> TakeMappings() { return mappings_.Take(); }

 private:
  std::vector<std::int32_t>& packets_;
  std::vector<SlotPlaces>& places_;
  std::vector<UnitWord> words_;
  MappingCounter mappings_;
  bool markerKnown_ = false;
  bool marker_ = false;
  bool truncated_ = false;
  std::int64_t p_ = 0;  // 64 bits: the last step may pass the largest 32-bit offset
};

int CFileSUP::Load(const std::string& fileName, Holding holding) {
  ReleaseBytes(Bytes);
  file_ = FileDescriptor();
  pending_.clear();
  windowSize_ = 0;
  Size = 0;
  Packets.clear();
  places_.clear();
  ColourFound = IntensityFound = false;
  mappings_.clear();
  const auto fail = [this] {
    Size = 0;
    ReleaseBytes(Bytes);
    file_ = FileDescriptor();
    Packets.clear();
    places_.clear();
    return -1;
  };
  PacketLister lister(Packets, places_);
  const auto arrived = [&](const std::vector<std::uint8_t>& data, std::size_t held) {
    lister.Walk(ByteView(data.data(), held), 0, false);
  };
  std::uint64_t fileSize = 0;
  const bool byFile =
      holding == Holding::kFile && OpenDocumentFile(fileName, file_, fileSize, kMaxFileSize);
  if (!byFile && !LoadDocumentBytes(fileName, Bytes, kMaxFileSize, arrived)) return fail();
  Size = static_cast<std::int32_t>(byFile ? fileSize : Bytes.size());

  if (!IsSupData()) {
    LogMessage(kLogError, "ERROR - Not a SUP file [%s]", fileName.c_str());
    return fail();
  }
  if (!HasMarker()) {
    LogMessage(kLogWarning, "WARNING - Not a QUENLIX SUP file [%s]", fileName.c_str());
  }
  if (!byFile) {
    lister.Walk(ByteView(Bytes), 0, true);
  } else if (!WalkFile(lister)) {
    LogMessage(kLogError, "ERROR - Can't read [%s]", fileName.c_str());
    return fail();
  }
  return ListPackets(fileName, lister);
}

bool CFileSUP::WalkFile(PacketLister& lister) const {
  const auto size = static_cast<std::size_t>(Size);
  // Each window starts at the packet the last walk stopped in, so that it is read whole.
  for (std::size_t start = 0;;) {
    const ByteView window = Range(start, kWindow);
    if (window.empty()) return false;  // cut short
    const bool last = start + window.size() == size;
    lister.Walk(window, static_cast<std::int64_t>(start), last);
    if (last) return true;
    const auto stop = static_cast<std::size_t>(lister.Stop());
    if (stop == start) return false;  // no packet is longer than a window
    start = stop;
  }
}

ByteView CFileSUP::Range(std::size_t offset, std::size_t size) const {
  if (!file_.valid()) {
    const ByteView bytes(Bytes);
    return offset < bytes.size() ? bytes.subspan(offset, std::min(size, bytes.size() - offset))
                                 : ByteView{};
  }
  const auto held = static_cast<std::size_t>(Size);
  if (offset >= held) return {};
  size = std::min(size, held - offset);
  if (offset < windowStart_ || offset + size > windowStart_ + windowSize_) {
    // Read on from here: callers go through the file forwards.
    window_.resize(std::max(window_.size(), std::max(size, kWindow)));
    windowStart_ = offset;
    windowSize_ = std::min(window_.size(), held - offset);
    if (!ReadAt(file_.get(), static_cast<std::int64_t>(offset), window_.data(), windowSize_)) {
      windowSize_ = 0;
      return {};
    }
    // The last save, in order of offset.
    auto patch = std::lower_bound(pending_.begin(), pending_.end(), offset,
                                  [](const FilePatch& p, std::size_t at) { return p.at < at; });
    for (; patch != pending_.end() && patch->at < offset + windowSize_; ++patch)
      window_[patch->at - offset] = patch->after;
  }
  return ByteView(window_.data() + (offset - windowStart_), size);
}

bool CFileSUP::TakeCopy() const {
  if (file_.valid()) {
    Bytes.resize(static_cast<std::size_t>(Size));
    const bool read = ReadAt(file_.get(), 0, Bytes.data(), Bytes.size());
    file_ = FileDescriptor();
    window_ = {};
    windowSize_ = 0;
    if (!read) {
      ReleaseBytes(Bytes);
      pending_.clear();
      return false;
    }
  }
  for (const FilePatch& patch : pending_) Bytes[patch.at] = patch.after;
  pending_.clear();
  pending_.shrink_to_fit();
  return true;
}

bool CFileSUP::Settle(const std::string& fileName) const {
  if (pending_.empty() || TakeCopy()) return true;
  LogMessage(kLogError, "ERROR - Writing to SUP file [%s]", fileName.c_str());
  return false;
}

const std::vector<std::uint8_t>& CFileSUP::Data() const {
  TakeCopy();
  return Bytes;
}

bool CFileSUP::IsSupData() const {
  const ByteView head = Range(0, 2);
  return Size > 2 && head.size() == 2 && head[0] == 'S' && head[1] == 'P';
}

bool CFileSUP::HasMarker() const {
  if (Size < static_cast<std::int32_t>(kMarkerFileOffset + kMarkerLength)) return false;
  return IsMarkerUnit(Range(kHeaderSize, kMarkerFileOffset + kMarkerLength - kHeaderSize));
}

int CFileSUP::ListPackets(const std::string& fileName, PacketLister& lister) {
  if (LogWanted(kLogInfo)) {
    for (std::size_t i = 0; i < Packets.size(); ++i) {
      LogMessage(kLogInfo, "%4d - %08X", static_cast<int>(i) + 1,
                 static_cast<unsigned>(Packets[i]));
    }
  }
  if (lister.Truncated()) {
    LogMessage(kLogWarning, "WARNING - Truncated packet at %08X ignored [%s]",
               static_cast<unsigned>(lister.Stop()), fileName.c_str());
  }
  if (!Packets.empty()) {
    ReadFileColour(Packets[0]);
    ReadFileIntensity(Packets[0]);
  }
  mappings_ = lister.TakeMappings();
  if (mappings_.size() > 1) {
    LogMessage(kLogWarning, "WARNING - %d subtitles use other colours than the first [%s]",
               PacketCount() - mappings_.front().subtitles, fileName.c_str());
  }
  return PacketCount();
}

ByteView CFileSUP::UnitOf(std::int32_t packet) const {
  // Read with its header, so that the packet's time (SubtitleTime) is in the same window.
  const auto offset = static_cast<std::size_t>(packet);
  const auto unitSize = ReadBigEndian(Range(offset, kHeaderSize + 2), kHeaderSize, 2);
  if (!unitSize) return {};
  const ByteView bytes = Range(offset, kHeaderSize + *unitSize);
  return bytes.size() == kHeaderSize + *unitSize ? bytes.subspan(kHeaderSize) : ByteView{};
}

ByteView CFileSUP::SubtitleUnit(int index) const {
  if (index < 0 || index >= PacketCount()) return {};
  return UnitOf(Packets[static_cast<std::size_t>(index)]);
}

std::uint32_t CFileSUP::SubtitleTime(int index) const {
  if (index < 0 || index >= PacketCount()) return 0;
  const ByteView header =
      Range(static_cast<std::size_t>(Packets[static_cast<std::size_t>(index)]), 6);
  std::uint32_t time = 0;
  for (std::size_t i = header.size(); i > 2; --i) time = time << 8 | header[i - 1];
  return time;
}

std::int64_t CFileSUP::FindPacketCommand(std::int32_t packet, int code) const {
  const auto offset = FindUnitCommand(UnitOf(packet), code);
  if (!offset) return -1;
  return static_cast<std::int64_t>(packet) + static_cast<std::int64_t>(kHeaderSize + *offset);
}

// When the first subtitle lacks the command, the file's mapping keeps the values it had (as
// after a file without subtitles) and a warning says so; the load still succeeds.
bool CFileSUP::ReadFileWord(std::int32_t packet, int code, const char* format,
                            std::array<std::int32_t, kSlotCount>& slots) {
  const std::int64_t at = FindPacketCommand(packet, code);
  if (at < 0) {
    LogMessage(kLogWarning, "WARNING - Can't find Cmd%d in first subtitle!!!", code);
    return false;
  }
  const auto word = ReadBigEndian(Range(static_cast<std::size_t>(at), 2), 0, 2);
  if (!word) return false;  // the file was cut short
  LogMessage(kLogInfo, format, static_cast<int>(*word));
  for (int s = 0; s < kSlotCount; ++s) slots[s] = SlotValue(s, static_cast<int>(*word));
  return true;
}

void CFileSUP::ReadFileColour(std::int32_t packet) {
  ColourFound = ReadFileWord(packet, kCmdColour, "Cmd3 - %04X", FileColour);
}

void CFileSUP::ReadFileIntensity(std::int32_t packet) {
  IntensityFound = ReadFileWord(packet, kCmdContrast, "Cmd4 - %04X", FileIntensity);
}

std::pair<int, int> CFileSUP::TabWords() const {
  const int colour =
      MakeCommandWord(tab_.MapIndex(0), tab_.MapIndex(1), tab_.MapIndex(2), tab_.MapIndex(3));
  const int intensity =
      MakeCommandWord(tab_.IntIndex(0), tab_.IntIndex(1), tab_.IntIndex(2), tab_.IntIndex(3));
  return {colour & 0xFFFF, intensity & 0xFFFF};
}

bool CFileSUP::PlanSlotSave(std::vector<FilePatch>& patches, int& later) const {
  const auto [colourWord, intensityWord] = TabWords();
  patches.reserve(4 * Packets.size());
  later = 0;
  for (std::size_t i = 0; i < Packets.size(); ++i) {
    const std::int32_t p = Packets[i];
    LogMessage(kLogDetail, "%4d - %08X", static_cast<int>(i + 1), static_cast<unsigned>(p));
    // The load's walk found both words and whether later commands are left alone.
    const std::size_t unitStart = static_cast<std::size_t>(p) + kHeaderSize;
    const SlotPlaces& found = places_[i];
    if (found.colour < 0) {
      LogMessage(kLogError, "ERROR - Can't find Cmd3!!!");
      return false;
    }
    const std::size_t colourAt = unitStart + static_cast<std::size_t>(found.colour);
    LogMessage(kLogDebug, "%4d - %08X 03[%04X]", static_cast<int>(i),
               static_cast<unsigned>(colourAt), colourWord);
    if (found.contrast < 0) {
      LogMessage(kLogError, "ERROR - Can't find Cmd4!!!");
      return false;
    }
    const std::size_t intensityAt = unitStart + static_cast<std::size_t>(found.contrast);
    LogMessage(kLogDebug, "%4d - %08X 04[%04X]", static_cast<int>(i),
               static_cast<unsigned>(intensityAt), intensityWord);
    // The plan stays in order of offset, whichever command comes first.
    auto words = std::array{std::pair{colourAt, colourWord}, std::pair{intensityAt, intensityWord}};
    if (intensityAt < colourAt) std::swap(words[0], words[1]);
    for (const auto& [pos, word] : words) {
      const auto at = static_cast<std::uint32_t>(pos);
      patches.push_back({at, static_cast<std::uint8_t>(word >> 8)});
      patches.push_back({at + 1, static_cast<std::uint8_t>(word & 0xFF)});
    }
    later += found.later ? 1 : 0;
  }
  return true;
}

std::optional<std::vector<std::vector<std::uint8_t>>> CFileSUP::SlotMappedUnits() const {
  std::vector<FilePatch> patches;
  int later = 0;
  if (!PlanSlotSave(patches, later)) return std::nullopt;
  std::vector<std::vector<std::uint8_t>> units;
  units.reserve(Packets.size());
  std::size_t next = 0;  // the plan runs through the packets in order
  for (int i = 0; i < PacketCount(); ++i) {
    const ByteView unit = SubtitleUnit(i);
    const std::size_t start =
        static_cast<std::size_t>(Packets[static_cast<std::size_t>(i)]) + kHeaderSize;
    std::vector<std::uint8_t> bytes(unit.begin(), unit.end());
    for (; next < patches.size() && patches[next].at < start + unit.size(); ++next) {
      if (patches[next].at >= start) bytes[patches[next].at - start] = patches[next].after;
    }
    units.push_back(std::move(bytes));
  }
  return units;
}

bool CFileSUP::Save(const std::string& fileName) {
  if (!Settle(fileName)) return false;
  const auto [colourWord, intensityWord] = TabWords();
  LogMessage(kLogDetail, "Colour Data = %4X", colourWord);
  LogMessage(kLogDetail, "Intensity Data = %4X", intensityWord);

  // The bytes go to a temporary file that replaces the target only once all are written, so a
  // failed save never damages an existing file. Nothing is dropped here: destroying `target`
  // without a commit removes the temporary file.
  AtomicFile target(fileName);
  if (!target.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create [%s]", fileName.c_str());
    return false;
  }

  // Every packet's two words are located before any is rewritten, so a packet without Cmd3 or
  // Cmd4 stops the save with the document as it was.
  std::vector<FilePatch> patches;
  int laterCommands = 0;
  if (!PlanSlotSave(patches, laterCommands)) return false;
  if (laterCommands > 0) {
    LogMessage(kLogWarning,
               "WARNING - %d subtitles have later colour or contrast commands, left unchanged [%s]",
               laterCommands, fileName.c_str());
  }
  if (!WriteSaved(target, fileName, patches)) return false;
  KeepSaved(std::move(patches));
  LogMessage(kLogInfo, "Data written to SUP file [%s]", fileName.c_str());

  if (!Packets.empty()) {
    ReadFileColour(Packets[0]);
    ReadFileIntensity(Packets[0]);
  }
  mappings_.clear();  // every subtitle now has the one mapping
  if (!Packets.empty()) mappings_.push_back({colourWord, intensityWord, PacketCount()});
  ShowFileMapping();
  return true;
}

bool CFileSUP::WriteSaved(AtomicFile& target, const std::string& fileName,
                          const std::vector<FilePatch>& patches) const {
  const auto total = static_cast<std::size_t>(Size);
  AlignedBytes buffer(std::min(kSaveBuffer, std::max<std::size_t>(total, 1)), kPageSize);
  bool written = total == 0 ? target.Write({}) : true;
  std::size_t next = 0;
  for (std::size_t at = 0; written && at < total; at += kSaveBuffer) {
    const std::size_t size = std::min(kSaveBuffer, total - at);
    if (file_.valid()) {
      written = ReadAt(file_.get(), static_cast<std::int64_t>(at), buffer.data(), size);
    } else {
      std::memcpy(buffer.data(), Bytes.data() + at, size);
    }
    for (; written && next < patches.size() && patches[next].at < at + size; ++next) {
      written = patches[next].at >= at;  // a plan out of order is refused, never written wrong
      if (written) buffer.data()[patches[next].at - at] = patches[next].after;
    }
    written = written && target.Write(ByteView(buffer.data(), size));
  }
  if (written && next == patches.size() && target.Commit()) return true;
  LogMessage(kLogError, "ERROR - Writing to SUP file [%s]", fileName.c_str());
  return false;
}

void CFileSUP::KeepSaved(std::vector<FilePatch> patches) {
  if (file_.valid()) {
    pending_ = std::move(patches);
    windowSize_ = 0;  // read before the save
    return;
  }
  for (const FilePatch& patch : patches) Bytes[patch.at] = patch.after;
}

bool CFileSUP::SaveEntryRemap(const std::string& fileName, const EntryMap& map) {
  std::string entries;
  std::string contrasts;
  for (int i = 0; i < 16; ++i) {
    entries += FormatText("%X", map.entry[i] & 0xF);
    contrasts += map.contrast[i] < 0 ? std::string("-") : FormatText("%X", map.contrast[i] & 0xF);
  }
  LogMessage(kLogDetail, "Entry Data = %s", entries.c_str());
  LogMessage(kLogDetail, "Contrast Data = %s", contrasts.c_str());

  // Every subtitle is walked and planned before the target is made: one that cannot be walked
  // refuses the save with nothing written and the document as it was.
  // Room for a few changed bytes per subtitle: memory not yet written costs nothing, and the
  // plan is not copied as it grows.
  if (!Settle(fileName)) return false;
  std::vector<FilePatch> patches;
  patches.reserve(16 * Packets.size());
  std::vector<BytePatch> unitPatches;
  MappingCounter mappings;  // as they will be once written
  int changed = 0;
  for (std::size_t i = 0; i < Packets.size(); ++i) {
    const std::int32_t p = Packets[i];
    LogMessage(kLogDetail, "%4d - %08X", static_cast<int>(i + 1), static_cast<unsigned>(p));
    unitPatches.clear();
    const ByteView unit = UnitOf(p);
    const UnitWalk walk = PlanEntryRemap(unit, map, unitPatches);
    const std::size_t unitStart = static_cast<std::size_t>(p) + kHeaderSize;
    if (walk.error != WalkError::kNone) {
      LogMessage(kLogError, "ERROR - Can't walk the commands of subtitle %d at %08X: %s [%s]",
                 static_cast<int>(i + 1), static_cast<unsigned>(unitStart + walk.errorAt),
                 WalkErrorText(walk.error), fileName.c_str());
      return false;
    }
    LogMessage(kLogDebug, "%4d - %08X %d sequences, %zu bytes changed", static_cast<int>(i),
               static_cast<unsigned>(p), walk.sequences, unitPatches.size());
    changed += unitPatches.empty() ? 0 : 1;
    mappings.Add(FirstWord(unit, kCmdColour, unitPatches), FirstWord(unit, kCmdContrast, unitPatches));
    // In order of offset; a byte planned twice keeps its order, so the later one is written.
    std::stable_sort(unitPatches.begin(), unitPatches.end(),
                     [](const BytePatch& a, const BytePatch& b) { return a.at < b.at; });
    for (const BytePatch& patch : unitPatches) {
      patches.push_back({static_cast<std::uint32_t>(unitStart + patch.at), patch.after});
    }
  }

  AtomicFile target(fileName);
  if (!target.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create [%s]", fileName.c_str());
    return false;
  }
  if (!WriteSaved(target, fileName, patches)) return false;
  KeepSaved(std::move(patches));
  LogMessage(kLogInfo, "Data written to SUP file [%s]", fileName.c_str());
  LogMessage(kLogInfo, "%d of %d subtitles changed", changed, PacketCount());
  if (!Packets.empty()) {
    ReadFileColour(Packets[0]);
    ReadFileIntensity(Packets[0]);
  }
  mappings_ = mappings.Take();
  ShowFileMapping();
  return true;
}

void CFileSUP::ShowFileMapping() {
  for (int s = 0; s < kSlotCount; ++s) {
    tab_.SetMapIndex(s, GetFileColour(s));
    tab_.SetMapFileText(s, std::to_string(GetFileColour(s)));
  }
  for (int s = 0; s < kSlotCount; ++s) {
    tab_.SetIntIndex(s, GetFileIntensity(s));
    tab_.SetIntFileText(s, std::to_string(GetFileIntensity(s)));
  }
}

void CFileSUP::ShowSupGrid() {
  for (int n = 0; n < 16; ++n) {
    for (int row = 0; row < kSlotCount; ++row) tab_.SetGridCell(2 * n, row, std::string());
  }
  for (int s = 0; s < kSlotCount; ++s) {
    const int m = tab_.MapIndex(s);
    if (m < 0 || m > 15) continue;  // no entry chosen: the row stays empty
    tab_.SetGridCell(2 * m, s, std::to_string(tab_.IntIndex(s)));
  }
}
