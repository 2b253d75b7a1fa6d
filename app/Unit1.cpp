// The main window: its controls, start-up, tab switching, the log list and the settings link.
#include "app/Unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>

#include "app/ColourPanel.h"
#include "app/HexEdit.h"
#include "app/PaletteGrid.h"
#include "app/SampleView.h"

namespace {

constexpr int kClientWidth = 861;
constexpr int kClientHeight = 718;
constexpr int kEditHeight = 24;
constexpr int kButtonWidth = 97;
constexpr int kButtonHeight = 33;

QFont WindowFont() {
  QFont font("Fixedsys");
  font.setPixelSize(12);
  return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect bounds,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(bounds);
  label->setAlignment(alignment);
  return label;
}

QLineEdit* MakeEdit(QWidget* parent, QRect bounds, const QString& text, bool readOnly,
                    bool enabled = true) {
  auto* edit = new QLineEdit(text, parent);
  edit->setGeometry(bounds);
  edit->setReadOnly(readOnly);
  edit->setEnabled(enabled);
  return edit;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int left, int top) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(left, top, kButtonWidth, kButtonHeight);
  return button;
}

QComboBox* MakeList(QWidget* parent, QRect bounds, const QStringList& items, int chosen) {
  auto* list = new QComboBox(parent);
  list->setGeometry(bounds);
  list->setEditable(false);
  list->addItems(items);
  list->setMaxVisibleItems(items.size());
  list->setCurrentIndex(chosen);
  return list;
}

QFrame* MakeBevel(QWidget* parent, QRect bounds, QFrame::Shadow shadow) {
  auto* bevel = new QFrame(parent);
  bevel->setGeometry(bounds);
  bevel->setFrameShape(QFrame::Panel);
  bevel->setFrameShadow(shadow);
  bevel->lower();
  return bevel;
}

// A control whose background is the window's face colour.
void UseFaceColour(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  widget->setPalette(palette);
}

// A read-only note: disabled, yet it reads in black on the face colour.
QPlainTextEdit* MakeNote(QWidget* parent, QRect bounds, const QStringList& lines) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setGeometry(bounds);
  memo->setPlainText(lines.join('\n'));
  memo->setReadOnly(true);
  memo->setEnabled(false);
  UseFaceColour(memo);
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Text, Qt::black);
  memo->setPalette(palette);
  return memo;
}

QStringList NumberItems() {
  QStringList items;
  for (int i = 0; i <= 15; ++i) items << QString::number(i);
  return items;
}

QStringList IntensityItems() {
  QStringList items{"0 - Trans"};
  for (int i = 1; i <= 14; ++i) items << QString::number(i);
  items << "15 - Opaque";
  return items;
}

}  // namespace

void SubstituteWindowFonts() {
  QFont::insertSubstitutions("Fixedsys", {"Liberation Mono", "DejaVu Sans Mono", "Monospace"});
  QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans", "Sans Serif"});
  QFont::insertSubstitutions("System", {"Liberation Sans", "DejaVu Sans", "Sans Serif"});
}

std::string ApplicationPath() { return QCoreApplication::applicationFilePath().toStdString(); }

TMainForm::TMainForm(std::string exePath, Dialogs* dialogs, QWidget* parent)
    : QWidget(parent),
      ownDialogs_(dialogs == nullptr ? std::make_unique<QtDialogs>() : nullptr),
      dialogs_(dialogs == nullptr ? *ownDialogs_ : *dialogs),
      IniFile(settingsLink_, exePath) {
  Connect();
  previousLogTarget_ = SetLogTarget(this);
  EventsEnabled = true;
}

TMainForm::~TMainForm() { SetLogTarget(previousLogTarget_); }

bool TMainForm::BuildControls() {
  setWindowTitle(kBuiltCaption);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(WindowFont());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
  }

  BuildTopBand();
  FileTypes = new QTabWidget(this);
  FileTypes->setGeometry(8, 136, 841, 329);
  BuildSupTab();
  BuildIfoTab();
  BuildVobTab();
  BuildSettingsTab();
  FileTypes->setCurrentWidget(Settings);
  BuildBottom();

  OpenDialogSUP = {FileDialogKind::kOpen, "SUP files (*.sup)|*.sup", "sup", {}, {}};
  SaveDialogSUP = {FileDialogKind::kSave, "SUP Files (*.sup)|*.sup", "sup", {}, {}};
  OpenDialogIFO = {FileDialogKind::kOpen, "IFO files (*.ifo)|*.ifo", "ifo", {}, {}};
  SaveDialogIFO = {FileDialogKind::kSave, "IFO Files (*.ifo)|*.ifo", "ifo", {}, {}};
  OpenDialogVOB = {FileDialogKind::kOpenMany, "VOB files (*.vob)|*.vob", "vob", {}, {}};
  // "Arial" at a character height of 37 pixels: 28 points at 96 pixels per inch.
  SampleTextFontDialog.font = FontSetting{"Arial", 28, false, false};
  return true;
}

void TMainForm::BuildTopBand() {
  Bevel2 = MakeBevel(this, QRect(8, 8, 841, 121), QFrame::Sunken);
  ColourPalette = new PaletteGrid(this);
  ColourPalette->setGeometry(112, 8, 644, 121);
  ColourPalette->setEnabled(false);
  ColourPalette->SetDrawCell([this](QPainter& painter, int column, int row, const QRect& rect) {
    ColourPaletteDrawCell(painter, column, row, rect);
  });

  const char* supCaptions[] = {"Background>", "Outline>", "Text>", "Antialias>"};
  const char* vobCaptions[] = {"<Colour 0", "<Colour 1", "<Colour 2", "<Colour 3"};
  for (int row = 0; row < 4; ++row) {
    const int top = 8 + 24 * row;
    SupRowCaptions[row] =
        MakeLabel(this, supCaptions[row], QRect(12, top, 96, 24), Qt::AlignRight | Qt::AlignVCenter);
    VobRowCaptions[row] = MakeLabel(this, vobCaptions[row], QRect(768, top, 76, 24));
    QFont underlined = VobRowCaptions[row]->font();
    underlined.setUnderline(true);
    VobRowCaptions[row]->setFont(underlined);
  }
  SupRowCaptions[4] = MakeLabel(this, "(QUENLIX)", QRect(12, 104, 96, 24), Qt::AlignCenter);
  VobRowCaptions[4] = MakeLabel(this, "(VOB)", QRect(760, 104, 84, 24), Qt::AlignCenter);
  for (QLabel* label : {SupRowCaptions[4], VobRowCaptions[4]}) {
    QFont italic = label->font();
    italic.setItalic(true);
    label->setFont(italic);
  }
}

void TMainForm::BuildSupTab() {
  FileSUP = new QWidget;
  FileTypes->addTab(FileSUP, "SUP File");
  QWidget* tab = FileSUP;

  FileNameSUP = MakeEdit(tab, QRect(8, 8, 817, kEditHeight), QString(), true);
  MakeBevel(tab, QRect(8, 40, 217, 161), QFrame::Sunken);
  MakeBevel(tab, QRect(240, 40, 289, 161), QFrame::Sunken);
  MakeLabel(tab, "Colours", QRect(16, 44, 201, 24), Qt::AlignCenter);
  MakeLabel(tab, "Intensity", QRect(248, 44, 273, 24), Qt::AlignCenter);

  const char* slotNames[] = {"Background", "Outline", "Text", "Antialias"};
  for (int slot = 0; slot < 4; ++slot) {
    const int top = 72 + 32 * slot;
    MakeLabel(tab, slotNames[slot], QRect(16, top, 86, kEditHeight));
    MakeLabel(tab, slotNames[slot], QRect(248, top, 94, kEditHeight));
    MapLists[slot] = MakeList(tab, QRect(104, top, 49, kEditHeight), NumberItems(), 0);
    MapFileEdits[slot] = MakeEdit(tab, QRect(160, top, 49, kEditHeight), "0", false, false);
    IntLists[slot] = MakeList(tab, QRect(344, top, 113, kEditHeight), IntensityItems(), 0);
    IntFileEdits[slot] = MakeEdit(tab, QRect(464, top, 49, kEditHeight), "0", false, false);
  }
  BackgroundMapSUP = MapLists[0];
  OutlineMapSUP = MapLists[1];
  TextMapSUP = MapLists[2];
  AntialiasMapSUP = MapLists[3];
  BackgroundIntSUP = IntLists[0];
  OutlineIntSUP = IntLists[1];
  TextIntSUP = IntLists[2];
  AntialiasIntSUP = IntLists[3];
  BackgroundMapFileSUP = MapFileEdits[0];
  OutlineMapFileSUP = MapFileEdits[1];
  TextMapFileSUP = MapFileEdits[2];
  AntialiasMapFileSUP = MapFileEdits[3];
  BackgroundIntFileSUP = IntFileEdits[0];
  OutlineIntFileSUP = IntFileEdits[1];
  TextIntFileSUP = IntFileEdits[2];
  AntialiasIntFileSUP = IntFileEdits[3];

  MakeLabel(tab, "Subtitles =", QRect(60, 216, 96, kEditHeight), Qt::AlignRight | Qt::AlignVCenter);
  SubtitleCountSUP = MakeEdit(tab, QRect(160, 216, 49, kEditHeight), QString(), true);

  OpenSUP = MakeButton(tab, "Open SUP", 8, 256);
  SaveSUP = MakeButton(tab, "Save SUP", 112, 256);
  DefaultSUP = MakeButton(tab, "Default", 216, 256);
  RestoreSUP = MakeButton(tab, "Restore", 320, 256);
  OpenSUP->setDefault(true);

  MemoSUP = MakeNote(tab, QRect(544, 40, 281, 217),
                     {"*** WARNING ***", "", "This SUP editor is intended for",
                      "SUP files created by Quenlix.", "", "It may work with other SUP",
                      "files but it is not guarenteed."});

  FirstSubtitleSUP = new QCheckBox("First Subtitle Only", tab);
  FirstSubtitleSUP->setGeometry(640, 264, 180, 17);
  FirstSubtitleSUP->setChecked(true);
  FirstSubtitleSUP->setEnabled(false);
  FirstSubtitleSUP->setVisible(false);
}

void TMainForm::BuildIfoTab() {
  FileIFO = new QWidget;
  FileTypes->addTab(FileIFO, "IFO File");
  QWidget* tab = FileIFO;

  FileNameIFO = MakeEdit(tab, QRect(8, 8, 817, kEditHeight), QString(), true);
  UseFaceColour(FileNameIFO);
  Memo1 = MakeNote(tab, QRect(8, 40, 401, 209),
                   {"*** WARNING ***", "", "Please be aware that it is not possible to get ",
                    "the conversion between RGB<->YCbCr to be 100% ",
                    "as rounding and clipping errors are introduced.", "",
                    "This means that as you switch between colours ",
                    "and hex values the hex values/colours may drift!"});

  for (int i = 0; i < 16; ++i) {
    const bool left = i < 8;
    const int top = 40 + 32 * (i % 8);
    MakeLabel(tab, QString("%1").arg(i, 2, 10, QChar('0')), QRect(left ? 424 : 632, top, 22, 25));
    Hex[i] = new HexEdit(tab);
    Hex[i]->setObjectName(QString("Hex%1").arg(i, 2, 10, QChar('0')));
    Hex[i]->setGeometry(left ? 448 : 656, top, i == 0 ? 81 : 80, kEditHeight);
    Hex[i]->SetTag(i);
    ColourPanel[i] = new ColourPanelBox("Colour", tab);
    ColourPanel[i]->setObjectName(QString("ColourPanel%1").arg(i, 2, 10, QChar('0')));
    ColourPanel[i]->setGeometry(left ? 536 : 744, top, 81, 25);
    ColourPanel[i]->SetTag(i);
  }

  OpenIFO = MakeButton(tab, "Open IFO", 8, 256);
  SaveIFO = MakeButton(tab, "Save IFO", 112, 256);
  DefaultIFO = MakeButton(tab, "Default", 216, 256);
  RestoreIFO = MakeButton(tab, "Restore", 320, 256);
  OpenIFO->setDefault(true);
}

void TMainForm::BuildVobTab() {
  FileVOB = new QWidget;
  FileTypes->addTab(FileVOB, "VOB File");
  QWidget* tab = FileVOB;

  FileListVOB = new QListWidget(tab);
  FileListVOB->setGeometry(8, 8, 817, 153);
  UseFaceColour(FileListVOB);
  Memo2 = MakeNote(tab, QRect(8, 176, 817, 73),
                   {"*** WARNING ***", "",
                    "You may select multiple VOB files, but looking for every subtitle in "
                    "multiple VOB files will take a ",
                    "long time. Usually looking for the first subtitle is enough!"});
  FileOpenVOB = MakeButton(tab, "Open VOB(s)", 8, 256);
  FileOpenVOB->setDefault(true);
  FirstSubtitleVOB = new QCheckBox("First Subtitle Only", tab);
  FirstSubtitleVOB->setGeometry(640, 264, 180, 17);
  FirstSubtitleVOB->setChecked(true);
  connect(FileOpenVOB, &QPushButton::clicked, this, [this] { FileOpenVOBClick(); });
}

void TMainForm::BuildSettingsTab() {
  Settings = new QWidget;
  FileTypes->addTab(Settings, "Settings");
  QWidget* tab = Settings;

  MakeLabel(tab, "Log Level:", QRect(8, 8, 92, kEditHeight));
  SettingsLogLevel = MakeList(tab, QRect(104, 8, 121, kEditHeight),
                              {"None", "Normal", "Errors", "Info", "Warnings", "Details", "Debug",
                               "7", "8", "9", "All"},
                              -1);
  MemoSettings = MakeNote(
      tab, QRect(8, 40, 817, 249),
      {"So what do I do?", "",
       "1) If you just want to set the colours in an IFO file: click on the IFO tab open the "
       "file, set the ",
       "colours with the hex editor or the colour pickers and then save the IFO file!", "",
       "2) If you want to move the mapping in a SUP file so that it does not clash with other "
       "subtitles: ",
       "Click on the SUP tab and open the SUP file to remap. Click on the IFO tab and open the "
       "IFO file of ",
       "the existing DVD. Click on the VOB tab and open a VOB file from the original DVD. You "
       "now have a ",
       "complete visual mapping of the relationship of these 3 files. Adjust the mapping on the "
       "SUP tab to ",
       "give you the colours you want, then save the SUP file. Optionally you could change the "
       "IFO colours if ",
       "the colours you want to use are not available and there is \"free\" space in the "
       "palette.",
       "",
       "The sample text below is just that, this program does NOT change the subtitle content "
       "in any way only",
       "the subtitle colours and their mapping."});
}

void TMainForm::BuildBottom() {
  LogListBox = new QListWidget(this);
  LogListBox->setGeometry(8, 472, 841, 105);
  LogListBox->setUniformItemSizes(true);  // the log grows by a line per message: keep it cheap
  UseFaceColour(LogListBox);

  Bevel1 = MakeBevel(this, QRect(8, 584, 841, 89), QFrame::Raised);
  SampleImage = new SampleView(this);
  SampleImage->setGeometry(8, 584, 841, 89);

  SampleText = MakeEdit(this, QRect(8, 680, 313, kEditHeight),
                        "The Quick Brown Fox jumps over the Lazy Dog!", false);
  SampleText->setCursorPosition(0);
  MakeLabel(this, "Antialias:", QRect(332, 680, 80, kEditHeight), Qt::AlignRight | Qt::AlignVCenter);
  AntialiasWidth = new QSpinBox(this);
  AntialiasWidth->setGeometry(416, 680, 49, kEditHeight);
  AntialiasWidth->setRange(0, 10);
  AntialiasWidth->setValue(1);
  MakeLabel(this, "Outline:", QRect(472, 680, 68, kEditHeight), Qt::AlignRight | Qt::AlignVCenter);
  OutlineWidth = new QSpinBox(this);
  OutlineWidth->setGeometry(544, 680, 49, kEditHeight);
  OutlineWidth->setRange(0, 10);
  OutlineWidth->setValue(7);
  TransBackground = new QCheckBox("Trans Background", this);
  TransBackground->setGeometry(600, 680, 150, kEditHeight);
  TransBackground->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
  TransBackground->setChecked(false);
  SampleFont = new QPushButton("Font", this);
  SampleFont->setGeometry(760, 680, 89, 25);
  QFont system("System");
  system.setPixelSize(13);
  system.setBold(true);
  SampleFont->setFont(system);
}

void TMainForm::Connect() {
  connect(FileTypes, &QTabWidget::currentChanged, this, [this] { FileTypesChange(); });
  // A list's change handler runs on the user's pick only, never when code sets the index.
  connect(SettingsLogLevel, &QComboBox::activated, this, [this] { SettingsLogLevelChange(); });
  for (QComboBox* list : MapLists)
    connect(list, &QComboBox::activated, this, [this] { MapAndIntSUPChange(); });
  for (QComboBox* list : IntLists)
    connect(list, &QComboBox::activated, this, [this] { MapAndIntSUPChange(); });
  // Spin fields, the text and the check boxes run their handlers whenever the value changes,
  // also when code sets it; the handlers test EventsEnabled.
  connect(AntialiasWidth, &QSpinBox::valueChanged, this, [this] { AntialiasWidthChange(); });
  connect(OutlineWidth, &QSpinBox::valueChanged, this, [this] { OutlineWidthChange(); });
  connect(SampleText, &QLineEdit::textChanged, this, [this] { SampleTextChange(); });
  connect(TransBackground, &QCheckBox::toggled, this, [this] { TransBackgroundClick(); });
  connect(FirstSubtitleVOB, &QCheckBox::toggled, this, [this] { FirstSubtitleVOBClick(); });
  connect(SampleFont, &QPushButton::clicked, this, [this] { SampleFontClick(); });
  connect(OpenSUP, &QPushButton::clicked, this, [this] { OpenSUPClick(); });
  connect(SaveSUP, &QPushButton::clicked, this, [this] { SaveSUPClick(); });
  connect(DefaultSUP, &QPushButton::clicked, this, [this] { DefaultSUPClick(); });
  connect(RestoreSUP, &QPushButton::clicked, this, [this] { RestoreSUPClick(); });
  ConnectIfoTab();
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
    if (FileTypes->currentWidget() == FileSUP) button = OpenSUP;
    if (FileTypes->currentWidget() == FileIFO) button = OpenIFO;
    if (FileTypes->currentWidget() == FileVOB) button = FileOpenVOB;
    if (button != nullptr && button->isEnabled()) {
      button->click();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

void TMainForm::FormShow() {
  setWindowTitle(kProgramTitle);
  {
    // Setting the tab from code is no user switch.
    const QSignalBlocker blocker(FileTypes);
    FileTypes->setCurrentWidget(FileSUP);
  }
  ShowIndexRow(true);
  IniFile.LoadSettings();
  LogMessage(kLogDetail, "Settings file [%s]", IniFile.IniFileName().c_str());
  RenderSample();
}

void TMainForm::FileTypesChange() {
  if (FileTypes->currentWidget() == FileSUP) ShowIndexRow(true);
  if (FileTypes->currentWidget() == FileVOB) ShowIndexRow(false);
}

void TMainForm::SettingsLogLevelChange() {
  if (EventsEnabled) IniFile.SaveSettings();
}

void TMainForm::FirstSubtitleVOBClick() {
  if (EventsEnabled) IniFile.SaveSettings();
}

// The log list.

int TMainForm::ChosenLevel() const { return SettingsLogLevel->currentIndex(); }

void TMainForm::AppendLine(const std::string& line) {
  LogListBox->addItem(QString::fromStdString(line));
}

int TMainForm::LineCount() const { return LogListBox->count(); }

void TMainForm::DeleteLine(int index) {
  if (index >= 0 && index < LogListBox->count()) delete LogListBox->takeItem(index);
}

void TMainForm::SelectLine(int index) {
  LogListBox->setCurrentRow(index);
  if (QListWidgetItem* item = LogListBox->item(index)) LogListBox->scrollToItem(item);
}

// The settings file's view of the controls.

int TMainForm::SettingsLink::LogLevelIndex() const { return form_.SettingsLogLevel->currentIndex(); }

void TMainForm::SettingsLink::SetLogLevelIndex(int index) {
  form_.SettingsLogLevel->setCurrentIndex(index >= 0 && index <= 10 ? index : -1);
}

FontSetting TMainForm::SettingsLink::SampleFont() const { return form_.SampleTextFontDialog.font; }

void TMainForm::SettingsLink::SetSampleFont(const FontSetting& font) {
  form_.SampleTextFontDialog.font = font;
}

std::string TMainForm::SettingsLink::SampleText() const {
  return form_.SampleText->text().toStdString();
}

void TMainForm::SettingsLink::SetSampleText(const std::string& text) {
  form_.SampleText->setText(QString::fromStdString(text));
  form_.SampleText->setCursorPosition(0);  // show the text's start, not its end
}

int TMainForm::SettingsLink::AntialiasWidth() const { return form_.AntialiasWidth->value(); }
void TMainForm::SettingsLink::SetAntialiasWidth(int value) { form_.AntialiasWidth->setValue(value); }
int TMainForm::SettingsLink::OutlineWidth() const { return form_.OutlineWidth->value(); }
void TMainForm::SettingsLink::SetOutlineWidth(int value) { form_.OutlineWidth->setValue(value); }
bool TMainForm::SettingsLink::TransBackground() const { return form_.TransBackground->isChecked(); }
void TMainForm::SettingsLink::SetTransBackground(bool checked) {
  form_.TransBackground->setChecked(checked);
}
bool TMainForm::SettingsLink::FirstSubtitle() const { return form_.FirstSubtitleVOB->isChecked(); }
void TMainForm::SettingsLink::SetFirstSubtitle(bool checked) {
  form_.FirstSubtitleVOB->setChecked(checked);
}
bool TMainForm::SettingsLink::EventsEnabled() const { return form_.EventsEnabled; }
void TMainForm::SettingsLink::SetEventsEnabled(bool enabled) { form_.EventsEnabled = enabled; }
