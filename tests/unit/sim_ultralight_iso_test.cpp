// The simulated Ultralight card and ISO/IEC 7816-4 card alone.
#include <QtTest>

#include "model/cards/iso7816_card.h"
#include "model/cards/ultralight.h"

using namespace kdx::sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

Ultralight Card() {
  return Ultralight({0x04, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
}

UltralightPage Page(const Ultralight& card, int page) {
  UltralightPage out{};
  card.read(page, out);
  return out;
}

Bytes Hex(std::initializer_list<int> bytes) {
  Bytes out;
  for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

}  // namespace

class SimUltralightIsoTest : public QObject {
  Q_OBJECT
 private slots:
  void serialNumberPages() {
    Ultralight card = Card();
    QCOMPARE(Page(card, 0), (UltralightPage{0x04, 0x11, 0x22, 0x88 ^ 0x04 ^ 0x11 ^ 0x22}));
    QCOMPARE(Page(card, 1), (UltralightPage{0x33, 0x44, 0x55, 0x66}));
    QCOMPARE(Page(card, 2)[0], std::uint8_t(0x33 ^ 0x44 ^ 0x55 ^ 0x66));
    QVERIFY(!card.write(0, {1, 2, 3, 4}));
    QVERIFY(!card.write(1, {1, 2, 3, 4}));
    UltralightPage out{};
    QVERIFY(!card.read(16, out));
    QVERIFY(!card.write(16, {1, 2, 3, 4}));
  }

  void lockBytesLockPages() {
    Ultralight card = Card();
    QVERIFY(card.write(4, {1, 2, 3, 4}));
    QVERIFY(card.write(9, {9, 9, 9, 9}));
    // Lock page 4 (lock byte 0 bit 4) and page 9 (lock byte 1 bit 1).
    QVERIFY(card.write(2, {0x00, 0x00, 0x10, 0x02}));
    QCOMPARE(Page(card, 2)[0], std::uint8_t(0x33 ^ 0x44 ^ 0x55 ^ 0x66));  // unchanged
    QVERIFY(card.locked(4) && card.locked(9) && !card.locked(5));
    QVERIFY(!card.write(4, {5, 5, 5, 5}));
    QVERIFY(!card.write(9, {5, 5, 5, 5}));
    QCOMPARE(Page(card, 4), (UltralightPage{1, 2, 3, 4}));
    QVERIFY(card.write(5, {5, 5, 5, 5}));
    // Lock bits cannot be cleared.
    QVERIFY(card.write(2, {0, 0, 0, 0}));
    QVERIFY(card.locked(4));
    // Block-locking bit 1 freezes the locks of pages 4 to 9.
    QVERIFY(card.write(2, {0, 0, 0x02, 0}));
    QVERIFY(card.write(2, {0, 0, 0x20, 0x01}));
    QVERIFY(!card.locked(5) && !card.locked(8));
  }

  void otpOnlySetsBits() {
    Ultralight card = Card();
    QVERIFY(card.write(3, {0x01, 0x00, 0x00, 0x80}));
    QVERIFY(card.write(3, {0x02, 0x00, 0x00, 0x00}));
    QCOMPARE(Page(card, 3), (UltralightPage{0x03, 0x00, 0x00, 0x80}));
    QVERIFY(card.write(2, {0, 0, 0x08, 0}));
    QVERIFY(!card.write(3, {0xFF, 0xFF, 0xFF, 0xFF}));
  }

  void apdus_data() {
    QTest::addColumn<Bytes>("apdu");
    QTest::addColumn<Bytes>("response");
    QTest::newRow("select MF") << Hex({0x00, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00})
                               << Hex({0x90, 0x00});
    Bytes name{0x00, 0xA4, 0x04, 0x00, 0x0E};
    const std::string ddf = "1PAY.SYS.DDF01";
    name.insert(name.end(), ddf.begin(), ddf.end());
    Bytes fci{0x6F, 0x12, 0x84, 0x0E};
    fci.insert(fci.end(), ddf.begin(), ddf.end());
    for (int b : {0xA5, 0x00, 0x90, 0x00}) fci.push_back(std::uint8_t(b));
    QTest::newRow("select by name") << name << fci;
    QTest::newRow("missing file") << Hex({0x00, 0xA4, 0x00, 0x00, 0x02, 0x2F, 0x00})
                                  << Hex({0x6A, 0x82});
    QTest::newRow("Lc beyond the data")
        << Hex({0x00, 0xA4, 0x00, 0x00, 0x03, 0x3F, 0x00}) << Hex({0x67, 0x00});
    QTest::newRow("challenge of 5") << Hex({0x00, 0x84, 0x00, 0x00, 0x05}) << Hex({0x67, 0x00});
    QTest::newRow("unknown instruction") << Hex({0x00, 0xCA, 0x00, 0x00}) << Hex({0x6D, 0x00});
    QTest::newRow("class 80") << Hex({0x80, 0xA4, 0x00, 0x00}) << Hex({0x6E, 0x00});
    QTest::newRow("too short") << Hex({0x00, 0xA4}) << Hex({0x67, 0x00});
  }
  void apdus() {
    QFETCH(Bytes, apdu);
    QFETCH(Bytes, response);
    Iso7816Card card(7);
    QCOMPARE(card.transmit(apdu), response);
  }

  void challengesAreFresh() {
    Iso7816Card card(7);
    const Bytes get{0x00, 0x84, 0x00, 0x00, 0x08};
    const Bytes first = card.transmit(get);
    const Bytes second = card.transmit(get);
    QCOMPARE(first.size(), std::size_t{10});
    QCOMPARE(Bytes(first.end() - 2, first.end()), Hex({0x90, 0x00}));
    QVERIFY(first != second);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimUltralightIsoTest)
#include "sim_ultralight_iso_test.moc"
