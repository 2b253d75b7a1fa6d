// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: the user's preview, log and scan choices, kept beside the executable.
#include "core/Settings.h"

#include <sys/stat.h>

#include "core/Ini.h"
#include "core/Platform.h"

namespace {

constexpr const char* kGeneral = "GeneralSettings";
constexpr const char* kVob = "VOB_Settings";
constexpr const char* kFolders = "LastFolders";

}  // namespace

std::string SettingsPathForExecutable(const std::string& exePath) {
  const std::size_t separator = exePath.find_last_of("/\\");
  const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const std::size_t dot = exePath.rfind('.');
  if (dot != std::string::npos && dot >= nameStart) return exePath.substr(0, dot + 1) + "INI";
  return exePath + ".INI";
}

std::string UserConfigFolder() {
#ifdef _WIN32
  return EnvironmentValue("APPDATA");
#else
  const std::string xdg = EnvironmentValue("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg.front() == '/') return xdg;  // a relative one is to be ignored
  const std::string home = EnvironmentValue("HOME");
  return home.empty() ? std::string() : home + "/.config";
#endif
}

std::string ChooseSettingsPath(const std::string& exePath, const std::string& configFolder) {
  const std::string beside = SettingsPathForExecutable(exePath);
  const std::size_t separator = exePath.find_last_of(kPathSeparators);
  const std::string folder = separator == std::string::npos ? "." : exePath.substr(0, separator + 1);
  if (configFolder.empty() || PathExists(beside) || FolderWritable(folder)) return beside;
  const std::string own = configFolder + "/velmoran";
  MakeFolders(own);  // a failure shows as a settings file that cannot be written
  return own + "/velmoran.INI";
}

CFileINI::CFileINI(SettingsControls& controls, const std::string& exePath)
    : controls_(controls), IniFileName_(ChooseSettingsPath(exePath, UserConfigFolder())) {
  struct stat info {};
  if (StatPath(IniFileName_, info) != 0) SaveSettings();
}

void CFileINI::SaveSettings() {
  IniFile ini = IniFile::Read(IniFileName_);
  const FontSetting font = controls_.SampleFont();
  ini.Set(kGeneral, "LogLevel", std::to_string(controls_.LogLevelIndex()));
  ini.Set(kGeneral, "FontName", font.name);
  ini.Set(kGeneral, "FontSize", std::to_string(font.size));
  ini.Set(kGeneral, "FontBold", font.bold ? "1" : "0");
  ini.Set(kGeneral, "FontItal", font.italic ? "1" : "0");
  ini.Set(kGeneral, "SampleText", controls_.SampleText());
  ini.Set(kGeneral, "Antialias", std::to_string(controls_.AntialiasWidth()));
  ini.Set(kGeneral, "Outline", std::to_string(controls_.OutlineWidth()));
  ini.Set(kGeneral, "BackGround", controls_.TransBackground() ? "1" : "0");
  ini.Set(kVob, "FirstSubtitle", controls_.FirstSubtitle() ? "1" : "0");
  ini.Write(IniFileName_);  // a failure keeps the old file; nothing else to do about it
}

void CFileINI::LoadSettings() {
  const bool eventsWere = controls_.EventsEnabled();
  controls_.SetEventsEnabled(false);
  const IniFile ini = IniFile::Read(IniFileName_);

  const int level = ini.GetInt(kGeneral, "LogLevel", kDefaultLogLevel);
  controls_.SetLogLevelIndex(level >= 0 && level <= 10 ? level : -1);

  FontSetting font = controls_.SampleFont();
  font.name = ini.GetString(kGeneral, "FontName", kDefaultFontName);
  const int size = ini.GetInt(kGeneral, "FontSize", kDefaultFontSize);
  font.size = size >= kMinFontSize && size <= kMaxFontSize ? size : kDefaultFontSize;
  // A false value removes nothing: the font starts regular.
  if (ini.GetBool(kGeneral, "FontBold", false)) font.bold = true;
  if (ini.GetBool(kGeneral, "FontItal", false)) font.italic = true;
  controls_.SetSampleFont(font);

  controls_.SetSampleText(ini.GetString(kGeneral, "SampleText", kDefaultSampleText));
  controls_.SetAntialiasWidth(ini.GetInt(kGeneral, "Antialias", kDefaultAntialias));
  controls_.SetOutlineWidth(ini.GetInt(kGeneral, "Outline", kDefaultOutline));
  controls_.SetTransBackground(ini.GetBool(kGeneral, "BackGround", false));
  controls_.SetFirstSubtitle(ini.GetBool(kVob, "FirstSubtitle", true));

  controls_.SetEventsEnabled(eventsWere);
}

std::string CFileINI::LastFolder(const std::string& dialog) const {
  return IniFile::Read(IniFileName_).GetString(kFolders, dialog, "");
}

void CFileINI::SaveLastFolder(const std::string& dialog, const std::string& folder) {
  if (folder.empty() || folder.find_first_of("\r\n") != std::string::npos) return;
  IniFile ini = IniFile::Read(IniFileName_);
  if (ini.Get(kFolders, dialog) == folder) return;
  ini.Set(kFolders, dialog, folder);
  ini.Write(IniFileName_);  // a failure keeps the old file, as for the other settings
}
