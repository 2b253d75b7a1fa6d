// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window and its host: layout, caption, the main window disabled for a run and
// enabled on every way out, and Cancel reaching the work through the pump.
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "app/QtProgressHost.h"
#include "app/Unit2.h"
#include "core/Log.h"
#include "core/Progress.h"
#include "files/Filevob.h"
#include "tests/app/PaintCounter.h"
#include "tests/support/Recorders.h"

namespace {

// Writes a file of `size` bytes, all zeros but for what `block` puts in the first block.
std::string SparseFile(const QTemporaryDir& dir, const char* name, long long size,
                       const std::string& block = {}) {
  const std::string path = dir.filePath(name).toStdString();
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
  if (fd < 0) return path;
  if (::ftruncate(fd, size) != 0 ||
      (!block.empty() && ::pwrite(fd, block.data(), block.size(), 0) < 0)) {
    ::unlink(path.c_str());
  }
  ::close(fd);
  return path;
}

}  // namespace

class ProgressFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    main_ = new QWidget;
    main_->resize(600, 400);
    main_->show();
    form_ = new TProgressForm(main_);
    host_ = new QtProgressHost(form_, main_);
    previous_ = SetProgressHost(host_);
    QVERIFY(QTest::qWaitForWindowExposed(main_));
  }

  void cleanup() {
    SetProgressHost(previous_);
    delete host_;
    delete main_;  // owns the form
  }

  void layoutAndInitialState() {
    QCOMPARE(form_->size(), QSize(479, 187));
    QCOMPARE(form_->ProgressInfo->geometry(), QRect(8, 8, 465, 49));
    QCOMPARE(form_->ProgressBar->geometry(), QRect(8, 72, 465, 33));
    QCOMPARE(form_->ProgressCancel->geometry(), QRect(176, 120, 129, 57));
    QVERIFY(!form_->ProgressInfo->isEnabled());
    QCOMPARE(form_->ProgressInfo->toPlainText(),
             QString("Your action is in progress. Click on [Cancel] to \nterminate the process."));
    QCOMPARE(form_->ProgressBar->minimum(), 0);
    QCOMPARE(form_->ProgressBar->maximum(), 100);
    QCOMPARE(form_->ProgressCancel->text(), QString("Cancel"));
    QVERIFY(!(form_->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(form_->windowFlags() & Qt::WindowSystemMenuHint));
    QVERIFY(!form_->isModal());
    QVERIFY(!form_->isVisible());
  }

  void runShowsTheFormOverADisabledMainWindow() {
    ProgressStart(8192, nullptr);
    QVERIFY(form_->isVisible());
    QVERIFY(!main_->isEnabled());
    QVERIFY2(form_->isEnabled(), "the form is a child window of the main window, yet usable");
    QCOMPARE(form_->windowTitle(), QString("VELMORAN a4.04"));
    // Without a format the text stays.
    QCOMPARE(form_->ProgressInfo->toPlainText(),
             QString("Your action is in progress. Click on [Cancel] to \nterminate the process."));
    ProgressStep(4096, nullptr);
    QCOMPARE(form_->ProgressBar->value(),
             form_->ProgressBar->maximum() / 2);
    ProgressEnd();
    QVERIFY(!form_->isVisible());
    QVERIFY(main_->isEnabled());

    // A 64-bit maximum and a text.
    ProgressStart(6'000'000'000LL, "Processing VOB file [%s]", "/d/VTS_01_1.VOB");
    QCOMPARE(form_->ProgressInfo->toPlainText(), QString("Processing VOB file [/d/VTS_01_1.VOB]"));
    ProgressStep(4'500'000'000LL, nullptr);
    QCOMPARE(form_->ProgressBar->value(), form_->ProgressBar->maximum() * 3 / 4);
    QCOMPARE(form_->windowTitle(), QString("VELMORAN a4.04"));
    ProgressEnd();
  }

  void cancelClickReachesTheWorkWithin100ms() {
    ProgressStart(1000, nullptr);
    QElapsedTimer clock;
    qint64 clickedAt = -1;
    QTimer::singleShot(30, form_, [&] {
      clickedAt = clock.elapsed();
      QTest::mouseClick(form_->ProgressCancel, Qt::LeftButton);
    });
    clock.start();
    bool cancelled = false;
    volatile unsigned sink = 0;
    while (clock.elapsed() < 2000) {
      if (PumpMessages()) {
        cancelled = true;
        break;
      }
      for (int i = 0; i < 2048; ++i) sink = sink + static_cast<unsigned>(i);  // a block's work
    }
    const qint64 reportedAt = clock.elapsed();
    ProgressEnd();
    QVERIFY(cancelled);
    QVERIFY(clickedAt >= 0);
    QVERIFY2(reportedAt - clickedAt < 100, qPrintable(QString::number(reportedAt - clickedAt)));
    QVERIFY(CancelRequested());
    QVERIFY(form_->isHidden());
    QVERIFY(main_->isEnabled());

    ProgressStart(10, nullptr);
    QVERIFY2(!CancelRequested(), "the next run starts afresh");
    ProgressEnd();
  }

  void everyWayOutOfAScanEnablesTheMainWindow() {
    LogRecorder log(kLogWarning);
    ScopedLogTarget scoped(&log);
    QTemporaryDir dir;
    CFileVOB vob;

    // Normal end: zeros hold no subtitle.
    QVERIFY(vob.Open(SparseFile(dir, "zeros.vob", 64 * 2048)));
    QCOMPARE(vob.Scan(false), 0);
    QVERIFY(main_->isEnabled());
    QVERIFY(form_->isHidden());

    // A unit without its colour commands ends the scan with an error.
    std::string block(2048, '\0');
    const unsigned char packet[] = {0x00, 0x00, 0x01, 0xBD, 0x00, 0x0C, 0x81, 0x80, 0x00,
                                    0x20, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF};
    block.replace(14, sizeof packet, reinterpret_cast<const char*>(packet), sizeof packet);
    QVERIFY(vob.Open(SparseFile(dir, "broken.vob", 4 * 2048, block)));
    QCOMPARE(vob.Scan(false), -1);
    QCOMPARE(QString::fromStdString(log.Lines().back()),
             QString("ERROR - Can't find Cmd4 in file!!!"));
    QVERIFY(main_->isEnabled());
    QVERIFY(form_->isHidden());

    // Cancel clicked during a long scan; the main window still repaints meanwhile.
    PaintCounter counter;
    main_->installEventFilter(&counter);
    QVERIFY(vob.Open(SparseFile(dir, "long.vob", 16LL << 30)));
    bool disabledDuringRun = false;
    QTimer::singleShot(20, main_, [&] {
      disabledDuringRun = !main_->isEnabled() && form_->isVisible();
      main_->update();
    });
    QTimer::singleShot(80, form_, [&] { QTest::mouseClick(form_->ProgressCancel, Qt::LeftButton); });
    QCOMPARE(vob.Scan(false), -1);
    QCOMPARE(QString::fromStdString(log.Lines().back()),
             QString("WARNING - Cancel button pressed process aborted!"));
    QVERIFY(disabledDuringRun);
    QVERIFY(counter.paints > 0);
    QVERIFY(main_->isEnabled());
    QVERIFY(form_->isHidden());
    main_->removeEventFilter(&counter);
  }

 private:
  QWidget* main_ = nullptr;
  TProgressForm* form_ = nullptr;
  QtProgressHost* host_ = nullptr;
  ProgressHost* previous_ = nullptr;
};

QTEST_MAIN(ProgressFormTest)
#include "ProgressFormTest.moc"
