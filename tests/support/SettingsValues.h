// SPDX-License-Identifier: GPL-3.0-or-later
// Settings controls held in memory, with the window's initial values: the tests' and fuzz
// targets' stand-in for the window.
#pragma once

#include <algorithm>
#include <string>

#include "core/Settings.h"

class SettingsValues : public SettingsControls {
 public:
  int LogLevelIndex() const override { return level; }
  void SetLogLevelIndex(int index) override { level = index >= 0 && index <= 10 ? index : -1; }
  FontSetting SampleFont() const override { return font; }
  void SetSampleFont(const FontSetting& f) override { font = f; }
  std::string SampleText() const override { return text; }
  void SetSampleText(const std::string& t) override { Changed(); text = t; }
  int AntialiasWidth() const override { return antialias; }
  void SetAntialiasWidth(int v) override { Changed(); antialias = std::clamp(v, 0, 10); }
  int OutlineWidth() const override { return outline; }
  void SetOutlineWidth(int v) override { Changed(); outline = std::clamp(v, 0, 10); }
  bool TransBackground() const override { return trans; }
  void SetTransBackground(bool c) override { Changed(); trans = c; }
  bool FirstSubtitle() const override { return first; }
  void SetFirstSubtitle(bool c) override { Changed(); first = c; }
  bool EventsEnabled() const override { return events; }
  void SetEventsEnabled(bool e) override { events = e; }

  // Counts the change handlers that would have acted: those run while events are enabled.
  void Changed() {
    if (events) ++handlersRun;
  }

  int level = -1;
  FontSetting font{"Arial", 28, false, false};
  std::string text = "The Quick Brown Fox jumps over the Lazy Dog!";
  int antialias = 1;
  int outline = 7;
  bool trans = false;
  bool first = true;
  bool events = false;
  int handlersRun = 0;
};
