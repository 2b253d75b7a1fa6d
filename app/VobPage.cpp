// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab: the list of VOB files to scan, the first-subtitle box and the open button.
#include "app/VobPage.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "app/Look.h"

VobPage::VobPage(QTabWidget* tabs) {
  tabs->addTab(this, "VOB File");
  FileListVOB = new QListWidget(this);
  FileListVOB->setGeometry(8, 8, 817, 153);
  UseFaceColour(FileListVOB);
  Memo2 = MakeNote(this, QRect(8, 176, 817, 73),
                   {"*** WARNING ***", "",
                    "You may select multiple VOB files, but looking for every subtitle in "
                    "multiple VOB files will take a ",
                    "long time. Usually looking for the first subtitle is enough!"});
  FileOpenVOB = MakeButton(this, "Open VOB(s)", 8);
  FileOpenVOB->setDefault(true);
  // Enabled once a scan has found subtitles.
  StreamsVOB = MakeButton(this, "Streams...", 112);
  RecolourVOB = MakeButton(this, "Recolour...", 216);
  StreamsVOB->setEnabled(false);
  RecolourVOB->setEnabled(false);
  FirstSubtitleVOB = new QCheckBox("First Subtitle Only", this);
  FirstSubtitleVOB->setGeometry(640, 264, 180, 17);
  FirstSubtitleVOB->setChecked(true);
}

void VobPage::ShowFiles(const std::vector<std::string>& paths) {
  FileListVOB->clear();
  for (const std::string& path : paths) FileListVOB->addItem(QString::fromStdString(path));
}

void VobPage::ClearFiles() { FileListVOB->clear(); }

bool VobPage::FirstOnly() const { return FirstSubtitleVOB->isChecked(); }
