// SPDX-License-Identifier: GPL-3.0-or-later
// Screen colours, the caption colour (white or black) for a given background, and the
// conversions between screen colours and Y Cr Cb: every colour calculation of the program.
#pragma once

#include <array>
#include <cstdint>

// A screen colour: red in bits 0-7, green in 8-15, blue in 16-23 (0x00BBGGRR).
using TColor = std::uint32_t;

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;

// The palette the IFO tab's Default applies, entry 0 to 15.
constexpr std::array<TColor, 16> kDefaultPalette = {
    0xFF0000,  // blue
    0x000000,  // black
    0xFFFFFF,  // white
    0xC0C0C0,  // silver
    0x800000,  // navy
    0x808080,  // gray
    0x0000FF,  // red
    0x000080,  // maroon
    0x00FF00,  // lime
    0x008000,  // green
    0x008080,  // olive
    0x00FFFF,  // yellow
    0xFF00FF,  // fuchsia
    0x800080,  // purple
    0xFFFF00,  // aqua
    0x808000,  // teal
};

constexpr int RedOf(TColor c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr TColor MakeColour(int red, int green, int blue) {
  return static_cast<TColor>(red & 0xFF) | (static_cast<TColor>(green & 0xFF) << 8) |
         (static_cast<TColor>(blue & 0xFF) << 16);
}

// The colour of a packed 0xRRGGBB value, as .rgb and .idx palette files write it.
constexpr TColor ColourOfRgb(std::uint32_t rgb) {
  return MakeColour(static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                    static_cast<int>(rgb & 0xFF));
}

// 0, 128, 192 or 255.
int NormaliseChannel(int value);

// Each channel normalised; logs one line at level 10.
TColor NormaliseColour(TColor colour);

// White on the ten dark normalised colours, black on every other.
TColor ContrastTextColour(TColor colour);

// Screen colour to Y, Cr, Cb (studio range). Bits 24-31 of the colour are ignored.
int ColourToY(TColor colour);
int ColourToCr(TColor colour);
int ColourToCb(TColor colour);

// Y, Cr, Cb back to one channel, truncated and clamped into 0-255. Any integers are accepted.
int YCrCbToRed(int y, int cr);
int YCrCbToGreen(int y, int cr, int cb);
int YCrCbToBlue(int y, int cb);
TColor YCrCbToColour(int y, int cr, int cb);

// RGB in palette files, converted as the tools that exchange them do (dvdauthor's sums): the
// Y Cr Cb entry (0xYYCRCB) an RRGGBB value reads as, and the RRGGBB value written for an entry,
// which reads back as the same entry for every entry an RGB value can give.
std::uint32_t PaletteFileYCrCb(std::uint32_t rgb);
std::uint32_t PaletteFileRgb(int y, int cr, int cb);
