// The simulated unit's contactless commands (60h) as bytes: activation by
// protocol preference, the Mifare instruction exchange's status words and
// the device's key store, through the tool's own transaction.
#include <QtTest>

#include "device_fakes.h"
#include "model/control.h"
#include "support/sim_rig.h"

using namespace kdx;
using namespace kdx::test;

namespace {

// A positive reply's data in hex, or "N" and the error code.
std::string Answer(SimRig& rig, std::uint8_t parameter, const Bytes& data = {}) {
  Reply r;
  const CommandOutcome outcome = rig.run(0x60, parameter, data, r);
  if (outcome == CommandOutcome::Negative) return std::string("N") + char(r.at(3)) + char(r.at(4));
  if (outcome != CommandOutcome::Positive) return "failed";
  return HexBytes(r.data());
}

struct Station : SimRig {
  explicit Station(const char* card) {
    sim::ApplyControl(model, std::string("card ") + card);
    sim::ApplyControl(model, "place rf");
  }
};

}  // namespace

class SimRfCommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void activationByPreference_data() {
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("preference");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("status");  // the status reply's code after it
    const struct {
      const char *name, *card, *preference, *answer, *status;
    } rows[] = {
        {"S50, A then B", "-/s50", "A B", "4D 00 04 04 A1 B2 C3 01", "10"},
        {"S50, B only", "-/s50", "B 0", "N63", "00"},
        {"S70", "-/s70", "A 0", "4D 00 02 04 A1 B2 C3 01", "11"},
        {"Ultralight", "-/ultralight", "A 0", "4D 00 44 07 04 5A 6B 7C 8D 9E 01", "12"},
        {"Type A", "-/typea", "B A", "41 00 04 04 08 44 55 01 20 05 78 80 70 02", "20"},
        {"Type B, B then A", "-/typeb", "B A", "42 50 3B 4C 5D 01 00 00 00 00 00 71 71", "30"},
        {"Type B, A only", "-/typeb", "A 0", "N63", "00"},
        {"no contactless chip", "20/-", "A B", "N63", "00"},
        {"preference 0 first", "-/s50", "0 A", "N04", "00"},
        {"one byte", "-/s50", "A", "N04", "00"},
    };
    for (const auto& r : rows) {
      QTest::newRow(r.name) << r.card << r.preference << r.answer << r.status;
    }
  }
  void activationByPreference() {
    QFETCH(QString, card);
    QFETCH(QString, preference);
    QFETCH(QString, answer);
    QFETCH(QString, status);
    Station rig(qPrintable(card));
    Bytes data;
    for (const QString& p : preference.split(' ')) data.push_back(std::uint8_t(p[0].toLatin1()));
    QCOMPARE(Answer(rig, '0', data), answer.toStdString());
    QCOMPARE(Answer(rig, '2'), HexBytes(TextToBytes(status.toStdString())));
  }

  void noCardAtTheStation() {
    SimRig rig;
    QCOMPARE(Answer(rig, '0', Bytes{'A', 'B'}), std::string("N63"));
    QCOMPARE(Answer(rig, '2'), std::string("30 30"));  // "00"
    QCOMPARE(Answer(rig, '3', Hex("00 B0 01 00 01")), std::string("N65"));
    QCOMPARE(Answer(rig, '4', Hex("00 84 00 00 08")), std::string("N65"));
    QCOMPARE(Answer(rig, '6'), std::string("N01"));
  }

  void instructionStatusWords_data() {
    QTest::addColumn<QString>("instruction");
    QTest::addColumn<QString>("answer");
    QTest::newRow("first byte not 00") << "01 B0 01 00 01"
                                       << "6E 00";
    QTest::newRow("unknown instruction") << "00 C0 01 00 01"
                                         << "6D 00";
    QTest::newRow("too short") << "00 B0 01"
                               << "67 00";
    QTest::newRow("key of five bytes") << "00 20 00 01 05 FF FF FF FF FF"
                                       << "67 00";
    QTest::newRow("key type 2") << "00 20 02 01 06 FF FF FF FF FF FF"
                                << "6B 00";
    QTest::newRow("sector 16 of an S50") << "00 20 00 10 06 FF FF FF FF FF FF"
                                         << "6B 00";
    QTest::newRow("wrong key") << "00 20 00 01 06 FF FF FF FF FF FE"
                               << "6F 01";
    QTest::newRow("read before a key") << "00 B0 01 00 01"
                                       << "6F 01";
    QTest::newRow("block 4 of a small sector") << "00 B0 01 04 01"
                                               << "6B 00";
    QTest::newRow("change key with KEY B") << "00 D5 01 01 06 FF FF FF FF FF FF"
                                           << "6B 00";
    QTest::newRow("store key") << "00 D0 01 05 06 01 02 03 04 05 06"
                               << "90 00";
  }
  void instructionStatusWords() {
    QFETCH(QString, instruction);
    QFETCH(QString, answer);
    Station rig("-/s50");
    Answer(rig, '0', Bytes{'A', 'B'});
    QCOMPARE(Answer(rig, '3', Hex(instruction.toStdString())), answer.toStdString());
  }

  // D0h stores in the unit, not on the card: the key outlives cards and
  // activations, and 21h authenticates with it.
  void keyStoreBelongsToTheUnit() {
    Station rig("-/s50");
    QCOMPARE(Answer(rig, '3', Hex("00 D0 00 02 06 01 02 03 04 05 06")), std::string("90 00"));
    Answer(rig, '0', Bytes{'A', '0'});
    QCOMPARE(Answer(rig, '3', Hex("00 21 00 02")), std::string("6F 01"));
    QCOMPARE(Answer(rig, '3', Hex("00 21 00 03")), std::string("90 00"));  // still FF..FF
    QCOMPARE(Answer(rig, '3', Hex("00 B0 03 00 01")).size(), std::size_t{16 * 3 + 2 * 3 - 1});
    // Deactivation forgets the authentication.
    Answer(rig, '1');
    Answer(rig, '0', Bytes{'A', '0'});
    QCOMPARE(Answer(rig, '3', Hex("00 B0 03 00 01")), std::string("6F 01"));
    QCOMPARE(rig.model.state().rf.storedKey(sim::KeyType::A, 2)[0], std::uint8_t(0x01));
  }

  // A card carries its memory through moves; a fresh card from the stacker
  // starts blank with a new UID.
  void cardsKeepTheirMemory() {
    Station rig("-/s50");
    Answer(rig, '0', Bytes{'A', '0'});
    Answer(rig, '3', Hex("00 20 00 01 06 FF FF FF FF FF FF"));
    Answer(rig, '3', Hex("00 D1 01 01 01 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11"));
    rig.model.state().position = sim::CardPosition::Front;
    QCOMPARE(Answer(rig, '2'), std::string("30 30"));
    rig.model.state().position = sim::CardPosition::RfStation;
    Answer(rig, '0', Bytes{'A', '0'});
    Answer(rig, '3', Hex("00 20 00 01 06 FF FF FF FF FF FF"));
    QVERIFY(Answer(rig, '3', Hex("00 B0 01 01 01")).starts_with("11 11"));
    sim::ApplyControl(rig.model, "place rf");
    QCOMPARE(Answer(rig, '0', Bytes{'A', '0'}), std::string("4D 00 04 04 A1 B2 C3 02"));
    Answer(rig, '3', Hex("00 20 00 01 06 FF FF FF FF FF FF"));
    QVERIFY(Answer(rig, '3', Hex("00 B0 01 01 01")).starts_with("00 00"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimRfCommandsTest)
#include "sim_rf_commands_test.moc"
