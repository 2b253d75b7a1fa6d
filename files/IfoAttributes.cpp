// SPDX-License-Identifier: GPL-3.0-or-later
// A title set's video and subpicture attributes.
#include "files/IfoAttributes.h"

#include <cctype>
#include <cstdint>

namespace {

constexpr int kMaxSubpStreams = 32;
constexpr std::uint8_t kStreamAvailable = 0x80;
constexpr std::uint8_t kStreamNumber = 0x1F;

bool Inside(ByteView bytes, std::size_t at, std::size_t length) {
  return at <= bytes.size() && length <= bytes.size() - at;
}

// The declared stream (0-31) that the chain plays from substream 0x20 + `stream`; -1 when none.
int DeclaredStream(ByteView ifo, const ProgramChain& chain, int stream) {
  if (chain.palette < kPaletteOffsetInPgc) return -1;
  const std::size_t controls = chain.palette - kPaletteOffsetInPgc + kPgcSubpControlOffset;
  if (!Inside(ifo, controls, kMaxSubpStreams * kSubpControlSize)) return -1;
  for (int i = 0; i < kMaxSubpStreams; ++i) {
    const std::uint8_t* c = ifo.data() + controls + static_cast<std::size_t>(i) * kSubpControlSize;
    if ((c[0] & kStreamAvailable) == 0) continue;
    for (std::size_t mode = 0; mode < kSubpControlSize; ++mode) {
      if ((c[mode] & kStreamNumber) == stream) return i;
    }
  }
  return -1;
}

}  // namespace

std::optional<FrameSize> TitleVideoSize(ByteView ifo) {
  if (!Inside(ifo, kVtsVideoAttrOffset, 2)) return std::nullopt;
  const int standard = ifo[kVtsVideoAttrOffset] >> 4 & 3;   // 0 NTSC, 1 PAL
  const int picture = ifo[kVtsVideoAttrOffset + 1] >> 2 & 3;  // 720, 704, 352, 352 half height
  if (standard > 1) return std::nullopt;
  constexpr int kWidths[] = {720, 704, 352, 352};
  const int height = standard == 0 ? 480 : 576;
  return FrameSize{kWidths[picture], picture == 3 ? height / 2 : height};
}

std::string SubpictureLanguage(ByteView ifo, const ProgramChain& chain, int stream) {
  if (stream < 0 || stream >= kMaxSubpStreams || !Inside(ifo, kVtsSubpCountOffset, 1)) return {};
  int declared = DeclaredStream(ifo, chain, stream);
  if (declared < 0) declared = stream;
  if (declared >= ifo[kVtsSubpCountOffset]) return {};
  const std::size_t at = kVtsSubpAttrOffset + static_cast<std::size_t>(declared) * kSubpAttrSize +
                         kSubpLanguageInAttr;
  if (!Inside(ifo, at, 2)) return {};
  const char first = static_cast<char>(ifo[at]);
  const char second = static_cast<char>(ifo[at + 1]);
  if (!std::isalpha(static_cast<unsigned char>(first)) ||
      !std::isalpha(static_cast<unsigned char>(second))) {
    return {};
  }
  return {static_cast<char>(std::tolower(first)), static_cast<char>(std::tolower(second))};
}
