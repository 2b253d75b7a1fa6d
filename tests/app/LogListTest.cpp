// SPDX-License-Identifier: GPL-3.0-or-later
// The log list: the level it reads at each line, the newest thousand lines kept, the newest
// selected and scrolled into view.
#include <QListWidget>
#include <QTest>

#include "app/LogList.h"

class LogListTest : public QObject {
  Q_OBJECT

 private slots:
  void KeepsTheNewestThousandLinesAndShowsTheNewest() {
    LogList list(nullptr, [] { return kLogAll; });
    list.resize(300, 100);
    list.show();
    ScopedLogTarget scoped(&list);
    for (int i = 1; i <= LogList::kMaxLogLines; ++i) LogMessage(kLogInfo, "line %d", i);
    QCOMPARE(list.count(), 1000);
    QCOMPARE(list.currentRow(), 999);
    LogMessage(kLogInfo, "line %d", 1001);
    QCOMPARE(list.count(), 1000);
    QCOMPARE(list.item(0)->text(), QString("line 2"));
    QCOMPARE(list.item(999)->text(), QString("line 1001"));
    QCOMPARE(list.currentRow(), 999);
    QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.item(999))));
  }

  void ReadsTheChosenLevelAtEachLine() {
    int level = -1;
    LogList list(nullptr, [&level] { return level; });
    ScopedLogTarget scoped(&list);
    LogMessage(kLogError, "no level chosen: silent");
    level = kLogWarning;
    LogMessage(kLogWarning, "WARNING - shown");
    LogMessage(kLogDetail, "hidden");
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.item(0)->text(), QString("WARNING - shown"));
  }
};

QTEST_MAIN(LogListTest)
#include "LogListTest.moc"
