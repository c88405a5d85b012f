// The console's runs over the in-process simulator on virtual time: passes,
// repetitions, steps, Resume, Stop, Cancel, the list clearing and the
// refusals before a run.
#include <QtTest>

#include "console_fakes.h"
#include "device_fakes.h"
#include "sim_rig.h"

using namespace kdx;
using namespace kdx::test;

namespace {

// A console over the simulated unit; `frames` collects the command frames
// the unit received, `eots` the EOTs.
struct SimConsole : SimRig, ConsoleRig {
  std::vector<std::string> frames;
  int eots = 0;

  SimConsole() : ConsoleRig(session) {
    model.onTrace = [this](std::string_view line) {
      if (line.rfind("frame ", 0) == 0) frames.emplace_back(line.substr(6));
      if (line.rfind("host EOT", 0) == 0) ++eots;
    };
  }
  void script(std::string text, std::string repeat = "1") {
    view.script = std::move(text);
    view.repeat = std::move(repeat);
  }
  // The command codes and parameters of the frames sent, "10 11 10".
  QString sentCodes() const {
    QStringList codes;
    for (const auto& f : frames) codes << QString::fromStdString(f.substr(15, 2) + f.substr(18, 2));
    return codes.join(' ');
  }
  QString boxTexts() const {
    QStringList texts;
    for (const auto& b : messages.boxes) texts << QString::fromStdString(b.title + "/" + b.text);
    return texts.join('|');
  }
  bool buttonsAre(ButtonState state) const {
    return !view.buttons.empty() && SameButtons(view.buttons.back(), ButtonsFor(state));
  }
  QString labelWrites(ConsoleLabel label) {
    QStringList writes;
    for (const auto& text : view.labels[label]) writes << QString::fromStdString(text);
    return writes.join(',');
  }
};

QStringList Lines(const std::vector<std::string>& lines) {
  QStringList out;
  for (const auto& l : lines) out << QString::fromLatin1(l.c_str());
  return out;
}

}  // namespace

class ConsoleRunTest : public QObject {
  Q_OBJECT
 private slots:
  // The initial script with address 0: its frame, both lists and the state.
  void initialScript() {
    SimConsole c;
    StartRun(c.context);
    QCOMPARE(QString::fromStdString(c.frames.at(0)), "F2 00 00 03 43 30 34 03 B5");
    QCOMPARE(c.view.script, "C04");
    const QStringList history = Lines(c.view.history);
    QCOMPARE(history.mid(0, 5),
             QStringList({"--------------------------------------- Command "
                          "---------------------------------------",
                          "[2026/03/04      05:06:07:8]", "Command:30h,  Parameter:34h",
                          "Data(Hex):<No data>", ""}));
    QCOMPARE(history.at(5),
             "----------------------------------------- Reply "
             "-----------------------------------------");
    QCOMPARE(history.at(6), "[2026/03/04      05:06:07:9]");
    QCOMPARE(history.at(7), "Reply type=<Positive reply>");
    QVERIFY(history.at(8).startsWith("Command:30h,  Parameter:34h Status code:"));
    const QStringList traffic = Lines(c.view.traffic);
    QCOMPARE(traffic.size(), 5);
    QCOMPARE(traffic.at(0), "SD: F2 00 00 03 43 30 34 03 B5 ");
    QCOMPARE(traffic.at(1), "RD: 06");
    QVERIFY(traffic.at(2).startsWith("RD: F2 00 00 "));
    QCOMPARE(traffic.mid(3), QStringList({"SD: 06", ""}));
    QCOMPARE(QString::fromStdString(c.view.receivedBuffer), "SD: 06");
    // The sent-line buffer holds the last data line built: the reply's.
    QCOMPARE(QString::fromStdString(c.view.sentBuffer), history.at(9));
    QVERIFY(history.at(9).startsWith("Data(Hex):"));
    QVERIFY(c.buttonsAre(ButtonState::Finished));
    QCOMPARE(c.consoleState.mode, RunMode::Continuous);
    QCOMPARE(c.view.highlighted, -1);
    QCOMPARE(c.model.exchangesCompleted(), 1);
    QVERIFY(c.messages.boxes.empty());
  }

  void twoLinesThreeTimes() {
    SimConsole c;
    c.script("C10\r\n\r\nC11\r\n", "3");
    StartRun(c.context);
    QCOMPARE(c.sentCodes(), "3130 3131 3130 3131 3130 3131");
    QCOMPARE(c.labelWrites(ConsoleLabel::Remaining), "0,3,2,1,0");
    QCOMPARE(c.view.label(ConsoleLabel::Lines), " 2");
    QCOMPARE(c.view.script, "C10\r\nC11");
    QVERIFY(c.buttonsAre(ButtonState::Finished));
    QCOMPARE(c.consoleState.currentLine, 0);
  }

  // Single steps through one pass and into the next, then Resume finishes.
  void stepsThenResume() {
    SimConsole c;
    c.script("C10\r\nC11", "2");
    StepRun(c.context);
    QCOMPARE(c.sentCodes(), "3130");
    QCOMPARE(c.view.highlighted, 1);  // the line the next click executes
    QCOMPARE(c.view.label(ConsoleLabel::Remaining), "2");
    QCOMPARE(c.view.label(ConsoleLabel::Steps), " 1");
    QVERIFY(c.buttonsAre(ButtonState::Paused));
    StepRun(c.context);
    QCOMPARE(c.view.label(ConsoleLabel::Remaining), "1");  // one pass completed
    QCOMPARE(c.view.label(ConsoleLabel::Steps), " 0");
    QCOMPARE(c.view.label(ConsoleLabel::CurrentLine), " 1");
    QCOMPARE(c.view.label(ConsoleLabel::RepeatCount), " 2");
    QCOMPARE(c.view.label(ConsoleLabel::RemainingNumber), " 2");
    QCOMPARE(c.view.highlighted, -1);
    QCOMPARE(c.consoleState.currentLine, 0);
    StepRun(c.context);
    QCOMPARE(c.consoleState.currentLine, 1);
    const auto before = c.clock.nowMs();
    ResumeRun(c.context);
    QCOMPARE(c.sentCodes(), "3130 3131 3130 3131");
    QCOMPARE(c.consoleState.mode, RunMode::Step);  // Resume keeps it
    QCOMPARE(c.view.label(ConsoleLabel::Remaining), "0");
    QVERIFY(c.buttonsAre(ButtonState::Finished));
    QVERIFY(c.clock.nowMs() - before < 200);  // no step delay in a resumed run
    // Each step waited 200 ms before its command.
    QVERIFY(before >= 3 * 200);
  }

  // A line starting with "#" or a blank ends a continuous run, and is
  // skipped by a step.
  void commentAndBlankLines_data() {
    QTest::addColumn<QString>("marked");
    QTest::newRow("hash") << "#C11";
    QTest::newRow("blank") << " C11";
    QTest::newRow("blanks only") << "   ";
  }
  void commentAndBlankLines() {
    QFETCH(QString, marked);
    SimConsole run;
    run.script("C10\r\n" + marked.toStdString() + "\r\nC12");
    StartRun(run.context);
    QCOMPARE(run.sentCodes(), "3130");
    QVERIFY(run.buttonsAre(ButtonState::Finished));
    QCOMPARE(run.view.highlighted, -1);

    SimConsole step;
    step.script("C10\r\n" + marked.toStdString() + "\r\nC12");
    for (int i = 0; i < 3; ++i) StepRun(step.context);
    QCOMPARE(step.sentCodes(), "3130 3132");
    QVERIFY(step.buttonsAre(ButtonState::Finished));
  }

  void stopMidRun() {
    SimConsole c;
    c.script("C10\r\nC11\r\nC12");
    c.onEvents = [&c] {
      if (c.eventRounds == 2) StopRun(c.context);
    };
    StartRun(c.context);
    QCOMPARE(c.sentCodes(), "3130");  // the command in progress completed
    QCOMPARE(c.boxTexts(), "Caution/Stop communication process");
    const QStringList history = Lines(c.view.history);
    QCOMPARE(history.mid(history.size() - 5),
             QStringList({"----------------------------------------- Reply "
                          "-----------------------------------------",
                          history.at(history.size() - 4), "Reply type='User Stop'", "", ""}));
    QCOMPARE(c.view.traffic.back(), "");
    QCOMPARE(c.view.label(ConsoleLabel::Remaining), "0");
    QCOMPARE(c.eots, 0);
    QVERIFY(c.buttonsAre(ButtonState::Finished));
  }

  void cancelMidRun() {
    SimConsole c;
    c.script("C10\r\nC11\r\nC12", "5");
    c.onEvents = [&c] {
      if (c.eventRounds == 3) CancelRun(c.context);
    };
    StartRun(c.context);
    QCOMPARE(c.sentCodes(), "3130 3131");
    QCOMPARE(c.eots, 1);
    QCOMPARE(c.view.traffic.back(), "SD: 04");
    QCOMPARE(c.boxTexts(), "Caution/Cancel communication process");
    QCOMPARE(c.view.label(ConsoleLabel::Remaining), "0");
    QCOMPARE(c.view.highlighted, -1);
    QVERIFY(c.buttonsAre(ButtonState::Finished));
  }

  // Stop and Cancel between steps only set the buttons; Cancel ends the run.
  void stopAndCancelWhilePaused() {
    SimConsole c;
    c.script("C10\r\nC11", "3");
    StepRun(c.context);
    StopRun(c.context);
    QVERIFY(c.buttonsAre(ButtonState::Idle));
    QCOMPARE(c.view.label(ConsoleLabel::Remaining), "3");
    CancelRun(c.context);
    QCOMPARE(c.view.label(ConsoleLabel::Remaining), "0");
    // The next click starts a new run of three passes at the line after the
    // first; the step counter, kept, completes a pass with it.
    StepRun(c.context);
    QCOMPARE(QString::fromStdString(c.view.label(ConsoleLabel::Remaining)), "2");
    QCOMPARE(c.sentCodes(), "3130 3131");
    QCOMPARE(c.eots, 0);
  }

  void clearsFullLists() {
    SimConsole c;
    c.view.history.assign(501, "old");
    c.view.traffic.assign(500, "old");
    StartRun(c.context);
    QCOMPARE(c.view.history.front().substr(0, 10), std::string(10, '-'));
    QCOMPARE(c.view.traffic.size(), std::size_t{505});  // 500 is not more than 500
  }

  void negativeReplyExplainedOnlyInSteps() {
    SimConsole run;
    run.script("CZ0");
    StartRun(run.context);
    QVERIFY(run.messages.boxes.empty());
    QCOMPARE(Lines(run.view.history).at(7), "Reply type=<Negative reply>");
    QCOMPARE(Lines(run.view.history).at(8), "Command:5Ah,  Parameter:30h Status code:00\x03");

    SimConsole step;
    step.script("CZ0");
    StepRun(step.context);
    QCOMPARE(step.boxTexts(), "Negative response:00/A given command code is unidentified");
  }

  // Refusals before anything is sent: the message, nothing on the line, and
  // the buttons as they were.
  void refusedBeforeRun_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QString>("box");
    QTest::newRow("count zero") << "C10"
                                << "0"
                                << "Caution/The Value should > 0";
    QTest::newRow("count not a number") << "C10"
                                        << "many"
                                        << "Caution/The Value should > 0";
    QTest::newRow("256 lines") << QString("C10\r\n").repeated(256) << "1"
                               << "Caution/Error:Please Check The Data Effective";
  }
  void refusedBeforeRun() {
    QFETCH(QString, script);
    QFETCH(QString, repeat);
    QFETCH(QString, box);
    for (auto press : {&StartRun, &StepRun, &ResumeRun}) {
      SimConsole c;
      c.script(script.toStdString(), repeat.toStdString());
      press(c.context);
      QCOMPARE(c.boxTexts(), box);
      QVERIFY(c.frames.empty());
      QCOMPARE(c.view.buttons.size(), std::size_t{1});  // only the loaded state
      QCOMPARE(QString::fromStdString(c.view.script), script);
    }
  }

  void scriptOf255LinesRuns() {
    SimConsole c;
    c.script(QString("C10\r\n").repeated(255).toStdString());
    StartRun(c.context);
    QCOMPARE(c.frames.size(), std::size_t{255});
    QCOMPARE(c.view.label(ConsoleLabel::Lines), " 255");
  }

  // A line that cannot be framed ends the run there, before it is sent.
  void unframableLineEndsRun_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("pair above FF") << "C1$GG";
    QTest::newRow("dangling dollar") << "C1$";
    QTest::newRow("too long") << QString(1020, 'C');
  }
  void unframableLineEndsRun() {
    QFETCH(QString, line);
    SimConsole run;
    run.script("C10\r\n" + line.toStdString() + "\r\nC11", "2");
    StartRun(run.context);
    QCOMPARE(run.sentCodes(), "3130");
    QCOMPARE(run.boxTexts(), "Caution/Error:Please Check The Data Effective");
    QVERIFY(run.buttonsAre(ButtonState::Finished));
    QCOMPARE(run.view.highlighted, -1);

    SimConsole step;
    step.script("C10\r\n" + line.toStdString() + "\r\nC11", "2");
    StepRun(step.context);
    StepRun(step.context);
    QCOMPARE(step.sentCodes(), "3130");
    QCOMPARE(step.boxTexts(), "Caution/Error:Please Check The Data Effective");
    QVERIFY(step.buttonsAre(ButtonState::Finished));
    QCOMPARE(step.view.label(ConsoleLabel::Remaining), "0");
  }

  void emptyScriptFinishes() {
    for (auto press : {&StartRun, &StepRun}) {
      SimConsole c;
      c.script("\r\n\r\n");
      press(c.context);
      QVERIFY(c.frames.empty());
      QVERIFY(c.messages.boxes.empty());
      QVERIFY(c.buttonsAre(ButtonState::Finished));
    }
  }

  void linkClosed() {
    SimConsole c;
    c.SimRig::state.linkOpen = false;
    for (auto press : {&StepRun, &StopRun, &CancelRun}) press(c.context);
    QCOMPARE(c.boxTexts(),
             "caution/Please Connect ICRW First|caution/Please Connect ICRW First|"
             "caution/Please Connect ICRW First");
    c.messages.boxes.clear();
    StartRun(c.context);
    QCOMPARE(c.boxTexts(), "caution/Please Connect ICRW First");
    QVERIFY(c.frames.empty());
    // The operator is not left with a run that no button can end.
    QVERIFY(c.buttonsAre(ButtonState::Finished));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ConsoleRunTest)
#include "console_run_test.moc"
