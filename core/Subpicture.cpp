// SPDX-License-Identifier: GPL-3.0-or-later
// The subpicture unit's control commands: command lengths, slots, and the walks of a unit's
// command lists.
#include "core/Subpicture.h"

#include <cstring>

namespace {

// Length of each fixed-size command (codes 0-6), code byte included. Code 7 carries its own
// size; 0xFF ends a list; every other code is unknown.
constexpr std::size_t kCommandLength[7] = {1, 1, 1, 3, 3, 7, 5};

}  // namespace

int FindCommand(ByteView commands, int code) {
  const std::size_t held = commands.size();
  std::size_t p = 0;
  while (p < held) {
    const int k = commands[p];
    if (k == 3 || k == 4) {
      if (k == code) {
        // The argument word must be held too, or the command is of no use.
        return held - p >= 3 ? static_cast<int>(p + 1) : -1;
      }
      p += kCommandLength[k];
    } else if (k <= 6) {
      p += kCommandLength[k];
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

// Sets the walk's error and where it happened; the walk stops there.
std::nullopt_t Fail(UnitWalk& walk, WalkError error, std::size_t at) {
  walk.error = error;
  walk.errorAt = at;
  return std::nullopt;
}

// The command list of control sequence number walk.sequences, from `p` to its end code, each
// command reported to `visitor`. Returns the byte after the end code, or nullopt with the walk's
// error set.
std::optional<std::size_t> WalkCommandList(ByteView unit, std::size_t p, UnitWalk& walk,
                                           UnitCommandVisitor& visitor) {
  const std::size_t held = unit.size();
  while (true) {
    if (p >= held) return Fail(walk, WalkError::kListOutside, p);
    const int k = unit[p];
    if (k == kCmdEnd) return p + 1;
    if (k <= 6) {
      if (held - p < kCommandLength[k]) return Fail(walk, WalkError::kListOutside, p);
      visitor.Command(walk.sequences, k, p);
      p += kCommandLength[k];
    } else if (k == 7) {
      ++walk.changeCommands;
      const auto size = ReadBigEndian(unit, p + 1, 2);
      if (!size) return Fail(walk, WalkError::kListOutside, p);
      if (*size < 2 || held - (p + 1) < *size) return Fail(walk, WalkError::kChangeDamaged, p);
      const std::size_t end = p + 1 + *size;  // the size counts its own two bytes
      visitor.ChangeBegin(walk.sequences, p);
      if (!WalkChange(unit, p + 3, end, walk.sequences, visitor)) {
        return Fail(walk, WalkError::kChangeDamaged, p);
      }
      p = end;
    } else {
      return Fail(walk, WalkError::kUnknownCode, p);
    }
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
  UnitWalk walk;
  const std::size_t held = unit.size();
  const auto first = ReadBigEndian(unit, kControlOffsetField, 2);
  if (!first) {
    Fail(walk, WalkError::kSequenceOutside, 0);
    return walk;
  }
  std::size_t sequence = *first;
  while (true) {
    // The unit's own size and offset words are no sequence.
    if (sequence < 4 || sequence > held || held - sequence < kCommandListSkip) {
      Fail(walk, WalkError::kSequenceOutside, sequence);
      return walk;
    }
    const std::size_t next = ReadBigEndianUnchecked(unit.data() + sequence + 2, 2);
    visitor.Sequence(walk.sequences, sequence);
    const auto end = WalkCommandList(unit, sequence + kCommandListSkip, walk, visitor);
    if (!end) return walk;
    visitor.SequenceEnd(walk.sequences);
    ++walk.sequences;
    if (next == sequence) return walk;
    // Strictly forward: a link back, or into the list just walked, could loop or read a command
    // twice.
    if (next < *end) {
      Fail(walk, WalkError::kBadLink, sequence);
      return walk;
    }
    sequence = next;
  }
}
