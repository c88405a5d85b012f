// Every contactless button on the scripted line: the frame it sends (the
// byte examples of the station's description among them), the box that
// confirms a positive reply, the closed link and negative replies.
#include <QtTest>
#include <functional>

#include "link/reply_catalogue.h"
#include "rf_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

const std::string kMifareOk = "\r\nExecute OK\r\n9000";

struct Case {
  const char* name;
  const char* control;
  std::function<void(FakeRfView&)> setup;
  Bytes frame;
  Bytes replyData;  // data of the positive reply
  std::string title;
  std::string text;
};

Bytes Ok(Bytes data = {}) {
  data.push_back(0x90);
  data.push_back(0x00);
  return data;
}

std::vector<Case> Cases() {
  auto none = [](FakeRfView&) {};
  auto keyB0A = [](FakeRfView& v) {
    v.in.keyB = true;
    v.in.sector = 0x0A;
  };
  return {
      {"activate", "RFCardUPBtn", none, Hex("F2 00 00 05 43 60 30 41 42 03 E4"),
       Hex("4D 00 04 04 A1 B2 C3 0A"), "Activate",
       "The RF Card is activated\r\nMifare one S50 card"},
      {"activate B only", "RFCardUPBtn", [](FakeRfView& v) { v.in.protocol = "Type B(Only)"; },
       Hex("F2 00 00 05 43 60 30 42 30 03 95"), Hex("42 50 00 11 22"), "Activate",
       "The RF Card is activated \r\nthe card in line with ISO / IEC 14443 Type B protocol"},
      {"status", "RFCardStatusBtn", none, Hex("F2 00 00 03 43 60 32 03 E3"), Bytes{'0', '0'},
       "Inquire Status", "The RF Card is activated\r\nNon_card"},
      {"deactivate",
       "RFCardDownBtn",
       none,
       Hex("F2 00 00 03 43 60 31 03 E0"),
       {},
       "Deactivate",
       "Deactivate Success"},
      {"check key B 0A", "RFCheckPasswordBtn", keyB0A,
       Hex("F2 00 00 0E 43 60 33 00 20 01 0A 06 FF FF FF FF FF FF 03 C2"), Ok(), "Check Password",
       "Check Password" + kMifareOk},
      {"check typed key", "RFCheckPasswordBtn",
       [](FakeRfView& v) {
         v.setCells(v.in.keyCells, {"A0", "A1", "A2", "A3", "a4", "A5"});
       },
       Hex("F2 00 00 0E 43 60 33 00 20 00 01 06 A0 A1 A2 A3 A4 A5 03 C9"), Ok(), "Check Password",
       "Check Password" + kMifareOk},
      {"change key sends 00", "RFChangePasswordBtn", keyB0A,
       Hex("F2 00 00 0E 43 60 33 00 D5 00 0A 06 FF FF FF FF FF FF 03 36"), Ok(), "Change Password",
       "Change Password" + kMifareOk},
      {"load key", "ReadKeyFromEEBtn", keyB0A, Hex("F2 00 00 07 43 60 33 00 21 01 0A 03 CC"), Ok(),
       "Load password from the EEPROM", "Load password from the EEPROM " + kMifareOk},
      {"store key", "StoreKeyToEEBtn", none,
       Hex("F2 00 00 0E 43 60 33 00 D0 00 01 06 FF FF FF FF FF FF 03 38"), Ok(),
       "Download password to EEPROM", "Download password to EEPROM \r\nExxcute OK\r\n9000"},
      {"read block", "RFreadBtn",
       [](FakeRfView& v) {
         v.in.sector = 0x02;
         v.in.block = 0x01;
       },
       Hex("F2 00 00 08 43 60 33 00 B0 02 01 01 03 5B"), Ok(Hex("05")), "Read block data",
       "Read block data" + kMifareOk},
      {"write block", "RFwriteBtn",
       [](FakeRfView& v) {
         v.in.block = 0x02;
         v.setCells(v.in.blockCells, {"00", "11", "22", "33", "44", "55", "66", "77", "88", "99",
                                      "AA", "BB", "CC", "DD", "EE", "FF"});
       },
       Hex("F2 00 00 18 43 60 33 00 D1 01 02 01 00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF "
           "03 2A"),
       Ok(), "Write Block Data", "Write Block Data" + kMifareOk},
      {"initialize 0", "INITRFCmd", [](FakeRfView& v) { v.in.purseBlock = 0x01; },
       Hex("F2 00 00 0C 43 60 33 00 D2 01 01 04 00 00 00 00 03 3B"), Ok(), "Initialize",
       "Initialize success" + kMifareOk},
      {"increment 1000", "INCRFCmd",
       [](FakeRfView& v) {
         v.in.purseBlock = 0x01;
         v.in.purseValue = "1000";
       },
       Hex("F2 00 00 0C 43 60 33 00 D3 01 01 04 E8 03 00 00 03 D1"), Ok(), "Increment",
       "Increment" + kMifareOk},
      {"decrement largest", "DECRFCmd",
       [](FakeRfView& v) {
         v.in.sector = 0x21;
         v.in.purseBlock = 0x03;
         v.in.purseValue = "2147483647";
       },
       Hex("F2 00 00 0C 43 60 33 00 D4 21 03 04 FF FF FF 7F 03 9F"), Ok(), "Decrement",
       "Decrement" + kMifareOk},
      {"read value", "ReadValueRfCmd", [](FakeRfView& v) { v.in.purseBlock = 0x01; },
       Hex("F2 00 00 07 43 60 33 00 B1 01 01 03 57"), Ok(Hex("10 27 00 00")), "Read",
       "Read success" + kMifareOk},
      {"read page", "ULCmdRread", none, Hex("F2 00 00 08 43 60 33 00 B0 04 00 01 03 5C"),
       Ok(Hex("01 02 03 04")), "Read block data", "Read block data" + kMifareOk},
      {"write page", "ULCmdRwrite",
       [](FakeRfView& v) {
         v.in.page = 0x03;
         v.setCells(v.in.pageCells, {"01", "02", "03", "04"});
       },
       Hex("F2 00 00 0C 43 60 33 00 D1 03 00 01 01 02 03 04 03 3A"), Ok(), "Write Block Data",
       "Write Block Data" + kMifareOk},
      {"type A apdu", "SendTypeACmd", none, Hex("F2 00 00 0A 43 60 34 00 A4 00 00 02 3F 00 03 75"),
       Hex("6A 82"), "C-APDU", "Success"},
      {"type B apdu", "SendTypeBCmd", none, Hex("F2 00 00 0A 43 60 35 00 A4 00 00 02 3F 00 03 74"),
       Hex("90 00"), "C-APDU", "Success"},
      {"empty apdu", "SendTypeACmd", [](FakeRfView& v) { v.in.apduA = ""; },
       Hex("F2 00 00 03 43 60 34 03 E5"), Hex("67 00"), "C-APDU", "Success"},
  };
}

void AddCaseRows() {
  QTest::addColumn<int>("index");
  const auto cases = Cases();
  for (int i = 0; i < static_cast<int>(cases.size()); ++i) QTest::newRow(cases[i].name) << i;
}

struct Run {
  RfHarness h;
  Case c;
  explicit Run(int index) : c(Cases()[static_cast<std::size_t>(index)]) { c.setup(h.view); }
  CommandOutcome go() { return h.press(c.control); }
};

}  // namespace

class RfOperationsTest : public QObject {
  Q_OBJECT
 private slots:
  void everyRowIsCovered() {
    QStringList tested;
    for (const auto& c : Cases()) tested << c.control;
    tested.removeDuplicates();
    QStringList rows;
    for (const auto& row : RfOperations())
      rows << QString::fromLatin1(row.control.data(), qsizetype(row.control.size()));
    tested.sort();
    rows.sort();
    QCOMPARE(tested, rows);
  }

  void positiveExchange_data() { AddCaseRows(); }
  void positiveExchange() {
    QFETCH(int, index);
    for (bool record : {false, true}) {
      Run r(index);
      const Bytes reply = RfReply(r.c.frame[6], r.c.replyData);
      AnswerEveryCommand(r.h, reply);
      r.h.monitor.append("earlier\r\n");
      r.h.monitor.setRecord(record);
      QCOMPARE(r.go(), CommandOutcome::Positive);
      QCOMPARE(SentCommands(r.h), std::vector<Bytes>{r.c.frame});
      QCOMPARE(r.h.monitor.text(),
               (record ? "earlier\r\n" : "") + ExchangeText(r.c.frame, ReplyFrame(reply)));
      QCOMPARE(r.h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(r.h.messages.boxes[0].title, r.c.title);
      QCOMPARE(r.h.messages.boxes[0].text, r.c.text);
      QCOMPARE(r.h.messages.boxes[0].icon, Icon::Information);
    }
  }

  void closedLinkTouchesNothing_data() { AddCaseRows(); }
  void closedLinkTouchesNothing() {
    QFETCH(int, index);
    Run r(index);
    r.h.state.linkOpen = false;
    r.h.monitor.append("earlier\r\n");
    QCOMPARE(r.go(), CommandOutcome::NotSent);
    QVERIFY(r.h.line.writes().empty());
    QCOMPARE(r.h.monitor.text(), std::string("earlier\r\n"));
    QCOMPARE(r.h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(r.h.messages.boxes[0].text, std::string("Comm. Port Setup First"));
    QCOMPARE(r.h.messages.boxes[0].title, std::string("Caution"));
    QCOMPARE(r.h.messages.boxes[0].icon, Icon::Exclamation);
    QVERIFY(r.h.view.fields.empty());
    QCOMPARE(r.h.view.responseA, std::string("unchanged"));
    QCOMPARE(r.h.view.responseB, std::string("unchanged"));
  }

  // A negative reply is explained; the displays the operation cleared stay
  // empty and nothing else is shown.
  void negativeReplyIsExplained_data() { AddCaseRows(); }
  void negativeReplyIsExplained() {
    QFETCH(int, index);
    Run r(index);
    const Bytes reply{'N', 0x60, r.c.frame[6], '6', '5'};
    AnswerEveryCommand(r.h, reply);
    QCOMPARE(r.go(), CommandOutcome::Negative);
    QCOMPARE(r.h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(r.h.messages.boxes[0].title, std::string("Negative response:65"));
    QCOMPARE(r.h.messages.boxes[0].text, std::string(*NegativeReplyText('6', '5')));
    QCOMPARE(r.h.monitor.text(), ExchangeText(r.c.frame, ReplyFrame(reply)));
    QVERIFY(r.h.view.tabs.empty());
    QVERIFY(r.h.view.purseWrites.empty());
    QCOMPARE(r.h.view.block.text(0), std::string());
    QCOMPARE(r.h.view.page.text(0), std::string());
    if (r.c.control == std::string("RFCardUPBtn")) {
      QCOMPARE(r.h.view.fields, std::vector<RfCardFields>{RfCardFields{}});
    }
    if (r.c.control == std::string("SendTypeACmd")) QCOMPARE(r.h.view.responseA, std::string());
  }

  void silentDeviceEndsWithEot() {
    RfHarness h;
    QCOMPARE(h.press("RFCardUPBtn"), CommandOutcome::NoReply);
    QVERIFY(h.messages.boxes.empty());
    QCOMPARE(h.view.fields, std::vector<RfCardFields>{RfCardFields{}});
    QVERIFY(h.monitor.text().ends_with("SD: 04\r\n\r\n"));
  }

  // The address combo's text is the frame's address byte.
  void addressFromTheCombo() {
    RfHarness h;
    h.state.addressText = "A";
    AnswerEveryCommand(h, RfReply('2', Bytes{'1', '0'}));
    h.press("RFCardStatusBtn");
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex("F2 0A 00 03 43 60 32 03 E9")});
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RfOperationsTest)
#include "rf_operations_test.moc"
