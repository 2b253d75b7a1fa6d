// Screen colours and the caption colour (white or black) for a given background.
#include "core/Colour.h"

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
