// Recording, replay and comparison end to end: kdx846-run --record against
// kdx846-sim with faults switched on midway, the same script against
// kdx846-sim --replay of that recording, and --expect against the replay and
// against a unit with another card.
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "link/bytes.h"
#include "link/frame.h"
#include "support/sim_process.h"

using kdx::test::SimProcess;

namespace {

struct Run {
  int status = -1;
  QStringList out;  // standard output's lines
  QStringList err;  // standard error's lines
};

QString Runner() {
  return qEnvironmentVariable("KDX846_RUN");
}

Run Finish(QProcess& process) {
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  const auto lines = [](const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split('\n', Qt::SkipEmptyParts);
  };
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          lines(process.readAllStandardOutput()), lines(process.readAllStandardError())};
}

Run RunWith(const QStringList& args) {
  QProcess process;
  process.start(Runner(), args);
  return Finish(process);
}

// The JSON lines without what differs from run to run: the time stamp, the
// duration and the port's path.
QStringList Comparable(QStringList lines) {
  static const QRegularExpression varying("\"(time|ms|port)\":(\"[^\"]*\"|\\d+),");
  for (QString& line : lines) line.remove(varying);
  return lines;
}

// The lines of --expect's report: "kdx846-run: line N (...), pass P: FIELD: ...".
QStringList Differences(const QStringList& err) {
  return err.filter(QRegularExpression("^kdx846-run: line \\d+ "));
}

// The device-management commands and a few card commands; line 10 (RF
// activate without its data) is refused by the unit.
const QByteArray kScript =
    "C03\nC10\nC11\nC30\nC31\nC21\nCP0\nC22\nCP1\nC$600\nC$601\nC29\nC$A20\nC$A30\nC$A50\n"
    "C23\nC10\n";

std::string FrameHex(std::uint8_t command, std::uint8_t parameter) {
  return kdx::HexBytes(kdx::BuildCommand(0, command, parameter));
}

}  // namespace

class SessionReplayTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir dir_;
  QString script_;

  // Waits until the simulator has logged the frame `hex` (after `from` in
  // its log), then sends `control`.
  static bool SwitchAt(SimProcess& sim, const std::string& hex, const std::string& control,
                       std::size_t& from) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000) {
      const std::string log = sim.log();
      const auto at = log.find("recv frame " + hex, from);
      if (at != std::string::npos) {
        from = at + 1;
        return sim.control(control) == "ok";
      }
      QTest::qWait(2);
    }
    return false;
  }

 private slots:
  void initTestCase() {
    QVERIFY2(!Runner().isEmpty(), "KDX846_RUN does not name kdx846-run");
    script_ = dir_.filePath("script.txt");
    QFile file(script_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kScript);
  }

  // The main round trip. The original run: a late head at line 5 (a
  // positive reply after 7 s), a negative reply at line 10 and a unit that
  // falls silent at line 17 (no ACK in time: the run ends there).
  void roundTrip() {
    SimProcess original;
    std::string error;
    QVERIFY2(original.start({"--latency", "100", "--place", "rf"}, &error), error.c_str());
    const QString recording = dir_.filePath("unit.jsonl");
    QProcess process;
    process.start(Runner(), {script_, "--port", QString::fromStdString(original.linkPath()),
                             "--format", "jsonl", "--record", recording});
    std::size_t from = 0;
    QVERIFY(SwitchAt(original, FrameHex('3', '0'), "fault late-head", from));
    QVERIFY(SwitchAt(original, FrameHex('3', '1'), "fault off", from));
    QVERIFY(SwitchAt(original, FrameHex('2', '3'), "fault silent", from));
    const Run first = Finish(process);
    QCOMPARE(first.status, 2);
    QCOMPARE(first.out.size(), 17);
    QVERIFY(first.out.at(4).contains("\"line\":5,") && first.out.at(4).contains("positive"));
    QVERIFY(first.out.at(9).contains("\"reply\":\"negative\""));
    QVERIFY(first.out.at(16).contains("\"reply\":\"no-ack\""));

    // The recording: a header and the 17 exchanges, line 5's reply 7 s late.
    QFile file(recording);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 19);  // and the empty piece after the last line feed
    QVERIFY(lines.at(0).startsWith("{\"format\":\"kdx846-session\",\"version\":1,"));
    const QRegularExpression lateHead("\"ms\":(\\d+),\"bytes\":\"F2 ");
    const auto late = lateHead.match(QString::fromUtf8(lines.at(5)));
    QVERIFY(late.hasMatch());
    QVERIFY2(late.captured(1).toInt() >= 6900, lines.at(5).constData());

    // Replayed without timing: the same JSON lines, the time-out included,
    // and --expect finds no difference.
    SimProcess replay;
    QVERIFY2(replay.start({"--replay", recording.toStdString(), "--replay-timing", "off"}, &error),
             error.c_str());
    const Run again = RunWith({script_, "--port", QString::fromStdString(replay.linkPath()),
                               "--format", "jsonl", "--expect", recording});
    QCOMPARE(again.status, 2);
    QCOMPARE(Comparable(again.out), Comparable(first.out));
    QCOMPARE(Differences(again.err), QStringList{});
    const QString log = QString::fromStdString(replay.log());
    QCOMPARE(log.count("answered by recorded exchange"), 17);
    QVERIFY(log.contains("answered by recorded exchange 5 (pass 1, line 5): positive"));
    QVERIFY(log.contains("answered by recorded exchange 17 (pass 1, line 17): no-answer"));

    // A frame that was never recorded: silence, said on standard error.
    QFile other(dir_.filePath("other.txt"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("C12\n");
    other.close();
    const Run unrecorded =
        RunWith({other.fileName(), "--port", QString::fromStdString(replay.linkPath())});
    QCOMPARE(unrecorded.status, 2);
    QVERIFY(QString::fromStdString(replay.log())
                .contains(QString::fromStdString("frame " + FrameHex('1', '2') +
                                                 " was never recorded: no answer")));

    // Another unit, with another contactless card and no faults: exactly
    // the lines that differ.
    SimProcess s70;
    QVERIFY2(s70.start({"--latency", "2", "--place", "rf", "--card", "20/s70"}, &error),
             error.c_str());
    const QStringList port{"--port", QString::fromStdString(s70.linkPath())};
    const Run compared = RunWith(QStringList{script_} + port + QStringList{"--expect", recording});
    QCOMPARE(compared.status, 1);
    QCOMPARE(Differences(compared.err),
             (QStringList{
                 "kdx846-run: line 9 (CP1), pass 1: data: recorded 31 30, now 31 31",
                 "kdx846-run: line 17 (C10), pass 1: reply: recorded no-ack, now positive",
                 "kdx846-run: line 17 (C10), pass 1: command: recorded (none), now 31",
                 "kdx846-run: line 17 (C10), pass 1: parameter: recorded (none), now 30",
                 "kdx846-run: line 17 (C10), pass 1: status: recorded (none), now 020",
             }));
  }

  // Broken recordings are refused before anything runs: the simulator with
  // its start-error status, the runner with its bad-input status, both
  // naming the line and the reason.
  void refusedAtStart() {
    const QString broken = dir_.filePath("broken.jsonl");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "{\"format\":\"kdx846-session\",\"version\":1,\"tool\":\"t\",\"started\":\"s\"}"
        "\n{\"n\":1,\"sent\":\"F2 ZZ\"");
    file.close();
    QProcess sim;
    sim.start(QString::fromStdString(SimProcess::executable()),
              {"--link", dir_.filePath("never"), "--replay", broken});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 2);
    QCOMPARE(
        QString::fromUtf8(sim.readAllStandardError()).trimmed(),
        "kdx846-sim: --replay " + broken + ": line 2: truncated: the last line has no line feed");
    QVERIFY(!QFile::exists(dir_.filePath("never")));

    const Run run = RunWith({script_, "--port", "/dev/null", "--expect", broken});
    QCOMPARE(run.status, 3);
    QCOMPARE(run.err.value(0), "kdx846-run: --expect " + broken +
                                   ": line 2: truncated: the last line has no line feed");
  }

  // With several ports, one file per unit, the port's name in its name.
  void recordSeveralUnits() {
    SimProcess a, b;
    std::string error;
    QVERIFY2(a.start({"--latency", "2", "--place", "rf", "--serial", "SN-A"}, &error),
             error.c_str());
    QVERIFY2(b.start({"--latency", "2", "--place", "rf", "--serial", "SN-B"}, &error),
             error.c_str());
    const Run run = RunWith({script_, "--port", QString::fromStdString(a.linkPath()), "--port",
                             QString::fromStdString(b.linkPath()), "--repeat", "1", "--record",
                             dir_.filePath("station.jsonl")});
    QCOMPARE(run.status, 1);  // line 10's negative reply
    // Both links are named "port": the second file takes the unit's number.
    for (const auto& [name, serial] :
         {std::pair{"station-port.jsonl", "SN-A"}, std::pair{"station-port-2.jsonl", "SN-B"}}) {
      QFile file(dir_.filePath(name));
      QVERIFY2(file.open(QIODevice::ReadOnly), name);
      const QList<QByteArray> lines = file.readAll().split('\n');
      // The header, the serial number and configuration reads, the script.
      QCOMPARE(lines.size(), 21);
      QVERIFY(lines.at(0).contains(QByteArray("\"serial\":\"") + serial + "\""));
      QVERIFY(lines.at(1).contains("\"source\":\"identify\""));
      QVERIFY(lines.at(1).contains(QByteArray(serial).toHex(' ').toUpper()));
    }
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SessionReplayTest)
#include "session_replay_test.moc"
