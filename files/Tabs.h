// SPDX-License-Identifier: GPL-3.0-or-later
// What the documents need of the window: the SUP tab's controls, the IFO tab's hex fields and
// the palette grid's cells. The window implements these; tests and the CLI fake them.
#pragma once

#include <array>
#include <string>

// Cells of the palette overview grid: 32 columns (two per palette entry, even = SUP side,
// odd = VOB side) by 5 rows (slots 0-3, then the index row).
class PaletteGridCells {
 public:
  virtual ~PaletteGridCells() = default;
  virtual void SetGridCell(int column, int row, const std::string& text) = 0;
};

// The SUP tab: the eight lists (palette index and intensity of each slot), the eight read-only
// edits that show the file's own mapping, and the grid's SUP cells. Setting an index from code
// raises no change event.
class SupTab : public PaletteGridCells {
 public:
  virtual int MapIndex(int slot) const = 0;
  virtual void SetMapIndex(int slot, int index) = 0;
  virtual int IntIndex(int slot) const = 0;
  virtual void SetIntIndex(int slot, int index) = 0;
  virtual void SetMapFileText(int slot, const std::string& text) = 0;
  virtual void SetIntFileText(int slot, const std::string& text) = 0;
};

// The IFO tab's sixteen hex fields, read when the palette is saved.
class IfoTab {
 public:
  virtual ~IfoTab() = default;
  virtual std::string HexText(int index) const = 0;
};

// A SUP tab held in memory: the CLI's and the tests' stand-in for the window.
class SupTabValues : public SupTab {
 public:
  int MapIndex(int slot) const override { return map[slot]; }
  void SetMapIndex(int slot, int index) override { map[slot] = index; }
  int IntIndex(int slot) const override { return intensity[slot]; }
  void SetIntIndex(int slot, int index) override { intensity[slot] = index; }
  void SetMapFileText(int slot, const std::string& text) override { mapFile[slot] = text; }
  void SetIntFileText(int slot, const std::string& text) override { intFile[slot] = text; }
  void SetGridCell(int column, int row, const std::string& text) override {
    if (column >= 0 && column < 32 && row >= 0 && row < 5) grid[row][column] = text;
  }

  std::array<int, 4> map{};
  std::array<int, 4> intensity{};
  std::array<std::string, 4> mapFile{"0", "0", "0", "0"};
  std::array<std::string, 4> intFile{"0", "0", "0", "0"};
  std::array<std::array<std::string, 32>, 5> grid{};
};

// The IFO tab's hex texts held in memory.
class IfoTabValues : public IfoTab {
 public:
  std::string HexText(int index) const override {
    return index >= 0 && index < 16 ? hex[index] : std::string();
  }
  std::array<std::string, 16> hex{};
};
