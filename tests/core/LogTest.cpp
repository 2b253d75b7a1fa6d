// SPDX-License-Identifier: GPL-3.0-or-later
// The log's level rule and exact formatting.
#include <gtest/gtest.h>

#include <string>

#include "core/Log.h"
#include "tests/support/Recorders.h"

namespace {

TEST(Log, ShowsALineExactlyWhenTheChosenLevelIsAtLeastItsLevel) {
  LogRecorder log(4);
  ScopedLogTarget scoped(&log);
  for (int level : {0, 1, 2, 3, 4, 5, 6, 10}) LogMessage(level, "level %d", level);
  EXPECT_EQ(log.LineList(),
            (std::vector<std::string>{"level 0", "level 1", "level 2", "level 3", "level 4"}));

  log.Clear();
  log.SetLevel(-1);
  LogMessage(0, "never");
  LogMessage(-5, "not even this");  // -5 < -1 would show; the program uses no negative levels
  EXPECT_EQ(log.LineCount(), 1);

  log.Clear();
  log.SetLevel(9);
  LogMessage(6, "debug");
  LogMessage(10, "normalising");
  EXPECT_EQ(log.LineList(), (std::vector<std::string>{"debug"}));
}

TEST(Log, NoTargetIsSilentAndHarmless) {
  ScopedLogTarget none(nullptr);
  LogMessage(2, "ERROR - nobody hears [%s]", "x");
}

TEST(Log, FormatsLikePrintfWithoutLimitAndKeepsPercentInArguments) {
  LogRecorder log(10);
  ScopedLogTarget scoped(&log);
  LogMessage(3, "%4d - %08X", 1, 0x800);
  LogMessage(5, "Colour Data = %4X", 0x210);
  LogMessage(2, "ERROR - Can't open [%s]", "/tmp/100%s%d.sup");
  const std::string longName(5000, 'n');
  LogMessage(3, "[%s]", longName.c_str());
  ASSERT_EQ(log.LineCount(), 4);
  EXPECT_EQ(log.Lines()[0], "   1 - 00000800");
  EXPECT_EQ(log.Lines()[1], "Colour Data =  210");
  EXPECT_EQ(log.Lines()[2], "ERROR - Can't open [/tmp/100%s%d.sup]");
  EXPECT_EQ(log.Lines()[3].size(), 5002u);
}

}  // namespace
