// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between screen colours, Y Cr Cb values and palette hex texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/Fileifo.h"

namespace {

std::string HexOf(int red, int green, int blue) {
  const TColor c = MakeColour(red, green, blue);
  return FormatHexText(ColourToY(c), ColourToCr(c), ColourToCb(c));
}

struct Rgb {
  int red, green, blue;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

Rgb RgbOf(TColor c) { return {RedOf(c), GreenOf(c), BlueOf(c)}; }

Rgb FromHex(const std::string& hex) {
  return RgbOf(YCrCbToColour(HexTextY(hex), HexTextCr(hex), HexTextCb(hex)));
}

TEST(ColourForward, NamedColours) {
  EXPECT_EQ(HexOf(0, 0, 0), "108080");
  EXPECT_EQ(HexOf(255, 255, 255), "EB7F7F");
  EXPECT_EQ(HexOf(128, 128, 128), "7D7F7F");
  EXPECT_EQ(HexOf(192, 192, 192), "B47F7F");
  EXPECT_EQ(HexOf(255, 0, 0), "51EF5A");
  EXPECT_EQ(HexOf(0, 0, 255), "286DEF");
  EXPECT_EQ(HexOf(0, 255, 0), "902235");
  EXPECT_EQ(HexOf(255, 255, 0), "D29210");
  EXPECT_EQ(HexOf(0, 255, 255), "A910A5");
  EXPECT_EQ(HexOf(0, 0, 128), "1C76B8");
  EXPECT_EQ(HexOf(0, 128, 128), "5D4792");
}

TEST(ColourForward, EveryGreyButBlackHasChroma127) {
  EXPECT_EQ(ColourToCr(0), 128);
  EXPECT_EQ(ColourToCb(0), 128);
  for (int v = 1; v <= 255; ++v) {
    const TColor grey = MakeColour(v, v, v);
    EXPECT_EQ(ColourToCr(grey), 127) << v;
    EXPECT_EQ(ColourToCb(grey), 127) << v;
  }
}

TEST(ColourForward, ExactDecimalBoundariesComeOutOneLower) {
  EXPECT_EQ(ColourToY(MakeColour(5, 126, 2)), 80);
  EXPECT_EQ(ColourToY(MakeColour(1, 190, 163)), 127);
}

TEST(ColourForward, HighBitsOfTheColourAreIgnored) {
  const TColor c = MakeColour(12, 200, 99);
  EXPECT_EQ(ColourToY(c | 0xFF000000u), ColourToY(c));
  EXPECT_EQ(ColourToCr(c | 0x7F000000u), ColourToCr(c));
  EXPECT_EQ(ColourToCb(c | 0x01000000u), ColourToCb(c));
}

TEST(ColourInverse, NamedValues) {
  EXPECT_EQ(FromHex("108080"), (Rgb{0, 0, 0}));
  EXPECT_EQ(FromHex("EB7F7F"), (Rgb{253, 255, 252}));
  EXPECT_EQ(FromHex("EB8080"), (Rgb{254, 254, 254}));
  EXPECT_EQ(FromHex("51EF5A"), (Rgb{252, 0, 0}));
  EXPECT_EQ(FromHex("286DEF"), (Rgb{0, 0, 251}));
  EXPECT_EQ(YCrCbToGreen(25, 180, 6), 15);
}

TEST(ColourInverse, ClampsRedAndBlueGreenStaysInRange) {
  EXPECT_EQ(FromHex("000000"), (Rgb{0, 135, 0}));
  EXPECT_EQ(FromHex("FFFFFF"), (Rgb{255, 125, 255}));
  EXPECT_EQ(RgbOf(YCrCbToColour(-1, -1, -1)), (Rgb{0, 135, 0}));
  EXPECT_EQ(FromHex("12345"), (Rgb{0, 135, 0})) << "a short text reads as -1, -1, -1";
  // Far outside any byte, the arithmetic neither overflows nor wraps.
  EXPECT_EQ(YCrCbToRed(INT32_MIN, INT32_MIN), 0);
  EXPECT_EQ(YCrCbToRed(INT32_MAX, INT32_MAX), 255);
  EXPECT_EQ(YCrCbToGreen(INT32_MAX, INT32_MIN, INT32_MIN), 255);
  EXPECT_EQ(YCrCbToBlue(INT32_MIN, INT32_MAX), 255);
  EXPECT_EQ(YCrCbToColour(1000, 1000, 1000) >> 24, 0u);
}

TEST(ColourRoundTrip, WhiteAndRedDriftFurtherEachTime) {
  const std::vector<std::string> whiteHex = {"EB7F7F", "EA7F7E", "E97F7D", "E87F7C"};
  const std::vector<Rgb> whiteRgb = {{253, 255, 252}, {252, 255, 249}, {251, 254, 246}};
  TColor c = 0xFFFFFF;
  std::vector<TColor> seen;
  for (std::size_t i = 0; i < 8; ++i) {
    const std::string hex = HexOf(RedOf(c), GreenOf(c), BlueOf(c));
    if (i < whiteHex.size()) {
      EXPECT_EQ(hex, whiteHex[i]) << i;
    }
    c = YCrCbToColour(HexTextY(hex), HexTextCr(hex), HexTextCb(hex));
    if (i < whiteRgb.size()) {
      EXPECT_EQ(RgbOf(c), whiteRgb[i]) << i;
    }
    for (TColor earlier : seen) EXPECT_NE(c, earlier) << "settled after " << i + 1;
    seen.push_back(c);
  }
  const std::vector<std::string> redHex = {"51EF5A", "50EE5A", "50ED5A"};
  const std::vector<int> redChannel = {252, 250, 248};
  c = 0x0000FF;
  for (std::size_t i = 0; i < redHex.size(); ++i) {
    const std::string hex = HexOf(RedOf(c), GreenOf(c), BlueOf(c));
    EXPECT_EQ(hex, redHex[i]);
    c = YCrCbToColour(HexTextY(hex), HexTextCr(hex), HexTextCb(hex));
    EXPECT_EQ(RedOf(c), redChannel[i]);
  }
}

TEST(HexText, DigitsBytesAndFields) {
  for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(HexDigitValue(c), c - '0');
  for (char c = 'A'; c <= 'F'; ++c) EXPECT_EQ(HexDigitValue(c), c - 'A' + 10);
  for (char c : {'a', 'f', 'G', 'Z', ' ', '_', '/', ':', '@', '`', '\0', '\x80', '\xC1', '\xFF'}) {
    EXPECT_EQ(HexDigitValue(c), 15) << static_cast<int>(c);
  }
  EXPECT_EQ(HexByteValue("ab"), 0xFF);
  EXPECT_EQ(HexByteValue("1A"), 0x1A);
  EXPECT_EQ(HexByteValue(" 0"), 0xF0);
  EXPECT_EQ(HexByteValue("A"), -1);
  EXPECT_EQ(HexByteValue("ABC"), -1);
  EXPECT_EQ(HexByteValue(""), -1);

  EXPECT_EQ(HexTextY("12AB9C"), 0x12);
  EXPECT_EQ(HexTextCr("12AB9C"), 0xAB);
  EXPECT_EQ(HexTextCb("12AB9C"), 0x9C);
  for (const std::string shortText : {"", "1", "12AB9", "  ", "FFFFF"}) {
    EXPECT_EQ(HexTextY(shortText), -1) << shortText;
    EXPECT_EQ(HexTextCr(shortText), -1) << shortText;
    EXPECT_EQ(HexTextCb(shortText), -1) << shortText;
  }
  EXPECT_EQ(HexTextCb("12AB9C77"), 0x9C) << "characters after the sixth are ignored";
  EXPECT_EQ(HexTextCr("12 x9C"), 0xFF) << "blank and x count as 15";
  EXPECT_EQ(HexTextY("1 AB9C"), 0x1F);
}

TEST(HexText, Formatting) {
  EXPECT_EQ(FormatHexText(0x10, 0x80, 0x80), "108080");
  EXPECT_EQ(FormatHexText(0, 10, 255), "000AFF");
  EXPECT_EQ(FormatHexText(-1, -1, -1), "FFFFFFFFFFFFFFFFFFFFFFFF");
  EXPECT_EQ(FormatHexText(256, 0, 1), "1000001");
}

// The same formulas evaluated in plain double precision, for comparison.
int DoubleY(int r, int g, int b) {
  volatile double s = r * 65.738 + g * 129.057;
  s = s + b * 25.064;
  return static_cast<int>(s * 0.00390625 + 16);
}
int DoubleCb(int r, int g, int b) {
  volatile double s = r * -37.945 + g * -74.494;
  s = s + b * 112.439;
  return static_cast<int>(s * 0.00390625 + 128);
}
int DoubleCr(int r, int g, int b) {
  volatile double s = r * 112.439 + g * -94.154;
  s = s + b * -18.285;
  return static_cast<int>(s * 0.00390625 + 128);
}
int Clamp(double v) {
  const int t = static_cast<int>(v);
  return t > 255 ? 255 : t < 0 ? 0 : t;
}
int DoubleRed(int y, int cr) {
  volatile double s = (y - 16) * 298.082 + (cr - 128) * 408.583;
  return Clamp(s * 0.00390625);
}
int DoubleGreen(int y, int cr, int cb) {
  volatile double s = (y - 16) * 298.082 + (cb - 128) * -100.291;
  s = s + (cr - 128) * -208.120;
  return Clamp(s * 0.00390625);
}
int DoubleBlue(int y, int cb) {
  volatile double s = (y - 16) * 298.082 + (cb - 128) * 516.411;
  return Clamp(s * 0.00390625);
}

// Every colour: the extended-precision results differ from the double ones only at a few
// hundred integer boundaries, always one lower, mostly the chroma of greys.
TEST(ColourExhaustive, ForwardDiffersFromDoubleAtFewBoundaries) {
  long differences = 0, greyChroma = 0, higher = 0, outOfRange = 0;
  for (int r = 0; r < 256; ++r) {
    for (int g = 0; g < 256; ++g) {
      for (int b = 0; b < 256; ++b) {
        const TColor c = MakeColour(r, g, b);
        const int y = ColourToY(c), cr = ColourToCr(c), cb = ColourToCb(c);
        if (y < 16 || y > 235 || cr < 16 || cr > 239 || cb < 16 || cb > 239) ++outOfRange;
        const int dy = DoubleY(r, g, b), dcr = DoubleCr(r, g, b), dcb = DoubleCb(r, g, b);
        const bool grey = r == g && g == b;
        for (auto [ours, theirs, chroma] : {std::tuple{y, dy, false}, std::tuple{cr, dcr, true},
                                            std::tuple{cb, dcb, true}}) {
          if (ours == theirs) continue;
          ++differences;
          if (ours > theirs || theirs - ours > 1) ++higher;
          if (grey && chroma) ++greyChroma;
        }
      }
    }
  }
  std::printf("forward results differing from double evaluation: %ld (grey chroma %ld)\n",
              differences, greyChroma);
  EXPECT_EQ(outOfRange, 0);
  EXPECT_EQ(higher, 0) << "a difference is always exactly one lower";
  EXPECT_GE(differences, 400);
  EXPECT_LE(differences, 600);
  EXPECT_GT(greyChroma, differences / 2);
  EXPECT_EQ(differences, 499) << "the count is fixed by the arithmetic, not by chance";
  EXPECT_EQ(greyChroma, 445);
}

TEST(ColourExhaustive, InverseDiffersFromDoubleOnlyInGreen) {
  long red = 0, green = 0, blue = 0;
  for (int y = -1; y <= 255; ++y) {
    for (int cr = -1; cr <= 255; ++cr) {
      if (YCrCbToRed(y, cr) != DoubleRed(y, cr)) ++red;
      for (int cb = -1; cb <= 255; ++cb) {
        if (YCrCbToGreen(y, cr, cb) != DoubleGreen(y, cr, cb)) ++green;
      }
    }
    for (int cb = -1; cb <= 255; ++cb) {
      if (YCrCbToBlue(y, cb) != DoubleBlue(y, cb)) ++blue;
    }
  }
  std::printf("inverse differences from double evaluation: red %ld, green %ld, blue %ld\n", red,
              green, blue);
  EXPECT_EQ(red, 0);
  EXPECT_EQ(blue, 0);
  EXPECT_EQ(green, 27);
}

}  // namespace
