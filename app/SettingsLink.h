// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's view of the window: the controls whose values it keeps.
#pragma once

#include <string>

#include "core/Settings.h"

class PreviewPanel;
class SettingsPage;
class VobPage;

// The log level of the Settings tab, the preview's text, font, widths and see-through box, the
// VOB tab's first-subtitle box, and the window's EventsEnabled flag.
class SettingsLink final : public SettingsControls {
 public:
  SettingsLink(SettingsPage& settings, PreviewPanel& preview, VobPage& vob, bool& eventsEnabled)
      : settings_(settings), preview_(preview), vob_(vob), eventsEnabled_(eventsEnabled) {}

  int LogLevelIndex() const override;
  void SetLogLevelIndex(int index) override;
  FontSetting SampleFont() const override;
  void SetSampleFont(const FontSetting& font) override;
  std::string SampleText() const override;
  void SetSampleText(const std::string& text) override;
  int AntialiasWidth() const override;
  void SetAntialiasWidth(int value) override;
  int OutlineWidth() const override;
  void SetOutlineWidth(int value) override;
  bool TransBackground() const override;
  void SetTransBackground(bool checked) override;
  bool FirstSubtitle() const override;
  void SetFirstSubtitle(bool checked) override;
  bool EventsEnabled() const override { return eventsEnabled_; }
  void SetEventsEnabled(bool enabled) override { eventsEnabled_ = enabled; }

 private:
  SettingsPage& settings_;
  PreviewPanel& preview_;
  VobPage& vob_;
  bool& eventsEnabled_;
};
