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
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
