// The simulated device's commands, driven through the tool's own transaction
// on virtual time: initialize, status, moves, entry control, card type
// detection and the identity commands, with the refusals a real unit makes.
#include <QtTest>

#include "support/sim_rig.h"

using kdx::Bytes;
using kdx::CommandOutcome;
using kdx::Reply;
using kdx::sim::Card;
using kdx::sim::CardPosition;
using kdx::sim::ContactFace;
using kdx::sim::ContactlessFace;
using kdx::test::SimRig;

namespace {

// The three status bytes of a positive reply as text ("102").
QString Status(const Reply& r) {
  return QString::fromLatin1(reinterpret_cast<const char*>(r.bytes.data()) + 3, 3);
}
QString Data(const Reply& r) {
  return QString::fromStdString(r.dataText());
}
QString ErrorCode(const Reply& r) {
  return QString::fromLatin1(reinterpret_cast<const char*>(r.bytes.data()) + 3, 2);
}

}  // namespace

class SimTransportTest : public QObject {
  Q_OBJECT

 private slots:
  void initializeOptions_data() {
    QTest::addColumn<char>("option");
    QTest::addColumn<int>("where");  // CardPosition after, with a card at the IC station
    QTest::addColumn<int>("bin");
    QTest::addColumn<int>("counter");
    QTest::newRow("0 to the front") << '0' << int(CardPosition::Front) << 0 << 0;
    QTest::newRow("1 to the bin") << '1' << int(CardPosition::None) << 1 << 0;
    QTest::newRow("3 retain") << '3' << int(CardPosition::IcStation) << 0 << 0;
    QTest::newRow("4 front, counted") << '4' << int(CardPosition::Front) << 0 << 1;
    QTest::newRow("5 bin, counted") << '5' << int(CardPosition::None) << 1 << 1;
    QTest::newRow("7 retain, counted") << '7' << int(CardPosition::IcStation) << 0 << 1;
  }
  void initializeOptions() {
    QFETCH(char, option);
    QFETCH(int, where);
    QFETCH(int, bin);
    QFETCH(int, counter);
    SimRig rig;
    auto& s = rig.model.state();
    s.placeCard(CardPosition::IcStation, s.stackerCard);
    Reply r;
    QCOMPARE(rig.run('0', std::uint8_t(option), r), CommandOutcome::Positive);
    QCOMPARE(Data(r), QString::fromStdString(s.firmwareText));
    QCOMPARE(int(s.position), where);
    QCOMPARE(s.binCount, bin);
    QCOMPARE(s.captureCounter, counter);
    QVERIFY(s.initialized);

    // Without a card inside, no option moves or counts anything.
    SimRig empty;
    QCOMPARE(empty.run('0', std::uint8_t(option), r), CommandOutcome::Positive);
    QCOMPARE(empty.model.state().captureCounter, 0);
    QCOMPARE(empty.model.state().binCount, 0);
  }

  void initializeRefusals() {
    SimRig rig;
    Reply r;
    for (char code : {'2', '6', 'X'}) {
      QCOMPARE(rig.run('0', std::uint8_t(code), r), CommandOutcome::Negative);
      QCOMPARE(ErrorCode(r), QString("01"));
    }
    QVERIFY(!rig.model.state().initialized);
    // Capture with a full bin: the card stays, nothing is counted.
    auto& s = rig.model.state();
    s.binCount = s.binCapacity = 3;
    s.placeCard(CardPosition::RfStation, s.stackerCard);
    QCOMPARE(rig.run('0', '5', r), CommandOutcome::Negative);
    QCOMPARE(ErrorCode(r), QString("A1"));
    QCOMPARE(s.position, CardPosition::RfStation);
    QCOMPARE(s.captureCounter, 0);
    QCOMPARE(rig.messages.boxes.back().title, std::string("Negative response:A1"));
  }

  void movesNeedInitialize() {
    SimRig rig;
    Reply r;
    for (char p : {'9', '0', '1', '2', '3'}) {
      QCOMPARE(rig.run('2', std::uint8_t(p), r), CommandOutcome::Negative);
      QCOMPARE(ErrorCode(r), QString("B0"));
    }
    QCOMPARE(rig.model.state().stackerCount, 50);
    QCOMPARE(rig.messages.boxes.back().text, std::string("Not received Initialize command"));
    // Commands that move nothing work before it.
    QCOMPARE(rig.run('1', '0', r), CommandOutcome::Positive);
    QCOMPARE(rig.run('3', '0', r), CommandOutcome::Positive);
    QCOMPARE(rig.run('P', '0', r), CommandOutcome::Positive);
  }

  void movesTakeACardAndCarryIt() {
    SimRig rig;
    Reply r;
    auto& s = rig.model.state();
    s.stackerCount = 11;
    QCOMPARE(rig.run('0', '0', r), CommandOutcome::Positive);
    QCOMPARE(Status(r), QString("020"));
    QCOMPARE(rig.run('2', '1', r), CommandOutcome::Positive);  // from the stacker to IC
    QCOMPARE(Status(r), QString("210"));                       // 10 left: low
    QCOMPARE(s.position, CardPosition::IcStation);
    QCOMPARE(rig.run('2', '2', r), CommandOutcome::Positive);  // same card to RF
    QCOMPARE(s.stackerCount, 10);
    QCOMPARE(s.position, CardPosition::RfStation);
    QCOMPARE(rig.run('2', '9', r), CommandOutcome::Positive);
    QCOMPARE(Status(r), QString("110"));
    QCOMPARE(rig.run('2', '0', r), CommandOutcome::Positive);  // held at the gate still
    QCOMPARE(s.position, CardPosition::Front);
    QCOMPARE(rig.run('2', '3', r), CommandOutcome::Positive);  // from the front to the bin
    QCOMPARE(Status(r), QString("010"));
    QCOMPARE(s.binCount, 1);
    QCOMPARE(s.stackerCount, 10);
    QCOMPARE(rig.run('2', '3', r), CommandOutcome::Positive);  // straight from the stacker
    QCOMPARE(s.stackerCount, 9);
    QCOMPARE(s.binCount, 2);
    QCOMPARE(rig.run('2', '7', r), CommandOutcome::Negative);
    QCOMPARE(ErrorCode(r), QString("01"));
  }

  void emptyDeviceAndFullBin() {
    SimRig rig;
    Reply r;
    auto& s = rig.model.state();
    rig.run('0', '3', r);
    s.stackerCount = 0;
    QCOMPARE(rig.run('2', '1', r), CommandOutcome::Negative);
    QCOMPARE(ErrorCode(r), QString("A0"));
    QCOMPARE(rig.run('1', '0', r), CommandOutcome::Positive);
    QCOMPARE(Status(r), QString("000"));

    s.stackerCount = 1;
    s.binCount = s.binCapacity = 2;
    QCOMPARE(rig.run('2', '3', r), CommandOutcome::Negative);
    QCOMPARE(ErrorCode(r), QString("A1"));
    QCOMPARE(s.stackerCount, 1);  // refused before a card was taken
    QCOMPARE(rig.run('2', '1', r), CommandOutcome::Positive);
    QCOMPARE(Status(r), QString("201"));
    QCOMPARE(rig.run('2', '3', r), CommandOutcome::Negative);
    QCOMPARE(s.position, CardPosition::IcStation);
  }

  void entryControlAndSensors() {
    SimRig rig;
    Reply r;
    auto& s = rig.model.state();
    QCOMPARE(rig.run('1', '1', r), CommandOutcome::Positive);
    QCOMPARE(Data(r), QString("110000000000"));  // cards, enough of them; all else off
    QCOMPARE(rig.run('3', '0', r), CommandOutcome::Positive);
    QVERIFY(s.entryAllowed);
    rig.run('0', '0', r);
    rig.run('2', '1', r);
    s.binCount = s.binCapacity;
    s.stackerCount = 4;
    QCOMPARE(rig.run('1', '1', r), CommandOutcome::Positive);
    QCOMPARE(Data(r), QString("100000111111"));  // low stacker, IC station, KS1, bin full
    QCOMPARE(rig.run('3', '1', r), CommandOutcome::Positive);
    QVERIFY(!s.entryAllowed);
    rig.run('2', '2', r);
    s.binCount = 0;
    rig.run('1', '1', r);
    QCOMPARE(Data(r), QString("100011000000"));
    rig.run('2', '9', r);
    rig.run('1', '1', r);
    QCOMPARE(Data(r), QString("101100000000"));
    QCOMPARE(rig.run('3', '2', r), CommandOutcome::Negative);
  }

  void cardTypeFromTheCardAtAStation() {
    SimRig rig;
    Reply r;
    auto& s = rig.model.state();
    s.stackerCard = Card{ContactFace{"21"}, std::nullopt};
    rig.run('0', '0', r);
    rig.run('P', '0', r);
    QCOMPARE(Data(r), QString("00"));  // no card yet
    rig.run('2', '1', r);
    rig.run('P', '0', r);
    QCOMPARE(Data(r), QString("21"));
    rig.run('P', '1', r);
    QCOMPARE(Data(r), QString("00"));  // no contactless face
    s.channelCard = Card{std::nullopt, ContactlessFace{"12"}};
    rig.run('2', '2', r);
    rig.run('P', '1', r);
    QCOMPARE(Data(r), QString("12"));
    rig.run('2', '9', r);
    rig.run('P', '1', r);
    QCOMPARE(Data(r), QString("00"));  // at the gate it is out of reach
    QCOMPARE(rig.run('P', '2', r), CommandOutcome::Negative);
    QCOMPARE(ErrorCode(r), QString("01"));
  }

  void identityAndCounter() {
    SimRig rig;
    Reply r;
    auto& s = rig.model.state();
    QCOMPARE(rig.run(0xA2, '0', Bytes{0x12}, r), CommandOutcome::Positive);
    QCOMPARE(Data(r), QString("KDX846-00000000001"));
    s.serialNumber = "SN42";
    rig.run(0xA2, '0', Bytes{0x12}, r);
    QCOMPARE(Data(r), QString("SN42              "));  // padded to the 18 asked for
    rig.run(0xA2, '0', r);
    QCOMPARE(Data(r), QString("SN42"));

    s.samSockets = 4;
    QCOMPARE(rig.run(0xA3, '0', r), CommandOutcome::Positive);
    QCOMPARE(Data(r), QString("7101ER2240"));

    QCOMPARE(rig.run(0xA5, '1', Bytes{'0', '0', '7'}, r), CommandOutcome::Positive);
    QCOMPARE(s.captureCounter, 7);
    rig.run(0xA5, '0', r);
    QCOMPARE(Data(r), QString("007"));
    for (const Bytes& bad : {Bytes{'1', '2'}, Bytes{'1', 'A', '3'}, Bytes{'1', '2', '3', '4'}}) {
      QCOMPARE(rig.run(0xA5, '1', bad, r), CommandOutcome::Negative);
      QCOMPARE(ErrorCode(r), QString("04"));
    }
    QCOMPARE(s.captureCounter, 7);
    QCOMPARE(rig.run(0xA3, '1', r), CommandOutcome::Negative);
    QCOMPARE(ErrorCode(r), QString("01"));
  }

  void unknownCommandAndExtension() {
    SimRig rig;
    Reply r;
    QCOMPARE(rig.run('Z', '0', r), CommandOutcome::Negative);
    QCOMPARE(Bytes(r.bytes.begin(), r.bytes.begin() + 5), (Bytes{'N', 'Z', '0', '0', '0'}));
    QCOMPARE(rig.messages.boxes.back().text, std::string("A given command code is unidentified"));
    // A later family slots in by registering its command code.
    rig.model.commands().add('Z', [](kdx::sim::DeviceState&, const kdx::sim::Command& c) {
      return kdx::sim::Response::Positive(kdx::Bytes(c.data.rbegin(), c.data.rend()));
    });
    QCOMPARE(rig.run('Z', '0', Bytes{'a', 'b'}, r), CommandOutcome::Positive);
    QCOMPARE(Data(r), QString("ba"));
  }
};

QTEST_GUILESS_MAIN(SimTransportTest)
#include "sim_transport_test.moc"
