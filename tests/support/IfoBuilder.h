// SPDX-License-Identifier: GPL-3.0-or-later
// IFO files made in memory: title sets with several title chains and menu language units, and
// video managers with a first-play chain and menus, each chain with a chosen palette.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

// Sixteen palette entries, each 0xYYRRBB: Y, Cr, Cb.
using IfoPalette = std::array<std::uint32_t, 16>;

// The default entries: distinct, non-zero, easy to recognise.
IfoPalette SampleIfoPalette();
// Another palette, different in every entry from SampleIfoPalette() (and from every other seed).
IfoPalette OtherIfoPalette(int seed);

// A title set (or, with the identifier "DVDVIDEO-VMG", a video manager). Sector 0 is the
// header; the title table starts at `pgciSector`; the menu units follow at the next sector.
struct IfoLayout {
  std::string identifier = "DVDVIDEO-VTS";
  std::uint32_t pgciSector = 2;        // written at 204; the table starts at sector * 2048
  std::uint32_t firstPgcOffset = 0;    // the first PGC's start in the table; 0: after the pointers
  std::size_t size = 0;                // 0: one sector past the end of the last PGC
  int titleChains = 2;                 // title program chains (title set only)
  std::map<int, IfoPalette> titlePalettes;  // chains from 2 with a palette of their own; the
                                            // others repeat the palette given to BuildIfo
  std::vector<std::vector<IfoPalette>> menus;  // menu language units, each its chains' palettes
  std::optional<IfoPalette> firstPlay;         // a video manager's first-play chain
};

// Every byte that the layout leaves free holds a non-zero pattern, so that a save that
// touched anything beyond the palette shows up. Reserved palette bytes are 0.
Bytes BuildIfo(const IfoPalette& palette = SampleIfoPalette(), const IfoLayout& layout = {});

// Position of entry 0's Y byte of the first title chain in a file built with `layout`.
std::size_t IfoPalettePosition(const IfoLayout& layout = {});
// Positions of entry 0's Y byte of every chain, in the order titles, menus (title set) or
// first-play, menus (video manager).
std::vector<std::size_t> IfoChainPositions(const IfoLayout& layout = {});

// Gives a title set built with `layout` one subpicture stream attribute per language (two
// letters; "" leaves the code 0) and its title chains the stream controls given, four bytes each
// (bit 7 of the first: available; the low five bits of each: the stream for 4:3, wide,
// letterbox, pan-scan).
void SetSubpictureStreams(Bytes& ifo, const IfoLayout& layout, const std::vector<std::string>& languages,
                          const std::vector<std::array<std::uint8_t, 4>>& controls);
