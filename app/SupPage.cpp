// SPDX-License-Identifier: GPL-3.0-or-later
// The SUP tab: the mapping lists, the file's own values, the subtitle count and the buttons.
#include "app/SupPage.h"

#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "app/Look.h"
#include "files/Filesup.h"

namespace {

const char* const kSlotNames[4] = {"Background", "Outline", "Text", "Antialias"};

bool IsSlot(int slot) { return slot >= 0 && slot < 4; }

QStringList NumberItems() {
  QStringList items;
  for (int i = 0; i <= 15; ++i) items << QString::number(i);
  return items;
}

QStringList IntensityItems() {
  QStringList items{"0 - Trans"};
  for (int i = 1; i <= 14; ++i) items << QString::number(i);
  items << "15 - Opaque";
  return items;
}

}  // namespace

SupPage::SupPage(QTabWidget* tabs, PaletteGridCells& grid) : grid_(grid) {
  tabs->addTab(this, "SUP File");
  FileNameSUP = MakeEdit(this, QRect(8, 8, 817, kEditHeight), QString(), true);
  MakeBevel(this, QRect(8, 40, 217, 161), false);
  MakeBevel(this, QRect(240, 40, 289, 161), false);
  MakeLabel(this, "Colours", QRect(16, 44, 201, 24), Qt::AlignCenter);
  MakeLabel(this, "Intensity", QRect(248, 44, 273, 24), Qt::AlignCenter);

  for (int slot = 0; slot < 4; ++slot) {
    const int top = 72 + 32 * slot;
    const QString name = kSlotNames[slot];
    MakeLabel(this, name, QRect(16, top, 86, kEditHeight));
    MakeLabel(this, name, QRect(248, top, 94, kEditHeight));
    MapLists[slot] = MakeList(this, QRect(104, top, 49, kEditHeight), NumberItems(), 0);
    MapFileEdits[slot] = MakeEdit(this, QRect(160, top, 49, kEditHeight), "0", false, false);
    IntLists[slot] = MakeList(this, QRect(344, top, 113, kEditHeight), IntensityItems(), 0);
    IntFileEdits[slot] = MakeEdit(this, QRect(464, top, 49, kEditHeight), "0", false, false);
    MapLists[slot]->setObjectName(name + "MapSUP");
    IntLists[slot]->setObjectName(name + "IntSUP");
    MapFileEdits[slot]->setObjectName(name + "MapFileSUP");
    IntFileEdits[slot]->setObjectName(name + "IntFileSUP");
  }

  MakeLabel(this, "Subtitles =", QRect(60, 216, 96, kEditHeight),
            Qt::AlignRight | Qt::AlignVCenter);
  SubtitleCountSUP = MakeEdit(this, QRect(160, 216, 49, kEditHeight), QString(), true);

  OpenSUP = MakeButton(this, "Open SUP", 8);
  SaveSUP = MakeButton(this, "Save SUP", 112);
  DefaultSUP = MakeButton(this, "Default", 216);
  RestoreSUP = MakeButton(this, "Restore", 320);
  OpenSUP->setDefault(true);

  MemoSUP = MakeNote(
      this, QRect(544, 40, 281, 217),
      {"*** WARNING ***", "", "This SUP editor is intended for", "SUP files created by Quenlix.",
       "", "It may work with other SUP", "files but it is not guarenteed."});

  MakeLabel(this, "Mappings =", QRect(420, 262, 80, kEditHeight), Qt::AlignRight | Qt::AlignVCenter);
  MappingCountSUP = MakeEdit(this, QRect(504, 262, 33, kEditHeight), QString(), true);
  MappingListSUP = MakeList(this, QRect(541, 262, 220, kEditHeight), {}, -1);
  MappingListSUP->view()->setMinimumWidth(260);
  MappingListSUP->setToolTip("The mappings of the file's subtitles in order of first appearance: the "
                             "entries / intensities of Background, Outline, Text and Antialias, and "
                             "(the number of subtitles that use it)");
  ViewMappingSUP = new QPushButton("View", this);
  ViewMappingSUP->setGeometry(766, 261, 59, 26);
  ViewMappingSUP->setToolTip("Show the first subtitle of this mapping in the Subtitles tab");
  ViewMappingSUP->setEnabled(false);

  FirstSubtitleSUP = new QCheckBox("First Subtitle Only", this);
  FirstSubtitleSUP->setGeometry(640, 264, 180, 17);
  FirstSubtitleSUP->setChecked(true);
  FirstSubtitleSUP->setEnabled(false);
  FirstSubtitleSUP->setVisible(false);
}

int SupPage::MapIndex(int slot) const { return IsSlot(slot) ? MapLists[slot]->currentIndex() : -1; }

void SupPage::SetMapIndex(int slot, int index) {
  if (IsSlot(slot)) MapLists[slot]->setCurrentIndex(index);
}

int SupPage::IntIndex(int slot) const { return IsSlot(slot) ? IntLists[slot]->currentIndex() : -1; }

void SupPage::SetIntIndex(int slot, int index) {
  if (IsSlot(slot)) IntLists[slot]->setCurrentIndex(index);
}

void SupPage::SetMapFileText(int slot, const std::string& text) {
  if (IsSlot(slot)) MapFileEdits[slot]->setText(QString::fromStdString(text));
}

void SupPage::SetIntFileText(int slot, const std::string& text) {
  if (IsSlot(slot)) IntFileEdits[slot]->setText(QString::fromStdString(text));
}

void SupPage::SetGridCell(int column, int row, const std::string& text) {
  grid_.SetGridCell(column, row, text);
}

std::array<int, 4> SupPage::Slots() const {
  std::array<int, 4> entries{};
  for (int slot = 0; slot < 4; ++slot) entries[slot] = std::clamp(MapIndex(slot), 0, 15);
  return entries;
}

void SupPage::ApplyDefaultMapping() {
  const int maps[4] = {0, 1, 2, 3};
  const int intensities[4] = {0, 15, 15, 15};
  for (int slot = 0; slot < 4; ++slot) {
    SetMapIndex(slot, maps[slot]);
    SetIntIndex(slot, intensities[slot]);
  }
}

void SupPage::ShowFileName(const std::string& name) {
  FileNameSUP->setText(QString::fromStdString(name));
}

void SupPage::ShowSubtitleCount(int count) { SubtitleCountSUP->setText(QString::number(count)); }

QString SupPage::MappingText(const SupMapping& mapping) {
  const auto nibbles = [](int word) {
    if (word < 0) return QString("-");
    QStringList values;
    for (int s = 0; s < 4; ++s) values << QString::number(word >> (4 * s) & 0xF);
    return values.join(' ');
  };
  return QString("%1 / %2 (%3)")
      .arg(nibbles(mapping.colour), nibbles(mapping.contrast))
      .arg(mapping.subtitles);
}

void SupPage::ShowMappings(const std::vector<SupMapping>& mappings) {
  MappingCountSUP->setText(QString::number(mappings.size()));
  MappingListSUP->clear();
  for (const SupMapping& mapping : mappings) MappingListSUP->addItem(MappingText(mapping));
  MappingListSUP->setCurrentIndex(mappings.empty() ? -1 : 0);
  ViewMappingSUP->setEnabled(!mappings.empty());
}
