// kdx846-run end to end: the runner executable against kdx846-sim on a
// pseudo-terminal. Exit statuses, both output formats, stop signals and a
// closed output pipe.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdlib>

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
  void init() {
    QCOMPARE(sim_.control("fault off"), std::string("ok"));
    QCOMPARE(sim_.control("latency 2"), std::string("ok"));
  }

  void exitStatuses_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("args");  // besides the port
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stderr");  // a part of it
    QTest::addColumn<int>("frames");      // frames the unit received
    QTest::addColumn<QString>("record");  // the start of the first record line
    QTest::newRow("all positive") << QByteArray("C10\r\n\r\nC11\r\n")
                                  << QStringList{"--repeat", "5"} << "off" << 0 << "" << 10
                                  << "Result: positive; received: 06 F2 00 00 06 50 31 30 ";
    QTest::newRow("a negative reply")
        << QByteArray("CZ0\r\nC10") << QStringList{} << "off" << 1 << "" << 2
        << "Result: negative; received: 06 F2 00 00 05 4E 5A 30 30 30 03 ";
    QTest::newRow("wrong check byte")
        << QByteArray("C10") << QStringList{} << "bad-bcc" << 1 << "" << 1
        << "Result: bad-check (check byte 6Bh, expected 94h); received: 06 F2 00 00 06 ";
    QTest::newRow("NAK") << QByteArray("C10") << QStringList{} << "nak" << 2
                         << "Caution: Communication Error" << 1
                         << "Result: nak (15h instead of ACK); received: 15";
    QTest::newRow("silent unit") << QByteArray("C10\r\nC11") << QStringList{} << "silent" << 2
                                 << "Caution: Communication Error" << 1
                                 << "Result: no-ack (no answer in time); received: nothing";
    QTest::newRow("no ACK") << QByteArray("C10") << QStringList{} << "no-ack" << 2
                            << "Caution: Communication Error" << 1 << "Result: no-ack";
    QTest::newRow("unframable line")
        << QByteArray("C10\r\n\r\nC1$GG\r\n") << QStringList{} << "off" << 3
        << "script.txt:3: a hexadecimal pair above FF: Error:Please Check The Data Effective" << 0
        << "";
    QTest::newRow("nothing to send") << QByteArray("# no command before this\r\nC10")
                                     << QStringList{} << "off" << 3 << "nothing to send" << 0 << "";
    QTest::newRow("empty script") << QByteArray() << QStringList{} << "off" << 3
                                  << "script.txt: nothing to send" << 0 << "";
    QTest::newRow("256 lines") << QByteArray("C10\r\n").repeated(256) << QStringList{} << "off" << 3
                               << "more than 255 lines" << 0 << "";
    QTest::newRow("repeat not a number") << QByteArray("C10") << QStringList{"--repeat", "x"}
                                         << "off" << 3 << "The Value should > 0" << 0 << "";
    QTest::newRow("bad address") << QByteArray("C10") << QStringList{"--address", "100"} << "off"
                                 << 3 << "--address 100" << 0 << "";
    QTest::newRow("address A") << QByteArray("C10") << QStringList{"--address", "A"} << "off" << 2
                               << "Communication Error" << 0
                               << "Result: no-ack";  // the unit is at 0
  }
  void exitStatuses() {
    QFETCH(QByteArray, script);
    QFETCH(QStringList, args);
    QFETCH(QString, fault);
    QFETCH(int, status);
    QFETCH(QString, stderr);
    QFETCH(int, frames);
    QFETCH(QString, record);
    QCOMPARE(sim_.control(("fault " + fault).toStdString()), std::string("ok"));
    const std::size_t logBefore = sim_.log().size();
    const Run run = RunScript(dir_, script, port() + args);
    QVERIFY2(run.status == status, qPrintable(run.err));
    QVERIFY2(run.err.contains(stderr), qPrintable(run.err));
    const QString log = QString::fromStdString(sim_.log().substr(logBefore));
    QCOMPARE(log.count("frame F2 00 00 03 43"), frames);
    if (status == 0) {
      QVERIFY(run.err.isEmpty());
      // Every reply's ACK reached the unit, the last exchange's too, though
      // the next exchange starts by discarding unsent output (the last one
      // may still be on its way to the unit's log).
      const auto acks = [&] {
        return QString::fromStdString(sim_.log().substr(logBefore)).count("recv host ACK");
      };
      QTRY_COMPARE_WITH_TIMEOUT(acks(), frames, 2000);
    }
    const QStringList records = run.out.split('\n').filter(QRegularExpression("^Result: "));
    if (record.isEmpty()) {
      QVERIFY(records.isEmpty());
    } else {
      QVERIFY2(!records.isEmpty() && records[0].startsWith(record), qPrintable(run.out));
    }
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
    // Named as the windows name it, with the system's reason.
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(err.contains(QString::fromStdString("kdx846-run: Caution: Communication port " +
                                                 gone.linkPath() +
                                                 " was lost: Input/output error.\n"
                                                 "  Check the cable and run the script again.")),
             qPrintable(err));
    const QStringList records = QString::fromUtf8(process.readAllStandardOutput())
                                    .split('\n')
                                    .filter(QRegularExpression("^Result: "));
    QVERIFY(!records.isEmpty());
    QVERIFY2(
        records.last().startsWith("Result: port-lost (" + QString::fromStdString(gone.linkPath()) +
                                  " was lost: Input/output error)"),
        qPrintable(records.last()));
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

  // A stop signal in the middle of a run, as a service manager, a closed
  // terminal or Ctrl-C sends it, with standard output in a file: every
  // finished exchange's record is there, the exchange in progress ends, EOT
  // goes out instead of the next command (its record naming the pass under
  // way) and the status names the signal. A signal in the last exchange
  // stops nothing: the run's own status. SIGKILL loses only the exchange in
  // progress.
  void stopSignals_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("passes");
    QTest::addColumn<int>("at");      // the signal goes while the unit answers this frame
    QTest::addColumn<int>("status");  // when it cut the run short
    QTest::newRow("SIGTERM at the end of pass 2") << SIGTERM << "jsonl" << 5 << 4 << 143;
    QTest::newRow("SIGHUP") << SIGHUP << "text" << 5 << 2 << 129;
    QTest::newRow("Ctrl-C in pass 2 of 5") << SIGINT << "jsonl" << 5 << 3 << 130;
    QTest::newRow("Ctrl-C in the last exchange") << SIGINT << "jsonl" << 1 << 2 << 0;
    QTest::newRow("SIGKILL") << SIGKILL << "jsonl" << 5 << 3 << -1;
  }
  void stopSignals() {
    QFETCH(int, signal);
    QFETCH(QString, format);
    QFETCH(int, passes);
    QFETCH(int, at);
    QFETCH(int, status);
    QCOMPARE(sim_.control("latency 150"), std::string("ok"));
    const QString path = dir_.filePath("two.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("C10\r\nC11");
    file.close();
    const std::size_t logBefore = sim_.log().size();
    const auto log = [&] { return QString::fromStdString(sim_.log().substr(logBefore)); };
    QProcess process;
    process.setStandardOutputFile(dir_.filePath("out"));
    process.start(
        Runner(),
        QStringList{path, "--repeat", QString::number(passes), "--format", format} + port());
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(log().count("recv frame") >= at, 10000);
    ::kill(static_cast<pid_t>(process.processId()), signal);
    // The exchange in progress, then EOT and up to 3 s for an answer to it.
    QVERIFY(process.waitForFinished(10000));
    const int frames = static_cast<int>(log().count("recv frame"));
    QFile outFile(dir_.filePath("out"));
    QVERIFY(outFile.open(QIODevice::ReadOnly));
    const QString out = QString::fromUtf8(outFile.readAll());
    const QStringList records = out.split('\n', Qt::SkipEmptyParts);
    const bool text = format == "text";
    const int positives =
        static_cast<int>(text ? out.count("Reply type=<Positive reply>") : out.count("positive"));
    if (signal == SIGKILL) {
      QCOMPARE(process.exitStatus(), QProcess::CrashExit);
      QVERIFY2(positives >= frames - 1 && positives == records.size(), qPrintable(out));
      return;
    }
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(positives, frames);  // every finished exchange
    const bool cut = frames < 2 * passes;
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == (cut ? status : 0), qPrintable(err));
    QCOMPARE(log().contains("recv host EOT"), cut);
    if (!cut) return;
    QVERIFY(err.contains("Caution: Cancel communication process"));
    if (text) {
      QVERIFY(records.contains("SD: 04"));
      return;
    }
    // EOT went out in place of the exchange after the last frame.
    const QJsonObject last = QJsonDocument::fromJson(records.last().toUtf8()).object();
    QCOMPARE(records.size(), frames + 1);
    QCOMPARE(last["reply"].toString(), "cancelled");
    QCOMPARE(last["pass"].toInt(), frames / 2 + 1);
    QCOMPARE(last["line"].toInt(), frames % 2 + 1);
  }

  // Standard output into a pipe whose reader goes away after one line, as
  // "kdx846-run ... | head -1": the exchange in progress ends with its ACK,
  // EOT goes out instead of the next command and the status is 4.
  // Started with standard output closed, the runner must not take the
  // unit's port for it and write its records onto the line. A silent
  // pseudo-terminal stands for the unit: all it may hear is the one frame.
  void closedStandardOutput() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));
    const QString path = dir_.filePath("closed.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("C10");
    file.close();
    QProcess process;
    process.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
    process.start(Runner(), QStringList{path, "--port", slave});
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);  // no ACK from the silent unit
    QByteArray heard;
    char buffer[256];
    pollfd ready{master, POLLIN, 0};
    while (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN)) {
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      heard.append(buffer, n);
    }
    ::close(master);
    QCOMPARE(heard.toHex(' '), QByteArray("f2 00 00 03 43 31 30 03 b0"));
  }

  void closedPipe() {
    QCOMPARE(sim_.control("latency 20"), std::string("ok"));
    const QString path = dir_.filePath("long.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("C10");
    file.close();
    const std::size_t logBefore = sim_.log().size();
    int pipe[2];
    QCOMPARE(::pipe2(pipe, O_CLOEXEC), 0);
    QProcess process;
    process.setChildProcessModifier([out = pipe[1]] { ::dup2(out, STDOUT_FILENO); });
    process.start(Runner(), QStringList{path, "--repeat", "1000"} + port());
    ::close(pipe[1]);
    QVERIFY(process.waitForStarted());
    QByteArray first;
    char byte = 0;
    pollfd ready{pipe[0], POLLIN, 0};
    while (!first.endsWith('\n') && ::poll(&ready, 1, 10000) == 1 && ::read(pipe[0], &byte, 1) == 1)
      first += byte;
    ::close(pipe[0]);
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(first, QByteArray("SD: F2 00 00 03 43 31 30 03 B0 \n"));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 4, qPrintable(err));
    QVERIFY(err.contains("cannot write standard output: Broken pipe"));
    // The last reply was acknowledged before the EOT.
    const QStringList received =
        QString::fromStdString(sim_.log().substr(logBefore)).split('\n').filter(" recv ");
    QVERIFY(received.size() >= 2);
    QVERIFY(received.last().endsWith("recv host EOT 04"));
    QVERIFY2(received.at(received.size() - 2).endsWith("recv host ACK 06"),
             qPrintable(received.join('\n')));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RunnerTest)
#include "runner_test.moc"
