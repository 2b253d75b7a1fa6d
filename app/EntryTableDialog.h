// SPDX-License-Identifier: GPL-3.0-or-later
// The entry table: for each of the sixteen palette entries, the entry it becomes and the
// contrast its pixels get, as a dialog that other dialogs can extend with controls of their own.
#pragma once

#include <QDialog>
#include <array>

#include "core/EntryRemap.h"

class QComboBox;
class QDialogButtonBox;
class QVBoxLayout;

class EntryTableDialog : public QDialog {
  Q_OBJECT

 public:
  EntryTableDialog(QWidget* parent, const QString& title);

  // Shows `map` in the table; Map() reads the table back.
  void SetMap(const EntryMap& map);
  EntryMap Map() const;
  // Where a caller adds its own controls, above the table.
  QVBoxLayout* Extra() { return extra_; }
  // The dialog's buttons (OK, Cancel, Reset), for a caller that answers with others.
  QDialogButtonBox* Buttons() { return buttons_; }

  // Row i: the new entry ("0"-"15") and the contrast ("Keep", "0"-"15") of entry i.
  std::array<QComboBox*, 16> NewEntry{};
  std::array<QComboBox*, 16> Contrast{};

 private:
  QVBoxLayout* extra_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};
