// SPDX-License-Identifier: GPL-3.0-or-later
// The band at the top of the window: the palette overview grid and its row captions.
#pragma once

#include <QFrame>
#include <array>
#include <string>

#include "core/Colour.h"
#include "files/Tabs.h"

class QLabel;
class QPainter;
class PaletteGrid;

// A sunken bevel at (8, 8), 841 x 121, holding the grid at (112, 8) of the window and the SUP
// (left) and VOB (right) captions of its five rows. The grid paints with `palette`, the main
// window's PaletteColours.
class TopBand : public QFrame, public PaletteGridCells {
  Q_OBJECT

 public:
  TopBand(QWidget* window, const std::array<TColor, 16>& palette);

  // Row 4: the palette numbers in the SUP (even) or the VOB (odd) column of each pair.
  void ShowIndexRow(bool supSide);
  // Draws the whole cell (column, row) in `rect`: the entry's colour (white in row 4) and
  // its text in the caption colour, underlined in the VOB columns.
  void ColourPaletteDrawCell(QPainter& painter, int column, int row, const QRect& rect) const;
  // Redraws every cell, after a change of the palette.
  void RepaintPalette();

  // PaletteGridCells
  void SetGridCell(int column, int row, const std::string& text) override;

  PaletteGrid* ColourPalette = nullptr;
  std::array<QLabel*, 5> SupRowCaptions{};
  std::array<QLabel*, 5> VobRowCaptions{};

 private:
  const std::array<TColor, 16>& palette_;
};
