// One unit's run as kdx846-run's workers drive it, against the in-process
// simulator on virtual time: identity, passes, what ends a unit, a cancel;
// the summary's arithmetic and the rank of the units' statuses.
#include "run_units.h"

#include <fcntl.h>
#include <unistd.h>

#include <QtTest>
#include <csignal>
#include <functional>

#include "console_fakes.h"
#include "device/identity.h"
#include "link_harness.h"
#include "model/control.h"
#include "run_summary.h"
#include "sim_rig.h"
#include "unit_run.h"

using namespace kdx;
using namespace kdx::run;

namespace {

struct Recorded final : UnitReport {
  bool identifiedOnce = false;
  std::string serial, configuration;
  std::vector<std::string> messages;
  std::vector<ExchangeRow> rows;
  std::vector<int> passes;
  std::function<void(int pass)> onPass;

  void identified(const std::string& s, const std::string& c) override {
    QVERIFY(!identifiedOnce && rows.empty());
    identifiedOnce = true;
    serial = s;
    configuration = c;
  }
  void message(const std::string& text) override { messages.push_back(text); }
  void exchange(ExchangeRow&& row) override { rows.push_back(std::move(row)); }
  void passEnded(int pass) override {
    passes.push_back(pass);
    if (onPass) onPass(pass);
  }
  QString kinds() const {
    QStringList out;
    for (const auto& row : rows) out << KindName(row.verdict.kind);
    return out.join(' ');
  }
};

// A unit on the in-process simulator, run with `rules`.
struct UnitRig {
  test::SimRig sim;
  test::SteppingTime time;
  Recorded report;
  std::atomic<int> cancel{0};

  UnitResult run(const UnitRules& rules) {
    UnitRun unit(sim.line, sim.clock, time, rules, report, cancel);
    return unit.run();
  }
  void control(const std::string& line) { QVERIFY(sim::ApplyControl(sim.model, line).ok); }
};

ExchangeRow Row(ReplyKind kind, std::int64_t ms, const char* code = "") {
  ExchangeRow row;
  row.verdict.kind = kind;
  row.durationMs = ms;
  if (*code)
    row.record.reply =
        Bytes{'N', '1', '0', Bytes::value_type(code[0]), Bytes::value_type(code[1]), 3, 0};
  return row;
}

// Every call a sink gets, in order, as "unit:call"; fails (as a full disk
// would) at its first exchange when asked to.
struct CallSink final : RecordSink {
  QStringList calls;
  bool failAtFirstRow = false;
  void runStarted(const RunInfo& info) override {
    calls << "run:started " + QString::number(info.units.size());
  }
  void unitStarted(const UnitIdentity& u) override { calls << QString("%1:started").arg(u.unit); }
  void exchange(const ExchangeRow& row) override {
    calls << QString("%1:%2 %3.%4")
                 .arg(row.unit)
                 .arg(KindName(row.verdict.kind))
                 .arg(row.pass)
                 .arg(row.line);
    failing = failAtFirstRow;
  }
  void passEnded(int unit, int pass) override {
    calls << QString("%1:pass %2").arg(unit).arg(pass);
  }
  void unitEnded(const UnitEnd& end) override {
    calls << QString("%1:ended %2 %3")
                 .arg(end.unit)
                 .arg(end.status)
                 .arg(QString::fromStdString(end.reason.value_or("")));
  }
  void runEnded(const LocalTime&, int status) override {
    calls << QString("run:ended %1").arg(status);
  }
  std::optional<std::string> failure() const override {
    return failing ? std::optional<std::string>("runs.db: No space left on device") : std::nullopt;
  }
  bool failing = false;
};

// A pseudo-terminal nobody answers on: the unit of a silent port.
struct SilentPort {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  std::string path;
  SilentPort() {
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) path = ::ptsname(master);
  }
  ~SilentPort() { ::close(master); }
};

QStringList Of(const QStringList& calls, const QString& who) {
  return calls.filter(QRegularExpression("^" + who + ":"));
}

}  // namespace

Q_DECLARE_METATYPE(std::vector<kdx::run::ExchangeRow>)

class RunUnitsTest : public QObject {
  Q_OBJECT
 private slots:
  // What each rule makes of a unit that goes silent, answers negatively,
  // loses its port or is cancelled after a given pass.
  void passes_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("station");  // keep going after an exchange without a reply
    QTest::addColumn<bool>("stopOnFailure");
    QTest::addColumn<QString>("afterPass2");  // a control line, "lose" or "cancel"
    QTest::addColumn<QString>("kinds");
    QTest::addColumn<int>("passes");  // whole passes
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    const QString four = "positive positive positive positive";
    const QString silent = "stopped answering (3 exchanges in a row without a reply)";
    QTest::newRow("every pass") << "C10\r\nC11" << true << false << "" << four + " " + four << 4
                                << 0 << "";
    QTest::newRow("a line that ends the run") << "C10\r\n#\r\nC11" << true << false << ""
                                              << "positive" << 1 << 0 << "";
    QTest::newRow("negatives are counted")
        << "C10\r\nCZ0" << true << false << ""
        << "positive negative positive negative positive negative positive negative" << 4 << 1
        << "";
    QTest::newRow("stop on failure")
        << "C10\r\nCZ0" << true << true << ""
        << "positive negative" << 0 << 1 << "stopped at its first failure (negative)";
    QTest::newRow("single run: a silent unit ends it")
        << "C10\r\nC11" << false << false << "fault silent" << four + " no-ack" << 2 << 2 << "";
    QTest::newRow("station: three exchanges without a reply")
        << "C10\r\nC11" << true << false << "fault silent" << four + " no-ack no-ack no-ack" << 3
        << 2 << silent;
    QTest::newRow("station: NAKs") << "C10\r\nC11" << true << false << "fault nak"
                                   << four + " nak nak nak" << 3 << 2 << silent;
    QTest::newRow("station: a wrong check byte is an answer")
        << "C10\r\nC11" << true << false << "fault bad-bcc"
        << four + " bad-check bad-check bad-check bad-check" << 4 << 1 << "";
    QTest::newRow("port lost") << "C10\r\nC11" << true << false << "lose" << four + " port-lost"
                               << 2 << 2 << "its port was lost";
    QTest::newRow("cancel") << "C10\r\nC11" << true << false << "cancel" << four + " cancelled" << 2
                            << 130 << "cancelled (SIGINT)";
  }
  void passes() {
    QFETCH(QString, script);
    QFETCH(bool, station);
    QFETCH(bool, stopOnFailure);
    QFETCH(QString, afterPass2);
    UnitRig rig;
    rig.report.onPass = [&](int pass) {
      if (pass != 2 || afterPass2.isEmpty()) return;
      if (afterPass2 == "lose") {
        rig.sim.line.loseDevice();
      } else if (afterPass2 == "cancel") {
        rig.cancel = 128 + SIGINT;
      } else {
        rig.control(afterPass2.toStdString());
      }
    };
    UnitRules rules;
    rules.script = script.toStdString();
    rules.passes = 4;
    rules.keepGoing = station;
    rules.stopOnFailure = stopOnFailure;
    const UnitResult result = rig.run(rules);
    QTEST(rig.report.kinds(), "kinds");
    QTEST(result.passesFinished, "passes");
    QTEST(result.status, "status");
    QTEST(QString::fromStdString(result.reason.value_or("")), "reason");
    QCOMPARE(static_cast<int>(rig.report.passes.size()), result.passesFinished);
    // Each record names its pass and line, from 1.
    for (std::size_t i = 0; i < rig.report.rows.size(); ++i) {
      const int lines = script.count("\r\n") + 1 - script.count("#");
      const ExchangeRow& row = rig.report.rows[i];
      QCOMPARE(row.pass, static_cast<int>(i) / lines + 1);
      QCOMPARE(row.line, static_cast<int>(i) % lines + 1);
    }
    QCOMPARE(result.cut, afterPass2 == "cancel");
    if (result.cut) QCOMPARE(std::make_pair(result.cutPass, result.cutLine), std::make_pair(3, 1));
  }

  // --duration: no pass starts once the time is up; the pass in progress
  // runs to its end.
  void durationEndsAtAPassBoundary() {
    UnitRig rig;
    rig.control("latency 7");
    UnitRules rules;
    rules.script = "C10\r\nC11\r\nC10";
    rules.passes = INT32_MAX;
    rules.deadlineMs = 1000;
    rules.keepGoing = true;
    std::vector<std::int64_t> passEnds;
    rig.report.onPass = [&](int) { passEnds.push_back(rig.sim.clock.nowMs()); };
    const UnitResult result = rig.run(rules);
    QVERIFY(result.passesFinished > 10);
    QCOMPARE(passEnds.size(), static_cast<std::size_t>(result.passesFinished));
    QCOMPARE(rig.report.rows.size(), static_cast<std::size_t>(3 * result.passesFinished));
    // The last pass started before the time was up and ended after it.
    QVERIFY(passEnds[passEnds.size() - 2] < 1000);
    QVERIFY(passEnds.back() >= 1000);
    QCOMPARE(result.status, 0);
    QVERIFY(!result.reason);
  }

  // The serial number and configuration come from the device code's reads
  // before the first line, and make no record.
  void identity_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("configuration");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<int>("framesBeforeScript");
    QTest::newRow("answered") << "serial UNIT-7"
                              << "UNIT-7"
                              << "7101ER2220" << QStringList{} << 2;
    QTest::newRow("four SAM sockets") << "sams 4"
                                      << "KDX846-00000000001"
                                      << "7101ER2240" << QStringList{} << 2;
    QTest::newRow("no answer") << "fault silent" << "" << ""
                               << QStringList{"warning: serial number (A2h) not read: no reply "
                                              "from the unit; recorded with an empty serial "
                                              "number"}
                               << 1;
  }
  void identity() {
    QFETCH(QString, control);
    QFETCH(int, framesBeforeScript);
    UnitRig rig;
    rig.control(control.toStdString());
    UnitRules rules;
    rules.script = "C10";
    rules.identify = true;
    rules.keepGoing = true;
    rig.run(rules);
    QTEST(QString::fromStdString(rig.report.serial), "serial");
    QTEST(QString::fromStdString(rig.report.configuration), "configuration");
    QStringList messages;
    for (const auto& m : rig.report.messages) messages << QString::fromStdString(m);
    QTEST(messages.filter("warning"), "warnings");
    QCOMPARE(rig.report.rows.size(), std::size_t{1});
    int frames = 0;
    for (const auto& event : rig.sim.line.traffic()) {
      if (event.fromHost && event.bytes.size() > 1) ++frames;
    }
    QCOMPARE(frames, framesBeforeScript + 1);
  }

  void identityRefused() {
    test::LinkHarness h;
    h.line.open(1, 9600);
    h.line.onWrite = [&h](int, const Bytes& bytes) {
      if (bytes.size() < 6) return;
      h.line.deliverIn(5, {kAck});
      h.line.deliverIn(10, test::ReplyFrame(bytes[5] == kReadSerialCommand ? "N\xA2"
                                                                             "001"
                                                                           : "P10000"));
    };
    test::SteppingTime time;
    Recorded report;
    std::atomic<int> cancel{0};
    UnitRules rules;
    rules.script = "C10";
    rules.identify = true;
    UnitRun(h.line, h.clock, time, rules, report, cancel).run();
    QCOMPARE(report.serial, std::string());
    QCOMPARE(report.messages,
             std::vector<std::string>{"warning: serial number (A2h) not read: Negative "
                                      "response:01: Parameter is not correct; recorded with an "
                                      "empty serial number"});
    QCOMPARE(report.kinds(), "positive");
  }

  void tally_data() {
    QTest::addColumn<std::vector<ExchangeRow>>("rows");
    QTest::addColumn<std::vector<int>>("expected");  // median, p95, max, exchanges
    using K = ReplyKind;
    QTest::newRow("one") << std::vector<ExchangeRow>{Row(K::Positive, 5)}
                         << std::vector<int>{5, 5, 5, 1};
    QTest::newRow("four") << std::vector<ExchangeRow>{Row(K::Positive, 4), Row(K::Positive, 1),
                                                      Row(K::Positive, 3), Row(K::Positive, 2)}
                          << std::vector<int>{2, 4, 4, 4};
    std::vector<ExchangeRow> twenty, spike;
    for (int ms = 20; ms >= 1; --ms) twenty.push_back(Row(K::Positive, ms));
    for (int i = 0; i < 99; ++i) spike.push_back(Row(K::Positive, 5));
    spike.push_back(Row(K::NoAck, 500));
    QTest::newRow("1 to 20") << twenty << std::vector<int>{10, 19, 20, 20};
    QTest::newRow("one slow in a hundred") << spike << std::vector<int>{5, 5, 500, 100};
    QTest::newRow("a cancel is not an exchange")
        << std::vector<ExchangeRow>{Row(K::Positive, 3), Row(K::Cancelled, 3000)}
        << std::vector<int>{3, 3, 3, 1};
  }
  void tally() {
    QFETCH(std::vector<ExchangeRow>, rows);
    QFETCH(std::vector<int>, expected);
    UnitTally tally;
    for (const auto& row : rows) tally.add(row);
    QCOMPARE(*tally.percentileMs(50), expected[0]);
    QCOMPARE(*tally.percentileMs(95), expected[1]);
    QCOMPARE(*tally.percentileMs(100), expected[2]);
    QCOMPARE(tally.exchanges, expected[3]);
    QVERIFY(!UnitTally().percentileMs(50));
  }

  void countsByCode() {
    using K = ReplyKind;
    UnitSummary unit;
    unit.identity = {2, "COM2", "/dev/ttyS1", "KDX-2", ""};
    ExchangeRow first = Row(K::Positive, 4);
    ExchangeRow failure = Row(K::Negative, 6, "04");
    failure.pass = 3;
    failure.line = 2;
    failure.record.time = {2026, 3, 4, 5, 6, 7, 8};
    for (const ExchangeRow& row :
         {first, failure, Row(K::Negative, 6, "04"), Row(K::Negative, 6, "00"),
          Row(K::Negative, 6, "Z9"), Row(K::BadCheck, 5), Row(K::NoAck, 500), Row(K::Nak, 5),
          Row(K::PortLost, 1)}) {
      unit.tally.add(row);
    }
    unit.tally.passEnded();
    unit.end = UnitEnd{2, 2, 1, std::string("its port was lost")};
    UnitSummary quiet;
    quiet.identity = {1, "COM1", "/dev/ttyS0", "", ""};
    // Times 1, 4, 5, 5, 6, 6, 6, 6, 500: the 5th is the median, the 9th the p95.
    QCOMPARE(QString::fromStdString(SummaryText({quiet, unit})),
             "Unit  Serial number  Port  Passes  Exchanges  Positive  Negative  No answer  Link "
             "failures  Median ms  p95 ms  Max ms  First failure                            End\n"
             "   1  -              COM1       0          0         0         0          0       "
             "       0          -       -       -  -                                        -\n"
             "   2  KDX-2          COM2       1          9         1         5          1       "
             "       2          6     500     500  pass 3, line 2, 05:06:07.008 (negative)  its "
             "port was lost\n"
             "Negative replies:\n"
             "  unit 2 COM2: 00 (A given command code is unidentified) x 1, 04 (Command data "
             "error) x 2, Z9 (not in the reply catalogue) x 1, bad-check x 1\n");
  }

  // The merging thread hands each unit's records to every sink in the
  // contract's order; a report that fails ends every unit (EOT instead of
  // the next command) with status 2, after saying why.
  void sinksAndAFailingReport() {
    SilentPort a, b;
    QVERIFY(!a.path.empty() && !b.path.empty());
    RunOptions options;
    options.ports = {a.path, b.path};
    options.identify = false;
    options.repeat = "5";
    options.format = Format::JsonLines;
    RunInfo info;
    info.scriptText = "C10";
    std::vector<std::unique_ptr<RecordSink>> reports;
    auto sink = std::make_unique<CallSink>();
    CallSink& calls = *sink;
    calls.failAtFirstRow = true;
    reports.push_back(std::move(sink));
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = RunUnits(
        options, info, reports, [] { return 0; }, out, err);
    std::rewind(err);
    char text[4096] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, err);
    std::fclose(out);
    std::fclose(err);
    const QString messages = QString::fromUtf8(text, static_cast<int>(got));
    QCOMPARE(status, 2);
    QVERIFY2(messages.contains("kdx846-run: runs.db: No space left on device\n"),
             qPrintable(messages));
    QCOMPARE(calls.calls.first(), "run:started 2");
    QCOMPARE(calls.calls.last(), "run:ended 2");
    // The first no-ack of either unit failed the report; its unit passes
    // on to its next command (the EOT).
    for (const QString unit : {"1", "2"}) {
      const QStringList own = Of(calls.calls, unit);
      QCOMPARE(own.first(), unit + ":started");
      QCOMPARE(own.last(), unit + ":ended 2 cancelled: a report could not be written");
      QVERIFY2(own.at(own.size() - 2).startsWith(unit + ":cancelled "), qPrintable(own.join(", ")));
      for (int i = 1; i + 2 < own.size(); i += 2) {
        QCOMPARE(own.at(i), QString("%1:no-ack %2.1").arg(unit).arg((i + 1) / 2));
        QCOMPARE(own.at(i + 1), QString("%1:pass %2").arg(unit).arg((i + 1) / 2));
      }
    }
  }

  void worstStatus_data() {
    QTest::addColumn<std::vector<int>>("statuses");
    QTest::addColumn<int>("worst");
    QTest::newRow("none") << std::vector<int>{} << 0;
    QTest::newRow("all positive") << std::vector<int>{0, 0} << 0;
    QTest::newRow("negative over positive") << std::vector<int>{0, 1, 0} << 1;
    QTest::newRow("link over negative") << std::vector<int>{1, 2, 0} << 2;
    QTest::newRow("a signal over a link failure") << std::vector<int>{2, 130, 2} << 130;
    QTest::newRow("output over everything") << std::vector<int>{143, 4, 2} << 4;
  }
  void worstStatus() {
    QFETCH(std::vector<int>, statuses);
    QTEST(WorstStatus(statuses), "worst");
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RunUnitsTest)
#include "run_units_test.moc"
