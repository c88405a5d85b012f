// The simulator's contact memory cards, each on its own: the chip rules of
// SLE4442, SLE4428 and the 24Cxx EEPROMs, and their answers to APDUs.
#include <QtTest>

#include "device_fakes.h"
#include "model/cards/contact_memory.h"

using namespace kdx;
using namespace kdx::test;
using namespace kdx::sim;

namespace {

std::string Answer(auto& card, std::string_view apdu) {
  return HexBytes(card.respond(Hex(apdu)));
}

}  // namespace

class SimMemoryCardsTest : public QObject {
  Q_OBJECT
 private slots:
  void sle4442ErrorCounterRunsDownToALock() {
    Sle4442Card card;
    const std::array<std::uint8_t, 3> wrong{1, 2, 3};
    const std::uint8_t counters[] = {0x06, 0x04, 0x00};
    for (std::uint8_t expected : counters) {
      QCOMPARE(card.verify(wrong), Sle4442Card::Verification::Wrong);
      QCOMPARE(card.errorCounter(), expected);
    }
    QVERIFY(card.locked());
    QCOMPARE(card.verify({0xFF, 0xFF, 0xFF}), Sle4442Card::Verification::Locked);
    QVERIFY(!card.verified());
  }

  void sle4442RightPscRestoresTheCounter() {
    Sle4442Card card;
    card.verify({0, 0, 0});
    QCOMPARE(card.errorCounter(), std::uint8_t{0x06});
    QCOMPARE(card.verify({0xFF, 0xFF, 0xFF}), Sle4442Card::Verification::Accepted);
    QCOMPARE(card.errorCounter(), std::uint8_t{0x07});
    card.powerDown();
    QVERIFY(!card.verified());
  }

  void sle4442MemoryRules() {
    Sle4442Card card;
    QCOMPARE(card.main(0), std::uint8_t{0xA2});
    QVERIFY(card.isProtected(7) && !card.isProtected(8) && !card.isProtected(40));
    QVERIFY(!card.updateMain(0x40, 0x12));  // PSC not presented
    QCOMPARE(card.security(), (std::array<std::uint8_t, 4>{0x07, 0, 0, 0}));
    card.verify({0xFF, 0xFF, 0xFF});
    QCOMPARE(card.security(), (std::array<std::uint8_t, 4>{0x07, 0xFF, 0xFF, 0xFF}));
    QVERIFY(card.updateMain(0x40, 0x12));
    QCOMPARE(card.main(0x40), std::uint8_t{0x12});
    QVERIFY(!card.updateMain(0x00, 0x55));  // protected
    QCOMPARE(card.main(0x00), std::uint8_t{0xA2});
    QVERIFY(card.updateMain(0x00, 0xA2));  // same data: nothing changes
    // Protection takes only where the data match, and then for good.
    QVERIFY(card.updateMain(0x10, 0x33));
    QVERIFY(!card.protect(0x10, 0x34));
    QVERIFY(!card.isProtected(0x10));
    QVERIFY(card.protect(0x10, 0x33));
    QVERIFY(!card.updateMain(0x10, 0x44));
    QCOMPARE(card.main(0x10), std::uint8_t{0x33});
  }

  void sle4442Apdus_data() {
    QTest::addColumn<QString>("apdu");
    QTest::addColumn<QString>("answer");
    QTest::newRow("read main") << "00 B0 00 00 04"
                               << "A2 13 10 91 90 00";
    QTest::newRow("read protection") << "00 B0 01 06 03"
                                     << "00 00 01 90 00";
    QTest::newRow("read security") << "00 B0 02 00 04"
                                   << "07 00 00 00 90 00";
    QTest::newRow("read nothing") << "00 B0 00 10 00"
                                  << "90 00";
    QTest::newRow("write before PSC") << "00 D0 00 40 01 12"
                                      << "6F 01";
    QTest::newRow("wrong PSC") << "00 20 03 01 03 01 02 03"
                               << "6F 01";
    QTest::newRow("verify wrong P2") << "00 20 03 00 03 FF FF FF"
                                     << "6B 00";
    QTest::newRow("verify short data") << "00 20 03 01 03 FF FF"
                                       << "67 00";
    QTest::newRow("read past the end") << "00 B0 00 F0 20"
                                       << "67 00";
    QTest::newRow("read more than 80") << "00 B0 00 00 81"
                                       << "67 00";
    QTest::newRow("protection beyond 1F") << "00 B0 01 20 01"
                                          << "6B 00";
    QTest::newRow("unknown area") << "00 B0 03 00 01"
                                  << "6B 00";
    QTest::newRow("read with data") << "00 B0 00 00 01 55"
                                    << "67 00";
    QTest::newRow("class") << "80 B0 00 00 01"
                           << "6E 00";
    QTest::newRow("instruction") << "00 A4 00 00 01"
                                 << "6D 00";
    QTest::newRow("too short") << "00 B0 00 00"
                               << "67 00";
  }
  void sle4442Apdus() {
    QFETCH(QString, apdu);
    QFETCH(QString, answer);
    Sle4442Card card;
    QCOMPARE(Answer(card, apdu.toStdString()), answer.toStdString());
  }

  void sle4442WritesEachByteOnItsOwn() {
    Sle4442Card card;
    QCOMPARE(Answer(card, "00 20 03 01 03 FF FF FF"), std::string("90 00"));
    // Bytes 06 and 07 are protected: 07 keeps its data, 08 is written.
    QCOMPARE(Answer(card, "00 D0 00 07 02 00 11"), std::string("6F 00"));
    QCOMPARE(Answer(card, "00 B0 00 06 03"), std::string("81 15 11 90 00"));
    QCOMPARE(Answer(card, "00 D0 02 01 03 12 34 56"), std::string("90 00"));
    QCOMPARE(card.psc(), (std::array<std::uint8_t, 3>{0x12, 0x34, 0x56}));
  }

  void sle4428Rules() {
    Sle4428Card card;
    QCOMPARE(card.byte(0), std::uint8_t{0x92});
    QVERIFY(card.isProtected(3) && !card.isProtected(4));
    for (int tries = Sle4428Card::kTries - 1; tries >= 0; --tries) {
      QCOMPARE(card.verify({0, 0}), Sle4428Card::Verification::Wrong);
      QCOMPARE(card.triesLeft(), tries);
    }
    QCOMPARE(card.verify({0xFF, 0xFF}), Sle4428Card::Verification::Locked);
  }

  void sle4428ProtectionBitsBlockWrites() {
    Sle4428Card card;
    QCOMPARE(Answer(card, "00 D0 01 20 02 12 34"), std::string("6F 01"));
    QCOMPARE(Answer(card, "00 20 00 00 02 FF FF"), std::string("90 00"));
    QCOMPARE(Answer(card, "00 D0 23 FE 02 12 34"), std::string("90 00"));
    QVERIFY(card.isProtected(0x3FE) && card.isProtected(0x3FF));
    QCOMPARE(Answer(card, "00 D0 03 FE 02 56 78"), std::string("6F 00"));
    QCOMPARE(Answer(card, "00 B0 03 FE 02"), std::string("12 34 90 00"));
    QCOMPARE(Answer(card, "00 B0 13 FD 03"), std::string("01 00 00 90 00"));
    QCOMPARE(Answer(card, "00 D0 03 FD 01 77"), std::string("90 00"));
    QVERIFY(!card.isProtected(0x3FD));
    QCOMPARE(Answer(card, "00 B0 04 00 01"), std::string("6B 00"));
    QCOMPARE(Answer(card, "00 D0 13 00 01 00"), std::string("6B 00"));
    QCOMPARE(Answer(card, "00 B0 03 FF 02"), std::string("67 00"));
    QCOMPARE(Answer(card, "00 24 01 00 02 AB CD"), std::string("90 00"));
    card.powerDown();
    QCOMPARE(Answer(card, "00 24 01 00 02 00 00"), std::string("6F 01"));
    QCOMPARE(card.psc(), (std::array<std::uint8_t, 2>{0xAB, 0xCD}));
  }

  void eepromKinds_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("kind");
    QTest::newRow("24C01") << "30"
                           << "24C01" << 128 << 8 << int('1');
    QTest::newRow("24C02") << "31"
                           << "24C02" << 256 << 8 << int('2');
    QTest::newRow("24C04") << "32"
                           << "24C04" << 512 << 16 << int('3');
    QTest::newRow("24C08") << "33"
                           << "24C08" << 1024 << 16 << int('4');
    QTest::newRow("24C16") << "34"
                           << "24C16" << 2048 << 16 << int('5');
    QTest::newRow("24C32") << "35"
                           << "24C32" << 4096 << 32 << int('6');
    QTest::newRow("24C64") << "36"
                           << "24C64" << 8192 << 32 << int('7');
    QTest::newRow("24C128") << "37"
                            << "24C128" << 16384 << 64 << int('8');
    QTest::newRow("24C256") << "38"
                            << "24C256" << 32768 << 64 << int('9');
    QTest::newRow("24C512") << "39"
                            << "24C512" << 65536 << 128 << int(':');
  }
  void eepromKinds() {
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(int, page);
    QFETCH(int, kind);
    auto memory = MakeContactMemory(code.toStdString());
    QVERIFY(memory);
    auto* chip = memory->as<I2cEepromCard>();
    QVERIFY(chip);
    QCOMPARE(QString::fromLatin1(chip->kind().name.data(), qsizetype(chip->kind().name.size())),
             name);
    QCOMPARE(int(chip->kind().size), size);
    QCOMPARE(int(chip->kind().pageSize), page);
    QCOMPARE(int(chip->kind().kindCode), kind);
    // The last byte answers; one past it is refused by status word.
    const std::string last =
        HexByte(std::uint8_t((size - 1) >> 8)) + " " + HexByte(std::uint8_t((size - 1) & 0xFF));
    QCOMPARE(Answer(*chip, "00 B0 " + last + " 01"), std::string("FF 90 00"));
    QCOMPARE(Answer(*chip, "00 B0 " + last + " 02"), std::string("67 00"));
    if (size < 65536) {
      const std::string past =
          HexByte(std::uint8_t(size >> 8)) + " " + HexByte(std::uint8_t(size & 0xFF));
      QCOMPARE(Answer(*chip, "00 B0 " + past + " 01"), std::string("6B 00"));
    }
  }

  void noMemoryChipOnOtherCards() {
    for (const char* code : {"10", "11", "00", "3A", ""}) QVERIFY(!MakeContactMemory(code));
  }

  // A page write keeps to its page: past the page's end it starts again at
  // the page's first byte. A sequential read rolls over the memory's end.
  void eepromPageWriteWraps() {
    I2cEepromCard chip(*FindEepromKind("24c16"));
    Bytes data;
    for (int i = 0; i < 20; ++i) data.push_back(std::uint8_t(0xA0 + i));
    chip.pageWrite(0x1C, data);  // page 10h-1Fh
    QCOMPARE(HexBytes(chip.read(0x10, 16)),
             std::string("A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 B1 B2 B3"));
    QCOMPARE(chip.byte(0x20), std::uint8_t{0xFF});
    QCOMPARE(chip.byte(0x0F), std::uint8_t{0xFF});
    chip.pageWrite(0x7FF, Bytes{0x01});
    QCOMPARE(HexBytes(chip.read(0x7FF, 2)), std::string("01 FF"));
  }

  // The device splits a write at page boundaries, so it lands as sent.
  void eepromWriteCommandSpansPages() {
    I2cEepromCard chip(*FindEepromKind("24C16"));
    QCOMPARE(Answer(chip, "00 D0 00 1C 06 01 02 03 04 05 06"), std::string("90 00"));
    QCOMPARE(Answer(chip, "00 B0 00 1A 0A"), std::string("FF FF 01 02 03 04 05 06 FF FF 90 00"));
    QCOMPARE(Answer(chip, "00 D0 07 FF 02 01 02"), std::string("67 00"));
    QCOMPARE(Answer(chip, "00 D0 00 00 02 01"), std::string("67 00"));
    QCOMPARE(Answer(chip, "00 20 00 00 00"), std::string("6D 00"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimMemoryCardsTest)
#include "sim_memory_cards_test.moc"
