// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the window's dialogs: answers queued by a test, no modal loop.
#pragma once

#include <QColor>
#include <QFont>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/Dialogs.h"

// Dialogs answered from queues filled beforehand: no modal loop. An empty queue (or an empty
// answer) cancels. Every run is counted and the dialog it was asked with is kept.
class ScriptedDialogs : public Dialogs {
 public:
  bool RunFileDialog(QWidget* parent, FileDialog& dialog) override;
  bool RunColourDialog(QWidget* parent, QColor& colour) override;
  bool RunFontDialog(QWidget* parent, QFont& font) override;

  std::deque<std::optional<std::vector<std::string>>> fileAnswers;
  std::deque<std::optional<QColor>> colourAnswers;
  std::deque<std::optional<QFont>> fontAnswers;

  int fileRuns = 0;
  int colourRuns = 0;
  int fontRuns = 0;
  FileDialog lastFileDialog;  // as it was when the last file dialog was run
  QFont lastFont;             // the font the last font dialog was opened with
  QColor lastColour;          // the colour the last colour dialog was opened with

  // Shorthands: answer the next file dialog with one name, or cancel it.
  void AnswerFile(const std::string& name) {
    fileAnswers.push_back(std::vector<std::string>{name});
  }
  void CancelFile() { fileAnswers.push_back(std::nullopt); }
};
