// The results database reader of kdx846-results: files it must refuse with
// a clear reason (and without hanging), files it must show as empty, what
// it adds up when a run grows, the chart data it hands to the charts, and
// its command line.
#include "results_reader.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "chart_data.h"
#include "results_fixture.h"
#include "results_options.h"
#include "results_table.h"

using namespace kdx::results;
using kdx::test::ResultsFixture;

namespace {

QByteArray Digest(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly)
             ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
             : QByteArray();
}

std::string Stamp(int second, int ms = 0) {
  char text[32];
  std::snprintf(text, sizeof text, "2026-12-09T10:%02d:%02d.%03d", second / 60, second % 60, ms);
  return text;
}

}  // namespace

class ResultsReaderTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir dir_;

 private slots:
  // Files that are no results database of this version: each refused with
  // its reason, quickly, and left as they were.
  void refusesWithReason_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("text file") << "text"
                               << "not a SQLite database";
    QTest::newRow("missing") << "missing"
                             << "cannot be opened";
    QTest::newRow("newer schema") << "newer"
                                  << "newer kdx846-run (schema version 7";
    QTest::newRow("another program's") << "foreign"
                                       << "another program";
    QTest::newRow("locked") << "locked"
                            << "locked by another program";
  }
  void refusesWithReason() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = dir_.filePath(kind + ".db");
    std::unique_ptr<ResultsFixture> holder;
    if (kind == "text") {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(QByteArray("Unit,Serial\r\n").repeated(100));
    } else if (kind == "newer") {
      ResultsFixture db(path.toStdString());
      QVERIFY(db.exec("PRAGMA user_version = 7"));
    } else if (kind == "foreign") {
      sqlite3* db = nullptr;
      sqlite3_open(path.toUtf8().constData(), &db);
      sqlite3_exec(db, "CREATE TABLE notes (t TEXT)", nullptr, nullptr, nullptr);
      sqlite3_close(db);
    } else if (kind == "locked") {
      // Another program writing with a rollback journal holds it locked.
      holder = std::make_unique<ResultsFixture>(path.toStdString());
      QVERIFY(holder->exec("PRAGMA journal_mode = DELETE"));
      QVERIFY(holder->exec("BEGIN EXCLUSIVE"));
      QVERIFY(
          holder->exec("INSERT INTO run (script_path, script, script_sha256, arguments, "
                       "started) VALUES ('s', X'00', 'h', '[]', 'now')"));
    }
    const QByteArray before = Digest(path);
    QElapsedTimer took;
    took.start();
    std::string error;
    const auto reader = ResultsReader::Open(path.toStdString(), error);
    QVERIFY(!reader);
    QVERIFY2(QString::fromStdString(error).contains(reason), error.c_str());
    QVERIFY2(QString::fromStdString(error).startsWith(path), error.c_str());
    QVERIFY(took.elapsed() < 3 * ResultsReader::kBusyTimeoutMs + 1000);
    QCOMPARE(Digest(path), before);
  }

  // Nothing to show is no error: a file of no bytes, and a results
  // database with a run of one unit that finished no pass.
  void showsEmptyFiles() {
    const QString empty = dir_.filePath("empty.db");
    QFile(empty).open(QIODevice::WriteOnly);
    std::string error;
    auto reader = ResultsReader::Open(empty.toStdString(), error);
    QVERIFY2(reader, error.c_str());
    std::vector<RunRow> runs{RunRow{}};
    QVERIFY(reader->runs(runs, error));
    QVERIFY(runs.empty());
    QCOMPARE(QFile(empty).size(), 0);

    const QString one = dir_.filePath("one-unit.db");
    ResultsFixture db(one.toStdString());
    const auto run = db.addRun(Stamp(0), Stamp(3), 2);
    db.addUnit(run, 1, "", 2, 0, "cannot open COM1");
    reader = ResultsReader::Open(one.toStdString(), error);
    QVERIFY2(reader, error.c_str());
    RunView view;
    QVERIFY2(reader->load(run, view, error), error.c_str());
    QCOMPARE(view.units.size(), std::size_t{1});
    const auto cells = UnitCells(view.units[0], true);
    QCOMPARE(cells[kUnitExchanges], std::string("0"));
    QCOMPARE(cells[kUnitMedianMs], std::string());
    QCOMPARE(cells[kUnitEnd], std::string("cannot open COM1"));
    QVERIFY(view.units[0].failed());
    QCOMPARE(ExchangeTimes(view).units.at(0).line.size(), std::size_t{0});
    QCOMPARE(FailureBins(view).maxCount, std::int64_t{0});
  }

  // A run read in steps while it grows adds up to the run read at once;
  // changed() notices another connection's commit.
  void updateAddsWhatIsNew() {
    const QString path = dir_.filePath("growing.db");
    ResultsFixture db(path.toStdString());
    const auto run = db.addRun(Stamp(0));
    const auto a = db.addUnit(run, 1, "SN-A");
    std::string error;
    auto reader = ResultsReader::Open(path.toStdString(), error);
    QVERIFY2(reader, error.c_str());
    QVERIFY(reader->changed());
    RunView growing;
    QVERIFY(reader->load(run, growing, error));
    QVERIFY(!reader->changed());
    int stamp = 0;
    const int total = ResultsReader::kExchangesPerRead + 50;
    QVERIFY(db.exec("BEGIN"));
    for (int i = 1; i <= total; ++i)
      db.addExchange(a, i, 1, Stamp(++stamp % 3000), i % 7 ? "positive" : "negative", i % 13, "04");
    QVERIFY(db.exec("COMMIT"));
    const auto b = db.addUnit(run, 2, "SN-B");
    db.addExchange(b, 1, 1, Stamp(9), "no-ack", 500);
    QVERIFY(reader->changed());
    QVERIFY2(reader->update(growing, error), error.c_str());
    RunView whole;
    QVERIFY(reader->load(run, whole, error));
    QCOMPARE(growing.units.size(), std::size_t{2});
    for (std::size_t u = 0; u < 2; ++u)
      QCOMPARE(UnitCells(growing.units[u], false), UnitCells(whole.units[u], false));
    QCOMPARE(growing.units[0].stats.exchanges, std::int64_t{total});
    QCOMPARE(growing.units[0].stats.negatives.at("04"), std::int64_t{total / 7});
    QCOMPARE(growing.units[1].stats.noAnswer, std::int64_t{1});
  }

  void parsesLocalTimes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms");  // -1: refused
    QTest::newRow("epoch") << "1970-01-01T00:00:00.000" << qint64(0);
    QTest::newRow("millisecond") << "1970-01-02T00:00:01.250" << qint64(86401250);
    QTest::newRow("leap day") << "2024-03-01T00:00" << qint64(1709251200000);
    QTest::newRow("blank for T") << "2024-03-01 00:00:00" << qint64(1709251200000);
    QTest::newRow("month 13") << "2024-13-01T00:00:00.000" << qint64(-1);
    QTest::newRow("cut short") << "2024-03-01T00:0" << qint64(-1);
    QTest::newRow("trailing") << "2024-03-01T00:00:00.000Z" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
  }
  void parsesLocalTimes() {
    QFETCH(QString, text);
    QFETCH(qint64, ms);
    QCOMPARE(ParseLocalMs(text.toStdString()).value_or(-1), ms);
  }

  // Thinned, a unit's line keeps each interval's longest exchange and its
  // longest failure at their own times; the bins count every failure.
  void chartDataKeepsPeaksAndFailures() {
    RunView run;
    run.units.resize(1);
    UnitStats& stats = run.units[0].stats;
    for (int i = 0; i < 1000; ++i) {
      const bool failed = i == 333 || i == 334 || i == 900;
      stats.add(i / 2 + 1, i % 2 + 1, Stamp(0), failed ? "no-head" : "positive", {},
                i == 500 ? 99 : 10 + (failed ? 1 : 0), i * 1000);
      run.lastElapsedMs = i * 1000;
    }
    const ExchangeTimeChart whole = ExchangeTimes(run, 1000);
    QVERIFY(!whole.thinned);
    QCOMPARE(whole.units[0].line.size(), std::size_t{1000});
    QCOMPARE(whole.units[0].failures.size(), std::size_t{3});
    QCOMPARE(whole.scale.unit, "min");
    const ExchangeTimeChart thin = ExchangeTimes(run, 100);
    QVERIFY(thin.thinned);
    QVERIFY(thin.units[0].line.size() <= 200);
    QCOMPARE(thin.maxY, 99.0);
    // 333 and 334 share an interval: its first longest failure stays, at its
    // own time.
    QCOMPARE(thin.units[0].failures.size(), std::size_t{2});
    QCOMPARE(thin.units[0].failures[0].x, 333000 / 60000.0);
    QCOMPARE(thin.units[0].failures[1].x, 900000 / 60000.0);
    const FailureBinChart bins = FailureBins(run, 10);
    QCOMPARE(bins.units[0].counts[3], std::int64_t{2});
    QCOMPARE(bins.units[0].counts[9], std::int64_t{1});
    QCOMPARE(bins.maxCount, std::int64_t{2});
  }

  void readsCommandLines_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("result");  // "file|dir" or "bad: reason"
    QTest::newRow("nothing") << QStringList{} << "|";
    QTest::newRow("file") << QStringList{"runs.db"} << "runs.db|";
    QTest::newRow("export") << QStringList{"runs.db", "--export", "out"} << "runs.db|out";
    QTest::newRow("export=") << QStringList{"--export=out", "runs.db"} << "runs.db|out";
    QTest::newRow("Qt option") << QStringList{"-platform", "offscreen", "runs.db"} << "runs.db|";
    QTest::newRow("after --") << QStringList{"--", "-odd.db"} << "-odd.db|";
    QTest::newRow("export without file")
        << QStringList{"--export", "out"} << "bad: --export needs a results FILE";
    QTest::newRow("export without dir")
        << QStringList{"runs.db", "--export"} << "bad: --export needs a folder";
    QTest::newRow("two files") << QStringList{"a.db", "b.db"} << "bad: unexpected argument 'b.db'";
    QTest::newRow("unknown") << QStringList{"--fast"} << "bad: unknown option '--fast'";
  }
  void readsCommandLines() {
    QFETCH(QStringList, args);
    QFETCH(QString, result);
    std::vector<QByteArray> words{"kdx846-results"};
    for (const QString& a : args) words.push_back(a.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& w : words) argv.push_back(w.constData());
    const ResultsArguments parsed =
        ParseResultsArguments(static_cast<int>(argv.size()), argv.data());
    const QString got = parsed.request == ResultsArguments::Request::Bad
                            ? "bad: " + QString::fromStdString(parsed.error)
                            : QString::fromStdString(parsed.file) + "|" +
                                  QString::fromStdString(parsed.exportDir.value_or(""));
    QCOMPARE(got, result);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ResultsReaderTest)
#include "results_reader_test.moc"
