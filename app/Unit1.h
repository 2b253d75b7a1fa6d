// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the parts of the window, the documents, and the named handlers.
#pragma once

#include <QTabWidget>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "app/DiscDialogs.h"
#include "app/ExportSubtitles.h"
#include "app/IfoPage.h"
#include "app/LogList.h"
#include "app/Look.h"
#include "app/MessageBar.h"
#include "app/PreviewPanel.h"
#include "app/SettingsLink.h"
#include "app/SettingsPage.h"
#include "app/SubtitlePage.h"
#include "app/SupPage.h"
#include "app/TopBand.h"
#include "app/VobPage.h"
#include "app/VobStreamsDialog.h"
#include "core/Colour.h"
#include "core/Settings.h"
#include "files/Fileifo.h"
#include "files/Filesup.h"
#include "files/VobRun.h"

class ColourPanelBox;
class HexEdit;

// The executable's path, from which the settings file's path follows.
std::string ApplicationPath();

// Each handler is a short step: it asks a part of the window and a document. The parts own
// their controls and implement the interfaces the documents use.
class TMainForm : public QWidget {
  Q_OBJECT

 public:
  // `exePath` decides where the settings file lives; `dialogs` answers every dialog (the Qt
  // dialogs when none is given).
  explicit TMainForm(std::string exePath = ApplicationPath(), Dialogs* dialogs = nullptr,
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  // The parts of the window, top to bottom.
  TopBand& Top() { return top_; }
  QTabWidget* FileTypes() { return fileTypes_; }
  SupPage& Sup() { return sup_; }
  IfoPage& Ifo() { return ifo_; }
  VobPage& Vob() { return vob_; }
  SettingsPage& SettingsTab() { return settings_; }
  SubtitlePage& Subtitles() { return subtitles_; }
  LogList* LogListBox() { return &log_; }
  MessageBar& Messages() { return messages_; }
  PreviewPanel& Preview() { return preview_; }
  SubtitleExport& Export() { return export_; }

  CFileSUP& SupDocument() { return SupFile; }
  CFileIFO& IfoDocument() { return IfoFile; }
  CFileVOB& VobScanner() { return VobFile; }
  CFileINI& IniSettings() { return IniFile; }

  // The screen colour of each palette entry; all black at start.
  const std::array<TColor, 16>& Palette() const { return PaletteColours; }
  // The one way the palette changes: the entry is set and the grid repainted. Does nothing
  // for an index outside 0-15.
  void SetPaletteColour(int index, TColor colour);
  bool EventsAreEnabled() const { return EventsEnabled; }
  // Loading the settings turns the settings' change handlers off and on again; tests do the
  // same to see that idle handlers stay idle.
  void SetEventsEnabled(bool enabled) { EventsEnabled = enabled; }

  // Operations other parts of the window call.
  void RenderSample();
  void ShowIndexRow(bool supSide);
  void RepaintPalette();

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
  void OpenIFOClick();
  void SaveIFOClick();
  void DefaultIFOClick();
  void RestoreIFOClick();
  void HexXXChange(HexEdit* sender);
  void ColourPanelXXClick(ColourPanelBox* sender);
  void FileOpenVOBClick();
  void FirstSubtitleVOBClick();
  // The IFO tab's program chains and palette files, the VOB tab's stream view and recolour.
  void ChainIFOChange();
  void ImportIFOClick();
  void ExportIFOClick();
  void StreamsVOBClick();
  void RecolourVOBClick();
  // The disc work's dialogs (the Qt ones until another is given); the stream view.
  void SetDiscDialogs(DiscDialogs* dialogs) { discDialogs_ = dialogs; }
  VobStreamsDialog& VobStreams() { return *streamsDialog_; }
  // Files dropped on the window, as local paths: each kind opens as its open button does after
  // its dialog (DropRules.h says which file goes where); what is not taken gets a warning.
  void FormDragDrop(const std::vector<std::string>& paths);
  // Shows the first subtitle of the mapping chosen on the SUP tab in the Subtitles tab.
  void ViewMappingSUPClick();

  // Whether the SUP tab's lists or the IFO tab's hex fields differ from what the loaded file
  // holds (as loaded or last saved): edits a close or another open would lose.
  bool SupChanged() const;
  bool IfoChanged() const;
  // Asks Save / Discard / Cancel about a changed SUP (IFO) file; true when the caller may go on:
  // nothing changed, the user discarded, or the save asked for succeeded.
  bool SupChangesSettled();
  bool IfoChangesSettled();

  // Keep a palette entry's PaletteColours in step with its hex field or its colour panel.
  void HexToPaletteColour(int index);
  void PanelToPaletteColour(int index);
  // Sets the sixteen hex fields to the palette the IFO document holds.
  void ShowFilePalette();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Refused while a scan runs (the window is disabled): only the scan's own end re-enables it.
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Connect();
  // A change of the preview's width fields or text: draw, then save the settings.
  void PreviewSettingChange();
  // Runs a file dialog; when confirmed, its folder is remembered under `key`.
  bool RunFileDialog(FileDialog& dialog, const char* key);
  // The open dialogs and their saves start in the folders remembered from earlier runs.
  void LoadDialogFolders();
  void OpenSupFile(const std::string& fileName);
  // Save SUP's work: a file with several mappings is offered the entry table first. True when
  // a file was written.
  bool SaveSupFile();
  bool SaveIfoFile();
  void OpenIfoFile(const std::string& fileName);
  void ScanVobFiles(std::vector<std::string> paths);

  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs& dialogs_;
  LogTarget* previousLogTarget_ = nullptr;

  // The window's own state.
  std::array<TColor, 16> PaletteColours{};
  bool EventsEnabled = false;

  // The parts, in the order they are built, then the documents and the settings file, which
  // writes a first file from the parts' controls.
  TopBand top_{this, PaletteColours};
  QTabWidget* fileTypes_ = new QTabWidget(this);
  SupPage sup_{fileTypes_, top_};
  IfoPage ifo_{fileTypes_};
  VobPage vob_{fileTypes_};
  SettingsPage settings_{fileTypes_};
  SubtitlePage subtitles_{fileTypes_, SupFile, VobSubtitles, sup_, PaletteColours, dialogs_};
  LogList log_{this, [this] { return settings_.LogLevel(); }};
  MessageBar messages_{this, log_, this};
  PreviewPanel preview_{this};
  SettingsLink settingsLink_{settings_, preview_, vob_, EventsEnabled};
  CFileSUP SupFile{sup_};
  CFileIFO IfoFile{ifo_};
  CFileVOB VobFile;
  VobSubtitleIndex VobSubtitles;  // where the last scan's subtitles lie, for the Subtitles tab
  CFileINI IniFile;

  // The disc work: its dialogs, and the files and streams of the last scan that found subtitles.
  std::unique_ptr<DiscDialogs> ownDiscDialogs_ = std::make_unique<QtDiscDialogs>();
  DiscDialogs* discDialogs_ = ownDiscDialogs_.get();
  VobStreamsDialog* streamsDialog_ = new VobStreamsDialog(this);
  std::vector<std::string> scannedFiles_;
  std::array<VobStreamUsage, kSubpictureStreams> scannedStreams_{};
  // Shows what a scan found in the stream view; nothing found disables the VOB tab's commands.
  void KeepScan(const std::vector<std::string>& paths, const VobRunResult& result);
  SubtitleExport export_{sup_, SupFile, ifo_, IfoFile, vob_,
                         [this](FileDialog& dialog, const char* key) { return RunFileDialog(dialog, key); }};
};
