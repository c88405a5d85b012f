// The contactless walk-through of the demo against kdx846-sim started as
// scripts/demo starts it, through the real serial adapter.
#include <QtTest>

#include "port_session.h"
#include "rf_fakes.h"
#include "sim_process.h"

using namespace kdx;
using namespace kdx::test;

class RfDemoTest : public QObject {
  Q_OBJECT
 private slots:
  void activateCheckAndReadAtOnce() {
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({"--card", "20/10", "--place", "rf"}, &error), error.c_str());
    setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    PortSession port;
    QCOMPARE(port.line.open(1, 9600), OpenError::None);
    port.state.linkOpen = true;
    FakeRfView view;
    RfContext context{port.session, view};
    auto press = [&](std::string_view name) {
      return RunRfOperation(context, *FindRfOperation(name));
    };

    QCOMPARE(press("RFCardUPBtn"), CommandOutcome::Positive);
    QCOMPARE(port.messages.boxes.back().text,
             std::string("The RF Card is activated\r\nMifare one S50 card"));
    QCOMPARE(view.fields.back().mifareUid, std::string("A1B2C301"));
    QCOMPARE(press("RFCheckPasswordBtn"), CommandOutcome::Positive);
    QCOMPARE(port.messages.boxes.back().text, std::string("Check Password\r\nExecute OK\r\n9000"));
    QCOMPARE(press("RFreadBtn"), CommandOutcome::Positive);
    QCOMPARE(port.messages.boxes.back().text, std::string("Read block data\r\nExecute OK\r\n9000"));
    QCOMPARE(view.block.text(15), std::string("00"));

    // Another card laid at the station on the simulator's standard input.
    QCOMPARE(sim.control("card -/typea"), std::string("ok"));
    QCOMPARE(sim.control("place rf"), std::string("ok"));
    QCOMPARE(press("RFCardUPBtn"), CommandOutcome::Positive);
    view.in.apduA = "0084000008";
    QCOMPARE(press("SendTypeACmd"), CommandOutcome::Positive);
    QCOMPARE(view.responseA.size(), std::size_t{20});
    port.line.close();
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RfDemoTest)
#include "rf_demo_test.moc"
