// SPDX-License-Identifier: GPL-3.0-or-later
// The Subtitles tab: its list, the before/after pictures following the SUP tab and the palette,
// keyboard stepping and the PNG export.
#include <QComboBox>
#include <QPushButton>
#include <QTableView>

#include "app/HexEdit.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/SupBuilder.h"

namespace {

// Three subtitles of a 30 x 4 picture all in code 2 (Text), the second one forced; times 1 s,
// 2 s, 3 s, each stopped 100 delay units (1.138 s) later.
std::string WriteSup(const TempDir& folder) {
  SupBuilder builder;
  for (int i = 0; i < 3; ++i) {
    SupPacket packet;
    packet.image = std::vector<Bytes>(4, Bytes(30, 2));
    packet.timestamp = static_cast<std::uint32_t>(90000 * (i + 1));
    packet.forced = i == 1;
    builder.Add(packet);
  }
  WriteFileBytes(folder.File("film.sup"), builder.Build());
  return folder.File("film.sup");
}

QString Cell(SubtitlePage& page, int row, int column) {
  const QAbstractItemModel* model = page.SubtitleList->model();
  return model->data(model->index(row, column)).toString();
}

QRgb Centre(const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF; }

}  // namespace

class SubtitleViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void ListsTheSubtitlesAndDrawsThemBeforeAndAfter() {
    WindowHarness window;
    TMainForm& form = *window.form;
    SubtitlePage& page = form.Subtitles();
    QCOMPARE(form.FileTypes()->indexOf(&page), 4);  // after Settings
    form.Ifo().DefaultIFO->click();
    window.dialogs.AnswerFile(WriteSup(window.folder));
    form.Sup().OpenSUP->click();
    form.FileTypes()->setCurrentWidget(&page);
    QCoreApplication::processEvents();

    QCOMPARE(page.SubtitleList->model()->rowCount(), 3);
    QCOMPARE((QStringList{Cell(page, 1, 0), Cell(page, 1, 1), Cell(page, 1, 2), Cell(page, 1, 3), Cell(page, 1, 4)}),
             (QStringList{"2", "0:02.000", "1.138", "yes", "0 1 2 3/0 15 15 15"}));
    QCOMPARE(Cell(page, 0, 3), QString());
    QCOMPARE(page.Current(), 0);

    // Text in entry 2 before; after, the entry the Text list picks, at once.
    PickItem(page.BackgroundList, SubtitlePage::kBlack);
    QCOMPARE(Centre(page.BeforeImage()), Rgb(form.Palette()[2]));
    PickItem(form.Sup().TextMapSUP, 6);
    QCOMPARE(Centre(page.AfterImage()), Rgb(form.Palette()[6]));
    QCOMPARE(Centre(page.BeforeImage()), Rgb(form.Palette()[2]));
    // The IFO tab's palette, at once.
    form.Ifo().Hex[6]->SetText("515A5A");
    QCOMPARE(Centre(page.AfterImage()), Rgb(form.Palette()[6]));
    // Contrast 0 shows the background.
    PickItem(form.Sup().TextIntSUP, 0);
    PickItem(page.BackgroundList, SubtitlePage::kGrey);
    QCOMPARE(Centre(page.AfterImage()), qRgb(0x80, 0x80, 0x80) & 0xFFFFFFu);

    // Zoom 3x: the display area three times as large.
    PickItem(page.ZoomList, 3);
    QCOMPARE(page.BeforeImage().size(), QSize(90, 12));
  }

  void StepsByKeyboardAndExportsWhatIsShown() {
    WindowHarness window;
    TMainForm& form = *window.form;
    SubtitlePage& page = form.Subtitles();
    window.dialogs.AnswerFile(WriteSup(window.folder));
    form.Sup().OpenSUP->click();
    form.FileTypes()->setCurrentWidget(&page);
    page.SubtitleList->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(page.SubtitleList, Qt::Key_N);  // stays on the last
    QCOMPARE(page.Current(), 2);
    QTest::keyClick(page.SubtitleList, Qt::Key_P);
    QCOMPARE(page.Current(), 1);

    window.dialogs.AnswerFile(window.folder.File("shown.png"));
    QVERIFY(page.ExportPicture());
    QCOMPARE(QImage(QString::fromStdString(window.folder.File("shown.png"))).convertToFormat(QImage::Format_RGB32),
             page.AfterImage());
    // A failed load empties the list and the pictures.
    WriteFileBytes(window.folder.File("bad.sup"), Bytes{'X'});
    window.dialogs.AnswerFile(window.folder.File("bad.sup"));
    form.Sup().OpenSUP->click();
    QCOMPARE(page.SubtitleList->model()->rowCount(), 0);
    QVERIFY(page.AfterImage().isNull());
  }
};

QTEST_MAIN(SubtitleViewerTest)
#include "SubtitleViewerTest.moc"
