// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the command walk and unit lookups on raw bytes.
#include <cstddef>
#include <cstdint>

#include "core/Subpicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView bytes(data, size);
  for (int code : {kCmdColour, kCmdContrast}) {
    const int r = FindCommand(bytes, code);
    if (r >= 0) {
      // A found command's argument word is always held.
      if (!ReadBigEndian(bytes, static_cast<std::size_t>(r), 2)) __builtin_trap();
    }
    const auto a = FindUnitCommand(bytes, code);
    if (a && !ReadBigEndian(bytes, *a, 2)) __builtin_trap();
  }
  IsMarkerUnit(bytes);
  return 0;
}
