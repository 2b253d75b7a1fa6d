// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: the user's preview, log and scan choices, kept beside the executable.
#pragma once

#include <string>

// The sample font as the settings hold it; size in points.
struct FontSetting {
  std::string name;
  int size = 0;
  bool bold = false;
  bool italic = false;
};

// The controls whose values the settings file keeps; implemented by the window.
class SettingsControls {
 public:
  virtual ~SettingsControls() = default;
  virtual int LogLevelIndex() const = 0;  // -1 when none is chosen
  virtual void SetLogLevelIndex(int index) = 0;  // a value outside 0-10 chooses none
  virtual FontSetting SampleFont() const = 0;
  virtual void SetSampleFont(const FontSetting& font) = 0;
  virtual std::string SampleText() const = 0;
  virtual void SetSampleText(const std::string& text) = 0;
  virtual int AntialiasWidth() const = 0;
  virtual void SetAntialiasWidth(int value) = 0;  // the control keeps 0-10
  virtual int OutlineWidth() const = 0;
  virtual void SetOutlineWidth(int value) = 0;  // the control keeps 0-10
  virtual bool TransBackground() const = 0;
  virtual void SetTransBackground(bool checked) = 0;
  virtual bool FirstSubtitle() const = 0;
  virtual void SetFirstSubtitle(bool checked) = 0;
  virtual bool EventsEnabled() const = 0;
  virtual void SetEventsEnabled(bool enabled) = 0;
};

// Defaults for keys missing from the file.
constexpr int kDefaultLogLevel = 4;
constexpr const char* kDefaultFontName = "Arial";
constexpr int kDefaultFontSize = 24;
constexpr const char* kDefaultSampleText = "The Quick Brown Fox jumps over the Lazy Dog!";
constexpr int kDefaultAntialias = 1;
constexpr int kDefaultOutline = 7;
// Font sizes outside this range are taken as missing: they would draw nothing useful.
constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 500;

// The settings file's path for an executable: the executable's file name with what follows
// its last "." replaced by "INI", or ".INI" appended when the name has no ".". Directory
// names are never cut.
std::string SettingsPathForExecutable(const std::string& exePath);

// The user's folder for settings: $XDG_CONFIG_HOME when it is an absolute path, otherwise
// $HOME/.config (on Windows %APPDATA%); empty when none is known.
std::string UserConfigFolder();

// The settings file a program started from `exePath` uses: the one beside the executable when
// it exists or its folder may be written (a portable copy); otherwise, as for an installed
// program, velmoran/velmoran.INI in `configFolder`, whose missing folders are made here. An
// empty `configFolder` leaves the file beside the executable.
std::string ChooseSettingsPath(const std::string& exePath, const std::string& configFolder);

class CFileINI {
 public:
  // Works out the path and, when no file is there, writes one at once from the controls.
  CFileINI(SettingsControls& controls, const std::string& exePath);

  // Writes all ten keys from the controls; keeps other sections, keys and comments of the
  // file. A failed write leaves the old file as it was and is otherwise ignored.
  void SaveSettings();
  // Reads all ten keys into the controls, with their defaults; change handlers stay idle.
  void LoadSettings();

  // The folder a file dialog last returned a file from, by the dialog's name ("OpenDialogSUP"),
  // kept in the section LastFolders; "" when none is kept. The section appears only once a
  // folder is saved. A folder is saved only when it changed, and never one whose path holds a
  // line break (the file keeps a value on one line).
  std::string LastFolder(const std::string& dialog) const;
  void SaveLastFolder(const std::string& dialog, const std::string& folder);

  const std::string& IniFileName() const { return IniFileName_; }

 private:
  SettingsControls& controls_;
  std::string IniFileName_;
};
