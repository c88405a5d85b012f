// What the card operations read from a byte grid and write into it.
#include "input/cell_grid.h"

#include <QtTest>

using namespace kdx;

namespace {

struct FakeGrid final : CellGrid {
  std::vector<std::string> cells;
  explicit FakeGrid(std::vector<std::string> c) : cells(std::move(c)) {}
  int cellCount() const override { return static_cast<int>(cells.size()); }
  std::string text(int i) const override {
    return i >= 0 && i < cellCount() ? cells[std::size_t(i)] : std::string();
  }
  void setText(int i, std::string_view t) override { cells.at(std::size_t(i)) = t; }
  void clearCells() override {
    for (auto& c : cells) c.clear();
  }
};

}  // namespace

class CellGridTest : public QObject {
  Q_OBJECT
 private slots:
  // A lenient read, as the grids are read for display: empty is 00, one digit
  // is padded, a stray character counts as 0 in its place.
  void lenientRead() {
    FakeGrid g({"", "7", "a5", "FF", "G1", "123"});
    QCOMPARE(GridBytes(g, 0, 6), (Bytes{0x00, 0x07, 0xA5, 0xFF, 0x01, 0x23}));
    QCOMPARE(GridBytes(g, 4, 10), (Bytes{0x01, 0x23}));  // clamped to the grid
    QCOMPARE(GridBytes(g, -2, 3), (Bytes{0x00}));
  }

  // A write takes only cells of exactly two hex digits.
  void strictRead_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("bytes");  // "refused" when nothing may be sent
    QTest::newRow("two digits each") << QStringList{"12", "aB", "00"} << 0 << 3 << "12 AB 00";
    QTest::newRow("a range") << QStringList{"zz", "01", "02"} << 1 << 2 << "01 02";
    QTest::newRow("one digit") << QStringList{"1", "23"} << 0 << 2 << "refused";
    QTest::newRow("empty cell") << QStringList{"12", ""} << 0 << 2 << "refused";
    QTest::newRow("not hex") << QStringList{"1G"} << 0 << 1 << "refused";
    QTest::newRow("past the end") << QStringList{"12", "34"} << 1 << 2 << "refused";
    QTest::newRow("nothing asked") << QStringList{"12"} << 0 << 0 << "";
  }
  void strictRead() {
    QFETCH(QStringList, cells);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(QString, bytes);
    std::vector<std::string> texts;
    for (const auto& c : cells) texts.push_back(c.toStdString());
    FakeGrid g(texts);
    const auto got = StrictGridBytes(g, first, count);
    QCOMPARE(got ? QString::fromStdString(HexBytes(*got)) : QString("refused"), bytes);
  }

  void writeDropsBytesPastTheLastCell() {
    FakeGrid g({"x", "x", "x"});
    WriteGridBytes(g, Bytes{0x0A, 0xBC, 0x01}, 1);
    QCOMPARE(g.cells, (std::vector<std::string>{"x", "0A", "BC"}));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(CellGridTest)
#include "cell_grid_test.moc"
