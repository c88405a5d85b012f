// Saving the monitor text: SaveTextAs with a preset path, recording its boxes,
// against folders and file systems that refuse some of the work; loading a
// script from what is not a file; the open dialog as it starts.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <functional>

#include "support/recording_messages.h"
#include "ui/adapters/file_dialogs.h"
#include "ui/console/console_files.h"
#include "window_harness.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#endif

using kdx::Icon;
using kdx::test::RecordingMessages;

namespace {

// Answers the save and open dialogs with a preset path.
struct PresetPath final : kdx::ui::FileDialogs {
  QString path;
  std::optional<QString> saveTextFile(QWidget*) override { return path; }
  std::optional<QString> openTextFile(QWidget*) override { return path; }
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool WriteNew(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs `undo` when the scope ends, also when a check fails half way.
struct Undo {
  std::function<void()> undo;
  ~Undo() {
    if (undo) undo();
  }
};

// A monitor text of `size` bytes in lines of the monitor's own form.
std::string MonitorText(int size) {
  std::string text;
  while (static_cast<int>(text.size()) < size) text += "SD: F2 00 00 03 43 31 30 03 B0 \r\n";
  text.resize(static_cast<std::size_t>(size));
  return text;
}

#ifdef Q_OS_LINUX
// Runs `write` a second after it is made unless the test is done first: a
// read that blocks on a pipe or terminal then gets text instead of hanging.
class LateWriter {
 public:
  explicit LateWriter(std::function<void()> write)
      : thread_([this, write] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::seconds(1), [this] { return finished_; })) write();
        }) {}
  ~LateWriter() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};
#endif

}  // namespace

class SaveFileTest : public QObject {
  Q_OBJECT

 private slots:
  // A folder that is not there is refused before the "File Name is" box.
  void missingFolderRefusedFirst_data() {
    QTest::addColumn<QString>("relative");  // the chosen path inside a fresh folder
    QTest::addColumn<QString>("folder");    // the folder the box names
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << "missing/LOG.TXT"
                                    << "missing"
                                    << "No such file or directory";
    QTest::newRow("missing parent") << "a/b/LOG.TXT"
                                    << "a/b"
                                    << "No such file or directory";
    QTest::newRow("file as folder") << "FILE.TXT/LOG.TXT"
                                    << "FILE.TXT"
                                    << "Not a directory";
  }
  void missingFolderRefusedFirst() {
    QFETCH(QString, relative);
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(WriteNew(dir.filePath("FILE.TXT"), "old"));
    PresetPath files;
    files.path = dir.filePath(relative);
    RecordingMessages messages;
    kdx::ui::SaveTextAs(files, messages, nullptr, "SD: 06\r\n");
    QCOMPARE(messages.boxes.size(), std::size_t{1});
    QCOMPARE(messages.boxes[0].title, std::string("mnuFileSaveAsDialog_Click"));
    QCOMPARE(messages.boxes[0].icon, Icon::None);
    const QString text = QString::fromStdString(messages.boxes[0].text);
    QVERIFY2(text.startsWith("Error: "), qPrintable(text));
    QVERIFY2(text.contains(QDir::toNativeSeparators(dir.filePath(folder))), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY(!QFile::exists(files.path));
    QCOMPARE(ReadAll(dir.filePath("FILE.TXT")), QByteArray("old"));
  }

  // The open dialog of "Load": its title, and "*.TXT" as the file name.
  void openDialogStartsWithThePattern() {
    QString title, name;
    kdx::test::WhenModal([&](QWidget* dialog) {
      title = dialog->windowTitle();
      if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) name = edit->text();
      dialog->close();
    });
    kdx::ui::QtFileDialogs dialogs;
    QCOMPARE(dialogs.openTextFile(nullptr), std::nullopt);
    QCOMPARE(title, "Open File");
    QCOMPARE(name, "*.TXT");
  }

#ifdef Q_OS_LINUX
  // "Load" reads regular files only: a named pipe, or a terminal that no one
  // writes to, would hold the window until something came. Refused at once,
  // by name. Were it read, the text written a second later would load.
  void loadTakesRegularFilesOnly_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("what");
    QTest::newRow("named pipe") << "fifo"
                                << "a named pipe";
    QTest::newRow("terminal") << "terminal"
                              << "a character device (a terminal or a port)";
    QTest::newRow("folder") << "folder"
                            << "a folder";
  }
  void loadTakesRegularFilesOnly() {
    QFETCH(QString, kind);
    QFETCH(QString, what);
    QTemporaryDir dir;
    PresetPath files;
    std::function<void()> write = [] {};
    int terminal = -1;
    Undo closeTerminal{[&terminal] {
      if (terminal >= 0) ::close(terminal);
    }};
    if (kind == "fifo") {
      files.path = dir.filePath("SCRIPT.TXT");
      QVERIFY(::mkfifo(QFile::encodeName(files.path).constData(), 0600) == 0);
      const QByteArray fifo = QFile::encodeName(files.path);
      write = [fifo] {
        // Only a reader waiting on the pipe lets it open.
        for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
          const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
          if (fd < 0) continue;
          (void)!::write(fd, "C99", 3);
          ::close(fd);
          return;
        }
      };
    } else if (kind == "terminal") {
      terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
      QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
      files.path = QString::fromLocal8Bit(::ptsname(terminal));
      write = [&terminal] {
        (void)!::write(terminal, "C99\n", 4);
        ::close(std::exchange(terminal, -1));  // hangs up: a blocked read ends
      };
    } else {
      files.path = dir.path();
    }
    RecordingMessages messages;
    QElapsedTimer timer;
    timer.start();
    std::optional<QString> text;
    {
      LateWriter late(write);
      text = kdx::ui::LoadScriptFile(files, messages, nullptr);
    }
    QCOMPARE(text, std::nullopt);
    QVERIFY2(timer.elapsed() < 900, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(messages.boxes.size(), std::size_t{1});
    QCOMPARE(messages.boxes[0].title, std::string("mnuFileSaveAsDialog_Click"));
    QCOMPARE(QString::fromStdString(messages.boxes[0].text),
             "Error: 5 " + QDir::toNativeSeparators(files.path) + " is " + what +
                 ", not a regular file: reading or writing it could hold the window until its "
                 "other end acts");
  }

  // Saving over a named pipe is refused too: it stays a pipe.
  void saveOverAPipeRefused() {
    QTemporaryDir dir;
    PresetPath files;
    files.path = dir.filePath("LOG.TXT");
    QVERIFY(::mkfifo(QFile::encodeName(files.path).constData(), 0600) == 0);
    RecordingMessages messages;
    kdx::ui::SaveTextAs(files, messages, nullptr, "SD: 06\r\n");
    QCOMPARE(messages.boxes.size(), std::size_t{2});
    QCOMPARE(messages.boxes[1].title, std::string("mnuFileSaveAsDialog_Click"));
    QVERIFY(QString::fromStdString(messages.boxes[1].text).contains("is a named pipe"));
    struct stat status {};
    QVERIFY(::stat(QFile::encodeName(files.path).constData(), &status) == 0);
    QVERIFY(S_ISFIFO(status.st_mode));
  }

  // A writable file in a folder that takes no new file (no temporary file
  // beside it) is written in place. The read-only folder refuses with EACCES,
  // the immutable one with EPERM.
  void lockedFolderWritesInPlace_data() {
    QTest::addColumn<bool>("immutable");
    QTest::newRow("read-only folder") << false;
    QTest::newRow("immutable folder") << true;
  }
  void lockedFolderWritesInPlace() {
    QFETCH(bool, immutable);
    QTemporaryDir dir;
    const QString path = dir.filePath("LOG.TXT");
    QVERIFY(WriteNew(path, "an older and longer monitor text\r\n"));
    const QByteArray folder = QFile::encodeName(dir.path());
    Undo unlock;
    if (immutable) {
      const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
      QVERIFY(fd >= 0);
      int flags = 0;
      const bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                       (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
      if (set) {
        unlock.undo = [fd, flags] {
          int cleared = flags & ~FS_IMMUTABLE_FL;
          ::ioctl(fd, FS_IOC_SETFLAGS, &cleared);
          ::close(fd);
        };
      } else {
        ::close(fd);
        QSKIP("cannot make a folder immutable here (needs root and file system support)");
      }
    } else {
      QVERIFY(::chmod(folder.constData(), 0555) == 0);
      unlock.undo = [folder] { ::chmod(folder.constData(), 0755); };
    }
    if (WriteNew(dir.filePath("probe"), "x")) {
      QSKIP("the locked folder still takes new files (running as root ignores its mode)");
    }

    PresetPath files;
    files.path = path;
    RecordingMessages messages;
    kdx::ui::SaveTextAs(files, messages, nullptr, "SD: 06\r\n");
    QCOMPARE(messages.boxes.size(), std::size_t{1});
    QCOMPARE(messages.boxes[0].title, std::string("Save As..."));
    QCOMPARE(ReadAll(path), QByteArray("SD: 06\r\n"));
  }

  // On a full file system the old file stays as it was and the box says why.
  // A tmpfs of 64 KB is mounted for it, which needs root.
  void fullDiskKeepsOldFile_data() {
    QTest::addColumn<int>("freePages");  // 4 KB pages left free
    QTest::addColumn<int>("size");       // bytes of monitor text saved
    QTest::newRow("short text, nothing free") << 0 << 88;
    QTest::newRow("longer text, a page free") << 1 << 20000;
    QTest::newRow("long text, nothing free") << 0 << 20000;
  }
  void fullDiskKeepsOldFile() {
    QFETCH(int, freePages);
    QFETCH(int, size);
    if (::geteuid() != 0) QSKIP("mounting a small file system needs root");
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0) {
      QSKIP(qPrintable("cannot mount a tmpfs: " + QString::fromLocal8Bit(std::strerror(errno))));
    }
    Undo unmount{[mountPoint] { ::umount2(mountPoint.constData(), MNT_DETACH); }};

    const QString path = dir.filePath("LOG.TXT");
    const QByteArray old = "RD: 06\r\nRD: F2 00 00 03 50 31 30 30 30 03 B3 \r\n";
    QVERIFY(WriteNew(path, old));
    // Fill every page with one file, then give back what the row leaves free.
    const QByteArray filler = QFile::encodeName(dir.filePath("filler"));
    const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    const QByteArray page(4096, 'x');
    off_t filled = 0;
    for (ssize_t n; (n = ::write(fd, page.constData(), page.size())) > 0;) filled += n;
    const int fillError = errno;
    QVERIFY(::ftruncate(fd, filled - freePages * page.size()) == 0);
    ::close(fd);
    QCOMPARE(fillError, ENOSPC);

    PresetPath files;
    files.path = path;
    RecordingMessages messages;
    kdx::ui::SaveTextAs(files, messages, nullptr, MonitorText(size));
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(messages.boxes.size(), std::size_t{2});
    QCOMPARE(messages.boxes[0].title, std::string("Save As..."));
    QCOMPARE(messages.boxes[1].title, std::string("mnuFileSaveAsDialog_Click"));
    const QString text = QString::fromStdString(messages.boxes[1].text);
    QVERIFY2(
        QRegularExpression("^Error: [1-9][0-9]* No space left on device$").match(text).hasMatch(),
        qPrintable(text));
    // No temporary file is left behind.
    QStringList entries = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    entries.sort();
    QCOMPARE(entries, QStringList({"LOG.TXT", "filler"}));
  }
#endif
};

#include "test_main.h"
KDX_TEST_MAIN(SaveFileTest)
#include "save_file_test.moc"
