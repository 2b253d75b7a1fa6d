// SPDX-License-Identifier: GPL-3.0-or-later
// The SUP tab end to end: open, pick, default, restore and save real SUP files through the
// scripted dialogs, checking lists, edits, grid, preview, log and the bytes written.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/PaletteGrid.h"
#include "app/SampleView.h"
#include "core/Core.h"
#include "tests/app/WindowHarness.h"
#include "app/EntryTable.h"
#include "app/SubtitlePage.h"
#include "tests/support/RunProcess.h"
#include "tests/support/SupBuilder.h"

namespace {

// Background 1/0, Outline 5/3, Text 12/15, Antialias 7/9 (palette index / intensity).
constexpr int kFileColour = 0x7C51;
constexpr int kFileContrast = 0x9F30;

struct SupFile {
  std::string path;
  Bytes bytes;
  SupLayout layout;
};

SupFile MakeSup(const TempDir& folder, const std::string& name, int subtitles, bool marker = true) {
  SupPacket packet;
  packet.colour = kFileColour;
  packet.contrast = kFileContrast;
  packet.pictureBytes = 200;
  SupBuilder builder;
  if (marker) builder.Marker();
  builder.Add(subtitles, packet);
  SupFile file{folder.File(name), {}, {}};
  file.bytes = builder.Build(&file.layout);
  WriteFileBytes(file.path, file.bytes);
  return file;
}

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

std::array<int, 4> Maps(TMainForm& form) {
  return {form.Sup().MapIndex(0), form.Sup().MapIndex(1), form.Sup().MapIndex(2),
          form.Sup().MapIndex(3)};
}
std::array<int, 4> Ints(TMainForm& form) {
  return {form.Sup().IntIndex(0), form.Sup().IntIndex(1), form.Sup().IntIndex(2),
          form.Sup().IntIndex(3)};
}

// The even cells of rows 0-3 that hold a text, as "column,row=text".
QStringList SupCells(TMainForm& form) {
  QStringList cells;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 32; column += 2)
      if (!form.Top().ColourPalette->Cell(column, row).isEmpty())
        cells << QString("%1,%2=%3")
                     .arg(column)
                     .arg(row)
                     .arg(form.Top().ColourPalette->Cell(column, row));
  return cells;
}

int WordAt(const Bytes& bytes, std::size_t offset) {
  return (bytes[offset] << 8) | bytes[offset + 1];
}

}  // namespace

class SupTabTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void OpenShowsTheFilesMappingEverywhere() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 3);
    const SupFile sup = MakeSup(window.folder, "film.sup", 3);
    form.SetPaletteColour(12, MakeColour(255, 255, 0));
    window.dialogs.AnswerFile(sup.path);
    form.Sup().OpenSUP->click();

    QCOMPARE(window.dialogs.lastFileDialog.filter, std::string("SUP files (*.sup)|*.sup"));
    QCOMPARE(window.dialogs.lastFileDialog.defaultExt, std::string("sup"));
    QVERIFY(window.dialogs.lastFileDialog.kind == FileDialogKind::kOpen);
    QCOMPARE(form.Sup().FileNameSUP->text().toStdString(), sup.path);
    QCOMPARE(form.Sup().SaveDialogSUP.fileName, sup.path);
    QCOMPARE(Maps(form), (std::array<int, 4>{1, 5, 12, 7}));
    QCOMPARE(Ints(form), (std::array<int, 4>{0, 3, 15, 9}));
    QCOMPARE(form.Sup().TextMapFileSUP->text(), QString("12"));
    QCOMPARE(form.Sup().AntialiasIntFileSUP->text(), QString("9"));
    QCOMPARE(SupCells(form), (QStringList{"2,0=0", "10,1=3", "24,2=15", "14,3=9"}));
    QCOMPARE(form.Sup().SubtitleCountSUP->text(), QString("3"));
    QVERIFY(CountColour(form.Preview().SampleImage->Picture(), 0xFFFF00) > 0);  // text in entry 12
    QCOMPARE(Lines(form.LogListBox()).last(),
             QString::fromStdString("SUP file loaded - [" + sup.path + "]"));
  }

  void CancelledOpenChangesNothing() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 10);
    window.dialogs.CancelFile();
    form.Sup().OpenSUP->click();
    QCOMPARE(window.dialogs.fileRuns, 1);
    QVERIFY(form.Sup().FileNameSUP->text().isEmpty());
    QVERIFY(SupCells(form).isEmpty());
    QCOMPARE(form.LogListBox()->count(), 0);
  }

  void FailedOpenEmptiesTheNameAndTheDocumentButKeepsTheView() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 4);
    const SupFile sup = MakeSup(window.folder, "good.sup", 2);
    WriteFileBytes(window.folder.File("bad.sup"), Bytes{'X', 'Y', 0, 0});
    window.dialogs.AnswerFile(sup.path);
    window.dialogs.AnswerFile(window.folder.File("bad.sup"));
    form.Sup().OpenSUP->click();
    form.Sup().OpenSUP->click();

    QVERIFY(form.Sup().FileNameSUP->text().isEmpty());
    QVERIFY(!form.SupDocument().HasData());
    QCOMPARE(Maps(form), (std::array<int, 4>{1, 5, 12, 7}));
    QCOMPARE(form.Sup().SubtitleCountSUP->text(), QString("2"));
    QCOMPARE(SupCells(form).size(), 4);
    QVERIFY(Lines(form.LogListBox()).last().startsWith("ERROR - Not a SUP file ["));

    // Save and Restore now behave as with nothing loaded.
    const int runs = window.dialogs.fileRuns;
    form.Sup().SaveSUP->click();
    QCOMPARE(window.dialogs.fileRuns, runs);
    QCOMPARE(Lines(form.LogListBox()).last(), QString("ERROR - Can't save no SUP file loaded!!!"));
    const int lines = form.LogListBox()->count();
    form.Sup().RestoreSUP->click();
    QCOMPARE(form.LogListBox()->count(), lines);
  }

  void NothingLoadedSaveRefusesAndRestoreIsSilent() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 10);
    form.Sup().RestoreSUP->click();
    QCOMPARE(form.LogListBox()->count(), 0);
    QCOMPARE(Maps(form), (std::array<int, 4>{0, 0, 0, 0}));
    form.Sup().SaveSUP->click();
    QCOMPARE(window.dialogs.fileRuns, 0);
    QCOMPARE(Lines(form.LogListBox()), QStringList{"ERROR - Can't save no SUP file loaded!!!"});
  }

  void DefaultThenRestoreReturnsToTheFilesMapping() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 4);
    const SupFile sup = MakeSup(window.folder, "film.sup", 2);
    window.dialogs.AnswerFile(sup.path);
    form.Sup().OpenSUP->click();

    form.Sup().DefaultSUP->click();
    QCOMPARE(Maps(form), (std::array<int, 4>{0, 1, 2, 3}));
    QCOMPARE(Ints(form), (std::array<int, 4>{0, 15, 15, 15}));
    QCOMPARE(SupCells(form), (QStringList{"0,0=0", "2,1=15", "4,2=15", "6,3=15"}));
    QCOMPARE(form.Sup().TextMapFileSUP->text(), QString("12"));  // the file's values stay

    form.Sup().RestoreSUP->click();
    QCOMPARE(Maps(form), (std::array<int, 4>{1, 5, 12, 7}));
    QCOMPARE(Ints(form), (std::array<int, 4>{0, 3, 15, 9}));
    QCOMPARE(SupCells(form), (QStringList{"2,0=0", "10,1=3", "24,2=15", "14,3=9"}));
    const QStringList lines = Lines(form.LogListBox());
    QCOMPARE(lines.mid(lines.size() - 2), (QStringList{"WARNING - Default SUP values applied!!!",
                                                        "WARNING - SUP values restored from file!!!"}));
  }

  void DefaultWorksWithoutAFileAndDrawsThePreview() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.SetPaletteColour(2, MakeColour(0, 255, 0));
    form.Sup().DefaultSUP->click();
    QVERIFY(CountColour(form.Preview().SampleImage->Picture(), 0x00FF00) > 0);
    QCOMPARE(SupCells(form).size(), 4);
    QVERIFY(!form.SupDocument().HasData());
  }

  void PickingAListMovesItsGridNumberAndRedraws() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.Sup().DefaultSUP->click();
    QCOMPARE(form.Top().ColourPalette->Cell(4, 2), QString("15"));
    form.SetPaletteColour(5, MakeColour(255, 0, 255));
    PickItem(form.Sup().TextMapSUP, 5);
    QCOMPARE(form.Top().ColourPalette->Cell(4, 2), QString());
    QCOMPARE(form.Top().ColourPalette->Cell(10, 2), QString("15"));
    QVERIFY(CountColour(form.Preview().SampleImage->Picture(), 0xFF00FF) > 0);
    QCOMPARE(form.Sup().TextMapFileSUP->text(), QString("0"));
    // Setting a list from code is no pick: grid and preview stay.
    form.Sup().SetMapIndex(2, 9);
    QCOMPARE(form.Top().ColourPalette->Cell(10, 2), QString("15"));
    QCOMPARE(form.Top().ColourPalette->Cell(18, 2), QString());
  }

  void SaveWritesTheChosenMappingIntoEverySubtitle() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 3);
    const SupFile sup = MakeSup(window.folder, "film.sup", 3);
    window.dialogs.AnswerFile(sup.path);
    form.Sup().OpenSUP->click();
    form.Sup().DefaultSUP->click();

    const std::string target = window.folder.File("remapped.sup");
    window.dialogs.AnswerFile(target);
    form.Sup().SaveSUP->click();
    QCOMPARE(window.dialogs.lastFileDialog.fileName, sup.path);  // proposes the opened file
    QCOMPARE(window.dialogs.lastFileDialog.filter, std::string("SUP Files (*.sup)|*.sup"));
    QVERIFY(window.dialogs.lastFileDialog.kind == FileDialogKind::kSave);
    QCOMPARE(form.Sup().FileNameSUP->text().toStdString(), target);

    const Bytes written = ReadFileBytes(target);
    QCOMPARE(written.size(), sup.bytes.size());
    Bytes expected = sup.bytes;
    for (const SupPacketLayout& packet : sup.layout.Subtitles()) {
      QCOMPARE(WordAt(written, *packet.colourWord), 0x3210);
      QCOMPARE(WordAt(written, *packet.contrastWord), 0xFFF0);
      expected[*packet.colourWord] = 0x32;
      expected[*packet.colourWord + 1] = 0x10;
      expected[*packet.contrastWord] = 0xFF;
      expected[*packet.contrastWord + 1] = 0xF0;
    }
    QVERIFY(written == expected);  // every other byte, the marker packet's too, as read
    QVERIFY(ReadFileBytes(sup.path) == sup.bytes);
    QCOMPARE(form.Sup().OutlineMapFileSUP->text(), QString("1"));
    QCOMPARE(form.Sup().OutlineIntFileSUP->text(), QString("15"));
    QVERIFY(Lines(form.LogListBox())
                .contains(QString::fromStdString("Data written to SUP file [" + target + "]")));

    // Restore now goes back to the mapping just saved.
    PickItem(form.Sup().BackgroundMapSUP, 9);
    form.Sup().RestoreSUP->click();
    QCOMPARE(Maps(form), (std::array<int, 4>{0, 1, 2, 3}));
  }

  // Subtitles with colours of their own: the window's log warns on open and on a save that
  // leaves later colour commands alone.
  void SubtitlesWithOtherColoursAreWarnedAbout() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 4);  // warnings and the lines below them
    const std::string path = window.folder.File("disc.sup");
    WriteFileBytes(path, SupBuilder()
                             .Marker()
                             .Add({.colour = kFileColour})
                             .Add({.colour = 0x1234, .later = {{0x03, 0x44, 0x44, 0xFF}}})
                             .Add({.colour = 0x1234})
                             .Build());
    window.dialogs.AnswerFile(path);
    form.Sup().OpenSUP->click();
    QVERIFY(Lines(form.LogListBox())
                .contains(QString::fromStdString("WARNING - 2 subtitles use other colours than the first [" + path + "]")));
    const std::string target = window.folder.File("out.sup");
    window.dialogs.AnswerFile(target);
    window.dialogs.entryTableAnswers.push_back({EntrySaveChoice::kFlatten, std::nullopt});
    form.Sup().SaveSUP->click();
    QVERIFY(Lines(form.LogListBox())
                .contains(QString::fromStdString("WARNING - 1 subtitles have later colour or contrast commands, "
                                                 "left unchanged [" + target + "]")));
  }

  // Subtitles with several mappings: the change to the first one's mapping is offered as an
  // entry table, and the saved bytes are those of the command line's entry remap.
  void ManyMappingsSaveByEntryAsTheCommandLineDoes() {
    WindowHarness window;
    TMainForm& form = *window.form;
    const std::string path = window.folder.File("many.sup");
    WriteFileBytes(path, SupBuilder().Marker().Add({.colour = 0x3210}).Add({.colour = 0x1234})
                             .Add({.colour = 0x3210, .contrast = 0x8FF0}).Add({.colour = 0x3210})
                             .Build());
    window.dialogs.AnswerFile(path);
    form.Sup().OpenSUP->click();
    QCOMPARE(form.Sup().MappingCountSUP->text(), QString("3"));
    QCOMPARE(form.Sup().MappingListSUP->itemText(1), QString("4 3 2 1 / 0 15 15 15 (1)"));
    form.Sup().MappingListSUP->setCurrentIndex(2);
    form.Sup().ViewMappingSUP->click();
    QCOMPARE(form.FileTypes()->currentWidget(), &form.Subtitles());
    QCOMPARE(form.Subtitles().Current(), 2);

    PickItem(form.Sup().TextMapSUP, 6);  // Text: entry 2 becomes 6, contrast 15 becomes 9
    PickItem(form.Sup().TextIntSUP, 9);
    const std::string target = window.folder.File("out.sup");
    form.Sup().SaveSUP->click();  // the table cancelled: no file dialog, nothing written
    QCOMPARE(window.dialogs.fileRuns, 1);
    window.dialogs.entryTableAnswers.push_back({EntrySaveChoice::kEntries, std::nullopt});
    window.dialogs.AnswerFile(target);
    form.Sup().SaveSUP->click();
    EntryMap offered;
    offered.entry[2] = 6;
    offered.contrast[2] = 9;
    QCOMPARE(window.dialogs.lastEntryMap.entry, offered.entry);
    QCOMPARE(window.dialogs.lastEntryMap.contrast, offered.contrast);

    const std::string cliOut = window.folder.File("cli.sup");
    QCOMPARE(RunProcess({VELMORAN_CLI_PATH, "sup", "remap", path, "-o", cliOut, "--entries", "2=6",
                         "--contrast", "2=9"}).exitStatus, 0);
    QVERIFY(ReadFileBytes(target) == ReadFileBytes(cliOut));
    QCOMPARE(form.Sup().MappingCountSUP->text(), QString("3"));  // each keeps its structure
    QCOMPARE(Maps(form), (std::array<int, 4>{0, 1, 6, 3}));
    QVERIFY(!form.SupChanged());
  }

  void EntryTableReadsAndWritesItsRows() {
    SupEntryTableDialog table(nullptr, QString());
    EntryMap map;
    map.entry[4] = 11;
    map.contrast[7] = 0;
    table.SetMap(map);
    QCOMPARE(table.Contrast[7]->currentText(), QString("0"));
    table.NewEntry[15]->setCurrentIndex(1);
    table.Contrast[7]->setCurrentIndex(0);  // "Keep"
    map.entry[15] = 1;
    map.contrast[7] = -1;
    QCOMPARE(table.Map().entry, map.entry);
    QCOMPARE(table.Map().contrast, map.contrast);
  }

  void CancelledOrFailedSaveLeavesFilesAlone() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 2);
    const SupFile sup = MakeSup(window.folder, "film.sup", 1);
    window.dialogs.AnswerFile(sup.path);
    form.Sup().OpenSUP->click();
    form.Sup().DefaultSUP->click();

    window.dialogs.CancelFile();
    form.Sup().SaveSUP->click();
    QCOMPARE(form.Sup().FileNameSUP->text().toStdString(), sup.path);
    QCOMPARE(form.LogListBox()->count(), 0);

    const std::string nowhere = window.folder.File("missing/out.sup");
    window.dialogs.AnswerFile(nowhere);
    form.Sup().SaveSUP->click();
    QCOMPARE(form.Sup().FileNameSUP->text().toStdString(), nowhere);  // shown even when it fails
    QVERIFY(!FileExists(nowhere));
    QCOMPARE(form.LogListBox()->count(), 1);
    QVERIFY(Lines(form.LogListBox()).last().startsWith("ERROR - "));
    QCOMPARE(form.Sup().TextMapFileSUP->text(), QString("12"));  // the file's mapping stays
    QVERIFY(ReadFileBytes(sup.path) == sup.bytes);
  }

  void MarkerOnlyFileLoadsWithNoSubtitles() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 3);
    const SupFile first = MakeSup(window.folder, "film.sup", 2);
    window.dialogs.AnswerFile(first.path);
    form.Sup().OpenSUP->click();

    const SupFile markerOnly = MakeSup(window.folder, "empty.sup", 0);
    window.dialogs.AnswerFile(markerOnly.path);
    form.Sup().OpenSUP->click();
    QCOMPARE(form.Sup().SubtitleCountSUP->text(), QString("0"));
    QCOMPARE(form.Sup().FileNameSUP->text().toStdString(), markerOnly.path);
    QCOMPARE(Maps(form), (std::array<int, 4>{1, 5, 12, 7}));  // as the document held them
    QCOMPARE(Lines(form.LogListBox()).last(),
             QString::fromStdString("SUP file loaded - [" + markerOnly.path + "]"));

    const std::string copy = window.folder.File("copy.sup");
    window.dialogs.AnswerFile(copy);
    form.Sup().SaveSUP->click();
    QVERIFY(ReadFileBytes(copy) == markerOnly.bytes);
  }

  // The whole window as the user sees it after opening a file over a palette. With
  // VELMORAN_SCREENSHOT set, the grab is also saved there.
  void WholeWindowShowsGridTabAndPreview() {
    WindowHarness window;
    TMainForm& form = *window.form;
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const TColor palette[16] = {
        MakeColour(0, 0, 0),     MakeColour(255, 255, 255), MakeColour(128, 128, 128),
        MakeColour(255, 255, 0), MakeColour(0, 0, 128),     MakeColour(255, 0, 0),
        MakeColour(0, 128, 0),   MakeColour(0, 255, 255),   MakeColour(255, 0, 255),
        MakeColour(192, 192, 192), MakeColour(128, 0, 0),   MakeColour(0, 0, 255),
        MakeColour(255, 128, 0), MakeColour(0, 255, 0),     MakeColour(128, 0, 128),
        MakeColour(64, 64, 64)};
    for (int i = 0; i < 16; ++i) form.SetPaletteColour(i, palette[i]);
    form.RepaintPalette();
    PickItem(form.SettingsTab().SettingsLogLevel, 3);

    SupPacket packet;
    packet.colour = 0x2140;  // background 0, outline 4, text 1, antialias 2
    packet.contrast = 0xFFF0;
    const std::string path = window.folder.File("Feature_English.sup");
    WriteFileBytes(path, SupBuilder().Marker().Add(12, packet).Build());
    window.dialogs.AnswerFile(path);
    form.Sup().OpenSUP->click();
    QCoreApplication::processEvents();

    const QImage shot = form.grab().toImage();
    QCOMPARE(shot.size(), QSize(861, 718));
    // Grid: entry 5's pair in row 1 at (112 + 200, 8 + 24), away from any text.
    QCOMPARE(shot.pixel(112 + 10 * 20 + 18, 8 + 24 + 20) & 0xFFFFFF, QRgb(0xFF0000));
    QCOMPARE(shot.pixel(112 + 31 * 20 + 18, 8 + 4 * 24 + 20) & 0xFFFFFF, QRgb(0xFFFFFF));
    // Preview: its own picture at (8, 584), black background in the corner.
    const QImage preview = shot.copy(8, 584, 841, 89);
    QCOMPARE(preview, form.Preview().SampleImage->Displayed());
    QCOMPARE(ColoursOf(preview), (QSet<QRgb>{0x000000, 0x000080, 0xFFFFFF, 0x808080}));

    const QByteArray target = qgetenv("VELMORAN_SCREENSHOT");
    if (!target.isEmpty()) QVERIFY(shot.save(QString::fromLocal8Bit(target)));
  }
};

QTEST_MAIN(SupTabTest)
#include "SupTabTest.moc"
