// SPDX-License-Identifier: GPL-3.0-or-later
// The window's shared look: title, fonts, widget colours and the builders of its plain controls.
#include "app/Look.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

QFont WindowFont() {
  QFont font(kWindowFontName);
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(kWindowFontPixels);
  return font;
}

void SubstituteWindowFonts() {
  QFont::insertSubstitutions(kWindowFontName, {"Liberation Mono", "DejaVu Sans Mono", "Monospace"});
  QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans", "Sans Serif"});
  QFont::insertSubstitutions("System", {"Liberation Sans", "DejaVu Sans", "Sans Serif"});
}

QString TwoDigits(int number) { return QString("%1").arg(number, 2, 10, QChar('0')); }

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect bounds, Qt::Alignment alignment) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(bounds);
  label->setAlignment(alignment);
  return label;
}

QLineEdit* MakeEdit(QWidget* parent, QRect bounds, const QString& text, bool readOnly,
                    bool enabled) {
  auto* edit = new QLineEdit(text, parent);
  edit->setGeometry(bounds);
  edit->setReadOnly(readOnly);
  edit->setEnabled(enabled);
  return edit;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int left) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
  return button;
}

QComboBox* MakeList(QWidget* parent, QRect bounds, const QStringList& items, int chosen) {
  auto* list = new QComboBox(parent);
  list->setGeometry(bounds);
  list->setEditable(false);
  list->addItems(items);
  list->setMaxVisibleItems(items.size());
  list->setCurrentIndex(chosen);
  return list;
}

QFrame* MakeBevel(QWidget* parent, QRect bounds, bool raised) {
  auto* bevel = new QFrame(parent);
  bevel->setGeometry(bounds);
  bevel->setFrameShape(QFrame::Panel);
  bevel->setFrameShadow(raised ? QFrame::Raised : QFrame::Sunken);
  bevel->lower();
  return bevel;
}

void UseFaceColour(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  widget->setPalette(palette);
}

QPlainTextEdit* MakeNote(QWidget* parent, QRect bounds, const QStringList& lines) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setGeometry(bounds);
  memo->setPlainText(lines.join('\n'));
  memo->setReadOnly(true);
  memo->setEnabled(false);
  UseFaceColour(memo);
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Text, Qt::black);
  memo->setPalette(palette);
  return memo;
}
