// SPDX-License-Identifier: GPL-3.0-or-later
// IFO files made in memory, with chosen palettes and chosen pointers.
#include "tests/support/IfoBuilder.h"

#include <algorithm>

namespace {

constexpr std::size_t kSector = 2048;
constexpr std::size_t kPgcSize = 0xEC;  // a PGC with no programs: header and lookup table

void PutBigEndian(Bytes& bytes, std::size_t position, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) {
    const std::size_t at = position + static_cast<std::size_t>(i);
    if (at < bytes.size()) bytes[at] = static_cast<std::uint8_t>(value >> (8 * (count - 1 - i)));
  }
}

void PutPalette(Bytes& bytes, std::size_t start, const IfoPalette& palette) {
  if (start + 64 > bytes.size()) return;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    PutBigEndian(bytes, start + 4 * i, palette[i] & 0xFFFFFF, 4);  // reserved byte 0
  }
}

bool IsManager(const IfoLayout& layout) { return layout.identifier == "DVDVIDEO-VMG"; }

std::size_t SectorAfter(std::size_t end) { return (end + kSector - 1) / kSector; }

// Where everything goes: one pass that BuildIfo writes and IfoChainPositions reads.
struct Plan {
  struct Table {
    std::size_t start = 0;
    std::vector<std::size_t> pgcs;  // starts of its PGCs
  };
  std::size_t titleTable = 0;
  std::size_t firstPlay = 0;
  Table titles;
  std::size_t unitTable = 0;  // the menus' PGCI_UT, 0 for none
  std::vector<Table> units;
  std::size_t end = 0;
};

Plan::Table PlanTable(std::size_t start, std::size_t chains, std::size_t firstOffset) {
  Plan::Table table;
  table.start = start;
  std::size_t at = start + (firstOffset != 0 ? firstOffset : 8 + 8 * chains);
  for (std::size_t i = 0; i < chains; ++i, at += kPgcSize) table.pgcs.push_back(at);
  return table;
}

Plan MakePlan(const IfoLayout& layout) {
  Plan plan;
  std::size_t end = kSector;
  if (IsManager(layout)) {
    if (layout.firstPlay) {
      plan.firstPlay = kSector;
      end = kSector + kPgcSize;
    }
  } else {
    plan.titleTable = std::size_t{layout.pgciSector} * kSector;
    plan.titles = PlanTable(plan.titleTable, static_cast<std::size_t>(layout.titleChains),
                            layout.firstPgcOffset);
    end = plan.titles.pgcs.empty() ? plan.titleTable + 8 : plan.titles.pgcs.back() + kPgcSize;
  }
  if (!layout.menus.empty()) {
    plan.unitTable = SectorAfter(end) * kSector;
    std::size_t at = plan.unitTable + 8 + 8 * layout.menus.size();
    for (const auto& unit : layout.menus) {
      plan.units.push_back(PlanTable(at, unit.size(), 0));
      at = plan.units.back().pgcs.empty() ? at + 8 : plan.units.back().pgcs.back() + kPgcSize;
    }
    end = at;
  }
  plan.end = end;
  return plan;
}

// Header and search pointers of a program chain table; `category` marks each entry's kind.
void PutTable(Bytes& bytes, const Plan::Table& table, std::uint32_t category) {
  PutBigEndian(bytes, table.start, static_cast<std::uint32_t>(table.pgcs.size()), 2);
  PutBigEndian(bytes, table.start + 2, 0, 2);
  const std::size_t last = table.pgcs.empty() ? table.start + 7 : table.pgcs.back() + kPgcSize - 1;
  PutBigEndian(bytes, table.start + 4, static_cast<std::uint32_t>(last - table.start), 4);
  for (std::size_t i = 0; i < table.pgcs.size(); ++i) {
    const std::size_t pointer = table.start + 8 + 8 * i;
    PutBigEndian(bytes, pointer, category + (static_cast<std::uint32_t>(i + 1) << 24), 4);
    PutBigEndian(bytes, pointer + 4, static_cast<std::uint32_t>(table.pgcs[i] - table.start), 4);
  }
}

}  // namespace

IfoPalette SampleIfoPalette() {
  IfoPalette palette{};
  for (std::uint32_t i = 0; i < 16; ++i) {
    palette[i] = ((0x10 + 13 * i) << 16) | ((0x80 - 5 * i) << 8) | (0x20 + 11 * i);
  }
  return palette;
}

IfoPalette OtherIfoPalette(int seed) {
  IfoPalette palette = SampleIfoPalette();
  for (auto& entry : palette) entry ^= 0x5A5A5A + 0x010101u * static_cast<std::uint32_t>(seed);
  return palette;
}

std::vector<std::size_t> IfoChainPositions(const IfoLayout& layout) {
  const Plan plan = MakePlan(layout);
  std::vector<std::size_t> positions;
  if (plan.firstPlay != 0) positions.push_back(plan.firstPlay + 0xA4 + 1);
  for (const std::size_t pgc : plan.titles.pgcs) positions.push_back(pgc + 0xA4 + 1);
  for (const auto& unit : plan.units) {
    for (const std::size_t pgc : unit.pgcs) positions.push_back(pgc + 0xA4 + 1);
  }
  return positions;
}

std::size_t IfoPalettePosition(const IfoLayout& layout) {
  const Plan plan = MakePlan(layout);
  return plan.titles.pgcs.empty() ? 0 : plan.titles.pgcs.front() + 0xA4 + 1;
}

Bytes BuildIfo(const IfoPalette& palette, const IfoLayout& layout) {
  const Plan plan = MakePlan(layout);
  std::size_t size = layout.size;
  if (size == 0) size = std::max<std::size_t>(plan.end + kSector, kSector);
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(1 + (i * 7) % 251);
  for (std::size_t i = 0; i < layout.identifier.size() && i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(layout.identifier[i]);
  }
  const auto sectorOf = [](std::size_t position) { return static_cast<std::uint32_t>(position / kSector); };
  if (IsManager(layout)) {
    PutBigEndian(bytes, 0x84, static_cast<std::uint32_t>(plan.firstPlay), 4);
    PutBigEndian(bytes, 0xC8, sectorOf(plan.unitTable), 4);
    if (layout.firstPlay) PutPalette(bytes, plan.firstPlay + 0xA4, *layout.firstPlay);
  } else {
    PutBigEndian(bytes, 0xCC, layout.pgciSector, 4);
    PutBigEndian(bytes, 0xD0, sectorOf(plan.unitTable), 4);
    PutTable(bytes, plan.titles, 0x80000000);  // entry PGC of title N
    for (std::size_t i = 0; i < plan.titles.pgcs.size(); ++i) {
      const auto own = layout.titlePalettes.find(static_cast<int>(i + 1));
      PutPalette(bytes, plan.titles.pgcs[i] + 0xA4,
                 i > 0 && own != layout.titlePalettes.end() ? own->second : palette);
    }
  }
  if (plan.unitTable != 0) {
    PutBigEndian(bytes, plan.unitTable, static_cast<std::uint32_t>(plan.units.size()), 2);
    PutBigEndian(bytes, plan.unitTable + 2, 0, 2);
    PutBigEndian(bytes, plan.unitTable + 4, static_cast<std::uint32_t>(plan.end - 1 - plan.unitTable), 4);
    for (std::size_t u = 0; u < plan.units.size(); ++u) {
      const std::size_t pointer = plan.unitTable + 8 + 8 * u;
      PutBigEndian(bytes, pointer, 0x656E0080, 4);  // "en", no extension, menus present
      PutBigEndian(bytes, pointer + 4, static_cast<std::uint32_t>(plan.units[u].start - plan.unitTable), 4);
      PutTable(bytes, plan.units[u], 0x00000083);  // root menu
      for (std::size_t i = 0; i < plan.units[u].pgcs.size(); ++i) {
        PutPalette(bytes, plan.units[u].pgcs[i] + 0xA4, layout.menus[u][i]);
      }
    }
  }
  return bytes;
}

void SetSubpictureStreams(Bytes& ifo, const IfoLayout& layout, const std::vector<std::string>& languages,
                          const std::vector<std::array<std::uint8_t, 4>>& controls) {
  ifo[0x254] = 0;
  ifo[0x255] = static_cast<std::uint8_t>(languages.size());
  for (std::size_t i = 0; i < languages.size(); ++i) {
    const std::size_t attr = 0x256 + 6 * i;
    std::fill(ifo.begin() + static_cast<std::ptrdiff_t>(attr), ifo.begin() + static_cast<std::ptrdiff_t>(attr + 6), 0);
    for (std::size_t c = 0; c < languages[i].size() && c < 2; ++c) ifo[attr + 2 + c] = static_cast<std::uint8_t>(languages[i][c]);
  }
  const std::vector<std::size_t> chains = IfoChainPositions(layout);
  for (int t = 0; t < layout.titleChains; ++t) {
    const std::size_t pgc = chains[static_cast<std::size_t>(t)] - 1 - 0xA4;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      std::copy(controls[i].begin(), controls[i].end(), ifo.begin() + static_cast<std::ptrdiff_t>(pgc + 0x1C + 4 * i));
    }
  }
}
