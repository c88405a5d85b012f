// kdx846-run end to end: the runner executable against kdx846-sim on a
// pseudo-terminal. Exit statuses, both output formats and Ctrl-C.
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "support/sim_process.h"

using kdx::test::SimProcess;

namespace {

struct Run {
  int status = -1;
  QString out;
  QString err;
};

QString Runner() {
  return qEnvironmentVariable("KDX846_RUN");
}

// Runs the runner with `args` (the script's path first, written from
// `script`) and waits up to 30 s for its end.
Run RunScript(const QTemporaryDir& dir, const QByteArray& script, const QStringList& args) {
  const QString path = dir.filePath("script.txt");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size()) return {};
  file.close();
  QProcess process;
  process.start(Runner(), QStringList{path} + args);
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

class RunnerTest : public QObject {
  Q_OBJECT
 private:
  SimProcess sim_;
  QTemporaryDir dir_;
  QStringList port() const { return {"--port", QString::fromStdString(sim_.linkPath())}; }

 private slots:
  void initTestCase() {
    QVERIFY2(!Runner().isEmpty(), "KDX846_RUN does not name kdx846-run");
    std::string error;
    QVERIFY2(sim_.start({"--latency", "2"}, &error), error.c_str());
  }
  void init() { QCOMPARE(sim_.control("fault off"), std::string("ok")); }

  void exitStatuses_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("args");  // besides the port
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stderr");  // a part of it
    QTest::addColumn<int>("frames");      // frames the unit received
    QTest::newRow("all positive") << QByteArray("C10\r\n\r\nC11\r\n")
                                  << QStringList{"--repeat", "2"} << "off" << 0 << "" << 4;
    QTest::newRow("a negative reply")
        << QByteArray("CZ0\r\nC10") << QStringList{} << "off" << 1 << "" << 2;
    QTest::newRow("silent unit") << QByteArray("C10\r\nC11") << QStringList{} << "silent" << 2
                                 << "Caution: Communication Error" << 1;
    QTest::newRow("no ACK") << QByteArray("C10") << QStringList{} << "no-ack" << 2
                            << "Caution: Communication Error" << 1;
    QTest::newRow("unframable line")
        << QByteArray("C10\r\n\r\nC1$GG\r\n") << QStringList{} << "off" << 3
        << "script.txt:3: a hexadecimal pair above FF: Error:Please Check The Data Effective" << 0;
    QTest::newRow("256 lines") << QByteArray("C10\r\n").repeated(256) << QStringList{} << "off" << 3
                               << "more than 255 lines" << 0;
    QTest::newRow("repeat not a number") << QByteArray("C10") << QStringList{"--repeat", "x"}
                                         << "off" << 3 << "The Value should > 0" << 0;
    QTest::newRow("bad address") << QByteArray("C10") << QStringList{"--address", "100"} << "off"
                                 << 3 << "--address 100" << 0;
    QTest::newRow("address A") << QByteArray("C10") << QStringList{"--address", "A"} << "off" << 2
                               << "Communication Error" << 0;  // the unit is at 0
  }
  void exitStatuses() {
    QFETCH(QByteArray, script);
    QFETCH(QStringList, args);
    QFETCH(QString, fault);
    QFETCH(int, status);
    QFETCH(QString, stderr);
    QFETCH(int, frames);
    QCOMPARE(sim_.control(("fault " + fault).toStdString()), std::string("ok"));
    const std::size_t logBefore = sim_.log().size();
    const Run run = RunScript(dir_, script, port() + args);
    QVERIFY2(run.status == status, qPrintable(run.err));
    QVERIFY2(run.err.contains(stderr), qPrintable(run.err));
    const QString log = QString::fromStdString(sim_.log().substr(logBefore));
    QCOMPARE(log.count("frame F2 00 00 03 43"), frames);
    if (status == 0) QVERIFY(run.err.isEmpty());
  }

  void missingPortOrScript() {
    const Run run = RunScript(dir_, "C10", {"--port", dir_.filePath("no-such-port")});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.contains("no-such-port"));
    QProcess process;
    process.start(Runner(), QStringList{dir_.filePath("no-such-script")} + port());
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 3);
    QVERIFY(process.readAllStandardError().contains("cannot read"));
  }

  // The unit's end of the line goes away mid-run: a link failure at once,
  // not a wait for the time limits.
  void unitGone() {
    SimProcess gone;
    std::string error;
    QVERIFY2(gone.start({"--latency", "5"}, &error), error.c_str());
    const QString path = dir_.filePath("long.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("C10");
    file.close();
    QProcess process;
    process.start(Runner(), QStringList{path, "--repeat", "100000", "--port",
                                        QString::fromStdString(gone.linkPath())});
    QVERIFY(process.waitForStarted());
    QTest::qWait(300);
    gone.stop(SIGKILL);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(process.waitForFinished(5000));
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(process.exitCode(), 2);
  }

  void textFormat() {
    const Run run = RunScript(dir_, "C10", port());
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split('\n');
    QCOMPARE(lines.at(0), "SD: F2 00 00 03 43 31 30 03 B0 ");
    QCOMPARE(lines.at(1),
             "--------------------------------------- Command "
             "---------------------------------------");
    QVERIFY(QRegularExpression(R"(^\[\d{4}/\d\d/\d\d {6}\d\d:\d\d:\d\d:\d{1,3}\]$)")
                .match(lines.at(2))
                .hasMatch());
    QCOMPARE(lines.mid(3, 4),
             QStringList({"Command:31h,  Parameter:30h", "Data(Hex):<No data>", "", "RD: 06"}));
    QVERIFY(lines.at(7).startsWith("RD: F2 00 00 06 50 31 30 "));
    QCOMPARE(lines.at(8), "SD: 06");
    QVERIFY(lines.contains("Reply type=<Positive reply>"));
  }

  void jsonLines() {
    const Run run = RunScript(dir_, "C10\r\nCZ0", port() + QStringList{"--format", "jsonl"});
    QCOMPARE(run.status, 1);
    const QStringList lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QJsonObject objects[2];
    for (int i = 0; i < 2; ++i) {
      QJsonParseError error;
      objects[i] = QJsonDocument::fromJson(lines[i].toUtf8(), &error).object();
      QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(lines[i]));
    }
    QCOMPARE(objects[0]["sent"].toString(), "F2 00 00 03 43 31 30 03 B0");
    QCOMPARE(objects[0]["reply"].toString(), "positive");
    QCOMPARE(objects[0]["command"].toString(), "31");
    QCOMPARE(objects[0]["parameter"].toString(), "30");
    QCOMPARE(objects[0]["status"].toString().size(), 3);
    QCOMPARE(objects[0]["line"].toInt(), 1);
    QCOMPARE(objects[0]["pass"].toInt(), 1);
    QVERIFY(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}$)")
                .match(objects[0]["time"].toString())
                .hasMatch());
    QCOMPARE(objects[1]["reply"].toString(), "negative");
    QCOMPARE(objects[1]["error"].toString(), "00");
    QCOMPARE(objects[1]["line"].toInt(), 2);
  }

  // Ctrl-C: the next command line sends EOT instead, and the runner exits.
  void interrupt() {
    QCOMPARE(sim_.control("latency 20"), std::string("ok"));
    const QString path = dir_.filePath("long.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("C10\r\nC11");
    file.close();
    QProcess process;
    process.start(Runner(), QStringList{path, "--repeat", "100000"} + port());
    QVERIFY(process.waitForStarted());
    QTest::qWait(500);
    const std::size_t logBefore = sim_.log().size();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    // The line in progress, then EOT and up to 3 s for an answer to it.
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(sim_.control("latency 2"), std::string("ok"));
    QCOMPARE(process.exitCode(), 130);
    const QStringList out = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    QVERIFY(out.contains("SD: 04"));
    QVERIFY(QString::fromUtf8(process.readAllStandardError())
                .contains("Caution: Cancel communication process"));
    QTRY_VERIFY(QString::fromStdString(sim_.log().substr(logBefore)).contains("EOT"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RunnerTest)
#include "runner_test.moc"
