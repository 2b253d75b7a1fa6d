// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window: a bar, an information text and a Cancel button.
#include "app/Unit2.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "app/Look.h"
#include "core/Progress.h"

TProgressForm::TProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("ProgressForm");
  setWindowTitle("Progress");
  setModal(false);
  setFixedSize(479, 187);
  setFont(WindowFont());

  ProgressInfo = new QPlainTextEdit(this);
  ProgressInfo->setObjectName("ProgressInfo");
  ProgressInfo->setGeometry(8, 8, 465, 49);
  ProgressInfo->setEnabled(false);
  ProgressInfo->setReadOnly(true);
  ProgressInfo->setPlainText(
      "Your action is in progress. Click on [Cancel] to \nterminate the process.");
  ProgressInfo->setBackgroundRole(QPalette::Button);

  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setGeometry(8, 72, 465, 33);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);

  ProgressCancel = new QPushButton("Cancel", this);
  ProgressCancel->setObjectName("ProgressCancel");
  ProgressCancel->setGeometry(176, 120, 129, 57);
  ProgressCancel->setFont(WindowFont());
  ProgressCancel->setAutoDefault(false);
  connect(ProgressCancel, &QPushButton::clicked, this, &TProgressForm::ProgressCancelClick);
}

void TProgressForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TProgressForm::FormShow() { setWindowTitle(kProgramTitle); }

void TProgressForm::ProgressCancelClick() { RequestCancel(); }
