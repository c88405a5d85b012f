// The port dialog's "OK" and scan against kdx846-sim on a pseudo-terminal,
// through the real serial adapter and the COMn names of the environment.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <cstdlib>

#include "link/operation.h"
#include "port_session.h"
#include "recording_messages.h"
#include "sim_process.h"
#include "ui/adapters/qt_serial_line.h"
#include "ui/link/port_setup_dialog.h"

using namespace kdx;
using kdx::test::RecordingMessages;
using kdx::test::SimProcess;

namespace {

// Points every COMn at a path that does not exist, then `port` at the link.
void RouteOnly(int port, const std::string& link) {
  for (int n = 1; n <= 16; ++n) {
    const std::string name = "KDX846_COM" + std::to_string(n);
    const std::string path = n == port ? link : "/nonexistent/kdx846-port-" + std::to_string(n);
    setenv(name.c_str(), path.c_str(), 1);
  }
}

using RealSession = test::PortSession;

}  // namespace

class WindowPortTest : public QObject {
  Q_OBJECT
 private slots:
  void okConnectsThenCommandsRun() {
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({}, &error), error.c_str());
    RouteOnly(1, sim.linkPath());
    RealSession s;
    ui::PortSetupDialog dialog(s.session);
    QVERIFY(dialog.findChild<QLabel*>("PortPath")
                ->text()
                .contains(QString::fromStdString(sim.linkPath())));
    dialog.findChild<QPushButton*>("Command1")->click();
    QVERIFY(s.messages.boxes.empty());
    QVERIFY(s.state.linkOpen);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(
        s.monitor.text().starts_with("SD: F2 00 00 03 43 31 30 03 B0 \r\nRD: 06\r\nRD: F2 00 "));

    // The link now carries an ordinary command.
    Reply reply;
    QCOMPARE(Transact(s.session, '1', '0', {}, reply), CommandOutcome::Positive);
    QCOMPARE(reply.at(1), std::uint8_t{'1'});

    // A silent unit makes "OK" fail and leaves the link closed.
    QCOMPARE(sim.control("fault silent"), std::string("ok"));
    dialog.findChild<QPushButton*>("Command1")->click();
    QVERIFY(!s.state.linkOpen);
    QVERIFY(!s.line.isOpen());
    QVERIFY(s.messages.boxes.back().text.starts_with("Unit not detected"));
  }

  void okReportsAMissingPort() {
    RouteOnly(0, "");
    RealSession s;
    ui::PortSetupDialog dialog(s.session);
    dialog.findChild<QComboBox*>("PortCombo")->setCurrentText("COM4");
    dialog.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(s.messages.boxes.size(), std::size_t{1});
    QCOMPARE(s.messages.boxes[0].text,
             std::string("Comm Port Selection Invalid, Please Select Right Comm. Port\r\n"
                         "COM4 (/nonexistent/kdx846-port-4): No such file or directory"));
    QVERIFY(!s.state.linkOpen);
  }

  void scanFindsTheUnitOnCom2At38400() {
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({"--baud", "38400"}, &error), error.c_str());
    RouteOnly(2, sim.linkPath());
    RealSession s;
    ui::PortSetupDialog dialog(s.session);
    dialog.toggleFold();
    QElapsedTimer timer;
    timer.start();
    dialog.findChild<QPushButton*>("Command3")->click();
    QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(),
             QString("Found KDX-846 AT COM2 Baut Rate 38400"));
    QCOMPARE(dialog.findChild<QComboBox*>("PortCombo")->currentText(), QString("COM2"));
    QCOMPARE(dialog.findChild<QComboBox*>("BaudCombo")->currentText(), QString("38400 bits/s"));
    QVERIFY(s.line.isOpen());
    // Two wrong rates cost their 250 ms each; missing ports cost nothing.
    QVERIFY2(timer.elapsed() >= 500 && timer.elapsed() < 5000,
             qPrintable(QString::number(timer.elapsed())));
    // "OK" confirms what the scan found.
    dialog.findChild<QPushButton*>("Command1")->click();
    QVERIFY(s.state.linkOpen);
    QVERIFY(s.messages.boxes.empty());
  }

  void scanFindsNothing() {
    RouteOnly(0, "");
    RealSession s;
    ui::PortSetupDialog dialog(s.session);
    dialog.findChild<QPushButton*>("Command3")->click();
    QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), QString("No Found KDX-846"));
    QVERIFY(!s.line.isOpen());
  }
};

#include "test_main.h"
KDX_TEST_MAIN(WindowPortTest)
#include "window_port_test.moc"
