// Every button of the CPU card and SAM windows over a scripted line: golden
// frames, the boxes and result texts of positive and negative replies, the
// cold reset's "69", the checks before sending and short replies.
#include <QtTest>

#include "cpu_card_fakes.h"

using namespace kdx;
using namespace kdx::test;

Q_DECLARE_METATYPE(kdx::CpuCardWindow)

namespace {

const std::string kSlow = "The card has been activated, working frequency of 3.57 MHZ";

Bytes Text(std::string_view text, std::string_view hex = {}) {
  Bytes out(text.begin(), text.end());
  const Bytes tail = Hex(hex);
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

struct Button {
  CpuCardWindow window;
  const char* control;
  Bytes frame;     // at address 0, with the windows' default inputs
  Bytes positive;  // a positive reply's text
  std::string title, text;
  std::string resetText;     // ResetTextBack afterwards ("old ATR": untouched)
  std::string responseText;  // BackText afterwards
  bool ownLinkCheck = false;
  bool reset = false;  // a negative reply's data go to ResetTextBack
};

std::vector<Button> Buttons() {
  const auto cpu = CpuCardWindow::Cpu;
  const auto sam = CpuCardWindow::Sam;
  const std::string keep = "old ATR", keepResponse = "old response";
  return {
      {cpu, "CPUColdResetBtn", Hex("F2 00 00 04 43 51 30 30 03 E7"), Text("PQ00000", "3B 02 14 50"),
       "Cold Reset", "Cold Reset Success(T=0)", "3B021450", keepResponse, false, true},
      {cpu, "CPUWarmResetBtn", Hex("F2 00 00 03 43 51 38 03 D8"), Text("PQ80001", "3B 8F"),
       "Warm Reset", "Warm Reset Success(T=1)", "3B8F", keepResponse, false, true},
      {cpu, "SendCmdBtn", Hex("F2 00 00 0A 43 51 39 00 A4 00 00 02 3F 00 03 49"),
       Text("PQ9000", "90 00"), "C-APDU", "Success", keep, "9000"},
      {cpu, "CheckStatusBtn", Hex("F2 00 00 03 43 51 32 03 D2"), Text("PQ20001"), "Card Status",
       kSlow, keep, keepResponse, true},
      {cpu, "DownBtn", Hex("F2 00 00 03 43 51 31 03 D1"), Text("PQ1000"), "Deactivate",
       "Deactivate Success", keep, keepResponse, true},
      {sam, "SelectSamCmd", Hex("F2 00 00 04 43 52 40 30 03 94"), Text("PR@000"), "Choose SAM",
       "Choose SAM Success", "", keepResponse},
      {sam, "SimColdReset", Hex("F2 00 00 04 43 52 30 30 03 E4"), Text("PR00000", "3B 02"),
       "Cold Reset", "Cold Reset Success(T=0)", "3B02", keepResponse, false, true},
      {sam, "SimWarmReset", Hex("F2 00 00 03 43 52 38 03 DB"), Text("PR80001", "3B 80 01"),
       "Warm Reset", "Warm Reset Success(T=1)", "3B8001", keepResponse, false, true},
      {sam, "SendCmd", Hex("F2 00 00 0A 43 52 39 00 A4 00 00 02 3F 00 03 4A"),
       Text("PR9000", "61 18"), "C-APDU", "\xE6\x88\x90\xE5\x8A\x9F", keep, "6118"},
      {sam, "CheckStatusBtn", Hex("F2 00 00 03 43 52 32 03 D1"), Text("PR200010"), "Card Status",
       kSlow + "\r\nCurrent SAM card is  No.1 ", keep, keepResponse, true},
      {sam, "Down", Hex("F2 00 00 03 43 52 31 03 D2"), Text("PR1000"), "Deactivate",
       "Deactivate Success", keep, keepResponse, true},
  };
}

void AddButtonRows() {
  QTest::addColumn<int>("button");
  const auto buttons = Buttons();
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    const char* window = buttons[i].window == CpuCardWindow::Cpu ? "CPUCARD " : "SimCard ";
    QTest::newRow((std::string(window) + buttons[i].control).c_str()) << i;
  }
}

// The device acknowledges the command and answers with `text`.
void Answer(CpuCardHarness& h, const Bytes& text) {
  const Bytes frame = ReplyFrame(text);
  h.line.onWrite = [&h, frame](int, const Bytes& bytes) {
    if (bytes.empty() || bytes[0] != kStx) return;
    h.line.deliverIn(10, {kAck});
    h.line.deliverIn(20, frame);
  };
}

struct Run {
  CpuCardHarness h;
  Button b;
  explicit Run(int i) : b(Buttons()[static_cast<std::size_t>(i)]) {}
  CommandOutcome go() { return h.press(b.window, b.control); }
  const RecordingMessages::Box& onlyBox() {
    if (h.messages.boxes.size() != 1) throw std::runtime_error("expected one box");
    return h.messages.boxes[0];
  }
};

}  // namespace

class CpuCardOperationsTest : public QObject {
  Q_OBJECT
 private slots:
  void everyButtonIsCovered() {
    for (auto window : {CpuCardWindow::Cpu, CpuCardWindow::Sam}) {
      QStringList tested, rows;
      for (const auto& b : Buttons()) {
        if (b.window == window) tested << b.control;
      }
      for (const auto& row : CpuCardOperations(window)) {
        rows << QString::fromLatin1(row.control.data(), qsizetype(row.control.size()));
      }
      QCOMPARE(tested, rows);
    }
  }

  void positiveReply_data() { AddButtonRows(); }
  void positiveReply() {
    QFETCH(int, button);
    Run r(button);
    Answer(r.h, r.b.positive);
    r.h.monitor.append("earlier\r\n");
    QCOMPARE(r.go(), CommandOutcome::Positive);
    QCOMPARE(SentCommands(r.h), std::vector<Bytes>{r.b.frame});
    QCOMPARE(r.h.monitor.text(), ExchangeText(r.b.frame, ReplyFrame(r.b.positive)));
    const auto& box = r.onlyBox();
    QCOMPARE(box.title, r.b.title);
    QCOMPARE(box.text, r.b.text);
    QCOMPARE(box.icon, Icon::Information);
    QCOMPARE(r.h.view.resetText, r.b.resetText);
    QCOMPARE(r.h.view.responseText, r.b.responseText);
  }

  // Card status and deactivate check the link themselves; the others run
  // their prologue, leave the report to the transaction and end with CR LF.
  void closedLink_data() { AddButtonRows(); }
  void closedLink() {
    QFETCH(int, button);
    Run r(button);
    r.h.state.linkOpen = false;
    r.h.monitor.append("earlier\r\n");
    QCOMPARE(r.go(), CommandOutcome::NotSent);
    QVERIFY(r.h.line.writes().empty());
    const auto& box = r.onlyBox();
    QCOMPARE(box.title, std::string("Caution"));
    QCOMPARE(box.text, std::string("Comm. Port Setup First"));
    QCOMPARE(box.icon, Icon::Exclamation);
    QCOMPARE(r.h.monitor.text(), std::string(r.b.ownLinkCheck ? "earlier\r\n" : "\r\n"));
  }

  // A negative reply is explained from the catalogue; a reset's data after
  // the error code go to ResetTextBack first.
  void negativeReply_data() { AddButtonRows(); }
  void negativeReply() {
    QFETCH(int, button);
    Run r(button);
    const Bytes head{'N', r.b.frame[5], r.b.frame[6], '6', '3'};
    Answer(r.h, Text(std::string(head.begin(), head.end()), "12 AB"));
    QCOMPARE(r.go(), CommandOutcome::Negative);
    const auto& box = r.onlyBox();
    QCOMPARE(box.title, std::string("Negative response:63"));
    QCOMPARE(box.text, std::string("IC card communication error (IC card does not respond)."));
    const bool clearsReset = r.b.reset || std::string(r.b.control) == "SelectSamCmd";
    QCOMPARE(r.h.view.resetText, r.b.reset ? "12AB" : clearsReset ? "" : "old ATR");
    QVERIFY(r.h.monitor.text().ends_with("SD: 06\r\n\r\n"));
  }

  void coldResetOption_data() {
    QTest::addColumn<CpuCardWindow>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("emv");
    QTest::addColumn<QString>("frame");
    QTest::newRow("cpu emv") << CpuCardWindow::Cpu << "CPUColdResetBtn" << true
                             << "F2 00 00 04 43 51 30 30 03 E7";
    QTest::newRow("cpu iso") << CpuCardWindow::Cpu << "CPUColdResetBtn" << false
                             << "F2 00 00 04 43 51 30 33 03 E4";
    QTest::newRow("sam iso") << CpuCardWindow::Sam << "SimColdReset" << false
                             << "F2 00 00 04 43 52 30 33 03 E7";
  }
  void coldResetOption() {
    QFETCH(CpuCardWindow, window);
    QFETCH(QString, control);
    QFETCH(bool, emv);
    QFETCH(QString, frame);
    CpuCardHarness h;
    h.view.in.emvActivation = emv;
    Answer(h, Text("PQ00000"));
    h.press(window, control.toStdString());
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
  }

  // The cold reset's "69": the protocol byte after the error code, the ATR
  // after it; without the protocol byte the catalogue explains the code.
  void emvRefusal_data() {
    QTest::addColumn<CpuCardWindow>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("atr");
    const QString refused = "Tried to communicate with IC card not supported in Protocol EMV2000.";
    const auto cpu = CpuCardWindow::Cpu;
    QTest::newRow("T=1") << cpu << "CPUColdResetBtn" << QByteArray("NQ0691\x3B\x8E\x01")
                         << refused + "\r\nT=1"
                         << "3B8E01";
    QTest::newRow("T=0") << cpu << "CPUColdResetBtn" << QByteArray("NQ0690\x3B\x02")
                         << refused + "\r\nT=0"
                         << "3B02";
    QTest::newRow("other protocol is T=1")
        << cpu << "CPUColdResetBtn" << QByteArray("NQ0697") << refused + "\r\nT=1"
        << "";
    QTest::newRow("no protocol byte")
        << cpu << "CPUColdResetBtn" << QByteArray("NQ069") << refused << "";
    QTest::newRow("warm reset") << cpu << "CPUWarmResetBtn" << QByteArray("NQ8690\x3B") << refused
                                << "303B";
    QTest::newRow("sam") << CpuCardWindow::Sam << "SimColdReset" << QByteArray("NR0691\x3B\x8E")
                         << refused + "\r\nT=1"
                         << "3B8E";
  }
  void emvRefusal() {
    QFETCH(CpuCardWindow, window);
    QFETCH(QString, control);
    QFETCH(QByteArray, reply);
    QFETCH(QString, text);
    QFETCH(QString, atr);
    CpuCardHarness h;
    Answer(h, Text(reply.toStdString()));
    QCOMPARE(h.press(window, control.toStdString()), CommandOutcome::Negative);
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Negative response:69"));
    QCOMPARE(QString::fromStdString(h.messages.boxes[0].text), text);
    QCOMPARE(h.messages.boxes[0].icon, Icon::Information);
    QCOMPARE(QString::fromStdString(h.view.resetText), atr);
  }

  // Positive resets read only what arrived: no protocol byte, no box.
  void shortResetReplies_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("atr");
    QTest::addColumn<QString>("box");  // empty: none
    QTest::newRow("protocol only") << QByteArray("PQ00000") << ""
                                   << "Cold Reset Success(T=0)";
    QTest::newRow("no data") << QByteArray("PQ0000") << ""
                             << "";
    QTest::newRow("status cut short") << QByteArray("PQ0") << ""
                                      << "";
    QTest::newRow("other protocol") << QByteArray("PQ00002\x3B\x02") << "3B02"
                                    << "";
  }
  void shortResetReplies() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, atr);
    QFETCH(QString, box);
    CpuCardHarness h;
    Answer(h, Text(reply.toStdString()));
    QCOMPARE(h.press(CpuCardWindow::Cpu, "CPUColdResetBtn"), CommandOutcome::Positive);
    QCOMPARE(QString::fromStdString(h.view.resetText), atr);
    QCOMPARE(h.messages.boxes.size(), std::size_t(box.isEmpty() ? 0 : 1));
    if (!box.isEmpty()) QCOMPARE(QString::fromStdString(h.messages.boxes[0].text), box);
  }

  void apduFrames_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("frame");
    const QString full = QString("00").repeated(252);
    QTest::newRow("empty") << ""
                           << "F2 00 00 03 43 51 39 03 D9";
    QTest::newRow("get challenge") << "0084000008"
                                   << "F2 00 00 08 43 51 39 00 84 00 00 08 03 5E";
    QTest::newRow("252 bytes") << full
                               << "F2 00 00 FF 43 51 39 " + QString("00 ").repeated(252) + "03 25";
  }
  void apduFrames() {
    QFETCH(QString, text);
    QFETCH(QString, frame);
    CpuCardHarness h;
    h.view.in.apduText = text.toStdString();
    Answer(h, Text("PQ9000", "90 00"));
    QCOMPARE(h.press(CpuCardWindow::Cpu, "SendCmdBtn"), CommandOutcome::Positive);
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
  }

  // Refused APDU texts send nothing; an odd length stops before the closing
  // CR LF, a conversion failure after it.
  void apduRefusals_data() {
    QTest::addColumn<CpuCardWindow>("window");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("crlf");
    QTest::newRow("11 digits") << CpuCardWindow::Cpu << "00A40000023" << false;
    QTest::newRow("506 digits") << CpuCardWindow::Cpu << QString("00").repeated(253) << true;
    QTest::newRow("non-hex pair") << CpuCardWindow::Cpu << "00A4G0" << true;
    QTest::newRow("sam odd") << CpuCardWindow::Sam << "008" << false;
    QTest::newRow("sam non-hex") << CpuCardWindow::Sam << "0084000Z" << true;
  }
  void apduRefusals() {
    QFETCH(CpuCardWindow, window);
    QFETCH(QString, text);
    QFETCH(bool, crlf);
    CpuCardHarness h;
    h.view.in.apduText = text.toStdString();
    h.monitor.append("earlier\r\n");
    const char* control = window == CpuCardWindow::Cpu ? "SendCmdBtn" : "SendCmd";
    QCOMPARE(h.press(window, control), CommandOutcome::NotSent);
    QVERIFY(h.line.writes().empty());
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    QCOMPARE(h.messages.boxes[0].text, std::string("Error:Please Check The Data Effective"));
    QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
    QCOMPARE(h.monitor.text(), std::string(crlf ? "\r\n" : ""));
    QCOMPARE(h.view.responseText, std::string());
  }

  void chooseSam_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("frame");  // empty: refused
    QTest::newRow("SAM 1") << "SAM 1"
                           << "F2 00 00 04 43 52 40 30 03 94";
    QTest::newRow("SAM 8") << "SAM 8"
                           << "F2 00 00 04 43 52 40 37 03 93";
    QTest::newRow("SAM 14") << "SAM 14"
                            << "F2 00 00 04 43 52 40 3D 03 99";
    QTest::newRow("SAM 15") << "SAM 15"
                            << "";
    QTest::newRow("sam 1") << "sam 1"
                           << "";
    QTest::newRow("SAM1") << "SAM1"
                          << "";
  }
  void chooseSam() {
    QFETCH(QString, text);
    QFETCH(QString, frame);
    CpuCardHarness h;
    h.view.in.socketText = text.toStdString();
    h.monitor.append("earlier\r\n");
    Answer(h, Text("PR@000"));
    h.press(CpuCardWindow::Sam, "SelectSamCmd");
    QCOMPARE(h.view.resetText, std::string());
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    if (frame.isEmpty()) {
      QVERIFY(h.line.writes().empty());
      QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
      QCOMPARE(h.messages.boxes[0].text, std::string("Please Choose SAM Number First"));
      QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
      QCOMPARE(h.monitor.text(), std::string());
      return;
    }
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
    QCOMPARE(h.messages.boxes[0].text, std::string("Choose SAM Success"));
  }

  // A card status byte outside the table shows the box with an empty text.
  void unknownStatusByte() {
    CpuCardHarness h;
    Answer(h, Text("PQ20007"));
    h.press(CpuCardWindow::Cpu, "CheckStatusBtn");
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Card Status"));
    QCOMPARE(h.messages.boxes[0].text, std::string());
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(CpuCardOperationsTest)
#include "cpu_card_operations_test.moc"
