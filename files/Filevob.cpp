// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB scanner: which palette entries, slots and intensities a disc's subtitles use.
//
// Damaged packets and units are dropped, never read or written outside their bytes:
// - a subpicture packet whose length is below its header data length + 4, or whose data would
//   run past the bytes read for its block, is dropped together with the unit under way for its
//   stream (a piece of that unit is lost);
// - a first packet too short to hold the 2-byte unit size is dropped the same way;
// - a piece that would run past its unit's declared size drops the unit;
// - a unit is complete when its bytes reach the declared size, also when the last packet fills
//   its block; a packet shorter than full that leaves the unit short of its size drops it;
// - a continuation packet for a stream with no unit under way is ignored;
// - a complete unit is evaluated on the bytes received; one too short for the marker test is
//   simply not a marker unit, and one whose control-sequence offset points outside it lacks
//   Cmd3 and Cmd4, which ends the scan like any unit without them.
// A unit under way at the end of a file whose next part is known is completed from the start of
// that part: only packets of streams with a unit under way are taken there; a packet that starts
// a new unit drops the old one (the new one belongs to the next part's own scan). Units not
// complete at the end of the next part, or after kMaxContinuationBytes of it, are dropped.
// A short last block (a file size not a multiple of 2048) is zero-filled past the bytes read
// and parsed like any other block; its packet must lie within the bytes read.
// Offsets are 64-bit. The block line prints the offset in at least eight hex digits, more from
// 4 GiB on, and the block number in at least six decimal places.
#include "files/Filevob.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Progress.h"
#include "files/SubtitlePicture.h"

namespace {

constexpr std::size_t kSubstreamFromDataStart = 1;  // the substream id precedes the data
constexpr int kPesHeaderBytes = 24;                 // DataStart = header data length + 24
constexpr int kSubstreamAndFlags = 4;  // PES flags (2), header data length (1), substream id (1)
constexpr std::size_t kPesHeaderDataOffset = 23;  // the time stamp, when there is one
constexpr int kPtsBytes = 5;
constexpr std::size_t kPesMarkerOffset = 20;  // '10' then the MPEG-2 PES flags
constexpr std::uint32_t kFirstAudioStream = 0x1C0;
constexpr std::uint32_t kLastVideoStream = 0x1EF;

// '0010' PTS[32..30] 1, PTS[29..15] 1, PTS[14..0] 1
std::int64_t ReadPts(const std::uint8_t* p) {
  return (std::int64_t{p[0] >> 1 & 7} << 30) | (std::int64_t{p[1]} << 22) |
         (std::int64_t{p[2] >> 1} << 15) | (std::int64_t{p[3]} << 7) | (p[4] >> 1);
}

}  // namespace

CFileVOB::CFileVOB() : chunk_(kChunkSize, kPageSize) {
  std::fill_n(chunk_.data(), kChunkSize, std::uint8_t{0});
  chunkStart_ = chunk_.data();
  block_ = chunkStart_;
  ClearMapping();
}

CFileVOB::~CFileVOB() { Release(); }

namespace {

// Opens a file to scan and takes its size (kUnknownSize for a pipe or device, read until it
// ends); none and the error line when it can't be opened. Read only: POSIX has no share modes,
// other programs may still write the file meanwhile.
FileDescriptor OpenScanFile(const std::string& path, std::int64_t& size) {
  FileDescriptor fd(OpenForReading(path));
  struct stat info {};
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
    LogMessage(kLogError, "ERROR - Can't open [%s]", path.c_str());
    return FileDescriptor();
  }
  AdviseSequentialRead(fd.get());
  size = S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : -1;
  return fd;
}

}  // namespace

bool CFileVOB::Open(const std::string& path) {
  std::int64_t size = 0;
  FileDescriptor fd = OpenScanFile(path, size);
  if (!fd.valid()) return false;
  stream_ = std::move(fd);
  path_ = path;
  size_ = size;
  ResetChunk();
  nextPart_.clear();
  part_ = 0;
  return true;
}

void CFileVOB::ResetChunk() {
  chunkStart_ = chunk_.data();
  block_ = chunkStart_;
  chunkHeld_ = 0;
  chunkPos_ = 0;
  readFailed_ = false;
  chunkOffset_ = 0;
  chunkEnd_ = 0;
  handedTo_ = 0;
}

bool CFileVOB::ChunkDone() {
  if (sink_ == nullptr || part_ != 0 || chunkEnd_ <= handedTo_) return true;
  handedTo_ = chunkEnd_;
  return sink_->ChunkScanned(MutableByteView(chunkStart_, chunkHeld_), chunkOffset_);
}

void CFileVOB::ClearMapping() {
  for (auto& row : usage_) row.fill(-1);
  for (VobStreamUsage& stream : streams_) {
    stream.subtitles = 0;
    stream.dropped = 0;
    for (auto& row : stream.usage) row.fill(-1);
  }
  facts_.clear();
  lost_.clear();
}

void CFileVOB::ShowVobGrid(PaletteGridCells& grid) const {
  for (int i = 0; i < 16; ++i) {
    for (int s = 0; s < kSlotCount; ++s) {
      const int value = usage_[i][s];
      grid.SetGridCell(2 * i + 1, s, value < 0 ? std::string() : std::to_string(value));
    }
  }
}

void CFileVOB::Release() {
  for (auto& unit : units_) unit.reset();
  spares_ = {};
  stream_.Close();
  path_.clear();
  nextPart_.clear();
  part_ = 0;
  size_ = 0;
  ResetChunk();
}

bool CFileVOB::NoUnitsHeld() const {
  return std::none_of(units_.begin(), units_.end(), [](const auto& u) { return u.has_value(); });
}

// Read here rather than through ReadBigEndianUnchecked: these run once per 2 KiB block, and a
// call per block shows in a scan.
std::uint32_t CFileVOB::StartCode() const {
  const std::uint8_t* p = block_ + kStartCodeOffset;
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

int CFileVOB::PacketLength() const {
  const std::uint8_t* p = block_ + kPacketLengthOffset;
  return p[0] << 8 | p[1];
}

int CFileVOB::HeaderDataLength() const { return block_[kHeaderDataLengthOffset]; }

bool CFileVOB::HasPts() const { return (block_[kPesFlagsOffset] & 0x80) != 0; }

int CFileVOB::DataStart() const { return HeaderDataLength() + kPesHeaderBytes; }

// DataStart is at most 255 + 24, so the id always lies inside the block.
int CFileVOB::SubstreamId() const { return block_[DataStart() - kSubstreamFromDataStart]; }

CFileVOB::BlockRead CFileVOB::ReadBlock() {
  std::uint8_t* chunk = chunkStart_;
  if (chunkPos_ >= chunkHeld_) {
    if (readFailed_) return BlockRead::kFailed;
    if (!ChunkDone()) return BlockRead::kStopped;
    chunkOffset_ = chunkEnd_;
    chunkHeld_ = 0;
    chunkPos_ = 0;
    std::uint8_t* lent = part_ == 0 && sink_ != nullptr ? sink_->ChunkBuffer() : nullptr;
    chunkStart_ = lent != nullptr ? lent : chunk_.data();
    chunk = chunkStart_;
    blockLines_ = LogWanted(kLogDetail);
    while (chunkHeld_ < kChunkSize) {
      const ssize_t got = ReadSome(stream_.get(), chunk + chunkHeld_, kChunkSize - chunkHeld_);
      if (got < 0) {
        // The blocks that did arrive are still scanned; the error counts from the first block
        // that could not be read whole.
        readFailed_ = true;
        break;
      }
      if (got == 0) break;
      chunkHeld_ += static_cast<std::size_t>(got);
    }
    chunkEnd_ += static_cast<std::int64_t>(chunkHeld_);
    if (chunkHeld_ == 0) return readFailed_ ? BlockRead::kFailed : BlockRead::kEnd;
  }
  block_ = chunk + chunkPos_;
  const std::size_t available = chunkHeld_ - chunkPos_;
  if (available >= kVobBlockSize) {
    blockHeld_ = kVobBlockSize;
    chunkPos_ += kVobBlockSize;
    return BlockRead::kFull;
  }
  if (readFailed_) return BlockRead::kFailed;
  // A VOB's last block may be short: the rest of the block reads as zeros.
  std::memset(chunk + chunkHeld_, 0, kVobBlockSize - available);
  blockHeld_ = available;
  chunkPos_ = chunkHeld_;
  return BlockRead::kShort;
}

void CFileVOB::DropUnit(int stream) {
  std::optional<Unit>& slot = units_[static_cast<std::size_t>(stream)];
  if (!slot) return;
  Spare& spare = spares_[static_cast<std::size_t>(stream)];
  spare.bytes = std::move(slot->bytes);
  spare.pieces = std::move(slot->pieces);
  slot.reset();
}

std::optional<CFileVOB::Packet> CFileVOB::ParsePacket() const {
  if (StartCode() != kPrivateStream1) return std::nullopt;
  const int id = SubstreamId();
  if (id < kFirstSubpictureId || id >= kFirstSubpictureId + kSubpictureStreams) return std::nullopt;
  Packet packet;
  packet.stream = id - kFirstSubpictureId;
  const int m = PacketLength();
  const int h = HeaderDataLength();
  if (m < h + kSubstreamAndFlags || kPacketEnd + static_cast<std::size_t>(m) > blockHeld_) {
    packet.damaged = true;
    return packet;
  }
  packet.startsUnit = HasPts();
  packet.shortPacket = m < kFullPacketLength;
  if (packet.startsUnit && h >= kPtsBytes) {
    packet.pts = ReadPts(block_ + kPesHeaderDataOffset);
  }
  packet.data = ByteView(block_ + DataStart(), static_cast<std::size_t>(m - h - kSubstreamAndFlags));
  return packet;
}

bool CFileVOB::LoseUnit(int stream, const char* why) {
  std::optional<Unit>& slot = units_[static_cast<std::size_t>(stream)];
  // Where the lost unit began; the current block when none was under way.
  const int part = slot ? 0 : part_;
  const std::int64_t offset = slot ? slot->offset : blockOffset_;
  DropUnit(stream);
  if (sink_ == nullptr) {
    ++streams_[static_cast<std::size_t>(stream)].dropped;
    lost_.push_back({stream, part == 0 ? path_ : nextPart_, offset, why});
    LogMessage(kLogWarning, "WARNING - Stream %d unit at %08llX dropped: %s [%s]", stream,
               static_cast<unsigned long long>(offset), why, lost_.back().file.c_str());
  } else if (!sink_->UnitLost(stream, part, offset, why)) {
    sinkStopped_ = true;
  }
  return !sinkStopped_;
}

const CFileVOB::Unit* CFileVOB::Assemble(const Packet& packet) {
  std::optional<Unit>& slot = units_[static_cast<std::size_t>(packet.stream)];
  if (packet.damaged) {
    LoseUnit(packet.stream, "damaged packet");
    return nullptr;
  }
  if (packet.startsUnit) {
    if (slot) LoseUnit(packet.stream, "cut short by the next unit");  // dropped unfinished
    if (packet.data.size() < 2) {
      LoseUnit(packet.stream, "damaged packet");
      return nullptr;
    }
    // The stream's last unit's buffers are used again: no allocation per unit.
    Spare& spare = spares_[static_cast<std::size_t>(packet.stream)];
    slot = Unit();
    slot->bytes = std::move(spare.bytes);
    slot->bytes.assign(ReadBigEndianUnchecked(packet.data.data(), 2), 0);
    slot->pieces = std::move(spare.pieces);
    slot->pieces.clear();
    slot->stream = packet.stream;
    slot->offset = blockOffset_;
    slot->pts = packet.pts;
  } else if (!slot) {
    // An empty packet continues nothing: some muxers end a unit that fills its packet so.
    if (sink_ != nullptr && !packet.data.empty() && !sink_->StrayPacket(packet.stream, blockOffset_)) {
      sinkStopped_ = true;
    }
    return nullptr;
  }
  Unit& unit = *slot;
  const std::size_t fill = static_cast<std::size_t>(unit.fill);
  if (packet.data.size() > unit.bytes.size() - fill) {
    LoseUnit(packet.stream, "a packet runs past the unit's size");
    return nullptr;
  }
  std::memcpy(unit.bytes.data() + fill, packet.data.data(), packet.data.size());
  unit.fill += static_cast<std::int32_t>(packet.data.size());
  if ((collectUnits_ || sink_ != nullptr) && !packet.data.empty()) {
    unit.pieces.push_back({part_, blockOffset_ + (packet.data.data() - block_),
                           static_cast<std::uint32_t>(packet.data.size())});
  }
  if (unit.fill == static_cast<std::int32_t>(unit.bytes.size())) return &unit;
  if (packet.shortPacket) LoseUnit(packet.stream, "ended before its size");
  return nullptr;
}

int CFileVOB::CompleteUnit(const Unit& unit) {
  if (sink_ == nullptr) return TakeUnit(unit);
  const ByteView bytes(unit.bytes.data(), static_cast<std::size_t>(unit.fill));
  if (sink_->TimedUnitComplete(unit.stream, unit.pts, bytes, unit.pieces)) return 1;
  sinkStopped_ = true;
  return -1;
}

int CFileVOB::Scan(bool firstOnly) {
  ClearMapping();
  if (!stream_.valid()) {
    LogMessage(kLogError, "ERROR - Can't read from file [%s]", path_.c_str());
    Release();
    return -1;
  }
  LogMessage(scanLineLevel_, "Processing VOB file [%s]", path_.c_str());
  ProgressStart(size_, "Processing VOB file [%s]", path_.c_str());
  // Every way out of the scan frees the units, closes the file and ends the progress.
  struct Finish {
    CFileVOB& vob;
    ~Finish() {
      vob.Release();
      ProgressEnd();
    }
  } finish{*this};

  int subtitles = 0;
  sinkStopped_ = false;
  lowest_.reset();
  Loop loop = RunBlocks(firstOnly, false, subtitles);
  if (loop == Loop::kEnd && !ChunkDone()) return -1;
  if (loop == Loop::kEnd && !nextPart_.empty() && !NoUnitsHeld()) {
    if (!OpenNextPart()) return -1;
    loop = RunBlocks(firstOnly, true, subtitles);
  }
  if (loop == Loop::kEnd) {
    for (int s = 0; s < kSubpictureStreams; ++s) {
      if (units_[static_cast<std::size_t>(s)] && !LoseUnit(s, "not complete at the end of the file")) return -1;
    }
  }
  if (loop == Loop::kFailed) return -1;
  if (loop == Loop::kStop) {
    LogMessage(scanLineLevel_, "Stopping after first subtitle found!!!");
    return subtitles;
  }
  LogMessage(scanLineLevel_, "Found %d subtitles!", subtitles);
  return subtitles;
}

bool CFileVOB::OpenNextPart() {
  std::int64_t size = 0;
  FileDescriptor fd = OpenScanFile(nextPart_, size);
  if (!fd.valid()) return false;
  stream_ = std::move(fd);
  size_ = size;
  ResetChunk();
  part_ = 1;
  return true;
}

CFileVOB::Loop CFileVOB::RunBlocks(bool firstOnly, bool continuation, int& subtitles) {
  const std::string& name = continuation ? nextPart_ : path_;
  const std::int64_t limit = continuation && (size_ == kUnknownSize || size_ > kMaxContinuationBytes)
                                 ? kMaxContinuationBytes
                                 : size_;
  std::int64_t offset = 0;
  std::int64_t blockNumber = 0;
  while (limit == kUnknownSize || offset < limit) {
    if (continuation && NoUnitsHeld()) return Loop::kEnd;
    if (PumpBlockMessages()) {
      LogMessage(kLogWarning, "WARNING - Cancel button pressed process aborted!");
      return Loop::kFailed;
    }
    if (!continuation) ProgressPosition(offset);
    const BlockRead read = NextBlock();
    if (read == BlockRead::kStopped) return Loop::kFailed;
    if (read == BlockRead::kEnd && size_ == kUnknownSize) break;
    if (read == BlockRead::kFailed || read == BlockRead::kEnd) {  // kEnd: the file shrank
      LogMessage(kLogError, "ERROR - Can't read from file [%s]", name.c_str());
      return Loop::kFailed;
    }
    if (!continuation && blockLines_) {
      LogMessage(kLogDetail, "%6lld - %08llX(%04X)", static_cast<long long>(blockNumber),
                 static_cast<unsigned long long>(offset), StartCode());
    }
    blockOffset_ = offset;
    offset += static_cast<std::int64_t>(kVobBlockSize);
    ++blockNumber;
    // Most blocks are video: their start code, read once, settles them.
    const std::uint32_t code = StartCode();
    if (!continuation) NoteTimeStamp(code);
    if (code != kPrivateStream1) continue;
    const std::optional<Packet> packet = ParsePacket();
    if (!packet) continue;
    if (continuation) {
      // Only the units that began in the scanned file are completed here.
      if (!units_[static_cast<std::size_t>(packet->stream)]) continue;
      if (packet->startsUnit) {
        if (!LoseUnit(packet->stream, "cut short by a unit of the next part")) return Loop::kFailed;
        continue;
      }
    }
    const Unit* unit = Assemble(*packet);
    if (sinkStopped_) return Loop::kFailed;
    if (unit == nullptr) continue;
    const int taken = CompleteUnit(*unit);
    DropUnit(packet->stream);
    if (taken < 0) return Loop::kFailed;
    if (taken == 0) continue;
    ++subtitles;
    if (firstOnly) return Loop::kStop;
  }
  return Loop::kEnd;
}

void CFileVOB::NoteTimeStamp(std::uint32_t code) {
  // Video and MPEG audio have stream ids of their own; private stream 1 carries the other audio
  // and the subpictures. Navigation and padding packets carry no time.
  if (code != kPrivateStream1 && (code < kFirstAudioStream || code > kLastVideoStream)) return;
  if ((block_[kPesMarkerOffset] & 0xC0) != 0x80 || !HasPts() || HeaderDataLength() < kPtsBytes ||
      blockHeld_ < kPesHeaderDataOffset + kPtsBytes) {
    return;
  }
  const std::int64_t pts = ReadPts(block_ + kPesHeaderDataOffset);
  if (!lowest_ || pts < *lowest_) lowest_ = pts;
}

int CFileVOB::TakeUnit(const Unit& unit) {
  const ByteView bytes(unit.bytes.data(), static_cast<std::size_t>(unit.fill));
  if (IsMarkerUnit(bytes)) return 0;
  const auto a3 = FindUnitCommand(bytes, kCmdColour);
  const auto a4 = FindUnitCommand(bytes, kCmdContrast);
  if (!a3 || !a4) {
    if (!a3) LogMessage(kLogError, "ERROR - Can't find Cmd3 in file!!!");
    if (!a4) LogMessage(kLogError, "ERROR - Can't find Cmd4 in file!!!");
    return -1;
  }
  const int word3 = static_cast<int>(ReadBigEndianUnchecked(bytes.data() + *a3, 2));
  const int word4 = static_cast<int>(ReadBigEndianUnchecked(bytes.data() + *a4, 2));
  LogMessage(kLogDetail, "Cmd3 - %04X", word3);
  LogMessage(kLogDetail, "Cmd4 - %04X", word4);
  VobStreamUsage& stream = streams_[static_cast<std::size_t>(unit.stream)];
  for (int s = 0; s < kSlotCount; ++s) {
    usage_[SlotValue(s, word3)][s] = SlotValue(s, word4);
    stream.usage[SlotValue(s, word3)][s] = SlotValue(s, word4);
  }
  ++stream.subtitles;
  if (collectUnits_) {
    facts_.push_back({unit.stream, unit.offset, unit.pts, word3, word4,
                      static_cast<int>(unit.bytes.size()), unit.pieces, IsForcedUnit(bytes)});
  }
  return 1;
}
