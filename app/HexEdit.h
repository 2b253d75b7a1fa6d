// SPDX-License-Identifier: GPL-3.0-or-later
// The hex field of the IFO tab: six letter-or-digit positions shown as three pairs.
#pragma once

#include <QLineEdit>
#include <array>

// A one-line field of six positions, shown "AB CD E_ " with "_" for a position not filled.
// Letters are turned into upper case; only ASCII letters and digits are taken. Text() reads
// the positions without the display blanks; Changed() is raised exactly when the shown text
// changes, whether by typing or by SetText, and may set the text again from its slot.
// Set the text with SetText only: QLineEdit::setText and other edits past the positions are
// undone at once.
class HexEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)

 public:
  static constexpr int kPositions = 6;

  explicit HexEdit(QWidget* parent = nullptr);

  // The six positions: unfilled ones after the last filled one left out, unfilled ones before
  // it read as a blank.
  QString Text() const;
  // Fills the positions from the left with the first six characters; a character that is not
  // a letter or digit leaves its position unfilled.
  void SetText(const QString& text);

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // The display index of position `position` (0-5) and the position at a display index.
  static int DisplayIndex(int position) { return position + position / 2; }

 signals:
  void Changed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  using Positions = std::array<QChar, kPositions>;  // QChar() = unfilled

  static QString Render(const Positions& positions);
  static QChar Accepted(QChar c);
  // The first position at or after display index `cursor`; kPositions when there is none.
  static int PositionAtOrAfter(int cursor);
  // Shows `positions`, puts the cursor at `cursor` and raises Changed() if the text changed.
  void Apply(const Positions& positions, int cursor);
  // Writes the letters and digits of `text` from the cursor on, over a selection if any.
  void Type(const QString& text);
  // Blanks the selected positions; false when nothing is selected.
  bool BlankSelection(Positions& positions, int& cursor) const;
  void OnTextChanged();

  Positions positions_{};
  bool updating_ = false;
  int tag_ = 0;
};
