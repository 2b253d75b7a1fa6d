// SPDX-License-Identifier: GPL-3.0-or-later
// Builds VOB files in memory: packs of several kinds and subpicture units split into packets.
#include "tests/support/VobBuilder.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr std::size_t kBlock = VobBuilder::kBlock;

void Put16(Bytes& b, std::size_t at, std::size_t value) {
  b[at] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// Pack header: start code 0x1BA, SCR, mux rate, and the stuffing length in the low 3 bits.
Bytes PackHeader(int stuffing = 0) {
  Bytes b = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3,
             static_cast<std::uint8_t>(0xF8 | (stuffing & 7))};
  for (int i = 0; i < (stuffing & 7); ++i) b.push_back(0xFF);
  return b;
}

// Fills the rest of a block with a padding packet (or zeros when fewer than 6 bytes are left).
void PadBlock(Bytes& b) {
  const std::size_t left = kBlock - b.size();
  if (left >= 6) {
    b.insert(b.end(), {0x00, 0x00, 0x01, 0xBE, 0, 0});
    Put16(b, b.size() - 2, left - 6);
  }
  b.resize(kBlock, 0xFF);
}

// A PES packet that fills the block after the pack header: start code 0x1xx and payload bytes.
Bytes FullPesBlock(std::uint8_t streamId, std::uint8_t firstPayloadByte, int stuffing = 0) {
  Bytes b = PackHeader(stuffing);
  b.insert(b.end(), {0x00, 0x00, 0x01, streamId, 0, 0});
  Put16(b, b.size() - 2, kBlock - b.size());
  b.insert(b.end(), {0x81, 0x80, 0x05, 0x21, 0x00, 0x01, 0x00, 0x01, firstPayloadByte});
  for (std::size_t i = 0; b.size() < kBlock; ++i) b.push_back(static_cast<std::uint8_t>(i * 131));
  return b;
}

}  // namespace

Bytes MakeUnitWithCommands(const Bytes& commands, std::size_t pictureBytes) {
  const std::size_t control = 4 + pictureBytes;
  Bytes unit(control, 0);
  for (std::size_t i = 4; i < control; ++i) unit[i] = static_cast<std::uint8_t>(0x11 + i * 7);
  // Control sequence: delay, offset of the next sequence (itself: the last one), commands.
  unit.insert(unit.end(), {0x00, 0x00, 0x00, 0x00});
  Put16(unit, control + 2, control);
  unit.insert(unit.end(), commands.begin(), commands.end());
  if (unit.size() > 0xFFFF) throw std::invalid_argument("a unit holds at most 65535 bytes");
  Put16(unit, 0, unit.size());
  Put16(unit, 2, control);
  return unit;
}

Bytes MakeSubpictureUnit(int colourWord, int contrastWord, std::size_t pictureBytes,
                         bool withColour, bool withContrast) {
  Bytes commands;
  const auto add = [&](std::initializer_list<int> bytes) {
    for (const int v : bytes) commands.push_back(static_cast<std::uint8_t>(v));
  };
  add({0x05, 0x00, 0x00, 0x00, 0x2C, 0xF0, 0x40});  // display area
  if (withColour) add({0x03, colourWord >> 8, colourWord & 0xFF});
  if (withContrast) add({0x04, contrastWord >> 8, contrastWord & 0xFF});
  add({0x06, 0x00, 0x04, 0x00, 0x08, 0x01, 0xFF});
  return MakeUnitWithCommands(commands, pictureBytes);
}

Bytes MakeMarkerUnit() {
  Bytes unit = MakeSubpictureUnit(0xFFFF, 0xFFFF, 32);
  const char* mark = "QUENLIX";
  std::copy(mark, mark + 7, unit.begin() + 6);
  return unit;
}

Bytes VobBuilder::PacketBlock(const SubpicturePacket& packet) {
  const int h = packet.headerDataLength >= 0 ? packet.headerDataLength : (packet.pts ? 5 : 0);
  const std::size_t m = packet.packetLength >= 0
                            ? static_cast<std::size_t>(packet.packetLength)
                            : static_cast<std::size_t>(h) + 4 + packet.data.size();
  Bytes b = PackHeader();
  b.insert(b.end(), {0x00, 0x00, 0x01, 0xBD, 0, 0, 0x81,
                     static_cast<std::uint8_t>(packet.pts ? 0x80 : 0x00),
                     static_cast<std::uint8_t>(h)});
  Put16(b, 18, m & 0xFFFF);
  // '0010' PTS[32..30] 1, PTS[29..15] 1, PTS[14..0] 1
  const std::uint64_t t = packet.timeStamp;
  const Bytes pts = {static_cast<std::uint8_t>(0x21 | ((t >> 29) & 0x0E)),
                     static_cast<std::uint8_t>(t >> 22),
                     static_cast<std::uint8_t>(((t >> 14) & 0xFE) | 1),
                     static_cast<std::uint8_t>(t >> 7), static_cast<std::uint8_t>(((t << 1) & 0xFE) | 1)};
  for (int i = 0; i < h; ++i) b.push_back(i < 5 && packet.pts ? pts[i] : 0xFF);
  b.push_back(static_cast<std::uint8_t>(packet.substreamId));
  b.insert(b.end(), packet.data.begin(), packet.data.end());
  if (b.size() > kBlock) b.resize(kBlock);  // data beyond the block is cut; the length stays
  PadBlock(b);
  return b;
}

std::vector<Bytes> VobBuilder::UnitBlocks(int stream, const Bytes& unit, std::uint64_t timeStamp) {
  std::vector<Bytes> blocks;
  std::size_t at = 0;
  bool first = true;
  while (true) {
    SubpicturePacket packet;
    packet.substreamId = 0x20 + stream;
    packet.pts = first;
    packet.timeStamp = timeStamp;
    const std::size_t room = 2028 - 4 - (first ? 5 : 0);
    const std::size_t take = std::min(room, unit.size() - at);
    packet.data.assign(unit.begin() + static_cast<std::ptrdiff_t>(at),
                       unit.begin() + static_cast<std::ptrdiff_t>(at + take));
    at += take;
    blocks.push_back(PacketBlock(packet));
    first = false;
    // As spumux does: the unit ends with its last byte, even when that fills the packet.
    if (at == unit.size()) break;
  }
  return blocks;
}

VobBuilder& VobBuilder::VideoPack() { return Block(FullPesBlock(0xE0, 0x00)); }

VobBuilder& VobBuilder::VideoPack(std::uint64_t timeStamp) {
  SubpicturePacket timed;
  timed.timeStamp = timeStamp;
  const Bytes stamped = PacketBlock(timed);  // its time stamp bytes lie where video's do
  Bytes b = FullPesBlock(0xE0, 0x00);
  std::copy(stamped.begin() + 23, stamped.begin() + 28, b.begin() + 23);
  return Block(b);
}

VobBuilder& VobBuilder::AudioPack() { return Block(FullPesBlock(0xBD, 0x80)); }

VobBuilder& VobBuilder::StuffedVideoPack(int stuffing) {
  return Block(FullPesBlock(0xE0, 0x00, stuffing));
}

VobBuilder& VobBuilder::PaddingPack() {
  Bytes b = PackHeader();
  PadBlock(b);
  return Block(b);
}

VobBuilder& VobBuilder::NavPack() {
  Bytes b = PackHeader();
  // System header, then the PCI packet in private stream 2.
  b.insert(b.end(), {0x00, 0x00, 0x01, 0xBB, 0x00, 0x12, 0x80, 0x01, 0x01, 0x04, 0xE1, 0xFF,
                     0xB9, 0xE0, 0xE8, 0xB8, 0xC0, 0x20, 0xBD, 0xE0, 0x3A, 0xBF, 0xE0, 0x02});
  b.insert(b.end(), {0x00, 0x00, 0x01, 0xBF, 0x03, 0xD4, 0x00});
  b.resize(kBlock, 0x00);
  return Block(b);
}

VobBuilder& VobBuilder::Unit(int stream, const Bytes& unit, std::uint64_t timeStamp) {
  return Blocks(UnitBlocks(stream, unit, timeStamp));
}

VobBuilder& VobBuilder::Packet(const SubpicturePacket& packet) {
  return Block(PacketBlock(packet));
}

VobBuilder& VobBuilder::Block(const Bytes& block) {
  bytes_.insert(bytes_.end(), block.begin(), block.end());
  return *this;
}

VobBuilder& VobBuilder::Blocks(const std::vector<Bytes>& blocks) {
  for (const Bytes& b : blocks) Block(b);
  return *this;
}

Bytes MixedVobMegabyte() {
  VobBuilder b;
  const Bytes unit = MakeSubpictureUnit(0x3210, 0xFFF0, 5000);
  while (b.BlockCount() < 512) {
    const std::size_t n = b.BlockCount();
    if (n % 64 == 0) {
      b.NavPack();
    } else if (n % 128 == 5) {
      b.Unit(static_cast<int>(n / 128) % 4, unit);
    } else if (n % 8 == 3) {
      b.AudioPack();
    } else {
      b.VideoPack();
    }
  }
  Bytes data = b.Data();
  data.resize(512 * VobBuilder::kBlock);
  return data;
}

bool WriteMixedVobFile(const std::string& path, std::size_t megabytes) {
  const Bytes mb = MixedVobMegabyte();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = true;
  for (std::size_t i = 0; i < megabytes && ok; ++i) {
    ok = std::fwrite(mb.data(), 1, mb.size(), out) == mb.size();
  }
  return std::fclose(out) == 0 && ok;
}
