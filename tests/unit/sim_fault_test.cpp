// Each fault mode of the simulated device driven through ExecuteCommand on
// virtual time, into the failure path the transaction takes for it: result,
// reply count, message box, monitor lines and how long the exchange lasted.
// The rows are shared with the end-to-end test through the window.
#include <QtTest>

#include "link/frame.h"
#include "link/transaction.h"
#include "support/fault_rows.h"
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
    QTest::addColumn<bool>("endOnly");
    for (const kdx::test::FaultRow& row : kdx::test::kFaultRows) {
      QTest::newRow(row.mode.data()) << row.fault << row.result << row.replyCount << int(row.tookMs)
                                     << QString::fromUtf8(row.box)
                                     << QString::fromUtf8(row.monitorAfterCommand) << row.endOnly;
    }
  }
  void faultTakesItsPath() {
    QFETCH(Fault, fault);
    QFETCH(int, result);
    QFETCH(int, count);
    QFETCH(int, tookMs);
    QFETCH(QString, box);
    QFETCH(QString, monitorEnd);
    QFETCH(bool, endOnly);
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
    const QString commandLine = QString::fromUtf8(kdx::test::kCardStatusLine);
    if (endOnly) {
      QVERIFY(monitor.startsWith(commandLine) && monitor.endsWith(monitorEnd));
    } else {
      QCOMPARE(monitor, commandLine + monitorEnd);
    }
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimFaultTest)
#include "sim_fault_test.moc"
