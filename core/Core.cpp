// Big-endian field access and the subpicture control commands shared by SUP and VOB files.
#include "core/Core.h"

#include <cstring>

std::uint32_t ReadBigEndianUnchecked(const std::uint8_t* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) + bytes[i];
  return value;
}

std::optional<std::uint32_t> ReadBigEndian(ByteView bytes, std::size_t position, int count) {
  if (count < 1 || count > 4) return std::nullopt;
  if (position > bytes.size() || bytes.size() - position < static_cast<std::size_t>(count)) {
    return std::nullopt;
  }
  return ReadBigEndianUnchecked(bytes.data() + position, count);
}

std::optional<std::size_t> WriteBigEndian(MutableByteView bytes, std::size_t position,
                                          std::uint32_t value, int count) {
  if (count < 1 || count > 4) return std::nullopt;
  if (position > bytes.size() || bytes.size() - position < static_cast<std::size_t>(count)) {
    return std::nullopt;
  }
  for (int i = count - 1; i >= 0; --i) {
    bytes[position + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
  return position + static_cast<std::size_t>(count);
}

int FindCommand(ByteView commands, int code) {
  // Length of each command, code byte included; 0 ends the walk. Code 7 carries its own size.
  static constexpr std::size_t kLength[7] = {1, 1, 1, 3, 3, 7, 5};
  const std::size_t held = commands.size();
  std::size_t p = 0;
  while (p < held) {
    const int k = commands[p];
    if (k == 3 || k == 4) {
      if (k == code) {
        // The argument word must be held too, or the command is of no use.
        return held - p >= 3 ? static_cast<int>(p + 1) : -1;
      }
      p += kLength[k];
    } else if (k <= 6) {
      p += kLength[k];
    } else if (k == 7) {
      const auto size = ReadBigEndian(commands, p + 1, 2);
      if (!size) return -1;
      p += 1 + *size;  // the size counts its own two bytes
    } else {
      return -1;  // 0xFF or an unknown code
    }
  }
  return -1;
}

int SlotValue(int slot, int word) {
  if (slot < 0 || slot > 3) return -1;
  return (word >> (4 * slot)) & 0xF;
}

int MakeCommandWord(int background, int outline, int text, int antialias) {
  return background + 16 * outline + 256 * text + 4096 * antialias;
}

bool IsMarkerUnit(ByteView unit) {
  if (unit.size() < kMarkerOffset + kMarkerLength) return false;
  return std::memcmp(unit.data() + kMarkerOffset, "QUENLIX", kMarkerLength) == 0;
}

std::optional<std::size_t> FindUnitCommand(ByteView unit, int code) {
  const auto q = ReadBigEndian(unit, kControlOffsetField, 2);
  if (!q) return std::nullopt;
  const std::size_t list = *q + kCommandListSkip;
  if (list >= unit.size()) return std::nullopt;
  const int r = FindCommand(unit.subspan(list), code);
  if (r < 0) return std::nullopt;
  return list + static_cast<std::size_t>(r);
}
