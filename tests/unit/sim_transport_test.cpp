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

QString Text(const Reply& r, std::size_t from, std::size_t size) {
  return QString::fromLatin1(reinterpret_cast<const char*>(r.bytes.data()) + from,
                             static_cast<qsizetype>(size));
}

// One command on `rig`: the status bytes of a positive reply ("102") or the
// error code of a negative one, prefixed "N".
QString Answer(SimRig& rig, std::uint8_t command, std::uint8_t parameter, const Bytes& data = {}) {
  Reply r;
  const CommandOutcome outcome = rig.run(command, parameter, data, r);
  if (outcome == CommandOutcome::Negative) return "N" + Text(r, 3, 2);
  return outcome == CommandOutcome::Positive ? Text(r, 3, 3) : QString("failed");
}

// The data of a positive reply to one command.
QString Data(SimRig& rig, std::uint8_t command, std::uint8_t parameter, const Bytes& data = {}) {
  Reply r;
  if (rig.run(command, parameter, data, r) != CommandOutcome::Positive) return "not positive";
  return QString::fromStdString(r.dataText());
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
    QCOMPARE(Data(rig, '0', std::uint8_t(option)), QString::fromStdString(s.firmwareText));
    QCOMPARE(int(s.position), where);
    QCOMPARE(s.binCount, bin);
    QCOMPARE(s.captureCounter, counter);
    QVERIFY(s.initialized);
    // Without a card inside, no option moves or counts anything.
    SimRig empty;
    QCOMPARE(Answer(empty, '0', std::uint8_t(option)), QString("020"));
    QCOMPARE(empty.model.state().captureCounter, 0);
    QCOMPARE(empty.model.state().binCount, 0);
  }

  void initializeRefusals() {
    SimRig rig;
    for (char code : {'2', '6', 'X'})
      QCOMPARE(Answer(rig, '0', std::uint8_t(code)), QString("N01"));
    QVERIFY(!rig.model.state().initialized);
    // Capture with a full bin: the card stays, nothing is counted.
    auto& s = rig.model.state();
    s.binCount = s.binCapacity = 3;
    s.placeCard(CardPosition::RfStation, s.stackerCard);
    QCOMPARE(Answer(rig, '0', '5'), QString("NA1"));
    QCOMPARE(s.position, CardPosition::RfStation);
    QCOMPARE(s.captureCounter, 0);
  }

  void movesNeedInitialize() {
    SimRig rig;
    for (char p : {'9', '0', '1', '2', '3'})
      QCOMPARE(Answer(rig, '2', std::uint8_t(p)), QString("NB0"));
    QCOMPARE(rig.model.state().stackerCount, 50);
    // Commands that move nothing work before it.
    QCOMPARE(Answer(rig, '1', '0'), QString("020"));
    QCOMPARE(Answer(rig, '3', '0'), QString("020"));
    QCOMPARE(Data(rig, 'P', '0'), QString("00"));
  }

  void movesTakeACardAndCarryIt() {
    SimRig rig;
    auto& s = rig.model.state();
    s.stackerCount = 11;
    QCOMPARE(Answer(rig, '0', '0'), QString("020"));
    QCOMPARE(Answer(rig, '2', '1'), QString("210"));  // from the stacker to IC; 10 left: low
    QCOMPARE(s.position, CardPosition::IcStation);
    QCOMPARE(Answer(rig, '2', '2'), QString("210"));  // same card to RF
    QCOMPARE(s.stackerCount, 10);
    QCOMPARE(s.position, CardPosition::RfStation);
    QCOMPARE(Answer(rig, '2', '9'), QString("110"));
    QCOMPARE(Answer(rig, '2', '0'), QString("110"));  // held at the gate still
    QCOMPARE(s.position, CardPosition::Front);
    QCOMPARE(Answer(rig, '2', '3'), QString("010"));  // from the front to the bin
    QCOMPARE(s.binCount, 1);
    QCOMPARE(s.stackerCount, 10);
    QCOMPARE(Answer(rig, '2', '3'), QString("010"));  // straight from the stacker
    QCOMPARE(s.stackerCount, 9);
    QCOMPARE(s.binCount, 2);
    QCOMPARE(Answer(rig, '2', '7'), QString("N01"));
  }

  void emptyDeviceAndFullBin() {
    SimRig rig;
    auto& s = rig.model.state();
    Answer(rig, '0', '3');
    s.stackerCount = 0;
    QCOMPARE(Answer(rig, '2', '1'), QString("NA0"));
    QCOMPARE(Answer(rig, '1', '0'), QString("000"));
    s.stackerCount = 1;
    s.binCount = s.binCapacity = 2;
    QCOMPARE(Answer(rig, '2', '3'), QString("NA1"));
    QCOMPARE(s.stackerCount, 1);  // refused before a card was taken
    QCOMPARE(Answer(rig, '2', '1'), QString("201"));
    QCOMPARE(Answer(rig, '2', '3'), QString("NA1"));
    QCOMPARE(s.position, CardPosition::IcStation);
  }

  void entryControlAndSensors() {
    SimRig rig;
    auto& s = rig.model.state();
    QCOMPARE(Data(rig, '1', '1'), QString("110000000000"));  // cards, enough of them; all else off
    Answer(rig, '3', '0');
    QVERIFY(s.entryAllowed);
    Answer(rig, '0', '0');
    Answer(rig, '2', '1');
    s.binCount = s.binCapacity;
    s.stackerCount = 4;
    QCOMPARE(Data(rig, '1', '1'),
             QString("100000111111"));  // low stacker, IC station, KS1, bin full
    Answer(rig, '3', '1');
    QVERIFY(!s.entryAllowed);
    Answer(rig, '2', '2');
    s.binCount = 0;
    QCOMPARE(Data(rig, '1', '1'), QString("100011000000"));
    Answer(rig, '2', '9');
    QCOMPARE(Data(rig, '1', '1'), QString("101100000000"));
    QCOMPARE(Answer(rig, '3', '2'), QString("N01"));
  }

  void cardTypeFromTheCardAtAStation() {
    SimRig rig;
    auto& s = rig.model.state();
    s.stackerCard = Card{ContactFace{"21"}, std::nullopt};
    Answer(rig, '0', '0');
    Answer(rig, '2', '1');
    QCOMPARE(Data(rig, 'P', '0'), QString("21"));
    QCOMPARE(Data(rig, 'P', '1'), QString("00"));  // no contactless face
    s.channelCard = Card{std::nullopt, ContactlessFace{"12"}};
    Answer(rig, '2', '2');
    QCOMPARE(Data(rig, 'P', '1'), QString("12"));
    Answer(rig, '2', '9');
    QCOMPARE(Data(rig, 'P', '1'), QString("00"));  // at the gate it is out of reach
    QCOMPARE(Answer(rig, 'P', '2'), QString("N01"));
  }

  void identityAndCounter() {
    SimRig rig;
    auto& s = rig.model.state();
    QCOMPARE(Data(rig, 0xA2, '0', Bytes{0x12}), QString("KDX846-00000000001"));
    s.serialNumber = "SN42";
    QCOMPARE(Data(rig, 0xA2, '0', Bytes{0x12}), QString("SN42              "));  // padded to 18
    QCOMPARE(Data(rig, 0xA2, '0'), QString("SN42"));
    s.samSockets = 4;
    QCOMPARE(Data(rig, 0xA3, '0'), QString("7101ER2240"));
    QCOMPARE(Answer(rig, 0xA5, '1', Bytes{'0', '0', '7'}), QString("020"));
    QCOMPARE(s.captureCounter, 7);
    QCOMPARE(Data(rig, 0xA5, '0'), QString("007"));
    for (const Bytes& bad : {Bytes{'1', '2'}, Bytes{'1', 'A', '3'}, Bytes{'1', '2', '3', '4'}}) {
      QCOMPARE(Answer(rig, 0xA5, '1', bad), QString("N04"));
    }
    QCOMPARE(s.captureCounter, 7);
    QCOMPARE(Answer(rig, 0xA3, '1'), QString("N01"));
    Reply r;
    QCOMPARE(rig.run('Z', '0', r), CommandOutcome::Negative);
    QCOMPARE(Bytes(r.bytes.begin(), r.bytes.begin() + 5), (Bytes{'N', 'Z', '0', '0', '0'}));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimTransportTest)
#include "sim_transport_test.moc"
