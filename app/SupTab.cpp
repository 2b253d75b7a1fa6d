// The SUP tab: the lists and edits the SUP document works with, and the tab's buttons.
#include <QComboBox>
#include <QLineEdit>

#include "app/Unit1.h"

int TMainForm::MapIndex(int slot) const {
  return slot >= 0 && slot < 4 ? MapLists[slot]->currentIndex() : -1;
}

void TMainForm::SetMapIndex(int slot, int index) {
  if (slot >= 0 && slot < 4) MapLists[slot]->setCurrentIndex(index);
}

int TMainForm::IntIndex(int slot) const {
  return slot >= 0 && slot < 4 ? IntLists[slot]->currentIndex() : -1;
}

void TMainForm::SetIntIndex(int slot, int index) {
  if (slot >= 0 && slot < 4) IntLists[slot]->setCurrentIndex(index);
}

void TMainForm::SetMapFileText(int slot, const std::string& text) {
  if (slot >= 0 && slot < 4) MapFileEdits[slot]->setText(QString::fromStdString(text));
}

void TMainForm::SetIntFileText(int slot, const std::string& text) {
  if (slot >= 0 && slot < 4) IntFileEdits[slot]->setText(QString::fromStdString(text));
}

void TMainForm::OpenSUPClick() {
  if (!dialogs_.RunFileDialog(this, OpenDialogSUP)) return;
  const std::string fileName = OpenDialogSUP.fileName;
  if (SupFile.Load(fileName) == -1) {
    FileNameSUP->setText(QString());
    return;
  }
  FileNameSUP->setText(QString::fromStdString(fileName));
  SaveDialogSUP.fileName = fileName;
  SupFile.ShowFileMapping();
  SupFile.ShowSupGrid();
  RenderSample();
  SubtitleCountSUP->setText(QString::number(SupFile.PacketCount()));
  LogMessage(kLogInfo, "SUP file loaded - [%s]", fileName.c_str());
}

void TMainForm::MapAndIntSUPChange() {
  SupFile.ShowSupGrid();
  RenderSample();
}

void TMainForm::DefaultSUPClick() {
  LogMessage(kLogWarning, "WARNING - Default SUP values applied!!!");
  const int maps[4] = {0, 1, 2, 3};
  const int intensities[4] = {0, 15, 15, 15};
  for (int slot = 0; slot < 4; ++slot) {
    SetMapIndex(slot, maps[slot]);
    SetIntIndex(slot, intensities[slot]);
  }
  SupFile.ShowSupGrid();
  RenderSample();
}

void TMainForm::RestoreSUPClick() {
  if (!SupFile.HasData()) return;
  LogMessage(kLogWarning, "WARNING - SUP values restored from file!!!");
  SupFile.ShowFileMapping();
  SupFile.ShowSupGrid();
  RenderSample();
}

void TMainForm::SaveSUPClick() {
  if (!SupFile.HasData()) {
    LogMessage(kLogError, "ERROR - Can't save no SUP file loaded!!!");
    return;
  }
  if (!dialogs_.RunFileDialog(this, SaveDialogSUP)) return;
  const std::string fileName = SaveDialogSUP.fileName;
  FileNameSUP->setText(QString::fromStdString(fileName));
  SupFile.Save(fileName);  // logs its own success or failure
}
