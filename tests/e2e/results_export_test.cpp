// kdx846-results --export on a real runner database: four simulated units
// in a short burn-in, one of them going silent midway, then the export
// without a display. The CSV's rows hold the counts SQL gives for the same
// units, the charts are pictures, and the silent unit's failures are marked
// where its records put them. A file it cannot read ends with status 2.
#include <sqlite3.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <cmath>

#include "chart_data.h"
#include "results_reader.h"
#include "support/sim_process.h"

using kdx::test::SimProcess;

namespace {

QProcessEnvironment NoDisplay() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  return env;
}

// RFC 4180 records (quoted fields, doubled quotes, CR LF).
QList<QStringList> ParseCsv(const QString& text) {
  QList<QStringList> records;
  QStringList fields;
  QString field;
  bool quoted = false;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields << field;
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      fields << field;
      records << fields;
      fields.clear();
      field.clear();
      ++i;
    } else {
      field += c;
    }
  }
  return records;
}

// Rows of one query, each column as text.
QList<QStringList> Query(sqlite3* db, const QString& sql) {
  QList<QStringList> rows;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK) return rows;
  while (sqlite3_step(s) == SQLITE_ROW) {
    QStringList row;
    for (int i = 0; i < sqlite3_column_count(s); ++i)
      row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)));
    rows << row;
  }
  sqlite3_finalize(s);
  return rows;
}

}  // namespace

class ResultsExportTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir dir_;

 private slots:
  void exportsRealRun() {
    std::array<SimProcess, 4> sims;
    QStringList args{
        dir_.filePath("burn-in.txt"), "--duration", "4s", "--format", "jsonl", "--results",
        dir_.filePath("runs.db")};
    QFile script(args[0]);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("C10\r\nC11\r\n");
    script.close();
    for (std::size_t i = 0; i < sims.size(); ++i) {
      std::string error;
      const std::string serial = "UNIT-" + std::to_string(i + 1);
      QVERIFY2(sims[i].start({"--serial", serial, "--latency", "2"}, &error), error.c_str());
      args << "--port" << QString::fromStdString(sims[i].linkPath());
    }
    QProcess run;
    run.setStandardOutputFile(QProcess::nullDevice());
    run.start(qEnvironmentVariable("KDX846_RUN"), args);
    QVERIFY(run.waitForStarted());
    // Unit 3 goes silent after its identity and 30 passes.
    const auto frames = [&] { return QString::fromStdString(sims[2].log()).count("recv frame"); };
    QTRY_VERIFY_WITH_TIMEOUT(frames() >= 2 + 30 * 2, 10000);
    QCOMPARE(sims[2].control("fault silent"), std::string("ok"));
    QVERIFY(run.waitForFinished(20000));
    QVERIFY2(run.exitCode() == 2, run.readAllStandardError().constData());

    const QString out = dir_.filePath("export");
    QProcess results;
    results.setProcessEnvironment(NoDisplay());
    results.start(qEnvironmentVariable("KDX846_RESULTS"), {args[6], "--export", out});
    QVERIFY(results.waitForFinished(20000));
    QVERIFY2(results.exitCode() == 0, results.readAllStandardError().constData());

    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open_v2(args[6].toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
             SQLITE_OK);
    const auto sql = Query(db,
                           "SELECT u.number, u.serial, u.port, COUNT(e.id), "
                           "SUM(e.outcome IN ('no-ack', 'no-head')), MAX(e.duration_ms), "
                           "u.passes_finished FROM unit u JOIN exchange e ON e.unit_id = u.id "
                           "WHERE e.outcome NOT IN ('cancelled', 'stopped') "
                           "GROUP BY u.id ORDER BY u.number");
    QFile csvFile(out + "/units.csv");
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    const QList<QStringList> csv = ParseCsv(QString::fromUtf8(csvFile.readAll()));
    QCOMPARE(csv.size(), 5);
    QCOMPARE(csv[0].value(4), QString("Exchanges"));
    QCOMPARE(sql.size(), 4);
    for (int unit = 0; unit < 4; ++unit) {
      const QStringList& row = csv[unit + 1];
      const QStringList& want = sql[unit];
      const QStringList got{row[0], row[1], row[2], row[4], row[7], row[11], row[3]};
      QCOMPARE(got, want);
    }
    // Only unit 3 failed: no answer, a first failure, why it ended.
    QVERIFY(csv[3][7].toInt() > 0);
    QVERIFY2(csv[3][12].startsWith("pass "), qPrintable(csv[3][12]));
    QVERIFY(csv[3][13].startsWith("stopped answering"));
    for (int unit : {1, 2, 4}) QCOMPARE(csv[unit][12], QString());

    for (const char* name : {"exchange-time", "failures", "history-UNIT-1", "history-UNIT-2",
                             "history-UNIT-3", "history-UNIT-4"}) {
      const QImage picture(out + "/" + QString(name) + ".png");
      QVERIFY2(!picture.isNull(), name);
      QCOMPARE(picture.size(), QSize(1200, 700));
    }

    // The silent unit's marks: one at each of its failures' elapsed time.
    const auto failures = Query(db,
                                "SELECT CAST(ROUND((julianday(e.started) - julianday(r.started)) "
                                "* 86400000) AS INTEGER) FROM exchange e JOIN unit u ON "
                                "u.id = e.unit_id JOIN run r ON r.id = u.run_id WHERE "
                                "u.number = 3 AND e.outcome <> 'positive' ORDER BY e.id");
    sqlite3_close(db);
    std::string error;
    auto reader = kdx::results::ResultsReader::Open(args[6].toStdString(), error);
    QVERIFY2(reader, error.c_str());
    std::vector<kdx::results::RunRow> runs;
    QVERIFY(reader->runs(runs, error));
    kdx::results::RunView view;
    QVERIFY(reader->load(runs.back().id, view, error));
    const auto chart = kdx::results::ExchangeTimes(view);
    const auto& marks = chart.units.at(2).failures;
    QCOMPARE(marks.size(), static_cast<std::size_t>(failures.size()));
    for (std::size_t i = 0; i < marks.size(); ++i) {
      const double ms = marks[i].x * chart.scale.msPerUnit;
      QVERIFY(std::abs(ms - failures[static_cast<int>(i)][0].toDouble()) < 1.0);
    }
    for (int unit : {0, 1, 3})
      QVERIFY(chart.units.at(static_cast<std::size_t>(unit)).failures.empty());
  }

  void refusesUnreadableFile() {
    const QString path = dir_.filePath("notes.db");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, 'n'));
    file.close();
    QProcess results;
    results.setProcessEnvironment(NoDisplay());
    results.start(qEnvironmentVariable("KDX846_RESULTS"), {path, "--export", dir_.filePath("x")});
    QVERIFY(results.waitForFinished(20000));
    QCOMPARE(results.exitCode(), 2);
    const QString err = QString::fromUtf8(results.readAllStandardError());
    QVERIFY2(err.contains("kdx846-results: " + path + ": not a SQLite database"), qPrintable(err));
    QVERIFY(!QFile::exists(dir_.filePath("x/units.csv")));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ResultsExportTest)
#include "results_export_test.moc"
