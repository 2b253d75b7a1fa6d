// The progress window: a bar, an information text and a Cancel button.
#include "app/Unit2.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "core/Progress.h"

namespace {

QFont FixedsysFont() {
  QFont font("Fixedsys");
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(12);
  return font;
}

}  // namespace

TProgressForm::TProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("ProgressForm");
  setWindowTitle("Progress");
  setModal(false);
  setFixedSize(479, 187);
  setFont(FixedsysFont());

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
  ProgressCancel->setFont(FixedsysFont());
  ProgressCancel->setAutoDefault(false);
  connect(ProgressCancel, &QPushButton::clicked, this, &TProgressForm::ProgressCancelClick);
}

void TProgressForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TProgressForm::FormShow() { setWindowTitle("VELMORAN a4.04"); }

void TProgressForm::ProgressCancelClick() { RequestCancel(); }
