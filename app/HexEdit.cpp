// SPDX-License-Identifier: GPL-3.0-or-later
// The hex field of the IFO tab: six letter-or-digit positions shown as three pairs.
#include "app/HexEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

constexpr QChar kUnfilledMark = u'_';
constexpr int kDisplayLength = 9;  // "AB CD EF " : a blank after each pair

}  // namespace

HexEdit::HexEdit(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(kDisplayLength);
  setAcceptDrops(false);
  setDragEnabled(false);
  // Cut, paste and undo arrive only through the keys handled below.
  setContextMenuPolicy(Qt::NoContextMenu);
  connect(this, &QLineEdit::textChanged, this, &HexEdit::OnTextChanged);
  updating_ = true;
  QLineEdit::setText(Render(positions_));
  updating_ = false;
  setCursorPosition(0);
}

QString HexEdit::Render(const Positions& positions) {
  QString shown;
  for (int i = 0; i < kPositions; ++i) {
    shown += positions[i].isNull() ? kUnfilledMark : positions[i];
    if (i % 2 == 1) shown += u' ';
  }
  return shown;
}

QChar HexEdit::Accepted(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'a' && u <= u'z') return QChar(static_cast<char16_t>(u - u'a' + u'A'));
  if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')) return c;
  return QChar();
}

int HexEdit::PositionAtOrAfter(int cursor) {
  for (int p = 0; p < kPositions; ++p) {
    if (DisplayIndex(p) >= cursor) return p;
  }
  return kPositions;
}

QString HexEdit::Text() const {
  int last = -1;
  for (int p = 0; p < kPositions; ++p) {
    if (!positions_[p].isNull()) last = p;
  }
  QString text;
  for (int p = 0; p <= last; ++p) text += positions_[p].isNull() ? QChar(u' ') : positions_[p];
  return text;
}

void HexEdit::SetText(const QString& text) {
  Positions positions{};
  for (int p = 0; p < kPositions && p < text.size(); ++p) positions[p] = Accepted(text[p]);
  Apply(positions, std::min(cursorPosition(), kDisplayLength));
}

void HexEdit::Apply(const Positions& positions, int cursor) {
  const QString shown = Render(positions);
  const bool changed = shown != QLineEdit::text();
  positions_ = positions;
  if (changed) {
    updating_ = true;
    QLineEdit::setText(shown);
    updating_ = false;
  }
  deselect();
  setCursorPosition(cursor);
  // Last: a slot may set the text again, nested inside this call.
  if (changed) emit Changed();
}

bool HexEdit::BlankSelection(Positions& positions, int& cursor) const {
  if (!hasSelectedText()) return false;
  const int start = selectionStart();
  const int end = start + static_cast<int>(selectedText().size());
  for (int p = 0; p < kPositions; ++p) {
    if (DisplayIndex(p) >= start && DisplayIndex(p) < end) positions[p] = QChar();
  }
  cursor = start;
  return true;
}

void HexEdit::Type(const QString& text) {
  Positions positions = positions_;
  int cursor = cursorPosition();
  BlankSelection(positions, cursor);
  for (const QChar c : text) {
    const QChar accepted = Accepted(c);
    if (accepted.isNull()) continue;  // only letters and digits
    const int p = PositionAtOrAfter(cursor);
    if (p == kPositions) break;
    positions[p] = accepted;
    cursor = p + 1 < kPositions ? DisplayIndex(p + 1) : DisplayIndex(p) + 1;
  }
  Apply(positions, cursor);
}

void HexEdit::keyPressEvent(QKeyEvent* event) {
  if (isReadOnly()) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  Positions positions = positions_;
  int cursor = cursorPosition();
  if (event == QKeySequence::Paste) {
    Type(QApplication::clipboard()->text());
  } else if (event == QKeySequence::Cut) {
    copy();
    if (BlankSelection(positions, cursor)) Apply(positions, cursor);
  } else if (event == QKeySequence::Undo || event == QKeySequence::Redo) {
    // There is no edit history: every change replaces the whole text.
  } else if (event->key() == Qt::Key_Backspace) {
    if (!BlankSelection(positions, cursor)) {
      int p = kPositions - 1;
      while (p >= 0 && DisplayIndex(p) >= cursor) --p;
      if (p >= 0) {
        positions[p] = QChar();
        cursor = DisplayIndex(p);
      }
    }
    Apply(positions, cursor);
  } else if (event->key() == Qt::Key_Delete) {
    if (!BlankSelection(positions, cursor)) {
      const int p = PositionAtOrAfter(cursor);
      if (p < kPositions) {
        positions[p] = QChar();
        cursor = DisplayIndex(p);
      }
    }
    Apply(positions, cursor);
  } else if (!event->text().isEmpty() && event->text()[0].isPrint() &&
             !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
    Type(event->text());
  } else {
    // Moving, selecting, copying, Enter, Tab: the line edit's own handling. Any edit that
    // slips through is undone in OnTextChanged.
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();
}

void HexEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty() && !isReadOnly()) Type(event->commitString());
  event->accept();
}

void HexEdit::OnTextChanged() {
  // Only Apply changes the shown text; anything else (a middle-click paste, an editing key
  // the line edit handles itself) is put back.
  if (updating_) return;
  const QString shown = Render(positions_);
  if (QLineEdit::text() == shown) return;
  updating_ = true;
  QLineEdit::setText(shown);
  updating_ = false;
}
