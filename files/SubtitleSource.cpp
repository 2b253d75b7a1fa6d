// SPDX-License-Identifier: GPL-3.0-or-later
// The subtitles the viewer lists: those of the SUP document, or of one stream of a VOB scan.
#include "files/SubtitleSource.h"

#include "core/FileIO.h"
#include "core/Platform.h"
#include "files/Filesup.h"

namespace {

std::optional<int> FirstWord(ByteView unit, int code) {
  const auto at = FindUnitCommand(unit, code);
  if (!at) return std::nullopt;
  return static_cast<int>(ReadBigEndianUnchecked(unit.data() + *at, 2));
}

}  // namespace

SubtitleRow DescribeSubtitle(const SubtitleSource& source, int index) {
  std::vector<std::uint8_t> buffer;
  const ByteView unit = source.Unit(index, buffer);
  SubtitleRow row;
  if (unit.empty()) return row;
  row.readable = true;
  row.facts = ReadSubpictureFacts(unit);
  row.colour = FirstWord(unit, kCmdColour);
  row.contrast = FirstWord(unit, kCmdContrast);
  return row;
}

int SupSubtitles::Count() const { return sup_.PacketCount(); }

std::optional<std::int64_t> SupSubtitles::Time(int index) const {
  if (index < 0 || index >= Count()) return std::nullopt;
  return sup_.SubtitleTime(index);
}

ByteView SupSubtitles::Unit(int index, std::vector<std::uint8_t>&) const {
  return sup_.SubtitleUnit(index);
}

void VobSubtitleIndex::Clear() {
  files_.clear();
  for (auto& stream : streams_) stream.clear();
}

void VobSubtitleIndex::Add(const std::vector<VobUnitFacts>& units, const std::string& path,
                           const std::string& nextPart) {
  files_.push_back({path, nextPart});
  const int file = static_cast<int>(files_.size()) - 1;
  for (const VobUnitFacts& unit : units) {
    if (unit.stream < 0 || unit.stream >= kSubpictureStreams) continue;
    streams_[static_cast<std::size_t>(unit.stream)].push_back(
        {file, unit.pts, unit.size, unit.pieces});
  }
}

std::vector<int> VobSubtitleIndex::Streams() const {
  std::vector<int> streams;
  for (int s = 0; s < kSubpictureStreams; ++s) {
    if (!streams_[static_cast<std::size_t>(s)].empty()) streams.push_back(s);
  }
  return streams;
}

int VobSubtitleIndex::Count(int stream) const {
  if (stream < 0 || stream >= kSubpictureStreams) return 0;
  return static_cast<int>(streams_[static_cast<std::size_t>(stream)].size());
}

const VobSubtitleIndex::Place* VobSubtitleIndex::At(int stream, int index) const {
  if (index < 0 || index >= Count(stream)) return nullptr;
  return &streams_[static_cast<std::size_t>(stream)][static_cast<std::size_t>(index)];
}

std::optional<std::int64_t> VobSubtitleIndex::Time(int stream, int index) const {
  const Place* place = At(stream, index);
  return place ? place->pts : std::nullopt;
}

ByteView VobSubtitleIndex::Unit(int stream, int index, std::vector<std::uint8_t>& buffer) const {
  buffer.clear();
  const Place* place = At(stream, index);
  if (place == nullptr) return {};
  std::size_t total = 0;
  for (const UnitPiece& piece : place->pieces) total += piece.length;
  // The pieces were counted whole by the scan; anything else is not a unit to read.
  if (place->size < 2 || total != static_cast<std::size_t>(place->size)) return {};
  buffer.resize(total);
  // A unit lies in at most two files, the one scanned and its next part: each is opened once.
  std::array<FileDescriptor, 2> open;
  std::size_t filled = 0;
  for (const UnitPiece& piece : place->pieces) {
    const std::size_t part = piece.part == 1 ? 1 : 0;
    FileDescriptor& fd = open[part];
    if (!fd.valid())
      fd = FileDescriptor(OpenForReading(files_[static_cast<std::size_t>(place->file)][part]));
    if (!fd.valid() || !ReadAt(fd.get(), piece.offset, buffer.data() + filled, piece.length)) {
      buffer.clear();
      return {};
    }
    filled += piece.length;
  }
  // A file rewritten since the scan: its bytes there are no longer this unit.
  if (ReadBigEndianUnchecked(buffer.data(), 2) != total) {
    buffer.clear();
    return {};
  }
  return ByteView(buffer.data(), buffer.size());
}
