// How the memory card buttons read a positive reply: the status word table
// and the "Transmit Command" box, reads into the grid, the security memory
// read, and the power buttons' texts.
#include <QtTest>

#include "contact/status_words.h"
#include "contact_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

// A positive reply to command "S" "3" carrying `data` (card data and status
// word) after the three status bytes.
std::string ReplyText(const Bytes& data, char command = 'S', char parameter = '3') {
  std::string text = {'P', command, parameter, '0', '0', '0'};
  text.append(data.begin(), data.end());
  return text;
}

Bytes Counting(int n) {
  Bytes bytes;
  for (int i = 0; i < n; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
  return bytes;
}

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void CheckOneBox(const RecordingMessages& m, const std::string& title, const std::string& text,
                 Icon icon = Icon::Information) {
  QCOMPARE(m.boxes.size(), std::size_t{1});
  QCOMPARE(m.boxes[0].title, title);
  QCOMPARE(m.boxes[0].text, text);
  QCOMPARE(m.boxes[0].icon, icon);
}

}  // namespace

class ContactRepliesTest : public QObject {
  Q_OBJECT
 private slots:
  void statusWordsInTheBox_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("text");
    QTest::newRow("9000") << "90 00"
                          << "Execute OK\r\n9000";
    QTest::newRow("6700") << "67 00"
                          << "The lenth of Lc is overflow and Command Cannot be Executed\r\n6700";
    QTest::newRow("6B00") << "6B 00"
                          << "Parameter(P1/P2) is error and  Command Cannot be Executed\r\n6B00";
    QTest::newRow("6F00") << "6F 00"
                          << "Execute Error\r\n6F00";
    QTest::newRow("6F01") << "6F 01"
                          << "Verification Password error\r\n6F01";
    QTest::newRow("6F02") << "6F 02"
                          << "Card has been scrapped (password validation error over the number "
                             "of cards permit error)\r\n6F02";
    QTest::newRow("6D00") << "6D 00"
                          << "INS error  Command Cannot be Executed\r\n6D00";
    QTest::newRow("6E00") << "6E 00"
                          << "CLA error  Command Cannot be Executed\r\n6E00";
    QTest::newRow("unknown 6A82") << "6A 82"
                                  << "Unknow Error\r\n6A82";
    QTest::newRow("lower digits 0A0B") << "0A 0B"
                                       << "Unknow Error\r\n0A0B";
  }
  void statusWordsInTheBox() {
    QFETCH(QString, word);
    QFETCH(QString, text);
    // The status word follows any card data; a write and a password button
    // show it alike.
    for (const char* control : {"SL4442Pass", "SL4442WriteCenChu"}) {
      Sle4442Harness h;
      h.view.fields.length = "01";
      h.view.grid.fill("5A");
      AnswerEveryCommand(h, ReplyText(Join(Hex("11 22"), Hex(word.toStdString()))));
      QCOMPARE(h.press(control), CommandOutcome::Positive);
      CheckOneBox(h.messages, "Transmit Command", text.toStdString());
      QCOMPARE(h.view.grid.cells[0], std::string("5A"));  // a write leaves the grid alone
    }
  }

  // Reads empty the grid before sending, and fill it only on "9000".
  void readsFillTheGrid_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("filled");
    QTest::addColumn<QString>("box");
    QTest::newRow("4442 main 128")
        << "SL4442ReadCenChu" << 128 << "90 00" << 128 << "Execute OK\r\n9000";
    QTest::newRow("4442 protection 32")
        << "SL4442ReadBaoHu" << 32 << "90 00" << 32 << "Execute OK\r\n9000";
    QTest::newRow("4442 main 6F01")
        << "SL4442ReadCenChu" << 4 << "6F 01" << 0 << "Verification Password error\r\n6F01";
    QTest::newRow("4428 main 16") << "SL4428READAREA" << 16 << "90 00" << 16
                                  << "Execute OK\r\n9000";
    QTest::newRow("4428 protection 6B00") << "SL4428READBIT" << 0 << "6B 00" << 0
                                          << "Parameter(P1/P2) is error and  Command Cannot be "
                                             "Executed\r\n6B00";
    QTest::newRow("24C 128") << "IC24XXREAD" << 128 << "90 00" << 128 << "Execute OK\r\n9000";
    QTest::newRow("24C 6700") << "IC24XXREAD" << 0 << "67 00" << 0
                              << "The lenth of Lc is overflow and Command Cannot be "
                                 "Executed\r\n6700";
    QTest::newRow("24C none") << "IC24XXREAD" << 0 << "90 00" << 0 << "Execute OK\r\n9000";
  }
  void readsFillTheGrid() {
    QFETCH(QString, control);
    QFETCH(int, count);
    QFETCH(QString, word);
    QFETCH(int, filled);
    QFETCH(QString, box);
    const std::string name = control.toStdString();
    const auto run = [&](auto& h) {
      for (auto& cell : h.view.grid.cells) cell = "EE";
      bool emptyAtSend = false;
      AnswerEveryCommand(h, ReplyText(Join(Counting(count), Hex(word.toStdString()))));
      auto answer = h.line.onWrite;
      h.line.onWrite = [&](int index, const Bytes& bytes) {
        if (index == 0)
          emptyAtSend = h.view.grid.cells[127].empty() && h.view.grid.cells[0].empty();
        answer(index, bytes);
      };
      QCOMPARE(h.press(name), CommandOutcome::Positive);
      QVERIFY(emptyAtSend);
      for (int i = 0; i < 128; ++i) {
        const std::string expected = i < filled ? HexByte(static_cast<std::uint8_t>(i)) : "";
        QCOMPARE(h.view.grid.cells[std::size_t(i)], expected);
      }
      CheckOneBox(h.messages, "Transmit Command", box.toStdString());
    };
    if (name.starts_with("SL4442")) {
      Sle4442Harness h;
      run(h);
    } else if (name.starts_with("SL4428")) {
      Sle4428Harness h;
      run(h);
    } else {
      At24Harness h;
      run(h);
    }
  }

  // More card data than cells: 128 shown, then the data caution instead of
  // the box.
  void readBeyondTheGridEndsWithTheCaution() {
    At24Harness h;
    AnswerEveryCommand(h, ReplyText(Join(Counting(130), Hex("90 00")), 'T', '3'));
    QCOMPARE(h.press("IC24XXREAD"), CommandOutcome::Positive);
    QCOMPARE(h.view.grid.cells[0], std::string("00"));
    QCOMPARE(h.view.grid.cells[127], std::string("7F"));
    CheckOneBox(h.messages, "Caution", "Error:Please Check The Data Effective", Icon::Exclamation);
    QVERIFY(h.monitor.text().ends_with("SD: 06\r\n\r\n"));
  }

  // A positive reply too short to carry a status word is not read as one.
  void replyWithoutStatusWord() {
    Sle4442Harness h;
    AnswerEveryCommand(h, ReplyText(Hex("90")));
    QCOMPARE(h.press("SL4442ReadCenChu"), CommandOutcome::Positive);
    CheckOneBox(h.messages, "Caution", "Error:Please Check The Data Effective", Icon::Exclamation);
    QCOMPARE(h.view.grid.cells[0], std::string(""));
  }

  void securityMemoryInTheBox() {
    Sle4442Harness h;
    h.view.grid.fill("01 02");
    AnswerEveryCommand(h, ReplyText(Hex("07 0A FF 3C 90 00")));
    QCOMPARE(h.press("SL4442ReadAnquan"), CommandOutcome::Positive);
    CheckOneBox(h.messages, "Transmit Command", "Execute OK\r\n070AFF3C\r\n9000");
    QCOMPARE(h.view.grid.cells[0], std::string(""));
    QCOMPARE(h.view.grid.clears, 1);
  }

  // A negative reply is explained by the catalogue; no "Transmit Command".
  void negativeReplyShowsNoStatusBox() {
    Sle4428Harness h;
    AnswerEveryCommand(h, "NS465");
    QCOMPARE(h.press("SL4428PASS"), CommandOutcome::Negative);
    CheckOneBox(h.messages, "Negative response:65",
                "HOST sends command for IC card communication before receiving ATR");
  }

  void sleActivationAndStatus_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QByteArray a4442("PS0000\xA2\x13\x10\x91", 10);
    const QByteArray a4428("PS0000\x92\x23\x10\x91\x00", 11);
    for (const char* tab : {"1", "2"}) {
      const QString up = QString("SiemensICUp") + tab;
      const QString status = QString("SiemensICStatus") + tab;
      const QString down = QString("SiemensICDown") + tab;
      QTest::addRow("%s SLE4442", qPrintable(up)) << up << a4442 << "Activate"
                                                  << "SLE4442 Activate success";
      QTest::addRow("%s SLE4428", qPrintable(up)) << up << a4428 << "Activate"
                                                  << "SLE4428 Activate success";
      QTest::addRow("%s other", qPrintable(up))
          << up << QByteArray("PS0000\x3B\x13\x10\x91", 10) << ""
          << "";
      QTest::addRow("%s short", qPrintable(up)) << up << a4442.left(9) << ""
                                                << "";
      QTest::addRow("%s 0", qPrintable(status))
          << status << QByteArray("PS20000") << "Inquire Status"
          << "SLE4442/4428 Deactivated";
      QTest::addRow("%s 1", qPrintable(status))
          << status << QByteArray("PS20001") << "Inquire Status"
          << "SLE4442 Activated";
      QTest::addRow("%s 2", qPrintable(status))
          << status << QByteArray("PS20002") << "Inquire Status"
          << "SLE4428 Activated";
      QTest::addRow("%s 3", qPrintable(status)) << status << QByteArray("PS20003") << ""
                                                << "";
      QTest::addRow("%s none", qPrintable(status)) << status << QByteArray("PS2000") << ""
                                                   << "";
      QTest::addRow("%s", qPrintable(down)) << down << QByteArray("PS1000") << "Deactivate"
                                            << "Deactivate success";
    }
  }
  void sleActivationAndStatus() {
    QFETCH(QString, control);
    QFETCH(QByteArray, reply);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const auto check = [&](auto& h) {
      AnswerEveryCommand(h, reply.toStdString());
      QCOMPARE(h.press(control.toStdString()), CommandOutcome::Positive);
      if (title.isEmpty()) {
        QVERIFY(h.messages.boxes.empty());
      } else {
        CheckOneBox(h.messages, title.toStdString(), text.toStdString());
      }
    };
    if (control.endsWith('1')) {
      Sle4442Harness h;
      check(h);
    } else {
      Sle4428Harness h;
      check(h);
    }
  }

  void at24ActivationAndStatus_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const char* kinds[] = {"24C01", "24C02", "24C04",  "24C08",  "24C16",
                           "24C32", "24C64", "24C128", "24C256", "24C512"};
    for (int i = 0; i < 10; ++i) {
      const QString code(QChar('1' + i));
      QTest::addRow("Activate %s", kinds[i])
          << "IC24Reset" << QByteArray("PT0000") + code.toLatin1() << "Activate"
          << QString(kinds[i]) + " Activate Success";
      if (i < 9) {
        QTest::addRow("Status %s", kinds[i])
            << "IC24ICStatus" << QByteArray("PT2000") + code.toLatin1() << "Inquire Status)"
            << QString(kinds[i]) + " actived";
      }
    }
    QTest::newRow("Activate 0") << "IC24Reset" << QByteArray("PT00000") << ""
                                << "";
    QTest::newRow("Activate ;") << "IC24Reset" << QByteArray("PT0000;") << ""
                                << "";
    QTest::newRow("Status 0") << "IC24ICStatus" << QByteArray("PT20000") << "Inquire Status)"
                              << "Non_card(24CXXX) actived";
    QTest::newRow("Status :") << "IC24ICStatus" << QByteArray("PT2000:") << ""
                              << "";
    QTest::newRow("Status empty") << "IC24ICStatus" << QByteArray("PT2000") << ""
                                  << "";
    QTest::newRow("Deactivate") << "IC24ICDown" << QByteArray("PS1000") << "Deactivate"
                                << "Deactivate Success";
  }
  void at24ActivationAndStatus() {
    QFETCH(QString, control);
    QFETCH(QByteArray, reply);
    QFETCH(QString, title);
    QFETCH(QString, text);
    At24Harness h;
    AnswerEveryCommand(h, reply.toStdString());
    QCOMPARE(h.press(control.toStdString()), CommandOutcome::Positive);
    if (title.isEmpty()) {
      QVERIFY(h.messages.boxes.empty());
    } else {
      CheckOneBox(h.messages, title.toStdString(), text.toStdString());
    }
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ContactRepliesTest)
#include "contact_replies_test.moc"
