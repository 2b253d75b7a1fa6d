// SPDX-License-Identifier: GPL-3.0-or-later
// The subpicture decoder against the independent test decoder, on units from the builders (the
// VOB scanner's units: VobRealFilesTest and the CLI's vob pictures).
#include <gtest/gtest.h>

#include "files/SubtitlePicture.h"
#include "tests/support/SubpictureDecoder.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/VobBuilder.h"  // MakeUnitWithCommands


// Every run length code (1-4 nibbles, end of line), odd and even widths, change regions and
// later sequences that change colours: each sequence's picture as the test decoder shows it.
TEST(SubpictureTest, DecodesLikeTheTestDecoder) {
  struct Case {
    const char* name;
    int width, height;
    std::vector<ChangeRegion> change;
    std::vector<Bytes> later;
  };
  const std::vector<Case> cases = {
      {"one pixel", 1, 1, {}, {}},
      {"odd width", 333, 7, {}, {}},
      {"full screen", 720, 576, {}, {}},
      {"change regions", 300, 40,
       {{402, 410, {{150, 0x7654, 0x3333}, {250, 0xBA98, 0x0F0F}}}, {420, 425, {{0, 0x1111, 0xFFFF}}}}, {}},
      {"later sequences", 64, 9, {}, {{0x03, 0x45, 0x67, 0xFF}, {0x04, 0x12, 0x34, 0x02, 0xFF}}},
  };
  for (const Case& c : cases) {
    SupPacket packet;
    packet.image = StripedImage(c.width, c.height, static_cast<unsigned>(c.width));
    packet.change = c.change;
    packet.later = c.later;
    const Bytes unit = BuildUnit(packet);
    for (int k = 0; k <= static_cast<int>(c.later.size()); ++k) {
      EXPECT_EQ(CompareWithProgramDecoder(unit, k), "") << c.name << " sequence " << k;
    }
  }
}

// Times, forced start and the display area come from the commands alone.
TEST(SubpictureTest, FactsGiveTimesForcedAndArea) {
  SupPacket packet;
  packet.image = StripedImage(40, 10, 1);
  packet.forced = true;
  packet.later = {{0x04, 0x00, 0x00, 0xFF}, {0x02, 0xFF}};
  const Bytes unit = BuildUnit(packet);
  const SubpictureFacts facts = ReadSubpictureFacts(unit);
  EXPECT_EQ(facts.error, SubpictureError::kNone);
  EXPECT_TRUE(facts.forced && IsForcedUnit(unit));
  EXPECT_EQ(facts.start, 0);
  EXPECT_EQ(facts.duration, 200 * kTicksPerDelayUnit) << "the second later sequence stops it";
  EXPECT_EQ((std::array{facts.area.x, facts.area.y, facts.area.width, facts.area.height}), (std::array{100, 400, 40, 10}));

  packet.forced = false;
  packet.later = {{0x01, 0xFF}};  // no stop
  const SubpictureFacts plain = ReadSubpictureFacts(BuildUnit(packet));
  EXPECT_FALSE(plain.forced || plain.duration.has_value());
}

// A unit that cannot be decoded gives its typed error; every cut-short prefix of a valid unit
// gives an error without reading past the bytes held (the sanitizer build checks the reads).
TEST(SubpictureTest, RefusesWhatItCannotDecode) {
  SupPacket packet;
  packet.image = StripedImage(50, 12, 3);
  const Bytes good = BuildUnit(packet);
  SubpictureImage image;
  for (std::size_t n = 0; n < good.size(); ++n) {
    EXPECT_NE(DecodeSubpictureUnit(ByteView(good.data(), n), image), SubpictureError::kNone) << n;
    EXPECT_TRUE(image.pixels.empty());
  }
  EXPECT_EQ(DecodeSubpictureUnit(good, image, 2), SubpictureError::kNoSequence);

  const Bytes noArea = MakeUnitWithCommands({0x01, 0x03, 0x32, 0x10, 0x06, 0, 4, 0, 8, 0xFF});
  EXPECT_EQ(DecodeSubpictureUnit(noArea, image), SubpictureError::kNoArea);
  const Bytes noFields = MakeUnitWithCommands({0x01, 0x05, 0x00, 0x00, 0x09, 0x00, 0x00, 0x09, 0xFF});
  EXPECT_EQ(DecodeSubpictureUnit(noFields, image), SubpictureError::kNoPixelData);
  // A field shorter than the area: its rows run past the 16 bytes of pixel data.
  const Bytes shortField = MakeUnitWithCommands(
      {0x01, 0x05, 0x00, 0x00, 0x09, 0x00, 0x00, 0x09, 0x06, 0, 4, 0, 12, 0xFF}, 16);
  EXPECT_EQ(DecodeSubpictureUnit(shortField, image), SubpictureError::kFieldOutside);
  const Bytes fieldInCommands = MakeUnitWithCommands(
      {0x01, 0x05, 0x00, 0x00, 0x09, 0x00, 0x00, 0x09, 0x06, 0, 4, 0, 40, 0xFF}, 16);
  EXPECT_EQ(DecodeSubpictureUnit(fieldInCommands, image), SubpictureError::kFieldOutside);
  EXPECT_EQ(DecodeSubpictureUnit(MakeUnitWithCommands({0x01, 0x09, 0xFF}), image), SubpictureError::kCommands);
}
