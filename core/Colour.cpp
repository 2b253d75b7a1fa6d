// SPDX-License-Identifier: GPL-3.0-or-later
// Screen colours: the caption colour (white or black) for a given background, and the
// conversions between screen colours and the palette's Y Cr Cb values.
#include "core/Colour.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "core/Log.h"

int NormaliseChannel(int value) {
  if (value < 85) return 0;
  if (value < 170) return 128;
  if (value >= 184 && value < 200) return 192;
  return 255;  // 170-183 as well as 200-255
}

TColor NormaliseColour(TColor colour) {
  colour &= 0xFFFFFF;
  const int red = NormaliseChannel(RedOf(colour));
  const int green = NormaliseChannel(GreenOf(colour));
  const int blue = NormaliseChannel(BlueOf(colour));
  LogMessage(kLogAll, "Normalising %06X to %02X%02X%02X", colour, blue, green, red);
  return MakeColour(red, green, blue);
}

TColor ContrastTextColour(TColor colour) {
  switch (NormaliseColour(colour)) {
    case 0x000000:  // black
    case 0x000080:  // maroon
    case 0x0000FF:  // red
    case 0x008000:  // green
    case 0x008080:  // olive
    case 0x800000:  // navy
    case 0x800080:  // purple
    case 0x808000:  // teal
    case 0x808080:  // gray
    case 0xFF0000:  // blue
      return kWhite;
    default:
      return kBlack;
  }
}

// The conversions are defined by x87 extended arithmetic: the results at integer boundaries
// depend on it (every grey keeps Cr = Cb = 127 only because the small negative remainder of
// the coefficient sums survives).
static_assert(std::numeric_limits<long double>::digits == 64,
              "the colour conversions need long double with a 64-bit significand (x87 extended)");

namespace {

using Extended = long double;

// Each coefficient is the double nearest to the decimal, widened without change.
constexpr Extended Coefficient(double value) { return static_cast<Extended>(value); }

const Extended kYRed = Coefficient(65.738);
const Extended kYGreen = Coefficient(129.057);
const Extended kYBlue = Coefficient(25.064);
const Extended kCbRed = Coefficient(-37.945);
const Extended kCbGreen = Coefficient(-74.494);
const Extended kCbBlue = Coefficient(112.439);
const Extended kCrRed = Coefficient(112.439);
const Extended kCrGreen = Coefficient(-94.154);
const Extended kCrBlue = Coefficient(-18.285);
const Extended kLuma = Coefficient(298.082);
const Extended kRedCr = Coefficient(408.583);
const Extended kGreenCb = Coefficient(-100.291);
const Extended kGreenCr = Coefficient(-208.120);
const Extended kBlueCb = Coefficient(516.411);
const Extended kScale = Coefficient(0.00390625);  // 2^-8, exact

// Truncation toward zero of a forward result; these always lie well inside int.
int Truncate(Extended value) { return static_cast<int>(value); }

// Truncation toward zero, then clamping into 0-255. Values far outside int are clamped
// before any conversion.
int TruncateAndClamp(Extended value) {
  if (!(value < 256)) return 255;
  if (value < 1) return 0;  // everything that truncates to 0 or below
  return static_cast<int>(value);
}

// The integer difference v - offset, exact for every int.
Extended Difference(int value, int offset) {
  return static_cast<Extended>(static_cast<std::int64_t>(value) - offset);
}

Extended Channel(int value) { return static_cast<Extended>(value); }

}  // namespace

namespace {

// ((R x red + G x green) + B x blue) / 256 + offset, in extended precision, left to right.
int Forward(TColor colour, Extended red, Extended green, Extended blue, int offset) {
  Extended sum = Channel(RedOf(colour)) * red;
  sum = sum + Channel(GreenOf(colour)) * green;
  sum = sum + Channel(BlueOf(colour)) * blue;
  return Truncate(sum * kScale + offset);
}

}  // namespace

int ColourToY(TColor colour) { return Forward(colour, kYRed, kYGreen, kYBlue, 16); }
int ColourToCb(TColor colour) { return Forward(colour, kCbRed, kCbGreen, kCbBlue, 128); }
int ColourToCr(TColor colour) { return Forward(colour, kCrRed, kCrGreen, kCrBlue, 128); }

int YCrCbToRed(int y, int cr) {
  Extended sum = Difference(y, 16) * kLuma;
  sum = sum + Difference(cr, 128) * kRedCr;
  return TruncateAndClamp(sum * kScale);
}

int YCrCbToGreen(int y, int cr, int cb) {
  Extended sum = Difference(y, 16) * kLuma;
  sum = sum + Difference(cb, 128) * kGreenCb;
  sum = sum + Difference(cr, 128) * kGreenCr;
  return TruncateAndClamp(sum * kScale);
}

int YCrCbToBlue(int y, int cb) {
  Extended sum = Difference(y, 16) * kLuma;
  sum = sum + Difference(cb, 128) * kBlueCb;
  return TruncateAndClamp(sum * kScale);
}

TColor YCrCbToColour(int y, int cr, int cb) {
  return MakeColour(YCrCbToRed(y, cr), YCrCbToGreen(y, cr, cb), YCrCbToBlue(y, cb));
}

namespace {

// Palette files go between this program and other tools, so they hold RGB as those tools
// convert it: dvdauthor reads an .rgb palette with these integer BT.601 (studio range) sums.
int FileY(int r, int g, int b) { return (257 * r + 504 * g + 98 * b + 16500) / 1000; }
int FileCr(int r, int g, int b) { return (439 * r - 368 * g - 71 * b + 128500) / 1000; }
int FileCb(int r, int g, int b) { return (-148 * r - 291 * g + 439 * b + 128500) / 1000; }

int ClampChannel(long value) { return static_cast<int>(std::clamp(value, 0L, 255L)); }

// The RGB value written for a Y Cr Cb entry: the one that reads back as the same three bytes.
// The inverse sums land within two steps of it for every entry an RGB value can give, so the
// 5 x 5 x 5 values around them are tried, nearest first; an entry no RGB value gives (outside the
// RGB gamut) gets the value that reads back closest to it.
std::uint32_t FileRgbOf(int y, int cr, int cb) {
  const double luma = 1.164 * (y - 16);
  const int r0 = ClampChannel(std::lround(luma + 1.596 * (cr - 128)));
  const int g0 = ClampChannel(std::lround(luma - 0.813 * (cr - 128) - 0.391 * (cb - 128)));
  const int b0 = ClampChannel(std::lround(luma + 2.018 * (cb - 128)));
  constexpr int kReach = 2;
  long best = -1;
  std::uint32_t chosen = 0;
  for (int step = 0; step <= kReach; ++step) {
    for (int dr = -step; dr <= step; ++dr) {
      for (int dg = -step; dg <= step; ++dg) {
        for (int db = -step; db <= step; ++db) {
          if (std::max({std::abs(dr), std::abs(dg), std::abs(db)}) != step) continue;
          const int r = r0 + dr, g = g0 + dg, b = b0 + db;
          if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) continue;
          const long ey = FileY(r, g, b) - y, ecr = FileCr(r, g, b) - cr, ecb = FileCb(r, g, b) - cb;
          const long error = ey * ey + ecr * ecr + ecb * ecb;
          if (best >= 0 && error >= best) continue;
          best = error;
          chosen = static_cast<std::uint32_t>(r << 16 | g << 8 | b);
          if (error == 0) return chosen;
        }
      }
    }
  }
  return chosen;
}

}  // namespace

std::uint32_t PaletteFileRgb(int y, int cr, int cb) { return FileRgbOf(y, cr, cb); }

std::uint32_t PaletteFileYCrCb(std::uint32_t rgb) {
  const int r = static_cast<int>(rgb >> 16 & 0xFF), g = static_cast<int>(rgb >> 8 & 0xFF), b = static_cast<int>(rgb & 0xFF);
  return static_cast<std::uint32_t>(FileY(r, g, b) << 16 | FileCr(r, g, b) << 8 | FileCb(r, g, b));
}
