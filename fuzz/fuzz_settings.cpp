// Fuzz target: the settings file, parsed, loaded into controls, saved and parsed again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Ini.h"
#include "core/Settings.h"
#include "fuzz/FuzzFile.h"

namespace {

class Controls : public SettingsControls {
 public:
  int LogLevelIndex() const override { return level; }
  void SetLogLevelIndex(int index) override { level = index >= 0 && index <= 10 ? index : -1; }
  FontSetting SampleFont() const override { return font; }
  void SetSampleFont(const FontSetting& f) override { font = f; }
  std::string SampleText() const override { return text; }
  void SetSampleText(const std::string& t) override { text = t; }
  int AntialiasWidth() const override { return antialias; }
  void SetAntialiasWidth(int v) override { antialias = std::clamp(v, 0, 10); }
  int OutlineWidth() const override { return outline; }
  void SetOutlineWidth(int v) override { outline = std::clamp(v, 0, 10); }
  bool TransBackground() const override { return trans; }
  void SetTransBackground(bool c) override { trans = c; }
  bool FirstSubtitle() const override { return first; }
  void SetFirstSubtitle(bool c) override { first = c; }
  bool EventsEnabled() const override { return events; }
  void SetEventsEnabled(bool e) override { events = e; }

  int level = -1;
  FontSetting font{"Arial", 28, false, false};
  std::string text = "x";
  int antialias = 1;
  int outline = 7;
  bool trans = false;
  bool first = true;
  bool events = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile file("settings.INI");
  if (!file.Write(data, size)) return 0;
  Controls controls;
  const std::string exe = file.Path().substr(0, file.Path().size() - 4);  // drop ".INI"
  CFileINI ini(controls, exe);
  ini.LoadSettings();
  if (controls.font.size < kMinFontSize || controls.font.size > kMaxFontSize) __builtin_trap();
  if (controls.level < -1 || controls.level > 10) __builtin_trap();
  ini.SaveSettings();
  // What a save wrote loads back to the same values.
  Controls again;
  CFileINI reread(again, exe);
  reread.LoadSettings();
  if (again.text != controls.text && controls.text.find_first_of("\r\n") == std::string::npos) {
    __builtin_trap();
  }
  if (again.outline != controls.outline || again.level != controls.level) __builtin_trap();
  return 0;
}
