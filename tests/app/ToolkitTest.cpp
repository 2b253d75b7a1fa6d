// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit behaviour the window relies on: list picks, check boxes, spin fields, the dialog
// seam, the owner-drawn grid and the see-through preview display.
#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <vector>

#include "app/PaletteGrid.h"
#include "app/SampleView.h"
#include "tests/support/app/ScriptedDialogs.h"

class ToolkitTest : public QObject {
  Q_OBJECT

 private slots:
  void ListReportsOnlyTheUsersPick() {
    QComboBox list;
    list.addItems({"0", "1", "2", "3"});
    list.show();
    list.setFocus();
    QSignalSpy picks(&list, &QComboBox::activated);
    list.setCurrentIndex(2);  // from code: no pick
    list.setCurrentIndex(-1);
    QCOMPARE(picks.count(), 0);
    QCOMPARE(list.currentIndex(), -1);
    list.setCurrentIndex(1);
    QTest::keyClick(&list, Qt::Key_Down);  // the user steps to the next item
    QCOMPARE(picks.count(), 1);
    QCOMPARE(picks.at(0).at(0).toInt(), 2);
    QCOMPARE(list.currentIndex(), 2);
  }

  void CheckBoxReportsChangesFromCodeToo() {
    QCheckBox box;
    QSignalSpy changes(&box, &QCheckBox::toggled);
    box.setChecked(true);
    box.setChecked(true);  // no change, no report
    box.setChecked(false);
    QCOMPARE(changes.count(), 2);
  }

  void SpinFieldKeepsZeroToTenAndReportsChanges() {
    QSpinBox field;
    field.setRange(0, 10);
    field.setValue(7);
    QSignalSpy changes(&field, &QSpinBox::valueChanged);
    field.setValue(12);
    QCOMPARE(field.value(), 10);
    field.setValue(-3);
    QCOMPARE(field.value(), 0);
    QCOMPARE(changes.count(), 2);
  }

  void FilterTextForQt() {
    QCOMPARE(QtFilterText("SUP files (*.sup)|*.sup"), std::string("SUP files (*.sup)"));
    QCOMPARE(QtFilterText("Pictures|*.png;*.bmp"), std::string("Pictures (*.png *.bmp)"));
    QCOMPARE(QtFilterText("A (*.a)|*.a|B|*.b"), std::string("A (*.a);;B (*.b)"));
    QCOMPARE(QtFilterText(""), std::string());
  }

  void ScriptedDialogsAnswerInTurnAndCancelWhenEmpty() {
    ScriptedDialogs dialogs;
    dialogs.AnswerFile("/tmp/a.sup");
    dialogs.CancelFile();
    dialogs.fileAnswers.push_back(std::vector<std::string>{"/x/2.vob", "/x/1.vob"});

    FileDialog open = MakeFileDialog(FileDialogKind::kOpen, "SUP files (*.sup)|*.sup", "sup");
    open.fileName = "preset";
    QVERIFY(dialogs.RunFileDialog(nullptr, open));
    QCOMPARE(open.fileName, std::string("/tmp/a.sup"));
    QCOMPARE(dialogs.lastFileDialog.fileName, std::string("preset"));  // as it was asked

    QVERIFY(!dialogs.RunFileDialog(nullptr, open));
    QCOMPARE(open.fileName, std::string("/tmp/a.sup"));  // a cancel leaves the name

    FileDialog many = MakeFileDialog(FileDialogKind::kOpenMany, "VOB files (*.vob)|*.vob", "vob");
    QVERIFY(dialogs.RunFileDialog(nullptr, many));
    QCOMPARE(many.fileNames.size(), std::size_t(2));
    QVERIFY(!dialogs.RunFileDialog(nullptr, many));  // nothing queued: cancelled
    QCOMPARE(dialogs.fileRuns, 4);

    QColor colour(Qt::red);
    dialogs.colourAnswers.push_back(QColor(Qt::blue));
    QVERIFY(dialogs.RunColourDialog(nullptr, colour));
    QCOMPARE(colour, QColor(Qt::blue));
    QVERIFY(!dialogs.RunColourDialog(nullptr, colour));
    QCOMPARE(colour, QColor(Qt::blue));

    QFont font("Arial", 28);
    dialogs.fontAnswers.push_back(std::nullopt);
    QVERIFY(!dialogs.RunFontDialog(nullptr, font));
    QCOMPARE(dialogs.lastFont.pointSize(), 28);
    QCOMPARE(dialogs.fontRuns, 1);
  }

  void GridKeepsTextsInsideItsCells() {
    PaletteGrid grid;
    grid.SetCell(31, 4, "15");
    grid.SetCell(0, 0, "7");
    grid.SetCell(32, 0, "x");  // outside: ignored
    grid.SetCell(-1, 2, "x");
    grid.SetCell(3, 5, "x");
    QCOMPARE(grid.Cell(31, 4), QString("15"));
    QCOMPARE(grid.Cell(0, 0), QString("7"));
    QCOMPARE(grid.Cell(32, 0), QString());
    QCOMPARE(grid.Cell(3, 5), QString());
    QCOMPARE(grid.CellRect(31, 4), QRect(620, 96, 20, 24));
  }

  void GridDrawsEveryCellAndRedrawsACellWhoseTextIsSet() {
    PaletteGrid grid;
    grid.resize(644, 121);
    std::vector<QPoint> drawn;
    grid.SetDrawCell([&drawn](QPainter& painter, int column, int row, const QRect& rect) {
      drawn.emplace_back(column, row);
      painter.fillRect(rect, column % 2 ? Qt::red : Qt::blue);
    });
    const QImage whole = grid.grab().toImage();
    QCOMPARE(drawn.size(), std::size_t(160));
    QCOMPARE(whole.pixelColor(5, 5), QColor(Qt::blue));
    QCOMPARE(whole.pixelColor(25, 100), QColor(Qt::red));

    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCoreApplication::processEvents();
    drawn.clear();
    grid.SetCell(7, 3, "9");
    QTRY_VERIFY(!drawn.empty());
    for (const QPoint& cell : drawn) QCOMPARE(cell, QPoint(7, 3));
  }

  void SeeThroughDisplayKeysOnTheBottomLeftPixel() {
    SampleView view;
    QPalette palette = view.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    view.setPalette(palette);
    QImage& picture = view.Picture();
    QCOMPARE(picture.size(), QSize(841, 89));
    picture.fill(QColor(Qt::green));
    picture.setPixelColor(100, 40, Qt::yellow);
    picture.setPixelColor(0, 88, Qt::green);
    view.PictureChanged();
    QCOMPARE(view.Displayed(), picture.convertToFormat(QImage::Format_RGB32));

    view.SetTransparent(true);
    const QImage shown = view.Displayed();
    QCOMPARE(shown.pixelColor(5, 5), QColor(0x12, 0x34, 0x56));
    QCOMPARE(shown.pixelColor(840, 88), QColor(0x12, 0x34, 0x56));
    QCOMPARE(shown.pixelColor(100, 40), QColor(Qt::yellow));

    // The key is whatever the bottom left pixel holds, not the most common colour.
    picture.setPixelColor(0, 88, Qt::yellow);
    view.PictureChanged();
    const QImage rekeyed = view.Displayed();
    QCOMPARE(rekeyed.pixelColor(5, 5), QColor(Qt::green));
    QCOMPARE(rekeyed.pixelColor(100, 40), QColor(0x12, 0x34, 0x56));
  }
};

QTEST_MAIN(ToolkitTest)
#include "ToolkitTest.moc"
