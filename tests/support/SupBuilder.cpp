// SUP files made in memory for tests and benchmarks, with a record of where each field went.
#include "tests/support/SupBuilder.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace {

void Put16(Bytes& b, std::size_t at, std::size_t value) {
  b[at] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

void Append16(Bytes& b, std::size_t value) {
  b.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
  b.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void AppendHeader(Bytes& file, std::uint32_t timestamp) {
  file.push_back('S');
  file.push_back('P');
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<std::uint8_t>(timestamp >> shift));
  for (int i = 0; i < 4; ++i) file.push_back(0);
}

// The first command list as a subtitle tool writes it: start display, colours, contrast,
// display area and field offsets, end. The offsets of the two words, from the start of the
// list, are returned through `colourAt` and `contrastAt`.
Bytes GenerateCommands(const SupPacket& packet, std::optional<std::size_t>& colourAt,
                       std::optional<std::size_t>& contrastAt) {
  Bytes list = {0x01};  // STA_DSP
  if (packet.colourChangeBytes > 0) {
    list.push_back(0x07);
    Append16(list, static_cast<std::size_t>(packet.colourChangeBytes) + 2);
    // Bytes that look like Cmd3 and Cmd4: a walk that does not jump the whole command would
    // stop on them.
    for (int i = 0; i < packet.colourChangeBytes; ++i) list.push_back(i % 2 == 0 ? 0x03 : 0x04);
  }
  auto addWord = [&list](int code, int word, std::optional<std::size_t>& at) {
    list.push_back(static_cast<std::uint8_t>(code));
    at = list.size();
    Append16(list, static_cast<std::size_t>(word));
  };
  if (packet.contrastFirst && packet.contrast) addWord(0x04, *packet.contrast, contrastAt);
  if (packet.colour) addWord(0x03, *packet.colour, colourAt);
  if (!packet.contrastFirst && packet.contrast) addWord(0x04, *packet.contrast, contrastAt);
  const Bytes area = {0x05, 0x00, 0x02, 0xCF, 0x1E, 0x01, 0xBF};  // SET_DAREA
  const Bytes fields = {0x06, 0x00, 0x04, 0x02, 0xE8};            // SET_DSPXA
  list.insert(list.end(), area.begin(), area.end());
  list.insert(list.end(), fields.begin(), fields.end());
  list.push_back(0xFF);
  return list;
}

}  // namespace

std::vector<SupPacketLayout> SupLayout::Subtitles() const {
  std::vector<SupPacketLayout> subtitles;
  for (const SupPacketLayout& p : packets) {
    if (!p.marker) subtitles.push_back(p);
  }
  return subtitles;
}

Bytes BuildUnit(const SupPacket& packet, SupPacketLayout* layout) {
  std::optional<std::size_t> colourAt;
  std::optional<std::size_t> contrastAt;
  const Bytes commands =
      packet.commands.empty() ? GenerateCommands(packet, colourAt, contrastAt) : packet.commands;

  Bytes unit(4, 0);
  // A picture of varied bytes, as run-length coded pixels look.
  std::uint32_t seed = 0x9E3779B9u ^ static_cast<std::uint32_t>(packet.pictureBytes);
  for (std::size_t i = 0; i < packet.pictureBytes; ++i) {
    seed = seed * 1664525u + 1013904223u;
    unit.push_back(static_cast<std::uint8_t>(seed >> 24));
  }
  const std::size_t first = unit.size();
  Append16(unit, 0);  // delay
  std::size_t nextField = unit.size();
  Append16(unit, first);
  unit.insert(unit.end(), commands.begin(), commands.end());
  const std::size_t list = first + 4;
  for (int k = 1; k <= packet.laterSequences; ++k) {
    const std::size_t sequence = unit.size();
    Put16(unit, nextField, sequence);  // the sequence before points here
    Append16(unit, static_cast<std::size_t>(100 * k));  // delay
    nextField = unit.size();
    Append16(unit, sequence);  // the last one points at itself
    unit.push_back(0x02);                                // STP_DSP
    unit.push_back(0xFF);
  }
  if (unit.size() > 0xFFFF) throw std::length_error("a subpicture unit holds at most 65535 bytes");
  Put16(unit, 0, unit.size());
  Put16(unit, 2, first);
  if (layout != nullptr) {
    layout->commandList = list;
    layout->colourWord = colourAt ? std::optional<std::size_t>(list + *colourAt) : std::nullopt;
    layout->contrastWord = contrastAt ? std::optional<std::size_t>(list + *contrastAt) : std::nullopt;
  }
  return unit;
}

SupBuilder& SupBuilder::Marker(std::size_t packetSize) {
  if (packetSize < 40) throw std::invalid_argument("a marker packet needs at least 40 bytes");
  Part part;
  part.kind = Part::kMarker;
  part.markerSize = packetSize;
  parts_.push_back(std::move(part));
  return *this;
}

SupBuilder& SupBuilder::Add(const SupPacket& packet) {
  Part part;
  part.kind = Part::kPacket;
  part.packet = packet;
  parts_.push_back(std::move(part));
  return *this;
}

SupBuilder& SupBuilder::Add(int count, const SupPacket& packet) {
  for (int i = 0; i < count; ++i) Add(packet);
  return *this;
}

SupBuilder& SupBuilder::Raw(const Bytes& bytes) {
  Part part;
  part.kind = Part::kRaw;
  part.raw = bytes;
  parts_.push_back(std::move(part));
  return *this;
}

Bytes SupBuilder::Build(SupLayout* layout) const {
  Bytes file;
  std::uint32_t clock = 0;
  for (const Part& part : parts_) {
    SupPacketLayout where;
    where.offset = file.size();
    if (part.kind == Part::kRaw) {
      file.insert(file.end(), part.raw.begin(), part.raw.end());
      continue;
    }
    if (part.kind == Part::kMarker) {
      const std::size_t unitSize = part.markerSize - 10;
      AppendHeader(file, 0);
      Bytes unit(unitSize, 0);
      const std::size_t first = unitSize - 11;  // the sequence: delay, next, 03 w, 04 w, FF
      Put16(unit, 0, unitSize);
      Put16(unit, 2, first);
      std::memcpy(unit.data() + 6, "QUENLIX", 7);
      Put16(unit, first + 2, first);
      const std::uint8_t commands[] = {0x03, 0x5A, 0x5A, 0x04, 0xA5, 0xA5, 0xFF};
      std::memcpy(unit.data() + first + 4, commands, sizeof commands);
      file.insert(file.end(), unit.begin(), unit.end());
      where.marker = true;
      where.commandList = where.offset + 10 + first + 4;
      where.colourWord = where.commandList + 1;
      where.contrastWord = where.commandList + 4;
    } else {
      SupPacketLayout inUnit;
      const Bytes unit = BuildUnit(part.packet, &inUnit);
      clock += 90000;
      AppendHeader(file, part.packet.timestamp != 0 ? part.packet.timestamp : clock);
      file.insert(file.end(), unit.begin(), unit.end());
      const std::size_t base = where.offset + 10;
      where.commandList = base + inUnit.commandList;
      if (inUnit.colourWord) where.colourWord = base + *inUnit.colourWord;
      if (inUnit.contrastWord) where.contrastWord = base + *inUnit.contrastWord;
    }
    where.size = file.size() - where.offset;
    if (layout != nullptr) layout->packets.push_back(where);
  }
  return file;
}
