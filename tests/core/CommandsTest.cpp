// Big-endian access, the command walk, command words and the marker unit.
#include <gtest/gtest.h>

#include <vector>

#include "core/Core.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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

}  // namespace
