// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's view of the window: the controls whose values it keeps.
#include "app/SettingsLink.h"

#include <QCheckBox>
#include <QSpinBox>

#include "app/PreviewPanel.h"
#include "app/SettingsPage.h"
#include "app/VobPage.h"

int SettingsLink::LogLevelIndex() const { return settings_.LogLevel(); }
void SettingsLink::SetLogLevelIndex(int index) { settings_.SetLogLevel(index); }
FontSetting SettingsLink::SampleFont() const { return preview_.SampleFontSetting(); }
void SettingsLink::SetSampleFont(const FontSetting& font) { preview_.SetSampleFont(font); }
std::string SettingsLink::SampleText() const { return preview_.Text(); }
void SettingsLink::SetSampleText(const std::string& text) { preview_.SetText(text); }
int SettingsLink::AntialiasWidth() const { return preview_.AntialiasWidth->value(); }
void SettingsLink::SetAntialiasWidth(int value) { preview_.AntialiasWidth->setValue(value); }
int SettingsLink::OutlineWidth() const { return preview_.OutlineWidth->value(); }
void SettingsLink::SetOutlineWidth(int value) { preview_.OutlineWidth->setValue(value); }
bool SettingsLink::TransBackground() const { return preview_.TransBackground->isChecked(); }
void SettingsLink::SetTransBackground(bool checked) { preview_.TransBackground->setChecked(checked); }
bool SettingsLink::FirstSubtitle() const { return vob_.FirstOnly(); }
void SettingsLink::SetFirstSubtitle(bool checked) { vob_.FirstSubtitleVOB->setChecked(checked); }
