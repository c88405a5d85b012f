// The results window over a small database made here: the unit table
// against the same counts asked of SQL, red rows, the catalogue's text on
// hover, sorting, following a database that grows, and files it cannot
// show.
#include "results_window.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "link/reply_catalogue.h"
#include "results_fixture.h"

using kdx::results::ResultsWindow;
using kdx::test::ResultsFixture;

namespace {

std::string Stamp(int second) {
  char text[32];
  std::snprintf(text, sizeof text, "2026-12-09T10:%02d:%02d.%03d", second / 60 % 60, second % 60,
                second * 7 % 1000);
  return text;
}

// Outcome lists as SQL.
constexpr char kNegative[] = "('negative', 'other', 'bad-check', 'wrong-reply', 'short-reply')";
constexpr char kNoAnswer[] = "('no-ack', 'no-head')";
constexpr char kNotCounted[] = "('cancelled', 'stopped')";

// One unit's row as SQL gives it, column by column as the table shows it.
QStringList RowBySql(const ResultsFixture& db, std::int64_t unit) {
  const std::string u = std::to_string(unit);
  const std::string counted =
      " FROM exchange WHERE unit_id = " + u + " AND outcome NOT IN " + std::string(kNotCounted);
  const auto count = [&](const std::string& where) {
    return QString::number(db.integer("SELECT COUNT(*)" + counted + where));
  };
  const std::int64_t n = db.integer("SELECT COUNT(*)" + counted);
  const auto rank = [&](int percent) -> QString {
    if (n == 0) return {};
    const std::int64_t r = std::max<std::int64_t>(1, (n * percent + 99) / 100);
    return QString::number(db.integer("SELECT duration_ms" + counted +
                                      " ORDER BY duration_ms LIMIT 1 OFFSET " +
                                      std::to_string(r - 1)));
  };
  QString codes;
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db.db(),
                     ("SELECT COALESCE(code, outcome), COUNT(*)" + counted + " AND outcome IN " +
                      kNegative + " GROUP BY 1 ORDER BY 1")
                         .c_str(),
                     -1, &s, nullptr);
  while (sqlite3_step(s) == SQLITE_ROW) {
    if (!codes.isEmpty()) codes += ", ";
    codes += QStringLiteral("%1 x %2")
                 .arg(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)))
                 .arg(sqlite3_column_int64(s, 1));
  }
  sqlite3_finalize(s);
  const std::int64_t passes = db.integer("SELECT COALESCE(passes_finished, (SELECT MAX(pass)" +
                                         counted + "), 0) FROM unit WHERE id = " + u);
  return {QString::number(db.integer("SELECT number FROM unit WHERE id = " + u)),
          QString::number(passes),
          QString::number(n),
          count(" AND outcome IN " + std::string(kNegative)),
          codes,
          count(" AND outcome IN " + std::string(kNoAnswer)),
          count(" AND outcome NOT IN ('positive') AND outcome NOT IN " + std::string(kNegative) +
                " AND outcome NOT IN " + kNoAnswer),
          rank(50),
          rank(95),
          rank(100)};
}

// The same columns of the table's row `row`.
QStringList RowShown(const QAbstractItemModel* model, int row) {
  QStringList cells;
  for (int column : {0, 3, 4, 5, 6, 7, 8, 9, 10, 11})
    cells << model->index(row, column).data().toString();
  return cells;
}

}  // namespace

class ResultsWindowTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir dir_;
  std::int64_t units_[3] = {};
  std::int64_t run_ = 0;

  // Run 1: one unit. Run 2 (the most recent): a clean unit, a unit with
  // every kind of failure, and a unit whose port could not be opened.
  void makeDatabase(ResultsFixture& db) {
    const auto old = db.addRun(Stamp(0), Stamp(30), 0);
    const auto sn0 = db.addUnit(old, 1, "SN-0", 0, 2);
    db.addExchange(sn0, 1, 1, Stamp(1), "positive", 12);
    db.addExchange(sn0, 2, 1, Stamp(2), "positive", 14);
    run_ = db.addRun(Stamp(100), Stamp(200), 2);
    units_[0] = db.addUnit(run_, 1, "SN-1", 0, 20);
    units_[1] = db.addUnit(run_, 2, "SN-2", 2, 12, "stopped answering");
    units_[2] = db.addUnit(run_, 3, "", 2, 0, "cannot open COM3");
    db.exec("BEGIN");
    for (int pass = 1; pass <= 20; ++pass) {
      for (int line = 1; line <= 2; ++line)
        db.addExchange(units_[0], pass, line, Stamp(100 + pass), "positive", 9 + pass % 4 + line);
    }
    db.addExchange(units_[0], 21, 1, Stamp(121), "cancelled", 0);
    const char* kinds[] = {"positive", "negative", "positive", "bad-check", "no-ack",
                           "negative", "nak",      "no-head",  "positive",  "failed"};
    for (int i = 0; i < 30; ++i) {
      const std::string kind = kinds[i % 10];
      db.addExchange(units_[1], i / 2 + 1, i % 2 + 1, Stamp(130 + i), kind, 5 + i * 3,
                     kind == "negative" ? (i % 3 ? "04" : "10") : "");
    }
    db.exec("COMMIT");
  }

 private slots:
  void tableMatchesSql() {
    const QString path = dir_.filePath("window.db");
    ResultsFixture db(path.toStdString());
    QVERIFY2(db.db(), db.error().c_str());
    makeDatabase(db);
    ResultsWindow window;
    window.show();
    QVERIFY(window.openFile(path));
    auto* runs = window.findChild<QTableWidget*>("Runs");
    auto* table = window.findChild<QTableView*>("Units");
    QVERIFY(runs && table);
    QCOMPARE(table->accessibleDescription(), QString("Units"));
    QCOMPARE(runs->rowCount(), 2);
    QCOMPARE(runs->currentRow(), 1);  // the most recent run
    QCOMPARE(runs->item(1, 5)->text(), QString("failed: no answer or a port failure"));
    QCOMPARE(runs->item(1, 2)->text(), QString("1 min 39 s"));  // 99.7 s
    const QAbstractItemModel* model = table->model();
    QCOMPARE(model->rowCount(), 3);
    for (int row = 0; row < 3; ++row) QCOMPARE(RowShown(model, row), RowBySql(db, units_[row]));
    // The clean unit is not red; the others are.
    QVERIFY(!model->index(0, 1).data(Qt::BackgroundRole).isValid());
    QVERIFY(model->index(1, 1).data(Qt::BackgroundRole).isValid());
    QVERIFY(model->index(2, 1).data(Qt::BackgroundRole).isValid());
    QCOMPARE(model->index(2, 13).data().toString(), QString("cannot open COM3"));
    QVERIFY(model->index(1, 12).data().toString().startsWith("pass 1, line 2, 10:02:11"));
    const QString tip = model->index(1, 6).data(Qt::ToolTipRole).toString();
    QVERIFY2(tip.contains(QString("04 ") + kdx::NegativeReplyText('0', '4')->data()),
             qPrintable(tip));
    // The serial numbers of the run come first, then the others.
    auto* serials = window.findChild<QComboBox*>("SerialNumber");
    QCOMPARE(serials->itemText(0), QString("SN-1"));
    QCOMPARE(serials->count(), 3);

    // A click on "Exchanges" sorts by the count, ascending then descending.
    QHeaderView* header = table->horizontalHeader();
    const int exchanges = 4;
    const QPoint at(header->sectionViewportPosition(exchanges) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(model->index(0, 0).data().toString(), QString("3"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(model->index(0, 0).data().toString(), QString("1"));
  }

  // While the runner writes, new passes show within two seconds, and a
  // new run joins the list without taking the selection away from a run
  // that is still being written.
  void followsGrowingDatabase() {
    const QString path = dir_.filePath("live.db");
    ResultsFixture db(path.toStdString());
    const auto run = db.addRun(Stamp(0));
    const auto unit = db.addUnit(run, 1, "SN-LIVE");
    db.addExchange(unit, 1, 1, Stamp(1), "positive", 10);
    ResultsWindow window;
    window.show();
    QVERIFY(window.openFile(path));
    auto* table = window.findChild<QTableView*>("Units");
    auto* runs = window.findChild<QTableWidget*>("Runs");
    const QModelIndex exchanges = table->model()->index(0, 4);
    QCOMPARE(exchanges.data().toString(), QString("1"));
    QCOMPARE(table->model()->index(0, 13).data().toString(), QString("running"));
    db.exec("BEGIN");
    for (int pass = 2; pass <= 5; ++pass)
      db.addExchange(unit, pass, 1, Stamp(pass), "positive", 11);
    db.exec("COMMIT");
    QTRY_COMPARE_WITH_TIMEOUT(exchanges.data().toString(), QString("5"), 2000);
    QCOMPARE(table->model()->index(0, 3).data().toString(), QString("5"));
    db.addRun(Stamp(50));
    QTRY_COMPARE_WITH_TIMEOUT(runs->rowCount(), 2, 2000);
    QCOMPARE(runs->currentRow(), 0);
    // Once the selected run has ended, the window moves on to the next.
    db.exec("UPDATE run SET ended = '" + Stamp(60) + "', status = 0 WHERE id = 1");
    QTRY_COMPARE_WITH_TIMEOUT(runs->currentRow(), 1, 3000);
    QCOMPARE(table->model()->rowCount(), 0);
  }

  // Files it cannot show: the reason in the window, the view as it was;
  // an empty file: an empty view and a note.
  void badAndEmptyFiles() {
    const QString text = dir_.filePath("notes.txt");
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    ResultsWindow window;
    window.show();
    QString error;
    QVERIFY(!window.openFile(text, &error));
    QVERIFY2(error.contains("not a SQLite database"), qPrintable(error));
    auto* message = window.findChild<QLabel*>("Message");
    QVERIFY(message->isVisible());
    QCOMPARE(message->text(), error);

    const QString empty = dir_.filePath("empty.db");
    QFile(empty).open(QIODevice::WriteOnly);
    QVERIFY(window.openFile(empty));
    QCOMPARE(window.findChild<QTableWidget*>("Runs")->rowCount(), 0);
    QCOMPARE(window.findChild<QTableView*>("Units")->model()->rowCount(), 0);
    QVERIFY(message->text().endsWith("no runs yet"));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(ResultsWindowTest)
#include "results_window_test.moc"
