// The CPU card and SAM operations over the real serial adapter against
// kdx846-sim: the card chosen on its command line, a SAM taken out on its
// standard input.
#include <QtTest>

#include "cpu_card_fakes.h"
#include "support/port_session.h"
#include "support/sim_process.h"

using namespace kdx;
using namespace kdx::test;

class SimCpuSamE2eTest : public QObject {
  Q_OBJECT

 private slots:
  void emvRefusingCardAndSamSocket() {
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({"--card", "isocpu/-"}, &error), error.c_str());
    ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    CpuCardRig<PortSession> port;
    QCOMPARE(port.line.open(1, 9600), OpenError::None);
    port.state.linkOpen = true;

    // Initialize, then a card from the stacker to the IC station.
    QCOMPARE(RunCommand(port.session, '0', '0', ByteView(), nullptr), CommandOutcome::Positive);
    QCOMPARE(RunCommand(port.session, '2', '1', ByteView(), nullptr), CommandOutcome::Positive);
    QCOMPARE(port.press(CpuCardWindow::Cpu, "CPUColdResetBtn"), CommandOutcome::Negative);
    QCOMPARE(port.messages.boxes.back().title, std::string("Negative response:69"));
    QVERIFY(port.messages.boxes.back().text.ends_with("\r\nT=1"));
    QCOMPARE(port.view.resetText, std::string("3F96188131FE4549534F2D543198"));
    port.view.in.emvActivation = false;
    QCOMPARE(port.press(CpuCardWindow::Cpu, "CPUColdResetBtn"), CommandOutcome::Positive);
    QCOMPARE(port.messages.boxes.back().text, std::string("Cold Reset Success(T=1)"));

    QCOMPARE(sim.control("sam 1 out"), std::string("ok"));
    QCOMPARE(port.press(CpuCardWindow::Sam, "SelectSamCmd"), CommandOutcome::Negative);
    QCOMPARE(port.messages.boxes.back().title, std::string("Negative response:02"));
    port.view.in.socketText = "SAM 2";
    QCOMPARE(port.press(CpuCardWindow::Sam, "SelectSamCmd"), CommandOutcome::Positive);
    QCOMPARE(port.press(CpuCardWindow::Sam, "SimColdReset"), CommandOutcome::Positive);
    QCOMPARE(port.view.resetText, std::string("3B868131FE4553414D32543185"));
    port.line.close();
  }
};

#include "test_main.h"
KDX_TEST_MAIN(SimCpuSamE2eTest)
#include "sim_cpu_sam_test.moc"
