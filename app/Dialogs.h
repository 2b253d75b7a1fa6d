// The file, colour and font dialogs behind one interface, so tests can answer them.
#pragma once

#include <QColor>
#include <QFont>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

enum class FileDialogKind { kOpen, kOpenMany, kSave };

// One file dialog as the window keeps it: its kind, filter, default extension and the file name
// it proposes and returns (several names for a multi-select open).
struct FileDialog {
  FileDialogKind kind = FileDialogKind::kOpen;
  std::string filter;      // "Description|pattern" pairs, e.g. "SUP files (*.sup)|*.sup"
  std::string defaultExt;  // without the dot
  std::string fileName;
  std::vector<std::string> fileNames;
};

// The filter in Qt's form: one "Description (pattern)" line per pair.
std::string QtFilterText(const std::string& filter);

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
};

// The real dialogs: QFileDialog, QColorDialog, QFontDialog, each modal.
class QtDialogs : public Dialogs {
 public:
  bool RunFileDialog(QWidget* parent, FileDialog& dialog) override;
  bool RunColourDialog(QWidget* parent, QColor& colour) override;
  bool RunFontDialog(QWidget* parent, QFont& font) override;
};

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
  void AnswerFile(const std::string& name) { fileAnswers.push_back(std::vector<std::string>{name}); }
  void CancelFile() { fileAnswers.push_back(std::nullopt); }
};
