// SPDX-License-Identifier: GPL-3.0-or-later
// Remapping a subpicture unit by palette entry: every colour word of every control sequence.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Subpicture.h"

// Which palette entry each entry becomes, and the contrast given to pixels of an entry.
struct EntryMap {
  EntryMap();  // every entry to itself, no contrast set

  // Translates each slot of a colour word (Cmd3 or a pixel control's colour word).
  int TranslateColour(int colourWord) const;
  // Sets, in a contrast word, the slots whose entry in `colourWord` (before the remap) has a
  // contrast; the other slots keep theirs.
  int TranslateContrast(int contrastWord, int colourWord) const;

  std::array<int, 16> entry;     // 0-15
  std::array<int, 16> contrast;  // 0-15, or -1 to keep
};

// The entry remap that carries a change of one subtitle's mapping to every subtitle: for each
// slot whose entry or intensity changed, the old entry becomes the slot's new entry, and a
// changed intensity becomes that entry's contrast. When two slots share an old entry, the first
// slot that changes it decides. Values outside 0-15 are ignored.
EntryMap EntryMapFromSlotChange(const std::array<int, 4>& fromEntries,
                                const std::array<int, 4>& fromIntensities,
                                const std::array<int, 4>& toEntries,
                                const std::array<int, 4>& toIntensities);

// One byte to change, at an offset from the start of the unit.
struct BytePatch {
  std::size_t at;
  std::uint8_t before;
  std::uint8_t after;
};

// Plans the entry remap of one unit: walks it (WalkUnitWords) and appends a patch for every
// byte of a colour or contrast word that the map changes. Nothing is appended when the walk
// fails; the result says why. A contrast word with no colour set before it is left alone.
UnitWalk PlanEntryRemap(ByteView unit, const EntryMap& map, std::vector<BytePatch>& patches);
