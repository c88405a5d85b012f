// The simulated contact CPU cards and SAMs alone: their ATRs, resets with
// either activation, power and clock, and APDUs over T=0 and T=1.
#include <QtTest>

#include "device_fakes.h"
#include "model/cards/contact_cpu_card.h"

using namespace kdx;
using namespace kdx::test;
using sim::ContactCpuCard;

namespace {

using Power = ContactCpuCard::Power;

std::string Transmit(ContactCpuCard& card, std::string_view apdu) {
  return HexBytes(card.transmit(Hex(apdu)), "");
}

const std::string kDirectoryFci = "6F12840E315041592E5359532E4444463031A500";

}  // namespace

class SimContactCpuCardTest : public QObject {
  Q_OBJECT
 private slots:
  void answersToReset_data() {
    QTest::addColumn<int>("card");
    QTest::addColumn<QString>("atr");
    QTest::addColumn<char>("protocol");
    QTest::newRow("T=0") << 0 << "3B 68 00 00 43 50 55 2D 54 30 01 00" << '0';
    QTest::newRow("T=1") << 1 << "3B 88 81 31 FE 45 43 50 55 2D 54 31 01 00 8C" << '1';
    QTest::newRow("ISO only") << 2 << "3F 96 18 81 31 FE 45 49 53 4F 2D 54 31 98" << '1';
    QTest::newRow("SAM 1") << 3 << "3B 66 00 00 53 41 4D 31 54 30" << '0';
    QTest::newRow("SAM 2") << 4 << "3B 86 81 31 FE 45 53 41 4D 32 54 31 85" << '1';
  }
  void answersToReset() {
    QFETCH(int, card);
    QFETCH(QString, atr);
    QFETCH(char, protocol);
    const ContactCpuCard cards[] = {ContactCpuCard::T0Card(), ContactCpuCard::T1Card(),
                                    ContactCpuCard::IsoOnlyCard(), ContactCpuCard::Sam(1),
                                    ContactCpuCard::Sam(2)};
    const ContactCpuCard& c = cards[card];
    QCOMPARE(c.atr(), Hex(atr.toStdString()));
    QCOMPARE(static_cast<char>(c.protocol()), protocol);
    QCOMPARE(c.power(), Power::Off);
    // A T=1 ATR ends with TCK: T0 through TCK XOR to 0.
    if (protocol == '1') {
      std::uint8_t x = 0;
      for (std::size_t i = 1; i < c.atr().size(); ++i) x ^= c.atr()[i];
      QCOMPARE(x, std::uint8_t{0});
    }
  }

  void samsDiffer() {
    for (int a = 1; a <= 5; ++a) {
      for (int b = a + 1; b <= 5; ++b) {
        QVERIFY(ContactCpuCard::Sam(a).atr() != ContactCpuCard::Sam(b).atr());
      }
    }
  }

  void powerAndClock() {
    ContactCpuCard card = ContactCpuCard::T0Card();
    QVERIFY(!card.warmReset());
    QCOMPARE(card.power(), Power::Off);
    QVERIFY(card.coldReset(true));
    QCOMPARE(card.power(), Power::Slow);
    QVERIFY(card.warmReset());
    QCOMPARE(card.power(), Power::Fast);
    QVERIFY(card.coldReset(false));
    QCOMPARE(card.power(), Power::Slow);
    card.deactivate();
    QCOMPARE(card.power(), Power::Off);
  }

  void isoOnlyCardRefusesEmv() {
    ContactCpuCard card = ContactCpuCard::IsoOnlyCard();
    QVERIFY(card.coldReset(false));
    QVERIFY(!card.coldReset(true));
    QVERIFY(!card.powered());
    QVERIFY(card.coldReset(false));
    QVERIFY(card.powered());
  }

  // T=0: the data of a command with data wait for GET RESPONSE.
  void t0GetResponse() {
    ContactCpuCard card = ContactCpuCard::T0Card();
    card.coldReset(true);
    QCOMPARE(Transmit(card, "00C0000014"), std::string("6985"));
    QCOMPARE(Transmit(card, "00A40000023F00"), std::string("9000"));
    QCOMPARE(Transmit(card, "00A404000E315041592E5359532E4444463031"), std::string("6114"));
    QCOMPARE(Transmit(card, "00C0000018"), std::string("6C14"));
    QCOMPARE(Transmit(card, "00C0000010"), kDirectoryFci.substr(0, 32) + "6104");
    QCOMPARE(Transmit(card, "00C0000004"), kDirectoryFci.substr(32) + "9000");
    QCOMPARE(Transmit(card, "00C0000004"), std::string("6985"));
    QCOMPARE(Transmit(card, "00A404000E315041592E5359532E4444463031"), std::string("6114"));
    QCOMPARE(Transmit(card, "00C0000014"), kDirectoryFci + "9000");
    // Another command drops what was waiting.
    Transmit(card, "00A404000E315041592E5359532E4444463031");
    QCOMPARE(Transmit(card, "00A40000023F00"), std::string("9000"));
    QCOMPARE(Transmit(card, "00C0000014"), std::string("6985"));
    QCOMPARE(Transmit(card, "00C0010014"), std::string("6B00"));
  }

  void t1ReturnsDataAtOnce() {
    ContactCpuCard card = ContactCpuCard::T1Card();
    card.coldReset(true);
    QCOMPARE(Transmit(card, "00A404000E315041592E5359532E4444463031"), kDirectoryFci + "9000");
    QCOMPARE(Transmit(card, "00C0000014"), std::string("6D00"));
  }

  void challengesAndErrors_data() {
    QTest::addColumn<bool>("t0");
    QTest::newRow("T=0") << true;
    QTest::newRow("T=1") << false;
  }
  void challengesAndErrors() {
    QFETCH(bool, t0);
    ContactCpuCard card = t0 ? ContactCpuCard::T0Card() : ContactCpuCard::T1Card();
    card.coldReset(false);
    const std::string first = Transmit(card, "0084000008");
    QCOMPARE(first.size(), std::size_t{20});
    QVERIFY(first.ends_with("9000"));
    QVERIFY(Transmit(card, "0084000008") != first);
    QCOMPARE(Transmit(card, "00A40000022F00"), std::string("6A82"));
    QCOMPARE(Transmit(card, "00B0000010"), std::string("6D00"));
    QCOMPARE(Transmit(card, "0084000009"), std::string("6700"));
    QCOMPARE(Transmit(card, ""), std::string("6700"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimContactCpuCardTest)
#include "sim_contact_cpu_card_test.moc"
