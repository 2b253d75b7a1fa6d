// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli colour: the IFO tab's conversions between RGB and Y Cr Cb.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/HexArgument.h"
#include "files/Fileifo.h"

int RunColourCommand(const Args& args) {
  if (args.empty()) throw UsageError("colour: 'to-ycrcb' or 'to-rgb' is missing");
  if (args[0] != "to-ycrcb" && args[0] != "to-rgb") {
    throw UsageError("colour: unknown command '" + args[0] + "'");
  }
  const CommandLine line =
      ParseCommandLine(Args(args.begin() + 1, args.end()), "colour " + args[0]);
  const std::string value = line.OneOperand("value");
  if (args[0] == "to-ycrcb") {
    const std::vector<int> rgb = ParseIntList(value, 3, 0, 255, "to-ycrcb");
    const TColor colour = MakeColour(rgb[0], rgb[1], rgb[2]);
    std::printf("%s\n",
                FormatHexText(ColourToY(colour), ColourToCr(colour), ColourToCb(colour)).c_str());
    return kExitOk;
  }
  const std::string hex = ParseHexArgument(value, "to-rgb");
  const TColor colour = YCrCbToColour(HexTextY(hex), HexTextCr(hex), HexTextCb(hex));
  std::printf("%d,%d,%d\n", RedOf(colour), GreenOf(colour), BlueOf(colour));
  return kExitOk;
}
