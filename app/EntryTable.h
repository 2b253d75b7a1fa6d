// SPDX-License-Identifier: GPL-3.0-or-later
// The entry table: a SUP file with several mappings saved by palette entry, or flattened.
#pragma once

#include <QDialog>
#include <array>

#include "app/Dialogs.h"
#include "core/EntryRemap.h"

class QComboBox;
class QLabel;
class QPushButton;

// Sixteen rows, entry -> new entry and the contrast its pixels get ("Keep" leaves each
// subtitle's own). "Save by entry" keeps every subtitle's structure; "Flatten" gives every
// subtitle the tab's one mapping, as Save does for a file with one mapping.
class EntryTableDialog : public QDialog {
  Q_OBJECT

 public:
  EntryTableDialog(QWidget* parent, const QString& about);

  void SetMap(const EntryMap& map);
  EntryMap Map() const;
  // Shows the dialog modally and returns the button pressed (kCancel when closed).
  EntrySaveChoice Run();

  QLabel* About = nullptr;
  std::array<QComboBox*, 16> NewEntry{};
  std::array<QComboBox*, 16> Contrast{};  // item 0 "Keep", then 0-15
  QPushButton* SaveByEntry = nullptr;
  QPushButton* Flatten = nullptr;
  QPushButton* Cancel = nullptr;

 private:
  EntrySaveChoice choice_ = EntrySaveChoice::kCancel;
};
