// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB scanner: which palette entries, slots and intensities a disc's subtitles use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Core.h"
#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "files/Tabs.h"

constexpr std::size_t kVobBlockSize = 2048;
constexpr int kSubpictureStreams = 32;
constexpr int kFirstSubpictureId = 0x20;
constexpr std::uint32_t kPrivateStream1 = 0x1BD;
// A packet of this length fills its block. A unit is complete when the bytes gathered reach the
// size in its first two bytes, as demuxers decide it; a shorter packet before that is damage.
constexpr int kFullPacketLength = 2028;

// Offsets inside a 2048-byte block: a 14-byte pack header, then one PES packet.
constexpr std::size_t kStartCodeOffset = 14;
constexpr std::size_t kPacketLengthOffset = 18;
constexpr std::size_t kPesFlagsOffset = 21;
constexpr std::size_t kHeaderDataLengthOffset = 22;
constexpr std::size_t kPacketEnd = 20;  // the packet length counts the bytes after offset 20

// Usage[i][s]: the intensity last recorded for palette index i in slot s, -1 when unused.
using VobUsage = std::array<std::array<int, kSlotCount>, 16>;

// Where a piece of a unit's bytes lies: in the file scanned (part 0) or in the next part that
// completed it (part 1), at `offset`, `length` bytes long.
struct UnitPiece {
  int part = 0;
  std::int64_t offset = 0;
  std::uint32_t length = 0;
};

// One counted subtitle unit.
struct VobUnitFacts {
  int stream = 0;
  std::int64_t offset = 0;          // of the pack holding the unit's first packet
  std::optional<std::int64_t> pts;  // 90 kHz time stamp of the first packet
  int cmd3 = 0;                     // first colour and contrast words of the first sequence
  int cmd4 = 0;
  int size = 0;                     // as the unit declares it
  std::vector<UnitPiece> pieces;    // where each received byte lies, in the unit's order
  bool forced = false;              // its first control sequence holds the forced start
};

// The subtitles of one subpicture stream.
struct VobStreamUsage {
  int subtitles = 0;
  int dropped = 0;  // units lost: damaged, cut short, or not complete at the end
  VobUsage usage;
};

// A unit a scan without a sink dropped: where it began and why.
struct VobLostUnit {
  int stream = 0;
  std::string file;         // the file scanned or the next part that should have completed it
  std::int64_t offset = 0;  // of the pack where the unit began (the current one when none had)
  std::string why;
};

// Receives, during a scan, every complete unit with where its bytes lie, and every unit lost.
// A scan given a sink leaves the units to it: they are not evaluated, counted or recorded.
// Returning false from any call ends the scan as failed.
class VobUnitSink {
 public:
  virtual ~VobUnitSink() = default;
  virtual bool UnitComplete(int stream, ByteView unit, const std::vector<UnitPiece>& pieces) = 0;
  // The scanner's call for a complete unit, with the time stamp of its first packet (nullopt
  // when it has none); by default it hands the unit on to UnitComplete.
  virtual bool TimedUnitComplete(int stream, std::optional<std::int64_t> /*pts*/, ByteView unit,
                                 const std::vector<UnitPiece>& pieces) {
    return UnitComplete(stream, unit, pieces);
  }
  // A unit lost (damaged packet, overrun, cut short): `offset` of the block where it was lost,
  // in `part`, and why.
  virtual bool UnitLost(int stream, int part, std::int64_t offset, const char* why) = 0;
  // A packet that continues a unit not under way: one begun before the scanned file, or lost.
  virtual bool StrayPacket(int stream, std::int64_t offset) = 0;
  // The bytes of the scanned file (not of its next part) from `offset`, at most
  // CFileVOB::kChunkSize of them, once the scan is done with them: each byte once, in order,
  // every unit that ends in them already handed over. The sink may change them; the scan reads
  // on over them. False stops the scan.
  virtual bool ChunkScanned(MutableByteView /*bytes*/, std::int64_t /*offset*/) { return true; }
  // Where the scan reads its next chunk of the scanned file: CFileVOB::kChunkSize bytes, the
  // scan's until ChunkScanned hands them back; nullptr (the default) for the scan's own buffer.
  virtual std::uint8_t* ChunkBuffer() { return nullptr; }
};

// A unit under way at the end of a part is completed from at most this much of the next part.
constexpr std::int64_t kMaxContinuationBytes = std::int64_t{16} << 20;

class CFileVOB {
 public:
  // The file is read in chunks of 256 blocks (512 KiB): a quarter of the system calls cat makes.
  static constexpr std::size_t kChunkSize = 256 * kVobBlockSize;

  CFileVOB();
  ~CFileVOB();
  CFileVOB(const CFileVOB&) = delete;
  CFileVOB& operator=(const CFileVOB&) = delete;

  // Opens the file for scanning; false (and the error line) when it can't be opened.
  bool Open(const std::string& path);
  // Names the file that continues the open one (the next part of its title set): units under
  // way at the end of the scan are completed from its start and counted here. Cleared by Open
  // and Release.
  void SetNextPart(const std::string& path) { nextPart_ = path; }
  // Whether Scan records the facts of every unit it counts (off by default).
  void SetCollectUnits(bool collect) { collectUnits_ = collect; }
  // The sink the next scans hand their units to, or nullptr (the default): see VobUnitSink.
  void SetUnitSink(VobUnitSink* sink) { sink_ = sink; }
  // The log level of the lines that say which file a scan reads and what it found (info by
  // default, as the VOB tab shows them): a reader that scans as a means, not as the work asked
  // for, lowers them to detail.
  void SetScanLineLevel(int level) { scanLineLevel_ = level; }
  // Scans the open file: the number of subtitles counted, or -1 when cancelled or failed.
  // Always closes the file and frees every unit before it returns.
  int Scan(bool firstOnly);
  // Empties the results: Usage, the per-stream tables and the unit facts.
  void ClearMapping();
  // Writes Usage into the grid's odd columns, rows 0-3: the intensity, or "" when unused.
  void ShowVobGrid(PaletteGridCells& grid) const;
  // Frees every unit, closes the file and empties Path.
  void Release();

  // Readers of the current block.
  std::uint32_t StartCode() const;
  int PacketLength() const;
  int HeaderDataLength() const;
  bool HasPts() const;
  int DataStart() const;
  int SubstreamId() const;

  const VobUsage& Usage() const { return usage_; }
  const std::array<VobStreamUsage, kSubpictureStreams>& StreamUsage() const { return streams_; }
  const std::vector<VobUnitFacts>& UnitFacts() const { return facts_; }
  const std::vector<VobLostUnit>& LostUnits() const { return lost_; }
  const std::string& Path() const { return path_; }
  // The lowest time stamp of the video, audio and subpicture packets of the file last scanned
  // (not of its next part): where its playback starts. nullopt when none carries one.
  std::optional<std::int64_t> LowestTimeStamp() const { return lowest_; }
  bool IsOpen() const { return stream_.valid(); }
  // True when no unit is held: the state between scans.
  bool NoUnitsHeld() const;

 private:
  // A subpicture unit being assembled: its declared size and the bytes received so far.
  struct Unit {
    std::vector<std::uint8_t> bytes;
    std::int32_t fill = 0;
    int stream = 0;
    std::int64_t offset = 0;
    std::optional<std::int64_t> pts;
    std::vector<UnitPiece> pieces;  // only when collecting unit facts
  };

  // kEnd: the file ended before this block; kFailed: it could not be read; kStopped: the sink
  // stopped the scan.
  enum class BlockRead { kFull, kShort, kEnd, kFailed, kStopped };
  static constexpr std::int64_t kUnknownSize = -1;
  BlockRead ReadBlock();
  // Hands the chunk held to the sink, unless it has had it; false when the sink stops.
  bool ChunkDone();
  // Forgets the chunk: the next block is read from the start of the file opened.
  void ResetChunk();
  // ReadBlock with the common case inline: the next full block of the chunk held.
  BlockRead NextBlock() {
    if (chunkHeld_ - chunkPos_ < kVobBlockSize) return ReadBlock();
    block_ = chunkStart_ + chunkPos_;
    blockHeld_ = kVobBlockSize;
    chunkPos_ += kVobBlockSize;
    return BlockRead::kFull;
  }

  // The current block's subpicture packet: its stream, and either `damaged` (too short, or
  // running past the bytes read) or its unit data.
  struct Packet {
    int stream = 0;
    bool damaged = false;
    bool startsUnit = false;  // it carries a time stamp and the unit size
    bool shortPacket = false;  // shorter than a full packet: no more of the unit follows
    std::optional<std::int64_t> pts;
    ByteView data;
  };
  // nullopt when the block holds no subpicture packet.
  std::optional<Packet> ParsePacket() const;
  // Adds the packet to its stream's unit; the unit when the packet completed it. A damaged
  // packet, or one that overflows its unit, drops the unit under way.
  const Unit* Assemble(const Packet& packet);
  // Evaluates a complete unit: 1 counted, 0 not counted (marker), -1 a command is missing.
  int TakeUnit(const Unit& unit);
  // Ends the stream's unit under way, if any, keeping its buffers for the next.
  void DropUnit(int stream);
  // Drops the unit under way of the stream, telling the sink why (without a sink: counted and
  // logged at level 4); false when the sink stops.
  bool LoseUnit(int stream, const char* why);
  // Hands a complete unit to the sink or evaluates it: as TakeUnit.
  int CompleteUnit(const Unit& unit);
  // The block loop over the open file, or (continuation) over the next part until the units
  // under way are complete: kEnd at its end, kStop after the first subtitle with firstOnly,
  // kFailed when cancelled or failed (logged).
  enum class Loop { kEnd, kStop, kFailed };
  Loop RunBlocks(bool firstOnly, bool continuation, int& subtitles);
  // Opens the next part in place of the scanned file; false (logged) when it can't be opened.
  bool OpenNextPart();
  // Takes the current block's PES time stamp into lowest_ when it is lower; `code` is its start
  // code.
  void NoteTimeStamp(std::uint32_t code);

  std::array<std::optional<Unit>, kSubpictureStreams> units_;
  // The buffers of each stream's last unit, kept for its next one.
  struct Spare {
    std::vector<std::uint8_t> bytes;
    std::vector<UnitPiece> pieces;
  };
  std::array<Spare, kSubpictureStreams> spares_;
  VobUsage usage_{};
  FileDescriptor stream_;  // the open file
  std::string path_;
  std::int64_t size_ = 0;  // of the open file when it was opened; kUnknownSize for a pipe
  std::string nextPart_;
  bool collectUnits_ = false;
  VobUnitSink* sink_ = nullptr;
  bool sinkStopped_ = false;
  int scanLineLevel_ = kLogInfo;
  std::array<VobStreamUsage, kSubpictureStreams> streams_;
  std::vector<VobUnitFacts> facts_;
  std::vector<VobLostUnit> lost_;
  std::optional<std::int64_t> lowest_;
  int part_ = 0;                  // 0 the file scanned, 1 the next part
  std::int64_t blockOffset_ = 0;  // of the current block in its file

  // The file is read strictly in sequence, in chunks of 256 blocks; the current block is a
  // 2048-byte window into the chunk. One system call per 2048 bytes would cost more than the
  // whole scan, and nothing is copied or allocated per block. The chunk starts on a page
  // boundary: the kernel copies into it faster.
  AlignedBytes chunk_;
  std::uint8_t* chunkStart_ = nullptr;  // the chunk being scanned: chunk_'s, or the sink's
  bool blockLines_ = false;    // the block lines are wanted: the log level, read once per chunk
  std::size_t chunkHeld_ = 0;  // bytes of the chunk that came from the file
  std::size_t chunkPos_ = 0;   // where the next block starts
  const std::uint8_t* block_;  // the current block: always 2048 readable bytes
  std::size_t blockHeld_ = 0;  // bytes of the current block that came from the file
  bool readFailed_ = false;    // a read failed after the bytes now in the chunk
  std::int64_t chunkOffset_ = 0;  // of the chunk in its file
  std::int64_t chunkEnd_ = 0;     // of the bytes read so far
  std::int64_t handedTo_ = 0;     // the sink has had the bytes before this (ChunkScanned)
};
