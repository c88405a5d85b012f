// The simulated Mifare Classic card alone: geometry, keys, access
// conditions for data blocks, value blocks and trailers, value arithmetic.
#include <QtTest>

#include "model/cards/mifare_classic.h"

using namespace kdx::sim;

namespace {

const MifareKey kFF{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const MifareKey kKeyA{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
const MifareKey kKeyB{0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5};

MifareClassic S50() {
  return MifareClassic(MifareClassic::Kind::S50, {0x11, 0x22, 0x33, 0x44});
}

// A trailer with the given keys and conditions (blocks 0..2, trailer).
MifareBlock Trailer(const MifareKey& a, std::array<int, 4> c, const MifareKey& b) {
  MifareBlock t{};
  std::copy(a.begin(), a.end(), t.begin());
  const auto bits = AccessBytes(c);
  std::copy(bits.begin(), bits.end(), t.begin() + 6);
  t[9] = 0x69;
  std::copy(b.begin(), b.end(), t.begin() + 10);
  return t;
}

}  // namespace

class SimMifareClassicTest : public QObject {
  Q_OBJECT
 private slots:
  void factoryState() {
    const MifareClassic card = S50();
    QCOMPARE(card.sectorCount(), 16);
    MifareBlock block{};
    QCOMPARE(card.read(0, 0, KeyType::A, block), CardResult::Ok);
    QCOMPARE(block[0], std::uint8_t(0x11));
    QCOMPARE(block[4], std::uint8_t(0x11 ^ 0x22 ^ 0x33 ^ 0x44));
    QVERIFY(card.keyMatches(1, KeyType::A, kFF));
    QVERIFY(!card.keyMatches(1, KeyType::A, kKeyA));
    // The transport access bytes; key A reads as zeros.
    QCOMPARE(card.read(1, 3, KeyType::A, block), CardResult::Ok);
    const MifareBlock trailer{0,    0,    0,    0,    0,    0,    0xFF, 0x07,
                              0x80, 0x69, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    QCOMPARE(block, trailer);
    QCOMPARE(card.read(16, 0, KeyType::A, block), CardResult::NoBlock);
  }

  void accessBytesRoundTrip() {
    for (int c = 0; c < 4096; ++c) {
      const std::array<int, 4> conds{c & 7, (c >> 3) & 7, (c >> 6) & 7, (c >> 9) & 7};
      const auto bytes = AccessBytes(conds);
      QCOMPARE(AccessConditions(bytes.data()), std::optional(conds));
    }
    const std::uint8_t transport[] = {0xFF, 0x07, 0x80};
    QCOMPARE(AccessConditions(transport), std::optional(std::array<int, 4>{0, 0, 0, 1}));
    const std::uint8_t broken[] = {0xFF, 0x07, 0x81};
    QCOMPARE(AccessConditions(broken), std::nullopt);
  }

  void manufacturerBlockIsReadOnly() {
    MifareClassic card = S50();
    QCOMPARE(card.write(0, 0, KeyType::A, MifareBlock{}), CardResult::Denied);
    QCOMPARE(card.write(0, 1, KeyType::A, MifareBlock{1}), CardResult::Ok);
  }

  // Data block conditions: 100 (read A|B, write B), 010 (read only),
  // 110 (value block: increment with B only), 111 (never).
  void dataBlockConditions() {
    MifareClassic card = S50();
    card.raw(2, 3) = Trailer(kKeyA, {4, 2, 6, 3}, kKeyB);
    const MifareBlock data{7};
    MifareBlock out{};
    QCOMPARE(card.write(2, 0, KeyType::A, data), CardResult::Denied);
    QCOMPARE(card.write(2, 0, KeyType::B, data), CardResult::Ok);
    QCOMPARE(card.read(2, 0, KeyType::A, out), CardResult::Ok);
    QCOMPARE(out, data);
    QCOMPARE(card.write(2, 1, KeyType::B, data), CardResult::Denied);
    QCOMPARE(card.initValue(2, 2, KeyType::B, 10), CardResult::Ok);
    QCOMPARE(card.increment(2, 2, KeyType::A, 1), CardResult::Denied);
    QCOMPARE(card.increment(2, 2, KeyType::B, 1), CardResult::Ok);
    QCOMPARE(card.decrement(2, 2, KeyType::A, 2), CardResult::Ok);
    std::int32_t value = 0;
    QCOMPARE(card.readValue(2, 2, KeyType::A, value), CardResult::Ok);
    QCOMPARE(value, 9);
    card.raw(3, 3) = Trailer(kKeyA, {7, 0, 0, 1}, kKeyB);
    QCOMPARE(card.read(3, 0, KeyType::A, out), CardResult::Denied);
  }

  // With the trailer in the transport configuration key B can be read, so
  // it cannot serve for authentication: every access with it is refused.
  void readableKeyBIsNoKey() {
    MifareClassic card = S50();
    MifareBlock out{};
    QCOMPARE(card.read(1, 0, KeyType::B, out), CardResult::Denied);
    QCOMPARE(card.write(1, 0, KeyType::B, out), CardResult::Denied);
  }

  void trailerWrites() {
    MifareClassic card = S50();
    // Transport: key A writes keys and access bits.
    QCOMPARE(card.write(1, 3, KeyType::A, Trailer(kKeyA, {0, 0, 0, 3}, kKeyB)), CardResult::Ok);
    QVERIFY(card.keyMatches(1, KeyType::A, kKeyA));
    QVERIFY(card.keyMatches(1, KeyType::B, kKeyB));
    // 011: key A may no longer change anything; key B may.
    QCOMPARE(card.changeKeyA(1, KeyType::A, kFF), CardResult::Denied);
    QCOMPARE(card.changeKeyA(1, KeyType::B, kFF), CardResult::Ok);
    QVERIFY(card.keyMatches(1, KeyType::A, kFF));
    // Key B is hidden from key A's reads now.
    MifareBlock out{};
    QCOMPARE(card.read(1, 3, KeyType::A, out), CardResult::Ok);
    QCOMPARE(out[10], std::uint8_t(0));
    // Malformed access bits are refused and change nothing.
    MifareBlock bad = Trailer(kKeyA, {0, 0, 0, 3}, kKeyB);
    bad[8] ^= 0x01;
    QCOMPARE(card.write(1, 3, KeyType::B, bad), CardResult::Denied);
    QVERIFY(card.keyMatches(1, KeyType::A, kFF));
  }

  void valueArithmetic() {
    MifareClassic card = S50();
    QCOMPARE(card.increment(1, 1, KeyType::A, 1), CardResult::NotValue);
    QCOMPARE(card.initValue(1, 1, KeyType::A, 1000), CardResult::Ok);
    const MifareBlock layout{0xE8, 0x03, 0,    0, 0x17, 0xFC, 0xFF, 0xFF,
                             0xE8, 0x03, 0x00, 0, 0x05, 0xFA, 0x05, 0xFA};
    QCOMPARE(card.raw(1, 1), layout);
    QCOMPARE(card.increment(1, 1, KeyType::A, 500), CardResult::Ok);
    QCOMPARE(card.decrement(1, 1, KeyType::A, 200), CardResult::Ok);
    std::int32_t value = 0;
    QCOMPARE(card.readValue(1, 1, KeyType::A, value), CardResult::Ok);
    QCOMPARE(value, 1300);
    QCOMPARE(card.decrement(1, 1, KeyType::A, 1301), CardResult::OutOfRange);
    QCOMPARE(card.increment(1, 1, KeyType::A, 0x7FFFFFFF), CardResult::OutOfRange);
    QCOMPARE(card.readValue(1, 1, KeyType::A, value), CardResult::Ok);
    QCOMPARE(value, 1300);
    // A damaged copy is no value block any more.
    card.raw(1, 1)[5] ^= 0x01;
    QCOMPARE(card.readValue(1, 1, KeyType::A, value), CardResult::NotValue);
  }

  void s70Geometry() {
    MifareClassic card(MifareClassic::Kind::S70, {1, 2, 3, 4});
    QCOMPARE(card.sectorCount(), 40);
    QVERIFY(card.hasBlock(31, 3) && !card.hasBlock(31, 4));
    QVERIFY(card.hasBlock(32, 15) && !card.hasBlock(32, 16));
    // Blocks 5 to 9 of a big sector share the second access entry.
    card.raw(33, 15) = Trailer(kFF, {0, 2, 0, 1}, kFF);
    QCOMPARE(card.write(33, 4, KeyType::A, MifareBlock{1}), CardResult::Ok);
    QCOMPARE(card.write(33, 5, KeyType::A, MifareBlock{1}), CardResult::Denied);
    QCOMPARE(card.write(33, 9, KeyType::A, MifareBlock{1}), CardResult::Denied);
    QCOMPARE(card.write(33, 10, KeyType::A, MifareBlock{1}), CardResult::Ok);
    MifareBlock out{};
    QCOMPARE(card.read(39, 15, KeyType::A, out), CardResult::Ok);
    QCOMPARE(out[7], std::uint8_t(0x07));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimMifareClassicTest)
#include "sim_mifare_classic_test.moc"
