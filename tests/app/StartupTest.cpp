// SPDX-License-Identifier: GPL-3.0-or-later
// The program as started from a shell: without a display it says so and points to the CLI;
// an exception that escapes start-up or the message loop ends it with exit code 1.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <stdexcept>

#include "app/Fatal.h"

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void WithoutADisplayItNamesTheCommandLineTool() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(VELMORAN_APP_PATH, {});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(errors.count('\n'), 1);
    QVERIFY(errors.contains("velmoran-cli"));
    QVERIFY(!errors.contains("qt.qpa"));
    QVERIFY(program.readAllStandardOutput().isEmpty());
  }

  void VersionAndHelpNeedNoDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    for (const QString& option : {QString("--version"), QString("--help")}) {
      QProcess program;
      program.setProcessEnvironment(environment);
      program.start(VELMORAN_APP_PATH, {option});
      QVERIFY(program.waitForFinished(10000));
      QCOMPARE(program.exitCode(), 0);
      const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
      if (option == "--version") {
        QCOMPARE(out, QString("velmoran " VELMORAN_VERSION "\n"));
      } else {
        QVERIFY(out.contains("~/.config/velmoran/velmoran.INI"));
      }
    }
  }

  void AnUnknownOptionIsAUsageError() {
    QProcess program;
    program.start(VELMORAN_APP_PATH, {"--open", "film.sup"});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardError().startsWith("velmoran: unknown option --open\n"));
  }

  void AnEscapedExceptionIsShownAndEndsWithExitCodeOne() {
    QStringList shown;
    const auto show = [&shown](const QString& message) { shown << message; };
    QCOMPARE(RunCatchingFatal([] { return 0; }, show), 0);
    QCOMPARE(RunCatchingFatal([] { return 3; }, show), 3);  // the loop's own exit code
    QVERIFY(shown.isEmpty());
    QCOMPARE(RunCatchingFatal([]() -> int { throw std::runtime_error("no memory left"); }, show),
             1);
    QCOMPARE(RunCatchingFatal([]() -> int { throw 42; }, show), 1);
    QCOMPARE(shown, (QStringList{"no memory left", QString()}));
  }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
