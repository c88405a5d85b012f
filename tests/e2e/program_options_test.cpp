// The four programs' command lines, as a shell runs them: --help prints the
// very text the man page is made from, --version the project's version,
// wrong options an error and the usage with the documented status. None of
// it needs a display: the environment has none.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result {
  int status = -1;
  QByteArray out;
  QByteArray err;
};

// The environment without a display or a Qt platform.
QProcessEnvironment NoDisplay() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  return env;
}

Result Run(const QString& program, const QStringList& args,
           const QProcessEnvironment& env = NoDisplay()) {
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program, args);
  if (!process.waitForFinished(20000)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}

QString Program(const QString& name) {
  if (name == "kdx846") return qEnvironmentVariable("KDX846_APP");
  if (name == "kdx846-sim") return qEnvironmentVariable("KDX846_SIM");
  if (name == "kdx846-results") return qEnvironmentVariable("KDX846_RESULTS");
  return qEnvironmentVariable("KDX846_RUN");
}

QByteArray HelpSource(const QString& name) {
  const QString relative = name == "kdx846"           ? "src/app/help.txt"
                           : name == "kdx846-sim"     ? "sim/tool/help.txt"
                           : name == "kdx846-results" ? "tools/results/help.txt"
                                                      : "tools/run/help.txt";
  QFile file(QStringLiteral(KDX_SOURCE_DIR) + "/" + relative);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ProgramOptionsTest : public QObject {
  Q_OBJECT
 private slots:
  void commandLine_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");  // "HELP": the help source, exactly
    QTest::addColumn<QByteArray>("err");  // how standard error starts
    const QByteArray version = " " KDX_VERSION "\n";
    for (const char* p : {"kdx846", "kdx846-sim", "kdx846-run", "kdx846-results"}) {
      const QString program = p;
      QTest::addRow("%s --help", p)
          << program << QStringList{"--help"} << 0 << QByteArray("HELP") << QByteArray();
      QTest::addRow("%s -h", p) << program << QStringList{"-h"} << 0 << QByteArray("HELP")
                                << QByteArray();
      QTest::addRow("%s --version", p)
          << program << QStringList{"--version"} << 0 << QByteArray(p) + version << QByteArray();
      QTest::addRow("%s -V", p) << program << QStringList{"-V"} << 0 << QByteArray(p) + version
                                << QByteArray();
    }
    QTest::newRow("kdx846 unknown option")
        << "kdx846" << QStringList{"--fast"} << 2 << QByteArray()
        << QByteArray(
               "kdx846: unknown option '--fast'\nusage: kdx846 [QT-OPTION]...\n"
               "       kdx846 --help | --version\n"
               "Try 'kdx846 --help' for more information.\n");
    QTest::newRow("kdx846 stray argument") << "kdx846" << QStringList{"COM1"} << 2 << QByteArray()
                                           << QByteArray("kdx846: unexpected argument 'COM1'\n");
    QTest::newRow("kdx846 Qt option without its value")
        << "kdx846" << QStringList{"-style"} << 2 << QByteArray()
        << QByteArray("kdx846: -style needs a value\n");
    QTest::newRow("kdx846 Qt options, then help")
        << "kdx846" << QStringList{"-platform", "offscreen", "--reverse", "--help"} << 0
        << QByteArray("HELP") << QByteArray();
    QTest::newRow("kdx846-sim unknown option")
        << "kdx846-sim" << QStringList{"--link", "/tmp/x", "--fast", "1"} << 2 << QByteArray()
        << QByteArray("kdx846-sim: unknown option '--fast'\nusage: kdx846-sim --link PATH");
    QTest::newRow("kdx846-sim without --link") << "kdx846-sim" << QStringList{} << 2 << QByteArray()
                                               << QByteArray("kdx846-sim: --link PATH is required");
    QTest::newRow("kdx846-sim replay timing without a recording")
        << "kdx846-sim" << QStringList{"--link", "/tmp/x", "--replay-timing", "off"} << 2
        << QByteArray()
        << QByteArray("kdx846-sim: --replay-timing and --replay-fallback go with --replay FILE");
    QTest::newRow("kdx846-run --expect-ignore without --expect")
        << "kdx846-run" << QStringList{"s.txt", "--port", "COM1", "--expect-ignore", "data"} << 3
        << QByteArray() << QByteArray("kdx846-run: --expect-ignore goes with --expect FILE");
    QTest::newRow("kdx846-run unknown option")
        << "kdx846-run" << QStringList{"s.txt", "--port", "COM1", "--fast", "1"} << 3
        << QByteArray()
        << QByteArray("kdx846-run: unknown option --fast\nusage: kdx846-run SCRIPT");
    QTest::newRow("kdx846-results unknown option")
        << "kdx846-results" << QStringList{"runs.db", "--fast"} << 2 << QByteArray()
        << QByteArray("kdx846-results: unknown option '--fast'\nusage: kdx846-results ");
    QTest::newRow("kdx846-results --export without a file")
        << "kdx846-results" << QStringList{"--export", "out"} << 2 << QByteArray()
        << QByteArray("kdx846-results: --export needs a results FILE\n");
  }
  void commandLine() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    const QString path = Program(program);
    QVERIFY2(!path.isEmpty(), qPrintable("no path for " + program));
    const Result result = Run(path, args);
    QVERIFY2(result.status == status, result.err.constData());
    if (out == "HELP") {
      out = HelpSource(program);
      QVERIFY(out.startsWith("usage: " + program.toUtf8() + " "));
    }
    QCOMPARE(result.out, out);
    QVERIFY2(result.err.startsWith(err), result.err.constData());
    if (status != 0) QVERIFY(result.err.endsWith("for more information.\n"));
  }

  // Qt's own options reach Qt: -platform offscreen opens the window without
  // a display, and the screenshot's outcome is the exit status.
  void qtOptionsReachQt_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("status");
    QTest::newRow("saved") << "shot.png" << 0;
    QTest::newRow("folder missing") << "no-such-folder/shot.png" << 1;
  }
  void qtOptionsReachQt() {
    QFETCH(QString, file);
    QFETCH(int, status);
    QTemporaryDir dir;
    QProcessEnvironment env = NoDisplay();
    env.insert("KDX846_SCREENSHOT", dir.filePath(file));
    const Result result = Run(Program("kdx846"), {"-platform", "offscreen"}, env);
    QVERIFY2(result.status == status, result.err.constData());
    QCOMPARE(QFile::exists(dir.filePath(file)), status == 0);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ProgramOptionsTest)
#include "program_options_test.moc"
