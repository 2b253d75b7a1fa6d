// SPDX-License-Identifier: GPL-3.0-or-later
// The file, colour and font dialogs as Qt shows them.
#include "app/Dialogs.h"

#include "app/EntryTable.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QStringList>

std::string QtFilterText(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList lines;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i];
    QString pattern = parts[i + 1];
    pattern.replace(';', ' ');
    // Qt reads the patterns from the parentheses; add them when the description lacks them.
    lines << (description.contains("(" + pattern + ")") ? description
                                                       : description + " (" + pattern + ")");
  }
  return lines.join(";;").toStdString();
}

std::string ChosenFolder(const FileDialog& dialog) {
  if (dialog.fileName.empty()) return {};
  return QFileInfo(QString::fromStdString(dialog.fileName)).absolutePath().toStdString();
}

std::string ProposedSaveName(const std::string& opened, const FileDialog& save) {
  const QString folder = QString::fromStdString(save.folder);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return opened;
  const QString name = QFileInfo(QString::fromStdString(opened)).fileName();
  return QDir(folder).filePath(name).toStdString();
}

bool QtDialogs::RunFileDialog(QWidget* parent, FileDialog& dialog) {
  QFileDialog box(parent);
  box.setNameFilter(QString::fromStdString(QtFilterText(dialog.filter)));
  box.setDefaultSuffix(QString::fromStdString(dialog.defaultExt));
  switch (dialog.kind) {
    case FileDialogKind::kOpen:
      box.setAcceptMode(QFileDialog::AcceptOpen);
      box.setFileMode(QFileDialog::ExistingFile);
      break;
    case FileDialogKind::kOpenMany:
      box.setAcceptMode(QFileDialog::AcceptOpen);
      box.setFileMode(QFileDialog::ExistingFiles);
      break;
    case FileDialogKind::kSave:
      box.setAcceptMode(QFileDialog::AcceptSave);
      box.setFileMode(QFileDialog::AnyFile);  // Qt asks before overwriting
      break;
  }
  if (!dialog.folder.empty()) box.setDirectory(QString::fromStdString(dialog.folder));
  // A proposed name with a folder of its own opens there.
  if (!dialog.fileName.empty()) box.selectFile(QString::fromStdString(dialog.fileName));
  if (box.exec() != QDialog::Accepted) return false;
  const QStringList chosen = box.selectedFiles();
  if (chosen.isEmpty()) return false;
  dialog.fileNames.clear();
  for (const QString& name : chosen) dialog.fileNames.push_back(name.toStdString());
  dialog.fileName = dialog.fileNames.front();
  return true;
}

bool QtDialogs::RunColourDialog(QWidget* parent, QColor& colour) {
  // Solid colours only: no alpha channel; the custom colours are always shown.
  const QColor picked = QColorDialog::getColor(colour, parent);
  if (!picked.isValid()) return false;
  colour = picked;
  return true;
}

bool QtDialogs::RunFontDialog(QWidget* parent, QFont& font) {
  // Offered a family it does not list (a substituted "Arial"), the dialog picks some other
  // face of its own; open it on the installed family the font is drawn with instead.
  QFont shown = font;
  shown.setFamily(QFontInfo(font).family());
  bool confirmed = false;
  const QFont chosen =
      QFontDialog::getFont(&confirmed, shown, parent, QString(), QFontDialog::ScalableFonts);
  if (confirmed) font = chosen;
  return confirmed;
}

EntrySaveChoice QtDialogs::RunEntryTable(QWidget* parent, EntryMap& map, const QString& about) {
  SupEntryTableDialog box(parent, about);
  box.SetMap(map);
  const EntrySaveChoice choice = box.Run();
  if (choice == EntrySaveChoice::kEntries) map = box.Map();
  return choice;
}

SaveAnswer QtDialogs::AskSaveChanges(QWidget* parent, const QString& question) {
  const auto button = QMessageBox::question(
      parent, parent != nullptr ? parent->windowTitle() : QString(), question,
      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  return button == QMessageBox::Save      ? SaveAnswer::kSave
         : button == QMessageBox::Discard ? SaveAnswer::kDiscard
                                          : SaveAnswer::kCancel;
}
