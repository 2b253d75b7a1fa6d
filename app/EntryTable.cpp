// SPDX-License-Identifier: GPL-3.0-or-later
// The entry table: a SUP file with several mappings saved by palette entry, or flattened.
#include "app/EntryTable.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Look.h"

EntryTableDialog::EntryTableDialog(QWidget* parent, const QString& about) : QDialog(parent) {
  setWindowTitle("Save SUP by palette entry");
  setFont(WindowFont());
  auto* layout = new QVBoxLayout(this);
  About = new QLabel(about, this);
  About->setWordWrap(true);
  layout->addWidget(About);

  // Two columns of eight rows, entries 0-7 on the left, as the IFO tab shows the palette.
  auto* grid = new QGridLayout;
  QStringList entries;
  for (int i = 0; i < 16; ++i) entries << TwoDigits(i);
  QStringList contrasts{"Keep"};
  for (int i = 0; i < 16; ++i) contrasts << QString::number(i);
  for (int column = 0; column < 2; ++column) {
    const int x = column * 5;
    grid->addWidget(new QLabel("Entry", this), 0, x);
    grid->addWidget(new QLabel("New entry", this), 0, x + 2);
    grid->addWidget(new QLabel("Contrast", this), 0, x + 3);
  }
  for (int i = 0; i < 16; ++i) {
    const int row = 1 + i % 8;
    const int x = (i / 8) * 5;
    NewEntry[i] = new QComboBox(this);
    NewEntry[i]->addItems(entries);
    NewEntry[i]->setMaxVisibleItems(16);
    Contrast[i] = new QComboBox(this);
    Contrast[i]->addItems(contrasts);
    Contrast[i]->setMaxVisibleItems(17);
    grid->addWidget(new QLabel(TwoDigits(i), this), row, x);
    grid->addWidget(new QLabel("->", this), row, x + 1);
    grid->addWidget(NewEntry[i], row, x + 2);
    grid->addWidget(Contrast[i], row, x + 3);
  }
  grid->setColumnMinimumWidth(4, 24);
  layout->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  SaveByEntry = new QPushButton("Save by entry", this);
  Flatten = new QPushButton("Flatten to one mapping", this);
  Cancel = new QPushButton("Cancel", this);
  SaveByEntry->setDefault(true);
  buttons->addWidget(SaveByEntry);
  buttons->addWidget(Flatten);
  buttons->addStretch();
  buttons->addWidget(Cancel);
  layout->addLayout(buttons);
  const auto answer = [this](EntrySaveChoice choice) {
    choice_ = choice;
    choice == EntrySaveChoice::kCancel ? reject() : accept();
  };
  connect(SaveByEntry, &QPushButton::clicked, this, [answer] { answer(EntrySaveChoice::kEntries); });
  connect(Flatten, &QPushButton::clicked, this, [answer] { answer(EntrySaveChoice::kFlatten); });
  connect(Cancel, &QPushButton::clicked, this, [answer] { answer(EntrySaveChoice::kCancel); });
}

void EntryTableDialog::SetMap(const EntryMap& map) {
  for (int i = 0; i < 16; ++i) {
    NewEntry[i]->setCurrentIndex(map.entry[i] & 0xF);
    Contrast[i]->setCurrentIndex(map.contrast[i] < 0 ? 0 : 1 + (map.contrast[i] & 0xF));
  }
}

EntryMap EntryTableDialog::Map() const {
  EntryMap map;
  for (int i = 0; i < 16; ++i) {
    map.entry[i] = NewEntry[i]->currentIndex();
    map.contrast[i] = Contrast[i]->currentIndex() - 1;  // "Keep" is -1
  }
  return map;
}

EntrySaveChoice EntryTableDialog::Run() {
  choice_ = EntrySaveChoice::kCancel;
  exec();
  return choice_;
}
