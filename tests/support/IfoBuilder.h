// Title set IFO files made in memory, with a chosen palette and chosen pointers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tests/support/TempDir.h"

// Sixteen palette entries, each 0xYYRRBB: Y, Cr, Cb.
using IfoPalette = std::array<std::uint32_t, 16>;

// The default entries: distinct, non-zero, easy to recognise.
IfoPalette SampleIfoPalette();

struct IfoLayout {
  std::string identifier = "DVDVIDEO-VTS";
  std::uint32_t pgciSector = 2;        // written at 204; the table starts at sector * 2048
  std::uint32_t firstPgcOffset = 24;   // written at table + 12; the first PGC starts there
  std::size_t size = 0;                // 0: one sector past the end of the second PGC
  bool secondPgc = true;               // a second program chain with a palette of its own
};

// Every byte that the layout leaves free holds a non-zero pattern, so that a save that
// touched anything beyond the palette shows up. Reserved palette bytes are 0.
Bytes BuildIfo(const IfoPalette& palette = SampleIfoPalette(), const IfoLayout& layout = {});

// Position of entry 0's Y byte in a file built with `layout`.
std::size_t IfoPalettePosition(const IfoLayout& layout = {});
