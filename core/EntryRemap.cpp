// SPDX-License-Identifier: GPL-3.0-or-later
// Remapping a subpicture unit by palette entry: every colour word of every control sequence.
#include "core/EntryRemap.h"

EntryMap::EntryMap() {
  for (int i = 0; i < 16; ++i) entry[i] = i;
  contrast.fill(-1);
}

int EntryMap::TranslateColour(int colourWord) const {
  int word = 0;
  for (int s = 0; s < kSlotCount; ++s) word |= entry[SlotValue(s, colourWord)] << (4 * s);
  return word;
}

int EntryMap::TranslateContrast(int contrastWord, int colourWord) const {
  int word = 0;
  for (int s = 0; s < kSlotCount; ++s) {
    const int set = contrast[SlotValue(s, colourWord)];
    word |= (set >= 0 ? set : SlotValue(s, contrastWord)) << (4 * s);
  }
  return word;
}

EntryMap EntryMapFromSlotChange(const std::array<int, 4>& fromEntries,
                                const std::array<int, 4>& fromIntensities,
                                const std::array<int, 4>& toEntries,
                                const std::array<int, 4>& toIntensities) {
  const auto valid = [](int value) { return value >= 0 && value < 16; };
  EntryMap map;
  std::array<bool, 16> decided{};
  for (int s = 0; s < 4; ++s) {
    const int from = fromEntries[s];
    if (!valid(from) || !valid(toEntries[s]) || !valid(toIntensities[s]) || decided[from]) continue;
    const bool newIntensity = toIntensities[s] != fromIntensities[s];
    if (toEntries[s] == from && !newIntensity) continue;
    decided[from] = true;
    map.entry[from] = toEntries[s];
    if (newIntensity) map.contrast[from] = toIntensities[s];
  }
  return map;
}

UnitWalk PlanEntryRemap(ByteView unit, const EntryMap& map, std::vector<BytePatch>& patches) {
  thread_local std::vector<UnitWord> words;  // kept from unit to unit: no allocation per unit
  const UnitWalk walk = WalkUnitWords(unit, words);
  if (walk.error != WalkError::kNone) return walk;
  for (const UnitWord& w : words) {
    // The walk keeps every word inside the unit.
    const int old = static_cast<int>(ReadBigEndianUnchecked(unit.data() + w.at, 2));
    int now = old;
    if (w.kind == WordKind::kColour) {
      now = map.TranslateColour(old);
    } else if (w.colourAt != kNoWord) {
      now = map.TranslateContrast(old, static_cast<int>(ReadBigEndianUnchecked(unit.data() + w.colourAt, 2)));
    }
    for (std::size_t i = 0; i < 2; ++i) {
      const auto before = unit[w.at + i];
      const auto after = static_cast<std::uint8_t>(i == 0 ? now >> 8 : now & 0xFF);
      if (after != before) patches.push_back({w.at + i, before, after});
    }
  }
  return walk;
}
