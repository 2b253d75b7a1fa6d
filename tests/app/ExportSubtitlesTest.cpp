// SPDX-License-Identifier: GPL-3.0-or-later
// The SUP and VOB tabs' subtitles saved as VobSub pairs and SUP files through the scripted
// dialogs, read back with the SUP and VobSub documents.
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "core/Colour.h"
#include "files/Filesup.h"
#include "files/VobSub.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/VobBuilder.h"

class ExportSubtitlesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  // Both formats hold the subtitles as Save writes them (the tab's mapping), with their times;
  // the pair carries the IFO tab's palette.
  void supTabSavesWhatSaveWrites() {
    WindowHarness window;
    TMainForm& form = *window.form;
    SupBuilder builder;
    for (std::uint32_t time : {90000U, 450000U, 4000000000U}) {
      SupPacket packet;
      packet.timestamp = time;
      builder.Add(packet);
    }
    const Bytes source = builder.Build();
    WriteFileBytes(window.folder.File("in.sup"), source);
    window.dialogs.AnswerFile(window.folder.File("in.sup"));
    form.Sup().OpenSUP->click();
    PickItem(form.Sup().TextMapSUP, 9);
    form.Ifo().DefaultIFO->click();
    form.Ifo().SetHexText(5, "EB8080");
    for (const char* name : {"out.idx", "out.sup"}) {
      window.dialogs.AnswerFile(window.folder.File(name));
      form.Export().SaveAsSUP->click();
    }
    QCOMPARE(QString::fromStdString(window.dialogs.lastFileDialog.fileName),
             QString::fromStdString(window.folder.File("in.idx")));
    window.dialogs.AnswerFile(window.folder.File("saved.sup"));
    form.Sup().SaveSUP->click();

    const Bytes saved = ReadFileBytes(window.folder.File("saved.sup"));
    QVERIFY(saved != source);
    QVERIFY(ReadFileBytes(window.folder.File("out.sup")) == saved);
    SupTabValues tab;
    CFileSUP sup(tab);
    QCOMPARE(sup.Load(window.folder.File("saved.sup")), 3);
    VobSubFile pair;
    QVERIFY(pair.Load(window.folder.File("out.idx")));
    QVERIFY(pair.Stream(0) != nullptr);
    const std::vector<VobSubUnit>& units = pair.Stream(0)->units;
    QCOMPARE(units.size(), std::size_t{3});
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(units[i].time, std::int64_t{sup.SubtitleTime(i)});
      const ByteView unit = sup.SubtitleUnit(i);
      QVERIFY(units[i].bytes == Bytes(unit.begin(), unit.end()));
    }
    QCOMPARE(pair.PaletteRgb().size(), std::size_t{16});
    for (int i = 0; i < 16; ++i) {
      const std::string hex = form.Ifo().HexText(i);
      const int rgb = PaletteFileRgb(HexTextY(hex), HexTextCr(hex), HexTextCb(hex));
      QCOMPARE(QString::fromStdString(pair.PaletteRgb()[i]), QString("%1").arg(rgb, 6, 16, QChar('0')));
    }
  }

  // Nothing loaded, or a name that is neither .idx nor .sup: the error line, nothing written.
  void refusalsWriteNothing() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.SettingsTab().SettingsLogLevel->setCurrentIndex(kLogWarning);
    form.Export().SaveAsSUP->click();
    form.Export().SaveSubtitlesVOB->click();
    QCOMPARE(window.dialogs.fileRuns, 0);
    WriteFileBytes(window.folder.File("in.sup"), SupBuilder().Add().Build());
    window.dialogs.AnswerFile(window.folder.File("in.sup"));
    form.Sup().OpenSUP->click();
    window.dialogs.AnswerFile(window.folder.File("out.txt"));
    form.Export().SaveAsSUP->click();
    QVERIFY(!QFile::exists(QString::fromStdString(window.folder.File("out.txt"))));
    const QListWidget* log = form.LogListBox();
    QStringList lines;
    for (int i = 0; i < log->count(); ++i) lines << log->item(i)->text();
    QVERIFY(lines.contains("ERROR - Can't save no SUP file loaded!!!"));
    QVERIFY(lines.contains("ERROR - Can't save subtitles no VOB file scanned!!!"));
    QVERIFY(lines.contains(QString("ERROR - Subtitles are saved as .idx (VobSub) or .sup [%1]")
                               .arg(QString::fromStdString(window.folder.File("out.txt")))));
  }

  // After a scan, the stream chosen is taken out of the listed files, times from their start.
  void vobTabSavesTheChosenStream() {
    WindowHarness window;
    TMainForm& form = *window.form;
    const Bytes first = MakeSubpictureUnit(0x3210, 0xFFF0, 3000);
    const Bytes second = MakeSubpictureUnit(0xBA98, 0x5678, 100);
    VobBuilder builder;
    builder.NavPack().VideoPack(90000).Unit(0, MakeSubpictureUnit(0x1111, 0xFFFF), 120000);
    builder.Unit(1, first, 180000);
    builder.Unit(1, second, 360000);
    WriteFileBytes(window.folder.File("VTS_01_1.VOB"), builder.Data());
    window.dialogs.AnswerFile(window.folder.File("VTS_01_1.VOB"));
    form.Vob().FileOpenVOB->click();
    form.Export().StreamVOB->setValue(1);
    window.dialogs.AnswerFile(window.folder.File("s1.sup"));
    form.Export().SaveSubtitlesVOB->click();

    SupTabValues tab;
    CFileSUP sup(tab);
    QCOMPARE(sup.Load(window.folder.File("s1.sup")), 2);
    QCOMPARE(sup.SubtitleTime(0), 90000U);
    QCOMPARE(sup.SubtitleTime(1), 270000U);
    QVERIFY(Bytes(sup.SubtitleUnit(0).begin(), sup.SubtitleUnit(0).end()) == first);
    QVERIFY(Bytes(sup.SubtitleUnit(1).begin(), sup.SubtitleUnit(1).end()) == second);
  }
};

QTEST_MAIN(ExportSubtitlesTest)
#include "ExportSubtitlesTest.moc"
