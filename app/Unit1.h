// The main window.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "app/ColourPanel.h"
#include "app/Dialogs.h"
#include "app/HexEdit.h"
#include "core/Colour.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "files/Fileifo.h"
#include "files/Filesup.h"
#include "files/Filevob.h"
#include "files/Tabs.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class PaletteGrid;
class SampleView;

// The window's title once shown, and the caption it is built with.
inline constexpr const char* kProgramTitle = "VELMORAN a4.04";
inline constexpr const char* kBuiltCaption = "Velmoran";

// Maps the fonts the window names ("Fixedsys", "Arial", "System") to installed look-alikes.
void SubstituteWindowFonts();

// The executable's path, from which the settings file's path follows.
std::string ApplicationPath();

// The font of the sample text: the font dialog's font.
struct FontDialog {
  FontSetting font;
};

// The pixel height the sample text is drawn at for a size in points (96 pixels per inch).
int SamplePixelSize(int points);
// The font the sample text is drawn with.
QFont SampleQFont(const FontSetting& font);
// A font the font dialog returned, as the settings keep it.
FontSetting FontSettingOf(const QFont& font);

class TMainForm : public QWidget, public SupTab, public IfoTab, public LogTarget {
  Q_OBJECT

 public:
  // `exePath` decides where the settings file lives; `dialogs` answers every dialog (the Qt
  // dialogs when none is given).
  explicit TMainForm(std::string exePath = ApplicationPath(), Dialogs* dialogs = nullptr,
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  // SupTab
  int MapIndex(int slot) const override;
  void SetMapIndex(int slot, int index) override;
  int IntIndex(int slot) const override;
  void SetIntIndex(int slot, int index) override;
  void SetMapFileText(int slot, const std::string& text) override;
  void SetIntFileText(int slot, const std::string& text) override;
  void SetGridCell(int column, int row, const std::string& text) override;

  // IfoTab: the text of hex field `index`.
  std::string HexText(int index) const override;

  // LogTarget: the log list and the chosen log level.
  int ChosenLevel() const override;
  void AppendLine(const std::string& line) override;
  int LineCount() const override;
  void DeleteLine(int index) override;
  void SelectLine(int index) override;

  // Operations other parts of the window call.
  void RenderSample();
  void ShowIndexRow(bool supSide);
  void ColourPaletteDrawCell(QPainter& painter, int column, int row, const QRect& rect);
  // Redraws every cell of the grid, after a change of PaletteColours.
  void RepaintPalette();

  CFileINI& IniSettings() { return IniFile; }
  CFileSUP& SupDocument() { return SupFile; }
  CFileIFO& IfoDocument() { return IfoFile; }
  CFileVOB& VobScanner() { return VobFile; }

  // Event handlers.
  void FormShow();
  void FileTypesChange();
  void SettingsLogLevelChange();
  void AntialiasWidthChange();
  void OutlineWidthChange();
  void SampleFontClick();
  void TransBackgroundClick();
  void SampleTextChange();
  void OpenSUPClick();
  void SaveSUPClick();
  void DefaultSUPClick();
  void RestoreSUPClick();
  void MapAndIntSUPChange();
  void FirstSubtitleVOBClick();
  void OpenIFOClick();
  void SaveIFOClick();
  void DefaultIFOClick();
  void RestoreIFOClick();
  void HexXXChange(HexEdit* sender);
  void ColourPanelXXClick(ColourPanelBox* sender);

  // Keep a palette entry's hex field, colour panel and PaletteColours in step; each does
  // nothing for an index outside 0-15.
  void PanelToHex(int index);
  void HexToPanel(int index);
  void HexToPaletteColour(int index);
  void PanelToPaletteColour(int index);
  // Sets the sixteen hex fields to the palette the IFO document holds.
  void ShowFilePalette();

  void FileOpenVOBClick();

  // Top band.
  QFrame* Bevel2 = nullptr;
  PaletteGrid* ColourPalette = nullptr;
  std::array<QLabel*, 5> SupRowCaptions{};
  std::array<QLabel*, 5> VobRowCaptions{};

  QTabWidget* FileTypes = nullptr;
  QWidget* FileSUP = nullptr;
  QWidget* FileIFO = nullptr;
  QWidget* FileVOB = nullptr;
  QWidget* Settings = nullptr;

  // SUP tab.
  QLineEdit* FileNameSUP = nullptr;
  QComboBox* BackgroundMapSUP = nullptr;
  QComboBox* OutlineMapSUP = nullptr;
  QComboBox* TextMapSUP = nullptr;
  QComboBox* AntialiasMapSUP = nullptr;
  QComboBox* BackgroundIntSUP = nullptr;
  QComboBox* OutlineIntSUP = nullptr;
  QComboBox* TextIntSUP = nullptr;
  QComboBox* AntialiasIntSUP = nullptr;
  QLineEdit* BackgroundMapFileSUP = nullptr;
  QLineEdit* OutlineMapFileSUP = nullptr;
  QLineEdit* TextMapFileSUP = nullptr;
  QLineEdit* AntialiasMapFileSUP = nullptr;
  QLineEdit* BackgroundIntFileSUP = nullptr;
  QLineEdit* OutlineIntFileSUP = nullptr;
  QLineEdit* TextIntFileSUP = nullptr;
  QLineEdit* AntialiasIntFileSUP = nullptr;
  QLineEdit* SubtitleCountSUP = nullptr;
  QPushButton* OpenSUP = nullptr;
  QPushButton* SaveSUP = nullptr;
  QPushButton* DefaultSUP = nullptr;
  QPushButton* RestoreSUP = nullptr;
  QPlainTextEdit* MemoSUP = nullptr;
  QCheckBox* FirstSubtitleSUP = nullptr;
  std::array<QComboBox*, 4> MapLists{};
  std::array<QComboBox*, 4> IntLists{};
  std::array<QLineEdit*, 4> MapFileEdits{};
  std::array<QLineEdit*, 4> IntFileEdits{};

  // IFO tab.
  QLineEdit* FileNameIFO = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  std::array<HexEdit*, 16> Hex{};
  std::array<ColourPanelBox*, 16> ColourPanel{};
  QPushButton* OpenIFO = nullptr;
  QPushButton* SaveIFO = nullptr;
  QPushButton* DefaultIFO = nullptr;
  QPushButton* RestoreIFO = nullptr;

  // VOB tab.
  QListWidget* FileListVOB = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QPushButton* FileOpenVOB = nullptr;
  QCheckBox* FirstSubtitleVOB = nullptr;

  // Settings tab.
  QComboBox* SettingsLogLevel = nullptr;
  QPlainTextEdit* MemoSettings = nullptr;

  // Below the tabs.
  QListWidget* LogListBox = nullptr;
  QFrame* Bevel1 = nullptr;
  SampleView* SampleImage = nullptr;
  QLineEdit* SampleText = nullptr;
  QSpinBox* AntialiasWidth = nullptr;
  QSpinBox* OutlineWidth = nullptr;
  QCheckBox* TransBackground = nullptr;
  QPushButton* SampleFont = nullptr;

  // Dialogs.
  FileDialog OpenDialogSUP;
  FileDialog SaveDialogSUP;
  FileDialog OpenDialogIFO;
  FileDialog SaveDialogIFO;
  FileDialog OpenDialogVOB;
  FontDialog SampleTextFontDialog;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Refused while a scan runs (the window is disabled): only the scan's own end re-enables it.
  void closeEvent(QCloseEvent* event) override;

 private:
  // The settings file reads and writes the controls through this.
  class SettingsLink final : public SettingsControls {
   public:
    explicit SettingsLink(TMainForm& form) : form_(form) {}
    int LogLevelIndex() const override;
    void SetLogLevelIndex(int index) override;
    FontSetting SampleFont() const override;
    void SetSampleFont(const FontSetting& font) override;
    std::string SampleText() const override;
    void SetSampleText(const std::string& text) override;
    int AntialiasWidth() const override;
    void SetAntialiasWidth(int value) override;
    int OutlineWidth() const override;
    void SetOutlineWidth(int value) override;
    bool TransBackground() const override;
    void SetTransBackground(bool checked) override;
    bool FirstSubtitle() const override;
    void SetFirstSubtitle(bool checked) override;
    bool EventsEnabled() const override;
    void SetEventsEnabled(bool enabled) override;

   private:
    TMainForm& form_;
  };

  bool BuildControls();
  void BuildTopBand();
  void BuildSupTab();
  void BuildIfoTab();
  void BuildVobTab();
  void BuildSettingsTab();
  void BuildBottom();
  void Connect();
  void ConnectIfoTab();

  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs& dialogs_;
  LogTarget* previousLogTarget_ = nullptr;
  bool controlsBuilt_ = BuildControls();
  SettingsLink settingsLink_{*this};

 public:
  // The window's own state, and its documents, in the order they are made.
  std::array<TColor, 16> PaletteColours{};
  bool EventsEnabled = false;

 private:
  CFileSUP SupFile{*this};
  CFileIFO IfoFile{*this};
  CFileVOB VobFile;
  CFileINI IniFile;
};
