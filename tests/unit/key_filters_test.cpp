// The four keystroke filters over every single-byte character code.
#include <QtTest>

#include "link/key_filters.h"

using kdx::FilterKey;
using kdx::KeyFilter;

Q_DECLARE_METATYPE(kdx::KeyFilter)

namespace {

bool IsDecimal(int c) { return c >= '0' && c <= '9'; }
bool IsUpperHex(int c) { return IsDecimal(c) || (c >= 'A' && c <= 'F'); }
bool IsLowerHex(int c) { return c >= 'a' && c <= 'f'; }

}  // namespace

class KeyFiltersTest : public QObject {
  Q_OBJECT

 private slots:
  // Every code from 0 to 255 against each filter: what passes, and as what.
  void everyCode_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("backspace");
    QTest::newRow("strict hex") << KeyFilter::StrictHex << true << false;
    QTest::newRow("hex with Backspace") << KeyFilter::HexWithBackspace << true << true;
    QTest::newRow("decimal") << KeyFilter::Decimal << false << false;
    QTest::newRow("decimal with Backspace") << KeyFilter::DecimalWithBackspace << false << true;
  }
  void everyCode() {
    QFETCH(KeyFilter, filter);
    QFETCH(bool, hex);
    QFETCH(bool, backspace);
    for (int code = 0; code < 256; ++code) {
      const char c = static_cast<char>(code);
      std::optional<char> expected;
      if (IsDecimal(code)) expected = c;
      else if (hex && IsUpperHex(code)) expected = c;
      else if (hex && IsLowerHex(code)) expected = static_cast<char>(code - 32);
      else if (backspace && code == 8) expected = c;
      QVERIFY2(FilterKey(filter, c) == expected, qPrintable(QString("code %1").arg(code)));
    }
  }

  // The cases an operator meets most, spelled out.
  void typicalKeys_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<char>("typed");
    QTest::addColumn<QString>("result");  // empty: discarded
    QTest::newRow("a becomes A") << KeyFilter::StrictHex << 'a' << "A";
    QTest::newRow("f becomes F") << KeyFilter::HexWithBackspace << 'f' << "F";
    QTest::newRow("g discarded") << KeyFilter::StrictHex << 'g' << "";
    QTest::newRow("G discarded") << KeyFilter::StrictHex << 'G' << "";
    QTest::newRow("minus discarded") << KeyFilter::StrictHex << '-' << "";
    QTest::newRow("blank discarded") << KeyFilter::HexWithBackspace << ' ' << "";
    QTest::newRow("CR discarded") << KeyFilter::StrictHex << '\r' << "";
    QTest::newRow("Backspace discarded by strict hex") << KeyFilter::StrictHex << '\b' << "";
    QTest::newRow("Backspace passes hex") << KeyFilter::HexWithBackspace << '\b' << "\b";
    QTest::newRow("A discarded by decimal") << KeyFilter::Decimal << 'A' << "";
    QTest::newRow("a discarded by decimal") << KeyFilter::DecimalWithBackspace << 'a' << "";
    QTest::newRow("Backspace discarded by decimal") << KeyFilter::Decimal << '\b' << "";
    QTest::newRow("Backspace passes decimal") << KeyFilter::DecimalWithBackspace << '\b' << "\b";
    QTest::newRow("9 passes decimal") << KeyFilter::Decimal << '9' << "9";
  }
  void typicalKeys() {
    QFETCH(KeyFilter, filter);
    QFETCH(char, typed);
    QFETCH(QString, result);
    const auto passed = FilterKey(filter, typed);
    QCOMPARE(passed ? QString(QChar::fromLatin1(*passed)) : QString(), result);
  }
};

QTEST_GUILESS_MAIN(KeyFiltersTest)
#include "key_filters_test.moc"
