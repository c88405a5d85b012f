// The decoded traffic window over the in-process simulated unit: opened by
// its shortcut, filled by the buttons, exported as CSV, and without any
// effect on the monitor or its saved log.
#include "ui/traffic/traffic_window.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "link/frame.h"
#include "link/session_file.h"
#include "model/virtual_clock.h"
#include "recording_messages.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

void Click(SimWindow& w, const char* name) {
  w.find<QPushButton>(name)->click();
}

// Card status, a move the unit refuses before INITIALIZE, and card status
// to a unit that has gone silent.
void PressButtons(SimWindow& w) {
  w.find<QCheckBox>("CheckRecord")->setChecked(true);
  Click(w, "CardStatusBtn");
  Click(w, "MoveCardToFront1Btn");
  w.model.setFault(sim::Fault::Silent);
  Click(w, "CardStatusBtn");
  w.model.setFault(sim::Fault::Off);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList Row(QTableView* table, int row) {
  QStringList cells;
  for (int column = 0; column < table->model()->columnCount(); ++column)
    cells << table->model()->index(row, column).data().toString();
  return cells;
}

struct FixedTime final : LocalTimeSource {
  LocalTime now() override { return {2026, 3, 4, 5, 6, 7, 8}; }
};

// A recorder that keeps `limit` rows and a traffic window over it.
struct CappedTraffic {
  sim::VirtualClock clock;
  FixedTime time;
  TrafficRecorder recorder;
  FakeFileDialogs files;
  RecordingMessages messages;
  std::unique_ptr<ui::TrafficWindow> window;
  explicit CappedTraffic(std::size_t limit) : recorder(clock, time, nullptr, limit) {}

  // `count` exchanges, the window taking its events after each.
  void add(int count) {
    for (int i = 0; i < count; ++i) {
      recorder.sent(TrafficSource::Operation, BuildCommand(0, '1', '0'));
      recorder.ended(TrafficEnd::NoReply);
      QApplication::processEvents();
    }
  }
  void open() {
    window = std::make_unique<ui::TrafficWindow>(recorder, files, messages);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  // The number of the exchange shown in the view's first and last rows.
  std::uint64_t shown(bool last) const {
    QTableView* table = window->table();
    const int row = table->rowAt(last ? table->viewport()->height() - 2 : 1);
    return row < 0 ? 0 : recorder.rows()[static_cast<std::size_t>(row)].number;
  }
};

// Ctrl+T on the main window, shown and active.
QWidget* OpenByShortcut(SimWindow& w) {
  w.window->show();
  w.window->activateWindow();
  if (!QTest::qWaitForWindowActive(w.window.get())) return nullptr;
  QTest::keyClick(w.window.get(), Qt::Key_T, Qt::ControlModifier);
  auto* traffic = w.window->findChild<QWidget*>("TrafficWindow");
  return traffic && traffic->isVisible() ? traffic : nullptr;
}

}  // namespace

class TrafficWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void rowsExportAndMonitorUnchanged() {
    QTemporaryDir dir;
    SimWindow w;
    SimWindow plain;
    plain.session.traffic = nullptr;  // the same window without the recorder
    PressButtons(w);
    PressButtons(plain);

    QWidget* traffic = OpenByShortcut(w);
    QVERIFY(traffic);
    QCOMPARE(traffic->accessibleDescription(), "TrafficWindow");
    QVERIFY(traffic->findChild<QLabel*>("TrafficLimitLabel")->text().contains("10,000"));
    auto* table = traffic->findChild<QTableView*>("TrafficTable");
    QCOMPARE(table->model()->rowCount(), 3);
    QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$");
    QVERIFY(time.match(Row(table, 0)[0]).hasMatch());
    QCOMPARE(Row(table, 0).mid(1), QStringList({"Operation", "C10", "Card status", "Positive", "",
                                                "No card in card channel; Enough cards in stacker; "
                                                "The error card bin is not full",
                                                "10"}));
    QCOMPARE(Row(table, 1).mid(1, 6),
             QStringList({"Operation", "C29", "Move card to the front", "Negative",
                          "B0 Not received Initialize command", ""}));
    QCOMPARE(Row(table, 2).mid(1),
             QStringList({"Operation", "C10", "Card status", "No reply", "EOT sent", "", "12000"}));

    w.files.csvAnswer = dir.filePath("traffic.csv");
    traffic->findChild<QPushButton*>("TrafficExportBtn")->click();
    const QList<QByteArray> csv = ReadAll(w.files.csvAnswer).split('\n');
    QCOMPARE(csv.size(), 5);  // header, three rows, nothing after the last CR LF
    QCOMPARE(csv[0],
             "No.,Time,Source,Command,Name,Reply,Detail,Status,Duration (ms),Sent,"
             "Received\r");
    QVERIFY(
        csv[2].contains(",C29,Move card to the front,Negative,"
                        "B0 Not received Initialize command,,"));
    QVERIFY(csv[3].endsWith(",12000,F2 00 00 03 43 31 30 03 B0 04,\r"));

    // The monitor and its saved log are those of the window without rows.
    QCOMPARE(w.find<QPlainTextEdit>("SDTDText")->toPlainText(),
             plain.find<QPlainTextEdit>("SDTDText")->toPlainText());
    w.files.answer = dir.filePath("with.TXT");
    plain.files.answer = dir.filePath("without.TXT");
    Click(w, "SaveSDTDText");
    Click(plain, "SaveSDTDText");
    QVERIFY(!ReadAll(w.files.answer).isEmpty());
    QCOMPARE(ReadAll(w.files.answer), ReadAll(plain.files.answer));

    traffic->findChild<QPushButton*>("TrafficClearBtn")->click();
    QCOMPARE(table->model()->rowCount(), 0);
    QCOMPARE(w.monitor.text(), plain.monitor.text());
  }

  // "Save Session..." (the button, and the monitor's entry without the
  // window open) writes the rows since the last "Clear" as a session file; a
  // folder that takes no file says so in a box and keeps the old file.
  void saveSession() {
    QTemporaryDir dir;
    SimWindow w;
    PressButtons(w);
    w.files.sessionAnswer = dir.filePath("unit.jsonl");
    w.window->saveSessionAction()->trigger();
    SessionFileError why;
    auto file = ReadSessionFile(w.files.sessionAnswer.toStdString(), why);
    QVERIFY2(file, why.text().c_str());
    QCOMPARE(file->exchanges.size(), std::size_t{3});
    QCOMPARE(file->exchanges[1].outcome, std::string("negative"));
    QCOMPARE(file->exchanges[2].outcome, std::string("no-answer"));
    QCOMPARE(file->exchanges[2].host.at(0).bytes, Bytes{kEot});

    QWidget* traffic = OpenByShortcut(w);
    QVERIFY(traffic);
    auto* save = traffic->findChild<QPushButton*>("TrafficSaveSessionBtn");
    QCOMPARE(save->text(), QString("Save Session..."));
    QCOMPARE(save->accessibleDescription(), QString("TrafficSaveSessionBtn"));
    traffic->findChild<QPushButton*>("TrafficClearBtn")->click();
    Click(w, "CardStatusBtn");
    save->click();
    file = ReadSessionFile(w.files.sessionAnswer.toStdString(), why);
    QVERIFY2(file, why.text().c_str());
    QCOMPARE(file->exchanges.size(), std::size_t{1});
    const QByteArray saved = ReadAll(w.files.sessionAnswer);

    w.messages.boxes.clear();
    const QString refused = dir.filePath("missing/unit.jsonl");
    w.files.sessionAnswer = refused;
    save->click();
    QCOMPARE(w.messages.boxes.size(), std::size_t{1});
    QCOMPARE(w.messages.boxes[0].title, std::string("Save Session"));
    QVERIFY(QString::fromStdString(w.messages.boxes[0].text)
                .startsWith("The session could not be written to " + refused));
    QCOMPARE(ReadAll(dir.filePath("unit.jsonl")), saved);
  }

  // The newest row stays in view until the operator scrolls up.
  void followsTheNewestRow() {
    SimWindow w;
    QWidget* traffic = OpenByShortcut(w);
    QVERIFY(traffic);
    auto* table = traffic->findChild<QTableView*>("TrafficTable");
    QScrollBar* bar = table->verticalScrollBar();
    for (int i = 0; i < 60; ++i) Click(w, "CardStatusBtn");
    QApplication::processEvents();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    bar->setValue(0);
    Click(w, "CardStatusBtn");
    QApplication::processEvents();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(table->model()->rowCount(), 61);
  }

  // At the cap of kept rows, where each new row drops the oldest, the view
  // still follows the newest row, and a window opened onto many rows opens
  // on the newest; one scrolled up keeps showing the same rows.
  void followsTheNewestRowAtTheCap() {
    CappedTraffic t(100);
    t.add(150);
    t.open();
    QCOMPARE(t.shown(true), std::uint64_t{150});
    t.add(30);
    QCOMPARE(t.recorder.rows().size(), std::size_t{100});
    QCOMPARE(t.shown(true), std::uint64_t{180});
    QScrollBar* bar = t.window->table()->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const std::uint64_t first = t.shown(false);
    t.add(10);
    QCOMPARE(t.shown(false), first);
    bar->setValue(bar->maximum());  // back at the bottom: following again
    t.add(5);
    QCOMPARE(t.shown(true), std::uint64_t{195});
  }

  // The monitor's context menu offers the window too, and its "Save
  // Session...".
  void monitorContextMenuEntry() {
    SimWindow w;
    auto* monitor = w.find<QPlainTextEdit>("SDTDText");
    QCOMPARE(monitor->actions().size(), 2);
    QCOMPARE(monitor->actions()[0], w.window->trafficAction());
    QCOMPARE(monitor->actions()[1], w.window->saveSessionAction());
    QCOMPARE(monitor->actions()[1]->text(), QString("Save Session..."));
    QCOMPARE(w.window->trafficAction()->shortcut(), QKeySequence("Ctrl+T"));
    w.window->trafficAction()->trigger();
    QVERIFY(w.window->findChild<QWidget*>("TrafficWindow")->isVisible());
  }
};

#include "test_main.h"
KDX_TEST_MAIN(TrafficWindowTest)
#include "traffic_window_test.moc"
