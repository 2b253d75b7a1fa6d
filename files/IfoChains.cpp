// SPDX-License-Identifier: GPL-3.0-or-later
// Every program chain of an IFO file and where its palette lies.
//
// The tables are read once each, front to back; nothing is followed recursively, so a damaged
// file cannot make the walk loop. All positions are 64-bit and pass through Inside().
#include "files/IfoChains.h"

#include <algorithm>
#include <cstring>

#include "core/Log.h"

namespace {

// start + offset when the `length` bytes from there lie inside `bytes`; nullopt otherwise.
// Never overflows: each step is compared with what is left.
std::optional<std::uint64_t> Inside(ByteView bytes, std::uint64_t start, std::uint64_t offset,
                                    std::uint64_t length) {
  const std::uint64_t size = bytes.size();
  if (start > size || offset > size - start) return std::nullopt;
  const std::uint64_t position = start + offset;
  if (length > size - position) return std::nullopt;
  return position;
}

std::optional<std::uint32_t> Field(ByteView bytes, std::uint64_t position, int count) {
  return ReadBigEndian(bytes, static_cast<std::size_t>(position), count);
}

// The table whose sector number stands at `field`: its position, 0 when the sector is 0 (no
// table), nullopt when the pointer or the table's header lies outside the bytes.
std::optional<std::uint64_t> SectorTable(ByteView bytes, std::size_t field) {
  const std::optional<std::uint32_t> sector = Field(bytes, field, 4);
  if (!sector) return std::nullopt;
  if (*sector == 0) return 0;
  return Inside(bytes, std::uint64_t{*sector} * kSectorSize, 0, kTableHeaderSize);
}

// The starts of a table's entries, each counted from the table. nullopt when the search
// pointers run past the bytes or an entry starts inside the table's own header and pointers.
std::optional<std::vector<std::uint64_t>> EntryStarts(ByteView bytes, std::uint64_t table) {
  const std::optional<std::uint32_t> count = Field(bytes, table, 2);
  if (!count) return std::nullopt;
  const std::uint64_t pointersEnd = kTableHeaderSize + std::uint64_t{*count} * kSearchPointerSize;
  if (!Inside(bytes, table, 0, pointersEnd)) return std::nullopt;
  std::vector<std::uint64_t> starts;
  starts.reserve(*count);
  for (std::uint64_t i = 0; i < *count; ++i) {
    const std::uint64_t at = table + kTableHeaderSize + i * kSearchPointerSize;
    const std::uint32_t start = ReadBigEndianUnchecked(bytes.data() + at + kStartInSearchPointer, 4);
    if (start < pointersEnd) return std::nullopt;
    starts.push_back(start);
  }
  return starts;
}

// Adds the chains of the program chain table at `table`; false when it is damaged.
bool AddTable(ByteView bytes, std::uint64_t table, PgcDomain domain, int languageUnit,
              std::vector<ProgramChain>& chains) {
  const auto starts = EntryStarts(bytes, table);
  if (!starts) return false;
  int number = 0;
  for (const std::uint64_t start : *starts) {
    const auto palette = Inside(bytes, table, start + kPaletteOffsetInPgc, kPaletteBytes);
    if (!palette) return false;
    chains.push_back({domain, languageUnit, ++number, static_cast<std::size_t>(*palette)});
  }
  return true;
}

// Adds the chains of every language unit of the PGCI_UT at `units`; false when it is damaged.
bool AddLanguageUnits(ByteView bytes, std::uint64_t units, std::vector<ProgramChain>& chains) {
  const auto starts = EntryStarts(bytes, units);
  if (!starts) return false;
  std::vector<std::uint64_t> seen;
  int languageUnit = 0;
  for (const std::uint64_t start : *starts) {
    ++languageUnit;
    const auto table = Inside(bytes, units, start, kTableHeaderSize);
    if (!table) return false;
    if (std::find(seen.begin(), seen.end(), *table) != seen.end()) continue;
    seen.push_back(*table);
    if (!AddTable(bytes, *table, PgcDomain::kMenu, languageUnit, chains)) return false;
  }
  return true;
}

}  // namespace

std::optional<IfoKind> IfoKindOf(ByteView bytes) {
  if (bytes.size() < kIfoIdentifierLength) return std::nullopt;
  if (std::memcmp(bytes.data(), "DVDVIDEO-VTS", kIfoIdentifierLength) == 0) return IfoKind::kTitleSet;
  if (std::memcmp(bytes.data(), "DVDVIDEO-VMG", kIfoIdentifierLength) == 0) {
    return IfoKind::kVideoManager;
  }
  return std::nullopt;
}

std::optional<std::vector<ProgramChain>> ListProgramChains(ByteView bytes, IfoKind kind,
                                                           bool* menusDamaged) {
  if (menusDamaged != nullptr) *menusDamaged = false;
  std::vector<ProgramChain> chains;
  std::optional<std::uint64_t> menus;
  if (kind == IfoKind::kTitleSet) {
    const auto titles = SectorTable(bytes, kPgciSectorOffset);
    // Sector 0 would be the file's own header: a title set has no title table there.
    if (!titles || *titles == 0) return std::nullopt;
    if (!AddTable(bytes, *titles, PgcDomain::kTitle, 0, chains) || chains.empty()) {
      return std::nullopt;
    }
    menus = SectorTable(bytes, kVtsmPgciUtSectorOffset);
  } else {
    const std::optional<std::uint32_t> firstPlay = Field(bytes, kFirstPlayPgcOffset, 4);
    if (!firstPlay) return std::nullopt;
    if (*firstPlay != 0) {
      if (*firstPlay < kManagerHeaderSize) return std::nullopt;  // inside the header itself
      const auto palette = Inside(bytes, *firstPlay, kPaletteOffsetInPgc, kPaletteBytes);
      if (!palette) return std::nullopt;
      chains.push_back({PgcDomain::kFirstPlay, 0, 0, static_cast<std::size_t>(*palette)});
    }
    menus = SectorTable(bytes, kVmgmPgciUtSectorOffset);
  }
  // The menus are optional: a damaged menu table leaves them out, and the rest stays usable.
  const std::size_t mandatory = chains.size();
  if (!menus || (*menus != 0 && !AddLanguageUnits(bytes, *menus, chains))) {
    chains.resize(mandatory);
    if (menusDamaged != nullptr) *menusDamaged = true;
  }
  return chains;
}

std::string ProgramChainName(const ProgramChain& chain) {
  switch (chain.domain) {
    case PgcDomain::kTitle:
      return FormatText("title %d", chain.number);
    case PgcDomain::kMenu:
      return FormatText("menu %d.%d", chain.languageUnit, chain.number);
    case PgcDomain::kFirstPlay:
      break;
  }
  return "first-play";
}
