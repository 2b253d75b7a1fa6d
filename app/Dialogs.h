// SPDX-License-Identifier: GPL-3.0-or-later
// The file, colour and font dialogs behind one interface, so tests can answer them.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <vector>

#include "core/EntryRemap.h"

class QWidget;

enum class FileDialogKind { kOpen, kOpenMany, kSave };

// One file dialog as the window keeps it: its kind, filter, default extension, the folder it
// opens in, and the file name it proposes and returns (several names for a multi-select open).
struct FileDialog {
  FileDialogKind kind = FileDialogKind::kOpen;
  std::string filter;      // "Description|pattern" pairs, e.g. "SUP files (*.sup)|*.sup"
  std::string defaultExt;  // without the dot
  std::string fileName;
  std::vector<std::string> fileNames;
  std::string folder;  // where it opens when the proposed name names no folder
};

inline FileDialog MakeFileDialog(FileDialogKind kind, std::string filter, std::string defaultExt) {
  FileDialog dialog;
  dialog.kind = kind;
  dialog.filter = std::move(filter);
  dialog.defaultExt = std::move(defaultExt);
  return dialog;
}

// The folder of the file a confirmed dialog returned (the first of several); empty when none.
std::string ChosenFolder(const FileDialog& dialog);

// The name a save dialog proposes for a file just opened: the same name in the dialog's
// folder when it has one that still exists, else the opened file itself.
std::string ProposedSaveName(const std::string& opened, const FileDialog& save);

// The filter in Qt's form: one "Description (pattern)" line per pair.
std::string QtFilterText(const std::string& filter);

// What Save does with a SUP file whose subtitles carry more than one mapping.
enum class EntrySaveChoice { kCancel, kEntries, kFlatten };
// The answer to a question whether to save a changed file first.
enum class SaveAnswer { kSave, kDiscard, kCancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Runs the file dialog; true when the user confirmed a file (its name is then in the dialog).
  virtual bool RunFileDialog(QWidget* parent, FileDialog& dialog) = 0;
  // Runs the colour dialog on `colour`; true and the picked colour when confirmed.
  virtual bool RunColourDialog(QWidget* parent, QColor& colour) = 0;
  // Runs the font dialog on the installed font `font` resolves to; true and the chosen font
  // when confirmed.
  virtual bool RunFontDialog(QWidget* parent, QFont& font) = 0;
  // Runs the entry table on `map` with `about` above it; on kEntries the map is as edited.
  virtual EntrySaveChoice RunEntryTable(QWidget* parent, EntryMap& map, const QString& about) = 0;
  // Asks `question` with the answers Save, Discard and Cancel.
  virtual SaveAnswer AskSaveChanges(QWidget* parent, const QString& question) = 0;
};

// The real dialogs: QFileDialog, QColorDialog, QFontDialog, each modal.
class QtDialogs : public Dialogs {
 public:
  bool RunFileDialog(QWidget* parent, FileDialog& dialog) override;
  bool RunColourDialog(QWidget* parent, QColor& colour) override;
  bool RunFontDialog(QWidget* parent, QFont& font) override;
  EntrySaveChoice RunEntryTable(QWidget* parent, EntryMap& map, const QString& about) override;
  SaveAnswer AskSaveChanges(QWidget* parent, const QString& question) override;
};
