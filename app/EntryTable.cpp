// SPDX-License-Identifier: GPL-3.0-or-later
// The entry table: a SUP file with several mappings saved by palette entry, or flattened.
#include "app/EntryTable.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Look.h"

SupEntryTableDialog::SupEntryTableDialog(QWidget* parent, const QString& about)
    : EntryTableDialog(parent, "Save SUP by palette entry") {
  setFont(WindowFont());
  About = new QLabel(about, this);
  About->setWordWrap(true);
  Extra()->addWidget(About);

  QDialogButtonBox* buttons = Buttons();
  buttons->clear();  // the answers below replace OK and Cancel; the choice decides
  SaveByEntry = buttons->addButton("Save by entry", QDialogButtonBox::ActionRole);
  Flatten = buttons->addButton("Flatten to one mapping", QDialogButtonBox::ActionRole);
  Cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  SaveByEntry->setDefault(true);
  const auto answer = [this](EntrySaveChoice choice) {
    choice_ = choice;
    choice == EntrySaveChoice::kCancel ? reject() : accept();
  };
  connect(SaveByEntry, &QPushButton::clicked, this, [answer] { answer(EntrySaveChoice::kEntries); });
  connect(Flatten, &QPushButton::clicked, this, [answer] { answer(EntrySaveChoice::kFlatten); });
  connect(Cancel, &QPushButton::clicked, this, [answer] { answer(EntrySaveChoice::kCancel); });
}

EntrySaveChoice SupEntryTableDialog::Run() {
  choice_ = EntrySaveChoice::kCancel;
  exec();
  return choice_;
}
