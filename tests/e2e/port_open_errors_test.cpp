// "OK" in the port dialog on paths that are no serial port, through the real
// serial adapter: every failure shows a box naming the path and the reason,
// none hangs, and the link stays closed with the dialog open. Also a unit
// that vanishes during the unit check.
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/recording_messages.h"
#include "support/sim_process.h"
#include "ui/adapters/qt_serial_line.h"
#include "ui/link/port_setup_dialog.h"

using namespace kdx;
using kdx::test::SimProcess;

namespace {

struct RealSession {
  SteadyClock clock;
  ui::QtSerialLine line;
  test::RecordingMessages messages;
  Monitor monitor;
  LinkState state;
  Session session{line, clock, messages, monitor, state};
};

// Presses "OK" with COM1 pointing at `path`; returns how long it took.
qint64 PressOk(ui::PortSetupDialog& dialog, const std::string& path) {
  ::setenv("KDX846_COM1", path.c_str(), 1);
  QElapsedTimer timer;
  timer.start();
  dialog.findChild<QPushButton*>("Command1")->click();
  return timer.elapsed();
}

}  // namespace

class PortOpenErrorsTest : public QObject {
  Q_OBJECT

 private slots:
  void notASerialPort_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");  // empty: the text is the missing-port one
    QTest::newRow("regular file") << "file"
                                  << "it is a regular file, not a serial port";
    QTest::newRow("FIFO") << "fifo"
                          << "it is a FIFO (named pipe), not a serial port";
    QTest::newRow("directory") << "dir"
                               << "it is a directory, not a serial port";
    QTest::newRow("/dev/null") << "null"
                               << "not a serial port (Inappropriate ioctl for device)";
    QTest::newRow("missing") << "missing"
                             << "";
  }
  void notASerialPort() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::string path = dir.filePath(kind).toStdString();
    if (kind == "file") {
      QFile file(QString::fromStdString(path));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("not a port\n");
    } else if (kind == "fifo") {
      QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
    } else if (kind == "dir") {
      QVERIFY(QDir().mkdir(QString::fromStdString(path)));
    } else if (kind == "null") {
      path = "/dev/null";
    }

    RealSession s;
    ui::PortSetupDialog dialog(s.session);
    dialog.show();
    const qint64 took = PressOk(dialog, path);
    QVERIFY2(took < 2000, qPrintable(QString("%1 ms").arg(took)));
    QCOMPARE(s.messages.boxes.size(), std::size_t{1});
    const auto& box = s.messages.boxes[0];
    QCOMPARE(box.title, std::string("Caution"));
    QCOMPARE(box.icon, Icon::Exclamation);
    const std::string expected =
        reason.isEmpty() ? "Comm Port Selection Invalid, Please Select Right Comm. Port\r\nCOM1 (" +
                               path + "): No such file or directory"
                         : "Communication port COM1 (" + path +
                               ") could not be opened: " + reason.toStdString() + ".";
    QCOMPARE(box.text, expected);
    QVERIFY(!s.state.linkOpen);
    QVERIFY(!s.line.isOpen());
    QVERIFY(dialog.isVisible());
  }

  void unitVanishesDuringTheCheck() {
    SimProcess sim;
    std::string error;
    QVERIFY2(sim.start({"--fault", "silent"}, &error), error.c_str());
    RealSession s;
    ui::PortSetupDialog dialog(s.session);
    dialog.show();
    const pid_t pid = sim.pid();
    std::thread killer([pid] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      ::kill(pid, SIGKILL);
    });
    const qint64 took = PressOk(dialog, sim.linkPath());
    killer.join();
    QVERIFY2(took < 2000, qPrintable(QString("%1 ms").arg(took)));
    QCOMPARE(s.messages.boxes.size(), std::size_t{1});
    QCOMPARE(s.messages.boxes[0].text, "Communication port COM1 (" + sim.linkPath() +
                                           ") was lost during the unit check: Input/output "
                                           "error.\r\nCheck the cable and press OK again.");
    QVERIFY(!s.state.linkOpen);
    QVERIFY(!s.line.isOpen());
    QVERIFY(dialog.isVisible());
  }
};

#include "test_main.h"
KDX_TEST_MAIN(PortOpenErrorsTest)
#include "port_open_errors_test.moc"
