// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the disc work's dialogs: answers set by a test, no modal loop.
#pragma once

#include <optional>

#include "app/DiscDialogs.h"

class ScriptedDiscDialogs : public DiscDialogs {
 public:
  // Answers with `recolour` (no answer cancels), keeping what was offered.
  bool RunRecolourDialog(QWidget*, RecolourRequest& request) override {
    ++recolourRuns;
    offered = request.streams;
    if (!recolour) return false;
    request.stream = recolour->stream;
    request.map = recolour->map;
    request.folder = recolour->folder;
    return true;
  }
  bool Confirm(QWidget*, const QString&, const QString& text) override {
    ++confirmRuns;
    question = text;
    return confirm;
  }

  std::optional<RecolourRequest> recolour;
  bool confirm = true;
  int recolourRuns = 0;
  int confirmRuns = 0;
  std::vector<int> offered;
  QString question;
};
