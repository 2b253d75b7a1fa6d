// SPDX-License-Identifier: GPL-3.0-or-later
// The progress protocol: order of steps, the pump's rule for the cancel flag, the throttle.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/Progress.h"
#include "tests/support/Recorders.h"

namespace {

using Calls = std::vector<std::string>;

TEST(Progress, StartAndEndDriveTheHostInOrder) {
  ProgressRecorder host;
  ScopedProgressHost scoped(&host);
  ProgressStart(5'000'000'000, "Processing VOB file [%s]", "/a/100%s.vob");
  EXPECT_EQ(host.calls, (Calls{"max 5000000000", "text Processing VOB file [/a/100%s.vob]",
                               "disable", "show"}));
  EXPECT_FALSE(host.mainEnabled);
  EXPECT_TRUE(host.windowShown);

  ProgressStep(4'294'969'344, nullptr);
  ProgressStep(4'294'971'392, "step %d", 2);
  EXPECT_EQ(host.steps, 2);
  EXPECT_EQ(host.lastPosition, 4'294'971'392);
  EXPECT_EQ(host.calls.back(), "text step 2");

  host.calls.clear();
  ProgressEnd();
  EXPECT_EQ(host.calls, (Calls{"hide", "enable"}));
  EXPECT_TRUE(host.mainEnabled);

  host.calls.clear();
  ProgressStart(0, nullptr);  // an empty file: maximum 0, the text left as it was
  EXPECT_EQ(host.calls, (Calls{"max 0", "disable", "show"}));
  ProgressEnd();
}

TEST(Progress, PumpWithNothingWaitingReturnsAtOnce) {
  ProgressRecorder host;
  ScopedProgressHost scoped(&host);
  ProgressStart(10, nullptr);
  EXPECT_FALSE(PumpMessages());
  EXPECT_EQ(host.lookUps, 1);
  EXPECT_EQ(host.dispatched, 0);

  host.QueueEvents(3);
  EXPECT_FALSE(PumpMessages()) << "ordinary events are dispatched, no cancel";
  EXPECT_EQ(host.dispatched, 3);
  ProgressEnd();
}

TEST(Progress, CancelIsReportedOnlyWhileAnEventWaits) {
  ProgressRecorder host;
  ScopedProgressHost scoped(&host);
  ProgressStart(10, nullptr);

  // A click followed by a repaint: the click is dispatched, the repaint makes the same call
  // report the cancel, and stays queued.
  host.CancelAtLookUp(1, 1);
  EXPECT_TRUE(PumpMessages());
  EXPECT_EQ(host.dispatched, 1);
  EXPECT_TRUE(CancelRequested());
  EXPECT_TRUE(PumpMessages()) << "the flag stays set and the repaint still waits";
  EXPECT_EQ(host.dispatched, 1);

  // A click alone: this call dispatches it and returns false; the first later call that finds
  // an event reports it.
  ProgressStart(10, nullptr);
  EXPECT_FALSE(CancelRequested()) << "a new run clears the flag";
  EXPECT_FALSE(PumpMessages()) << "the left-over repaint is dispatched now";
  EXPECT_EQ(host.dispatched, 2);
  host.CancelAtLookUp(host.lookUps + 1, 0);
  EXPECT_FALSE(PumpMessages());
  EXPECT_TRUE(CancelRequested());
  EXPECT_FALSE(PumpMessages()) << "nothing waits, so the flag is not looked at";
  host.QueueEvents(1);
  EXPECT_TRUE(PumpMessages());
  ProgressEnd();
  EXPECT_TRUE(CancelRequested()) << "ProgressEnd leaves the flag alone";
  ProgressStart(1, nullptr);
  EXPECT_FALSE(CancelRequested());
  ProgressEnd();
}

TEST(Progress, QuitEndsThePumpWithoutCancel) {
  ProgressRecorder host;
  ScopedProgressHost scoped(&host);
  ProgressStart(10, nullptr);
  host.QueueEvents(1);
  host.QueueQuit();
  EXPECT_FALSE(PumpMessages());
  EXPECT_EQ(host.dispatched, 2);
  EXPECT_FALSE(CancelRequested());
  ProgressEnd();
}

TEST(Progress, WithoutAHostEverythingIsIdleButTheFlag) {
  ScopedProgressHost none(nullptr);
  ProgressStart(100, "text %d", 1);
  ProgressStep(50, nullptr);
  RequestCancel();
  EXPECT_TRUE(CancelRequested());
  EXPECT_FALSE(PumpMessages()) << "no event can wait without a host";
  ProgressEnd();
  ProgressStart(100, nullptr);
  EXPECT_FALSE(CancelRequested());
}

TEST(Progress, ScopedHostRestoresThePrevious) {
  ProgressRecorder outer;
  ProgressRecorder inner;
  ScopedProgressHost a(&outer);
  {
    ScopedProgressHost b(&inner);
    ProgressStart(1, nullptr);
  }
  ProgressEnd();
  EXPECT_EQ(inner.calls, (Calls{"max 1", "disable", "show"}));
  EXPECT_EQ(outer.calls, (Calls{"hide", "enable"}));
}

TEST(PumpThrottle, AnswersYesOnlyOnceTheIntervalHasPassed) {
  PumpThrottle throttle(std::chrono::milliseconds(20));
  const auto yesWithin = [&](unsigned questions) {
    for (unsigned i = 0; i < questions; ++i) {
      if (throttle.Due()) return true;
    }
    return false;
  };
  EXPECT_FALSE(yesWithin(1000));
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  EXPECT_TRUE(yesWithin(PumpThrottle::kQuestionsPerClockRead));
  throttle.Reset();
  EXPECT_FALSE(yesWithin(1000));
}

}  // namespace
