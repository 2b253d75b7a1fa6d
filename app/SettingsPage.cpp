// SPDX-License-Identifier: GPL-3.0-or-later
// The Settings tab: the log-level list and the help text.
#include "app/SettingsPage.h"

#include <QComboBox>
#include <QTabWidget>

#include "app/Look.h"

SettingsPage::SettingsPage(QTabWidget* tabs) {
  tabs->addTab(this, "Settings");
  MakeLabel(this, "Log Level:", QRect(8, 8, 92, kEditHeight));
  SettingsLogLevel = MakeList(
      this, QRect(104, 8, 121, kEditHeight),
      {"None", "Normal", "Errors", "Info", "Warnings", "Details", "Debug", "7", "8", "9", "All"},
      -1);
  MemoSettings = MakeNote(
      this, QRect(8, 40, 817, 249),
      {"So what do I do?", "",
       "1) If you just want to set the colours in an IFO file: click on the IFO tab open the "
       "file, set the ",
       "colours with the hex editor or the colour pickers and then save the IFO file!", "",
       "2) If you want to move the mapping in a SUP file so that it does not clash with other "
       "subtitles: ",
       "Click on the SUP tab and open the SUP file to remap. Click on the IFO tab and open the "
       "IFO file of ",
       "the existing DVD. Click on the VOB tab and open a VOB file from the original DVD. You "
       "now have a ",
       "complete visual mapping of the relationship of these 3 files. Adjust the mapping on the "
       "SUP tab to ",
       "give you the colours you want, then save the SUP file. Optionally you could change the "
       "IFO colours if ",
       "the colours you want to use are not available and there is \"free\" space in the "
       "palette.",
       "",
       "The sample text below is just that, this program does NOT change the subtitle content "
       "in any way only",
       "the subtitle colours and their mapping."});
}

int SettingsPage::LogLevel() const { return SettingsLogLevel->currentIndex(); }

void SettingsPage::SetLogLevel(int level) {
  SettingsLogLevel->setCurrentIndex(level >= 0 && level <= 10 ? level : -1);
}
