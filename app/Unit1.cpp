// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up, tab switching, the handlers of every part, drops, dialog folders.
#include "app/Unit1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QUrl>
#include <functional>

#include "app/ColourPanel.h"
#include "app/DropRules.h"
#include "app/HexEdit.h"
#include "app/VobRecolourCommand.h"
#include "core/FileIO.h"
#include "core/Progress.h"
#include "files/PaletteFile.h"

namespace {

constexpr QSize kClientSize(861, 718);
constexpr QRect kFileTypesBounds(8, 136, 841, 329);
constexpr QRect kLogBounds(8, 472, 841, 105);
// The message bar sits in the free end of the tab row.
constexpr QRect kMessageBarBounds(449, 137, 400, 21);

bool IsEntry(int index) { return index >= 0 && index < 16; }

}  // namespace

std::string ApplicationPath() { return QCoreApplication::applicationFilePath().toStdString(); }

TMainForm::TMainForm(std::string exePath, Dialogs* dialogs, QWidget* parent)
    : QWidget(parent),
      ownDialogs_(dialogs == nullptr ? std::make_unique<QtDialogs>() : nullptr),
      dialogs_(dialogs == nullptr ? *ownDialogs_ : *dialogs),
      IniFile(settingsLink_, exePath) {
  setWindowTitle(kBuiltCaption);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientSize);
  setFont(WindowFont());
  setAcceptDrops(true);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() -
         QPoint(kClientSize.width() / 2, kClientSize.height() / 2));
  fileTypes_->setGeometry(kFileTypesBounds);
  fileTypes_->setCurrentWidget(&settings_);
  log_.setGeometry(kLogBounds);
  messages_.setGeometry(kMessageBarBounds);

  Connect();
  previousLogTarget_ = SetLogTarget(&messages_);
  EventsEnabled = true;
}

TMainForm::~TMainForm() { SetLogTarget(previousLogTarget_); }

void TMainForm::Connect() {
  connect(fileTypes_, &QTabWidget::currentChanged, this, [this] { FileTypesChange(); });
  // A list's change handler runs on the user's pick only, never when code sets the index.
  connect(settings_.SettingsLogLevel, &QComboBox::activated, this,
          [this] { SettingsLogLevelChange(); });
  for (QComboBox* list : sup_.MapLists)
    connect(list, &QComboBox::activated, this, [this] { MapAndIntSUPChange(); });
  for (QComboBox* list : sup_.IntLists)
    connect(list, &QComboBox::activated, this, [this] { MapAndIntSUPChange(); });
  connect(sup_.OpenSUP, &QPushButton::clicked, this, [this] { OpenSUPClick(); });
  connect(sup_.SaveSUP, &QPushButton::clicked, this, [this] { SaveSUPClick(); });
  connect(sup_.DefaultSUP, &QPushButton::clicked, this, [this] { DefaultSUPClick(); });
  connect(sup_.RestoreSUP, &QPushButton::clicked, this, [this] { RestoreSUPClick(); });
  connect(sup_.ViewMappingSUP, &QPushButton::clicked, this, [this] { ViewMappingSUPClick(); });
  for (HexEdit* field : ifo_.Hex)
    connect(field, &HexEdit::Changed, this, [this, field] { HexXXChange(field); });
  for (ColourPanelBox* panel : ifo_.ColourPanel)
    connect(panel, &ColourPanelBox::Clicked, this, [this, panel] { ColourPanelXXClick(panel); });
  connect(ifo_.OpenIFO, &QPushButton::clicked, this, [this] { OpenIFOClick(); });
  connect(ifo_.SaveIFO, &QPushButton::clicked, this, [this] { SaveIFOClick(); });
  connect(ifo_.DefaultIFO, &QPushButton::clicked, this, [this] { DefaultIFOClick(); });
  connect(ifo_.RestoreIFO, &QPushButton::clicked, this, [this] { RestoreIFOClick(); });
  connect(vob_.FileOpenVOB, &QPushButton::clicked, this, [this] { FileOpenVOBClick(); });
  connect(ifo_.ChainIFO, &QComboBox::activated, this, [this] { ChainIFOChange(); });
  connect(ifo_.ImportIFO, &QPushButton::clicked, this, [this] { ImportIFOClick(); });
  connect(ifo_.ExportIFO, &QPushButton::clicked, this, [this] { ExportIFOClick(); });
  connect(vob_.StreamsVOB, &QPushButton::clicked, this, [this] { StreamsVOBClick(); });
  connect(vob_.RecolourVOB, &QPushButton::clicked, this, [this] { RecolourVOBClick(); });
  // Spin fields, the text and the check boxes run their handlers whenever the value changes,
  // also when code sets it; the handlers test EventsEnabled.
  connect(vob_.FirstSubtitleVOB, &QCheckBox::toggled, this, [this] { FirstSubtitleVOBClick(); });
  connect(preview_.AntialiasWidth, &QSpinBox::valueChanged, this,
          [this] { AntialiasWidthChange(); });
  connect(preview_.OutlineWidth, &QSpinBox::valueChanged, this, [this] { OutlineWidthChange(); });
  connect(preview_.SampleText, &QLineEdit::textChanged, this, [this] { SampleTextChange(); });
  connect(preview_.TransBackground, &QCheckBox::toggled, this, [this] { TransBackgroundClick(); });
  connect(preview_.SampleFont, &QPushButton::clicked, this, [this] { SampleFontClick(); });
  connect(&preview_, &PreviewPanel::RedrawWanted, this, [this] { RenderSample(); });
}

void TMainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Shown by the program (not restored by the window system): the form's on-show event.
  if (!event->spontaneous()) FormShow();
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
  // Enter presses the active tab's default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    QPushButton* button = nullptr;
    if (fileTypes_->currentWidget() == &sup_) button = sup_.OpenSUP;
    if (fileTypes_->currentWidget() == &ifo_) button = ifo_.OpenIFO;
    if (fileTypes_->currentWidget() == &vob_) button = vob_.FileOpenVOB;
    if (button != nullptr && button->isEnabled()) {
      button->click();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!isEnabled() || !SupChangesSettled() || !IfoChangesSettled()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void TMainForm::SetPaletteColour(int index, TColor colour) {
  if (!IsEntry(index)) return;
  PaletteColours[index] = colour;
  RepaintPalette();
}

void TMainForm::RenderSample() {
  preview_.Render(PaletteColours, sup_.Slots());
  subtitles_.ShowPictures();
}
void TMainForm::ShowIndexRow(bool supSide) { top_.ShowIndexRow(supSide); }
void TMainForm::RepaintPalette() { top_.RepaintPalette(); }

// The window and its settings.

void TMainForm::FormShow() {
  setWindowTitle(kProgramTitle);
  {
    // Setting the tab from code is no user switch.
    const QSignalBlocker blocker(fileTypes_);
    fileTypes_->setCurrentWidget(&sup_);
  }
  ShowIndexRow(true);
  IniFile.LoadSettings();
  LogMessage(kLogDetail, "Settings file [%s]", IniFile.IniFileName().c_str());
  LoadDialogFolders();
  RenderSample();
}

void TMainForm::FileTypesChange() {
  if (fileTypes_->currentWidget() == &sup_) ShowIndexRow(true);
  if (fileTypes_->currentWidget() == &vob_) ShowIndexRow(false);
}

void TMainForm::SettingsLogLevelChange() {
  if (EventsEnabled) IniFile.SaveSettings();
}

// The preview's controls.

void TMainForm::AntialiasWidthChange() { PreviewSettingChange(); }
void TMainForm::OutlineWidthChange() { PreviewSettingChange(); }
void TMainForm::SampleTextChange() { PreviewSettingChange(); }

void TMainForm::PreviewSettingChange() {
  if (!EventsEnabled) return;
  RenderSample();
  IniFile.SaveSettings();
}

void TMainForm::SampleFontClick() {
  if (!preview_.PickFont(dialogs_)) return;
  RenderSample();
  IniFile.SaveSettings();
}

void TMainForm::TransBackgroundClick() {
  if (!EventsEnabled) return;
  preview_.ShowTransparency();
  IniFile.SaveSettings();
}

// The SUP tab.

void TMainForm::OpenSUPClick() {
  if (RunFileDialog(sup_.OpenDialogSUP, "OpenDialogSUP")) OpenSupFile(sup_.OpenDialogSUP.fileName);
}

void TMainForm::OpenSupFile(const std::string& fileName) {
  if (!SupChangesSettled()) return;
  const bool loaded = SupFile.Load(fileName) != -1;
  subtitles_.ShowSubtitles();  // a failed load leaves no subtitle either
  sup_.ShowMappings(SupFile.Mappings());
  if (!loaded) {
    sup_.ShowFileName({});
    return;
  }
  sup_.ShowFileName(fileName);
  sup_.SaveDialogSUP.fileName = ProposedSaveName(fileName, sup_.SaveDialogSUP);
  SupFile.ShowFileMapping();
  SupFile.ShowSupGrid();
  RenderSample();
  sup_.ShowSubtitleCount(SupFile.PacketCount());
  LogMessage(kLogInfo, "SUP file loaded - [%s]", fileName.c_str());
}

void TMainForm::MapAndIntSUPChange() {
  SupFile.ShowSupGrid();
  RenderSample();
}

void TMainForm::DefaultSUPClick() {
  LogMessage(kLogWarning, "WARNING - Default SUP values applied!!!");
  sup_.ApplyDefaultMapping();
  SupFile.ShowSupGrid();
  RenderSample();
}

void TMainForm::RestoreSUPClick() {
  if (!SupFile.HasData()) return;
  LogMessage(kLogWarning, "WARNING - SUP values restored from file!!!");
  SupFile.ShowFileMapping();
  SupFile.ShowSupGrid();
  RenderSample();
}

void TMainForm::SaveSUPClick() { SaveSupFile(); }

bool TMainForm::SaveSupFile() {
  if (!SupFile.HasData()) {
    LogMessage(kLogError, "ERROR - Can't save no SUP file loaded!!!");
    return false;
  }
  // Subtitles with different mappings: the change made to the first subtitle's mapping is
  // offered as a remap by palette entry, which keeps every subtitle's own structure.
  EntrySaveChoice choice = EntrySaveChoice::kFlatten;
  EntryMap map;
  const std::vector<SupMapping>& mappings = SupFile.Mappings();
  if (mappings.size() > 1) {
    std::array<int, 4> fileEntries{}, fileIntensities{}, intensities{};
    for (int s = 0; s < 4; ++s) {
      fileEntries[s] = SupFile.GetFileColour(s);
      fileIntensities[s] = SupFile.GetFileIntensity(s);
      intensities[s] = sup_.IntIndex(s);
    }
    map = EntryMapFromSlotChange(fileEntries, fileIntensities, sup_.Slots(), intensities);
    const QString about =
        QString("The %1 subtitles of this file use %2 mappings. Save by entry changes each "
                "palette entry into its new entry in every subtitle, and sets the contrast of "
                "its pixels where one is given; every subtitle keeps its own structure. The "
                "table holds the change made to the first subtitle's mapping. Flatten gives "
                "every subtitle the one mapping of the SUP tab.")
            .arg(SupFile.PacketCount())
            .arg(mappings.size());
    choice = dialogs_.RunEntryTable(this, map, about);
    if (choice == EntrySaveChoice::kCancel) return false;
  }
  if (!RunFileDialog(sup_.SaveDialogSUP, "SaveDialogSUP")) return false;
  const std::string fileName = sup_.SaveDialogSUP.fileName;
  sup_.ShowFileName(fileName);
  // Both log their own success or failure.
  const bool saved = choice == EntrySaveChoice::kEntries ? SupFile.SaveEntryRemap(fileName, map)
                                                         : SupFile.Save(fileName);
  subtitles_.ShowSubtitles();  // a save makes the new mapping the file's own
  sup_.ShowMappings(SupFile.Mappings());
  if (saved && choice == EntrySaveChoice::kEntries) {
    // The lists now show the first subtitle's mapping as written.
    SupFile.ShowSupGrid();
    RenderSample();
  }
  return saved;
}

void TMainForm::ViewMappingSUPClick() {
  const int chosen = sup_.MappingListSUP->currentIndex();
  const std::vector<SupMapping>& mappings = SupFile.Mappings();
  if (chosen < 0 || chosen >= static_cast<int>(mappings.size())) return;
  fileTypes_->setCurrentWidget(&subtitles_);
  subtitles_.SelectSubtitle(mappings[static_cast<std::size_t>(chosen)].first);
}

bool TMainForm::SupChanged() const {
  if (!SupFile.HasData() || SupFile.PacketCount() == 0) return false;
  for (int s = 0; s < 4; ++s) {
    if (sup_.MapIndex(s) != SupFile.GetFileColour(s) ||
        sup_.IntIndex(s) != SupFile.GetFileIntensity(s))
      return true;
  }
  return false;
}

bool TMainForm::IfoChanged() const {
  if (!IfoFile.HasData()) return false;
  // Every chain counts: edits kept for a chain not shown are lost on close just the same.
  const std::vector<PaletteTexts> kept = ifo_.KeptPalettes();
  for (std::size_t chain = 0; chain < kept.size(); ++chain) {
    for (int i = 0; i < 16; ++i) {
      int y = 0;
      int cr = 0;
      int cb = 0;
      if (IfoFile.GetChainEntry(chain, i, y, cr, cb) &&
          kept[chain][static_cast<std::size_t>(i)] != FormatHexText(y, cr, cb))
        return true;
    }
  }
  return false;
}

namespace {

// Save, Discard or Cancel for the file shown in `name`; `save` runs when Save is chosen.
bool Settle(Dialogs& dialogs, QWidget* parent, const char* kind, const QString& name,
            const std::function<bool()>& save) {
  const QString file = name.isEmpty() ? QString("The %1 file").arg(kind)
                                      : QString("The %1 file [%2]").arg(kind, name);
  const QString question = file + " has changes that are not saved. Save them first?";
  switch (dialogs.AskSaveChanges(parent, question)) {
    case SaveAnswer::kSave:
      return save();
    case SaveAnswer::kDiscard:
      return true;
    case SaveAnswer::kCancel:
      break;
  }
  return false;
}

}  // namespace

bool TMainForm::SupChangesSettled() {
  return !SupChanged() ||
         Settle(dialogs_, this, "SUP", sup_.FileNameSUP->text(), [this] { return SaveSupFile(); });
}

bool TMainForm::IfoChangesSettled() {
  return !IfoChanged() ||
         Settle(dialogs_, this, "IFO", ifo_.FileNameIFO->text(), [this] { return SaveIfoFile(); });
}

// The IFO tab. A write to a hex field runs HexXXChange at most twice, nested inside the write:
// the handler ends by writing its field in canonical form, which changes it at most once more.

void TMainForm::OpenIFOClick() {
  if (RunFileDialog(ifo_.OpenDialogIFO, "OpenDialogIFO")) OpenIfoFile(ifo_.OpenDialogIFO.fileName);
}

void TMainForm::OpenIfoFile(const std::string& fileName) {
  if (!IfoChangesSettled()) return;
  // A title set, or a video manager (VIDEO_TS.IFO) for its first-play and menu chains.
  if (IfoFile.Load(fileName, IfoAccept::kTitleSetOrManager) == -1) {
    ifo_.ShowFileName({});  // the load has logged why; the fields keep what they show
    ifo_.ShowChains(IfoFile);  // no chain to choose
    return;
  }
  ifo_.ShowChains(IfoFile);
  ifo_.ShowFileName(fileName);
  ifo_.SaveDialogIFO.fileName = ProposedSaveName(fileName, ifo_.SaveDialogIFO);
  ShowFilePalette();
  LogMessage(kLogInfo, "IFO file loaded [%s]", fileName.c_str());
}

void TMainForm::ShowFilePalette() {
  // Each field whose text changes runs HexXXChange, which recolours its entry.
  for (int i = 0; i < 16; ++i) {
    int y = 0;
    int cr = 0;
    int cb = 0;
    const int chain = ifo_.ShownChain();
    const bool read = chain >= 0 ? IfoFile.GetChainEntry(static_cast<std::size_t>(chain), i, y, cr, cb)
                                 : IfoFile.GetPaletteEntry(i, y, cr, cb);
    if (read) ifo_.SetHexText(i, FormatHexText(y, cr, cb));
  }
}

void TMainForm::SaveIFOClick() { SaveIfoFile(); }

bool TMainForm::SaveIfoFile() {
  if (!IfoFile.HasData()) {
    LogMessage(kLogError, "ERROR - Can't save no IFO file loaded!!!");
    return false;
  }
  if (!RunFileDialog(ifo_.SaveDialogIFO, "SaveDialogIFO")) return false;
  const std::string fileName = ifo_.SaveDialogIFO.fileName;
  ifo_.ShowFileName(fileName);
  IfoFile.SetKeepBackupTwin(ifo_.KeepBackup());
  // The first chain alone is the one the fields always wrote; other chains go by their index.
  // Either save logs its own success or failure.
  const auto palettes = ifo_.PalettesToSave();
  if (palettes.size() == 1 && palettes.front().first == 0) return IfoFile.Save(fileName);
  return IfoFile.SaveChains(fileName, palettes);
}

void TMainForm::DefaultIFOClick() {
  LogMessage(kLogWarning, "WARNING - Default IFO values applied!!!");
  ifo_.ApplyDefaultColours();
  for (int i = 0; i < 16; ++i) {
    ifo_.PanelToHex(i);
    PanelToPaletteColour(i);
  }
  RenderSample();
}

void TMainForm::RestoreIFOClick() {
  if (!IfoFile.HasData()) return;
  LogMessage(kLogWarning, "WARNING - IFO values restored from file!!!");
  ShowFilePalette();
  ifo_.SetShownPalette(ifo_.FieldPalette());
}

void TMainForm::ChainIFOChange() { ifo_.ShowPickedChain(); }

void TMainForm::ImportIFOClick() {
  if (!RunFileDialog(ifo_.OpenDialogPalette, "OpenDialogPalette")) return;
  const std::string fileName = ifo_.OpenDialogPalette.fileName;
  const std::optional<PaletteTexts> palette = LoadPaletteFile(fileName);  // logs a failure
  if (!palette) return;
  for (int i = 0; i < 16; ++i) ifo_.SetHexText(i, (*palette)[static_cast<std::size_t>(i)]);
  LogMessage(kLogInfo, "Palette file loaded [%s]", fileName.c_str());
}

void TMainForm::ExportIFOClick() {
  const PaletteTexts palette = ifo_.FieldPalette();
  for (const std::string& text : palette) {
    if (text.size() != 6) {
      LogMessage(kLogError, "ERROR - Can't export an empty palette!!!");
      return;
    }
  }
  if (!RunFileDialog(ifo_.SaveDialogPalette, "SaveDialogPalette")) return;
  const std::string fileName = ifo_.SaveDialogPalette.fileName;
  const std::string text = FormatPaletteFile(palette, PaletteFormatOfName(fileName));
  const ByteView bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  if (SaveFileAtomically(fileName, bytes) != SaveResult::kOk) {
    LogMessage(kLogError, "ERROR - Can't Create file [%s]", fileName.c_str());
    return;
  }
  LogMessage(kLogInfo, "Data written to palette file [%s]", fileName.c_str());
}

void TMainForm::HexXXChange(HexEdit* sender) {
  const int index = sender->Tag();
  if (!IsEntry(index)) return;
  ifo_.HexToPanel(index);
  HexToPaletteColour(index);
  RenderSample();
  ifo_.MakeHexCanonical(index);  // runs this handler once more when the text changes
}

void TMainForm::ColourPanelXXClick(ColourPanelBox* sender) {
  const int index = sender->Tag();
  if (!IsEntry(index)) return;
  QColor colour = WidgetColour(sender->Colour());
  if (!dialogs_.RunColourDialog(this, colour)) return;
  sender->SetColour(ColourOf(colour));
  // When the field's text changes, its handler recolours the panel with the converted colour;
  // otherwise the panel keeps the colour picked.
  ifo_.PanelToHex(index);
  PanelToPaletteColour(index);
  RenderSample();
  sender->SetCaptionColour(ContrastTextColour(sender->Colour()));
}

void TMainForm::HexToPaletteColour(int index) {
  if (IsEntry(index)) SetPaletteColour(index, ifo_.HexColour(index));
}

void TMainForm::PanelToPaletteColour(int index) {
  if (IsEntry(index)) SetPaletteColour(index, ifo_.ColourPanel[index]->Colour());
}

// The VOB tab.

void TMainForm::FileOpenVOBClick() {
  FileDialog& dialog = vob_.OpenDialogVOB;
  if (!RunFileDialog(dialog, "OpenDialogVOB")) return;
  std::vector<std::string> paths = dialog.fileNames;
  if (paths.empty() && !dialog.fileName.empty()) paths.push_back(dialog.fileName);
  ScanVobFiles(std::move(paths));
}

void TMainForm::ScanVobFiles(std::vector<std::string> paths) {
  // The list keeps its entries sorted ignoring letter case, and the files are scanned in the
  // list's order, not in the order they were picked.
  SortVobPaths(paths);
  vob_.ShowFiles(paths);
  VobRunResult result;
  try {
    result = RunVobFiles(VobFile, paths, vob_.FirstOnly(), top_, &VobSubtitles);
  } catch (...) {
    // Whatever escaped the scan, the run is over: the file is closed, the progress window
    // hidden and the main window takes input again, and no half-scanned mapping is shown.
    VobFile.Release();
    ProgressEnd();
    vob_.ClearFiles();
    VobFile.ClearMapping();
    VobFile.ShowVobGrid(top_);
    VobSubtitles.Clear();
    subtitles_.ShowVobStreams();
    throw;
  }
  if (result.emptyList) vob_.ClearFiles();
  subtitles_.ShowVobStreams();
  KeepScan(paths, result);
}

void TMainForm::KeepScan(const std::vector<std::string>& paths, const VobRunResult& result) {
  const bool found = !result.emptyList && result.filesScanned > 0;
  scannedFiles_ = found ? paths : std::vector<std::string>();
  scannedStreams_ = result.streams;
  streamsDialog_->ShowStreams(scannedStreams_,
                              found ? TitleSetLanguages(paths.front()) : StreamLanguages(),
                              result.lost);
  vob_.StreamsVOB->setEnabled(found);
  vob_.RecolourVOB->setEnabled(found);
}

void TMainForm::StreamsVOBClick() {
  streamsDialog_->show();
  streamsDialog_->raise();
}

void TMainForm::RecolourVOBClick() {
  const std::vector<std::string> files = scannedFiles_;
  // Files changed in place are scanned again, so the grid and the stream view show the new colours.
  if (RunVobRecolour(this, *discDialogs_, files, scannedStreams_) == RecolourOutcome::kInPlace) {
    ScanVobFiles(files);
  }
}

void TMainForm::FirstSubtitleVOBClick() {
  if (EventsEnabled) IniFile.SaveSettings();
}

// Drops.

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  if (!isEnabled() || !event->mimeData()->hasUrls()) return;  // no drops during a scan
  event->acceptProposedAction();
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      paths.push_back(QDir::cleanPath(url.toLocalFile()).toStdString());
    } else {
      LogMessage(kLogWarning, "WARNING - Not a local file, not opened [%s]",
                 url.toDisplayString().toStdString().c_str());
    }
  }
  FormDragDrop(paths);
}

void TMainForm::FormDragDrop(const std::vector<std::string>& paths) {
  const DroppedFiles files = SortDroppedFiles(paths);
  for (const std::string& line : files.refusals) LogMessage(kLogWarning, "%s", line.c_str());
  // Each kind opens on its own tab, shown as if the user had switched to it.
  if (!files.sup.empty()) {
    fileTypes_->setCurrentWidget(&sup_);
    OpenSupFile(files.sup);
  }
  if (!files.ifo.empty()) {
    fileTypes_->setCurrentWidget(&ifo_);
    OpenIfoFile(files.ifo);
  }
  if (!files.vobs.empty()) {
    fileTypes_->setCurrentWidget(&vob_);
    ScanVobFiles(files.vobs);
  }
}

// The dialogs' folders.

bool TMainForm::RunFileDialog(FileDialog& dialog, const char* key) {
  if (!dialogs_.RunFileDialog(this, dialog)) return false;
  dialog.folder = ChosenFolder(dialog);
  IniFile.SaveLastFolder(key, dialog.folder);
  return true;
}

void TMainForm::LoadDialogFolders() {
  sup_.OpenDialogSUP.folder = IniFile.LastFolder("OpenDialogSUP");
  sup_.SaveDialogSUP.folder = IniFile.LastFolder("SaveDialogSUP");
  ifo_.OpenDialogIFO.folder = IniFile.LastFolder("OpenDialogIFO");
  ifo_.SaveDialogIFO.folder = IniFile.LastFolder("SaveDialogIFO");
  vob_.OpenDialogVOB.folder = IniFile.LastFolder("OpenDialogVOB");
  ifo_.OpenDialogPalette.folder = IniFile.LastFolder("OpenDialogPalette");
  ifo_.SaveDialogPalette.folder = IniFile.LastFolder("SaveDialogPalette");
  export_.SaveAsDialogSUP.folder = IniFile.LastFolder("SaveAsDialogSUP");
  export_.SaveDialogVOB.folder = IniFile.LastFolder("SaveDialogVOB");
}
