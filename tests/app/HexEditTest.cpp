// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO tab's hex field: what it shows, what it reads back, and when it reports a change.
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include "app/HexEdit.h"

namespace {

// What the IFO tab does on a change: a short text becomes FF FF FF, every character that is
// not an upper-case hex digit becomes F.
QString Canonical(const QString& text) {
  if (text.size() < 6) return QString(24, u'F');
  QString out;
  for (int i = 0; i < 6; ++i) {
    const QChar c = text[i];
    out += ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) ? c : QChar(u'F');
  }
  return out;
}

}  // namespace

class HexEditTest : public QObject {
  Q_OBJECT

 private slots:
  void StartsEmpty() {
    HexEdit edit;
    QCOMPARE(edit.displayText(), QString("__ __ __ "));
    QCOMPARE(edit.Text(), QString());
  }

  void SetTextFillsFromTheLeftAndRaisesChangedOnlyForANewText() {
    HexEdit edit;
    QSignalSpy spy(&edit, &HexEdit::Changed);
    edit.SetText("12ab9c");
    QCOMPARE(edit.displayText(), QString("12 AB 9C "));
    QCOMPARE(edit.Text(), QString("12AB9C"));
    QCOMPARE(spy.count(), 1);
    edit.SetText("12AB9C");
    edit.SetText("12ab9C77");  // same shown text: lower case and extra characters count for nothing
    QCOMPARE(spy.count(), 1);
    edit.SetText(QString(24, u'F'));
    QCOMPARE(edit.displayText(), QString("FF FF FF "));
    QCOMPARE(spy.count(), 2);
    edit.SetText("1 3");
    QCOMPARE(edit.displayText(), QString("1_ 3_ __ "));
    QCOMPARE(edit.Text(), QString("1 3"));  // an inner unfilled position reads as a blank
    edit.SetText("-x\u00e9Z");
    QCOMPARE(edit.displayText(), QString("_X _Z __ "));  // only ASCII letters and digits
    QCOMPARE(edit.Text(), QString(" X Z"));
    edit.SetText("");
    QCOMPARE(edit.Text(), QString());
    QCOMPARE(spy.count(), 5);
  }

  void TypingFillsPositionsAndIgnoresOtherCharacters() {
    HexEdit edit;
    edit.show();
    edit.setFocus();
    QSignalSpy spy(&edit, &HexEdit::Changed);
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, "a-");
    QCOMPARE(edit.Text(), QString("A"));
    QCOMPARE(spy.count(), 1);
    QTest::keyClicks(&edit, "b 1c2.dZ9");  // the seventh character has no position
    QCOMPARE(edit.displayText(), QString("AB 1C 2D "));
    QCOMPARE(spy.count(), 6);
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);  // no undo history to return to
    QCOMPARE(edit.Text(), QString("AB1C2D"));
  }

  void BackspaceAndDeleteBlankPositions() {
    HexEdit edit;
    edit.show();
    edit.setFocus();
    edit.SetText("AB1C2D");
    QSignalSpy spy(&edit, &HexEdit::Changed);
    edit.setCursorPosition(edit.maxLength());
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.Text(), QString("AB1C2"));  // the last position, a trailing blank, is dropped
    QCOMPARE(edit.cursorPosition(), HexEdit::DisplayIndex(5));
    edit.setCursorPosition(HexEdit::DisplayIndex(2));
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.Text(), QString("AB C2"));
    QCOMPARE(edit.displayText(), QString("AB _C 2_ "));
    QTest::keyClick(&edit, Qt::Key_Backspace);  // across the display blank into position 1
    QCOMPARE(edit.Text(), QString("A  C2"));
    QCOMPARE(spy.count(), 3);
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_Backspace);  // nothing before the first position
    QCOMPARE(spy.count(), 3);
    edit.setSelection(0, 5);  // display "A_ _C": positions 0-3
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.displayText(), QString("__ __ 2_ "));
    QCOMPARE(edit.Text(), QString("    2"));
    edit.setSelection(6, 3);
    QTest::keyClicks(&edit, "f");
    QCOMPARE(edit.Text(), QString("    F"));
  }

  void PasteTakesLettersAndDigitsFromTheCursor() {
    HexEdit edit;
    edit.show();
    edit.setFocus();
    edit.SetText("000000");
    QApplication::clipboard()->setText("ab-12 x");
    if (QApplication::clipboard()->text() != "ab-12 x") QSKIP("no clipboard on this platform");
    edit.setCursorPosition(HexEdit::DisplayIndex(1));
    QTest::keySequence(&edit, QKeySequence::Paste);
    QCOMPARE(edit.Text(), QString("0AB12X"));
  }

  void EditsThatBypassThePositionsAreUndone() {
    HexEdit edit;
    edit.SetText("123456");
    QSignalSpy spy(&edit, &HexEdit::Changed);
    static_cast<QLineEdit&>(edit).setText("zz");
    QCOMPARE(edit.displayText(), QString("12 34 56 "));
    QCOMPARE(spy.count(), 0);
  }

  // The tab rewrites the field from inside the change event; each write that changes the text
  // raises the event once more, nested, and the field is handled at most twice.
  void ReentrantRewriteFromTheChangeSlot() {
    HexEdit edit;
    edit.show();
    edit.setFocus();
    QStringList seen;
    QObject::connect(&edit, &HexEdit::Changed, &edit, [&edit, &seen] {
      seen << edit.Text();
      edit.SetText(Canonical(edit.Text()));
    });
    QTest::keyClicks(&edit, "1");
    QCOMPARE(seen, QStringList({"1", "FFFFFF"}));
    QCOMPARE(edit.displayText(), QString("FF FF FF "));

    seen.clear();
    edit.SetText("12AB9C");
    QCOMPARE(seen, QStringList({"12AB9C"}));  // already canonical: no second run

    seen.clear();
    edit.setCursorPosition(HexEdit::DisplayIndex(2));
    QTest::keyClicks(&edit, "g");
    QCOMPARE(seen, QStringList({"12GB9C", "12FB9C"}));
    QCOMPARE(edit.Text(), QString("12FB9C"));

    seen.clear();
    edit.setCursorPosition(HexEdit::DisplayIndex(3));
    QTest::keyClick(&edit, Qt::Key_Delete);  // a blanked middle position becomes F
    QCOMPARE(seen, QStringList({"12F 9C", "12FF9C"}));

    seen.clear();
    edit.setCursorPosition(edit.maxLength());
    QTest::keyClick(&edit, Qt::Key_Backspace);  // deleting the last character
    QCOMPARE(seen, QStringList({"12FF9", "FFFFFF"}));
    QCOMPARE(edit.displayText(), QString("FF FF FF "));
  }

  void TagProperty() {
    HexEdit edit;
    QCOMPARE(edit.Tag(), 0);
    QVERIFY(edit.setProperty("Tag", 11));
    QCOMPARE(edit.Tag(), 11);
    edit.SetTag(3);
    QCOMPARE(edit.property("Tag").toInt(), 3);
  }
};

QTEST_MAIN(HexEditTest)
#include "HexEditTest.moc"
