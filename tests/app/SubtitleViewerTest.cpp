// SPDX-License-Identifier: GPL-3.0-or-later
// The Subtitles tab: its list, the before/after pictures following the SUP tab and the palette,
// keyboard stepping and the PNG export.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>

#include "app/HexEdit.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/VobBuilder.h"

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

// The units of WriteSup on stream 1 of a VOB, between units of stream 0; the third a 360 x 40
// picture of random codes, which takes several packets.
std::vector<Bytes> WriteVob(const std::string& path) {
  VobBuilder builder;
  std::vector<Bytes> units;
  std::vector<Bytes> noise(40, Bytes(360));
  unsigned seed = 7;
  for (Bytes& row : noise)
    for (auto& code : row) code = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16 & 3);
  for (int i = 0; i < 3; ++i) {
    SupPacket packet;
    packet.image = i == 2 ? noise : std::vector<Bytes>(4, Bytes(30, 2));
    packet.forced = i == 1;
    units.push_back(BuildUnit(packet));
    builder.NavPack().Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0)).VideoPack();
    builder.Unit(1, units.back(), 90000u * static_cast<unsigned>(i + 1)).AudioPack();
  }
  WriteFileBytes(path, builder.Data());
  return units;
}

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

  void ListsAScannedVobStreamAndReadsItsUnits() {
    WindowHarness window;
    TMainForm& form = *window.form;
    SubtitlePage& page = form.Subtitles();
    form.Ifo().DefaultIFO->click();
    const std::string path = window.folder.File("film.vob");
    const std::vector<Bytes> units = WriteVob(path);
    form.Vob().FirstSubtitleVOB->setChecked(false);
    window.dialogs.AnswerFile(path);
    form.Vob().FileOpenVOB->click();
    form.FileTypes()->setCurrentWidget(&page);
    QCOMPARE(page.SourceList->count(), 3);
    QCOMPARE(page.SourceList->itemText(2), QString("VOB stream 1"));
    PickItem(page.SourceList, 2);

    QCOMPARE(page.ListedStream(), 1);
    QCOMPARE(page.SubtitleList->model()->rowCount(), 3);
    QCOMPARE((QStringList{Cell(page, 1, 0), Cell(page, 1, 1), Cell(page, 1, 2), Cell(page, 1, 3), Cell(page, 1, 4)}),
             (QStringList{"2", "0:02.000", "1.138", "yes", "0 1 2 3/0 15 15 15"}));
    QCOMPARE(Cell(page, 2, 3), QString());

    // The unit read from its packets is drawn as the decoder shows it: contrast 15 in the
    // palette's colour, contrast 0 the black background.
    PickItem(page.BackgroundList, SubtitlePage::kBlack);
    PickItem(page.ZoomList, 1);
    page.SelectSubtitle(2);
    SubpictureImage decoded;
    QCOMPARE(DecodeSubpictureUnit(units[2], decoded), SubpictureError::kNone);
    const QImage& shown = page.BeforeImage();
    QVERIFY(units[2].size() > 2 * 2028);  // three packets or more
    QCOMPARE(shown.size(), QSize(360, 40));
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 360; ++x) {
        const QRgb want = decoded.Contrast(x, y) == 0 ? 0 : Rgb(form.Palette()[decoded.Entry(x, y)]);
        if ((shown.pixel(x, y) & 0xFFFFFF) != want) QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
      }
    // No entry map: "after" is the same; with one, entry 2 shows entry 6's colour.
    QCOMPARE(page.AfterImage(), page.BeforeImage());
    page.SelectSubtitle(0);
    EntryMap map;
    map.entry[2] = 6;
    page.SetEntryMap(map);
    QCOMPARE(Centre(page.AfterImage()), Rgb(form.Palette()[6]));
    QCOMPARE(Centre(page.BeforeImage()), Rgb(form.Palette()[2]));

    // A file cut short since the scan: no picture, and the reason in its place.
    WriteFileBytes(path, Bytes(4096, 0));
    page.SelectSubtitle(1);
    QVERIFY(page.BeforeImage().isNull());
    QCOMPARE(page.BeforeView->text(), QString("Can't read this subtitle from its VOB file"));

    // A scan that finds stream 1 no more lists the SUP file (here none) again.
    WriteFileBytes(path, VobBuilder().Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0)).Data());
    window.dialogs.AnswerFile(path);
    form.Vob().FileOpenVOB->click();
    QCOMPARE(page.ListedStream(), -1);
    QCOMPARE(page.SourceList->count(), 2);
    QCOMPARE(page.SubtitleList->model()->rowCount(), 0);
  }
};

QTEST_MAIN(SubtitleViewerTest)
#include "SubtitleViewerTest.moc"
