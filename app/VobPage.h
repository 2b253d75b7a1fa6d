// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab: the list of VOB files to scan, the first-subtitle box and the open button.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "app/Dialogs.h"

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class VobPage : public QWidget {
  Q_OBJECT

 public:
  // The page is the tab "VOB File" of `tabs`.
  explicit VobPage(QTabWidget* tabs);

  // Replaces the list with `paths`, in the order given (the caller sorts them).
  void ShowFiles(const std::vector<std::string>& paths);
  void ClearFiles();
  bool FirstOnly() const;

  QListWidget* FileListVOB = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QPushButton* FileOpenVOB = nullptr;
  QCheckBox* FirstSubtitleVOB = nullptr;
  QPushButton* StreamsVOB = nullptr;   // the stream view of the last scan
  QPushButton* RecolourVOB = nullptr;  // recolours the scanned files' subtitles
  FileDialog OpenDialogVOB =
      MakeFileDialog(FileDialogKind::kOpenMany, "VOB files (*.vob)|*.vob", "vob");
};
