// SPDX-License-Identifier: GPL-3.0-or-later
// The disc work's dialogs: the recolour dialog is the entry table with the stream and the
// target above it.
#include "app/DiscDialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/EntryTableDialog.h"

bool QtDiscDialogs::RunRecolourDialog(QWidget* parent, RecolourRequest& request) {
  EntryTableDialog dialog(parent, "Recolour VOB subtitles");
  auto* streamRow = new QHBoxLayout;
  streamRow->addWidget(new QLabel("Stream:"));
  auto* stream = new QComboBox;
  stream->addItem("every stream", -1);
  for (int s : request.streams) stream->addItem(QString("stream %1").arg(s), s);
  stream->setCurrentIndex(std::max(0, stream->findData(request.stream)));
  streamRow->addWidget(stream);
  streamRow->addStretch();
  dialog.Extra()->addLayout(streamRow);

  auto* inPlace = new QRadioButton("Recolour the scanned files in place");
  auto* copies = new QRadioButton("Write recoloured copies into the folder:");
  auto* folderRow = new QHBoxLayout;
  auto* folder = new QLineEdit(QString::fromStdString(request.folder));
  auto* browse = new QPushButton("Browse...");
  folderRow->addWidget(folder);
  folderRow->addWidget(browse);
  (request.folder.empty() ? inPlace : copies)->setChecked(true);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    const QString chosen = QFileDialog::getExistingDirectory(&dialog, "Folder for the copies",
                                                             folder->text());
    if (!chosen.isEmpty()) {
      folder->setText(chosen);
      copies->setChecked(true);
    }
  });
  dialog.Extra()->addWidget(inPlace);
  dialog.Extra()->addWidget(copies);
  dialog.Extra()->addLayout(folderRow);
  dialog.SetMap(request.map);

  if (dialog.exec() != QDialog::Accepted) return false;
  if (copies->isChecked() && folder->text().isEmpty()) {
    QMessageBox::warning(parent, "Recolour VOB subtitles", "No folder chosen for the copies.");
    return false;
  }
  request.stream = stream->currentData().toInt();
  request.map = dialog.Map();
  request.folder = copies->isChecked() ? folder->text().toStdString() : std::string();
  return true;
}

bool QtDiscDialogs::Confirm(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}
