// SPDX-License-Identifier: GPL-3.0-or-later
// A main window for tests: settings beside a fake executable in a temporary folder, scripted
// dialogs, and helpers to act as the user would.
#pragma once

#include <QComboBox>
#include <QImage>
#include <QSet>
#include <QTest>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "app/Unit1.h"
#include "tests/support/TempDir.h"
#include "tests/support/app/ScriptedDialogs.h"

// The window with its own folder; the settings file is <folder>/velmoran.INI.
struct WindowHarness {
  explicit WindowHarness(bool show = true) {
    form = std::make_unique<TMainForm>(ExePath(), &dialogs);
    if (show) Show();
  }
  std::string ExePath() const { return folder.File("velmoran"); }
  std::string IniPath() const { return folder.File("velmoran.INI"); }
  void Show() {
    form->show();
    QCoreApplication::processEvents();
  }

  TempDir folder;
  ScriptedDialogs dialogs;
  std::unique_ptr<TMainForm> form;
};

// Writes a settings file before a window is made in `folder`.
inline void WriteIni(const TempDir& folder, const std::string& text) {
  std::ofstream(folder.File("velmoran.INI"), std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The keys of a settings file, as "Section/Key" -> value.
inline std::map<std::string, std::string> IniValues(const std::string& path) {
  std::map<std::string, std::string> values;
  std::istringstream in(ReadText(path));
  std::string line;
  std::string section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
    } else if (const auto eq = line.find('='); eq != std::string::npos) {
      values[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return values;
}

// The user picks item `index` of a drop-down list: the index changes and the pick is reported.
inline void PickItem(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
}

// The distinct colours of an image, as 0xRRGGBB.
inline QSet<QRgb> ColoursOf(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) & 0xFFFFFF);
  return colours;
}

inline int CountColour(const QImage& image, QRgb colour, QRect area = QRect()) {
  if (area.isNull()) area = image.rect();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++count;
  return count;
}

// A TColor (0x00BBGGRR) as Qt's 0xRRGGBB.
inline QRgb Rgb(TColor colour) {
  return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)) & 0xFFFFFF;
}
