// The program as started from a shell: without a display it says so and points to the CLI.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

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
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
