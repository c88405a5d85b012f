// kdx846-run driving a station of simulated units at once, each kdx846-sim
// on its own pseudo-terminal: identities, a burn-in for a time, units that
// fail alone, the summary against the JSON lines, the exit status of the
// worst unit, and a stop signal with the status lines on a terminal.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <array>
#include <csignal>
#include <map>

#include "support/sim_process.h"

using kdx::test::SimProcess;

namespace {

QString Runner() {
  return qEnvironmentVariable("KDX846_RUN");
}

// The summary's rows by unit number, each cell of the table.
std::map<int, QStringList> SummaryRows(const QString& err) {
  std::map<int, QStringList> rows;
  const QStringList lines = err.split('\n');
  const auto heading = std::find_if(lines.begin(), lines.end(),
                                    [](const QString& l) { return l.startsWith("Unit  Serial"); });
  if (heading == lines.end()) return rows;
  for (auto it = heading + 1; it != lines.end() && it->startsWith(' ') && !it->startsWith("  unit");
       ++it) {
    const QStringList cells = it->trimmed().split(QRegularExpression(" {2,}"));
    rows[cells.value(0).toInt()] = cells;
  }
  return rows;
}

// What the JSON lines say of one unit.
struct UnitLines {
  std::map<QString, int> kinds;
  std::vector<qint64> ms;  // exchanges' durations, cancels left out
  int lastPass = 0;
  QString serial;
  QString port;
};

qint64 NearestRank(std::vector<qint64> values, int percent) {
  std::sort(values.begin(), values.end());
  const auto rank = std::max<std::size_t>(1, (values.size() * percent + 99) / 100);
  return values.at(rank - 1);
}

// The run's reports as independent readers see them: per unit, the results
// database's exchanges by outcome (Python's sqlite3) and the JUnit suite's
// totals (junitparser), one line each.
constexpr const char* kReportReader = R"py(
import sqlite3, sys
from junitparser import JUnitXml
db = sqlite3.connect(sys.argv[1])
print(db.execute("PRAGMA integrity_check").fetchone()[0])
for number, outcome, count in db.execute(
        "SELECT u.number, e.outcome, COUNT(*) FROM exchange e JOIN unit u ON e.unit_id = u.id "
        "GROUP BY u.number, e.outcome"):
    print("db", number, outcome, count)
for suite in JUnitXml.fromfile(sys.argv[2]):
    unit = {p.name: p.value for p in suite.properties()}["unit"]
    print("junit", unit, suite.tests, suite.failures, suite.errors, suite.skipped)
)py";

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  pollfd ready{fd, POLLIN, 0};
  while (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN)) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

}  // namespace

class RunnerUnitsTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir dir_;

  QString script(const QByteArray& text) {
    const QString path = dir_.filePath("station.txt");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text);
    return path;
  }

 private slots:
  void initTestCase() { QVERIFY2(!Runner().isEmpty(), "KDX846_RUN does not name kdx846-run"); }

  // Four units and a port that is not there, for a few seconds: two
  // healthy, one that goes silent after 20 passes, one that refuses every
  // second line (no SAM sockets for "CR@0").
  void burnIn() {
    std::array<SimProcess, 4> sims;
    const std::array<std::vector<std::string>, 4> args{{
        {"--serial", "UNIT-A", "--latency", "2"},
        {"--serial", "UNIT-B", "--latency", "2"},
        {"--serial", "UNIT-C", "--latency", "2"},
        {"--serial", "UNIT-D", "--latency", "2", "--sams", "0"},
    }};
    QStringList ports;
    for (std::size_t i = 0; i < sims.size(); ++i) {
      std::string error;
      QVERIFY2(sims[i].start(args[i], &error), error.c_str());
      ports << "--port" << QString::fromStdString(sims[i].linkPath());
    }
    const QString missing = dir_.filePath("no-such-port");
    ports << "--port" << missing;
    QProcess run;
    const QString results = dir_.filePath("runs.db");
    const QString junit = dir_.filePath("run.xml");
    run.start(Runner(), QStringList{script("C10\r\nCR@0"), "--duration", "4s", "--format", "jsonl",
                                    "--results", results, "--junit", junit} +
                            ports);
    QVERIFY(run.waitForStarted());
    // Two identity reads, then 20 passes of two lines.
    const auto frames = [&] { return QString::fromStdString(sims[2].log()).count("recv frame"); };
    QTRY_VERIFY_WITH_TIMEOUT(frames() >= 2 + 20 * 2, 10000);
    QCOMPARE(sims[2].control("fault silent"), std::string("ok"));
    QVERIFY(run.waitForFinished(20000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QVERIFY2(run.exitCode() == 2, qPrintable(err));

    std::map<int, UnitLines> units;
    for (const QByteArray& line : run.readAllStandardOutput().split('\n')) {
      if (line.isEmpty()) continue;
      const QJsonObject o = QJsonDocument::fromJson(line).object();
      QVERIFY2(o.contains("unit") && o.contains("serial") && o.contains("ms"), line.constData());
      UnitLines& u = units[o["unit"].toInt()];
      ++u.kinds[o["reply"].toString()];
      u.ms.push_back(o["ms"].toInteger());
      u.lastPass = std::max(u.lastPass, o["pass"].toInt());
      u.serial = o["serial"].toString();
      u.port = o["port"].toString();
    }
    const auto rows = SummaryRows(err);
    QVERIFY2(rows.size() == 5, qPrintable(err));
    for (int unit = 1; unit <= 4; ++unit) {
      UnitLines& u = units[unit];
      const QStringList& row = rows.at(unit);
      QCOMPARE(row.size(), 14);
      const QString serial = QString("UNIT-") + QChar('A' + unit - 1);
      QCOMPARE(u.serial, serial);
      QCOMPARE(row[1], serial);
      QCOMPARE(u.port, QString::fromStdString(sims[static_cast<std::size_t>(unit - 1)].linkPath()));
      QCOMPARE(row[2], u.port);
      int exchanges = 0;
      for (const auto& [kind, count] : u.kinds) exchanges += count;
      QCOMPARE(row[4].toInt(), exchanges);
      QCOMPARE(row[5].toInt(), u.kinds["positive"]);
      QCOMPARE(row[6].toInt(), u.kinds["negative"]);
      QCOMPARE(row[7].toInt(), u.kinds["no-ack"]);
      QCOMPARE(row[8].toInt(), 0);
      QCOMPARE(row[9].toLongLong(), NearestRank(u.ms, 50));
      QCOMPARE(row[10].toLongLong(), NearestRank(u.ms, 95));
      QCOMPARE(row[11].toLongLong(), NearestRank(u.ms, 100));
      if (unit == 3) continue;
      // Every pass started was finished: two lines each, up to the last.
      QCOMPARE(row[3].toInt(), u.lastPass);
      QCOMPARE(exchanges, 2 * u.lastPass);
      QCOMPARE(row[13], "done");
    }
    QCOMPARE(units[1].kinds["positive"], 2 * units[1].lastPass);
    QCOMPARE(rows.at(1)[12], "-");
    // The silent unit: three exchanges without an answer, after pass 20.
    const QStringList& silent = rows.at(3);
    QVERIFY(silent[3].toInt() >= 20);
    QCOMPARE(units[3].kinds["no-ack"], 3);
    QVERIFY2(silent[12].startsWith("pass ") && silent[12].endsWith("(no-ack)"),
             qPrintable(silent[12]));
    QVERIFY(silent[12].mid(5).section(',', 0, 0).toInt() > 20);
    QCOMPARE(silent[13], "stopped answering (3 exchanges in a row without a reply)");
    QVERIFY(err.contains(QString::fromStdString(sims[2].linkPath()) +
                         ": Caution: Communication Error"));
    // The refusing unit: every second line, named with its code.
    QCOMPARE(units[4].kinds["negative"], units[4].lastPass);
    QVERIFY(rows.at(4)[12].startsWith("pass 1, line 2, "));
    QVERIFY2(err.contains("  unit 4 " + units[4].port + ": 04 (Command data error) x " +
                          QString::number(units[4].lastPass) + "\n"),
             qPrintable(err));
    // The port that is not there ends alone, before anything is sent.
    QVERIFY(!units.count(5));
    QCOMPARE(rows.at(5)[1], "-");
    QCOMPARE(rows.at(5)[4], "0");
    QVERIFY(rows.at(5)[13].startsWith("cannot open " + missing + ": No such file"));
    QVERIFY(err.contains("kdx846-run: " + missing + ": cannot open " + missing));
    // No status lines into a pipe.
    QVERIFY(!err.contains('\033'));

    // The database and the JUnit file agree with the JSON lines, record for
    // record: every exchange by outcome; a negative reply is a failure, no
    // answer an error, and the unit that never opened is one error.
    QProcess reader;
    reader.start("/usr/bin/python3", {"-c", kReportReader, results, junit});
    QVERIFY(reader.waitForFinished(30000));
    QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
    QStringList expected{"ok"};
    for (int unit = 1; unit <= 4; ++unit) {
      int exchanges = 0;
      for (const auto& [kind, count] : units[unit].kinds) {
        if (count > 0) expected << QString("db %1 %2 %3").arg(unit).arg(kind).arg(count);
        exchanges += count;
      }
      expected << QString("junit %1 %2 %3 %4 0")
                      .arg(unit)
                      .arg(exchanges)
                      .arg(units[unit].kinds["negative"])
                      .arg(units[unit].kinds["no-ack"]);
    }
    expected << "junit 5 1 0 1 0";
    QStringList read =
        QString::fromUtf8(reader.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    read.sort();
    expected.sort();
    QCOMPARE(read, expected);
  }

  // Ctrl-C ends every unit as it ends one (EOT instead of the next
  // command) and still prints the summary; on a terminal the status lines
  // were there and are taken away before it.
  void stopSignalOnATerminal() {
    std::array<SimProcess, 2> sims;
    QStringList ports;
    for (auto& sim : sims) {
      std::string error;
      QVERIFY2(sim.start({"--latency", "20"}, &error), error.c_str());
      ports << "--port" << QString::fromStdString(sim.linkPath());
    }
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QByteArray terminal = ::ptsname(master);
    QProcess run;
    run.setChildProcessModifier([terminal] {
      const int fd = ::open(terminal.constData(), O_RDWR | O_NOCTTY);
      ::dup2(fd, STDERR_FILENO);
    });
    run.start(Runner(),
              QStringList{script("C10\r\nC11"), "--duration", "60s", "--no-identify"} + ports);
    QVERIFY(run.waitForStarted());
    std::string screen;
    // A second into the minute.
    QTRY_VERIFY_WITH_TIMEOUT((screen += ReadAll(master)).find(" left)") != std::string::npos &&
                                 screen.find("(0:00:59 left)") != std::string::npos,
                             10000);
    ::kill(static_cast<pid_t>(run.processId()), SIGINT);
    QVERIFY(run.waitForFinished(10000));
    QTest::qWait(100);
    screen += ReadAll(master);
    ::close(master);
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 130);
    const QString err = QString::fromUtf8(screen).remove('\r');
    for (const QString& port : {ports[1], ports[3]}) {
      QVERIFY2(err.contains(QRegularExpression(QRegularExpression::escape(port) +
                                               "  pass \\d+  0:00:0\\d \\(0:00:[0-5]\\d left\\)")),
               qPrintable(err));
      QVERIFY(err.contains(port + ": SIGINT: EOT went out instead of pass "));
    }
    // The status lines are gone before the summary, which names the cancel.
    QVERIFY(err.contains("\033[2A\033[Jkdx846-run: summary"));
    const auto rows = SummaryRows(err.mid(err.lastIndexOf("kdx846-run: summary")));
    QCOMPARE(rows.size(), std::size_t{2});
    QCOMPARE(rows.at(1)[13], "cancelled (SIGINT)");
    QCOMPARE(rows.at(1)[1], "-");  // not identified
    // Every text line on standard output names its unit; each unit's last
    // record is its EOT.
    const QStringList out =
        QString::fromUtf8(run.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QVERIFY(!out.isEmpty());
    for (const QString& line : out)
      QVERIFY2(line.startsWith(ports[1] + ": ") || line.startsWith(ports[3] + ": "),
               qPrintable(line));
    for (const QString& port : {ports[1], ports[3]}) {
      const QStringList results =
          out.filter(QRegularExpression("^" + QRegularExpression::escape(port) + ": Result: "));
      QVERIFY(results.last().startsWith(port + ": Result: cancelled"));
    }
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RunnerUnitsTest)
#include "runner_units_test.moc"
