// SPDX-License-Identifier: GPL-3.0-or-later
// The palette overview grid: a fixed grid of text cells, each drawn by the owner.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class PaletteGrid : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColumns = 32;
  static constexpr int kRows = 5;
  static constexpr int kCellWidth = 20;
  static constexpr int kCellHeight = 24;

  // Draws one whole cell: painter, column, row, the cell's rectangle in grid pixels.
  using DrawCellFunction = std::function<void(QPainter&, int, int, const QRect&)>;

  explicit PaletteGrid(QWidget* parent = nullptr);

  // The cell's text; outside the grid: nothing is set and the empty text is read.
  void SetCell(int column, int row, const QString& text);
  QString Cell(int column, int row) const;

  QRect CellRect(int column, int row) const;
  void SetDrawCell(DrawCellFunction draw) { drawCell_ = std::move(draw); }

  // Draws every cell into `painter` as the widget would.
  void DrawAll(QPainter& painter);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<std::array<QString, kColumns>, kRows> cells_;
  DrawCellFunction drawCell_;
};
