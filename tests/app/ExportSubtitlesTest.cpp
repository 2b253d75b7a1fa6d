// SPDX-License-Identifier: GPL-3.0-or-later
// The SUP and VOB tabs' subtitles saved as VobSub pairs and SUP files, read back.
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "core/Colour.h"
#include "files/VobSub.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/VobBuilder.h"

class ExportSubtitlesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  // Both formats hold the subtitles as Save writes them (the tab's mapping), with their times;
  // the pair carries the IFO tab's palette. Nothing loaded, or a name that is neither .idx nor
  // .sup: the error line, nothing written.
  void supTabSavesWhatSaveWrites() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.SettingsTab().SettingsLogLevel->setCurrentIndex(kLogWarning);
    form.Export().SaveAsSUP->click();
    QCOMPARE(window.dialogs.fileRuns, 0);
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
    for (const char* name : {"out.idx", "out.sup", "out.txt"}) {
      window.dialogs.AnswerFile(window.folder.File(name));
      form.Export().SaveAsSUP->click();
    }
    QCOMPARE(window.dialogs.lastFileDialog.fileName, window.folder.File("in.idx"));
    window.dialogs.AnswerFile(window.folder.File("saved.sup"));
    form.Sup().SaveSUP->click();

    QCOMPARE(form.LogListBox()->item(0)->text(), QString("ERROR - Can't save no SUP file loaded!!!"));
    QVERIFY(form.LogListBox()->findItems("ERROR - Subtitles are saved as .idx", Qt::MatchStartsWith).size() == 1);
    QVERIFY(!QFile::exists(QString::fromStdString(window.folder.File("out.txt"))));
    const Bytes saved = ReadFileBytes(window.folder.File("saved.sup"));
    QVERIFY(saved != source);
    QVERIFY(ReadFileBytes(window.folder.File("out.sup")) == saved);
    VobSubFile pair;
    QVERIFY(pair.Load(window.folder.File("out.idx")) && pair.Stream(0) != nullptr);
    Bytes back;  // the pair's units and times as SUP packets
    for (const VobSubUnit& unit : pair.Stream(0)->units)
      AppendSupPacket(back, static_cast<std::uint32_t>(unit.time), unit.bytes);
    QVERIFY(back == saved);
    QCOMPARE(pair.PaletteRgb().at(5), QString::number(PaletteFileRgb(0xEB, 0x80, 0x80), 16).toStdString());
  }

  // Before a scan nothing is saved; after it, the stream chosen is taken out of the listed
  // files, timed from their start.
  void vobTabSavesTheChosenStream() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.Export().SaveSubtitlesVOB->click();
    QCOMPARE(window.dialogs.fileRuns, 0);
    const Bytes first = MakeSubpictureUnit(0x3210, 0xFFF0, 3000);
    VobBuilder builder;
    builder.NavPack().VideoPack(90000).Unit(0, MakeSubpictureUnit(0x1111, 0xFFFF), 120000);
    WriteFileBytes(window.folder.File("VTS_01_1.VOB"),
                   builder.Unit(1, first, 180000).Data());
    window.dialogs.AnswerFile(window.folder.File("VTS_01_1.VOB"));
    form.Vob().FileOpenVOB->click();
    form.Export().StreamVOB->setValue(1);
    window.dialogs.AnswerFile(window.folder.File("s1.sup"));
    form.Export().SaveSubtitlesVOB->click();
    Bytes expected;  // stream 1 only, timed from the video's first time stamp
    AppendSupPacket(expected, 90000, first);
    QVERIFY(ReadFileBytes(window.folder.File("s1.sup")) == expected);
  }
};

QTEST_MAIN(ExportSubtitlesTest)
#include "ExportSubtitlesTest.moc"
