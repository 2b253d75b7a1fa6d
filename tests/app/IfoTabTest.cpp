// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO tab end to end: typing into the hex fields, picking panel colours, Default, Restore,
// opening and saving title set files through the scripted dialogs, and what the grid, the
// preview and the log show afterwards.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <set>

#include "app/ColourPanel.h"
#include "app/HexEdit.h"
#include "app/PaletteGrid.h"
#include "app/SampleView.h"
#include "tests/app/PaintCounter.h"
#include "tests/app/WindowHarness.h"
#include "tests/support/IfoBuilder.h"

namespace {

constexpr int kWarnings = 4;
constexpr int kDetails = 5;
constexpr QRgb kMarker = 0x123456;  // painted into the preview to see whether it is redrawn

// The hex text of an IfoPalette entry (0xYYRRBB).
QString EntryText(std::uint32_t entry) {
  return QString("%1").arg(entry & 0xFFFFFF, 6, 16, QChar('0')).toUpper();
}

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

QStringList HexTexts(TMainForm& form) {
  QStringList texts;
  for (HexEdit* field : form.Ifo().Hex) texts << field->Text();
  return texts;
}

std::array<TColor, 16> PanelColours(TMainForm& form) {
  std::array<TColor, 16> colours{};
  for (int i = 0; i < 16; ++i) colours[i] = form.Ifo().ColourPanel[i]->Colour();
  return colours;
}

std::string WriteIfo(const TempDir& folder, const std::string& name,
                     const IfoPalette& palette = SampleIfoPalette()) {
  const std::string path = folder.File(name);
  WriteFileBytes(path, BuildIfo(palette));
  return path;
}

// Fills the preview with a colour no palette here produces.
void MarkPreview(TMainForm& form) {
  form.Preview().SampleImage->Picture().fill(QColor::fromRgb(kMarker));
}
bool PreviewRedrawn(TMainForm& form) {
  return CountColour(form.Preview().SampleImage->Picture(), kMarker) == 0;
}

// The colour the grid shows in cell (column, row), away from any text.
QRgb GridColour(TMainForm& form, int column, int row) {
  const QImage image = form.Top().ColourPalette->grab().toImage();
  const QRect cell = form.Top().ColourPalette->CellRect(column, row);
  return image.pixel(cell.right() - 1, cell.bottom() - 1) & 0xFFFFFF;
}

void Click(ColourPanelBox* panel) { QTest::mouseClick(panel, Qt::LeftButton); }

}  // namespace

class IfoTabTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void StartsEmptyAndWhite() {
    WindowHarness window;
    TMainForm& form = *window.form;
    for (int i = 0; i < 16; ++i) {
      QVERIFY(form.Ifo().Hex[i]->Text().isEmpty());
      QCOMPARE(form.Ifo().Hex[i]->Tag(), i);
      QCOMPARE(form.Ifo().ColourPanel[i]->Tag(), i);
      QCOMPARE(form.Ifo().ColourPanel[i]->Colour(), kWhite);
      QCOMPARE(form.Ifo().ColourPanel[i]->text(), QString("Colour"));
      QCOMPARE(form.Palette()[i], kBlack);
    }
    QVERIFY(form.Ifo().FileNameIFO->text().isEmpty());
    QVERIFY(!form.IfoDocument().HasData());
  }

  void ShortOrNonHexTextsBecomeCanonical() {
    WindowHarness window;
    TMainForm& form = *window.form;
    const TColor ffffff = MakeColour(255, 125, 255);

    // The first character typed into an empty field: FF FF FF at once, after exactly two
    // changes (the typed one and the canonical rewrite).
    QSignalSpy changes(form.Ifo().Hex[3], &HexEdit::Changed);
    QTest::keyClick(form.Ifo().Hex[3], Qt::Key_1);
    QCOMPARE(form.Ifo().Hex[3]->Text(), QString("FFFFFF"));
    QCOMPARE(form.Ifo().Hex[3]->text(), QString("FF FF FF "));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(form.Ifo().ColourPanel[3]->Colour(), ffffff);
    QCOMPARE(form.Palette()[3], ffffff);
    QCOMPARE(form.Ifo().ColourPanel[3]->CaptionColour(), kBlack);

    // Typing over a full field keeps the canonical text: letters upper-cased, non-hex as F.
    form.Ifo().Hex[3]->setCursorPosition(0);
    QTest::keyClicks(form.Ifo().Hex[3], "1g8");
    QCOMPARE(form.Ifo().Hex[3]->Text(), QString("1F8FFF"));

    // Deleting the last character of a full field.
    form.Ifo().Hex[4]->SetText("108080");
    QCOMPARE(form.Ifo().ColourPanel[4]->Colour(), kBlack);
    QCOMPARE(form.Ifo().ColourPanel[4]->CaptionColour(), kWhite);
    form.Ifo().Hex[4]->setCursorPosition(9);
    QTest::keyClick(form.Ifo().Hex[4], Qt::Key_Backspace);
    QCOMPARE(form.Ifo().Hex[4]->Text(), QString("FFFFFF"));
    QCOMPARE(form.Ifo().ColourPanel[4]->Colour(), ffffff);
    QCOMPARE(form.Palette()[4], ffffff);
    QCOMPARE(form.Ifo().ColourPanel[4]->CaptionColour(), kBlack);

    // Blanking a middle position turns it into F.
    form.Ifo().Hex[5]->SetText("108080");
    form.Ifo().Hex[5]->setCursorPosition(HexEdit::DisplayIndex(2));
    QTest::keyClick(form.Ifo().Hex[5], Qt::Key_Delete);
    QCOMPARE(form.Ifo().Hex[5]->Text(), QString("10F080"));
    const TColor expected = YCrCbToColour(0x10, 0xF0, 0x80);
    QCOMPARE(form.Ifo().ColourPanel[5]->Colour(), expected);
    QCOMPARE(form.Palette()[5], expected);

    // Other entries are untouched.
    QVERIFY(form.Ifo().Hex[6]->Text().isEmpty());
    QCOMPARE(form.Ifo().ColourPanel[6]->Colour(), kWhite);
    QCOMPARE(form.Palette()[6], kBlack);
  }

  void PickingAPanelColourRewritesItsField() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.Ifo().Hex[7]->SetText("108080");
    QCOMPARE(form.Ifo().ColourPanel[7]->Colour(), kBlack);

    // White converts to EB 7F 7F and back to (253, 255, 252).
    window.dialogs.colourAnswers.push_back(QColor(255, 255, 255));
    Click(form.Ifo().ColourPanel[7]);
    QCOMPARE(window.dialogs.colourRuns, 1);
    QCOMPARE(window.dialogs.lastColour, QColor(0, 0, 0));  // opened on the panel's colour
    QCOMPARE(form.Ifo().Hex[7]->Text(), QString("EB7F7F"));
    QCOMPARE(form.Ifo().ColourPanel[7]->Colour(), MakeColour(253, 255, 252));
    QCOMPARE(form.Palette()[7], MakeColour(253, 255, 252));
    QCOMPARE(form.Ifo().ColourPanel[7]->CaptionColour(), kBlack);

    // White again: the text does not change, so the panel keeps pure white.
    window.dialogs.colourAnswers.push_back(QColor(255, 255, 255));
    Click(form.Ifo().ColourPanel[7]);
    QCOMPARE(window.dialogs.lastColour, QColor(253, 255, 252));
    QCOMPARE(form.Ifo().Hex[7]->Text(), QString("EB7F7F"));
    QCOMPARE(form.Ifo().ColourPanel[7]->Colour(), kWhite);
    QCOMPARE(form.Palette()[7], kWhite);

    // A dark pick gets a white caption.
    window.dialogs.colourAnswers.push_back(QColor(0, 0, 255));
    Click(form.Ifo().ColourPanel[7]);
    QCOMPARE(form.Ifo().Hex[7]->Text(), QString("286DEF"));
    QCOMPARE(form.Ifo().ColourPanel[7]->Colour(), MakeColour(0, 0, 251));
    QCOMPARE(form.Ifo().ColourPanel[7]->CaptionColour(), kWhite);

    // Green 170 comes back as 169, which takes white text; picked again it stays exact and
    // its caption turns black.
    window.dialogs.colourAnswers.push_back(QColor(0, 170, 0));
    Click(form.Ifo().ColourPanel[7]);
    QCOMPARE(form.Ifo().Hex[7]->Text(), QString("65414E"));
    QCOMPARE(form.Ifo().ColourPanel[7]->Colour(), MakeColour(0, 169, 0));
    QCOMPARE(form.Ifo().ColourPanel[7]->CaptionColour(), kWhite);
    window.dialogs.colourAnswers.push_back(QColor(0, 170, 0));
    Click(form.Ifo().ColourPanel[7]);
    QCOMPARE(form.Ifo().ColourPanel[7]->Colour(), MakeColour(0, 170, 0));
    QCOMPARE(form.Palette()[7], MakeColour(0, 170, 0));
    QCOMPARE(form.Ifo().ColourPanel[7]->CaptionColour(), kBlack);
    window.dialogs.colourAnswers.push_back(QColor(0, 0, 255));
    Click(form.Ifo().ColourPanel[7]);

    // Cancelling changes nothing and draws nothing.
    MarkPreview(form);
    window.dialogs.colourAnswers.push_back(std::nullopt);
    Click(form.Ifo().ColourPanel[7]);
    QCOMPARE(window.dialogs.colourRuns, 7);
    QCOMPARE(form.Ifo().Hex[7]->Text(), QString("286DEF"));
    QCOMPARE(form.Ifo().ColourPanel[7]->Colour(), MakeColour(0, 0, 251));
    QCOMPARE(form.Palette()[7], MakeColour(0, 0, 251));
    QVERIFY(!PreviewRedrawn(form));
  }

  void DefaultAppliesTheTableAndASecondDefaultKeepsExactColours() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, kWarnings);
    form.Ifo().Hex[0]->SetText("000000");
    form.Ifo().Hex[9]->SetText("ABCDEF");

    const QStringList texts{"286DEF", "108080", "EB7F7F", "B47F7F", "1C76B8", "7D7F7F",
                            "51EF5A", "30B86D", "902235", "50505A", "718947", "D29210",
                            "6ADDCA", "3DAFA5", "A910A5", "5D4792"};
    const std::array<TColor, 16> defaults{0xFF0000, 0x000000, 0xFFFFFF, 0xC0C0C0,
                                          0x800000, 0x808080, 0x0000FF, 0x000080,
                                          0x00FF00, 0x008000, 0x008080, 0x00FFFF,
                                          0xFF00FF, 0x800080, 0xFFFF00, 0x808000};
    const std::array<TColor, 16> converted{
        MakeColour(0, 0, 251),     MakeColour(0, 0, 0),       MakeColour(253, 255, 252),
        MakeColour(189, 192, 188), MakeColour(0, 0, 126),     MakeColour(125, 128, 124),
        MakeColour(252, 0, 0),     MakeColour(126, 0, 0),     MakeColour(0, 254, 0),
        MakeColour(0, 128, 0),     MakeColour(127, 127, 0),   MakeColour(254, 255, 0),
        MakeColour(253, 0, 254),   MakeColour(127, 0, 127),   MakeColour(0, 254, 252),
        MakeColour(0, 128, 125)};

    MarkPreview(form);
    form.Ifo().DefaultIFO->click();
    QCOMPARE(HexTexts(form), texts);
    QCOMPARE(PanelColours(form), converted);
    QCOMPARE(form.Palette(), converted);
    QVERIFY(PreviewRedrawn(form));

    // The fields already read the table: no field changes, the exact colours stay.
    form.Ifo().DefaultIFO->click();
    QCOMPARE(HexTexts(form), texts);
    QCOMPARE(PanelColours(form), defaults);
    QCOMPARE(form.Palette(), defaults);
    QCOMPARE(form.Ifo().ColourPanel[2]->Colour(), kWhite);

    QCOMPARE(Lines(form.LogListBox()), (QStringList{"WARNING - Default IFO values applied!!!",
                                                    "WARNING - Default IFO values applied!!!"}));
    QVERIFY(!form.IfoDocument().HasData());  // the document is not touched
  }

  void OpenShowsThePaletteAndRestoreBringsItBack() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.FileTypes()->setCurrentWidget(&form.Ifo());
    PickItem(form.SettingsTab().SettingsLogLevel, kWarnings);
    const IfoPalette palette = SampleIfoPalette();
    const std::string path = WriteIfo(window.folder, "VTS_01_0.IFO", palette);

    window.dialogs.AnswerFile(path);
    form.Ifo().OpenIFO->click();
    QCOMPARE(window.dialogs.lastFileDialog.filter, std::string("IFO files (*.ifo)|*.ifo"));
    QCOMPARE(window.dialogs.lastFileDialog.defaultExt, std::string("ifo"));
    QVERIFY(window.dialogs.lastFileDialog.kind == FileDialogKind::kOpen);
    QCOMPARE(form.Ifo().FileNameIFO->text().toStdString(), path);
    for (int i = 0; i < 16; ++i) {
      QCOMPARE(form.Ifo().Hex[i]->Text(), EntryText(palette[i]));
      const TColor colour =
          YCrCbToColour(palette[i] >> 16, (palette[i] >> 8) & 0xFF, palette[i] & 0xFF);
      QCOMPARE(form.Ifo().ColourPanel[i]->Colour(), colour);
      QCOMPARE(form.Palette()[i], colour);
    }

    form.Ifo().DefaultIFO->click();
    QCOMPARE(form.Ifo().Hex[0]->Text(), QString("286DEF"));
    MarkPreview(form);
    form.Ifo().RestoreIFO->click();
    for (int i = 0; i < 16; ++i) QCOMPARE(form.Ifo().Hex[i]->Text(), EntryText(palette[i]));
    QVERIFY(PreviewRedrawn(form));

    const QString name = QString::fromStdString(path);
    QCOMPARE(Lines(form.LogListBox()), (QStringList{"IFO file loaded [" + name + "]",
                                                    "WARNING - Default IFO values applied!!!",
                                                    "WARNING - IFO values restored from file!!!"}));

    // A cancelled open changes nothing and logs nothing.
    window.dialogs.CancelFile();
    form.Ifo().OpenIFO->click();
    QCOMPARE(form.Ifo().FileNameIFO->text(), name);
    QVERIFY(form.IfoDocument().HasData());
    QCOMPARE(form.LogListBox()->count(), 3);
  }

  void OpeningTheShownPaletteRepaintsNothing() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.FileTypes()->setCurrentWidget(&form.Ifo());
    PickItem(form.SettingsTab().SettingsLogLevel, kWarnings);
    const IfoPalette palette = SampleIfoPalette();
    for (int i = 0; i < 16; ++i) form.Ifo().Hex[i]->SetText(EntryText(palette[i]));
    const auto panels = PanelColours(form);
    const std::string same = WriteIfo(window.folder, "same.ifo", palette);
    IfoPalette other = palette;
    other[6] = 0x51EF5A;
    const std::string different = WriteIfo(window.folder, "other.ifo", other);

    PaintCounter counter;
    form.Top().ColourPalette->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (HexEdit* field : form.Ifo().Hex)
      spies.push_back(std::make_unique<QSignalSpy>(field, &HexEdit::Changed));
    MarkPreview(form);

    window.dialogs.AnswerFile(same);
    form.Ifo().OpenIFO->click();
    QCoreApplication::processEvents();
    for (const auto& spy : spies) QCOMPARE(spy->count(), 0);
    QCOMPARE(counter.paints, 0);
    QVERIFY(!PreviewRedrawn(form));
    QCOMPARE(PanelColours(form), panels);
    QCOMPARE(Lines(form.LogListBox()).last(),
             QString::fromStdString("IFO file loaded [" + same + "]"));

    // A palette that differs in one entry changes that field only, and redraws.
    window.dialogs.AnswerFile(different);
    form.Ifo().OpenIFO->click();
    QCoreApplication::processEvents();
    for (int i = 0; i < 16; ++i) QCOMPARE(spies[i]->count(), i == 6 ? 1 : 0);
    QVERIFY(counter.paints > 0);
    QVERIFY(PreviewRedrawn(form));
    QCOMPARE(form.Palette()[6], MakeColour(252, 0, 0));
    QCOMPARE(GridColour(form, 12, 0), qRgb(252, 0, 0) & 0xFFFFFF);
    QCOMPARE(GridColour(form, 13, 3), qRgb(252, 0, 0) & 0xFFFFFF);
  }

  void AfterAFailedOpenSaveIsRefusedAndRestoreIsSilent() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, kWarnings);
    const IfoPalette palette = SampleIfoPalette();
    const std::string good = WriteIfo(window.folder, "good.ifo", palette);
    // The window opens title sets and video managers; any other identifier is refused.
    IfoLayout vmg;
    vmg.identifier = "DVDVIDEO-VMX";
    const std::string bad = window.folder.File("VIDEO_TS.IFO");
    WriteFileBytes(bad, BuildIfo(SampleIfoPalette(), vmg));

    window.dialogs.AnswerFile(good);
    form.Ifo().OpenIFO->click();
    form.Ifo().Hex[2]->SetText("108080");
    window.dialogs.AnswerFile(bad);
    window.dialogs.saveAnswers.push_back(SaveAnswer::kDiscard);  // the edit is dropped
    form.Ifo().OpenIFO->click();

    QVERIFY(form.Ifo().FileNameIFO->text().isEmpty());
    QVERIFY(!form.IfoDocument().HasData());
    QCOMPARE(Lines(form.LogListBox()).last(),
             QString::fromStdString("ERROR - Not a correct IFO file [" + bad + "]"));
    QCOMPARE(form.Ifo().Hex[0]->Text(), EntryText(palette[0]));
    QCOMPARE(form.Ifo().Hex[2]->Text(), QString("108080"));
    QCOMPARE(form.Palette()[2], kBlack);

    const int runs = window.dialogs.fileRuns;
    form.Ifo().SaveIFO->click();
    QCOMPARE(window.dialogs.fileRuns, runs);
    QCOMPARE(Lines(form.LogListBox()).last(), QString("ERROR - Can't save no IFO file loaded!!!"));

    const int lines = form.LogListBox()->count();
    form.Ifo().RestoreIFO->click();
    QCOMPARE(form.LogListBox()->count(), lines);
    QCOMPARE(form.Ifo().Hex[2]->Text(), QString("108080"));
  }

  void SaveWritesOnlyThePaletteAndProposesTheName() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, kWarnings);
    const std::string path = WriteIfo(window.folder, "VTS_02_0.IFO");
    const Bytes original = ReadFileBytes(path);
    window.dialogs.AnswerFile(path);
    form.Ifo().OpenIFO->click();

    form.Ifo().Hex[3]->SetText("2A5C91");
    window.dialogs.colourAnswers.push_back(QColor(255, 0, 0));
    Click(form.Ifo().ColourPanel[12]);
    QCOMPARE(form.Ifo().Hex[12]->Text(), QString("51EF5A"));

    const std::string copy = window.folder.File("copy.ifo");
    window.dialogs.AnswerFile(copy);
    form.Ifo().SaveIFO->click();
    QCOMPARE(window.dialogs.lastFileDialog.fileName, path);  // proposed: the opened file
    QCOMPARE(window.dialogs.lastFileDialog.filter, std::string("IFO Files (*.ifo)|*.ifo"));
    QCOMPARE(window.dialogs.lastFileDialog.defaultExt, std::string("ifo"));
    QVERIFY(window.dialogs.lastFileDialog.kind == FileDialogKind::kSave);
    QCOMPARE(form.Ifo().FileNameIFO->text().toStdString(), copy);

    const Bytes saved = ReadFileBytes(copy);
    QCOMPARE(saved.size(), original.size());
    std::set<std::size_t> changed;
    for (std::size_t i = 0; i < saved.size(); ++i)
      if (saved[i] != original[i]) changed.insert(i);
    const std::size_t entry0 = IfoPalettePosition();
    std::set<std::size_t> expected;
    for (const std::size_t entry : {std::size_t{3}, std::size_t{12}})
      for (std::size_t b = 0; b < 3; ++b)
        if (saved[entry0 + 4 * entry + b] != original[entry0 + 4 * entry + b])
          expected.insert(entry0 + 4 * entry + b);
    QCOMPARE(changed, expected);
    QVERIFY(!changed.empty());
    const Bytes entry3(saved.begin() + entry0 + 12 - 1, saved.begin() + entry0 + 12 + 3);
    QCOMPARE(entry3, (Bytes{0x00, 0x2A, 0x5C, 0x91}));
    const Bytes entry12(saved.begin() + entry0 + 48 - 1, saved.begin() + entry0 + 48 + 3);
    QCOMPARE(entry12, (Bytes{0x00, 0x51, 0xEF, 0x5A}));
    QCOMPARE(ReadFileBytes(path), original);

    // The next save proposes the name last chosen; saving onto the opened file replaces it.
    window.dialogs.AnswerFile(path);
    form.Ifo().SaveIFO->click();
    QCOMPARE(window.dialogs.lastFileDialog.fileName, copy);
    QCOMPARE(ReadFileBytes(path), saved);

    // A cancelled save changes nothing, not even the name shown.
    window.dialogs.CancelFile();
    form.Ifo().SaveIFO->click();
    QCOMPARE(form.Ifo().FileNameIFO->text().toStdString(), path);

    QCOMPARE(Lines(form.LogListBox()),
             (QStringList{QString::fromStdString("IFO file loaded [" + path + "]"),
                          QString::fromStdString("Data written to IFO file [" + copy + "]"),
                          QString::fromStdString("Data written to IFO file [" + path + "]"),
                          QString::fromStdString("WARNING - No backup file beside [" + path + "], none written")}));
  }

  void SaveEntryLinesNeedDetails() {
    WindowHarness window;
    TMainForm& form = *window.form;
    PickItem(form.SettingsTab().SettingsLogLevel, kDetails);
    const std::string path = WriteIfo(window.folder, "VTS_03_0.IFO");
    window.dialogs.AnswerFile(path);
    form.Ifo().OpenIFO->click();
    window.dialogs.AnswerFile(window.folder.File("out.ifo"));
    form.Ifo().SaveIFO->click();
    const QStringList lines = Lines(form.LogListBox());
    QCOMPARE(lines.filter(QRegularExpression("^Colour\\(\\d\\d\\)")).size(), 16);
    QVERIFY(lines.last().startsWith("Data written to IFO file ["));
  }

  void GridAndPreviewFollowAHexChange() {
    WindowHarness window;
    TMainForm& form = *window.form;
    form.Sup().SetMapIndex(0, 5);  // background on entry 5
    form.Sup().SetMapIndex(2, 9);  // text on entry 9
    form.Ifo().Hex[9]->SetText("EB7F7F");
    form.Ifo().Hex[5]->SetText("000000");
    form.Ifo().Hex[5]->setCursorPosition(0);
    QTest::keyClicks(form.Ifo().Hex[5], "51EF5A");  // typed over a full field
    QCOMPARE(form.Ifo().Hex[5]->Text(), QString("51EF5A"));

    const QRgb red = qRgb(252, 0, 0) & 0xFFFFFF;
    QCOMPARE(form.Palette()[5], MakeColour(252, 0, 0));
    QCoreApplication::processEvents();
    QCOMPARE(GridColour(form, 10, 0), red);
    QCOMPARE(GridColour(form, 11, 2), red);
    QCOMPARE(GridColour(form, 18, 1), qRgb(253, 255, 252) & 0xFFFFFF);
    QCOMPARE(GridColour(form, 0, 0), 0u);  // entry 0 untouched: black
    const QImage& picture = form.Preview().SampleImage->Picture();
    QCOMPARE(picture.pixel(0, SampleView::kHeight - 1) & 0xFFFFFF, red);
    QVERIFY(CountColour(picture, qRgb(253, 255, 252)) > 0);
  }

  // Each chain shows its own palette and keeps its edits while another is shown; a save writes
  // the chain shown (or, with "Save all chains", every edited chain) and the .BUP twin, unless
  // it is left.
  void ChainsAreSavedOneByOneOrAllWithTheirTwin() {
    WindowHarness window;
    TMainForm& form = *window.form;
    IfoLayout layout;
    layout.titleChains = 3;
    layout.titlePalettes = {{2, OtherIfoPalette(1)}, {3, OtherIfoPalette(2)}};
    const std::string path = window.folder.File("VTS_01_0.IFO");
    const std::string twin = window.folder.File("VTS_01_0.BUP");
    const Bytes original = BuildIfo(SampleIfoPalette(), layout);
    WriteFileBytes(path, original);
    WriteFileBytes(twin, original);
    const std::vector<std::size_t> chains = IfoChainPositions(layout);
    window.dialogs.AnswerFile(path);
    form.Ifo().OpenIFO->click();
    QCOMPARE(form.Ifo().ChainIFO->itemText(2), QString("title 3"));

    PickItem(form.Ifo().ChainIFO, 1);
    QCOMPARE(form.Ifo().Hex[4]->Text(), EntryText(OtherIfoPalette(1)[4]));
    form.Ifo().Hex[4]->SetText("2A5C91");
    PickItem(form.Ifo().ChainIFO, 2);
    form.Ifo().Hex[7]->SetText("108080");
    PickItem(form.Ifo().ChainIFO, 1);
    QCOMPARE(form.Ifo().Hex[4]->Text(), QString("2A5C91"));  // kept while title 3 was shown

    const auto changedBytes = [&](const Bytes& saved) {
      std::set<std::size_t> changed;
      for (std::size_t i = 0; i < saved.size(); ++i)
        if (saved[i] != original[i]) changed.insert(i);
      return changed;
    };
    const auto entryBytes = [](std::size_t entry0, std::size_t entry) {
      return std::set<std::size_t>{entry0 + 4 * entry, entry0 + 4 * entry + 1, entry0 + 4 * entry + 2};
    };
    window.dialogs.AnswerFile(path);
    form.Ifo().SaveIFO->click();
    QCOMPARE(changedBytes(ReadFileBytes(path)), entryBytes(chains[1], 4));
    QCOMPARE(ReadFileBytes(twin), ReadFileBytes(path));

    // Left: the twin keeps what it had; every chain: title 3's edit joins.
    form.Ifo().KeepBackupIFO->setChecked(false);
    form.Ifo().AllChainsIFO->setChecked(true);
    window.dialogs.AnswerFile(path);
    form.Ifo().SaveIFO->click();
    std::set<std::size_t> both = entryBytes(chains[1], 4);
    both.merge(entryBytes(chains[2], 7));
    QCOMPARE(changedBytes(ReadFileBytes(path)), both);
    QCOMPARE(changedBytes(ReadFileBytes(twin)), entryBytes(chains[1], 4));
  }

  // A palette file imported into the fields is exported again as the same file; a video
  // manager opens with its first-play chain.
  void PaletteFilesAndVideoManagerChains() {
    WindowHarness window;
    TMainForm& form = *window.form;
    std::string text;
    for (std::uint32_t entry : OtherIfoPalette(3)) text += EntryText(entry).toStdString() + "\n";
    const std::string in = window.folder.File("in.yuv");
    WriteFileBytes(in, Bytes(text.begin(), text.end()));
    window.dialogs.AnswerFile(in);
    form.Ifo().ImportIFO->click();
    QCOMPARE(form.Ifo().Hex[9]->Text(), EntryText(OtherIfoPalette(3)[9]));
    const std::string out = window.folder.File("out.yuv");
    window.dialogs.AnswerFile(out);
    form.Ifo().ExportIFO->click();
    QCOMPARE(ReadFileBytes(out), ReadFileBytes(in));

    IfoLayout vmg;
    vmg.identifier = "DVDVIDEO-VMG";
    vmg.firstPlay = OtherIfoPalette(4);
    vmg.menus = {{SampleIfoPalette()}};
    const std::string manager = window.folder.File("VIDEO_TS.IFO");
    WriteFileBytes(manager, BuildIfo(SampleIfoPalette(), vmg));
    window.dialogs.AnswerFile(manager);
    form.Ifo().OpenIFO->click();
    QCOMPARE(form.Ifo().ChainIFO->count(), 2);
    QCOMPARE(form.Ifo().ChainIFO->itemText(0), QString("first-play"));
    QCOMPARE(form.Ifo().Hex[0]->Text(), EntryText(OtherIfoPalette(4)[0]));
  }
};

QTEST_MAIN(IfoTabTest)
#include "IfoTabTest.moc"
