// Every fault mode of kdx846-sim through the window: a press of the button
// goes through the operation, the real serial adapter and a pseudo-terminal
// on real time. Each row checks the box, the monitor and how long the press
// held the window, then switches the fault off and checks that the next
// "Card Status" works. The rows are those of the unit test on virtual time.
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "fault_rows.h"
#include "port_session.h"
#include "sim_process.h"
#include "ui/adapters/qt_serial_line.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

static_assert(kFaultRows[0].fault == sim::Fault::Off, "the first row is the ordinary exchange");

// What the positive "Card Status" reply of the rows (no card, stacker
// full, bin not full) shows.
constexpr std::string_view kCardStatusText =
    "Card Status Success\r\nNo card in card channel\r\nEnough cards in stacker\r\n"
    "The error card bin is not full";

// How much longer than on virtual time a press may take on real time: the
// pseudo-terminal, the simulator's scheduling and the window's own work.
constexpr qint64 kSlackMs = 400;

// The main window on the real serial adapter, connected to kdx846-sim.
struct RealWindow : PortSession {
  DeviceRecords records;
  FakeFileDialogs files;
  ui::ReaderMain window{session, records, files};
};

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

class WindowFaultsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    std::string error;
    QVERIFY2(sim_.start({}, &error), error.c_str());
    setenv("KDX846_COM1", sim_.linkPath().c_str(), 1);
    w_ = std::make_unique<RealWindow>();
    w_->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w_->window));
    QCOMPARE(w_->line.open(1, 9600).error, OpenError::None);
    w_->state.linkOpen = true;
  }
  void cleanupTestCase() { w_.reset(); }

  void faultThroughTheWindow_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<int>("row");  // index into kFaultRows
    const auto add = [](const char* tag, const char* button, std::string_view line,
                        std::string_view mode) {
      for (std::size_t i = 0; i < std::size(kFaultRows); ++i) {
        if (kFaultRows[i].mode == mode) {
          QTest::newRow(tag) << QString(button) << Text(line) << int(i);
        }
      }
    };
    for (const FaultRow& row : kFaultRows) {
      add(row.mode.data(), "CardStatusBtn", kCardStatusLine, row.mode);
    }
    add("nak, the front", "MoveCardToFront1Btn", "SD: F2 00 00 03 43 32 39 03 BA \r\n", "nak");
    add("truncated, Allowed", "AllCardInBtn", "SD: F2 00 00 03 43 33 30 03 B2 \r\n", "truncated");
  }
  void faultThroughTheWindow() {
    QFETCH(QString, button);
    QFETCH(QString, commandLine);
    QFETCH(int, row);
    const FaultRow& f = kFaultRows[row];
    RealWindow& w = *w_;
    QCOMPARE(sim_.control("fault " + std::string(f.mode)), std::string("ok"));

    w.messages.boxes.clear();
    QElapsedTimer took;
    took.start();
    QTest::mouseClick(w.window.findChild<QPushButton*>(button), Qt::LeftButton);
    const qint64 ms = took.elapsed();
    qInfo("press took %lld ms (virtual time: %lld ms)", ms, static_cast<long long>(f.tookMs));

    // The press lasts as long as the path the fault takes, never longer
    // than that path's stated limit.
    QVERIFY2(ms >= f.tookMs - 20 && ms <= f.tookMs + kSlackMs,
             qPrintable(QString("took %1 ms, expected %2").arg(ms).arg(f.tookMs)));
    QVERIFY2(ms <= StatedLimitMs(f) + kSlackMs, qPrintable(QString::number(ms)));

    if (!f.box.empty()) {
      QCOMPARE(w.messages.boxes.size(), std::size_t{1});
      QCOMPARE(w.messages.boxes[0].title, std::string("Caution"));
      QCOMPARE(Text(w.messages.boxes[0].text), Text(f.box));
    } else if (f.result == kExchangeDone) {
      QCOMPARE(w.messages.boxes.size(), std::size_t{1});
      QCOMPARE(w.messages.boxes[0].title, std::string("Card Status"));
      QCOMPARE(Text(w.messages.boxes[0].text), Text(kCardStatusText));
    } else {
      QVERIFY(w.messages.boxes.empty());
    }
    // The transaction's lines, then the operation's closing CR LF.
    const QString monitor = QString::fromStdString(w.monitor.text());
    const QString after = Text(f.monitorAfterCommand) + "\r\n";
    if (f.endOnly) {
      QVERIFY2(monitor.startsWith(commandLine) && monitor.endsWith(after), qPrintable(monitor));
    } else {
      QCOMPARE(monitor, commandLine + after);
    }

    // Fault off: the next press is an ordinary exchange.
    QCOMPARE(sim_.control("fault off"), std::string("ok"));
    w.messages.boxes.clear();
    took.restart();
    QTest::mouseClick(w.window.findChild<QPushButton*>("CardStatusBtn"), Qt::LeftButton);
    QVERIFY2(took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
    QVERIFY(w.state.linkOpen);
    QCOMPARE(w.messages.boxes.size(), std::size_t{1});
    QCOMPARE(Text(w.messages.boxes[0].text), Text(kCardStatusText));
    QCOMPARE(QString::fromStdString(w.monitor.text()),
             Text(kCardStatusLine) + Text(kFaultRows[0].monitorAfterCommand) + "\r\n");
  }

 private:
  SimProcess sim_;
  std::unique_ptr<RealWindow> w_;
};

#include "test_main.h"
KDX_TEST_MAIN(WindowFaultsTest)
#include "window_faults_test.moc"
