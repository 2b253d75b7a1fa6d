// SPDX-License-Identifier: GPL-3.0-or-later
// The subpicture unit's control commands, shared by SUP and VOB files: command codes and
// lengths, the slots of a colour or contrast word, and the walks of a unit's command lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Core.h"

// Slots of a colour or contrast command word, also the rows of the palette grid.
enum Slot : int { kBackground = 0, kOutline = 1, kText = 2, kAntialias = 3 };
constexpr int kSlotCount = 4;

// Control command codes of a subpicture unit's command list.
constexpr int kCmdColour = 3;    // Cmd3: palette index per slot
constexpr int kCmdContrast = 4;  // Cmd4: intensity per slot
constexpr int kCmdEnd = 0xFF;

// Offsets inside a subpicture unit.
constexpr std::size_t kUnitSizeOffset = 0;
constexpr std::size_t kControlOffsetField = 2;
constexpr std::size_t kCommandListSkip = 4;  // delay and next-sequence offset before the list
constexpr std::size_t kMarkerOffset = 6;
constexpr std::size_t kMarkerLength = 7;     // "QUENLIX"

// Walks the command list that starts at commands[0] and returns the offset of the argument
// word of the first command with `code` (3 or 4), or -1 when the walk ends without it. The walk
// ends at code 0xFF, at a code outside the table, and at the end of the bytes held: a command
// (or its argument word) that does not fit entirely is never read.
int FindCommand(ByteView commands, int code);

// The 4-bit value of `slot` (0-3) in a command word; -1 for any other slot.
int SlotValue(int slot, int word);

// background + 16 outline + 256 text + 4096 antialias.
int MakeCommandWord(int background, int outline, int text, int antialias);

// True when bytes 6-12 of the unit are "QUENLIX" (the text-to-subtitle converter's marker).
bool IsMarkerUnit(ByteView unit);

// Locates the argument word of the first `code` command in the first control sequence of the
// unit that starts at unit[0]. Returns its offset from the start of the unit, or nullopt when the
// control-sequence offset lies outside the unit or the command is not found within it.
std::optional<std::size_t> FindUnitCommand(ByteView unit, int code);

// A colour or contrast word that WalkUnitWords found, as offsets from the unit's first byte.
constexpr std::size_t kNoWord = static_cast<std::size_t>(-1);
enum class WordKind : std::uint8_t { kColour, kContrast };
struct UnitWord {
  std::size_t at = 0;  // first byte of the 2-byte word
  WordKind kind = WordKind::kColour;
  bool inChange = false;  // a pixel control of a colour/contrast change command (code 7)
  int sequence = 0;       // control sequence, 0 for the first
  // For a contrast word, the colour word whose palette entries its slots belong to: in a change
  // command the pixel control's own colour word; otherwise the last Cmd3 of the same sequence,
  // or when it has none the colour in effect from the sequences before. kNoWord when no colour
  // was set before it.
  std::size_t colourAt = kNoWord;
};

enum class WalkError {
  kNone,
  kSequenceOutside,  // a control sequence's header lies outside the unit
  kBadLink,          // the next sequence does not lie after the current one's end code
  kListOutside,      // a command runs past the end of the unit before an end code
  kUnknownCode,      // a code outside the command table
  kChangeDamaged,    // a change command whose regions do not fit its size or lack the end mark
};
// A short English text for log lines ("unknown command code").
const char* WalkErrorText(WalkError error);

struct UnitWalk {
  WalkError error = WalkError::kNone;
  std::size_t errorAt = 0;  // the sequence or command where the walk stopped
  int sequences = 0;        // control sequences walked to their end code
  int changeCommands = 0;   // code-7 commands met
};

// What WalkUnitCommands meets, in the unit's order. Offsets count from the unit's first byte,
// and every byte a call names has been checked to lie inside the unit.
class UnitCommandVisitor {
 public:
  virtual ~UnitCommandVisitor() = default;
  // A control sequence (0 for the first) begins at `at`: its 2-byte delay, its 2-byte link.
  virtual void Sequence(int /*sequence*/, std::size_t /*at*/) {}
  // A command of codes 0-6 at `at`; its argument bytes follow the code.
  virtual void Command(int /*sequence*/, int /*code*/, std::size_t /*at*/) {}
  // A change command (code 7) at `at`; its line controls follow, each reported by ChangeLine.
  virtual void ChangeBegin(int /*sequence*/, std::size_t /*at*/) {}
  // A line control of a change command: 4 bytes at `at`, then `columns` pixel controls of 6
  // bytes each (column, colour word, contrast word).
  virtual void ChangeLine(int /*sequence*/, std::size_t /*at*/, std::size_t /*columns*/) {}
  // The sequence's end code was reached.
  virtual void SequenceEnd(int /*sequence*/) {}
};

constexpr std::size_t kLineControlBytes = 4;   // first line, change count and last line
constexpr std::size_t kPixelControlBytes = 6;  // column, colour word, contrast word

// The walk WalkUnitWords describes, reporting every command to `visitor` as it goes.
UnitWalk WalkUnitCommands(ByteView unit, UnitCommandVisitor& visitor);

// Walks every control sequence of a unit and collects every colour and contrast word: each
// Cmd3 and Cmd4, and the colour and contrast word of every pixel control inside a change command
// (code 7), whose regions are parsed within its declared size. The walk starts at the offset in
// bytes 2-3 and follows each sequence's link to the next. It never loops and never leaves the
// unit: a sequence that links to itself is the last; any other link must point at or past the
// byte after the current sequence's end code (strictly forward), so no byte is read twice.
// Every command list must end with code 0xFF inside the unit. On an error, `words` holds what
// was found before it.
UnitWalk WalkUnitWords(ByteView unit, std::vector<UnitWord>& words);
