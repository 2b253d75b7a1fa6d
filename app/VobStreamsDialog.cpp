// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's stream view.
#include "app/VobStreamsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QStringList kColumns{"Stream", "Language", "Subtitles", "Dropped",
                           "Background", "Outline", "Text", "Antialias"};

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

QString UsedEntriesText(const VobUsage& usage, int slot) {
  QStringList used;
  for (int i = 0; i < 16; ++i) {
    const int intensity = usage[static_cast<std::size_t>(i)][static_cast<std::size_t>(slot)];
    if (intensity >= 0) used << QString("%1=%2").arg(i).arg(intensity);
  }
  return used.join(' ');
}

VobStreamsDialog::VobStreamsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("VOB streams");
  auto* layout = new QVBoxLayout(this);
  Summary = new QLabel(this);
  layout->addWidget(Summary);
  Table = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
  Table->setHorizontalHeaderLabels(kColumns);
  Table->verticalHeader()->hide();
  Table->horizontalHeader()->setStretchLastSection(true);
  Table->setToolTip("Each slot lists the palette entries it used as entry=intensity.");
  layout->addWidget(Table, 2);
  layout->addWidget(new QLabel("Dropped units (damaged, cut short or not complete at the end):", this));
  Dropped = new QTableWidget(0, 4, this);
  Dropped->setHorizontalHeaderLabels({"File", "Stream", "Offset", "Why"});
  Dropped->verticalHeader()->hide();
  Dropped->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(Dropped, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(640, 320);
}

void VobStreamsDialog::ShowStreams(const std::array<VobStreamUsage, kSubpictureStreams>& streams,
                                   const StreamLanguages& languages,
                                   const std::vector<VobLostUnit>& lost) {
  Dropped->setRowCount(0);
  for (const VobLostUnit& unit : lost) {
    const int row = Dropped->rowCount();
    Dropped->insertRow(row);
    Dropped->setItem(row, 0, Cell(QString::fromStdString(unit.file)));
    Dropped->setItem(row, 1, Cell(QString::number(unit.stream)));
    Dropped->setItem(row, 2, Cell(QString("%1").arg(unit.offset, 8, 16, QChar('0')).toUpper()));
    Dropped->setItem(row, 3, Cell(QString::fromStdString(unit.why)));
  }
  Dropped->resizeColumnsToContents();
  Table->setRowCount(0);
  int subtitles = 0;
  int dropped = 0;
  for (int s = 0; s < kSubpictureStreams; ++s) {
    const VobStreamUsage& stream = streams[static_cast<std::size_t>(s)];
    if (stream.subtitles == 0 && stream.dropped == 0) continue;
    subtitles += stream.subtitles;
    dropped += stream.dropped;
    const int row = Table->rowCount();
    Table->insertRow(row);
    Table->setItem(row, 0, Cell(QString::number(s)));
    Table->setItem(row, 1, Cell(QString::fromStdString(languages[static_cast<std::size_t>(s)])));
    Table->setItem(row, 2, Cell(QString::number(stream.subtitles)));
    Table->setItem(row, 3, Cell(QString::number(stream.dropped)));
    for (int slot = 0; slot < 4; ++slot) {
      Table->setItem(row, 4 + slot, Cell(UsedEntriesText(stream.usage, slot)));
    }
  }
  Table->resizeColumnsToContents();
  Summary->setText(QString("Streams: %1   Subtitles: %2   Dropped units: %3")
                       .arg(Table->rowCount())
                       .arg(subtitles)
                       .arg(dropped));
}
