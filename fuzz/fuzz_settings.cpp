// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the settings file, parsed, loaded into controls, saved and parsed again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Ini.h"
#include "core/Settings.h"
#include "fuzz/FuzzFile.h"
#include "tests/support/SettingsValues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile file("settings.INI");
  if (!file.Write(data, size)) return 0;
  SettingsValues controls;
  const std::string exe = file.Path().substr(0, file.Path().size() - 4);  // drop ".INI"
  CFileINI ini(controls, exe);
  ini.LoadSettings();
  if (controls.font.size < kMinFontSize || controls.font.size > kMaxFontSize) __builtin_trap();
  if (controls.level < -1 || controls.level > 10) __builtin_trap();
  ini.SaveSettings();
  // What a save wrote loads back to the same values.
  SettingsValues again;
  CFileINI reread(again, exe);
  reread.LoadSettings();
  if (again.text != controls.text && controls.text.find_first_of("\r\n") == std::string::npos) {
    __builtin_trap();
  }
  if (again.outline != controls.outline || again.level != controls.level) __builtin_trap();
  return 0;
}
