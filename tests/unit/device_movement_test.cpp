#include <QtTest>

#include "device/card_movement.h"
#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

class DeviceMovementTest : public QObject {
  Q_OBJECT
 private slots:
  void buttonSendsItsRowAndConfirms_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("front") << "MoveCardToFront1Btn"
                           << "F2 00 00 03 43 32 39 03 BA"
                           << "Move card to the front"
                           << "Move card to the front success";
    QTest::newRow("front, hold") << "MoveCardToFront2Btn"
                                 << "F2 00 00 03 43 32 30 03 B3"
                                 << "Move card to the front with hold card"
                                 << "Move card to the front with hold card success";
    QTest::newRow("RF") << "MoveCardToRFBtn"
                        << "F2 00 00 03 43 32 32 03 B1"
                        << "Move card to RF card operation position"
                        << "Move card to RF card operation position success";
    QTest::newRow("IC") << "MoveCardToICCBtn"
                        << "F2 00 00 03 43 32 31 03 B2"
                        << "Move card to IC card operation position"
                        << "Move card to IC card operation position success";
    QTest::newRow("error bin") << "MoveCardToRecycleBinBtn"
                               << "F2 00 00 03 43 32 33 03 B0"
                               << "Move card to the error card bin"
                               << "Move card to the error card bin success";
    QTest::newRow("allowed") << "AllCardInBtn"
                             << "F2 00 00 03 43 33 30 03 B2"
                             << "Allowed"
                             << "Allowed success";
    QTest::newRow("prohibition") << "NoCardInBtn"
                                 << "F2 00 00 03 43 33 31 03 B3"
                                 << "Prohibition"
                                 << "Prohibition success";
  }
  void buttonSendsItsRowAndConfirms() {
    QFETCH(QString, button);
    QFETCH(QString, frame);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const MoveCommand* row = FindMoveCommand(button.toStdString());
    QVERIFY(row != nullptr);
    LinkHarness h;
    // Status bytes and data of the reply are not shown anywhere but the monitor.
    AnswerEveryCommand(h,
                       std::string("P") + char(row->command) + char(row->parameter) + "210EXTRA");
    QCOMPARE(RunMoveCommand(h.session, *row), CommandOutcome::Positive);
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(h.messages.boxes[0].title), title);
    QCOMPARE(QString::fromStdString(h.messages.boxes[0].text), text);
    QCOMPARE(h.messages.boxes[0].icon, Icon::Information);
  }

  void unknownButtonHasNoRow() {
    QCOMPARE(FindMoveCommand("CardStatusBtn"), nullptr);
    QCOMPARE(FindMoveCommand(""), nullptr);
  }

  // A reply that is neither "P" nor "N" shows nothing.
  void unrecognisedReplyShowsNothing() {
    LinkHarness h;
    AnswerEveryCommand(h, "X29000");
    QCOMPARE(RunMoveCommand(h.session, kMoveCommands[0]), CommandOutcome::Unrecognised);
    QVERIFY(h.messages.boxes.empty());
    QVERIFY(h.monitor.text().ends_with("SD: 06\r\n\r\n"));
  }
};

QTEST_GUILESS_MAIN(DeviceMovementTest)
#include "device_movement_test.moc"
