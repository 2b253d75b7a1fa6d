// SPDX-License-Identifier: GPL-3.0-or-later
// The entry table dialog.
#include "app/EntryTableDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Look.h"

namespace {

QStringList Numbers() {
  QStringList items;
  for (int i = 0; i < 16; ++i) items << QString::number(i);
  return items;
}

}  // namespace

EntryTableDialog::EntryTableDialog(QWidget* parent, const QString& title) : QDialog(parent) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  extra_ = new QVBoxLayout;
  layout->addLayout(extra_);
  // Two columns of eight rows: entry, new entry, contrast.
  auto* grid = new QGridLayout;
  for (int half = 0; half < 2; ++half) {
    grid->addWidget(new QLabel("Entry"), 0, 4 * half);
    grid->addWidget(new QLabel("New entry"), 0, 4 * half + 1);
    grid->addWidget(new QLabel("Contrast"), 0, 4 * half + 2);
  }
  for (int i = 0; i < 16; ++i) {
    const int row = 1 + i % 8;
    const int column = 4 * (i / 8);
    grid->addWidget(new QLabel(TwoDigits(i) + " ->"), row, column);
    NewEntry[i] = new QComboBox;
    NewEntry[i]->addItems(Numbers());
    NewEntry[i]->setObjectName("NewEntry" + TwoDigits(i));
    grid->addWidget(NewEntry[i], row, column + 1);
    Contrast[i] = new QComboBox;
    Contrast[i]->addItem("Keep");
    Contrast[i]->addItems(Numbers());
    Contrast[i]->setObjectName("Contrast" + TwoDigits(i));
    grid->addWidget(Contrast[i], row, column + 2);
  }
  grid->setColumnMinimumWidth(3, 24);
  layout->addLayout(grid);
  auto* reset = new QPushButton("Reset");
  auto* buttons = buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->addButton(reset, QDialogButtonBox::ResetRole);
  connect(reset, &QPushButton::clicked, this, [this] { SetMap(EntryMap()); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  SetMap(EntryMap());
}

void EntryTableDialog::SetMap(const EntryMap& map) {
  for (std::size_t i = 0; i < 16; ++i) {
    NewEntry[i]->setCurrentIndex(map.entry[i]);
    Contrast[i]->setCurrentIndex(map.contrast[i] + 1);  // -1, keep, is the first item
  }
}

EntryMap EntryTableDialog::Map() const {
  EntryMap map;
  for (std::size_t i = 0; i < 16; ++i) {
    map.entry[i] = NewEntry[i]->currentIndex();
    map.contrast[i] = Contrast[i]->currentIndex() - 1;
  }
  return map;
}
