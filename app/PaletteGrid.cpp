// SPDX-License-Identifier: GPL-3.0-or-later
// The palette overview grid: a fixed grid of text cells, each drawn by the owner.
#include "app/PaletteGrid.h"

#include <QPaintEvent>
#include <QPainter>

PaletteGrid::PaletteGrid(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void PaletteGrid::SetCell(int column, int row, const QString& text) {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return;
  cells_[row][column] = text;
  update(CellRect(column, row));
}

QString PaletteGrid::Cell(int column, int row) const {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return {};
  return cells_[row][column];
}

QRect PaletteGrid::CellRect(int column, int row) const {
  return QRect(column * kCellWidth, row * kCellHeight, kCellWidth, kCellHeight);
}

void PaletteGrid::DrawAll(QPainter& painter) {
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const QRect rect = CellRect(column, row);
      painter.save();
      painter.setClipRect(rect);
      if (drawCell_) drawCell_(painter, column, row, rect);
      painter.restore();
    }
  }
}

void PaletteGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setFont(font());
  // The strip beyond the last column and row keeps the window's face colour.
  painter.fillRect(rect(), palette().window());
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const QRect rect = CellRect(column, row);
      if (!event->region().intersects(rect)) continue;
      painter.save();
      painter.setClipRect(rect);
      if (drawCell_) drawCell_(painter, column, row, rect);
      painter.restore();
    }
  }
}
