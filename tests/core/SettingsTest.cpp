// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: path rule, first start, defaults, clamping and what a save keeps.
#include <gtest/gtest.h>

#include <string>

#include "core/FileIO.h"
#include "core/Ini.h"
#include "core/Platform.h"
#include "core/Settings.h"
#include "tests/support/PosixOnly.h"
#include "tests/support/SettingsValues.h"
#include "tests/support/TempDir.h"

namespace {

using FakeControls = SettingsValues;

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(SettingsPath, ReplacesOnlyTheFileNamesExtension) {
  EXPECT_EQ(SettingsPathForExecutable("/opt/velmoran/velmoran"), "/opt/velmoran/velmoran.INI");
  EXPECT_EQ(SettingsPathForExecutable("C:\\Tools\\subtool.exe"), "C:\\Tools\\subtool.INI");
  EXPECT_EQ(SettingsPathForExecutable("C:\\my.tools\\prog"), "C:\\my.tools\\prog.INI");
  EXPECT_EQ(SettingsPathForExecutable("/home/a.b/bin/tool"), "/home/a.b/bin/tool.INI");
  EXPECT_EQ(SettingsPathForExecutable("/x/archive.tar.gz"), "/x/archive.tar.INI");
  EXPECT_EQ(SettingsPathForExecutable("prog"), "prog.INI");
}

// A portable copy keeps its settings beside it; an installed program, whose folder the user may
// not write, keeps them in the user's config folder, made on the way.
TEST(SettingsPath, BesideTheProgramUnlessItsFolderIsClosedToTheUser) {
  SKIP_ON_WINDOWS("folder permissions and a second user");
  TempDir dir;
  const std::string config = dir.File("config");
  ASSERT_TRUE(MakeFolders(dir.File("portable")));
  EXPECT_EQ(ChooseSettingsPath(dir.File("portable/velmoran"), config), dir.File("portable/velmoran.INI"));
  EXPECT_FALSE(FileExists(config)) << "nothing made for a portable copy";

  ASSERT_TRUE(MakeFolders(dir.File("installed")));
  ASSERT_TRUE(MakeFolders(dir.File("kept")));
  WriteFileBytes(dir.File("kept/velmoran.INI"), {});
  for (const char* folder : {"installed", "kept"}) {
    ASSERT_EQ(::chmod(dir.File(folder).c_str(), 0555), 0);
  }
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const int result = RunUnprivileged([&] {
    if (ChooseSettingsPath(dir.File("installed/velmoran"), "") != dir.File("installed/velmoran.INI")) return 1;
    if (ChooseSettingsPath(dir.File("kept/velmoran"), config) != dir.File("kept/velmoran.INI")) return 2;
    if (ChooseSettingsPath(dir.File("installed/velmoran"), config) != config + "/velmoran/velmoran.INI") return 3;
    if (!FileExists(config + "/velmoran")) return 4;
    // The program's own start, in this child only: the first-start file lands there.
    ::setenv("XDG_CONFIG_HOME", (config + "2").c_str(), 1);
    SettingsValues controls;
    CFileINI ini(controls, dir.File("installed/velmoran"));
    if (ini.IniFileName() != config + "2/velmoran/velmoran.INI") return 5;
    return FileExists(ini.IniFileName()) ? 0 : 6;
  });
  EXPECT_EQ(result, 0) << "1: no config folder, 2: an existing file, 3: installed, 4: folder made, "
                          "5: CFileINI's path, 6: CFileINI's first save";
}

TEST(SettingsPath, ConfigFolderFollowsXdgConfigHome) {
  SKIP_ON_WINDOWS("XDG_CONFIG_HOME and HOME; Windows uses %APPDATA%");
  const std::string home = EnvironmentValue("HOME");
  const std::string xdg = EnvironmentValue("XDG_CONFIG_HOME");
  const struct {
    const char* home;
    const char* xdg;
    std::string folder;
  } cases[] = {{"/home/a", "/cfg", "/cfg"},
               {"/home/a", "relative/cfg", "/home/a/.config"},
               {"/home/a", nullptr, "/home/a/.config"},
               {nullptr, nullptr, ""}};
  for (const auto& c : cases) {
    c.home ? ::setenv("HOME", c.home, 1) : ::unsetenv("HOME");
    c.xdg ? ::setenv("XDG_CONFIG_HOME", c.xdg, 1) : ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserConfigFolder(), c.folder) << (c.xdg ? c.xdg : "unset");
  }
  ::setenv("HOME", home.c_str(), 1);
  xdg.empty() ? ::unsetenv("XDG_CONFIG_HOME") : ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
}

TEST(Settings, FirstStartWritesTheInitialValuesInOrder) {
  TempDir dir;
  FakeControls controls;
  CFileINI ini(controls, dir.File("velmoran"));
  EXPECT_EQ(ini.IniFileName(), dir.File("velmoran.INI"));
  EXPECT_EQ(ReadText(ini.IniFileName()),
            "[GeneralSettings]\nLogLevel=-1\nFontName=Arial\nFontSize=28\nFontBold=0\n"
            "FontItal=0\nSampleText=The Quick Brown Fox jumps over the Lazy Dog!\nAntialias=1\n"
            "Outline=7\nBackGround=0\n[VOB_Settings]\nFirstSubtitle=1\n");

  // An existing file is not rewritten by the next start.
  WriteFileBytes(ini.IniFileName(), {'x'});
  CFileINI again(controls, dir.File("velmoran"));
  EXPECT_EQ(ReadText(ini.IniFileName()), "x");
}

TEST(Settings, MissingKeysLoadTheirDefaultsAndNoHandlerRuns) {
  TempDir dir;
  const std::string text = "[GeneralSettings]\nOutline=3\n";
  WriteFileBytes(dir.File("v.INI"), Bytes(text.begin(), text.end()));
  FakeControls controls;
  controls.events = true;
  CFileINI ini(controls, dir.File("v"));
  ini.LoadSettings();
  EXPECT_EQ(controls.level, 4);
  EXPECT_EQ(controls.font.name, "Arial");
  EXPECT_EQ(controls.font.size, 24);
  EXPECT_FALSE(controls.font.bold);
  EXPECT_FALSE(controls.font.italic);
  EXPECT_EQ(controls.text, "The Quick Brown Fox jumps over the Lazy Dog!");
  EXPECT_EQ(controls.antialias, 1);
  EXPECT_EQ(controls.outline, 3);
  EXPECT_FALSE(controls.trans);
  EXPECT_TRUE(controls.first);
  EXPECT_TRUE(controls.events) << "restored after loading";
  EXPECT_EQ(controls.handlersRun, 0);

  ini.SaveSettings();
  const IniFile saved = IniFile::Read(ini.IniFileName());
  for (const char* key : {"LogLevel", "FontName", "FontSize", "FontBold", "FontItal", "SampleText",
                          "Antialias", "Outline", "BackGround"}) {
    EXPECT_TRUE(saved.Get("GeneralSettings", key).has_value()) << key;
  }
  EXPECT_EQ(saved.Get("VOB_Settings", "FirstSubtitle"), "1");
}

TEST(Settings, BadValuesLoadAsDefaultsOrClampedAndNeverCrash) {
  TempDir dir;
  const std::string text =
      "[GeneralSettings]\nOutline=abc\nFontBold=2\nFontItal=x\nLogLevel=12\nAntialias=99\n"
      "FontSize=-5\nSampleText=  keeps  blanks  \n[VOB_Settings]\nFirstSubtitle=0\n";
  WriteFileBytes(dir.File("v.INI"), Bytes(text.begin(), text.end()));
  FakeControls controls;
  CFileINI ini(controls, dir.File("v"));
  ini.LoadSettings();
  EXPECT_EQ(controls.outline, 7);
  EXPECT_TRUE(controls.font.bold);
  EXPECT_FALSE(controls.font.italic);
  EXPECT_EQ(controls.level, -1) << "out of range chooses no level";
  EXPECT_EQ(controls.antialias, 10) << "the control clamps";
  EXPECT_EQ(controls.font.size, 24);
  EXPECT_EQ(controls.text, "  keeps  blanks  ");
  EXPECT_FALSE(controls.first);

  for (const Bytes& junk : {Bytes{}, Bytes(5000, 0), Bytes{0xFF, 0xFE, '[', '\n', '=', '\n'}}) {
    WriteFileBytes(dir.File("v.INI"), junk);
    FakeControls fresh;
    CFileINI other(fresh, dir.File("v"));
    other.LoadSettings();
    EXPECT_EQ(fresh.level, 4);
    EXPECT_EQ(fresh.outline, 7);
  }
}

TEST(Settings, AFileWithAByteOrderMarkLoadsAndKeepsIt) {
  TempDir dir;
  const std::string text = "\xEF\xBB\xBF[GeneralSettings]\nOutline=3\n";
  WriteFileBytes(dir.File("v.INI"), Bytes(text.begin(), text.end()));
  FakeControls controls;
  CFileINI ini(controls, dir.File("v"));
  ini.LoadSettings();
  EXPECT_EQ(controls.outline, 3);
  ini.SaveSettings();
  const std::string saved = ReadText(ini.IniFileName());
  EXPECT_EQ(saved.rfind(text, 0), 0u) << saved;
  EXPECT_EQ(saved.find("[GeneralSettings]", 4), std::string::npos) << "one section only";
}

TEST(Settings, SaveKeepsForeignContentAndSurvivesAFailedWrite) {
  TempDir dir;
  const std::string text = "; user notes\n[GeneralSettings]\nOutline=2\nExtra=keep\n[Mine]\na=b\n";
  WriteFileBytes(dir.File("v.INI"), Bytes(text.begin(), text.end()));
  FakeControls controls;
  CFileINI ini(controls, dir.File("v"));
  controls.outline = 5;
  ini.SaveSettings();
  const std::string saved = ReadText(ini.IniFileName());
  EXPECT_NE(saved.find("; user notes\n"), std::string::npos);
  EXPECT_NE(saved.find("Outline=5\nExtra=keep\n"), std::string::npos);
  EXPECT_NE(saved.find("[Mine]\na=b\n"), std::string::npos);

  for (const FileStep failing :
       {FileStep::kCreate, FileStep::kWrite, FileStep::kFlush, FileStep::kRename}) {
    SetFileFaultHook([failing](FileStep step) { return step == failing; });
    controls.outline = 9;
    ini.SaveSettings();
    SetFileFaultHook(nullptr);
    EXPECT_EQ(ReadText(ini.IniFileName()), saved);
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"v.INI"});
  }
}

TEST(Settings, LastFoldersAreASectionOfTheirOwnWrittenWithTheFirstFolder) {
  TempDir dir;
  FakeControls controls;
  CFileINI ini(controls, dir.File("velmoran"));
  const std::string firstStart = ReadText(ini.IniFileName());
  EXPECT_EQ(ini.LastFolder("OpenDialogSUP"), "");

  ini.SaveLastFolder("OpenDialogSUP", "/films/a b=c");
  EXPECT_EQ(ReadText(ini.IniFileName()), firstStart + "[LastFolders]\nOpenDialogSUP=/films/a b=c\n");
  EXPECT_EQ(ini.LastFolder("OpenDialogSUP"), "/films/a b=c");
  EXPECT_EQ(ini.LastFolder("SaveDialogSUP"), "");

  // A settings save keeps the section; a folder with a line break is not kept (a value is
  // one line); a second folder joins the section.
  const std::string withOne = ReadText(ini.IniFileName());
  ini.SaveSettings();
  ini.SaveLastFolder("OpenDialogSUP", "/dvd\nVIDEO_TS");
  EXPECT_EQ(ReadText(ini.IniFileName()), withOne);
  ini.SaveLastFolder("OpenDialogIFO", "/disc/VIDEO_TS");
  EXPECT_EQ(ReadText(ini.IniFileName()), withOne + "OpenDialogIFO=/disc/VIDEO_TS\n");
}

}  // namespace
