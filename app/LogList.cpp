// SPDX-License-Identifier: GPL-3.0-or-later
// The log list below the tabs: where the log's lines go in the window.
#include "app/LogList.h"

#include "app/Look.h"

LogList::LogList(QWidget* parent, std::function<int()> chosenLevel)
    : QListWidget(parent), chosenLevel_(std::move(chosenLevel)) {
  setUniformItemSizes(true);  // the log grows by a line per message: keep it cheap
  UseFaceColour(this);
}

int LogList::ChosenLevel() const { return chosenLevel_ ? chosenLevel_() : -1; }

void LogList::AppendLine(const std::string& line) {
  addItem(QString::fromStdString(line));
  while (count() > kMaxLogLines) delete takeItem(0);
  setCurrentRow(count() - 1);
  scrollToItem(item(count() - 1));
}
