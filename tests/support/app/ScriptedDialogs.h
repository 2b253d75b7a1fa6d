// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the window's dialogs: answers queued by a test, no modal loop.
#pragma once

#include <QColor>
#include <QFont>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Dialogs.h"

// Dialogs answered from queues filled beforehand: no modal loop. An empty queue (or an empty
// answer) cancels. Every run is counted and the dialog it was asked with is kept.
class ScriptedDialogs : public Dialogs {
 public:
  bool RunFileDialog(QWidget* parent, FileDialog& dialog) override;
  bool RunColourDialog(QWidget* parent, QColor& colour) override;
  bool RunFontDialog(QWidget* parent, QFont& font) override;
  EntrySaveChoice RunEntryTable(QWidget* parent, EntryMap& map, const QString& about) override;
  SaveAnswer AskSaveChanges(QWidget* parent, const QString& question) override;

  std::deque<std::optional<std::vector<std::string>>> fileAnswers;
  std::deque<std::optional<QColor>> colourAnswers;
  std::deque<std::optional<QFont>> fontAnswers;

  // The entry table: the choice, and the map it returns (the one offered when none is given).
  std::deque<std::pair<EntrySaveChoice, std::optional<EntryMap>>> entryTableAnswers;
  std::deque<SaveAnswer> saveAnswers;  // an empty queue cancels

  int fileRuns = 0;
  int entryTableRuns = 0;
  int saveQuestions = 0;
  EntryMap lastEntryMap;  // the map the last entry table was offered
  QString lastQuestion;
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
