// The VOB tab: the chosen VOB files are scanned one after another, and the grid's odd columns
// show which palette entries, slots and intensities their subtitles use.
#include <QCheckBox>
#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>

#include "app/Unit1.h"
#include "core/Progress.h"

void TMainForm::FileOpenVOBClick() {
  if (!dialogs_.RunFileDialog(this, OpenDialogVOB)) return;
  std::vector<std::string> paths = OpenDialogVOB.fileNames;
  if (paths.empty() && !OpenDialogVOB.fileName.empty()) paths.push_back(OpenDialogVOB.fileName);

  // The list keeps its entries sorted ignoring letter case, and the files are scanned in the
  // list's order, not in the order they were picked.
  SortVobPaths(paths);
  FileListVOB->clear();
  for (const std::string& path : paths) FileListVOB->addItem(QString::fromStdString(path));

  VobRunResult result;
  try {
    result = RunVobFiles(VobFile, paths, FirstSubtitleVOB->isChecked(), *this);
  } catch (...) {
    // Whatever escaped the scan, the run is over: the file is closed, the progress window
    // hidden and the main window takes input again, and no half-scanned mapping is shown.
    VobFile.Release();
    ProgressEnd();
    FileListVOB->clear();
    VobFile.ClearMapping();
    VobFile.ShowVobGrid(*this);
    throw;
  }
  if (result.emptyList) FileListVOB->clear();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!isEnabled()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}
