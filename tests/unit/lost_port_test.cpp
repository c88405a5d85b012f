// A port whose device vanishes while the link is open: wherever the exchange
// stands, in a window or in the console, the operator gets one box naming the
// lost port (in place of the box that exchange would have shown), the link
// closes, and the next command asks for port setup. Port errors with the
// device still there keep their boxes (see the transaction tests).
#include <QtTest>

#include "console_fakes.h"
#include "device_fakes.h"
#include "link/frame.h"
#include "link/port_setup.h"
#include "link_harness.h"
#include "sim_rig.h"

using namespace kdx;
using namespace kdx::test;

namespace {

const Bytes kStatusCommand = BuildCommand(0, '1', '0');
const std::string kStatusLine = "SD: F2 00 00 03 43 31 30 03 B0 \r\n";
const std::string kLost =
    "Communication port COM1 (/dev/ttyUSB0) was lost: Input/output error.\r\n"
    "Check the cable and press Setup Comm.";

int Run(Session& session) {
  Bytes reply(kReplyBufferSize);
  std::int16_t count = 0;
  return ExecuteCommand(session, kStatusCommand, static_cast<int>(kStatusCommand.size()), reply,
                        count);
}

struct View final : PortSetupView {
  bool accepted = false;
  std::string portText() override { return "COM1"; }
  std::string baudText() override { return "9600 bits/s"; }
  void setPortText(const std::string&) override {}
  void setBaudText(const std::string&) override {}
  void setScanStatus(const std::string&) override {}
  void focusPort() override {}
  void focusBaud() override {}
  void accept() override { accepted = true; }
};

}  // namespace

class LostPortTest : public QObject {
  Q_OBJECT
 private slots:
  void lostAnywhereInTheExchange_data() {
    QTest::addColumn<QString>("when");
    QTest::addColumn<QString>("monitor");
    QTest::newRow("before the command") << "idle"
                                        << "\r\n";
    QTest::newRow("waiting for the ACK") << "ack" << QString::fromStdString(kStatusLine + "\r\n");
    QTest::newRow("after the head")
        << "rest" << QString::fromStdString(kStatusLine + "RD: 06\r\nRD: F2 00 00 06 \r\n");
    QTest::newRow("after the EOT")
        << "eot" << QString::fromStdString(kStatusLine + "SD: 04\r\n\r\n");
  }
  void lostAnywhereInTheExchange() {
    QFETCH(QString, when);
    QFETCH(QString, monitor);
    LinkHarness h;
    h.line.open(1, 9600);
    if (when == "idle") h.line.loseDevice();
    h.line.onWrite = [&h, when](int index, const Bytes&) {
      if (when == "ack" && index == 0) h.line.loseDevice();
      if (when == "eot" && index == 1) h.line.loseDevice();
      if (when == "rest" && index == 0) {
        h.line.deliverIn(10, {kAck});
        h.line.deliverIn(20, {0xF2, 0x00, 0x00, 0x06});
        h.line.breakAfterReads(2, true);  // the ACK and the head read fine
      }
    };
    QCOMPARE(Run(h.session), kExchangeFailed);
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
    QCOMPARE(h.messages.boxes[0].text, kLost);
    QCOMPARE(QString::fromStdString(h.monitor.text()), monitor);
    QVERIFY(!h.state.linkOpen);
    QVERIFY(!h.line.isOpen());

    // The next press only asks for port setup; nothing goes out.
    const std::size_t writes = h.line.writes().size();
    QCOMPARE(Run(h.session), kExchangeDone);
    QCOMPARE(h.messages.boxes.back().text, std::string(kPortSetupFirst));
    QCOMPARE(h.line.writes().size(), writes);
  }

  // The console's command line, lost at each point of its exchange; the
  // lists say what they said before, only the box changes.
  void consoleLostAnywhere_data() {
    QTest::addColumn<QString>("when");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("traffic");
    QTest::addColumn<QString>("advice");  // the box's second line; empty: the window's
    const QString frame = "SD: F2 00 00 03 43 31 30 03 B0 ";
    QTest::newRow("before the command") << "idle" << -1 << QStringList{frame} << "";
    QTest::newRow("waiting for the ACK") << "ack" << -1 << QStringList{frame} << "";
    QTest::newRow("after the head")
        << "rest" << -1 << QStringList{frame, "RD: 06", "RD: F2 00 00 06 "} << "";
    QTest::newRow("after the EOT") << "eot" << -2 << QStringList{frame, "RD: 06", "SD: 04"} << "";
    QTest::newRow("cancelled") << "cancel" << -2 << QStringList{"SD: 04"} << "";
    QTest::newRow("headless runner's advice")
        << "ack" << -1 << QStringList{frame} << "Check the cable and run the script again.";
  }
  void consoleLostAnywhere() {
    QFETCH(QString, when);
    QFETCH(int, result);
    QFETCH(QStringList, traffic);
    QFETCH(QString, advice);
    LinkHarness h;
    h.line.open(1, 9600);
    ConsoleRig c(h.session);
    if (!advice.isEmpty()) c.context.lostPortAdvice = "Check the cable and run the script again.";
    if (when == "idle") h.line.loseDevice();
    if (when == "cancel") c.consoleState.stop = StopRequest::Cancel;
    h.line.onWrite = [&h, when](int index, const Bytes&) {
      if ((when == "ack" || when == "cancel") && index == 0) h.line.loseDevice();
      if (when == "eot" && index == 0) h.line.deliverIn(10, {kAck});
      if (when == "eot" && index == 1) h.line.loseDevice();
      if (when == "rest" && index == 0) {
        h.line.deliverIn(10, {kAck});
        h.line.deliverIn(20, {0xF2, 0x00, 0x00, 0x06});
        h.line.breakAfterReads(2, true);
      }
    };
    Bytes frame = test::Hex("F2 00 00 03 43 31 30");
    Bytes reply;
    int length = 0;
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, length), result);
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    const std::string second =
        advice.isEmpty() ? std::string(kLostPortAdvice) : advice.toStdString();
    QCOMPARE(h.messages.boxes[0].text,
             "Communication port COM1 (/dev/ttyUSB0) was lost: Input/output error.\r\n" + second);
    QStringList got;
    for (const auto& line : c.view.traffic) got << QString::fromStdString(line);
    QCOMPARE(got, traffic);
    QVERIFY(!h.state.linkOpen);
    QVERIFY(!h.line.isOpen());

    c.consoleState.stop = StopRequest::None;
    const std::size_t writes = h.line.writes().size();
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, length), 0);
    QCOMPARE(h.messages.boxes.back().text, std::string(kPortSetupFirst));
    QCOMPARE(h.line.writes().size(), writes);
  }

  // The in-process simulator's line takes its unit away mid-exchange and puts
  // it back: lost, refused while away, connected again once back.
  void simulatedUnitUnpluggedAndBack() {
    SimRig rig;
    rig.line.loseDeviceAt(rig.clock.nowMs() + 1);  // before the ACK comes
    Reply reply;
    QCOMPARE(rig.run('1', '0', reply), CommandOutcome::Failed);
    QCOMPARE(rig.messages.boxes.size(), std::size_t{1});
    QCOMPARE(rig.messages.boxes[0].text,
             std::string("Communication port COM1 was lost: Input/output error.\r\n"
                         "Check the cable and press Setup Comm."));
    QVERIFY(!rig.state.linkOpen);

    View view;
    ConfirmPortSetup(rig.session, view);
    QCOMPARE(rig.messages.boxes.back().text,
             std::string("Comm Port Selection Invalid, Please Select Right Comm. Port\r\n"
                         "COM1: the simulated unit was unplugged"));
    QVERIFY(!view.accepted);

    rig.line.repair();
    ConfirmPortSetup(rig.session, view);
    QVERIFY(view.accepted);
    QVERIFY(rig.state.linkOpen);
    QCOMPARE(rig.run('1', '0', reply), CommandOutcome::Positive);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(LostPortTest)
#include "lost_port_test.moc"
