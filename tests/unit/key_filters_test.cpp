// The four keystroke filters over every single-byte character code.
#include "input/key_filters.h"

#include <QtTest>

using kdx::FilterKey;
using kdx::KeyFilter;

Q_DECLARE_METATYPE(kdx::KeyFilter)

namespace {

bool IsDecimal(int c) {
  return c >= '0' && c <= '9';
}
bool IsUpperHex(int c) {
  return IsDecimal(c) || (c >= 'A' && c <= 'F');
}
bool IsLowerHex(int c) {
  return c >= 'a' && c <= 'f';
}

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
      if (IsDecimal(code))
        expected = c;
      else if (hex && IsUpperHex(code))
        expected = c;
      else if (hex && IsLowerHex(code))
        expected = static_cast<char>(code - 32);
      else if (backspace && code == 8)
        expected = c;
      QVERIFY2(FilterKey(filter, c) == expected, qPrintable(QString("code %1").arg(code)));
    }
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(KeyFiltersTest)
#include "key_filters_test.moc"
