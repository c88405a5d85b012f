// The sequence every device-management button shares: link check, monitor
// prologue, the exchange, negative replies, link failures and the closing
// CR LF, run for each operation from one table.
#include <QtTest>
#include <functional>

#include "device_fakes.h"
#include "link/reply_catalogue.h"

using namespace kdx;
using namespace kdx::test;

namespace {

struct Operation {
  const char* control;   // the button's name in the operation table
  Bytes frame;           // what goes on the line at address 0
  std::string positive;  // a positive reply's text
  std::string title;     // of the box confirming it; empty: a dialog confirms it
  std::string text;
};

// In the reply texts "\242" to "\245" are the command codes A2 to A5, in
// octal so that the digits after them stay digits.
std::vector<Operation> Operations() {
  const std::string front = "Move card to the front";
  const std::string hold = "Move card to the front with hold card";
  const std::string rf = "Move card to RF card operation position";
  const std::string ic = "Move card to IC card operation position";
  const std::string bin = "Move card to the error card bin";
  return {
      {"ReaderResetBtn", Hex("F2 00 00 03 43 30 30 03 B1"), "P00000KDX V1.0", "Reset",
       "Reset success\r\nKDX V1.0"},
      {"CardStatusBtn", Hex("F2 00 00 03 43 31 30 03 B0"), "P10000", "Card Status",
       "Card Status Success\r\nNo card in card channel\r\nNo card in stacker\r\n"
       "The error card bin is not full"},
      {"SensorStatusBtn", Hex("F2 00 00 03 43 31 31 03 B1"), "P11000000000000000", "", ""},
      {"RFTestTypeCmd", Hex("F2 00 00 03 43 50 31 03 D0"), "PP100012", "Test RF Type",
       "Test RF Type Complete\r\nUltralight card"},
      {"ICTestTypeCmd", Hex("F2 00 00 03 43 50 30 03 D1"), "PP000020", "Test IC Type",
       "Test IC Type Complete\r\nSLE4442 Card"},
      {"MoveCardToFront1Btn", Hex("F2 00 00 03 43 32 39 03 BA"), "P29000", front,
       front + " success"},
      {"MoveCardToFront2Btn", Hex("F2 00 00 03 43 32 30 03 B3"), "P20000", hold, hold + " success"},
      {"MoveCardToRFBtn", Hex("F2 00 00 03 43 32 32 03 B1"), "P22000", rf, rf + " success"},
      {"MoveCardToICCBtn", Hex("F2 00 00 03 43 32 31 03 B2"), "P21000", ic, ic + " success"},
      {"MoveCardToRecycleBinBtn", Hex("F2 00 00 03 43 32 33 03 B0"), "P23000EXTRA", bin,
       bin + " success"},
      {"AllCardInBtn", Hex("F2 00 00 03 43 33 30 03 B2"), "P30000", "Allowed", "Allowed success"},
      {"NoCardInBtn", Hex("F2 00 00 03 43 33 31 03 B3"), "P31000", "Prohibition",
       "Prohibition success"},
      {"TypeReadsn", Hex("F2 00 00 04 43 A2 30 12 03 36"), "P\2420000SN", "", ""},
      {"IRCONFIGCMD", Hex("F2 00 00 03 43 A3 30 03 22"), "P\24300007123ER2231", "", ""},
      {"IRTenKaReadCMD", Hex("F2 00 00 03 43 A5 30 03 24"), "P\2450000012", "Read Counter",
       "Read Counter Success"},
      {"IRTenKaFormatCMD", Hex("F2 00 00 06 43 A5 31 30 30 30 03 10"), "P\2451000",
       "InitializeI Counter", "InitializeI Counter Success"},
  };
}

void AddOperationRows() {
  QTest::addColumn<int>("op");
  const auto ops = Operations();
  for (int i = 0; i < static_cast<int>(ops.size()); ++i) QTest::newRow(ops[i].control) << i;
}

struct Run {
  DeviceHarness h;
  Operation op;
  explicit Run(int index) : op(Operations()[static_cast<std::size_t>(index)]) {}
  CommandOutcome go() { return h.press(op.control); }
};

}  // namespace

class DeviceSequenceTest : public QObject {
  Q_OBJECT
 private slots:
  // Every row of the table is here, so every button is covered below.
  void tableRowsAreCovered() {
    QStringList tested;
    for (const auto& op : Operations()) tested << op.control;
    QStringList rows;
    for (const auto& row : DeviceOperations())
      rows << QString::fromLatin1(row.control.data(), qsizetype(row.control.size()));
    tested.sort();
    rows.sort();
    QCOMPARE(tested, rows);
  }

  void closedLinkSendsNothing_data() { AddOperationRows(); }
  void closedLinkSendsNothing() {
    QFETCH(int, op);
    for (bool record : {false, true}) {
      Run r(op);
      r.h.state.linkOpen = false;
      r.h.monitor.append("earlier\r\n");
      r.h.monitor.setRecord(record);
      QCOMPARE(r.go(), CommandOutcome::NotSent);
      QVERIFY(r.h.line.writes().empty());
      QCOMPARE(r.h.monitor.text(), std::string("earlier\r\n"));
      QCOMPARE(r.h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(r.h.messages.boxes[0].title, std::string("Caution"));
      QCOMPARE(r.h.messages.boxes[0].text, std::string("Comm. Port Setup First"));
      QCOMPARE(r.h.messages.boxes[0].icon, Icon::Exclamation);
      QCOMPARE(r.h.view.optionDialogs, 0);
      QCOMPARE(r.h.view.dialogsShown(), 0);
      QVERIFY(r.h.view.counterWrites.empty());
    }
  }

  void positiveExchangeInTheMonitor_data() { AddOperationRows(); }
  void positiveExchangeInTheMonitor() {
    QFETCH(int, op);
    for (bool record : {false, true}) {
      Run r(op);
      AnswerEveryCommand(r.h, r.op.positive);
      r.h.monitor.append("earlier\r\n");
      r.h.monitor.setRecord(record);
      QCOMPARE(r.go(), CommandOutcome::Positive);
      QCOMPARE(SentCommands(r.h), std::vector<Bytes>{r.op.frame});
      const std::string exchange = ExchangeText(r.op.frame, ReplyFrame(r.op.positive));
      QCOMPARE(r.h.monitor.text(), (record ? "earlier\r\n" : "") + exchange);
      // Each operation confirms a positive reply with its box or its dialog.
      if (r.op.title.empty()) {
        QVERIFY(r.h.messages.boxes.empty());
        QCOMPARE(r.h.view.dialogsShown(), 1);
        continue;
      }
      QCOMPARE(r.h.view.dialogsShown(), 0);
      QCOMPARE(r.h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(r.h.messages.boxes[0].title, r.op.title);
      QCOMPARE(r.h.messages.boxes[0].text, r.op.text);
      QCOMPARE(r.h.messages.boxes[0].icon, Icon::Information);
    }
  }

  // A reply that is neither "P" nor "N" shows nothing.
  void unrecognisedReplyShowsNothing_data() { AddOperationRows(); }
  void unrecognisedReplyShowsNothing() {
    QFETCH(int, op);
    Run r(op);
    AnswerEveryCommand(r.h, "X" + r.op.positive.substr(1));
    QCOMPARE(r.go(), CommandOutcome::Unrecognised);
    QVERIFY(r.h.messages.boxes.empty());
    QCOMPARE(r.h.view.dialogsShown(), 0);
    QVERIFY(r.h.monitor.text().ends_with("SD: 06\r\n\r\n"));
  }

  void negativeReplyIsExplained_data() {
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("code");
    const auto ops = Operations();
    const char* codes[] = {"B0", "A0", "A1"};
    for (int i = 0; i < static_cast<int>(ops.size()); ++i) {
      QTest::newRow(ops[i].control) << i << codes[i % 3];
    }
  }
  void negativeReplyIsExplained() {
    QFETCH(int, op);
    QFETCH(QString, code);
    Run r(op);
    const std::string e = code.toStdString();
    const std::string reply = std::string("N") + char(r.op.frame[5]) + char(r.op.frame[6]) + e;
    AnswerEveryCommand(r.h, reply);
    QCOMPARE(r.go(), CommandOutcome::Negative);
    QCOMPARE(r.h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(r.h.messages.boxes[0].title, "Negative response:" + e);
    QCOMPARE(r.h.messages.boxes[0].text,
             std::string(*NegativeReplyText(std::uint8_t(e[0]), std::uint8_t(e[1]))));
    QCOMPARE(r.h.messages.boxes[0].icon, Icon::Information);
    QCOMPARE(r.h.view.dialogsShown(), 0);
    QCOMPARE(r.h.monitor.text(), ExchangeText(r.op.frame, ReplyFrame(reply)));
  }

  void silentDeviceEndsWithEot_data() { AddOperationRows(); }
  void silentDeviceEndsWithEot() {
    QFETCH(int, op);
    Run r(op);
    QCOMPARE(r.go(), CommandOutcome::NoReply);
    QVERIFY(r.h.messages.boxes.empty());
    QCOMPARE(r.h.view.dialogsShown(), 0);
    QCOMPARE(r.h.monitor.text(), CommandMonitorLine(r.op.frame) + "SD: 04\r\n\r\n");
    QCOMPARE(r.h.clock.nowMs(), std::int64_t{12000});
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(DeviceSequenceTest)
#include "device_sequence_test.moc"
