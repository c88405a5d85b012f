// kdx846-sim answers on its terminal whatever its standard input is: closed
// (the terminal must not take descriptor 0 and be read as control lines), an
// empty file, or a file of control lines that it applies and then does
// without.
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "link/frame.h"
#include "link/transaction.h"
#include "support/port_session.h"
#include "support/sim_process.h"
#include "ui/adapters/qt_serial_line.h"

using kdx::OpenError;
using kdx::test::SimProcess;
using kdx::ui::QtSerialLine;

Q_DECLARE_METATYPE(SimProcess::Input)

class SimInputTest : public QObject {
  Q_OBJECT

 private slots:
  void cardStatusAnswered_data() {
    QTest::addColumn<SimProcess::Input>("input");
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<bool>("answered");
    QTest::newRow("closed") << SimProcess::Input::Closed << QString() << true;
    QTest::newRow("empty file") << SimProcess::Input::File << QString() << true;
    QTest::newRow("control lines in a file") << SimProcess::Input::File << "stacker 3\nfault nak\n"
                                             << false;
  }
  void cardStatusAnswered() {
    QFETCH(SimProcess::Input, input);
    QFETCH(QString, fileText);
    QFETCH(bool, answered);
    QTemporaryDir dir;
    const std::string file = dir.filePath("controls").toStdString();
    std::ofstream(file) << fileText.toStdString();

    SimProcess sim;
    sim.setInput(input, file);
    std::string error;
    QVERIFY2(sim.start({}, &error), error.c_str());
    ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
    kdx::test::PortSession port;
    QCOMPARE(port.line.open(1, 9600).error, OpenError::None);
    port.state.linkOpen = true;

    const kdx::Bytes command = kdx::BuildCommand(0, '1', '0');
    kdx::Bytes reply;
    std::int16_t count = 0;
    const int result = kdx::ExecuteCommand(port.session, command, 9, reply, count);
    port.line.close();
    const std::string log = sim.log();
    if (answered) {
      QCOMPARE(result, kdx::kExchangeDone);
      QVERIFY2(count > 0 && reply[0] == 'P', log.c_str());
      QVERIFY(port.messages.boxes.empty());
    } else {
      // The unit answers NAK, as the file told it to.
      QCOMPARE(result, kdx::kExchangeFailed);
      QVERIFY2(log.find("control stacker 3 -> ok") != std::string::npos, log.c_str());
      QVERIFY2(log.find("control fault nak -> ok") != std::string::npos, log.c_str());
    }
    QVERIFY2(log.find("recv ") != std::string::npos, log.c_str());
    QCOMPARE(sim.stop(SIGTERM), 0);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimInputTest)
#include "sim_input_test.moc"
