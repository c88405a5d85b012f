// The console window: its controls, opening it from the main window, runs
// seen through its widgets, and its three file buttons.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "console_fakes.h"
#include "device_fakes.h"
#include "ui/console/cmd_exute_form.h"
#include "window_harness.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

using namespace kdx;
using namespace kdx::test;
using kdx::ui::CMDExuteForm;

namespace {

// The console window over the simulated unit, link open.
struct SimForm : SimRig {
  FakeFileDialogs files;
  SteppingTime time;
  CMDExuteForm form{session, files, nullptr, &time};

  template <class W = QWidget>
  W* find(const QString& name) const {
    W* widget = form.findChild<W*>(name);
    if (!widget) qFatal("no control %s", qPrintable(name));
    return widget;
  }
  void click(const QString& name) { find<QPushButton>(name)->click(); }
  QStringList entries(const QString& list) const {
    QStringList out;
    auto* l = find<QListWidget>(list);
    for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
    return out;
  }
  QString enabled() const {
    QString out;
    for (const char* name :
         {"CmdExBtn", "CmdResumeBtn", "CmdStepBtn", "CmdStopBtn", "CmdCANCLEBtn", "CmdStrText"})
      out += find<QWidget>(name)->isEnabled() ? '1' : '0';
    return out;
  }
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool WriteNew(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

class ConsoleFormTest : public QObject {
  Q_OBJECT
 private slots:
  void controls() {
    SimForm f;
    QCOMPARE(f.form.windowTitle(), "FORM OF COMMAND LINE");
    QCOMPARE(f.form.size(), QSize(806, 688));
    f.form.resize(900, 900);
    QCOMPARE(f.form.size(), QSize(806, 688));
    const std::pair<const char*, const char*> buttons[] = {{"CmdExBtn", "Start"},
                                                           {"CmdStepBtn", "Setp"},
                                                           {"CmdResumeBtn", "Resume"},
                                                           {"CmdStopBtn", "Stop"},
                                                           {"CmdCANCLEBtn", "Cancel"},
                                                           {"SaveCmdStrText", "Save"},
                                                           {"ImportCmdStrText", "Load"},
                                                           {"ClearCmdStrBackText", "Clear Data"},
                                                           {"ClearSDTDText", "Clear Data"},
                                                           {"SaveSDTDText", "Save To"},
                                                           {"EXITGRM", "Close"}};
    for (const auto& [name, caption] : buttons) {
      QCOMPARE(f.find<QPushButton>(name)->text(), caption);
      QCOMPARE(f.find<QPushButton>(name)->accessibleDescription(), name);
    }
    auto* tabs = f.find<QTabWidget>("SSTab1");
    QCOMPARE(tabs->tabText(0), "COMMAND");
    QCOMPARE(tabs->tabText(1), "MONITOR");
    QCOMPARE(f.find<QGroupBox>("ICframeComm")->title(), "Repeat Counter");
    QCOMPARE(f.find<QLineEdit>("LianXuText")->text(), "1");
    QCOMPARE(f.find<QLabel>("Label1")->text(), "0");
    QCOMPARE(f.find<QPlainTextEdit>("CmdStrText")->toPlainText(), "C04\n");
    for (const char* name :
         {"CmdStrBackList", "lstResults", "txtBytesSended", "txtBytesReceived", "CheckRecord",
          "RichTextBox1", "Label2", "Label3", "Label6", "Label7", "Label8"})
      QVERIFY(f.form.findChild<QWidget*>(name));
    QCOMPARE(f.enabled(), "101001");  // loaded
  }

  void runThroughTheWindow() {
    SimForm f;
    f.find<QPlainTextEdit>("CmdStrText")->setPlainText("C10\n\nC11\n");
    f.find<QLineEdit>("LianXuText")->setText("2");
    f.click("CmdExBtn");
    QCOMPARE(f.model.commandsRun(), 4);
    QCOMPARE(f.find<QPlainTextEdit>("CmdStrText")->toPlainText(), "C10\nC11");
    QCOMPARE(f.find<QLabel>("Label1")->text(), "0");
    QCOMPARE(f.find<QLabel>("Label2")->text(), " 2");
    QCOMPARE(f.enabled(), "101011");  // finished
    const QStringList traffic = f.entries("lstResults");
    QCOMPARE(traffic.at(0), "SD: F2 00 00 03 43 31 30 03 B0 ");
    QCOMPARE(traffic.at(1), "RD: 06");
    QCOMPARE(f.find<QListWidget>("lstResults")->currentRow(), traffic.size() - 1);
    QCOMPARE(f.find<QLineEdit>("txtBytesReceived")->text(), "SD: 06");
    QCOMPARE(f.entries("CmdStrBackList").at(1), "[2026/03/04      05:06:07:8]");
    f.click("ClearCmdStrBackText");
    QVERIFY(f.entries("CmdStrBackList").isEmpty());
    QCOMPARE(f.entries("lstResults").size(), traffic.size());
    f.click("ClearSDTDText");
    QVERIFY(f.entries("lstResults").isEmpty());
  }

  // After a step the next line stands bold in blue; the whole text is plain
  // again at the end of a pass.
  void stepHighlightsTheNextLine() {
    SimForm f;
    auto* script = f.find<QPlainTextEdit>("CmdStrText");
    script->setPlainText("C10\nC11");
    f.click("CmdStepBtn");
    QCOMPARE(f.enabled(), "011111");  // paused
    const auto selections = script->extraSelections();
    QCOMPARE(selections.size(), 1);
    QCOMPARE(selections[0].cursor.selectedText(), "C11");
    QCOMPARE(selections[0].format.fontWeight(), int(QFont::Bold));
    QCOMPARE(selections[0].format.foreground().color(), QColor(0, 0, 255));
    QCOMPARE(f.find<QLabel>("Label8")->text(), " 1");
    f.click("CmdStepBtn");
    QVERIFY(script->extraSelections().isEmpty());
    QCOMPARE(f.enabled(), "101011");  // finished: Label1 reached 0
  }

  // A click on Stop waiting in the queue is seen at the next command line.
  void stopClickSeenAtTheNextLine() {
    SimForm f;
    f.find<QPlainTextEdit>("CmdStrText")->setPlainText("C10\nC11");
    QMetaObject::invokeMethod(f.find<QPushButton>("CmdStopBtn"), "click", Qt::QueuedConnection);
    f.click("CmdExBtn");
    QCOMPARE(f.model.commandsRun(), 0);
    QVERIFY(f.entries("CmdStrBackList").contains("Reply type='User Stop'"));
    QCOMPARE(f.messages.boxes.at(0).text, std::string("Stop communication process"));
    QCOMPARE(f.enabled(), "101011");
  }

  // A second click on a run button while its line is on the line (a double
  // click; the window system holds it until the transaction lets the window
  // take clicks) is ignored: every line goes out once, in order.
  void doubleClickRunsOnce_data() {
    QTest::addColumn<QStringList>("clicks");  // "name" or "name x2"
    QTest::newRow("Setp") << QStringList{"CmdStepBtn x2", "CmdStepBtn", "CmdStepBtn x2"};
    QTest::newRow("Start") << QStringList{"CmdExBtn x2"};
    QTest::newRow("Resume") << QStringList{"CmdStepBtn", "CmdResumeBtn x2"};
  }
  void doubleClickRunsOnce() {
    QFETCH(QStringList, clicks);
    SimForm f;
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));
    f.find<QPlainTextEdit>("CmdStrText")->setPlainText("C10\nC11\nCP0");
    for (const QString& click : clicks) {
      auto* button = f.find<QPushButton>(click.section(' ', 0, 0));
      if (click.endsWith("x2")) {
        QObject::connect(
            button, &QPushButton::pressed, button,
            [button] {
              QTimer::singleShot(0, button,
                                 [button] { QTest::mouseClick(button, Qt::LeftButton); });
            },
            Qt::SingleShotConnection);
      }
      QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList frames;
    for (const auto& event : f.line.traffic())
      if (event.fromHost && event.bytes.size() > 1)
        frames << QString::fromStdString(HexBytes(event.bytes));
    QCOMPARE(frames, QStringList({"F2 00 00 03 43 31 30 03 B0", "F2 00 00 03 43 31 31 03 B1",
                                  "F2 00 00 03 43 50 30 03 D1"}));
    QCOMPARE(f.enabled(), "101011");  // finished
  }

  // Clicks on Close and Load during a run wait for its end: neither the
  // window nor the script goes away under it.
  void closeAndLoadWaitForTheRun() {
    SimForm f;
    f.form.show();
    f.files.openAnswer = "/nonexistent/IN.TXT";
    for (const char* name : {"EXITGRM", "ImportCmdStrText"})
      QMetaObject::invokeMethod(f.find<QPushButton>(name), "click", Qt::QueuedConnection);
    f.click("CmdExBtn");
    QCOMPARE(f.model.commandsRun(), 1);
    QVERIFY(f.form.isVisible());
    QCOMPARE(f.files.openAsked, 0);
    QVERIFY(f.find<QPushButton>("EXITGRM")->isEnabled());
    f.click("EXITGRM");
    QVERIFY(!f.form.isVisible());
  }

  // The busy cursor shows while a command is on the line, not after.
  void busyCursorDuringExchange() {
    LinkHarness h;
    FakeFileDialogs files;
    CMDExuteForm form(h.session, files);
    std::vector<bool> busy;
    AnswerEveryCommand(h, "P10000");
    auto answer = h.line.onWrite;
    h.line.onWrite = [&](int index, const Bytes& bytes) {
      busy.push_back(QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor);
      answer(index, bytes);
    };
    form.findChild<QPushButton*>("CmdExBtn")->click();
    QCOMPARE(busy, std::vector<bool>({true, true}));  // the command and the ACK
    QVERIFY(!QApplication::overrideCursor());
    // The time stamps are the local time's.
    const QString stamp = form.findChild<QListWidget*>("CmdStrBackList")->item(1)->text();
    QVERIFY2(QRegularExpression(R"(^\[\d{4}/\d\d/\d\d {6}\d\d:\d\d:\d\d:\d{1,3}\]$)")
                 .match(stamp)
                 .hasMatch(),
             qPrintable(stamp));
  }

  void openedFromTheMainWindow() {
    SimWindow w;
    bool opened = false;
    WhenModal([&](QWidget* modal) {
      opened = modal->objectName() == "CMDExuteForm" && modal->isModal();
      modal->findChild<QPushButton*>("EXITGRM")->click();
    });
    w.find<QPushButton>("OpenCmdFormBtn")->click();
    QVERIFY(opened);
    QVERIFY(w.messages.boxes.empty());
    QVERIFY(!w.window->findChild<CMDExuteForm*>());  // unloaded on Close
  }

  // "Save": the script, blanks trimmed, as single-byte characters; the
  // "Save As..." box; RichTextBox1 shows what was saved.
  void saveScript_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("initial") << "C04\n" << QByteArray("C04\r\n");
    QTest::newRow("blanks trimmed") << "  C10\n C11  " << QByteArray("C10\r\n C11");
    QTest::newRow("single-byte") << QString::fromLatin1("C1\xE9") << QByteArray("C1\xE9");
  }
  void saveScript() {
    QFETCH(QString, script);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    SimForm f;
    f.files.answer = dir.filePath("SCRIPT.TXT");
    f.find<QPlainTextEdit>("CmdStrText")->setPlainText(script);
    f.click("SaveCmdStrText");
    QCOMPARE(ReadAll(f.files.answer), bytes);
    QCOMPARE(f.messages.boxes.at(0).title, std::string("Save As..."));
    QCOMPARE(QString::fromStdString(f.messages.boxes.at(0).text),
             "File Name is SCRIPT.TXT\r\nFull path and file is " + f.files.answer);
    QCOMPARE(f.find<QTextEdit>("RichTextBox1")->toPlainText().toLatin1(),
             QByteArray(bytes).replace("\r", ""));
  }

  // "Save To": the entries, each ended by CR LF, through RichTextBox1, which
  // is filled under the busy pointer.
  void saveTraffic() {
    QTemporaryDir dir;
    SimForm f;
    f.files.answer = dir.filePath("LOG.TXT");
    f.click("SaveSDTDText");
    QCOMPARE(ReadAll(f.files.answer), QByteArray());  // an empty list, an empty file
    auto* list = f.find<QListWidget>("lstResults");
    list->addItems({"SD: F2 00 ", "RD: 06", ""});
    QList<Qt::CursorShape> pointer;
    connect(f.find<QTextEdit>("RichTextBox1"), &QTextEdit::textChanged, this, [&pointer] {
      pointer << (QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                 : Qt::ArrowCursor);
    });
    f.click("SaveSDTDText");
    QCOMPARE(pointer, QList<Qt::CursorShape>{Qt::WaitCursor});
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(ReadAll(f.files.answer), QByteArray("SD: F2 00 \r\nRD: 06\r\n\r\n"));
    f.files.answer.clear();  // cancelled: nothing happens
    f.messages.boxes.clear();
    f.click("SaveSDTDText");
    QVERIFY(f.messages.boxes.empty());
  }

  void load_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("script");
    QTest::newRow("trimmed") << QByteArray("  C10\r\nC11 ") << "C10\nC11";
    QTest::newRow("line ends kept") << QByteArray("C10\r\n\r\nC11\r\n") << "C10\n\nC11\n";
    QTest::newRow("single-byte") << QByteArray("C1\xE9") << QString::fromLatin1("C1\xE9");
    QTest::newRow("1 MiB") << QByteArray(1 << 20, 'C') << QString(1 << 20, 'C');
  }
  void load() {
    QFETCH(QByteArray, file);
    QFETCH(QString, script);
    QTemporaryDir dir;
    SimForm f;
    f.files.openAnswer = dir.filePath("IN.TXT");
    QVERIFY(WriteNew(f.files.openAnswer, file));
    f.click("ImportCmdStrText");
    QCOMPARE(f.find<QPlainTextEdit>("CmdStrText")->toPlainText(), script);
    QCOMPARE(f.find<QTextEdit>("RichTextBox1")->toPlainText().toLatin1(),
             QByteArray(file).replace("\r", ""));
    QVERIFY(f.messages.boxes.empty());
  }

  void loadRefused_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("reason");
    QTest::newRow("over 1 MiB") << true << "Error: 1 The file is larger than 1048576 bytes";
    QTest::newRow("missing") << false << "Error: 5 No such file or directory";
  }
  void loadRefused() {
    QFETCH(bool, exists);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    SimForm f;
    f.files.openAnswer = dir.filePath("IN.TXT");
    if (exists) QVERIFY(WriteNew(f.files.openAnswer, QByteArray((1 << 20) + 1, 'C')));
    f.click("ImportCmdStrText");
    QCOMPARE(f.find<QPlainTextEdit>("CmdStrText")->toPlainText(), "C04\n");
    QCOMPARE(f.messages.boxes.size(), std::size_t{1});
    QCOMPARE(f.messages.boxes[0].title, std::string("mnuFileSaveAsDialog_Click"));
    QCOMPARE(f.messages.boxes[0].icon, Icon::None);
    QCOMPARE(QString::fromStdString(f.messages.boxes[0].text), reason);
  }

  // On a full disk "Save" keeps the old file and says why.
  void failedSaveKeepsOldFile() {
#ifdef Q_OS_LINUX
    if (::geteuid() != 0) QSKIP("mounting a small file system needs root");
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
      QSKIP("cannot mount a tmpfs");
    const QString path = dir.filePath("SCRIPT.TXT");
    const QByteArray old = "C10\r\nC11";
    QVERIFY(WriteNew(path, old));
    QFile filler(dir.filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size()) {
    }
    filler.close();
    SimForm f;
    f.files.answer = path;
    f.find<QPlainTextEdit>("CmdStrText")->setPlainText(QString(20000, 'C'));
    f.click("SaveCmdStrText");
    const QByteArray kept = ReadAll(path);
    ::umount2(mountPoint.constData(), MNT_DETACH);
    QCOMPARE(kept, old);
    QCOMPARE(f.messages.boxes.back().title, std::string("mnuFileSaveAsDialog_Click"));
    QVERIFY(f.messages.boxes.back().text.find("No space left on device") != std::string::npos);
#else
    QSKIP("needs a small Linux file system");
#endif
  }
};

#include "test_main.h"
KDX_TEST_MAIN(ConsoleFormTest)
#include "console_form_test.moc"
