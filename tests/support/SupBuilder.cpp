// SPDX-License-Identifier: GPL-3.0-or-later
// SUP files made in memory for tests and benchmarks, with a record of where each field went.
#include "tests/support/SupBuilder.h"

#include <algorithm>
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
  // The 90 kHz time, little-endian, as DVD SUP writers store it.
  for (int shift = 0; shift <= 24; shift += 8) file.push_back(static_cast<std::uint8_t>(timestamp >> shift));
  for (int i = 0; i < 4; ++i) file.push_back(0);
}

// The first command list as a subtitle tool writes it: start display, colours, contrast,
// display area and field offsets, end. The offsets of the two words, from the start of the
// list, are returned through `colourAt` and `contrastAt`. With an image, the display area and
// field offsets are its own; its picture begins right after the unit's first four bytes.
Bytes GenerateCommands(const SupPacket& packet, std::size_t bottomField,
                       std::optional<std::size_t>& colourAt, std::optional<std::size_t>& contrastAt) {
  Bytes list = {static_cast<std::uint8_t>(packet.forced ? 0x00 : 0x01)};  // FSTA_DSP or STA_DSP
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
  if (!packet.change.empty()) {
    const Bytes change = ChangeCommand(packet.change);
    list.insert(list.end(), change.begin(), change.end());
  }
  Bytes area = {0x05, 0x00, 0x02, 0xCF, 0x1E, 0x01, 0xBF};  // SET_DAREA
  Bytes fields = {0x06, 0x00, 0x04, 0x02, 0xE8};            // SET_DSPXA
  if (!packet.image.empty()) {
    const int right = packet.left + static_cast<int>(packet.image[0].size()) - 1;
    const int bottom = packet.top + static_cast<int>(packet.image.size()) - 1;
    area = {0x05, static_cast<std::uint8_t>(packet.left >> 4),
            static_cast<std::uint8_t>((packet.left & 15) << 4 | right >> 8), static_cast<std::uint8_t>(right),
            static_cast<std::uint8_t>(packet.top >> 4),
            static_cast<std::uint8_t>((packet.top & 15) << 4 | bottom >> 8), static_cast<std::uint8_t>(bottom)};
    fields = {0x06, 0x00, 0x04, static_cast<std::uint8_t>((4 + bottomField) >> 8),
              static_cast<std::uint8_t>(4 + bottomField)};
  }
  list.insert(list.end(), area.begin(), area.end());
  list.insert(list.end(), fields.begin(), fields.end());
  list.push_back(0xFF);
  return list;
}

// Appends a nibble to a run-length coded field.
struct NibbleWriter {
  Bytes& out;
  bool half = false;
  void Put(int nibble) {
    if (half) {
      out.back() = static_cast<std::uint8_t>(out.back() | (nibble & 15));
    } else {
      out.push_back(static_cast<std::uint8_t>((nibble & 15) << 4));
    }
    half = !half;
  }
  void Run(int count, int code) {  // count 0: to the end of the line
    const int value = count << 2 | code;
    const int nibbles = count == 0 ? 4 : count < 4 ? 1 : count < 16 ? 2 : count < 64 ? 3 : 4;
    for (int i = nibbles - 1; i >= 0; --i) Put(value >> (4 * i));
  }
};

}  // namespace

std::vector<SupPacketLayout> SupLayout::Subtitles() const {
  std::vector<SupPacketLayout> subtitles;
  for (const SupPacketLayout& p : packets) {
    if (!p.marker) subtitles.push_back(p);
  }
  return subtitles;
}

Bytes ChangeCommand(const std::vector<ChangeRegion>& regions) {
  Bytes command = {0x07, 0, 0};
  for (const ChangeRegion& r : regions) {
    Append16(command, static_cast<std::size_t>(r.firstLine & 0xFFF));
    Append16(command, (r.columns.size() & 15) << 12 | static_cast<std::size_t>(r.lastLine & 0xFFF));
    for (const ChangeRegion::Column& c : r.columns) {
      Append16(command, static_cast<std::size_t>(c.column & 0xFFF));
      Append16(command, static_cast<std::size_t>(c.colour & 0xFFFF));
      Append16(command, static_cast<std::size_t>(c.contrast & 0xFFFF));
    }
  }
  command.insert(command.end(), {0x0F, 0xFF, 0xFF, 0xFF});
  Put16(command, 1, command.size() - 1);  // the size counts itself, not the code
  return command;
}

Bytes EncodePicture(const std::vector<Bytes>& image, std::size_t& bottomField) {
  Bytes out;
  for (std::size_t field = 0; field < 2; ++field) {
    if (field == 1) bottomField = out.size();
    for (std::size_t row = field; row < image.size(); row += 2) {
      NibbleWriter writer{out};  // each line starts on a byte boundary
      const Bytes& line = image[row];
      std::size_t x = 0;
      while (x < line.size()) {
        std::size_t run = 1;
        while (x + run < line.size() && line[x + run] == line[x] && run < 255) ++run;
        // A run that reaches the end of the line uses the end-of-line code now and then.
        writer.Run(x + run == line.size() && run > 3 && row % 4 == 0 ? 0 : static_cast<int>(run),
                   line[x] & 3);
        x += run;
      }
    }
  }
  return out;
}

std::vector<Bytes> StripedImage(int width, int height, unsigned seed) {
  std::vector<Bytes> image(static_cast<std::size_t>(height), Bytes(static_cast<std::size_t>(width)));
  std::uint32_t state = seed * 2654435761u + 1;
  for (Bytes& row : image) {
    std::size_t x = 0;
    while (x < row.size()) {
      state = state * 1664525u + 1013904223u;
      const std::size_t runs[] = {1, 2, 3, 5, 17, 70, 300};
      const std::size_t run = std::min(runs[(state >> 8) % 7], row.size() - x);
      for (std::size_t i = 0; i < run; ++i) row[x + i] = static_cast<std::uint8_t>(state >> 28 & 3);
      x += run;
    }
  }
  return image;
}

Bytes BuildUnit(const SupPacket& packet, SupPacketLayout* layout) {
  std::optional<std::size_t> colourAt;
  std::optional<std::size_t> contrastAt;
  std::size_t bottomField = 0;
  const Bytes picture = packet.image.empty() ? Bytes() : EncodePicture(packet.image, bottomField);
  const Bytes commands = packet.commands.empty()
                             ? GenerateCommands(packet, bottomField, colourAt, contrastAt)
                             : packet.commands;

  Bytes unit(4, 0);
  unit.insert(unit.end(), picture.begin(), picture.end());
  // Without an image: a picture of varied bytes, as run-length coded pixels look.
  std::uint32_t seed = 0x9E3779B9u ^ static_cast<std::uint32_t>(packet.pictureBytes);
  for (std::size_t i = 0; packet.image.empty() && i < packet.pictureBytes; ++i) {
    seed = seed * 1664525u + 1013904223u;
    unit.push_back(static_cast<std::uint8_t>(seed >> 24));
  }
  const std::size_t first = unit.size();
  Append16(unit, 0);  // delay
  std::size_t nextField = unit.size();
  Append16(unit, first);
  unit.insert(unit.end(), commands.begin(), commands.end());
  const std::size_t list = first + 4;
  std::vector<Bytes> later = packet.later;
  for (int k = 1; later.empty() && k <= packet.laterSequences; ++k) later.push_back({0x02});  // STP_DSP
  std::size_t sequence = first;
  for (std::size_t k = 0; k < later.size(); ++k) {
    sequence = unit.size();
    Put16(unit, nextField, sequence);  // the sequence before points here
    Append16(unit, 100 * (k + 1));  // delay
    nextField = unit.size();
    Append16(unit, sequence);  // the last one points at itself
    unit.insert(unit.end(), later[k].begin(), later[k].end());
    if (packet.later.empty()) unit.push_back(0xFF);
  }
  if (unit.size() > 0xFFFF) throw std::length_error("a subpicture unit holds at most 65535 bytes");
  if (packet.lastLink == LastLink::kBackward) Put16(unit, nextField, first);
  if (packet.lastLink == LastLink::kOutside) Put16(unit, nextField, unit.size() + 16);
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
