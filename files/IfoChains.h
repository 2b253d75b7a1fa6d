// SPDX-License-Identifier: GPL-3.0-or-later
// Every program chain of an IFO file and where its palette lies: the title chains and menu
// language units of a title set, the first-play chain and menu chains of a video manager.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Core.h"

// Positions in the files, named after libdvdread's ifo_types.h. Multi-byte fields are big-endian.
constexpr std::size_t kIfoIdentifierLength = 12;
constexpr std::uint64_t kSectorSize = 2048;
constexpr std::size_t kManagerHeaderSize = 0x400;      // VMGI_MAT
constexpr std::size_t kFirstPlayPgcOffset = 0x84;      // VMG: byte position of the first-play PGC
constexpr std::size_t kVmgmPgciUtSectorOffset = 0xC8;  // VMG: sector of the menu PGCI_UT
constexpr std::size_t kPgciSectorOffset = 0xCC;        // VTS: sector of VTS_PGCIT, the title chains
constexpr std::size_t kVtsmPgciUtSectorOffset = 0xD0;  // VTS: sector of the menu PGCI_UT

// A PGCIT (program chain table) and a PGCI_UT (menu language units) both start with a count (2),
// two reserved bytes and the table's last byte (4), then one 8-byte search pointer per entry
// whose last four bytes give the entry's start, counted from the start of the table.
constexpr std::size_t kTableHeaderSize = 8;
constexpr std::size_t kSearchPointerSize = 8;
constexpr std::size_t kStartInSearchPointer = 4;
constexpr std::size_t kFirstPgcPointerOffset = kTableHeaderSize + kStartInSearchPointer;

constexpr std::size_t kSubpictureCountOffset = 0x254;  // VTS: number of subpicture streams
constexpr std::size_t kSubpictureAttrOffset = 0x256;   // VTS: their attributes, 6 bytes each
constexpr std::size_t kSubpictureAttrSize = 6;
constexpr std::size_t kLanguageInSubpictureAttr = 2;   // two ISO 639 letters
constexpr std::size_t kSubpictureControlInPgc = 0x1C;  // 32 stream controls of 4 bytes in a PGC
constexpr std::size_t kSubpictureSlots = 32;
constexpr std::size_t kPaletteOffsetInPgc = 0xA4;  // colour lookup table inside a PGC
constexpr std::size_t kPaletteEntryCount = 16;
constexpr std::size_t kPaletteBytes = 4 * kPaletteEntryCount;  // reserved, Y, Cr, Cb each

enum class IfoKind { kTitleSet, kVideoManager };
enum class PgcDomain { kTitle, kMenu, kFirstPlay };

struct ProgramChain {
  PgcDomain domain = PgcDomain::kTitle;
  int languageUnit = 0;      // 1, 2, ... for menu chains; 0 otherwise
  int number = 0;            // 1, 2, ... in its table; 0 for the first-play chain
  std::size_t palette = 0;   // position of the colour lookup table (entry 0's reserved byte)
};

// "DVDVIDEO-VTS" or "DVDVIDEO-VMG" in the first twelve bytes; nullopt for anything else.
std::optional<IfoKind> IfoKindOf(ByteView bytes);

// Every program chain in table order: the title chains, then each menu language unit's chains
// (title set); the first-play chain, then the menu chains (video manager). A title set needs at
// least one title chain. A table is damaged when a count runs past the bytes, a pointer or
// palette lies outside them, or an entry points back into its own table's header. As players
// read discs, the title table and the first-play chain are mandatory: nullopt when one is
// damaged. The menu table is optional: when it is damaged its chains are left out and
// `menusDamaged` (when given) is set. Language units that share one table list its chains once,
// under the first of them.
std::optional<std::vector<ProgramChain>> ListProgramChains(ByteView bytes, IfoKind kind,
                                                           bool* menusDamaged = nullptr);

// "title 2", "menu 1.3", "first-play".
std::string ProgramChainName(const ProgramChain& chain);

// The language (two lower-case letters, "" when not known) of each subpicture stream as the VOB
// files number it (0-31), for a title set: its title chains' stream controls say which stream
// each of the set's subpicture attributes describes. Bytes out of reach give "".
std::array<std::string, kSubpictureSlots> SubpictureLanguages(ByteView bytes);
// The same for the title set a VOB file belongs to, from the IFO file beside it (TitleSetIfoPath)
// when there is one; every language "" otherwise. Nothing is logged.
std::array<std::string, kSubpictureSlots> TitleSetLanguages(const std::string& vobPath);
