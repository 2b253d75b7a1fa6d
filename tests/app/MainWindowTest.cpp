// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up with and without a settings file, tab switching, the log list,
// the settings written at each change, the dialogs' folders kept across runs, and the palette
// grid as drawn.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

#include "app/PaletteGrid.h"
#include "app/SampleView.h"
#include "core/FileIO.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/Recorders.h"
#include "tests/support/SupBuilder.h"

namespace {

// The grid cell (column, row) as drawn by the window's drawing routine.
QImage DrawCell(TMainForm& form, int column, int row) {
  QImage image(20, 24, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  QPainter painter(&image);
  form.Top().ColourPaletteDrawCell(painter, column, row, QRect(0, 0, 20, 24));
  return image;
}

// Ink pixels of a drawn cell: any pixel not of its fill colour (the corner pixel).
QRect InkBounds(const QImage& cell) {
  const QRgb fill = cell.pixel(19, 23);
  QRect bounds;
  for (int y = 0; y < cell.height(); ++y)
    for (int x = 0; x < cell.width(); ++x)
      if (cell.pixel(x, y) != fill) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

// A control's bounds in the window's client area.
QRect InWindow(const QWidget* control) {
  return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

void ClickTab(TMainForm& form, int index) {
  QTabBar* bar = form.FileTypes()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void FirstStartWritesTheSettingsBeforeTheWindowShows() {
    WindowHarness window(false);
    TMainForm& form = *window.form;
    QVERIFY(FileExists(window.IniPath()));
    QCOMPARE(form.IniSettings().IniFileName(), window.IniPath());
    const auto ini = IniValues(window.IniPath());
    const std::map<std::string, std::string> expected = {
        {"GeneralSettings/LogLevel", "-1"},
        {"GeneralSettings/FontName", "Arial"},
        {"GeneralSettings/FontSize", "28"},
        {"GeneralSettings/FontBold", "0"},
        {"GeneralSettings/FontItal", "0"},
        {"GeneralSettings/SampleText", "The Quick Brown Fox jumps over the Lazy Dog!"},
        {"GeneralSettings/Antialias", "1"},
        {"GeneralSettings/Outline", "7"},
        {"GeneralSettings/BackGround", "0"},
        {"VOB_Settings/FirstSubtitle", "1"}};
    QVERIFY(ini == expected);

    // Built state: caption, Settings tab, empty grid, events on.
    QCOMPARE(form.windowTitle(), QString("Velmoran"));
    QCOMPARE(form.FileTypes()->currentWidget(), &form.SettingsTab());
    QCOMPARE(form.Top().ColourPalette->Cell(0, 4), QString());
    QVERIFY(form.EventsAreEnabled());
    const std::string before = ReadText(window.IniPath());

    window.Show();
    QCOMPARE(form.windowTitle(), QString("VELMORAN a4.04"));
    QCOMPARE(form.FileTypes()->currentWidget(), &form.Sup());
    QCOMPARE(form.SettingsTab().SettingsLogLevel->currentIndex(), -1);
    QCOMPARE(form.Preview().SampleText->text(),
             QString("The Quick Brown Fox jumps over the Lazy Dog!"));
    QCOMPARE(form.Preview().AntialiasWidth->value(), 1);
    QCOMPARE(form.Preview().OutlineWidth->value(), 7);
    QVERIFY(!form.Preview().TransBackground->isChecked());
    QVERIFY(form.Vob().FirstSubtitleVOB->isChecked());
    QCOMPARE(form.Preview().SampleTextFontDialog.font.name, std::string("Arial"));
    QCOMPARE(form.Preview().SampleTextFontDialog.font.size, 28);
    QVERIFY(form.EventsAreEnabled());
    // Loading the settings wrote nothing, and with no level chosen the log is silent.
    QCOMPARE(ReadText(window.IniPath()), before);
    LogMessage(kLogError, "ERROR - %s", "nobody sees this");
    QCOMPARE(form.LogListBox()->count(), 0);
  }

  void ControlsStartWithTheirDesignedValues() {
    WindowHarness window;
    TMainForm& form = *window.form;
    QCOMPARE(form.size(), QSize(861, 718));
    QCOMPARE(InWindow(form.Top().ColourPalette), QRect(112, 8, 644, 121));
    QCOMPARE(form.FileTypes()->geometry(), QRect(8, 136, 841, 329));
    QCOMPARE(form.LogListBox()->geometry(), QRect(8, 472, 841, 105));
    QCOMPARE(InWindow(form.Preview().SampleImage), QRect(8, 584, 841, 89));
    QCOMPARE(InWindow(form.Preview().SampleFont), QRect(760, 680, 89, 25));
    QCOMPARE(form.Sup().OpenSUP->geometry(), QRect(8, 256, 97, 33));
    QCOMPARE(form.Sup().RestoreSUP->geometry().left(), 320);
    QCOMPARE(form.Ifo().Hex[0]->geometry(), QRect(448, 40, 81, 24));
    QCOMPARE(form.Ifo().Hex[15]->geometry().topLeft(), QPoint(656, 40 + 32 * 7));
    QCOMPARE(form.Ifo().ColourPanel[9]->geometry(), QRect(744, 72, 81, 25));

    const QStringList tabs = {"SUP File", "IFO File", "VOB File", "Settings"};
    for (int i = 0; i < 4; ++i) QCOMPARE(form.FileTypes()->tabText(i), tabs[i]);
    QCOMPARE(form.SettingsTab().SettingsLogLevel->count(), 11);
    QCOMPARE(form.SettingsTab().SettingsLogLevel->itemText(4), QString("Warnings"));
    QCOMPARE(form.SettingsTab().SettingsLogLevel->itemText(10), QString("All"));
    for (int slot = 0; slot < 4; ++slot) {
      QCOMPARE(form.Sup().MapLists[slot]->count(), 16);
      QCOMPARE(form.Sup().MapLists[slot]->currentIndex(), 0);
      QCOMPARE(form.Sup().IntLists[slot]->currentIndex(), 0);
      QCOMPARE(form.Sup().MapFileEdits[slot]->text(), QString("0"));
      QVERIFY(!form.Sup().IntFileEdits[slot]->isEnabled());
    }
    QCOMPARE(form.Sup().BackgroundIntSUP->itemText(0), QString("0 - Trans"));
    QCOMPARE(form.Sup().BackgroundIntSUP->itemText(14), QString("14"));
    QCOMPARE(form.Sup().BackgroundIntSUP->itemText(15), QString("15 - Opaque"));
    QVERIFY(form.Sup().FileNameSUP->text().isEmpty() && form.Sup().FileNameSUP->isReadOnly());
    QVERIFY(form.Sup().SubtitleCountSUP->text().isEmpty());
    QVERIFY(form.Sup().FirstSubtitleSUP->isChecked() && form.Sup().FirstSubtitleSUP->isHidden());
    QVERIFY(!form.Top().ColourPalette->isEnabled());
    QCOMPARE(form.Ifo().ColourPanel[3]->text(), QString("Colour"));
    QCOMPARE(form.Ifo().Hex[12]->objectName(), QString("Hex12"));
    QCOMPARE(form.Ifo().Hex[12]->property("Tag").toInt(), 12);
    QCOMPARE(form.Vob().FileOpenVOB->text(), QString("Open VOB(s)"));
    QVERIFY(form.SettingsTab().MemoSettings->toPlainText().contains(
        "there is \"free\" space in the palette.\n\nThe sample text below"));
    QCOMPARE(form.Sup().MemoSUP->toPlainText().split('\n').size(), 7);
    // Every note is read-only yet reads in black, like the IFO tab's.
    for (const QPlainTextEdit* note : {form.Sup().MemoSUP, form.Ifo().Memo1, form.Vob().Memo2,
                                       form.SettingsTab().MemoSettings}) {
      QVERIFY(note->isReadOnly() && !note->isEnabled());
      QCOMPARE(note->palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::black));
    }
    QCOMPARE(form.Sup().OpenDialogSUP.filter, std::string("SUP files (*.sup)|*.sup"));
    QCOMPARE(form.Sup().SaveDialogSUP.filter, std::string("SUP Files (*.sup)|*.sup"));
    QVERIFY(form.Vob().OpenDialogVOB.kind == FileDialogKind::kOpenMany);
    for (TColor colour : form.Palette()) QCOMPARE(colour, TColor(0));
  }

  void SettingsFileWithOneKeyGivesDefaultsForTheRest() {
    TempDir folder;
    WriteIni(folder, "[GeneralSettings]\nOutline=3\n");
    ScriptedDialogs dialogs;
    TMainForm form(folder.File("velmoran"), &dialogs);
    QCOMPARE(ReadText(folder.File("velmoran.INI")), std::string("[GeneralSettings]\nOutline=3\n"));
    form.show();
    QCOMPARE(form.SettingsTab().SettingsLogLevel->currentIndex(), 4);
    QCOMPARE(form.Preview().SampleTextFontDialog.font.name, std::string("Arial"));
    QCOMPARE(form.Preview().SampleTextFontDialog.font.size, 24);
    QVERIFY(!form.Preview().SampleTextFontDialog.font.bold &&
            !form.Preview().SampleTextFontDialog.font.italic);
    QCOMPARE(form.Preview().OutlineWidth->value(), 3);
    QCOMPARE(form.Preview().AntialiasWidth->value(), 1);
    QVERIFY(form.Vob().FirstSubtitleVOB->isChecked());
    // Still untouched: loading never saves.
    QCOMPARE(ReadText(folder.File("velmoran.INI")), std::string("[GeneralSettings]\nOutline=3\n"));

    // With "Warnings" chosen, levels 2-4 show and 5 does not.
    LogMessage(kLogWarning, "WARNING - shown");
    LogMessage(kLogDetail, "hidden");
    QCOMPARE(Lines(form.LogListBox()), QStringList{"WARNING - shown"});

    // The next save writes every key.
    form.Preview().OutlineWidth->setValue(4);
    const auto ini = IniValues(folder.File("velmoran.INI"));
    QCOMPARE(ini.size(), std::size_t(10));
    QCOMPARE(ini.at("GeneralSettings/Outline"), std::string("4"));
    QCOMPARE(ini.at("GeneralSettings/LogLevel"), std::string("4"));
  }

  void TheDetailLevelNamesTheSettingsFileInUse() {
    TempDir folder;
    WriteIni(folder, "[GeneralSettings]\nLogLevel=5\n");
    ScriptedDialogs dialogs;
    TMainForm form(folder.File("velmoran"), &dialogs);
    form.show();
    QCOMPARE(Lines(form.LogListBox()),
             QStringList{QString::fromStdString("Settings file [" + folder.File("velmoran.INI") + "]")});
  }

  void OutOfRangeSettingsAreKeptInBoundsByTheControls() {
    TempDir folder;
    WriteIni(folder,
             "[GeneralSettings]\nLogLevel=12\nAntialias=15\nOutline=-2\nFontBold=2\n"
             "BackGround=1\n[VOB_Settings]\nFirstSubtitle=0\n");
    ScriptedDialogs dialogs;
    TMainForm form(folder.File("velmoran"), &dialogs);
    form.show();
    QCOMPARE(form.SettingsTab().SettingsLogLevel->currentIndex(), -1);
    QCOMPARE(form.Preview().AntialiasWidth->value(), 10);
    QCOMPARE(form.Preview().OutlineWidth->value(), 0);
    QVERIFY(form.Preview().SampleTextFontDialog.font.bold);
    QVERIFY(form.Preview().TransBackground->isChecked());
    QVERIFY(form.Preview().SampleImage->Transparent());
    QVERIFY(!form.Vob().FirstSubtitleVOB->isChecked());
  }

  void EachSettingChangeIsWrittenAtOnceAndClosingWritesNothing() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 3);
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/LogLevel"), std::string("3"));
    form.Vob().FirstSubtitleVOB->click();
    QCOMPARE(IniValues(window.IniPath()).at("VOB_Settings/FirstSubtitle"), std::string("0"));
    form.Preview().TransBackground->click();
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/BackGround"), std::string("1"));
    form.Preview().AntialiasWidth->setValue(2);
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/Antialias"), std::string("2"));
    form.Preview().SampleText->clear();
    QTest::keyClicks(form.Preview().SampleText, "Hi");
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/SampleText"), std::string("Hi"));

    // Setting the level from code is no pick: nothing is saved.
    form.SettingsTab().SettingsLogLevel->setCurrentIndex(7);
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/LogLevel"), std::string("3"));

    const std::string before = ReadText(window.IniPath());
    form.close();
    window.form.reset();
    QCOMPARE(ReadText(window.IniPath()), before);
  }

  void DialogFoldersAreKeptAcrossRuns() {
    TempDir program;
    TempDir films;
    TempDir out;
    const std::string film = films.File("film.sup");
    WriteFileBytes(film, SupBuilder().Marker().Add(1, SupPacket()).Build());
    const std::string ini = program.File("velmoran.INI");
    {
      ScriptedDialogs dialogs;
      TMainForm form(program.File("velmoran"), &dialogs);
      form.show();
      dialogs.CancelFile();
      form.Sup().OpenSUP->click();
      QCOMPARE(IniValues(ini).size(), std::size_t(10));  // a cancel keeps no folder

      dialogs.AnswerFile(film);
      form.Sup().OpenSUP->click();
      QCOMPARE(IniValues(ini).size(), std::size_t(11));
      QCOMPARE(IniValues(ini).at("LastFolders/OpenDialogSUP"), films.Path());
      QCOMPARE(form.Sup().SaveDialogSUP.fileName, film);  // no save folder yet: the file itself
      dialogs.AnswerFile(out.File("film-new.sup"));
      form.Sup().SaveSUP->click();
      QCOMPARE(IniValues(ini).at("LastFolders/SaveDialogSUP"), out.Path());
    }

    // The next run opens where the last one left off and proposes the last save folder.
    ScriptedDialogs dialogs;
    TMainForm form(program.File("velmoran"), &dialogs);
    form.show();
    dialogs.AnswerFile(film);
    form.Sup().OpenSUP->click();
    QCOMPARE(dialogs.lastFileDialog.folder, films.Path());
    QCOMPARE(form.Sup().SaveDialogSUP.fileName, out.File("film.sup"));
    QCOMPARE(form.Vob().OpenDialogVOB.folder, std::string());  // each dialog keeps its own

    // A save folder that has gone away proposes the opened file again.
    QVERIFY(QDir(QString::fromStdString(out.Path())).removeRecursively());
    dialogs.AnswerFile(film);
    form.Sup().OpenSUP->click();
    QCOMPARE(form.Sup().SaveDialogSUP.fileName, film);
  }

  void WhileEventsAreOffChangesNeitherDrawNorSave() {
    WindowHarness window;
    TMainForm& form = *window.form;
    std::remove(window.IniPath().c_str());
    form.SetEventsEnabled(false);
    form.Preview().OutlineWidth->setValue(2);
    form.Preview().SampleText->setText("quiet");
    form.Preview().TransBackground->setChecked(true);
    PickItem(form.SettingsTab().SettingsLogLevel, 5);
    form.Vob().FirstSubtitleVOB->setChecked(false);
    QVERIFY(!FileExists(window.IniPath()));
    QVERIFY(!form.Preview().SampleImage->Transparent());
    form.SetEventsEnabled(true);
    form.Preview().OutlineWidth->setValue(3);
    QVERIFY(FileExists(window.IniPath()));
  }

  void TabSwitchesMoveTheIndexRow() {
    WindowHarness window;
    TMainForm& form = *window.form;
    auto expectRow = [&form](bool supSide) {
      for (int n = 0; n < 16; ++n) {
        const QString number = QString("%1").arg(n, 2, 10, QChar('0'));
        QCOMPARE(form.Top().ColourPalette->Cell(2 * n, 4), supSide ? number : QString());
        QCOMPARE(form.Top().ColourPalette->Cell(2 * n + 1, 4), supSide ? QString() : number);
      }
    };
    expectRow(true);
    form.Top().ColourPalette->SetCell(6, 1, "15");  // a SUP cell survives every switch
    ClickTab(form, 2);
    QCOMPARE(form.FileTypes()->currentWidget(), &form.Vob());
    expectRow(false);
    ClickTab(form, 1);
    expectRow(false);
    ClickTab(form, 3);
    expectRow(false);
    ClickTab(form, 0);
    expectRow(true);
    ClickTab(form, 1);
    expectRow(true);
    QCOMPARE(form.Top().ColourPalette->Cell(6, 1), QString("15"));
  }

  void LogListKeepsTheNewestThousandLinesAndSelectsTheLast() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, 10);
    for (int i = 1; i <= 1001; ++i) LogMessage(kLogInfo, "line %d", i);
    QCOMPARE(form.LogListBox()->count(), 1000);
    QCOMPARE(form.LogListBox()->item(0)->text(), QString("line 2"));
    QCOMPARE(form.LogListBox()->currentRow(), 999);
    LogMessage(kLogInfo, "file [%s]", "50% done.sup");
    QCOMPARE(form.LogListBox()->item(999)->text(), QString("file [50% done.sup]"));
    // The window leaves the log to whoever registered before it.
    window.form.reset();
    LogRecorder recorder;
    ScopedLogTarget scope(&recorder);
    LogMessage(kLogError, "after");
    QCOMPARE(recorder.LineCount(), 1);
  }

  void EnterPressesTheActiveTabsOpenButton() {
    WindowHarness window;
    TMainForm& form = *window.form;
    QTest::keyClick(&form, Qt::Key_Return);
    QCOMPARE(window.dialogs.fileRuns, 1);
    QCOMPARE(window.dialogs.lastFileDialog.filter, std::string("SUP files (*.sup)|*.sup"));
    form.FileTypes()->setCurrentWidget(&form.SettingsTab());
    QTest::keyClick(&form, Qt::Key_Return);
    QCOMPARE(window.dialogs.fileRuns, 1);
  }

  void GridCellsShowPaletteColourTextColourAndStyle() {
    WindowHarness window;
    TMainForm& form = *window.form;
    // Start-up: rows 0-3 black and empty, row 4 white with black numbers in even columns.
    const QImage blank = DrawCell(form, 5, 2);
    QCOMPARE(ColoursOf(blank), QSet<QRgb>{0x000000});
    const QImage number = DrawCell(form, 4, 4);
    QCOMPARE(ColoursOf(number), (QSet<QRgb>{0xFFFFFF, 0x000000}));
    QVERIFY(InkBounds(number).left() >= 2 && InkBounds(number).top() >= 2);
    QCOMPARE(ColoursOf(DrawCell(form, 5, 4)), QSet<QRgb>{0xFFFFFF});

    // Both columns of a pair take the entry's colour; the text colour follows the fill.
    form.SetPaletteColour(3, MakeColour(0, 0, 255));    // blue: white text
    form.SetPaletteColour(4, MakeColour(255, 255, 0));  // yellow: black text
    form.Top().SetGridCell(6, 0, "15");
    form.Top().SetGridCell(7, 0, "15");
    form.Top().SetGridCell(8, 0, "3");
    QCOMPARE(ColoursOf(DrawCell(form, 7, 3)), QSet<QRgb>{0x0000FF});
    QCOMPARE(ColoursOf(DrawCell(form, 6, 0)), (QSet<QRgb>{0x0000FF, 0xFFFFFF}));
    QCOMPARE(ColoursOf(DrawCell(form, 8, 0)), (QSet<QRgb>{0xFFFF00, 0x000000}));

    // The same text is underlined in an odd column only.
    const QRect even = InkBounds(DrawCell(form, 6, 0));
    const QRect odd = InkBounds(DrawCell(form, 7, 0));
    QVERIFY(odd.height() > even.height() || odd.width() > even.width());
    QCOMPARE(odd.top(), even.top());
  }

  void GridRepaintShowsNewPaletteColours() {
    WindowHarness window;
    TMainForm& form = *window.form;
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.SetPaletteColour(15, MakeColour(0, 255, 0));
    form.RepaintPalette();
    const QImage grid = form.Top().ColourPalette->grab().toImage();
    const QRect entry15(600, 0, 40, 96);
    QCOMPARE(CountColour(grid, 0x00FF00, entry15), 40 * 96);
    QCOMPARE(grid.pixel(599, 50) & 0xFFFFFF, QRgb(0x000000));
    QCOMPARE(grid.pixel(639, 97) & 0xFFFFFF, QRgb(0xFFFFFF));  // row 4 stays white
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
