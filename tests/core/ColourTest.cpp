// SPDX-License-Identifier: GPL-3.0-or-later
// Normalising colours and the caption colour for a background.
#include <gtest/gtest.h>

#include "core/Colour.h"
#include "core/Log.h"
#include "tests/support/Recorders.h"

namespace {

TEST(NormaliseChannel, BoundariesIncludingTheGapThatGivesWhite) {
  EXPECT_EQ(NormaliseChannel(0), 0);
  EXPECT_EQ(NormaliseChannel(84), 0);
  EXPECT_EQ(NormaliseChannel(85), 128);
  EXPECT_EQ(NormaliseChannel(169), 128);
  EXPECT_EQ(NormaliseChannel(170), 255);
  EXPECT_EQ(NormaliseChannel(183), 255);
  EXPECT_EQ(NormaliseChannel(184), 192);
  EXPECT_EQ(NormaliseChannel(199), 192);
  EXPECT_EQ(NormaliseChannel(200), 255);
  EXPECT_EQ(NormaliseChannel(255), 255);
}

TEST(ContrastTextColour, WhiteOnTheTenDarkColoursBlackOnTheRest) {
  ScopedLogTarget none(nullptr);
  for (TColor dark : {0x000000u, 0x000080u, 0x0000FFu, 0x008000u, 0x008080u, 0x800000u, 0x800080u,
                      0x808000u, 0x808080u, 0xFF0000u}) {
    EXPECT_EQ(ContrastTextColour(dark), kWhite) << std::hex << dark;
  }
  for (TColor light : {0xFFFFFFu, 0xC0C0C0u, 0x00FF00u, 0x00FFFFu, 0xFFFF00u, 0xFF00FFu, 0xAAAAAAu}) {
    EXPECT_EQ(ContrastTextColour(light), kBlack) << std::hex << light;
  }
  EXPECT_EQ(ContrastTextColour(0xFF000000u), kWhite) << "bits 24-31 are ignored";
}

TEST(NormaliseColour, LogsBlueGreenRedAtLevelTenOnly) {
  LogRecorder log(10);
  ScopedLogTarget scoped(&log);
  EXPECT_EQ(NormaliseColour(0x800000), 0x800000u);
  EXPECT_EQ(NormaliseColour(0x0102B9), 0x0000C0u);
  ASSERT_EQ(log.LineCount(), 2);
  EXPECT_EQ(log.Lines()[0], "Normalising 800000 to 800000");
  EXPECT_EQ(log.Lines()[1], "Normalising 0102B9 to 0000C0");
  log.Clear();
  log.SetLevel(9);
  ContrastTextColour(0x800000);
  EXPECT_EQ(log.LineCount(), 0);
}

}  // namespace
