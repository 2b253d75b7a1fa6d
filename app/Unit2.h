// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window: a bar, an information text and a Cancel button.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TProgressForm : public QDialog {
  Q_OBJECT

 public:
  explicit TProgressForm(QWidget* parent = nullptr);

  QPlainTextEdit* ProgressInfo;
  QProgressBar* ProgressBar;
  QPushButton* ProgressCancel;

 protected:
  void showEvent(QShowEvent* event) override;
  // No close box, and Escape does not close it either: only the work ends a run.
  void reject() override {}

 private slots:
  void FormShow();
  void ProgressCancelClick();
};
