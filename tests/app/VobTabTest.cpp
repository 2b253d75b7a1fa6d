// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab end to end: VOB files picked through the scripted open dialog, scanned under the
// real progress window, with the grid's VOB cells, the file list and the log checked after.
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>

#include "app/PaletteGrid.h"
#include "app/QtProgressHost.h"
#include "app/Unit2.h"
#include "core/Progress.h"
#include "files/VobRemap.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/Recorders.h"
#include "tests/support/app/ScriptedDiscDialogs.h"
#include "tests/support/VobBuilder.h"

namespace {

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// The odd (VOB) cells of rows 0-3 that hold a text, as "column,row=text".
QStringList VobCells(TMainForm& form) {
  QStringList cells;
  for (int row = 0; row < 4; ++row)
    for (int column = 1; column < 32; column += 2)
      if (!form.Top().ColourPalette->Cell(column, row).isEmpty())
        cells << QString("%1,%2=%3")
                     .arg(column)
                     .arg(row)
                     .arg(form.Top().ColourPalette->Cell(column, row));
  return cells;
}

// The cells of the unit with colour 0x3210 and contrast 0xFFF0.
const QStringList kDiagonal{"1,0=0", "3,1=15", "5,2=15", "7,3=15"};
// Colour 0xBA98, contrast 0x5678: entries 8-11, intensities 8, 7, 6, 5.
const QStringList kUpper{"17,0=8", "19,1=7", "21,2=6", "23,3=5"};
// Colour 0x4444, contrast 0x9ABC: every slot on entry 4, one column of four rows.
const QStringList kStacked{"9,0=12", "9,1=11", "9,2=10", "9,3=9"};

// A VOB of other packs around one subtitle unit per mapping given.
Bytes VobWith(const std::vector<std::pair<int, int>>& units) {
  VobBuilder builder;
  builder.NavPack().VideoPack().AudioPack();
  int stream = 0;
  for (const auto& [colour, contrast] : units) {
    builder.Unit(stream, MakeSubpictureUnit(colour, contrast, 3000)).VideoPack();
    stream = (stream + 1) % 3;
  }
  return builder.Data();
}

std::string WriteVob(const TempDir& folder, const std::string& name, const Bytes& bytes) {
  const std::string path = folder.File(name);
  WriteFileBytes(path, bytes);
  return path;
}

// A file of `size` bytes that reads as zeros (no subtitle) but for `tail` at its end. Sparse,
// so a large one costs no disk space.
std::string SparseVob(const TempDir& folder, const std::string& name, long long size,
                      const Bytes& tail = {}) {
  const std::string path = folder.File(name);
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
  if (fd < 0) return path;
  bool ok = ::ftruncate(fd, size) == 0;
  if (ok && !tail.empty())
    ok = ::pwrite(fd, tail.data(), tail.size(), size - static_cast<long long>(tail.size())) ==
         static_cast<ssize_t>(tail.size());
  ::close(fd);
  if (!ok) ::unlink(path.c_str());
  return path;
}

// Two subtitles: stream 0 with colour 0x3210 and contrast 0xFFF0, stream 1 with 0xBA98, 0x5678;
// `cutShort`: then on stream 2 a unit whose second packet never comes, at 0x3000.
Bytes TwoStreamVob(bool cutShort = false) {
  VobBuilder builder;
  builder.NavPack()
      .Unit(0, MakeSubpictureUnit(0x3210, 0xFFF0, 3000))
      .VideoPack()
      .Unit(1, MakeSubpictureUnit(0xBA98, 0x5678, 3000));
  if (cutShort) {
    builder.Block(VobBuilder::UnitBlocks(2, MakeSubpictureUnit(0x4444, 0x9ABC, 3000)).front())
        .Unit(2, MakeSubpictureUnit(0x4444, 0x9ABC));
  }
  return builder.Data();
}

// A title set whose attributes name stream 0 "en" and stream 1 "fr".
Bytes LanguageIfo() {
  IfoLayout layout;
  Bytes ifo = BuildIfo(SampleIfoPalette(), layout);
  SetSubpictureStreams(ifo, layout, {"en", "fr"}, {{0x80, 0, 0, 0}, {0x81, 1, 1, 1}});
  return ifo;
}

QStringList Row(const QTableWidget* table, int row) {
  QStringList cells;
  for (int column = 0; column < table->columnCount(); ++column) cells << table->item(row, column)->text();
  return cells;
}

}  // namespace

class VobTabTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void init() {
    files_ = std::make_unique<TempDir>();
    window_ = std::make_unique<WindowHarness>();
    form_ = window_->form.get();
    progress_ = new TProgressForm(form_);
    host_ = std::make_unique<QtProgressHost>(progress_, form_);
    previousHost_ = SetProgressHost(host_.get());
    form_->SettingsTab().SettingsLogLevel->setCurrentIndex(
        kLogWarning);  // errors, warnings and information
    form_->FileTypes()->setCurrentWidget(&form_->Vob());
  }

  void cleanup() {
    SetProgressHost(previousHost_);
    host_.reset();
    window_.reset();  // the window owns the progress form
    files_.reset();
  }

  void oneUnitFillsTheVobCellsOfItsSlots() {
    const std::string path = WriteVob(*files_, "one.vob", VobWith({{0x3210, 0xFFF0}}));
    window_->dialogs.AnswerFile(path);
    form_->Vob().FileOpenVOB->click();

    QCOMPARE(window_->dialogs.fileRuns, 1);
    const FileDialog& asked = window_->dialogs.lastFileDialog;
    QVERIFY(asked.kind == FileDialogKind::kOpenMany);
    QCOMPARE(QString::fromStdString(asked.filter), QString("VOB files (*.vob)|*.vob"));
    QCOMPARE(QString::fromStdString(asked.defaultExt), QString("vob"));

    QCOMPARE(VobCells(*form_), kDiagonal);
    QCOMPARE(Lines(form_->Vob().FileListVOB), QStringList{QString::fromStdString(path)});
    // The SUP side and the index row (in the VOB layout) are left alone.
    for (int column = 0; column < 32; column += 2)
      for (int row = 0; row < 4; ++row)
        QVERIFY(form_->Top().ColourPalette->Cell(column, row).isEmpty());
    QCOMPARE(form_->Top().ColourPalette->Cell(3, 4), QString("01"));
    const QStringList log = Lines(form_->LogListBox());
    QVERIFY(log.contains("Stopping after first subtitle found!!!"));
    QVERIFY(!log.contains("Finished with all files!!!"));
    QVERIFY(form_->isEnabled());
    QVERIFY(progress_->isHidden());
  }

  void firstOnlyStopsAtTheFirstSubtitleOfTheFirstFileInListOrder() {
    // Picked in another order; the list sorts ignoring case: A, b, C.
    const std::string c = WriteVob(*files_, "C.vob", VobWith({{0x4444, 0x9ABC}}));
    const std::string b = WriteVob(*files_, "b.vob", VobWith({{0x4444, 0x9ABC}}));
    const std::string a =
        WriteVob(*files_, "A.vob", VobWith({{0x3210, 0xFFF0}, {0xBA98, 0x5678}}));
    window_->dialogs.fileAnswers.push_back(std::vector<std::string>{c, b, a});
    form_->LogListBox()->clear();
    form_->Vob().FileOpenVOB->click();

    QCOMPARE(Lines(form_->Vob().FileListVOB),
             (QStringList{QString::fromStdString(a), QString::fromStdString(b),
                          QString::fromStdString(c)}));
    QCOMPARE(VobCells(*form_), kDiagonal);
    QCOMPARE(Lines(form_->LogListBox()),
             (QStringList{QString("Processing VOB file [%1]").arg(QString::fromStdString(a)),
                          "Stopping after first subtitle found!!!"}));
  }

  void aFirstFileWithoutSubtitlesEndsTheRunEmpty() {
    // An earlier result, which the failed run must not leave behind.
    const std::string good = WriteVob(*files_, "b.vob", VobWith({{0x3210, 0xFFF0}}));
    window_->dialogs.AnswerFile(good);
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(VobCells(*form_), kDiagonal);

    const std::string none = WriteVob(*files_, "a.vob", VobWith({}));
    window_->dialogs.fileAnswers.push_back(std::vector<std::string>{good, none});
    form_->LogListBox()->clear();
    form_->Vob().FileOpenVOB->click();
    QVERIFY(Lines(form_->Vob().FileListVOB).isEmpty());
    QVERIFY(VobCells(*form_).isEmpty());
    QCOMPARE(Lines(form_->LogListBox()),
             (QStringList{QString("Processing VOB file [%1]").arg(QString::fromStdString(none)),
                          "Found 0 subtitles!"}));

    // An empty file: nothing to read, no subtitle, the same ending; also with all files wanted.
    form_->Vob().FirstSubtitleVOB->setChecked(false);
    window_->dialogs.AnswerFile(good);
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(VobCells(*form_), kDiagonal);
    const std::string empty = WriteVob(*files_, "0.vob", {});
    window_->dialogs.fileAnswers.push_back(std::vector<std::string>{empty, good});
    form_->LogListBox()->clear();
    form_->Vob().FileOpenVOB->click();
    QVERIFY(Lines(form_->Vob().FileListVOB).isEmpty());
    QVERIFY(VobCells(*form_).isEmpty());
    QCOMPARE(Lines(form_->LogListBox()),
             (QStringList{QString("Processing VOB file [%1]").arg(QString::fromStdString(empty)),
                          "Found 0 subtitles!"}));
    QVERIFY(form_->isEnabled());
    QVERIFY(progress_->isHidden());
  }

  void allFilesScannedWhenFirstOnlyIsOff() {
    form_->Vob().FirstSubtitleVOB->click();  // the user's click: saved at once
    QVERIFY(!form_->Vob().FirstSubtitleVOB->isChecked());
    QCOMPARE(IniValues(window_->IniPath()).at("VOB_Settings/FirstSubtitle"), std::string("0"));

    const std::string a = WriteVob(*files_, "a.vob", VobWith({{0x3210, 0xFFF0}, {0x3210, 0xFFF0}}));
    const std::string b = WriteVob(*files_, "b.vob", VobWith({{0xBA98, 0x5678}}));
    const std::string c = WriteVob(*files_, "c.vob", VobWith({{0x3210, 0xFFF0}, {0x4440, 0x9AB7}}));
    window_->dialogs.fileAnswers.push_back(std::vector<std::string>{c, a, b});
    form_->LogListBox()->clear();
    form_->Vob().FileOpenVOB->click();

    // The last file's own mapping: both its units, nothing of a or b. The later unit overwrites
    // what the earlier one recorded for the same entry and slot (entry 0, slot 0).
    QStringList expected{"1,0=7", "3,1=15", "5,2=15", "7,3=15", "9,1=11", "9,2=10", "9,3=9"};
    QStringList cells = VobCells(*form_);
    cells.sort();
    QCOMPARE(cells, expected);
    QCOMPARE(Lines(form_->Vob().FileListVOB).size(), 3);

    const auto processing = [](const std::string& path) {
      return QString("Processing VOB file [%1]").arg(QString::fromStdString(path));
    };
    QCOMPARE(Lines(form_->LogListBox()),
             (QStringList{processing(a), "Found 2 subtitles!", processing(b), "Found 1 subtitles!",
                          processing(c), "Found 2 subtitles!", "Finished with all files!!!"}));

    form_->Vob().FirstSubtitleVOB->click();
    QCOMPARE(IniValues(window_->IniPath()).at("VOB_Settings/FirstSubtitle"), std::string("1"));
  }

  void cancelDuringTheSecondOfThreeFiles() {
    form_->Vob().FirstSubtitleVOB->setChecked(false);
    const std::string a = WriteVob(*files_, "a.vob", VobWith({{0x3210, 0xFFF0}}));
    const std::string b = SparseVob(*files_, "b.vob", 8LL << 30, VobWith({{0x4444, 0x9ABC}}));
    const std::string c = WriteVob(*files_, "c.vob", VobWith({{0xBA98, 0x5678}}));
    QVERIFY(FileExists(b));
    window_->dialogs.fileAnswers.push_back(std::vector<std::string>{a, b, c});

    // Clicks the progress window's Cancel button once the second file's scan is under way.
    bool clicked = false;
    bool disabledWhenClicked = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
      if (clicked || form_->VobScanner().Path() != b || !progress_->isVisible()) return;
      disabledWhenClicked = !form_->isEnabled();
      clicked = true;
      QTest::mouseClick(progress_->ProgressCancel, Qt::LeftButton);
    });
    watcher.start(2);
    form_->Vob().FileOpenVOB->click();
    watcher.stop();

    QVERIFY(clicked);
    QVERIFY(disabledWhenClicked);
    const QStringList log = Lines(form_->LogListBox());
    QCOMPARE(log.last(), QString("WARNING - Cancel button pressed process aborted!"));
    QVERIFY(log.contains(QString("Processing VOB file [%1]").arg(QString::fromStdString(b))));
    QVERIFY(!log.contains(QString("Processing VOB file [%1]").arg(QString::fromStdString(c))));
    QVERIFY(!log.contains("Finished with all files!!!"));
    QVERIFY(progress_->isHidden());
    QVERIFY(form_->isEnabled());
    QVERIFY(Lines(form_->Vob().FileListVOB).isEmpty());
    QVERIFY(VobCells(*form_).isEmpty());
    QVERIFY(!form_->VobScanner().IsOpen());

    // The next run is not stopped by the flag the cancelled one left set.
    window_->dialogs.AnswerFile(c);
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(VobCells(*form_), kUpper);
    QCOMPARE(Lines(form_->LogListBox()).last(), QString("Finished with all files!!!"));
  }

  void aFileThatCannotBeOpenedEndsTheRun() {
    const std::string good = WriteVob(*files_, "b.vob", VobWith({{0x3210, 0xFFF0}}));
    window_->dialogs.AnswerFile(good);
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(VobCells(*form_), kDiagonal);

    // Gone since it was picked; and a folder, which is no file to scan.
    const std::string gone = files_->File("a.vob");
    window_->dialogs.fileAnswers.push_back(std::vector<std::string>{good, gone});
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(Lines(form_->LogListBox()).last(),
             QString("ERROR - Can't open [%1]").arg(QString::fromStdString(gone)));
    QVERIFY(Lines(form_->Vob().FileListVOB).isEmpty());
    QVERIFY(VobCells(*form_).isEmpty());

    form_->Vob().FirstSubtitleVOB->setChecked(false);
    window_->dialogs.fileAnswers.push_back(std::vector<std::string>{good, files_->Path()});
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(Lines(form_->LogListBox()).last(),
             QString("ERROR - Can't open [%1]").arg(QString::fromStdString(files_->Path())));
    QVERIFY(Lines(form_->Vob().FileListVOB).isEmpty());
    QVERIFY(VobCells(*form_).isEmpty());
    QVERIFY(progress_->isHidden());
    QVERIFY(form_->isEnabled());
  }

  void cancellingTheDialogChangesNothing() {
    const std::string path = WriteVob(*files_, "one.vob", VobWith({{0xBA98, 0x5678}}));
    window_->dialogs.AnswerFile(path);
    form_->Vob().FileOpenVOB->click();
    const QStringList log = Lines(form_->LogListBox());

    window_->dialogs.CancelFile();
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(window_->dialogs.fileRuns, 2);
    QCOMPARE(VobCells(*form_), kUpper);
    QCOMPARE(Lines(form_->Vob().FileListVOB), QStringList{QString::fromStdString(path)});
    QCOMPARE(Lines(form_->LogListBox()), log);
  }

  void theProgressWindowRunsOverADisabledMainWindow() {
    // Large enough that the scan pumps events many times; the subtitle is at its end.
    const std::string path =
        SparseVob(*files_, "long.vob", 1LL << 30, VobWith({{0xBA98, 0x5678}}));
    QVERIFY(FileExists(path));
    window_->dialogs.AnswerFile(path);

    int samples = 0;
    int shownAndDisabled = 0;
    int barMoved = 0;
    bool captionAndText = true;
    bool closeRefused = true;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
      ++samples;
      if (progress_->isVisible() && !form_->isEnabled() && progress_->isEnabled())
        ++shownAndDisabled;
      if (progress_->ProgressBar->value() > 0) ++barMoved;
      captionAndText =
          captionAndText && progress_->windowTitle() == "VELMORAN a4.04" &&
          progress_->ProgressInfo->toPlainText() ==
              QString("Processing VOB file [%1]").arg(QString::fromStdString(path));
      // Closing the main window mid-scan is refused.
      form_->close();
      closeRefused = closeRefused && form_->isVisible();
    });
    watcher.start(1);
    form_->Vob().FileOpenVOB->click();
    watcher.stop();

    QVERIFY2(samples >= 3, qPrintable(QString::number(samples)));
    QCOMPARE(shownAndDisabled, samples);
    QVERIFY(barMoved > 0);
    QVERIFY(captionAndText);
    QVERIFY(closeRefused);
    QVERIFY(progress_->isHidden());
    QVERIFY(form_->isEnabled());
    QCOMPARE(VobCells(*form_), kUpper);
    QCOMPARE(Lines(form_->Vob().FileListVOB), QStringList{QString::fromStdString(path)});
    // Once the scan is over the window closes again.
    QVERIFY(form_->close());
  }

  void anErrorEscapingTheScanStillEndsTheRun() {
    const std::string good = WriteVob(*files_, "b.vob", VobWith({{0x3210, 0xFFF0}}));
    window_->dialogs.AnswerFile(good);
    form_->Vob().FileOpenVOB->click();
    QCOMPARE(VobCells(*form_), kDiagonal);

    // A log that fails on the first command line, in the middle of the scan.
    class FailingLog : public LogRecorder {
     public:
      FailingLog() : LogRecorder(kLogDetail) {}
      void AppendLine(const std::string& line) override {
        if (line.rfind("Cmd3 - ", 0) == 0) throw std::runtime_error("log full");
        LogRecorder::AppendLine(line);
      }
    } failing;
    ScopedLogTarget scoped(&failing);
    window_->dialogs.AnswerFile(good);
    bool thrown = false;
    try {
      form_->FileOpenVOBClick();
    } catch (const std::runtime_error&) {
      thrown = true;
    }
    QVERIFY(thrown);
    QVERIFY(progress_->isHidden());
    QVERIFY(form_->isEnabled());
    QVERIFY(!form_->VobScanner().IsOpen());
    QVERIFY(form_->VobScanner().NoUnitsHeld());
    QVERIFY(Lines(form_->Vob().FileListVOB).isEmpty());
    QVERIFY(VobCells(*form_).isEmpty());
  }

  void StreamViewAndRecolourInPlaceMatchTheRemap() {
    TempDir reference;
    const std::string path = WriteVob(*files_, "VTS_01_1.VOB", TwoStreamVob(true));
    const std::string expected = WriteVob(reference, "VTS_01_1.VOB", TwoStreamVob(true));
    WriteFileBytes(files_->File("VTS_01_0.IFO"), LanguageIfo());
    form_->Vob().FirstSubtitleVOB->setChecked(false);
    window_->dialogs.AnswerFile(path);
    form_->Vob().FileOpenVOB->click();

    const QTableWidget* table = form_->VobStreams().Table;
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(Row(table, 0), (QStringList{"0", "en", "1", "0", "0=0", "1=15", "2=15", "3=15"}));
    QCOMPARE(Row(table, 1), (QStringList{"1", "fr", "1", "0", "8=8", "9=7", "10=6", "11=5"}));
    QCOMPARE(Row(table, 2).mid(0, 4), (QStringList{"2", "", "1", "1"}));
    QCOMPARE(Row(form_->VobStreams().Dropped, 0),
             (QStringList{QString::fromStdString(path), "2", "00003000", "cut short by the next unit"}));

    ScriptedDiscDialogs disc;
    form_->SetDiscDialogs(&disc);
    EntryMap map;
    map.entry[9] = 4;
    map.contrast[10] = 3;
    disc.recolour = RecolourRequest{{}, 1, map, ""};
    form_->Vob().RecolourVOB->click();
    QCOMPARE(disc.offered, (std::vector<int>{0, 1, 2}));
    QVERIFY(disc.question.contains(QString::fromStdString(path)));
    VobRemap remap(map, 1);
    QVERIFY(remap.Plan({expected}) && remap.WriteInPlace());
    QCOMPARE(ReadFileBytes(path), ReadFileBytes(expected));
    QVERIFY(ReadFileBytes(path) != TwoStreamVob(true));
    // Scanned again: stream 1's outline now uses entry 4, its text contrast 3.
    QCOMPARE(Row(table, 1).mid(4), (QStringList{"8=8", "4=7", "10=3", "11=5"}));

    // Every stream: the unit cut short refuses the run, and the file stays as it was.
    disc.recolour->stream = -1;
    form_->Vob().RecolourVOB->click();
    QCOMPARE(ReadFileBytes(path), ReadFileBytes(expected));
    QCOMPARE(Lines(form_->LogListBox()).last(),
             QString("ERROR - VOB files not recoloured, every file left as it was"));
  }

  void ADeclinedRecolourChangesNothingAndCopiesLeaveTheScannedFiles() {
    TempDir copies;
    TempDir reference;
    const std::string path = WriteVob(*files_, "VTS_02_1.VOB", TwoStreamVob());
    const std::string expected = WriteVob(reference, "VTS_02_1.VOB", TwoStreamVob());
    window_->dialogs.AnswerFile(path);
    form_->Vob().FileOpenVOB->click();
    ScriptedDiscDialogs disc;
    form_->SetDiscDialogs(&disc);
    EntryMap map;
    map.entry[0] = 7;
    map.entry[8] = 1;
    disc.recolour = RecolourRequest{{}, -1, map, copies.Path()};
    disc.confirm = false;
    form_->Vob().RecolourVOB->click();
    QCOMPARE(disc.confirmRuns, 1);
    QVERIFY(ListFolder(copies.Path()).empty());

    disc.confirm = true;
    form_->Vob().RecolourVOB->click();
    VobRemap remap(map, -1);
    QVERIFY(remap.Plan({expected}) && remap.WriteInPlace());
    QCOMPARE(ListFolder(copies.Path()), std::vector<std::string>{"VTS_02_1.VOB"});
    QCOMPARE(ReadFileBytes(copies.File("VTS_02_1.VOB")), ReadFileBytes(expected));
    QCOMPARE(ReadFileBytes(path), TwoStreamVob());
  }

 private:
  std::unique_ptr<TempDir> files_;  // a fresh folder for each test
  std::unique_ptr<WindowHarness> window_;
  TMainForm* form_ = nullptr;
  TProgressForm* progress_ = nullptr;
  std::unique_ptr<QtProgressHost> host_;
  ProgressHost* previousHost_ = nullptr;
};

QTEST_MAIN(VobTabTest)
#include "VobTabTest.moc"
