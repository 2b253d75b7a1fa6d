// SPDX-License-Identifier: GPL-3.0-or-later
// The Subtitles tab: the subtitles of the open SUP file or of a scanned VOB stream, each picture
// before and after the mapping.
#include "app/SubtitlePage.h"

#include <algorithm>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTableView>

#include "app/Look.h"
#include "core/Log.h"
#include "files/Filesup.h"
#include "files/Tabs.h"

namespace {

enum Column { kNumber, kStart, kDuration, kForced, kMapping, kColumns };

// Subtitles are wide and low: the two pictures stand one above the other beside the list.
constexpr QRect kListBounds(8, 8, 360, 248);
constexpr QRect kBeforeBounds(376, 24, 452, 106);
constexpr QRect kAfterBounds(376, 150, 452, 106);
constexpr int kRowTop = 264;
constexpr int kChecker = 8;  // side of a checkerboard square, in screen pixels

// 90 kHz ticks as m:ss.mmm (minutes from 0, as long as a film runs).
QString ClockText(std::int64_t ticks) {
  const std::int64_t ms = ticks / 90;
  return QString("%1:%2.%3").arg(ms / 60000).arg(ms / 1000 % 60, 2, 10, QChar('0')).arg(ms % 1000, 3, 10, QChar('0'));
}

// "0 1 2 3": a word's four slots, "-" for a missing command.
QString SlotsText(const std::optional<int>& word) {
  if (!word) return "-";
  QStringList values;
  for (int s = 0; s < kSlotCount; ++s) values << QString::number(SlotValue(s, *word));
  return values.join(' ');
}

}  // namespace

void SubtitleListModel::Reload(const SubtitleSource& source) {
  beginResetModel();
  source_ = &source;
  rows_.assign(static_cast<std::size_t>(source.Count()), std::nullopt);
  endResetModel();
}

int SubtitleListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SubtitleListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

const SubtitleRow& SubtitleListModel::RowAt(int row) const {
  std::optional<SubtitleRow>& cached = rows_[static_cast<std::size_t>(row)];
  if (!cached) cached = DescribeSubtitle(*source_, row);
  return *cached;
}

QVariant SubtitleListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
  const SubtitleRow& row = RowAt(index.row());
  switch (index.column()) {
    case kNumber: return index.row() + 1;
    case kStart: {
      const auto time = source_->Time(index.row());
      return time ? ClockText(*time) : QString("-");
    }
    case kDuration:
      return row.facts.duration ? QString::number(static_cast<double>(*row.facts.duration) / 90000.0, 'f', 3)
                                : QString("-");
    case kForced: return row.facts.forced ? QString("yes") : QString();
    case kMapping:
      return row.readable ? SlotsText(row.colour) + "/" + SlotsText(row.contrast) : QString("unreadable");
    default: return {};
  }
}

QVariant SubtitleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[kColumns] = {"#", "Start", "Length", "Forced", "Mapping"};
  return section >= 0 && section < kColumns ? QString(kTitles[section]) : QVariant();
}

SubtitlePage::SubtitlePage(QTabWidget* tabs, const CFileSUP& sup,
                           const VobSubtitleIndex& vobSubtitles, const SupTab& mapping,
                           const std::array<TColor, 16>& palette, Dialogs& dialogs)
    : supSubtitles_(sup),
      vobSubtitles_(vobSubtitles),
      mapping_(mapping),
      palette_(palette),
      dialogs_(dialogs),
      model_(supSubtitles_) {
  tabs->addTab(this, "Subtitles");
  SubtitleList = new QTableView(this);
  SubtitleList->setGeometry(kListBounds);
  SubtitleList->setModel(&model_);
  SubtitleList->setSelectionBehavior(QAbstractItemView::SelectRows);
  SubtitleList->setSelectionMode(QAbstractItemView::SingleSelection);
  SubtitleList->verticalHeader()->hide();
  SubtitleList->verticalHeader()->setDefaultSectionSize(18);
  // Fixed widths: sizing columns to their contents would read every row.
  for (const auto& [column, width] : {std::pair{kNumber, 34}, {kStart, 76}, {kDuration, 52}, {kForced, 52}}) {
    SubtitleList->setColumnWidth(column, width);
  }
  SubtitleList->horizontalHeader()->setStretchLastSection(true);
  connect(SubtitleList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { ShowPictures(); });

  // The titles stand over the pictures, as wide as they are.
  for (auto [title, bounds] : {std::pair{&beforeTitle_, kBeforeBounds}, {&afterTitle_, kAfterBounds}}) {
    *title = MakeLabel(this, {}, QRect(bounds.x(), bounds.y() - 16, bounds.width(), 16));
  }
  for (auto [area, view, bounds] : {std::tuple{&beforeArea_, &BeforeView, kBeforeBounds},
                                    std::tuple{&afterArea_, &AfterView, kAfterBounds}}) {
    *area = new QScrollArea(this);
    (*area)->setGeometry(bounds);
    (*area)->setAlignment(Qt::AlignCenter);
    *view = new QLabel;
    (*view)->setAlignment(Qt::AlignCenter);
    (*area)->setWidget(*view);
  }

  PreviousButton = new QPushButton("< Previous", this);
  PreviousButton->setGeometry(8, kRowTop, 96, kEditHeight);
  PreviousButton->setToolTip("Previous subtitle (P)");
  NextButton = new QPushButton("Next >", this);
  NextButton->setGeometry(108, kRowTop, 96, kEditHeight);
  NextButton->setToolTip("Next subtitle (N)");
  MakeLabel(this, "Background:", QRect(376, kRowTop, 88, kEditHeight));
  BackgroundList = MakeList(this, QRect(464, kRowTop, 124, kEditHeight),
                            {"Checkerboard", "Black", "Grey", "Colour..."}, kCheckerboard);
  MakeLabel(this, "Zoom:", QRect(598, kRowTop, 44, kEditHeight));
  ZoomList = MakeList(this, QRect(642, kRowTop, 64, kEditHeight), {"Fit", "1x", "2x", "3x", "4x"}, kFit);
  ExportButton = new QPushButton("Export PNG", this);
  ExportButton->setGeometry(716, kRowTop, 112, kEditHeight);
  SourceList = MakeList(this, QRect(212, kRowTop, 156, kEditHeight), {"SUP file"}, 0);
  SourceList->setItemData(0, -1);
  SourceList->setMaxVisibleItems(12);
  SourceList->setToolTip("What the list shows: the SUP file or a stream of the last VOB scan");
  ShowTitles();

  connect(PreviousButton, &QPushButton::clicked, this, [this] { Previous(); });
  connect(NextButton, &QPushButton::clicked, this, [this] { Next(); });
  connect(ExportButton, &QPushButton::clicked, this, [this] { ExportPicture(); });
  connect(BackgroundList, &QComboBox::activated, this, [this] { BackgroundChange(); });
  connect(ZoomList, &QComboBox::activated, this, [this] { ShowPictures(); });
  connect(SourceList, &QComboBox::activated, this, [this](int item) { ChooseSource(item); });
  // N and P step from anywhere on the page; the list would take them as a search.
  SubtitleList->installEventFilter(this);
}

bool SubtitlePage::StepKey(int key) {
  if (key == Qt::Key_N) Next();
  if (key == Qt::Key_P) Previous();
  return key == Qt::Key_N || key == Qt::Key_P;
}

bool SubtitlePage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && StepKey(static_cast<QKeyEvent*>(event)->key())) return true;
  return QWidget::eventFilter(watched, event);
}

void SubtitlePage::keyPressEvent(QKeyEvent* event) {
  if (!StepKey(event->key())) QWidget::keyPressEvent(event);
}

SubtitlePage::~SubtitlePage() = default;

const SubtitleSource& SubtitlePage::Source() const {
  return stream_ ? static_cast<const SubtitleSource&>(*stream_) : supSubtitles_;
}

void SubtitlePage::ShowSubtitles() {
  if (!stream_) Relist(Current());  // while a VOB stream is listed the SUP file waits its turn
}

int SubtitlePage::ListedStream() const { return stream_ ? stream_->Stream() : -1; }

void SubtitlePage::FillSourceList(int stream) {
  SourceList->clear();
  SourceList->addItem("SUP file", -1);
  for (const int s : vobSubtitles_.Streams()) {
    SourceList->addItem(QString("VOB stream %1").arg(s), s);
  }
  SourceList->setCurrentIndex(std::max(0, SourceList->findData(stream)));
}

void SubtitlePage::ShowVobStreams() {
  const int listed = ListedStream();
  FillSourceList(listed);
  if (listed < 0) return;
  // The stream listed is read from the new scan's places, or gives way to the SUP file.
  if (SourceList->currentIndex() == 0) stream_.reset();
  ShowTitles();
  Relist(stream_ ? Current() : 0);
}

void SubtitlePage::ChooseSource(int item) {
  if (item < 0 || item >= SourceList->count()) return;
  SourceList->setCurrentIndex(item);
  const int stream = SourceList->itemData(item).toInt();
  if (stream < 0) {
    stream_.reset();
  } else {
    stream_ = std::make_unique<VobStreamSubtitles>(vobSubtitles_, stream);
  }
  ShowTitles();
  Relist(0);
}

void SubtitlePage::SetEntryMap(const std::optional<EntryMap>& map) {
  entryMap_ = map;
  ShowTitles();
  ShowPictures();
}

void SubtitlePage::ShowTitles() {
  beforeTitle_->setText(stream_ ? "Before (the unit as it stands)" : "Before (the file's mapping)");
  if (!stream_) {
    afterTitle_->setText("After (the mapping Save SUP writes)");
  } else {
    afterTitle_->setText(entryMap_ ? "After (the entry map)"
                                   : "After (no entry map: as it stands)");
  }
}

void SubtitlePage::Relist(int kept) {
  model_.Reload(Source());
  if (model_.rowCount() > 0) {
    SelectSubtitle(std::clamp(kept, 0, model_.rowCount() - 1));
  } else {
    ShowPictures();
  }
}

int SubtitlePage::Current() const {
  const QModelIndex index = SubtitleList->currentIndex();
  return index.isValid() ? index.row() : -1;
}

void SubtitlePage::SelectSubtitle(int index) {
  if (index < 0 || index >= model_.rowCount()) return;
  SubtitleList->setCurrentIndex(model_.index(index, 0));  // draws through currentRowChanged
}

void SubtitlePage::Next() { SelectSubtitle(Current() + 1); }
void SubtitlePage::Previous() { SelectSubtitle(Current() - 1); }

void SubtitlePage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) ShowPictures();
}

void SubtitlePage::BackgroundChange() {
  if (BackgroundList->currentIndex() == kColour) {
    QColor colour = WidgetColour(chosenColour_);
    if (dialogs_.RunColourDialog(this, colour)) chosenColour_ = ColourOf(colour);
  }
  ShowPictures();
}

void SubtitlePage::ShowPictures() {
  if (!isVisible()) {
    stale_ = true;
    return;
  }
  stale_ = false;
  const int current = Current();
  const ByteView unit = current < 0 ? ByteView() : Source().Unit(current, unitBuffer_);
  if (unit.empty()) {
    // A VOB file changed or gone since the scan no longer holds the unit.
    const QString why =
        current < 0 ? QString() : QString("Can't read this subtitle from its VOB file");
    before_ = after_ = QImage();
    Show(BeforeView, beforeArea_, before_, why);
    Show(AfterView, afterArea_, after_, why);
    return;
  }
  QString why;
  before_ = Compose(unit, why);
  Show(BeforeView, beforeArea_, before_, why);
  if (stream_) {
    after_ = entryMap_ ? Compose(EntryRemapped(unit), why) : before_;
    Show(AfterView, afterArea_, after_, why);
    return;
  }
  const int colour = MakeCommandWord(mapping_.MapIndex(0), mapping_.MapIndex(1), mapping_.MapIndex(2), mapping_.MapIndex(3));
  const int contrast = MakeCommandWord(mapping_.IntIndex(0), mapping_.IntIndex(1), mapping_.IntIndex(2), mapping_.IntIndex(3));
  after_ = Compose(UnitWithFirstWords(unit, colour, contrast), why);
  Show(AfterView, afterArea_, after_, why);
}

std::vector<std::uint8_t> SubtitlePage::EntryRemapped(ByteView unit) const {
  std::vector<std::uint8_t> remapped(unit.begin(), unit.end());
  std::vector<BytePatch> patches;
  // A unit whose commands can't be walked stays as it is; its picture then says why.
  PlanEntryRemap(unit, *entryMap_, patches);
  for (const BytePatch& patch : patches) remapped[patch.at] = patch.after;
  return remapped;
}

QImage SubtitlePage::Compose(ByteView unit, QString& why) const {
  SubpictureImage image;
  const SubpictureError error = DecodeSubpictureUnit(unit, image);
  if (error != SubpictureError::kNone) {
    why = QString("Can't decode: ") + SubpictureErrorText(error);
    return {};
  }
  // One premultiplied colour per entry and contrast byte: the fastest form to blend.
  std::array<QRgb, 256> colours{};
  for (int v = 0; v < 256; ++v) {
    const TColor c = palette_[static_cast<std::size_t>(v & 0xF)];
    colours[static_cast<std::size_t>(v)] = qPremultiply(qRgba(RedOf(c), GreenOf(c), BlueOf(c), (v >> 4) * 17));
  }
  QImage picture(image.area.width, image.area.height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < image.area.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    const std::uint8_t* codes = image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.area.width);
    for (int x = 0; x < image.area.width; ++x) line[x] = colours[codes[x]];
  }
  const QSize viewport = beforeArea_->viewport()->size();
  double scale = ZoomList->currentIndex();
  if (ZoomList->currentIndex() == kFit) {
    scale = std::min(static_cast<double>(viewport.width()) / picture.width(),
                     static_cast<double>(viewport.height()) / picture.height());
  }
  const QSize size(std::max(1, static_cast<int>(picture.width() * scale)),
                   std::max(1, static_cast<int>(picture.height() * scale)));
  QImage shown(size, QImage::Format_RGB32);
  QPainter painter(&shown);
  switch (BackgroundList->currentIndex()) {
    case kBlack: shown.fill(Qt::black); break;
    case kGrey: shown.fill(QColor(0x80, 0x80, 0x80)); break;
    case kColour: shown.fill(WidgetColour(chosenColour_)); break;
    default:
      shown.fill(Qt::white);
      for (int y = 0; y < size.height(); y += kChecker) {
        for (int x = (y / kChecker % 2) * kChecker; x < size.width(); x += 2 * kChecker) {
          painter.fillRect(x, y, kChecker, kChecker, QColor(0xCC, 0xCC, 0xCC));
        }
      }
  }
  // Contrast is the picture's alpha: each pixel is blended over the background.
  painter.drawImage(QRect(QPoint(0, 0), size), picture);
  painter.end();
  why.clear();
  return shown;
}

void SubtitlePage::Show(QLabel* view, QScrollArea* area, const QImage& image, const QString& why) {
  if (image.isNull()) {
    view->setPixmap({});
    view->setText(why);
  } else {
    view->setPixmap(QPixmap::fromImage(image));
  }
  view->resize(image.isNull() ? area->viewport()->size() : image.size().expandedTo(area->viewport()->size()));
}

bool SubtitlePage::ExportPicture() {
  if (after_.isNull()) {
    LogMessage(kLogError, "ERROR - No subtitle picture to export!!!");
    return false;
  }
  if (!dialogs_.RunFileDialog(this, ExportDialog)) return false;
  const std::string fileName = ExportDialog.fileName;
  if (!after_.save(QString::fromStdString(fileName), "PNG")) {
    LogMessage(kLogError, "ERROR - Can't write [%s]", fileName.c_str());
    return false;
  }
  LogMessage(kLogInfo, "Subtitle picture exported [%s]", fileName.c_str());
  return true;
}
