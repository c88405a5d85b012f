// Each fault mode of the simulated device driven through ExecuteCommand on
// virtual time, into the failure path the transaction takes for it: result,
// reply count, message box, monitor lines and how long the exchange lasted.
#include <QtTest>

#include "link/frame.h"
#include "link/transaction.h"
#include "support/sim_rig.h"

using kdx::Bytes;
using kdx::sim::Fault;
using kdx::test::SimRig;

namespace {

struct Run {
  int result;
  std::int16_t count;
  std::int64_t tookMs;
  Bytes reply;
};

// One card status exchange with the device in `fault`.
Run Exchange(SimRig& rig, Fault fault) {
  rig.model.setFault(fault);
  const Bytes command = kdx::BuildCommand(0, '1', '0');
  Bytes reply(kdx::kReplyBufferSize);
  std::int16_t count = 0;
  const std::int64_t start = rig.clock.nowMs();
  const int result =
      kdx::ExecuteCommand(rig.session, command, static_cast<int>(command.size()), reply, count);
  return {result, count, rig.clock.nowMs() - start, reply};
}

const std::string kCommandLine = "SD: F2 00 00 03 43 31 30 03 B0 \r\n";

}  // namespace

class SimFaultTest : public QObject {
  Q_OBJECT

 private slots:
  void wellBehavedExchange() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::Off);
    QCOMPARE(run.result, kdx::kExchangeDone);
    QCOMPARE(run.count, std::int16_t(8));
    QCOMPARE(run.tookMs, std::int64_t(10));
    QCOMPARE(rig.monitor.text(), kCommandLine + "RD: 06\r\n" +
                                     "RD: F2 00 00 06 50 31 30 30 32 30 03 94 \r\n" + "SD: 06\r\n");
    QVERIFY(rig.messages.boxes.empty());
    QCOMPARE(rig.model.exchangesCompleted(), 1);
  }

  void nakIsUnitNotDetected() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::Nak);
    QCOMPARE(run.result, kdx::kExchangeFailed);
    QCOMPARE(run.count, std::int16_t(0));
    QCOMPARE(run.tookMs, std::int64_t(5));
    QCOMPARE(rig.monitor.text(), kCommandLine + "RD: 15\r\n\r\n");
    QCOMPARE(rig.messages.boxes.size(), std::size_t(1));
    QCOMPARE(rig.messages.boxes[0].text, std::string(kdx::kUnitNotDetected));
    QCOMPARE(rig.model.commandsRun(), 0);
  }

  void noAckStillSucceeds() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::NoAck);
    QCOMPARE(run.result, kdx::kExchangeDone);
    QCOMPARE(run.count, std::int16_t(8));
    QCOMPARE(run.tookMs, std::int64_t(3500));
    QVERIFY(rig.monitor.text().find("RD: 06") == std::string::npos);
    QCOMPARE(rig.monitor.text().rfind("SD: 06\r\n"), rig.monitor.text().size() - 8);
    QVERIFY(rig.messages.boxes.empty());
  }

  void silentEndsWithEot() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::Silent);
    QCOMPARE(run.result, kdx::kExchangeNoReply);
    QCOMPARE(run.count, std::int16_t(0));
    QCOMPARE(run.tookMs, std::int64_t(12000));
    QCOMPARE(rig.monitor.text(), kCommandLine + "SD: 04\r\n");
    QVERIFY(rig.messages.boxes.empty());
    QCOMPARE(rig.model.commandsRun(), 0);
  }

  void lateHeadIsAbandonedByEot() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::LateHead);
    QCOMPARE(run.result, kdx::kExchangeNoReply);
    // ACK at 5 ms, no head within 6 s of it, EOT, then 3 s of nothing: the
    // EOT cancelled the reply due at 7 s.
    QCOMPARE(run.tookMs, std::int64_t(9005));
    QCOMPARE(rig.monitor.text(), kCommandLine + "RD: 06\r\nSD: 04\r\n");
    QCOMPARE(rig.model.exchangesAbandoned(), 1);
    QCOMPARE(rig.model.commandsRun(), 1);
  }

  void truncatedReplyIsCheckData() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::Truncated);
    QCOMPARE(run.result, kdx::kExchangeFailed);
    QCOMPARE(run.count, std::int16_t(0));
    QCOMPARE(run.tookMs, std::int64_t(10 + 6000));
    QCOMPARE(rig.monitor.text(), kCommandLine + "RD: 06\r\nRD: F2 00 00 06 \r\n");
    QCOMPARE(rig.messages.boxes.at(0).text, std::string(kdx::kCheckData));
    QVERIFY(rig.model.awaitingHostAck());  // the device got no ACK
  }

  void badCheckByteGoesUnnoticed() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::BadBcc);
    QCOMPARE(run.result, kdx::kExchangeDone);
    QCOMPARE(run.count, std::int16_t(8));
    QCOMPARE(run.reply[7], std::uint8_t(0x94 ^ 0xFF));
    QVERIFY(rig.messages.boxes.empty());
  }

  void oversizeReplyFailsWithCountSet() {
    SimRig rig;
    const Run run = Exchange(rig, Fault::Oversize);
    QCOMPARE(run.result, kdx::kExchangeFailed);
    QCOMPARE(run.count, std::int16_t(1102));
    QCOMPARE(run.reply.size(), kdx::kReplyBufferSize);
    QCOMPARE(run.reply[0], std::uint8_t('P'));
    QCOMPARE(rig.messages.boxes.at(0).text, std::string(kdx::kCheckData));
    QVERIFY(rig.monitor.text().find("SD: 06\r\n\r\n") != std::string::npos);
    QCOMPARE(rig.model.exchangesCompleted(), 1);
  }

  void garbageIsCheckData() {
    SimRig rig;
    rig.model.setGarbageSeed(1);
    const Run run = Exchange(rig, Fault::Garbage);
    QCOMPARE(run.result, kdx::kExchangeFailed);
    QCOMPARE(rig.messages.boxes.at(0).text, std::string(kdx::kCheckData));
    QCOMPARE(run.tookMs, std::int64_t(10 + 6000));
  }

  void faultsSwitchAtAnyTime() {
    SimRig rig;
    QCOMPARE(Exchange(rig, Fault::Silent).result, kdx::kExchangeNoReply);
    QCOMPARE(Exchange(rig, Fault::Off).result, kdx::kExchangeDone);
    QCOMPARE(Exchange(rig, Fault::Nak).result, kdx::kExchangeFailed);
    const Run run = Exchange(rig, Fault::Off);
    QCOMPARE(run.result, kdx::kExchangeDone);
    QCOMPARE(run.reply[0], std::uint8_t('P'));
  }

  void brokenLineIsAPortError() {
    SimRig rig;
    rig.line.breakLine();
    const Run run = Exchange(rig, Fault::Off);
    QCOMPARE(run.result, kdx::kExchangeFailed);
    // The write itself fails, before the transaction looks for the unit.
    QCOMPARE(rig.messages.boxes.at(0).text, std::string(kdx::kCheckData));
    QCOMPARE(rig.model.commandsRun(), 0);
    rig.line.repair();
    QCOMPARE(Exchange(rig, Fault::Off).result, kdx::kExchangeDone);
  }
};

QTEST_GUILESS_MAIN(SimFaultTest)
#include "sim_fault_test.moc"
