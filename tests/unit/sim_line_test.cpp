// The in-process line's ports: what opening reports, the device hearing only
// at its own rate (so a port scan finds it), port errors mid-exchange, and
// the control lines tests and kdx846-sim share.
#include <QtTest>
#include <cstdlib>

#include "link/frame.h"
#include "link/port_names.h"
#include "link/transaction.h"
#include "model/control.h"
#include "support/sim_rig.h"

using kdx::Bytes;
using kdx::OpenError;
using kdx::WaitResult;
using kdx::sim::ApplyControl;
using kdx::sim::DeviceModel;
using kdx::sim::SimLine;
using kdx::sim::VirtualClock;

class SimLineTest : public QObject {
  Q_OBJECT

 private slots:
  void openingPorts() {
    VirtualClock clock;
    DeviceModel model;
    SimLine line(clock);
    line.attach(2, model, 38400);
    QCOMPARE(line.open(1, 9600), OpenError::NoSuchPort);
    QVERIFY(!line.isOpen());
    QCOMPARE(line.open(2, 9600), OpenError::None);  // any rate opens
    QCOMPARE(line.openPort(), 2);
    line.setOpenError(2, OpenError::InUse);
    QCOMPARE(line.open(2, 38400), OpenError::InUse);
    QVERIFY(!line.isOpen());
    line.setOpenError(2, OpenError::None);
    QCOMPARE(line.open(2, 38400), OpenError::None);
    line.close();
    line.close();  // harmless when closed
    QVERIFY(!line.isOpen());
    Bytes out;
    QVERIFY(!line.read(0, out));
    QVERIFY(!line.write(Bytes{0x06}));
  }

  // What a scan sees: only the right port at the right rate answers.
  void deviceHearsOnlyItsRate() {
    VirtualClock clock;
    DeviceModel other, unit;
    other.setAddress(5);
    SimLine line(clock);
    line.attach(1, other, 9600);
    line.attach(2, unit, 38400);
    const Bytes status = kdx::BuildCommand(0, '1', '0');
    auto answers = [&](int port, int baud) {
      line.open(port, baud);
      line.discardInput();
      line.write(status);
      const std::int64_t start = clock.nowMs();
      const bool ready = line.waitForBytes(1, start + 250) == WaitResult::Ready;
      Bytes ack;
      line.read(0, ack);
      return ready && ack.at(0) == 0x06;
    };
    QVERIFY(!answers(1, 9600));  // a unit with another address
    QVERIFY(!answers(2, 9600));
    QVERIFY(!answers(2, 19200));
    QCOMPARE(unit.commandsRun(), 0);
    QVERIFY(answers(2, 38400));
    QCOMPARE(unit.commandsRun(), 1);
  }

  void waitingAdvancesVirtualTime() {
    kdx::test::SimRig rig;
    rig.model.setLatencyMs(20);
    const Bytes status = kdx::BuildCommand(0, '1', '0');
    rig.clock.advanceTo(1000);
    rig.line.write(status);
    QCOMPARE(rig.line.bytesWaiting(), std::size_t(0));
    QCOMPARE(rig.line.waitForBytes(5, 5000), WaitResult::Ready);
    QCOMPARE(rig.clock.nowMs(), std::int64_t(1040));
    QCOMPARE(rig.line.bytesWaiting(), std::size_t(13));
    QCOMPARE(rig.line.waitForBytes(14, 4000), WaitResult::TimedOut);
    QCOMPARE(rig.clock.nowMs(), std::int64_t(4000));
    const auto& t = rig.line.traffic();
    QCOMPARE(t.size(), std::size_t(3));
    QVERIFY(t[0].fromHost);
    QCOMPARE(t[1].atMs, std::int64_t(1020));
    QCOMPARE(t[2].atMs, std::int64_t(1040));
  }

  void lineBreakingMidExchange() {
    kdx::test::SimRig rig;
    rig.model.setFault(kdx::sim::Fault::LateHead);
    rig.line.breakLineAt(300);
    const Bytes command = kdx::BuildCommand(0, '1', '0');
    Bytes reply;
    std::int16_t count = 0;
    QCOMPARE(kdx::ExecuteCommand(rig.session, command, 9, reply, count), kdx::kExchangeFailed);
    QCOMPARE(rig.clock.nowMs(), std::int64_t(300));
    // After the ACK the transaction was looking for the head: still detecting.
    QCOMPARE(rig.messages.boxes.at(0).text, std::string(kdx::kUnitNotDetected));
  }

  void controlLines() {
    DeviceModel model;
    auto& s = model.state();
    QVERIFY(ApplyControl(model, "stacker 7").ok);
    QCOMPARE(s.stackerCount, 7);
    QVERIFY(ApplyControl(model, "bin 3/4").ok);
    QVERIFY(ApplyControl(model, "bin 4").ok);
    QCOMPARE(s.binCount, 4);
    QCOMPARE(s.binCapacity, 4);
    QVERIFY(ApplyControl(model, "fault no-ack\r").ok);
    QCOMPARE(model.fault(), kdx::sim::Fault::NoAck);
    QVERIFY(ApplyControl(model, "card sle4428/-").ok);
    QCOMPARE(kdx::sim::CardText(s.stackerCard), std::string("21/-"));
    QVERIFY(ApplyControl(model, "card -/S70").ok);
    QCOMPARE(kdx::sim::CardText(s.stackerCard), std::string("-/11"));
    QVERIFY(!ApplyControl(model, "insert").ok);  // entry prohibited
    s.entryAllowed = true;
    QVERIFY(ApplyControl(model, "insert").ok);
    QCOMPARE(s.position, kdx::sim::CardPosition::Front);
    QVERIFY(!ApplyControl(model, "insert").ok);  // the channel is taken
    QVERIFY(ApplyControl(model, "card 31/12").ok);
    QCOMPARE(kdx::sim::CardText(*s.channelCard), std::string("31/12"));
    QVERIFY(ApplyControl(model, "take").ok);
    QVERIFY(!s.cardInChannel());
    QVERIFY(ApplyControl(model, "sams 5").ok);
    QVERIFY(ApplyControl(model, "latency 0").ok);
    QCOMPARE(QString::fromStdString(ApplyControl(model, "state").output),
             QString("initialized=no fault=no-ack latency=0 stacker=7 level=1 cards=31/12 "
                     "channel=none card=- bin=4/4 entry=allowed counter=000 sams=5 "
                     "serial=KDX846-00000000001"));
    for (const char* bad : {"fault loud", "stacker -1", "stacker", "bin x/3", "card 99/10",
                            "card 20", "sams 6", "take", "jump"}) {
      QVERIFY2(!ApplyControl(model, bad).ok, bad);
    }
  }

  void portPaths() {
    ::unsetenv("KDX846_COM3");
    QCOMPARE(kdx::ResolvePortPath(3), std::string("/dev/ttyS2"));
    ::setenv("KDX846_COM3", "/tmp/kdx-sim/port", 1);
    QCOMPARE(kdx::ResolvePortPath(3), std::string("/tmp/kdx-sim/port"));
    QCOMPARE(kdx::ResolvePortPath(13), std::string("/dev/ttyS12"));
    ::setenv("KDX846_COM3", "", 1);
    QCOMPARE(kdx::ResolvePortPath(3), std::string("/dev/ttyS2"));
    ::unsetenv("KDX846_COM3");
  }
};

QTEST_GUILESS_MAIN(SimLineTest)
#include "sim_line_test.moc"
