// SPDX-License-Identifier: GPL-3.0-or-later
// A title set's video and subpicture attributes: the frame size of its video and the language
// of each subpicture stream.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/Core.h"
#include "files/IfoChains.h"

// Positions in a title set's IFO (VTSI_MAT), named after libdvdread's ifo_types.h.
constexpr std::size_t kVtsVideoAttrOffset = 0x200;       // video_attr_t, 2 bytes
constexpr std::size_t kVtsSubpCountOffset = 0x255;       // nr_of_vts_subp_streams
constexpr std::size_t kVtsSubpAttrOffset = 0x256;        // subp_attr_t[32]
constexpr std::size_t kSubpAttrSize = 6;                 // coding and type, 0, language (2), 2 more
constexpr std::size_t kSubpLanguageInAttr = 2;
constexpr std::size_t kPgcSubpControlOffset = 0x1C;      // inside a PGC: 32 stream controls
constexpr std::size_t kSubpControlSize = 4;

struct FrameSize {
  int width = 0;
  int height = 0;
};

// The frame size the title set's video attributes give (720, 704 or 352 wide; 480 or 240 high
// for NTSC, 576 or 288 for PAL); nullopt when the bytes are too short or the video standard is
// neither.
std::optional<FrameSize> TitleVideoSize(ByteView ifo);

// The two-letter language code of subpicture stream `stream` (substream 0x20 + stream) as the
// title set declares it: the program chain's stream controls say which of the declared streams
// plays from that substream (any of its four display modes); a chain that maps none of them, or
// has no controls at all, leaves the declared stream of the same number. Empty when the
// attribute is missing or its code is not two letters.
std::string SubpictureLanguage(ByteView ifo, const ProgramChain& chain, int stream);
