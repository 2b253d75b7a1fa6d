// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the window: each kind opens as its open button does after its dialog, chosen
// by extension in any letter case; a folder gives its VOB files; what is not taken is logged
// as a warning.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <filesystem>

#include "app/DropRules.h"
#include "app/PaletteGrid.h"
#include "core/FileIO.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/VobBuilder.h"

namespace {

// Drops `urls` on the window as the window system would: the drag enters, then drops.
bool Drop(TMainForm& form, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &drop);
  return true;
}

QUrl Local(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A VOB with one subtitle unit of the given colour and contrast words.
Bytes VobWith(int colour, int contrast) {
  VobBuilder builder;
  builder.NavPack().VideoPack().Unit(0, MakeSubpictureUnit(colour, contrast, 3000)).VideoPack();
  return builder.Data();
}

}  // namespace

class DropTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void SupAndIfoOpenInTheirTabsAndTheRestIsRefused() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, kLogWarning);
    SupPacket packet;
    packet.colour = 0x7C51;  // background 1, outline 5, text 12, antialias 7
    packet.contrast = 0x9F30;
    const std::string sup = window.folder.File("FILM.Sup");
    WriteFileBytes(sup, SupBuilder().Marker().Add(3, packet).Build());
    const std::string second = window.folder.File("other.sup");
    WriteFileBytes(second, SupBuilder().Add(1, SupPacket()).Build());
    const std::string ifo = window.folder.File("VTS_01_0.IFO");
    WriteFileBytes(ifo, BuildIfo(SampleIfoPalette()));
    const std::string text = window.folder.File("notes.txt");
    WriteFileBytes(text, Bytes{'h', 'i'});

    QVERIFY(Drop(form, {Local(sup), Local(text), Local(second), Local(ifo),
                        QUrl("https://example.org/film.sup")}));
    QCOMPARE(window.dialogs.fileRuns, 0);
    // The SUP file as Open SUP shows it.
    QCOMPARE(form.Sup().FileNameSUP->text(), Q(sup));
    QCOMPARE(form.Sup().TextMapSUP->currentIndex(), 12);
    QCOMPARE(form.Sup().TextMapFileSUP->text(), QString("12"));
    QCOMPARE(form.Sup().SubtitleCountSUP->text(), QString("3"));
    QCOMPARE(form.Sup().SaveDialogSUP.fileName, sup);
    QCOMPARE(form.Top().ColourPalette->Cell(24, 2), QString("15"));
    // The IFO file as Open IFO shows it, on its tab, the last one opened.
    QCOMPARE(form.Ifo().FileNameIFO->text(), Q(ifo));
    const std::uint32_t entry0 = SampleIfoPalette()[0];
    QCOMPARE(form.Ifo().Hex[0]->Text(),
             QString("%1").arg(entry0 & 0xFFFFFF, 6, 16, QChar('0')).toUpper());
    QCOMPARE(form.FileTypes()->currentWidget(), &form.Ifo());
    QCOMPARE(Lines(form.LogListBox()).filter(QRegularExpression("^WARNING|loaded")),
             (QStringList{"WARNING - Not a local file, not opened [https://example.org/film.sup]",
                          "WARNING - Not a SUP, IFO or VOB file, not opened [" + Q(text) + "]",
                          "WARNING - Only one SUP file can be open, not opened [" + Q(second) + "]",
                          "SUP file loaded - [" + Q(sup) + "]",
                          "IFO file loaded [" + Q(ifo) + "]"}));

    // Refusals are warnings: with "Info" chosen they are not shown.
    PickItem(form.SettingsTab().SettingsLogLevel, kLogInfo);
    form.LogListBox()->clear();
    QVERIFY(Drop(form, {Local(text)}));
    QCOMPARE(form.LogListBox()->count(), 0);

    // A drag without files is not taken, and nothing is taken while a scan has the window
    // disabled.
    QMimeData plain;
    plain.setText("film.sup");
    QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QVERIFY(!enter.isAccepted());
    form.setEnabled(false);
    Drop(form, {Local(second)});
    form.setEnabled(true);
    QCOMPARE(form.Sup().FileNameSUP->text(), Q(sup));
  }

  // A changed SUP or IFO file is not lost without a question: closing the window, opening
  // another file or a drop asks Save / Discard / Cancel.
  void ChangesAreNotLostWithoutAQuestion() {
    WindowHarness window;
    TMainForm& form = *window.form;
    const std::string first = window.folder.File("first.sup");
    const std::string second = window.folder.File("second.sup");
    WriteFileBytes(first, SupBuilder().Marker().Add(2, SupPacket()).Build());
    WriteFileBytes(second, SupBuilder().Marker().Add(1, SupPacket()).Build());
    QVERIFY(Drop(form, {Local(first)}));
    QVERIFY(!form.SupChanged());
    PickItem(form.Sup().TextMapSUP, 9);
    QVERIFY(!form.close());  // answered Cancel: the window stays, and so does the file
    QVERIFY(Drop(form, {Local(second)}));
    QCOMPARE(form.Sup().FileNameSUP->text(), Q(first));
    QCOMPARE(window.dialogs.saveQuestions, 2);
    QVERIFY(window.dialogs.lastQuestion.contains("SUP file [" + Q(first) + "]"));
    window.dialogs.saveAnswers = {SaveAnswer::kDiscard};
    window.dialogs.AnswerFile(second);
    form.Sup().OpenSUP->click();
    QCOMPARE(form.Sup().FileNameSUP->text(), Q(second));

    PickItem(form.Sup().TextMapSUP, 9);
    const std::string ifo = window.folder.File("VTS_01_0.IFO");
    WriteFileBytes(ifo, BuildIfo(SampleIfoPalette()));
    QVERIFY(Drop(form, {Local(ifo)}));
    form.Ifo().Hex[2]->SetText("123456");
    const std::string saved = window.folder.File("saved.sup");
    window.dialogs.saveAnswers = {SaveAnswer::kSave, SaveAnswer::kCancel};
    window.dialogs.AnswerFile(saved);
    QVERIFY(!form.close());  // the SUP file saved, the IFO file's question cancelled
    QCOMPARE(ReadFileBytes(saved).size(), ReadFileBytes(second).size());
    QVERIFY(!form.SupChanged());
    QVERIFY(form.IfoChanged());
    QVERIFY(window.dialogs.lastQuestion.startsWith("The IFO file [" + Q(ifo) + "]"));
    window.dialogs.saveAnswers = {SaveAnswer::kDiscard};
    QVERIFY(form.close());
  }

  // Warnings and errors of the last action reach the message bar whatever the log level; the
  // log list shows only what its level lets through.
  void WarningsReachTheMessageBarAtASilentLogLevel() {
    WindowHarness window;
    TMainForm& form = *window.form;
    QCOMPARE(form.SettingsTab().SettingsLogLevel->currentIndex(), -1);  // a first start: silent
    const std::string sup = window.folder.File("plain.sup");
    WriteFileBytes(sup, SupBuilder().Add(1, SupPacket()).Build());  // no marker: a warning
    const std::string text = window.folder.File("notes.txt");
    QVERIFY(!form.Messages().isVisible());
    QVERIFY(Drop(form, {Local(sup), Local(text)}));
    QCOMPARE(form.Messages().Lines(),
             (QStringList{"WARNING - Not a SUP, IFO or VOB file, not opened [" + Q(text) + "]",
                          "WARNING - Not a QUENLIX SUP file [" + Q(sup) + "]"}));
    QVERIFY(form.Messages().isVisible());
    QVERIFY(form.Messages().Text->text().startsWith("2 warnings: "));
    QCOMPARE(form.LogListBox()->count(), 0);
    // The next action starts a new collection.
    form.FileTypes()->setCurrentWidget(&form.Ifo());
    QTest::mouseClick(form.Ifo().SaveIFO, Qt::LeftButton);
    QCOMPARE(form.Messages().Lines(), QStringList{"ERROR - Can't save no IFO file loaded!!!"});
    QVERIFY(form.Messages().HasError());
    QTest::mouseClick(form.Messages().CloseButton, Qt::LeftButton);
    QVERIFY(!form.Messages().isVisible());
    QCOMPARE(form.LogListBox()->count(), 0);
  }

  void AFolderGivesItsVobFilesToTheScan() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, kLogWarning);
    // A disc's root: the title set's VOBs are in VIDEO_TS, in any letter case.
    const std::string root = window.folder.File("DISC");
    const std::string videoTs = root + "/video_ts";
    std::filesystem::create_directories(videoTs);
    WriteFileBytes(videoTs + "/vts_01_2.vob", VobWith(0xBA98, 0x5678));
    WriteFileBytes(videoTs + "/VTS_01_1.VOB", VobWith(0x3210, 0xFFF0));
    WriteFileBytes(videoTs + "/VTS_01_0.IFO", BuildIfo());
    const std::string empty = window.folder.File("empty");
    std::filesystem::create_directories(empty);

    QVERIFY(Drop(form, {Local(root), Local(empty)}));
    QCOMPARE(window.dialogs.fileRuns, 0);
    QCOMPARE(form.FileTypes()->currentWidget(), &form.Vob());
    QCOMPARE(Lines(form.Vob().FileListVOB),
             (QStringList{Q(videoTs + "/VTS_01_1.VOB"), Q(videoTs + "/vts_01_2.vob")}));
    // First subtitle only (the default): the first file's unit, in the VOB columns.
    QCOMPARE(form.Top().ColourPalette->Cell(3, 1), QString("15"));
    QCOMPARE(form.Top().ColourPalette->Cell(17, 0), QString());
    QCOMPARE(form.Top().ColourPalette->Cell(3, 4), QString("01"));  // the index row moved
    const QStringList log = Lines(form.LogListBox());
    QCOMPARE(log.first(), "WARNING - No VOB files in folder [" + Q(empty) + "]");
    QVERIFY(log.contains("Stopping after first subtitle found!!!"));

    // The folder's VOB files themselves, upper case or not, as the open dialog gives them.
    form.Vob().FirstSubtitleVOB->setChecked(false);
    QVERIFY(Drop(form, {Local(videoTs + "/vts_01_2.vob")}));
    QCOMPARE(Lines(form.Vob().FileListVOB), QStringList{Q(videoTs + "/vts_01_2.vob")});
    QCOMPARE(form.Top().ColourPalette->Cell(17, 0), QString("8"));
  }

  void KindIsTheExtensionInAnyLetterCase() {
    QCOMPARE(LowerExtension("/a/FILM.SUP"), std::string("sup"));
    QCOMPARE(LowerExtension("/a.b/film"), std::string());
    QCOMPARE(LowerExtension("/a/.vob"), std::string());  // a hidden file, not an extension
    const DroppedFiles files = SortDroppedFiles({"/x/a.VoB", "/x/b.Ifo", "/x/a.VoB", "/x/c.sup.txt"});
    QCOMPARE(files.vobs, std::vector<std::string>{"/x/a.VoB"});  // once, however often dropped
    QCOMPARE(files.ifo, std::string("/x/b.Ifo"));
    QVERIFY(files.sup.empty());
    QCOMPARE(files.refusals.size(), std::size_t(1));
  }
};

QTEST_MAIN(DropTest)
#include "DropTest.moc"
