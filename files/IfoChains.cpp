// SPDX-License-Identifier: GPL-3.0-or-later
// Every program chain of an IFO file and where its palette lies.
//
// The tables are read once each, front to back; nothing is followed recursively, so a damaged
// file cannot make the walk loop. All positions are 64-bit and pass through Inside().
#include "files/IfoChains.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/DiscLayout.h"

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

namespace {

// Two lower-case letters, or "" for anything else (unset codes are 0 or 0xFFFF).
std::string LanguageCode(std::uint8_t first, std::uint8_t second) {
  const auto letter = [](std::uint8_t c) { return std::isalpha(c) != 0 && c < 0x80; };
  if (!letter(first) || !letter(second)) return {};
  return {static_cast<char>(std::tolower(first)), static_cast<char>(std::tolower(second))};
}

}  // namespace

std::array<std::string, kSubpictureSlots> SubpictureLanguages(ByteView bytes) {
  std::array<std::string, kSubpictureSlots> languages;
  const auto count = Field(bytes, kSubpictureCountOffset, 2);
  const auto chains = ListProgramChains(bytes, IfoKind::kTitleSet);
  if (IfoKindOf(bytes) != IfoKind::kTitleSet || !count || !chains) return languages;
  const std::size_t streams = std::min<std::size_t>(*count, kSubpictureSlots);
  for (const ProgramChain& chain : *chains) {
    if (chain.domain != PgcDomain::kTitle) continue;
    const std::uint64_t pgc = chain.palette - kPaletteOffsetInPgc;
    const auto controls = Inside(bytes, pgc, kSubpictureControlInPgc, 4 * kSubpictureSlots);
    const auto attrs = Inside(bytes, kSubpictureAttrOffset, 0, kSubpictureAttrSize * streams);
    if (!controls || !attrs) continue;
    // Bit 7 of a control's first byte: the stream is available; the low five bits of each of
    // its four bytes: the stream number for 4:3, wide, letterbox and pan-scan display. The 4:3
    // numbers go first: the others are often left 0.
    for (std::size_t k = 0; k < 4; ++k) {
      for (std::size_t i = 0; i < streams; ++i) {
        const std::uint8_t* control = bytes.data() + *controls + 4 * i;
        if ((control[0] & 0x80) == 0) continue;
        const std::uint8_t* attr = bytes.data() + *attrs + kSubpictureAttrSize * i;
        std::string& language = languages[control[k] & 0x1F];
        if (language.empty()) {
          language = LanguageCode(attr[kLanguageInSubpictureAttr],
                                  attr[kLanguageInSubpictureAttr + 1]);
        }
      }
    }
  }
  return languages;
}

std::array<std::string, kSubpictureSlots> TitleSetLanguages(const std::string& vobPath) {
  // An IFO file holds tables of a few hundred kilobytes; a larger file is no title set's.
  constexpr std::uint64_t kMaxIfoBytes = std::uint64_t{8} << 20;
  const std::string ifo = TitleSetIfoPath(vobPath);
  std::vector<std::uint8_t> bytes;
  if (ifo.empty() || ReadWholeFile(ifo, bytes, kMaxIfoBytes) != ReadResult::kOk) return {};
  return SubpictureLanguages(bytes);
}
