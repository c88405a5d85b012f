// A session saved from the window ("Save Session..." in the monitor's
// context menu) replays: the window connected to kdx846-sim --replay of it
// shows the same boxes for the same buttons as against the original unit.
#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>

#include "link/session_file.h"
#include "port_session.h"
#include "sim_process.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

// The main window on the real serial adapter, connected to COM1.
struct RealWindow : PortSession {
  DeviceRecords records;
  FakeFileDialogs files;
  ui::ReaderMain window{session, records, files};
  RealWindow() {
    line.open(1, 9600);
    state.linkOpen = true;
  }
};

// Card status, a move the unit refuses before INITIALIZE, the card types,
// card entry allowed and prohibited.
const char* const kButtons[] = {"CardStatusBtn", "MoveCardToFront1Btn", "RFTestTypeCmd",
                                "ICTestTypeCmd", "AllCardInBtn",        "NoCardInBtn",
                                "CardStatusBtn"};

// Each button's boxes as "title: text", in order.
QStringList PressAll(RealWindow& w) {
  QStringList boxes;
  for (const char* name : kButtons) {
    w.messages.boxes.clear();
    auto* button = w.window.findChild<QPushButton*>(name);
    if (!button) return {QString("no button ") + name};
    button->click();
    for (const auto& box : w.messages.boxes)
      boxes << QString(name) + " -> " + QString::fromStdString(box.title + ": " + box.text);
  }
  return boxes;
}

}  // namespace

class WindowSessionTest : public QObject {
  Q_OBJECT
 private slots:
  void savedSessionReplays() {
    QTemporaryDir dir;
    SimProcess original;
    std::string error;
    QVERIFY2(original.start({"--latency", "2", "--place", "rf"}, &error), error.c_str());
    setenv("KDX846_COM1", original.linkPath().c_str(), 1);
    QStringList expected;
    const QString path = dir.filePath("window.jsonl");
    {
      RealWindow w;
      expected = PressAll(w);
      w.files.sessionAnswer = path;
      w.window.saveSessionAction()->trigger();
      QVERIFY(w.messages.boxes.empty() || w.messages.boxes.back().title != "Save Session");
    }
    QVERIFY(expected.size() >= static_cast<int>(std::size(kButtons)));
    QVERIFY(expected.join('\n').contains("Negative") || expected.join('\n').contains("B0"));
    SessionFileError why;
    const auto file = ReadSessionFile(path.toStdString(), why);
    QVERIFY2(file, why.text().c_str());
    QCOMPARE(file->exchanges.size(), std::size(kButtons));
    QCOMPARE(file->header.port, std::string());  // opened here without the port dialog

    SimProcess replay;
    QVERIFY2(replay.start({"--replay", path.toStdString()}, &error), error.c_str());
    setenv("KDX846_COM1", replay.linkPath().c_str(), 1);
    RealWindow again;
    QCOMPARE(PressAll(again), expected);
    QCOMPARE(QString::fromStdString(replay.log()).count("answered by recorded exchange"),
             static_cast<int>(std::size(kButtons)));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(WindowSessionTest)
#include "window_session_test.moc"
