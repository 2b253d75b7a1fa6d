// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the window's dialogs: answers queued by a test, no modal loop.
#include "tests/support/app/ScriptedDialogs.h"

bool ScriptedDialogs::RunFileDialog(QWidget*, FileDialog& dialog) {
  ++fileRuns;
  lastFileDialog = dialog;
  if (fileAnswers.empty()) return false;
  const auto answer = fileAnswers.front();
  fileAnswers.pop_front();
  if (!answer || answer->empty()) return false;
  dialog.fileNames = *answer;
  dialog.fileName = answer->front();
  return true;
}

bool ScriptedDialogs::RunColourDialog(QWidget*, QColor& colour) {
  ++colourRuns;
  lastColour = colour;
  if (colourAnswers.empty()) return false;
  const auto answer = colourAnswers.front();
  colourAnswers.pop_front();
  if (!answer) return false;
  colour = *answer;
  return true;
}

bool ScriptedDialogs::RunFontDialog(QWidget*, QFont& font) {
  ++fontRuns;
  lastFont = font;
  if (fontAnswers.empty()) return false;
  const auto answer = fontAnswers.front();
  fontAnswers.pop_front();
  if (!answer) return false;
  font = *answer;
  return true;
}

EntrySaveChoice ScriptedDialogs::RunEntryTable(QWidget*, EntryMap& map, const QString&) {
  ++entryTableRuns;
  lastEntryMap = map;
  if (entryTableAnswers.empty()) return EntrySaveChoice::kCancel;
  const auto [choice, answer] = entryTableAnswers.front();
  entryTableAnswers.pop_front();
  if (answer) map = *answer;
  return choice;
}

SaveAnswer ScriptedDialogs::AskSaveChanges(QWidget*, const QString& question) {
  ++saveQuestions;
  lastQuestion = question;
  if (saveAnswers.empty()) return SaveAnswer::kCancel;
  const SaveAnswer answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}
