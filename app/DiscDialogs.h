// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs of the disc work (the VOB recolour and its confirmation) behind one interface, so
// tests can answer them.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/EntryRemap.h"

class QWidget;

// What the recolour dialog offers and what the user chose.
struct RecolourRequest {
  std::vector<int> streams;  // offered: the streams the scan found subtitles in
  int stream = -1;           // chosen: 0-31, or -1 for every stream
  EntryMap map;              // chosen: the entry table
  std::string folder;        // chosen: where the copies go; empty to recolour in place
};

class DiscDialogs {
 public:
  virtual ~DiscDialogs() = default;
  // Runs the recolour dialog on `request`; true when the user confirmed it.
  virtual bool RunRecolourDialog(QWidget* parent, RecolourRequest& request) = 0;
  // Asks a yes/no question; true for yes.
  virtual bool Confirm(QWidget* parent, const QString& title, const QString& text) = 0;
};

// The real dialogs, each modal.
class QtDiscDialogs : public DiscDialogs {
 public:
  bool RunRecolourDialog(QWidget* parent, RecolourRequest& request) override;
  bool Confirm(QWidget* parent, const QString& title, const QString& text) override;
};
