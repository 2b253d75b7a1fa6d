// Title set IFO files made in memory, with a chosen palette and chosen pointers.
#include "tests/support/IfoBuilder.h"

#include <algorithm>

namespace {

void PutBigEndian(Bytes& bytes, std::size_t position, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) {
    const std::size_t at = position + static_cast<std::size_t>(i);
    if (at < bytes.size()) bytes[at] = static_cast<std::uint8_t>(value >> (8 * (count - 1 - i)));
  }
}

void PutPalette(Bytes& bytes, std::size_t start, const IfoPalette& palette) {
  for (std::size_t i = 0; i < palette.size(); ++i) {
    PutBigEndian(bytes, start + 4 * i, palette[i] & 0xFFFFFF, 4);  // reserved byte 0
  }
}

constexpr std::size_t kPgcSize = 0xEC;  // a PGC with no programs: header and lookup table

}  // namespace

IfoPalette SampleIfoPalette() {
  IfoPalette palette{};
  for (std::uint32_t i = 0; i < 16; ++i) {
    palette[i] = ((0x10 + 13 * i) << 16) | ((0x80 - 5 * i) << 8) | (0x20 + 11 * i);
  }
  return palette;
}

std::size_t IfoPalettePosition(const IfoLayout& layout) {
  return std::size_t{layout.pgciSector} * 2048 + layout.firstPgcOffset + 0xA4 + 1;
}

Bytes BuildIfo(const IfoPalette& palette, const IfoLayout& layout) {
  const std::size_t table = std::size_t{layout.pgciSector} * 2048;
  const std::size_t first = table + layout.firstPgcOffset;
  const std::size_t second = first + kPgcSize;
  std::size_t size = layout.size;
  if (size == 0) size = std::max<std::size_t>(second + kPgcSize + 2048, 2048);
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(1 + (i * 7) % 251);
  for (std::size_t i = 0; i < layout.identifier.size() && i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(layout.identifier[i]);
  }
  PutBigEndian(bytes, 0xCC, layout.pgciSector, 4);
  // The table: number of PGCs, reserved, end address, then the search pointers.
  PutBigEndian(bytes, table, layout.secondPgc ? 2 : 1, 2);
  PutBigEndian(bytes, table + 4, static_cast<std::uint32_t>(second + kPgcSize - table - 1), 4);
  PutBigEndian(bytes, table + 8, 0x81000000, 4);  // entry PGC of title 1
  PutBigEndian(bytes, table + 12, layout.firstPgcOffset, 4);
  if (layout.secondPgc) {
    PutBigEndian(bytes, table + 16, 0x82000000, 4);
    PutBigEndian(bytes, table + 20, static_cast<std::uint32_t>(second - table), 4);
  }
  if (first + 0xA4 + 64 <= size) PutPalette(bytes, first + 0xA4, palette);
  if (layout.secondPgc && second + 0xA4 + 64 <= size) {
    IfoPalette other = SampleIfoPalette();  // the same whatever the first palette is
    for (auto& entry : other) entry ^= 0x5A5A5A;
    PutPalette(bytes, second + 0xA4, other);
  }
  return bytes;
}
