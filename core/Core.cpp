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

const char* WalkErrorText(WalkError error) {
  switch (error) {
    case WalkError::kNone: return "no error";
    case WalkError::kSequenceOutside: return "control sequence outside the unit";
    case WalkError::kBadLink: return "next control sequence does not follow this one";
    case WalkError::kListOutside: return "command list runs past the end of the unit";
    case WalkError::kUnknownCode: return "unknown command code";
    case WalkError::kChangeDamaged: return "damaged colour/contrast change command";
  }
  return "unknown error";
}

namespace {

constexpr std::uint32_t kChangeEndMark = 0x0FFFFFFF;  // ends a change command's line controls

// The line controls of a change command between `from` and `end` (its declared size).
bool WalkChange(ByteView unit, std::size_t from, std::size_t end, int sequence,
                UnitCommandVisitor& visitor) {
  std::size_t q = from;
  while (true) {
    if (end - q < kLineControlBytes) return false;
    if (ReadBigEndianUnchecked(unit.data() + q, 4) == kChangeEndMark) return true;
    const std::size_t changes = unit[q + 2] >> 4;
    if ((end - q - kLineControlBytes) / kPixelControlBytes < changes) return false;
    visitor.ChangeLine(sequence, q, changes);
    q += kLineControlBytes + changes * kPixelControlBytes;
  }
}

// Collects the colour and contrast words for WalkUnitWords.
class WordCollector : public UnitCommandVisitor {
 public:
  explicit WordCollector(std::vector<UnitWord>& words) : words_(words) {}
  void Sequence(int, std::size_t) override {
    firstWord_ = words_.size();
    lastColour_ = kNoWord;
  }
  void Command(int sequence, int code, std::size_t at) override {
    if (code == kCmdColour) {
      words_.push_back({at + 1, WordKind::kColour, false, sequence, kNoWord});
      lastColour_ = at + 1;
    } else if (code == kCmdContrast) {
      words_.push_back({at + 1, WordKind::kContrast, false, sequence, kNoWord});
    }
  }
  void ChangeLine(int sequence, std::size_t at, std::size_t columns) override {
    std::size_t q = at + kLineControlBytes;
    for (std::size_t i = 0; i < columns; ++i, q += kPixelControlBytes) {
      words_.push_back({q + 2, WordKind::kColour, true, sequence, kNoWord});
      words_.push_back({q + 4, WordKind::kContrast, true, sequence, q + 2});
    }
  }
  void SequenceEnd(int) override {
    // Commands of one sequence act together: its contrast words take its last colour word.
    const std::size_t colour = lastColour_ != kNoWord ? lastColour_ : colourInEffect_;
    for (std::size_t i = firstWord_; i < words_.size(); ++i) {
      if (words_[i].kind == WordKind::kContrast && !words_[i].inChange) words_[i].colourAt = colour;
    }
    colourInEffect_ = colour;
  }

 private:
  std::vector<UnitWord>& words_;
  std::size_t firstWord_ = 0;
  std::size_t lastColour_ = kNoWord;
  std::size_t colourInEffect_ = kNoWord;  // carried from one sequence to the next
};

}  // namespace

UnitWalk WalkUnitWords(ByteView unit, std::vector<UnitWord>& words) {
  words.clear();
  WordCollector collector(words);
  return WalkUnitCommands(unit, collector);
}

UnitWalk WalkUnitCommands(ByteView unit, UnitCommandVisitor& visitor) {
  // Length of each fixed-size command, code byte included. Code 7 carries its own size.
  static constexpr std::size_t kLength[7] = {1, 1, 1, 3, 3, 7, 5};
  UnitWalk walk;
  const std::size_t held = unit.size();
  auto fail = [&walk](WalkError error, std::size_t at) {
    walk.error = error;
    walk.errorAt = at;
    return walk;
  };
  const auto first = ReadBigEndian(unit, kControlOffsetField, 2);
  if (!first) return fail(WalkError::kSequenceOutside, 0);
  std::size_t sequence = *first;
  while (true) {
    // The unit's own size and offset words are no sequence.
    if (sequence < 4 || sequence > held || held - sequence < kCommandListSkip) {
      return fail(WalkError::kSequenceOutside, sequence);
    }
    const std::size_t next = ReadBigEndianUnchecked(unit.data() + sequence + 2, 2);
    visitor.Sequence(walk.sequences, sequence);
    std::size_t p = sequence + kCommandListSkip;
    bool ended = false;
    while (!ended) {
      if (p >= held) return fail(WalkError::kListOutside, p);
      const int k = unit[p];
      if (k == kCmdEnd) {
        ended = true;
        ++p;
      } else if (k <= 6) {
        if (held - p < kLength[k]) return fail(WalkError::kListOutside, p);
        visitor.Command(walk.sequences, k, p);
        p += kLength[k];
      } else if (k == 7) {
        ++walk.changeCommands;
        const auto size = ReadBigEndian(unit, p + 1, 2);
        if (!size) return fail(WalkError::kListOutside, p);
        if (*size < 2 || held - (p + 1) < *size) return fail(WalkError::kChangeDamaged, p);
        const std::size_t end = p + 1 + *size;  // the size counts its own two bytes
        visitor.ChangeBegin(walk.sequences, p);
        if (!WalkChange(unit, p + 3, end, walk.sequences, visitor)) {
          return fail(WalkError::kChangeDamaged, p);
        }
        p = end;
      } else {
        return fail(WalkError::kUnknownCode, p);
      }
    }
    visitor.SequenceEnd(walk.sequences);
    ++walk.sequences;
    if (next == sequence) return walk;
    // Strictly forward: a link back, or into the list just walked, could loop or read a command
    // twice.
    if (next < p) return fail(WalkError::kBadLink, sequence);
    sequence = next;
  }
}
