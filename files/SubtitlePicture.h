// SPDX-License-Identifier: GPL-3.0-or-later
// The subpicture decoder: what a screen shows of one subtitle unit, pixel by pixel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Colour.h"
#include "core/Core.h"

// A unit from a SUP packet, from the VOB scanner or from a VobSub file is decoded the same way:
// the command lists are walked by WalkUnitCommands, the display area (SET_DAREA), the two field
// offsets (SET_DSPXA), the colour and contrast words (SET_COLOR, SET_CONTR) and the change
// regions (CHG_COLCON) accumulate from one control sequence to the next, and the picture shows
// their state after a chosen sequence. Nothing outside the unit is read: the pixel data of both
// fields must lie between the unit's header and its first control sequence.

// A control sequence's delay (SP_DCSQ_STM) counts units of 1024 ticks of the 90 kHz clock.
constexpr std::int64_t kTicksPerDelayUnit = 1024;

// Control command codes beside the colour and contrast words.
constexpr int kCmdForcedStart = 0;  // FSTA_DSP
constexpr int kCmdStart = 1;        // STA_DSP
constexpr int kCmdStop = 2;         // STP_DSP
constexpr int kCmdArea = 5;         // SET_DAREA
constexpr int kCmdFields = 6;       // SET_DSPXA

enum class SubpictureError {
  kNone,
  kCommands,      // the command lists cannot be walked (SubpictureFacts::walk says why)
  kNoArea,        // no display area is set, or it is empty
  kNoPixelData,   // no field offsets are set
  kFieldOutside,  // a field's pixel data runs past the bytes before the first control sequence
  kNoSequence,    // the moment asked for is not a control sequence of the unit
};
// A short English text for log lines ("pixel data runs past its end").
const char* SubpictureErrorText(SubpictureError error);

struct SubpictureArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct SubpictureSequence {
  std::int64_t ticks = 0;  // delay from the unit's time, in 90 kHz ticks
  bool start = false;      // STA_DSP or FSTA_DSP
  bool stop = false;       // STP_DSP
  bool forced = false;     // FSTA_DSP
};

// What the command lists of a unit say, without decoding the picture: cheap enough for a list
// of thousands of subtitles.
struct SubpictureFacts {
  SubpictureError error = SubpictureError::kNone;  // kNone or kCommands
  UnitWalk walk;
  std::vector<SubpictureSequence> sequences;
  int shown = 0;          // the first sequence that starts the display; 0 when none does
  bool forced = false;    // the first control sequence holds FSTA_DSP
  SubpictureArea area;    // the display area in effect at `shown`
  std::optional<std::int64_t> start;     // ticks of `shown` when it starts the display
  std::optional<std::int64_t> duration;  // from the start to the first later STP_DSP, in ticks
};
SubpictureFacts ReadSubpictureFacts(ByteView unit);

// True when the unit's first control sequence holds FSTA_DSP (its commands walked to there).
bool IsForcedUnit(ByteView unit);

// A decoded picture: its display area and, row by row, each pixel's palette entry (bits 0-3)
// and contrast (bits 4-7). Without a colour or contrast command the words are 0: entry 0,
// fully transparent.
struct SubpictureImage {
  SubpictureArea area;
  std::vector<std::uint8_t> pixels;
  int Entry(int x, int y) const { return At(x, y) & 0xF; }
  int Contrast(int x, int y) const { return At(x, y) >> 4; }
  int At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(area.width) +
                  static_cast<std::size_t>(x)];
  }
};

// Decodes the picture as it stands after control sequence `sequence`, or after the first one
// that starts the display when `sequence` is -1. On an error `image` is left empty.
SubpictureError DecodeSubpictureUnit(ByteView unit, SubpictureImage& image, int sequence = -1);

// The picture as RGBA bytes, row by row: each pixel the screen colour of its entry in `palette`,
// with alpha = contrast x 17.
void ImageToRgba(const SubpictureImage& image, const std::array<TColor, 16>& palette,
                 std::vector<std::uint8_t>& rgba);

// A copy of the unit with the argument words of the first SET_COLOR and SET_CONTR of its first
// control sequence set to `colour` and `contrast`, as the SUP tab's Save writes it; the copy is
// the unit as it is when either command is missing (Save refuses such a file).
std::vector<std::uint8_t> UnitWithFirstWords(ByteView unit, int colour, int contrast);

// The sixteen screen colours of a palette of Y Cr Cb entries (the program's conversion).
std::array<TColor, 16> PaletteColours(const std::array<std::array<int, 3>, 16>& yCrCb);
