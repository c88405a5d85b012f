// The simulator on a pseudo-terminal against the in-process one: the same
// exchanges over SimLine (virtual time) and over the QSerialPort adapter
// talking to kdx846-sim give the same replies, monitor and messages. Also the
// adapter's open errors, and a simulator killed in the middle of an exchange.
#include <signal.h>
#include <unistd.h>

#include <QtTest>
#include <chrono>
#include <functional>
#include <thread>

#include "link/frame.h"
#include "link/transaction.h"
#include "model/control.h"
#include "support/port_session.h"
#include "support/recording_messages.h"
#include "support/sim_process.h"
#include "support/sim_rig.h"
#include "ui/adapters/qt_serial_line.h"

using kdx::Bytes;
using kdx::CommandOutcome;
using kdx::OpenError;
using kdx::test::PortSession;
using kdx::test::SimProcess;
using kdx::ui::QtSerialLine;

namespace {

// The simulated unit's starting state, as command-line options.
const std::vector<std::string> kStartArgs{"--stacker", "11",    "--bin",  "19/20",
                                          "--card",    "21/12", "--sams", "3"};

struct Step {
  std::uint8_t command;
  std::uint8_t parameter;
  Bytes data;
  std::string control;  // applied to the simulator first, when not empty
};

const std::vector<Step> kScript{
    {'1', '0', {}, ""},                // status before initialize
    {'2', '1', {}, ""},                // refused: B0
    {'0', '3', {}, ""},                // initialize, retain: firmware text
    {'2', '1', {}, ""},                // a card to the IC station
    {'P', '0', {}, ""},                // IC type "21"
    {'1', '1', {}, ""},                // sensors
    {0xA2, '0', {0x12}, ""},           // serial number
    {0xA3, '0', {}, ""},               // configuration
    {0xA5, '1', {'1', '2', '3'}, ""},  // set the counter
    {0xA5, '0', {}, ""},               // read it back
    {'1', '0', {}, "fault nak"},       // unit not detected
    {'1', '0', {}, "fault oversize"},  // fails with the count set
    {'1', '0', {}, "fault off"},       // back to normal
};

struct Transcript {
  std::vector<CommandOutcome> outcomes;
  std::vector<Bytes> replies;
  std::string monitor;
  std::vector<std::string> boxes;
};

Transcript RunScript(kdx::Session& session, kdx::test::RecordingMessages& messages,
                     const std::function<bool(const std::string&)>& control) {
  Transcript t;
  session.monitor.setRecord(true);
  for (const Step& step : kScript) {
    if (!step.control.empty() && !control(step.control)) return t;
    session.monitor.prologue();
    kdx::Reply reply;
    t.outcomes.push_back(kdx::Transact(session, step.command, step.parameter, step.data, reply));
    t.replies.push_back(reply.bytes);
    session.monitor.epilogue();
  }
  t.monitor = session.monitor.text();
  for (const auto& box : messages.boxes) t.boxes.push_back(box.title + " | " + box.text);
  return t;
}

std::int64_t NowMs() {
  return kdx::SteadyClock().nowMs();
}

}  // namespace

class SimContractTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ::unsetenv("KDX846_COM1"); }

  void sameExchangesSameResults() {
    kdx::test::SimRig rig;
    for (std::size_t i = 0; i < kStartArgs.size(); i += 2) {
      QVERIFY(
          kdx::sim::ApplyControl(rig.model, kStartArgs[i].substr(2) + " " + kStartArgs[i + 1]).ok);
    }
    const Transcript expected = RunScript(rig.session, rig.messages, [&](const std::string& line) {
      return kdx::sim::ApplyControl(rig.model, line).ok;
    });
    QCOMPARE(expected.outcomes.size(), kScript.size());

    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start(kStartArgs, &error), error.c_str());
    ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    PortSession port;
    QCOMPARE(port.line.open(1, 9600).error, OpenError::None);
    port.state.linkOpen = true;
    const Transcript actual = RunScript(port.session, port.messages, [&](const std::string& line) {
      return sim.control(line) == "ok";
    });

    QCOMPARE(actual.outcomes.size(), kScript.size());
    for (std::size_t i = 0; i < kScript.size(); ++i) {
      QCOMPARE(actual.outcomes[i], expected.outcomes[i]);
      QCOMPARE(actual.replies[i], expected.replies[i]);
    }
    QCOMPARE(QString::fromStdString(actual.monitor), QString::fromStdString(expected.monitor));
    QCOMPARE(actual.boxes, expected.boxes);
    QCOMPARE(QString::fromStdString(sim.control("state")),
             QString::fromStdString(kdx::sim::StateLine(rig.model)));
    // The script did reach the interesting states on both sides.
    QCOMPARE(expected.outcomes[1], CommandOutcome::Negative);
    QCOMPARE(expected.outcomes[4], CommandOutcome::Positive);
    QCOMPARE(expected.outcomes[10], CommandOutcome::Failed);
    QCOMPARE(expected.outcomes[12], CommandOutcome::Positive);
    QVERIFY(sim.log().find("send 06") != std::string::npos);
  }

  void openErrors() {
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({}, &error), error.c_str());
    ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    QtSerialLine first, second;
    QCOMPARE(first.open(1, 9600).error, OpenError::None);
    QCOMPARE(second.open(1, 9600).error, OpenError::InUse);
    first.close();  // RTS and DTR fail on a terminal; close ignores that
    QVERIFY(!first.isOpen());
    QCOMPARE(second.open(1, 9600).error, OpenError::None);
    ::setenv("KDX846_COM1", "/tmp/kdx846-no-such-port", 1);
    QtSerialLine third;
    QCOMPARE(third.open(1, 9600).error, OpenError::NoSuchPort);
  }

  void killedMidExchange_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("before the ACK") << "silent";
    QTest::newRow("after the ACK") << "late-head";
  }
  void killedMidExchange() {
    QFETCH(QString, fault);
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({"--fault", fault.toStdString()}, &error), error.c_str());
    ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    PortSession port;
    QCOMPARE(port.line.open(1, 9600).error, OpenError::None);
    port.state.linkOpen = true;

    const pid_t pid = sim.pid();
    std::thread killer([pid] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      ::kill(pid, SIGKILL);
    });
    const Bytes command = kdx::BuildCommand(0, '1', '0');
    Bytes reply;
    std::int16_t count = 0;
    const std::int64_t start = NowMs();
    const int result = kdx::ExecuteCommand(port.session, command, 9, reply, count);
    const std::int64_t took = NowMs() - start;
    killer.join();

    // The vanished peer is a lost port: the failure path, right away, with
    // the link closed and the lost port named.
    QCOMPARE(result, kdx::kExchangeFailed);
    QVERIFY2(took < 2000, std::to_string(took).c_str());
    QCOMPARE(port.messages.boxes.size(), std::size_t(1));
    QCOMPARE(port.messages.boxes[0].text, "Communication port COM1 (" + sim.linkPath() +
                                              ") was lost: Input/output error.\r\n"
                                              "Check the cable and press Setup Comm.");
    QVERIFY(!port.state.linkOpen);
    QVERIFY(!port.line.isOpen());
    // The next exchange only asks for port setup.
    QCOMPARE(kdx::ExecuteCommand(port.session, command, 9, reply, count), kdx::kExchangeDone);
    QCOMPARE(port.messages.boxes.back().text, std::string(kdx::kPortSetupFirst));
    QCOMPARE(sim.stop(SIGTERM), 128 + SIGKILL);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimContractTest)
#include "sim_contract_test.moc"
