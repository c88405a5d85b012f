// A port that vanishes while the link is open (kdx846-sim killed, as a USB
// adapter pulled): the next press names the lost port and closes the link,
// the press after that asks for port setup, the idle window does not spin on
// the dead port, and once the unit is back "Setup Comm", "OK" works again.
#include <signal.h>
#include <time.h>

#include <QDialog>
#include <QPushButton>
#include <QtTest>
#include <cstdlib>

#include "support/port_session.h"
#include "support/recording_messages.h"
#include "support/sim_process.h"
#include "support/window_harness.h"
#include "ui/adapters/qt_serial_line.h"

using namespace kdx;
using kdx::test::SimProcess;

namespace {

double ProcessCpuMs() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The main window over the real serial adapter on COM1.
struct RealWindow : test::PortSession {
  DeviceRecords records;
  test::FakeFileDialogs files;
  ui::ReaderMain window{session, records, files};

  QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }

  // "Setup Comm", then "OK" in the port dialog (closed if "OK" fails).
  void setupComm() {
    test::WhenModal([](QWidget* dialog) {
      dialog->findChild<QPushButton*>("Command1")->click();
      if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
    });
    button("IROpencom")->click();
  }

  const test::RecordingMessages::Box& lastBox() const { return messages.boxes.back(); }
};

}  // namespace

class PortLossTest : public QObject {
  Q_OBJECT

 private slots:
  void lostPortClosesTheLinkUntilSetupAgain() {
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({}, &error), error.c_str());
    ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    RealWindow w;
    w.setupComm();
    QVERIFY(w.state.linkOpen);
    w.button("CardStatusBtn")->click();
    QCOMPARE(w.lastBox().title, std::string("Card Status"));

    QCOMPARE(sim.stop(SIGKILL), 128 + SIGKILL);
    // The hang-up arrives while the window is idle; it must not keep the
    // event loop busy.
    const double cpuBefore = ProcessCpuMs();
    QTest::qWait(500);
    const double cpuIdle = ProcessCpuMs() - cpuBefore;
    QVERIFY2(cpuIdle < 100, qPrintable(QString("idle CPU %1 ms in 500 ms").arg(cpuIdle)));

    const std::size_t boxes = w.messages.boxes.size();
    w.button("CardStatusBtn")->click();
    QCOMPARE(w.messages.boxes.size(), boxes + 1);  // one box, not two
    QCOMPARE(w.lastBox().title, std::string("Caution"));
    QCOMPARE(w.lastBox().icon, Icon::Exclamation);
    QCOMPARE(w.lastBox().text, "Communication port COM1 (" + sim.linkPath() +
                                   ") was lost: Input/output error.\r\n"
                                   "Check the cable and press Setup Comm.");
    QVERIFY(!w.state.linkOpen);
    QVERIFY(!w.line.isOpen());
    // The controls that need the link follow: the console does not open.
    w.button("OpenCmdFormBtn")->click();
    QCOMPARE(w.messages.boxes.size(), boxes + 2);
    QCOMPARE(w.lastBox().text, std::string("Comm. Port Setup First"));

    w.button("CardStatusBtn")->click();
    QCOMPARE(w.messages.boxes.size(), boxes + 3);
    QCOMPARE(w.lastBox().text, std::string("Comm. Port Setup First"));

    // The unit is back on the same path: setup and commands work again.
    QVERIFY2(sim.start({}, &error), error.c_str());
    w.setupComm();
    QVERIFY(w.state.linkOpen);
    QCOMPARE(w.messages.boxes.size(), boxes + 3);
    w.button("CardStatusBtn")->click();
    QCOMPARE(w.lastBox().title, std::string("Card Status"));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(PortLossTest)
#include "port_loss_test.moc"
