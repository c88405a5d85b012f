// Each fault mode of the simulated device driven through ExecuteCommand on
// virtual time, into the failure path the transaction takes for it: result,
// reply count, message box, monitor lines and how long the exchange lasted.
#include <QtTest>

#include "link/frame.h"
#include "link/transaction.h"
#include "support/sim_rig.h"

using kdx::sim::Fault;

Q_DECLARE_METATYPE(kdx::sim::Fault)

class SimFaultTest : public QObject {
  Q_OBJECT

 private slots:
  void faultTakesItsPath_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("tookMs");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("monitorEnd");  // what follows the command line, or its end
    const QString reply = "RD: F2 00 00 06 50 31 30 30 32 30 03 94 \r\nSD: 06\r\n";
    const QString notDetected = QString::fromUtf8(kdx::kUnitNotDetected);
    const QString checkData = QString::fromUtf8(kdx::kCheckData);
    QTest::newRow("off") << Fault::Off << kdx::kExchangeDone << 8 << 10 << ""
                         << "RD: 06\r\n" + reply;
    QTest::newRow("NAK") << Fault::Nak << kdx::kExchangeFailed << 0 << 5 << notDetected
                         << "RD: 15\r\n\r\n";
    QTest::newRow("no ACK") << Fault::NoAck << kdx::kExchangeDone << 8 << 3500 << "" << reply;
    QTest::newRow("silent") << Fault::Silent << kdx::kExchangeNoReply << 0 << 12000 << ""
                            << "SD: 04\r\n";
    // ACK at 5 ms, no head within 6 s of it, EOT, then 3 s of nothing: the
    // EOT cancelled the reply due at 7 s.
    QTest::newRow("late head") << Fault::LateHead << kdx::kExchangeNoReply << 0 << 9005 << ""
                               << "RD: 06\r\nSD: 04\r\n";
    QTest::newRow("truncated") << Fault::Truncated << kdx::kExchangeFailed << 0 << 6010 << checkData
                               << "RD: 06\r\nRD: F2 00 00 06 \r\n";
    QTest::newRow("bad check byte goes unnoticed")
        << Fault::BadBcc << kdx::kExchangeDone << 8 << 10 << ""
        << "RD: 06\r\n" + QString(reply).replace("03 94", "03 6B");
    QTest::newRow("oversize") << Fault::Oversize << kdx::kExchangeFailed << 1102 << 10 << checkData
                              << "SD: 06\r\n\r\n";
    QTest::newRow("garbage") << Fault::Garbage << kdx::kExchangeFailed << 0 << 6010 << checkData
                             << " \r\n";
  }
  void faultTakesItsPath() {
    QFETCH(Fault, fault);
    QFETCH(int, result);
    QFETCH(int, count);
    QFETCH(int, tookMs);
    QFETCH(QString, box);
    QFETCH(QString, monitorEnd);
    kdx::test::SimRig rig;
    rig.model.setFault(fault);
    rig.model.setGarbageSeed(1);
    const kdx::Bytes command = kdx::BuildCommand(0, '1', '0');
    kdx::Bytes reply(kdx::kReplyBufferSize);
    std::int16_t replyCount = 0;
    QCOMPARE(kdx::ExecuteCommand(rig.session, command, 9, reply, replyCount), result);
    QCOMPARE(int{replyCount}, count);
    QCOMPARE(rig.clock.nowMs(), std::int64_t{tookMs});
    QCOMPARE(QString::fromStdString(rig.messages.boxes.empty() ? "" : rig.messages.boxes[0].text),
             box);
    const QString monitor = QString::fromStdString(rig.monitor.text());
    const QString commandLine = "SD: F2 00 00 03 43 31 30 03 B0 \r\n";
    // Oversize and garbage replies are too long or too random to spell out.
    if (fault == Fault::Oversize || fault == Fault::Garbage) {
      QVERIFY(monitor.startsWith(commandLine) && monitor.endsWith(monitorEnd));
    } else {
      QCOMPARE(monitor, commandLine + monitorEnd);
    }
  }
};

QTEST_GUILESS_MAIN(SimFaultTest)
#include "sim_fault_test.moc"
