// SPDX-License-Identifier: GPL-3.0-or-later
// The SUP document: one SUP subtitle file, copied into memory or read from it as needed.
#pragma once

#include <array>
#include <utility>
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

#include "core/EntryRemap.h"
#include "core/FileIO.h"
#include "core/Subpicture.h"
#include "files/Tabs.h"

// A SUP file is a run of packets from offset 0: a 10-byte header ("SP" and 8 bytes that are
// never interpreted) followed by one subpicture unit, whose first word gives its size. A save
// rewrites the argument words of the first Cmd3 and Cmd4 of every subtitle packet with the
// mapping chosen on the SUP tab and writes every other byte back as it was read.
//
// Damaged files: the packet chain and every command walk stay inside the bytes held. A last
// packet whose header or unit runs past the end of the file is left out of the list with a
// warning; its bytes are kept and written back unchanged. Each command walk is bounded by its
// packet's unit. A first subtitle without Cmd3 or Cmd4 leaves the file's mapping as it was, with
// a warning; the load still succeeds, and a save then stops at that packet.
// One distinct (colour word, contrast word) pair of the subtitles' first control sequences and
// how many subtitles carry it; -1 for a missing command.
struct SupMapping {
  int colour = -1;
  int contrast = -1;
  int subtitles = 0;
  int first = 0;  // the first subtitle (from 0) that carries it
};

class CFileSUP {
 public:
  // The largest file a signed 32-bit size can describe.
  static constexpr std::uint64_t kMaxFileSize = 0x7FFFFFFF;
  static constexpr std::size_t kHeaderSize = 10;  // "SP" + 8 header bytes before the unit

  explicit CFileSUP(SupTab& tab);
  CFileSUP(const CFileSUP&) = delete;
  CFileSUP& operator=(const CFileSUP&) = delete;

  // Loads the named file, dropping what was held. Returns the number of subtitle packets
  // (0 or more), or -1 with the document left empty. A document held by its file (Holding) reads
  // it again in pieces where it needs its bytes: the views it gives out (SubtitleUnit) then last
  // until the next call.
  int Load(const std::string& fileName, Holding holding = Holding::kCopy);
  // Rewrites every subtitle packet with the tab's mapping and writes all bytes to the named
  // file. On failure neither the document nor an existing file of that name is changed.
  bool Save(const std::string& fileName);
  // Remaps every subtitle by palette entry (EntryMap) in every control sequence and change
  // command, and writes all bytes to the named file. A subtitle whose commands cannot be walked
  // to their end refuses the whole save before anything is written; the marker packet and
  // every byte that is not a colour or contrast word stay as they were.
  bool SaveEntryRemap(const std::string& fileName, const EntryMap& map);

  bool HasData() const { return Size != 0; }
  int PacketCount() const { return static_cast<int>(Packets.size()); }
  // The file's own mapping per slot (0-3), as loaded or last saved; -1 for another slot.
  int GetFileColour(int slot) const;
  int GetFileIntensity(int slot) const;
  // Whether the last load or save found the first subtitle's Cmd3 / Cmd4 (false without
  // subtitles). When it did not, the file's mapping kept its earlier values for those slots.
  bool FileColourFound() const { return ColourFound; }
  bool FileIntensityFound() const { return IntensityFound; }

  // Puts the file's mapping into the tab's lists and read-only edits.
  void ShowFileMapping();
  // Writes the tab's current mapping into the grid's SUP cells (even columns, rows 0-3).
  void ShowSupGrid();

  // Read access for callers that inspect the document: the bytes held (a document held by its
  // file is copied into memory for this, once) and the file offset of each subtitle packet.
  const std::vector<std::uint8_t>& Data() const;
  const std::vector<std::int32_t>& PacketOffsets() const { return Packets; }
  // Every distinct mapping of the subtitles' first control sequences, in order of first
  // appearance (the first is the first subtitle's), as loaded or last saved.
  const std::vector<SupMapping>& Mappings() const { return mappings_; }
  // Subtitle `index` (from 0): its subpicture unit, and its time, the 90 kHz value that DVD SUP
  // writers store little-endian in bytes 2-5 of the packet header. Empty and 0 outside. A unit
  // of a document held by its file lasts until the next call but its own subtitle's time.
  ByteView SubtitleUnit(int index) const;
  std::uint32_t SubtitleTime(int index) const;
  // Every subtitle's unit as Save would write it with the tab's mapping, or nullopt (logged as
  // Save logs it) when a subtitle lacks Cmd3 or Cmd4. The document is not changed.
  std::optional<std::vector<std::vector<std::uint8_t>>> SlotMappedUnits() const;

 private:
  bool IsSupData() const;
  bool HasMarker() const;
  // Where a subtitle's first control sequence has its first Cmd3 and Cmd4 arguments (unit
  // offsets, -1 when missing), and whether it has other colour or contrast commands.
  struct SlotPlaces {
    std::int32_t colour;
    std::int32_t contrast;
    bool later;
  };
  class PacketLister;
  // Logs the packets the lister found and takes the file's mapping from them.
  int ListPackets(const std::string& fileName, PacketLister& lister);
  void ReadFileColour(std::int32_t packet);
  void ReadFileIntensity(std::int32_t packet);

  // The packet's subpicture unit, cut to the bytes its size word claims (held in full for every
  // listed packet).
  ByteView UnitOf(std::int32_t packet) const;
  // File offset of the argument word of the first `code` command of the packet's first
  // control sequence, or -1 when it is missing.
  std::int64_t FindPacketCommand(std::int32_t packet, int code) const;
  // One changed byte at a file offset (files stay below 2 GiB): 8 bytes, so that the plan of a
  // save of many subtitles stays small. A save's plan is in order of offset.
  struct FilePatch {
    std::uint32_t at;
    std::uint8_t after;
  };
  // The bytes [offset, offset + size) as last saved, cut at the end. A document held by its file
  // reads them into its window, where the view lasts until the next call; empty when they can't
  // be read (the file was cut short).
  ByteView Range(std::size_t offset, std::size_t size) const;
  // Walks the packets of a file held open, reading it window by window; false when it can't be
  // read to its end.
  bool WalkFile(PacketLister& lister) const;
  // Makes the document a copy in memory with its last save in it (a document held by its file
  // keeps that save beside the file's bytes); false when the file can't be read.
  bool TakeCopy() const;
  // Before a save: the last one goes into a copy first; false (logged) when the file can't be
  // read.
  bool Settle(const std::string& fileName) const;
  // Writes the bytes with the patches in their place, through a small buffer, and commits the
  // target. On failure the error is logged; the document never changes here.
  bool WriteSaved(AtomicFile& target, const std::string& fileName,
                  const std::vector<FilePatch>& patches) const;
  // Makes a committed save's patches the document's own.
  void KeepSaved(std::vector<FilePatch> patches);
  // The tab's colour and contrast words.
  std::pair<int, int> TabWords() const;
  // The byte changes of Save: the two words into every subtitle's Cmd3 and Cmd4, found before
  // any byte changes. False (logged) when a subtitle lacks either; `later` counts the subtitles
  // with later colour or contrast commands, which stay as they are.
  bool PlanSlotSave(std::vector<FilePatch>& patches, int& later) const;
  bool ReadFileWord(std::int32_t packet, int code, const char* format,
                    std::array<std::int32_t, kSlotCount>& slots);

  SupTab& tab_;
  // A document held by its file reads into its window, and becomes a copy when asked for all its
  // bytes, which changes nothing seen from outside: hence mutable.
  mutable std::vector<std::uint8_t> Bytes;
  mutable FileDescriptor file_;             // the file, when the document is held by it
  mutable std::vector<FilePatch> pending_;  // the last save, when held by the file
  mutable std::vector<std::uint8_t> window_;
  mutable std::size_t windowStart_ = 0;
  mutable std::size_t windowSize_ = 0;
  std::int32_t Size = 0;
  std::vector<std::int32_t> Packets;
  std::vector<SlotPlaces> places_;  // one per packet, found by the load's walk
  std::array<std::int32_t, kSlotCount> FileColour{};
  std::array<std::int32_t, kSlotCount> FileIntensity{};
  bool ColourFound = false;
  bool IntensityFound = false;
  std::vector<SupMapping> mappings_;
};
