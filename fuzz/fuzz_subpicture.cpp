// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the subpicture decoder on one raw unit, at its first display and every sequence.
#include <cstddef>
#include <cstdint>

#include "files/SubtitlePicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView unit(data, size);
  const SubpictureFacts facts = ReadSubpictureFacts(unit);
  SubpictureImage image;
  for (int k = -1; k < static_cast<int>(facts.sequences.size()) && k < 4; ++k) {
    const SubpictureError error = DecodeSubpictureUnit(unit, image, k);
    // A decoded picture holds one byte per pixel of its area; a refused one holds nothing.
    const std::size_t pixels = static_cast<std::size_t>(image.area.width) * static_cast<std::size_t>(image.area.height);
    if (error == SubpictureError::kNone ? image.pixels.size() != pixels || pixels == 0 : !image.pixels.empty()) {
      __builtin_trap();
    }
    if (error == SubpictureError::kNone && facts.error != SubpictureError::kNone) __builtin_trap();
  }
  return 0;
}
