// SPDX-License-Identifier: GPL-3.0-or-later
// Builds VOB files in memory: packs of several kinds and subpicture units split into packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

// A subpicture unit: size, control-sequence offset, `pictureBytes` of picture, then one control
// sequence whose command list is `commands` (taken as given, normally ended by 0xFF).
Bytes MakeUnitWithCommands(const Bytes& commands, std::size_t pictureBytes = 16);
// A unit whose command list sets the display area, Cmd3 = colour, Cmd4 = contrast, starts
// the display and ends. `withColour` / `withContrast` leave a command out.
Bytes MakeSubpictureUnit(int colourWord, int contrastWord, std::size_t pictureBytes = 16,
                         bool withColour = true, bool withContrast = true);
// The text-to-subtitle converter's marker unit; its commands are valid (colour 0xFFFF).
Bytes MakeMarkerUnit();

// One subpicture packet in a block, every field open to choice for damaged cases.
struct SubpicturePacket {
  int substreamId = 0x20;
  bool pts = true;
  Bytes data;
  int headerDataLength = -1;  // -1: 5 with a time stamp, 0 without
  int packetLength = -1;      // -1: the true length, header data length + 4 + data
  std::uint64_t timeStamp = 0;  // the 33-bit time stamp written when `pts` is set
};

class VobBuilder {
 public:
  static constexpr std::size_t kBlock = 2048;

  // 2048-byte packs of other kinds.
  VobBuilder& VideoPack();    // MPEG-2 video, stream 0xE0
  VobBuilder& VideoPack(std::uint64_t timeStamp);  // the same with this time stamp
  VobBuilder& AudioPack();    // private stream 1, AC-3 substream 0x80
  VobBuilder& PaddingPack();  // padding stream 0xBE
  VobBuilder& NavPack();      // system header, then a private-stream-2 (PCI) packet
  // A pack whose header carries `stuffing` stuffing bytes: its PES starts late, at 14 + stuffing.
  VobBuilder& StuffedVideoPack(int stuffing);

  // The unit split into packets as a muxer does: each full packet has length 2028, the first
  // carries a time stamp, the last holds the rest (full too when the unit fills it).
  VobBuilder& Unit(int stream, const Bytes& unit, std::uint64_t timeStamp = 0);
  // The blocks of such a split, to interleave by hand.
  static std::vector<Bytes> UnitBlocks(int stream, const Bytes& unit, std::uint64_t timeStamp = 0);
  VobBuilder& Packet(const SubpicturePacket& packet);
  // Any block as given (its length is kept, so a short block makes a short file).
  VobBuilder& Block(const Bytes& block);
  VobBuilder& Blocks(const std::vector<Bytes>& blocks);

  const Bytes& Data() const { return bytes_; }
  std::size_t BlockCount() const { return bytes_.size() / kBlock; }

  // One block holding a subpicture packet (with padding after a short packet).
  static Bytes PacketBlock(const SubpicturePacket& packet);

 private:
  Bytes bytes_;
};

// 1 MiB of a plausible disc: a navigation pack every 64 blocks, audio every 8th block, a
// three-packet subtitle unit (colour 0x3210, contrast 0xFFF0) every 128 blocks on streams 0-3
// in turn, video in between.
Bytes MixedVobMegabyte();
// Writes `megabytes` copies of MixedVobMegabyte to `path`; false when writing fails.
bool WriteMixedVobFile(const std::string& path, std::size_t megabytes);
