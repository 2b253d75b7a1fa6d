// SPDX-License-Identifier: GPL-3.0-or-later
// The entry table: a SUP file with several mappings saved by palette entry, or flattened.
#pragma once

#include "app/Dialogs.h"
#include "app/EntryTableDialog.h"

class QLabel;
class QPushButton;

// The shared entry table (entry -> new entry, and the contrast its pixels get; "Keep" leaves
// each subtitle's own) answered with "Save by entry", which keeps every subtitle's structure,
// or "Flatten", which gives every subtitle the tab's one mapping as Save does for a file with
// one mapping.
class SupEntryTableDialog : public EntryTableDialog {
  Q_OBJECT

 public:
  SupEntryTableDialog(QWidget* parent, const QString& about);

  // Shows the dialog modally and returns the button pressed (kCancel when closed).
  EntrySaveChoice Run();

  QLabel* About = nullptr;
  QPushButton* SaveByEntry = nullptr;
  QPushButton* Flatten = nullptr;
  QPushButton* Cancel = nullptr;

 private:
  EntrySaveChoice choice_ = EntrySaveChoice::kCancel;
};
