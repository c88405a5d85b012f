// kdx846-run's reports when things go wrong: files refused at the start, a
// disk that fills up during the run, a runner killed in the middle. The
// runner's side is this same program started again as a child ("--child"),
// so that it can be limited, run as another user, or killed.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>

#include "report_sinks.h"
#include "results_database.h"
#include "run_records.h"

using namespace kdx;
using namespace kdx::run;

namespace {

constexpr int kLines = 3;  // lines per pass of the synthetic script

// The child: "open JUNIT RESULTS" makes the sinks and says whether they were
// refused ("-" for a report not asked for); "write RESULTS UNITS PASSES [LINES]"
// also runs that many passes of every unit, printing "UNIT PASS" once each
// pass is committed (LINES, 3 by default, rows a pass). Exit status: 0, 2 for a write failure, 3
// for a refusal.
int Child(const std::vector<std::string>& args) {
  std::printf("uid %d\n", static_cast<int>(::geteuid()));
  const bool write = args[0] == "write";
  ReportOptions options{write || args[1] == "-" ? "" : args[1], args[write ? 1 : 2], 200};
  if (options.resultsPath == "-") options.resultsPath.clear();
  std::string error;
  auto sinks = MakeReportSinks(options, error);
  if (!error.empty()) {
    std::printf("refused: %s\n", error.c_str());
    return kExitBadInput;
  }
  if (!write) return 0;
  RecordSink& sink = *sinks.front();
  const int units = std::stoi(args[2]), passes = std::stoi(args[3]);
  const int lines = args.size() > 4 ? std::stoi(args[4]) : kLines;
  std::vector<UnitIdentity> identities;
  for (int u = 1; u <= units; ++u)
    identities.push_back(test::UnitFor(u, "COM" + std::to_string(u), "SN" + std::to_string(u)));
  sink.runStarted(test::RunInfoFor(identities));
  for (const auto& unit : identities) sink.unitStarted(unit);
  for (int pass = 1; pass <= passes; ++pass) {
    for (int unit = 1; unit <= units; ++unit) {
      for (int line = 1; line <= lines; ++line)
        sink.exchange(test::RowFor(unit, pass, line, ReplyKind::Positive));
      sink.passEnded(unit, pass);
      sink.flush();
      if (const auto failure = sink.failure()) {
        std::printf("failure: %s\n", failure->c_str());
        return kExitLink;
      }
      std::printf("%d %d\n", unit, pass);
      std::fflush(stdout);
    }
  }
  return 0;
}

// How the child is started: with a file size limit, as another user.
struct ChildLimits {
  rlim_t fileSize = RLIM_INFINITY;
  bool asNobody = false;
};

struct ChildRun {
  int exitCode = -1;
  QStringList lines;
};

QProcess* StartChild(const QStringList& args, ChildLimits limits, QObject* owner) {
  auto* child = new QProcess(owner);
  child->setProgram(QCoreApplication::applicationFilePath());
  child->setArguments(QStringList{"--child"} + args);
  child->setChildProcessModifier([limits] {
    // A file that grows past the limit gets EFBIG, as a full disk gets
    // ENOSPC: the write fails and the program goes on.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit size{limits.fileSize, limits.fileSize};
    ::setrlimit(RLIMIT_FSIZE, &size);
    if (limits.asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
  });
  child->start();
  return child;
}

ChildRun RunChild(const QStringList& args, ChildLimits limits = {}) {
  QObject owner;
  QProcess* child = StartChild(args, limits, &owner);
  child->waitForFinished(60000);
  return {child->exitCode(),
          QString::fromUtf8(child->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)};
}

// The rows of one unit's pass.
int PassRows(const test::ResultsFile& db, int unit, int pass) {
  return db
      .value(QString("SELECT COUNT(*) FROM exchange JOIN unit ON unit.id = unit_id "
                     "WHERE number = %1 AND pass = %2")
                 .arg(unit)
                 .arg(pass))
      .toInt();
}

// A database with one finished run of two units of one pass each.
void MakeDatabase(const QString& path) {
  std::string error;
  auto sinks = MakeReportSinks({"", path.toStdString(), 200}, error);
  QVERIFY2(sinks.size() == 1, error.c_str());
  RecordSink& sink = *sinks.front();
  sink.runStarted(test::RunInfoFor({}));
  for (int unit = 1; unit <= 2; ++unit) {
    sink.unitStarted(test::UnitFor(unit, "COM1", "SN"));
    for (int line = 1; line <= kLines; ++line)
      sink.exchange(test::RowFor(unit, 1, line, ReplyKind::Positive));
    sink.passEnded(unit, 1);
    sink.flush();
  }
  sink.runEnded({}, 0);
  QVERIFY(!sink.failure());
}

// Every pass the child said it committed is in the database, whole, and
// nothing else is but whole passes.
void CheckCommittedPasses(const QString& path, const QStringList& lines) {
  const test::ResultsFile db(path);
  QCOMPARE(db.value("PRAGMA integrity_check"), "ok");
  int printed = 0;
  for (const QString& line : lines) {
    const QStringList fields = line.split(' ');
    if (fields.size() != 2 || line.startsWith("uid")) continue;
    ++printed;
    QCOMPARE(PassRows(db, fields[0].toInt(), fields[1].toInt()), kLines);
  }
  QVERIFY(printed > 0);
  const int rows = db.value("SELECT COUNT(*) FROM exchange").toInt();
  QVERIFY2(rows >= printed * kLines && rows % kLines == 0, qPrintable(QString::number(rows)));
}

}  // namespace

class RunResultsDurabilityTest : public QObject {
  Q_OBJECT
 private slots:
  void refusals_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("junit");
    QTest::addColumn<QString>("results");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing asked for") << ""
                                       << ""
                                       << ""
                                       << "";
    QTest::newRow("JUnit file is a folder") << ""
                                            << "sub"
                                            << ""
                                            << "sub: is a folder";
    QTest::newRow("JUnit folder missing") << ""
                                          << "none/r.xml"
                                          << ""
                                          << "No such file or directory";
    QTest::newRow("database is a folder") << ""
                                          << "r.xml"
                                          << "sub"
                                          << "sub: is a folder";
    QTest::newRow("database folder missing") << ""
                                             << "r.xml"
                                             << "none/r.db"
                                             << "No such file or directory";
    QTest::newRow("not a SQLite file") << "text"
                                       << "r.xml"
                                       << "r.db"
                                       << "r.db: not a SQLite database (file is not a database)";
    QTest::newRow("newer schema")
        << "newer"
        << "r.xml"
        << "r.db"
        << "r.db: results of a newer kdx846-run (schema version 2; this one writes version 1)";
    QTest::newRow("another program's") << "other"
                                       << "r.xml"
                                       << "r.db"
                                       << "r.db: a SQLite database of another program";
    QTest::newRow("locked")
        << "locked"
        << "r.xml"
        << "r.db"
        << "r.db: locked by another program that is writing to it (database is locked)";
    QTest::newRow("same file") << ""
                               << "r.db"
                               << "./r.db"
                               << "--junit and --results name the same file";
  }
  void refusals() {
    QFETCH(QString, setup);
    QFETCH(QString, junit);
    QFETCH(QString, results);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString db = dir.filePath("r.db");
    const QByteArray text = "SQLite format 2? not this one; a text file of the same name.\n";
    const test::ResultsFile other(db);
    if (setup == "text") {
      QFile file(db);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    } else if (setup == "newer") {
      QVERIFY(other.exec(QString("PRAGMA application_id = %1; PRAGMA user_version = 2")
                             .arg(kResultsApplicationId)));
    } else if (setup == "other") {
      QVERIFY(other.exec("CREATE TABLE notes (text TEXT)"));
    } else if (setup == "locked") {
      MakeDatabase(db);
      QVERIFY(
          other.exec("BEGIN IMMEDIATE; INSERT INTO run (script_path, script, script_sha256, "
                     "arguments, started) VALUES ('', '', '', '[]', '')"));
    }
    std::string why;
    const auto sinks = MakeReportSinks({junit.toStdString(), results.toStdString(), 200}, why);
    QDir::setCurrent(current);
    QVERIFY(sinks.empty());
    QCOMPARE(why.empty(), error.isEmpty());
    QVERIFY2(QString::fromStdString(why).contains(error), why.c_str());
    // Nothing was written in the run's name: no JUnit file, the file refused as it was.
    QVERIFY(!QFile::exists(dir.filePath("r.xml")));
    if (setup == "text") {
      QFile file(db);
      QVERIFY(file.open(QIODevice::ReadOnly));
      QCOMPARE(file.readAll(), text);
    } else if (setup == "locked") {
      QVERIFY(other.exec("COMMIT"));
      QCOMPARE(other.value("SELECT COUNT(*) FROM run"), "2");
    }
  }

  // Files this user cannot write; as root the child runs as "nobody", for
  // whom the root's files are what a read-only file is to anyone.
  void refusedReadOnly_data() {
    QTest::addColumn<QString>("junit");
    QTest::addColumn<QString>("results");
    QTest::addColumn<bool>("folderReadOnly");
    QTest::addColumn<QString>("error");
    QTest::newRow("read-only database") << "-"
                                        << "r.db" << false << "r.db: Permission denied";
    QTest::newRow("read-only folder") << "-"
                                      << "r.db" << true << "cannot write in %1: Permission denied";
    QTest::newRow("JUnit in a read-only folder")
        << "r.xml"
        << "-" << true << "cannot write in %1: Permission denied";
  }
  void refusedReadOnly() {
    QFETCH(QString, junit);
    QFETCH(QString, results);
    QFETCH(bool, folderReadOnly);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString folder = dir.filePath("reports");
    QVERIFY(QDir(dir.path()).mkdir("reports"));
    MakeDatabase(folder + "/r.db");
    // The folder or the file is read-only to its owner, and to anyone else.
    const bool root = ::geteuid() == 0;
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), folderReadOnly ? 0555 : 0777), 0);
    QCOMPARE(::chmod(QFile::encodeName(folder + "/r.db").constData(), folderReadOnly ? 0666 : 0444),
             0);
    const auto in = [&](const QString& name) { return name == "-" ? name : folder + "/" + name; };
    const ChildRun run = RunChild({"open", in(junit), in(results)}, {RLIM_INFINITY, root});
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QCOMPARE(run.lines.value(0), QString("uid %1").arg(root ? 65534 : ::geteuid()));
    QVERIFY2(run.lines.value(1).contains(QString(error).replace("%1", folder)),
             qPrintable(run.lines.join('\n')));
    QCOMPARE(run.exitCode, kExitBadInput);
    QVERIFY(!QFile::exists(folder + "/r.xml"));
  }

  // A disk that takes nothing more: here a file size limit, which fails a
  // write as a full disk does (EFBIG instead of ENOSPC).
  void refusedOnFullDisk_data() {
    QTest::addColumn<QString>("junit");
    QTest::addColumn<QString>("results");
    QTest::newRow("database") << "-"
                              << "r.db";
    QTest::newRow("JUnit file") << "r.xml"
                                << "-";
  }
  void refusedOnFullDisk() {
    QFETCH(QString, junit);
    QFETCH(QString, results);
    QTemporaryDir dir;
    const QString db = dir.filePath("r.db");
    MakeDatabase(db);
    const auto in = [&](const QString& name) { return name == "-" ? name : dir.filePath(name); };
    const ChildRun run = RunChild({"open", in(junit), in(results)}, {100, false});
    QCOMPARE(run.exitCode, kExitBadInput);
    QVERIFY2(run.lines.value(1).contains(in(results == "-" ? junit : results)) &&
                 run.lines.value(1).contains("File too large"),
             qPrintable(run.lines.join('\n')));
    const test::ResultsFile check(db);
    QCOMPARE(check.value("PRAGMA integrity_check"), "ok");
    QCOMPARE(check.value("SELECT COUNT(*) FROM exchange"), "6");
    // Nor a temporary file left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter("xml"), QStringList());
  }

  // The disk fills up during the run: the run is told why, naming the
  // database, and every pass committed before stays.
  void writeFailsMidRun() {
    QTemporaryDir dir;
    const QString db = dir.filePath("r.db");
    const ChildRun run = RunChild({"write", db, "2", "100000"}, {256 * 1024, false});
    QCOMPARE(run.exitCode, kExitLink);
    QVERIFY(run.lines.size() > 3);
    QVERIFY2(
        run.lines.last().startsWith("failure: cannot write to the results database " + db + ": ") &&
            run.lines.last().contains("File too large"),
        qPrintable(run.lines.last()));
    CheckCommittedPasses(db, run.lines);
    QCOMPARE(test::ResultsFile(db).value("SELECT COUNT(*) FROM exchange").toInt(),
             (run.lines.size() - 2) * kLines);
  }

  // kill -9 in the middle of a run: the database opens, whole, with every
  // pass the runner had finished.
  void killedMidRun() {
    QTemporaryDir dir;
    const QString db = dir.filePath("r.db");
    QObject owner;
    QProcess* child = StartChild({"write", db, "4", "1000000"}, {}, &owner);
    QByteArray out;
    while (out.count('\n') < 400 && child->state() != QProcess::NotRunning) {
      child->waitForReadyRead(1000);
      out += child->readAllStandardOutput();
    }
    QCOMPARE(child->state(), QProcess::Running);
    ::kill(static_cast<pid_t>(child->processId()), SIGKILL);
    QVERIFY(child->waitForFinished(10000));
    QCOMPARE(child->exitStatus(), QProcess::CrashExit);
    out += child->readAllStandardOutput();
    QStringList lines = QString::fromUtf8(out).split('\n');
    lines.removeLast();  // a line cut short by the kill, or the empty text after the last
    CheckCommittedPasses(db, lines);
  }

  // The database's cost per row, with a commit per row: 16 units of 1000
  // one-line passes, the worst case of a run of 16 x 1000 exchanges. A sync
  // to the disk per commit would take milliseconds each.
  void sinkCost() {
    struct Counter final : RecordSink {
      std::size_t rows = 0;
      void exchange(const ExchangeRow&) override { ++rows; }
    };
    std::vector<ExchangeRow> rows;
    for (int pass = 1; pass <= 1000; ++pass)
      for (int unit = 1; unit <= 16; ++unit)
        rows.push_back(test::RowFor(unit, pass, 1, ReplyKind::Positive));
    QTemporaryDir dir;
    std::string error;
    auto sinks = MakeReportSinks({"", dir.filePath("r.db").toStdString(), 200}, error);
    QVERIFY2(sinks.size() == 1, error.c_str());
    Counter counter;
    double seconds[2] = {0, 0};
    for (RecordSink* sink : {static_cast<RecordSink*>(&counter), sinks[0].get()}) {
      const auto start = std::chrono::steady_clock::now();
      sink->runStarted(test::RunInfoFor({}));
      for (int unit = 1; unit <= 16; ++unit) sink->unitStarted(test::UnitFor(unit, "COM1", "SN"));
      for (const auto& row : rows) {
        sink->exchange(row);
        sink->passEnded(row.unit, row.pass);
        sink->flush();  // a commit a pass: the most a run can ask of it
      }
      sink->runEnded({}, 0);
      QVERIFY(!sink->failure());
      seconds[sink == &counter ? 0 : 1] =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    qInfo("16 x 1000 rows, a commit each: %.3f s without the database, %.3f s with it", seconds[0],
          seconds[1]);
    QCOMPARE(counter.rows, rows.size());
    QCOMPARE(test::ResultsFile(dir.filePath("r.db")).value("SELECT COUNT(*) FROM exchange").toInt(),
             16000);
    QVERIFY2(seconds[1] < 16000 * 250e-6, "more than 250 us a row");
  }
};

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--child")
    return Child(std::vector<std::string>(argv + 2, argv + argc));
  QCoreApplication app(argc, argv);
  RunResultsDurabilityTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "run_results_durability_test.moc"
