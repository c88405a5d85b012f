// The byte grid's cell rules without any widget: neighbours with wrap-around,
// the full-cell rule, padding and the keys.
#include <QtTest>

#include "link/grid_rules.h"

using kdx::CellEdit;
using kdx::GridKey;
using kdx::GridKeyAction;
using kdx::GridRules;

class GridRulesTest : public QObject {
  Q_OBJECT

 private slots:
  // Neighbours in the four grid sizes, wrapping at both ends.
  void neighbours_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("128, first") << 128 << 0 << 1 << 127;
    QTest::newRow("128, last") << 128 << 127 << 0 << 126;
    QTest::newRow("16, last") << 16 << 15 << 0 << 14;
    QTest::newRow("6, last") << 6 << 5 << 0 << 4;
    QTest::newRow("4, last") << 4 << 3 << 0 << 2;
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
    QTest::newRow("empty stays empty") << "" << "";
    QTest::newRow("one digit") << "7" << "07";
    QTest::newRow("one letter") << "A" << "0A";
    QTest::newRow("two stay") << "0F" << "0F";
    QTest::newRow("longer stays") << "123" << "123";
  }
  void padding() {
    QFETCH(QString, text);
    QFETCH(QString, padded);
    QCOMPARE(QString::fromStdString(GridRules::Pad(text.toStdString())), padded);
  }

  void keys() {
    const GridRules rules(16);
    QCOMPARE(rules.onKey(4, GridKey::Right), (GridKeyAction{CellEdit::Pad, 5}));
    QCOMPARE(rules.onKey(15, GridKey::Right), (GridKeyAction{CellEdit::Pad, 0}));
    QCOMPARE(rules.onKey(4, GridKey::Left), (GridKeyAction{CellEdit::Pad, 3}));
    QCOMPARE(rules.onKey(0, GridKey::Left), (GridKeyAction{CellEdit::Pad, 15}));
    QCOMPARE(rules.onKey(15, GridKey::Enter), (GridKeyAction{CellEdit::Pad, 0}));
    QCOMPARE(rules.onKey(7, GridKey::Enter), (GridKeyAction{CellEdit::Pad, 8}));
    QCOMPARE(rules.onKey(7, GridKey::Escape), (GridKeyAction{CellEdit::Clear, std::nullopt}));
  }
};

QTEST_GUILESS_MAIN(GridRulesTest)
#include "grid_rules_test.moc"
