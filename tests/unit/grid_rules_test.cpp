// The byte grid's cell rules without any widget: neighbours with wrap-around,
// the full-cell rule and padding (the keys are driven on the grid itself).
#include "input/grid_rules.h"

#include <QtTest>

using kdx::GridRules;

class GridRulesTest : public QObject {
  Q_OBJECT

 private slots:
  // Neighbours, wrapping at both ends.
  void neighbours_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("128, first") << 128 << 0 << 1 << 127;
    QTest::newRow("128, last") << 128 << 127 << 0 << 126;
    QTest::newRow("one cell") << 1 << 0 << 0 << 0;
  }
  void neighbours() {
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(int, next);
    QFETCH(int, previous);
    const GridRules rules(count);
    QCOMPARE(rules.last(), count - 1);
    QCOMPARE(rules.next(index), next);
    QCOMPARE(rules.previous(index), previous);
  }

  void fullCellKeepsLastTwo_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("kept");
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("one digit") << "7" << false << "7";
    QTest::newRow("two digits") << "12" << true << "12";
    QTest::newRow("three digits") << "123" << true << "23";
    QTest::newRow("four digits") << "1234" << true << "34";
  }
  void fullCellKeepsLastTwo() {
    QFETCH(QString, text);
    QFETCH(bool, full);
    QFETCH(QString, kept);
    const std::string s = text.toStdString();
    QCOMPARE(GridRules::IsFull(s), full);
    QCOMPARE(QString::fromStdString(GridRules::KeepLastTwo(s)), kept);
  }

  void padding_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("padded");
    QTest::newRow("empty stays empty") << ""
                                       << "";
    QTest::newRow("one digit") << "7"
                               << "07";
    QTest::newRow("one letter") << "A"
                                << "0A";
    QTest::newRow("two stay") << "0F"
                              << "0F";
    QTest::newRow("longer stays") << "123"
                                  << "123";
  }
  void padding() {
    QFETCH(QString, text);
    QFETCH(QString, padded);
    QCOMPARE(QString::fromStdString(GridRules::Pad(text.toStdString())), padded);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(GridRulesTest)
#include "grid_rules_test.moc"
