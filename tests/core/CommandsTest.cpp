// SPDX-License-Identifier: GPL-3.0-or-later
// Big-endian access, the command walk, command words and the marker unit.
#include <gtest/gtest.h>

#include <vector>

#include "core/Subpicture.h"
#include "core/EntryRemap.h"
#include "tests/support/SupBuilder.h"

namespace {

TEST(BigEndian, ReadsMostSignificantFirstAndRefusesBytesNotHeld) {
  const Bytes b = {0x12, 0x34, 0xFF, 0xFE};
  EXPECT_EQ(ReadBigEndian(b, 0, 2), 0x1234u);
  EXPECT_EQ(ReadBigEndian(b, 0, 4), 0x1234FFFEu);
  EXPECT_EQ(ReadBigEndian(b, 2, 2), 0xFFFEu);
  EXPECT_EQ(ReadBigEndian(b, 3, 2), std::nullopt);
  EXPECT_EQ(ReadBigEndian(b, 4, 1), std::nullopt);
  EXPECT_EQ(ReadBigEndian(b, SIZE_MAX, 2), std::nullopt);
  EXPECT_EQ(ReadBigEndian({}, 0, 1), std::nullopt);
}

TEST(BigEndian, WriteStoresLowBytesAndReturnsNextPosition) {
  Bytes b(4, 0);
  EXPECT_EQ(WriteBigEndian(b, 1, 0xABCD3210u, 2), 3u);
  EXPECT_EQ(b, (Bytes{0, 0x32, 0x10, 0}));
  EXPECT_EQ(WriteBigEndian(b, 3, 0x1234, 2), std::nullopt);
  EXPECT_EQ(b, (Bytes{0, 0x32, 0x10, 0})) << "a refused write changes nothing";
}

TEST(FindCommand, FindsEachCommandFromTheStartOfTheList) {
  const Bytes list = {0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0, 0xFF};
  EXPECT_EQ(FindCommand(list, 3), 2);
  EXPECT_EQ(FindCommand(list, 4), 5);
  EXPECT_EQ(ReadBigEndian(list, 2, 2), 0x3210u);
  EXPECT_EQ(ReadBigEndian(list, 5, 2), 0xFFF0u);

  const Bytes contrastFirst = {0x04, 0xFF, 0xF0, 0x03, 0x32, 0x10, 0xFF};
  EXPECT_EQ(FindCommand(contrastFirst, 3), 4);
  EXPECT_EQ(FindCommand(contrastFirst, 4), 1);
}

TEST(FindCommand, TakesTheFirstOfTwoAndSkipsEveryKnownLength) {
  const Bytes twice = {0x03, 0x11, 0x11, 0x03, 0x22, 0x22, 0xFF};
  EXPECT_EQ(FindCommand(twice, 3), 1);
  // 00, 02, a 7-byte area, a 5-byte display area, then Cmd4.
  const Bytes mixed = {0x00, 0x02, 0x05, 1, 2, 3, 4, 5, 6, 0x06, 1, 2, 3, 4, 0x04, 0x12, 0x34, 0xFF};
  EXPECT_EQ(FindCommand(mixed, 4), 15);
}

TEST(FindCommand, JumpsOverCodeSevenByItsOwnSize) {
  const Bytes list = {0x07, 0x00, 0x04, 0xAA, 0xBB, 0x03, 0x12, 0x34, 0xFF};
  EXPECT_EQ(FindCommand(list, 3), 6);
  EXPECT_EQ(ReadBigEndian(list, 6, 2), 0x1234u);
}

TEST(FindCommand, EndCodeOrUnknownCodeEndsTheWalk) {
  EXPECT_EQ(FindCommand(Bytes{0xFF, 0x03, 0x12, 0x34}, 3), -1);
  EXPECT_EQ(FindCommand(Bytes{0x08, 0x03, 0x12, 0x34}, 3), -1);
  EXPECT_EQ(FindCommand(Bytes{0x01, 0x04, 0x12, 0x34, 0xFF}, 3), -1);
}

TEST(FindCommand, NeverReadsPastTheBytesHeld) {
  // Runs off the end with no end code.
  EXPECT_EQ(FindCommand(Bytes{0x01, 0x01, 0x01}, 3), -1);
  // The sought command's argument word is cut off.
  EXPECT_EQ(FindCommand(Bytes{0x01, 0x03, 0x32}, 3), -1);
  // A code 7 whose size field is cut off, or whose size points past the end.
  EXPECT_EQ(FindCommand(Bytes{0x07, 0x00}, 3), -1);
  EXPECT_EQ(FindCommand(Bytes{0x07, 0xFF, 0xFF, 0x03, 0x12, 0x34}, 3), -1);
  // A code-7 size of 0 still moves on one byte: the walk continues on the size bytes.
  EXPECT_EQ(FindCommand(Bytes{0x07, 0x00, 0x00, 0x03, 0x12, 0x34}, 3), 4);
  EXPECT_EQ(FindCommand({}, 3), -1);
}

TEST(CommandWord, MakeAndSlotValueAreInverse) {
  EXPECT_EQ(MakeCommandWord(0, 1, 2, 3), 0x3210);
  EXPECT_EQ(MakeCommandWord(0, 15, 15, 15), 0xFFF0);
  EXPECT_EQ(SlotValue(0, 0x3210), 0);
  EXPECT_EQ(SlotValue(1, 0x3210), 1);
  EXPECT_EQ(SlotValue(3, 0x3210), 3);
  EXPECT_EQ(SlotValue(4, 0x3210), -1);
  EXPECT_EQ(SlotValue(-1, 0x3210), -1);
  for (int word : {0x0000, 0x1234, 0xFEDC, 0xFFFF}) {
    EXPECT_EQ(MakeCommandWord(SlotValue(0, word), SlotValue(1, word), SlotValue(2, word),
                              SlotValue(3, word)),
              word);
  }
}

TEST(MarkerUnit, MatchesExactlyQuenlixAtBytesSixToTwelve) {
  Bytes unit = {0, 20, 0, 16, 0, 0, 'Q', 'U', 'E', 'N', 'L', 'I', 'X', 0};
  EXPECT_TRUE(IsMarkerUnit(unit));
  unit[12] = 'x';
  EXPECT_FALSE(IsMarkerUnit(unit)) << "letter case counts";
  unit[12] = 'X';
  unit[6] = 'q';
  EXPECT_FALSE(IsMarkerUnit(unit));
  EXPECT_FALSE(IsMarkerUnit(Bytes{0, 20, 0, 16, 0, 0, 'Q', 'U', 'E', 'N', 'L', 'I'}))
      << "too short for the marker";
}

TEST(FindUnitCommand, LocatesFromTheUnitsOwnOffsetAndStaysInside) {
  // Unit: size, control offset 6, two picture bytes, then delay, next, list.
  const Bytes unit = {0, 17, 0, 6, 0xAA, 0xBB, 0, 0, 0, 6, 0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0};
  EXPECT_EQ(FindUnitCommand(unit, 3), 12u);
  EXPECT_EQ(FindUnitCommand(unit, 4), 15u);
  Bytes pastEnd = unit;
  pastEnd[3] = 200;
  EXPECT_EQ(FindUnitCommand(pastEnd, 3), std::nullopt);
  EXPECT_EQ(FindUnitCommand(Bytes{0, 4, 0}, 3), std::nullopt);
}

// The walk over every control sequence, on units made by the test builder.
struct WalkCase {
  const char* name;
  SupPacket packet;
  WalkError error;
  int sequences;     // walked to their end code
  std::size_t words; // colour and contrast words found
};

std::vector<WalkCase> WalkCases() {
  const Bytes colours = {0x03, 0x45, 0x67, 0x04, 0x12, 0x34, 0xFF};
  const ChangeRegion two = {10, 20, {{0, 0x3210, 0xFFF0}, {50, 0x7654, 0x0F0F}}};
  const ChangeRegion one = {30, 40, {{8, 0x1111, 0x2222}}};
  return {
      {"one sequence", {.laterSequences = 0}, WalkError::kNone, 1, 2},
      {"stop display after", {}, WalkError::kNone, 2, 2},
      {"colours in later sequences", {.later = {colours, {0x02, 0x04, 0, 0, 0xFF}, colours}}, WalkError::kNone, 4, 7},
      {"change command with regions", {.change = {two, one}}, WalkError::kNone, 2, 8},
      {"empty change command", {.change = {ChangeRegion{}}}, WalkError::kNone, 2, 2},
      {"link backwards", {.later = {colours, colours}, .lastLink = LastLink::kBackward}, WalkError::kBadLink, 3, 6},
      {"link outside the unit", {.later = {colours}, .lastLink = LastLink::kOutside}, WalkError::kSequenceOutside, 2, 4},
      {"no end code", {.later = {{0x02, 0x01}}}, WalkError::kListOutside, 1, 2},
      {"unknown code", {.later = {{0x02, 0x08, 0xFF}}}, WalkError::kUnknownCode, 1, 2},
      {"change command without end mark", {.colourChangeBytes = 6}, WalkError::kChangeDamaged, 0, 0},
      {"command cut by the unit's end", {.later = {{0x05, 1, 2}}}, WalkError::kListOutside, 1, 2},
  };
}

TEST(WalkUnitWords, FollowsEveryLinkAndStopsAtDamage) {
  for (const WalkCase& c : WalkCases()) {
    std::vector<UnitWord> words;
    const Bytes unit = BuildUnit(c.packet);
    const UnitWalk walk = WalkUnitWords(unit, words);
    EXPECT_EQ(walk.error, c.error) << c.name << ": " << WalkErrorText(walk.error);
    EXPECT_EQ(walk.sequences, c.sequences) << c.name;
    EXPECT_EQ(words.size(), c.words) << c.name;
    for (const UnitWord& w : words) EXPECT_LE(w.at + 2, unit.size()) << c.name;
    // Every prefix of the unit (with its size word kept) walks cleanly and finds no more.
    for (std::size_t n = 0; n < unit.size(); ++n) {
      std::vector<UnitWord> part;
      const UnitWalk cut = WalkUnitWords(ByteView(unit).first(n), part);
      for (const UnitWord& w : part) ASSERT_LE(w.at + 2, n) << c.name;
      if (c.error == WalkError::kNone) {
        ASSERT_NE(cut.error, WalkError::kNone) << c.name << " cut at " << n;
      }
    }
  }
}

TEST(WalkUnitWords, ALinkIntoTheListJustWalkedIsRefused) {
  // The only sequence links to its own command list: walking it would read its words twice.
  Bytes unit = {0, 16, 0, 4, 0, 0, 0, 6, 0x03, 0x12, 0x34, 0xFF, 0, 0, 0, 0};
  std::vector<UnitWord> words;
  EXPECT_EQ(WalkUnitWords(unit, words).error, WalkError::kBadLink);
  unit[7] = 4;  // itself
  EXPECT_EQ(WalkUnitWords(unit, words).error, WalkError::kNone);
  unit[3] = 2;  // a first sequence over the unit's own offset word
  EXPECT_EQ(WalkUnitWords(unit, words).error, WalkError::kSequenceOutside);
}

TEST(WalkUnitWords, EachContrastWordTakesTheColourInEffect) {
  const ChangeRegion region = {1, 2, {{3, 0x5555, 0x6666}}};
  SupPacket packet = {.colour = 0x3210, .contrast = 0xFFF0, .contrastFirst = true, .change = {region},
                      .later = {{0x04, 0, 0, 0xFF}, {0x03, 0, 0, 0x03, 0, 0, 0x04, 0, 0, 0xFF}}};
  const Bytes unit = BuildUnit(packet);
  std::vector<UnitWord> words;
  ASSERT_EQ(WalkUnitWords(unit, words).error, WalkError::kNone);
  ASSERT_EQ(words.size(), 8u);
  const auto colourOf = [&](const UnitWord& w) { return *ReadBigEndian(unit, w.colourAt, 2); };
  EXPECT_EQ(colourOf(words[0]), 0x3210u) << "a contrast before its sequence's colour";
  EXPECT_EQ(colourOf(words[3]), 0x5555u) << "a pixel control's own colour word";
  EXPECT_TRUE(words[3].inChange);
  EXPECT_EQ(words[4].colourAt, words[1].at) << "carried from the sequence before";
  EXPECT_EQ(words[7].colourAt, words[6].at) << "the last colour of the sequence";
  EXPECT_EQ(words[7].sequence, 2);
  const Bytes noColour = BuildUnit({.colour = std::nullopt});
  ASSERT_EQ(WalkUnitWords(noColour, words).error, WalkError::kNone);
  EXPECT_EQ(words.at(0).colourAt, kNoWord);
}

TEST(EntryMap, TranslatesEntriesAndSetsContrastByOriginalEntry) {
  EntryMap map;
  EXPECT_EQ(map.TranslateColour(0x3210), 0x3210);
  map.entry[1] = 7;
  map.entry[3] = 0;
  map.contrast[1] = 5;
  map.contrast[2] = 0;
  EXPECT_EQ(map.TranslateColour(0x3210), 0x0270);
  EXPECT_EQ(map.TranslateColour(0x1111), 0x7777);
  EXPECT_EQ(map.TranslateContrast(0xFFF0, 0x3210), 0xF050) << "slots of entries 1 and 2 set";
  EXPECT_EQ(map.TranslateContrast(0x9999, 0x3333), 0x9999) << "entry 3 keeps its contrast";
}

TEST(EntryMap, FromASlotChangeTheFirstSlotDecidesASharedEntry) {
  // Slots 1 and 2 both use entry 5: the outline's change decides it; the text slot's is lost.
  const EntryMap map = EntryMapFromSlotChange({0, 5, 5, 3}, {0, 15, 15, 15}, {0, 9, 6, 3},
                                              {0, 15, 15, 8});
  const std::array<int, 16> entries{0, 1, 2, 3, 4, 9, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  EXPECT_EQ(map.entry, entries);
  std::array<int, 16> contrasts;
  contrasts.fill(-1);
  contrasts[3] = 8;  // an intensity changed alone
  EXPECT_EQ(map.contrast, contrasts);
}

TEST(PlanEntryRemap, PatchesOnlyChangedWordBytesAndNothingOnDamage) {
  const ChangeRegion region = {1, 2, {{3, 0x0011, 0x2222}}};
  const Bytes unit = BuildUnit({.colour = 0x3210, .change = {region}, .later = {{0x03, 0x11, 0x00, 0xFF}}});
  EntryMap map;
  map.entry[1] = 9;
  map.contrast[0] = 3;
  std::vector<BytePatch> patches;
  ASSERT_EQ(PlanEntryRemap(unit, map, patches).error, WalkError::kNone);
  Bytes after = unit;
  for (const BytePatch& p : patches) {
    EXPECT_EQ(after[p.at], p.before);
    EXPECT_NE(p.before, p.after);
    after[p.at] = p.after;
  }
  std::vector<UnitWord> words;
  WalkUnitWords(after, words);
  std::vector<std::uint32_t> values;
  for (const UnitWord& w : words) values.push_back(*ReadBigEndian(after, w.at, 2));
  // Cmd3, Cmd4 (entry 0's slot set to 3), region colour and contrast, the later Cmd3.
  EXPECT_EQ(values, (std::vector<std::uint32_t>{0x3290, 0xFFF3, 0x0099, 0x3322, 0x9900}));

  patches.clear();
  Bytes damaged = unit;
  damaged.back() = 0x08;  // the last end code becomes an unknown code
  EXPECT_EQ(PlanEntryRemap(damaged, map, patches).error, WalkError::kUnknownCode);
  EXPECT_TRUE(patches.empty());
}

}  // namespace
