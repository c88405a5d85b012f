// A device that keeps sending while no command runs (a wrong unit on the
// port, line noise): the connected tool's memory stays flat however long it
// lasts, and the next command still works.
#include <QtTest>
#include <cstdlib>

#include "link/frame.h"
#include "link/operation.h"
#include "support/port_session.h"
#include "support/process_memory.h"
#include "support/sim_process.h"
#include "ui/adapters/qt_serial_line.h"

using namespace kdx;
using kdx::test::SimProcess;

class PortFloodTest : public QObject {
  Q_OBJECT

 private slots:
  void idleFloodKeepsMemoryFlat() {
    constexpr int kRate = 1'000'000;  // bytes per second
    constexpr int kSeconds = 10;
    constexpr long kGrowthLimitKb = 10 * 1024;

    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({}, &error), error.c_str());
    ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    test::PortSession port;
    QVERIFY(port.line.open(1, 9600).ok());
    port.state.linkOpen = true;
    Reply reply;
    QCOMPARE(Transact(port.session, '1', '0', {}, reply), CommandOutcome::Positive);

    const long before = test::ResidentKb();
    QVERIFY(before > 0);
    QCOMPARE(sim.control("flood " + std::to_string(kRate) + " " + std::to_string(kSeconds)),
             std::string("ok"));
    // The event loop runs, as in the idle window: the port reads what comes.
    QTest::qWait(kSeconds * 1000 + 300);
    const long growth = test::ResidentKb() - before;
    QVERIFY2(growth < kGrowthLimitKb, qPrintable(QString("grew by %1 kB").arg(growth)));
    QTRY_VERIFY_WITH_TIMEOUT(sim.log().find("flood ended") != std::string::npos, 2000);

    // Whatever of the noise was kept is discarded by the next command.
    QCOMPARE(Transact(port.session, '1', '0', {}, reply), CommandOutcome::Positive);
    QVERIFY(port.messages.boxes.empty());
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(PortFloodTest)
#include "port_flood_test.moc"
