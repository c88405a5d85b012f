// kdx846-run's reports: the JUnit file read back by an independent JUnit
// reader, and the results database read back with SQL.
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "atomic_file.h"
#include "junit_report.h"
#include "report_sinks.h"
#include "results_database.h"
#include "run_records.h"

using namespace kdx;
using namespace kdx::run;
using test::RowFor;

namespace {

// Reads JUnit files with junitparser and prints, for each, the totals, the
// suites with their properties, and each case's results.
constexpr const char* kReader = R"py(
import json, sys
from junitparser import JUnitXml
files = []
for path in sys.argv[1:]:
    xml = JUnitXml.fromfile(path)
    suites = []
    for suite in xml:
        cases = [{"name": case.name, "classname": case.classname, "time": case.time,
                  "results": [{"element": r._tag, "type": r.type, "message": r.message,
                               "text": r.text} for r in case.result]} for case in suite]
        suites.append({"name": suite.name, "tests": suite.tests, "failures": suite.failures,
                       "errors": suite.errors, "skipped": suite.skipped,
                       "properties": {p.name: p.value for p in suite.properties()},
                       "cases": cases})
    files.append({"tests": xml.tests, "failures": xml.failures, "errors": xml.errors,
                  "skipped": xml.skipped, "suites": suites})
print(json.dumps(files))
)py";

// Debian's python3 first: python3-junitparser installs there, while a
// python3 earlier in PATH may be another installation. Empty when there is
// no python3 at all, "missing" when none has junitparser.
QString JUnitReaderPython() {
  bool any = false;
  for (const QString& python :
       {QString("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
    if (python.isEmpty() || !QFileInfo(python).isExecutable()) continue;
    any = true;
    QProcess probe;
    probe.start(python, {"-c", "import junitparser"});
    if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
        probe.exitCode() == 0)
      return python;
  }
  return any ? "missing" : QString();
}

void Feed(const std::vector<RecordSink*>& sinks, auto call) {
  for (RecordSink* sink : sinks) call(*sink);
}

// Four units: one with negative replies, one whose line stopped answering,
// one cancelled (its serial number holds Latin-1, a control character and
// markup), one whose port never opened.
void FeedScenario(const std::vector<RecordSink*>& sinks,
                  const std::function<void()>& afterPass1 = {}) {
  const std::vector<UnitIdentity> units{
      test::UnitFor(1, "COM3", "SN-0001"), test::UnitFor(2, "/dev/ttyUSB1", ""),
      test::UnitFor(3, "COM5", "K\xE9\x01<&>\""), test::UnitFor(4, "COM6", "")};
  Feed(sinks, [&](RecordSink& s) { s.runStarted(test::RunInfoFor(units)); });
  const auto row = [&](const ExchangeRow& r) {
    Feed(sinks, [&](RecordSink& s) { s.exchange(r); });
  };
  const auto passEnded = [&](int unit, int pass) {
    Feed(sinks, [&](RecordSink& s) {
      s.passEnded(unit, pass);
      s.flush();
    });
  };
  for (const auto& unit : units) Feed(sinks, [&](RecordSink& s) { s.unitStarted(unit); });
  for (int line = 1; line <= 3; ++line) row(RowFor(1, 1, line, ReplyKind::Positive));
  passEnded(1, 1);
  if (afterPass1) afterPass1();
  row(RowFor(2, 1, 1, ReplyKind::BadCheck, "", "check byte 6Bh, expected 94h"));
  row(RowFor(1, 2, 1, ReplyKind::Positive));
  row(RowFor(2, 1, 2, ReplyKind::NoAck, "", "no answer in time"));
  Feed(sinks, [](RecordSink& s) { s.unitEnded({2, kExitLink, 0, "no answer from /dev/ttyUSB1"}); });
  row(RowFor(1, 2, 2, ReplyKind::Negative, "10"));
  row(RowFor(3, 1, 1, ReplyKind::Positive));
  row(RowFor(1, 2, 3, ReplyKind::Negative, "ZZ"));
  passEnded(1, 2);
  Feed(sinks, [](RecordSink& s) { s.unitEnded({1, kExitNegative, 2, std::nullopt}); });
  row(RowFor(3, 1, 2, ReplyKind::Cancelled));
  Feed(sinks, [](RecordSink& s) { s.unitEnded({3, kExitCancelled, 0, "SIGINT"}); });
  Feed(sinks, [](RecordSink& s) {
    s.unitEnded({4, kExitLink, 0, "cannot open COM6: No such file or directory"});
  });
  Feed(sinks, [](RecordSink& s) { s.runEnded({2026, 5, 3, 10, 5, 0, 0}, kExitCancelled); });
}

}  // namespace

class RunReportsTest : public QObject {
  Q_OBJECT
 private slots:
  void xmlText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("attribute");
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("plain") << QByteArray("C10") << false << QByteArray("C10");
    QTest::newRow("markup") << QByteArray("a<b>&\"c'") << false
                            << QByteArray("a&lt;b&gt;&amp;\"c'");
    QTest::newRow("markup in an attribute")
        << QByteArray("a<b>&\"c'") << true << QByteArray("a&lt;b&gt;&amp;&quot;c'");
    QTest::newRow("control characters") << QByteArray(
                                               "\x01\x1F\x7F"
                                               "A",
                                               4)
                                        << false << QByteArray("[01h][1Fh][7Fh]A");
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << false << QByteArray("a[00h]b");
    QTest::newRow("line ends") << QByteArray("a\tb\nc\rd") << false << QByteArray("a\tb\nc&#13;d");
    QTest::newRow("line ends in an attribute")
        << QByteArray("a\tb\nc\rd") << true << QByteArray("a&#9;b&#10;c&#13;d");
    QTest::newRow("Latin-1 letter") << QByteArray("K\xC3\xA9") << false << QByteArray("K\xC3\xA9");
    QTest::newRow("C1 control") << QByteArray("\xC2\x85") << false << QByteArray("[85h]");
    QTest::newRow("not UTF-8") << QByteArray(
                                      "a\xFF"
                                      "b")
                               << false << QByteArray("a[FFh]b");
    QTest::newRow("overlong") << QByteArray("\xC0\xAF") << false << QByteArray("[C0h][AFh]");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false
                               << QByteArray("[EDh][A0h][80h]");
    QTest::newRow("cut short") << QByteArray("\xE2\x82") << false << QByteArray("[E2h][82h]");
    QTest::newRow("non-character") << QByteArray("\xEF\xBF\xBE") << false << QByteArray("[FFFEh]");
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << false
                                << QByteArray("\xF0\x9F\x98\x80");
  }
  void xmlText() {
    QFETCH(QByteArray, text);
    QFETCH(bool, attribute);
    QFETCH(QByteArray, xml);
    const std::string out = XmlText(std::string_view(text.constData(), text.size()), attribute);
    QCOMPARE(QByteArray::fromStdString(out), xml);
  }

  // A report replaced through a symbolic link replaces the file it names,
  // keeping the link and the old file's permissions.
  void atomicWriteThroughLink() {
    QTemporaryDir dir;
    const QString target = dir.filePath("target.xml"), link = dir.filePath("link.xml");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(old.setPermissions(mode));
    QVERIFY(QFile::link(target, link));
    QVERIFY(!WriteFileAtomically(link.toStdString(), "new"));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("new"));
    QCOMPARE(old.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), mode);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
  }

  // The JUnit file as a CI reader takes it, at the end of the run and as a
  // runner killed after the first pass would have left it.
  void junitReadBack() {
    const QString python = JUnitReaderPython();
    if (python.isEmpty()) QSKIP("python3 is not installed (scripts/install-deps installs it)");
    QVERIFY2(python != "missing", "python3-junitparser is not installed: run scripts/install-deps");
    QTemporaryDir dir;
    const QString path = dir.filePath("report.xml"), early = dir.filePath("early.xml");
    JUnitReport report(path.toStdString(), 0);
    QVERIFY(!report.start());
    FeedScenario({&report}, [&] { QVERIFY(QFile::copy(path, early)); });
    QVERIFY(!report.failure());
    QProcess reader;
    reader.start(python, {"-c", kReader, path, early});
    QVERIFY(reader.waitForFinished(30000));
    QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
    const QJsonArray files = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    QCOMPARE(files.size(), 2);

    const QJsonObject end = files[0].toObject();
    QCOMPARE(end["tests"].toInt(), 11);
    QCOMPARE(end["failures"].toInt(), 3);
    QCOMPARE(end["errors"].toInt(), 2);
    QCOMPARE(end["skipped"].toInt(), 1);
    // Per suite: name, tests, failures, errors, skipped, and each case as
    // "name|element|type|message".
    QStringList suites;
    QStringList cases;
    int counted[3] = {0, 0, 0};
    for (const auto& value : end["suites"].toArray()) {
      const QJsonObject s = value.toObject();
      suites << QString("%1|%2|%3|%4|%5")
                    .arg(s["name"].toString())
                    .arg(s["tests"].toInt())
                    .arg(s["failures"].toInt())
                    .arg(s["errors"].toInt())
                    .arg(s["skipped"].toInt());
      for (const auto& c : s["cases"].toArray()) {
        const QJsonObject testCase = c.toObject();
        QCOMPARE(testCase["classname"].toString(), s["name"].toString());
        QString line = testCase["name"].toString();
        for (const auto& r : testCase["results"].toArray()) {
          const QJsonObject result = r.toObject();
          line += "|" + result["element"].toString() + "|" + result["type"].toString() + "|" +
                  result["message"].toString();
          const QString element = result["element"].toString();
          ++counted[element == "failure" ? 0 : element == "error" ? 1 : 2];
        }
        cases << line;
      }
    }
    QCOMPARE(suites, QStringList({"SN-0001 on COM3|6|2|0|0", "unit 2 on /dev/ttyUSB1|2|1|1|0",
                                  QString::fromUtf8("K\xC3\xA9[01h]<&>\" on COM5|2|0|0|1"),
                                  "unit 4 on COM6|1|0|1|0"}));
    // The counts agree with the cases themselves.
    QCOMPARE(counted[0], 3);
    QCOMPARE(counted[1], 2);
    QCOMPARE(counted[2], 1);
    QCOMPARE(cases, QStringList({
                        "pass 1, line 1: C10",
                        "pass 1, line 2: C11",
                        "pass 1, line 3: C12",
                        "pass 2, line 1: C10",
                        "pass 2, line 2: C11|failure|negative|Card jam",
                        "pass 2, line 3: C12|failure|negative|error code ZZ, not in the reply "
                        "catalogue",
                        "pass 1, line 1: C10|failure|bad-check|check byte 6Bh, expected 94h",
                        "pass 1, line 2: C11|error|no-ack|no answer in time",
                        "pass 1, line 1: C10",
                        "pass 1, line 2: C11|skipped||cancelled: EOT went out instead of the "
                        "command",
                        "end of unit 4|error|unit|cannot open COM6: No such file or directory",
                    }));
    const QJsonObject first = end["suites"].toArray()[0].toObject();
    QCOMPARE(first["properties"].toObject()["serial"].toString(), "SN-0001");
    QCOMPARE(first["properties"].toObject()["configuration"].toString(), "A1");
    QCOMPARE(first["properties"].toObject()["script-sha256"].toString(), QString(64, 'a'));
    const QJsonObject negative = first["cases"].toArray()[4].toObject()["results"][0].toObject();
    QVERIFY(negative["text"].toString().startsWith("error code 10: Card jam\nsent: F2 00 00 03 "));

    // After the first pass every unit still running is an error: a killed
    // runner's file does not pass.
    const QJsonObject killed = files[1].toObject();
    QCOMPARE(killed["tests"].toInt(), 3 + 4);
    QCOMPARE(killed["errors"].toInt(), 4);
    QCOMPARE(killed["failures"].toInt(), 0);
  }

  // Two runs appended to one database through the factory, read back with
  // SQL, with the README's example queries.
  void databaseReadBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath("results.db");
    for (int run = 0; run < 2; ++run) {
      std::string error;
      auto sinks = MakeReportSinks({"", path.toStdString(), 5000}, error);
      QVERIFY2(sinks.size() == 1, error.c_str());
      FeedScenario({sinks[0].get()});
      QVERIFY(!sinks[0]->failure());
    }
    const test::ResultsFile db(path);
    QCOMPARE(db.rows("PRAGMA user_version"), QStringList{"1"});
    QCOMPARE(db.rows("PRAGMA application_id"), QStringList{QString::number(kResultsApplicationId)});
    QCOMPARE(db.rows("PRAGMA journal_mode"), QStringList{"wal"});
    QCOMPARE(db.rows("PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(db.rows("SELECT id, script_path, CAST(script AS TEXT), script_sha256, arguments, "
                     "started, ended, status FROM run WHERE id = 2"),
             QStringList{QString("2|burn-in.txt|%1|%2|[\"burn-in.txt\",\"--port\",\"COM3\","
                                 "\"--repeat\",\"2\"]|2026-05-03T10:00:00.000|"
                                 "2026-05-03T10:05:00.000|130")
                             .arg(test::kRunScript, QString(64, 'a'))});
    QCOMPARE(
        db.rows("SELECT number, port, path, serial, configuration, status, passes_finished, "
                "end_reason FROM unit WHERE run_id = 2 ORDER BY number"),
        QStringList({"1|COM3|/dev/ttyS1|SN-0001|A1|1|2|-",
                     "2|/dev/ttyUSB1|/dev/ttyS2|-|A1|2|0|no answer from /dev/ttyUSB1",
                     QString::fromUtf8("3|COM5|/dev/ttyS3|K\xC3\xA9\x01<&>\"|A1|130|0|SIGINT"),
                     "4|COM6|/dev/ttyS4|-|A1|2|0|cannot open COM6: No such file or directory"}));
    QCOMPARE(
        db.rows("SELECT number, pass, line, started, hex(sent), hex(received), outcome, "
                "reason, code, reply_status, duration_ms FROM exchange "
                "JOIN unit ON unit.id = unit_id WHERE run_id = 2 "
                "ORDER BY number, pass, line"),
        QStringList({
            "1|1|1|2026-05-03T10:01:01.005|F200000343313003B0|06F2000006503130303030035A|"
            "positive|-|-|000|11",
            "1|1|2|2026-05-03T10:01:02.005|F200000343313103B1|06F2000006503131303030035A|"
            "positive|-|-|000|12",
            "1|1|3|2026-05-03T10:01:03.005|F200000343313203B2|06F2000006503132303030035A|"
            "positive|-|-|000|13",
            "1|2|1|2026-05-03T10:02:01.005|F200000343313003B0|06F2000006503130303030035A|"
            "positive|-|-|000|11",
            "1|2|2|2026-05-03T10:02:02.005|F200000343313103B1|06F20000054E31313130035A|"
            "negative|-|10|-|12",
            "1|2|3|2026-05-03T10:02:03.005|F200000343313203B2|06F20000054E31325A5A035A|"
            "negative|-|ZZ|-|13",
            "2|1|1|2026-05-03T10:01:01.005|F200000343313003B0|06|bad-check|"
            "check byte 6Bh, expected 94h|-|-|11",
            "2|1|2|2026-05-03T10:01:02.005|F200000343313103B1||no-ack|no answer in time|-|-|12",
            "3|1|1|2026-05-03T10:01:01.005|F200000343313003B0|06F2000006503130303030035A|"
            "positive|-|-|000|11",
            "3|1|2|2026-05-03T10:01:02.005|04||cancelled|-|-|-|12",
        }));
    // All runs of one serial number.
    QCOMPARE(db.rows("SELECT run.id, run.started, unit.port, unit.status FROM unit "
                     "JOIN run ON run.id = unit.run_id WHERE unit.serial = 'SN-0001' "
                     "ORDER BY run.started, run.id"),
             QStringList({"1|2026-05-03T10:00:00.000|COM3|1", "2|2026-05-03T10:00:00.000|COM3|1"}));
    // The failure rate per unit of the last run.
    QCOMPARE(db.rows("SELECT unit.number, unit.serial, COUNT(*) AS exchanges, "
                     "SUM(CASE WHEN exchange.outcome <> 'positive' THEN 1 ELSE 0 END) AS failed, "
                     "ROUND(100.0 * SUM(CASE WHEN exchange.outcome <> 'positive' THEN 1 ELSE 0 "
                     "END) / COUNT(*), 1) AS failure_percent "
                     "FROM exchange JOIN unit ON unit.id = exchange.unit_id "
                     "WHERE unit.run_id = (SELECT MAX(id) FROM run) "
                     "AND exchange.outcome <> 'cancelled' GROUP BY unit.id ORDER BY unit.number"),
             QStringList({"1|SN-0001|6|2|33.3", "2|-|2|2|100.0",
                          QString::fromUtf8("3|K\xC3\xA9\x01<&>\"|1|0|0.0")}));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RunReportsTest)
#include "run_reports_test.moc"
