#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "app/app_options.h"
#include "device/device_records.h"
#include "link/clock.h"
#include "link/link_state.h"
#include "link/monitor.h"
#include "program_help.h"
#include "ui/adapters/file_dialogs.h"
#include "ui/adapters/qt_messages.h"
#include "ui/adapters/qt_serial_line.h"
#include "ui/reader_main.h"

namespace {

// The name the desktop entry, the AppStream file and the icon are installed
// under; window systems match the running window to its entry by it.
constexpr char kDesktopId[] = "org.kdx846.TestTool";

// --help, --version and wrong options are answered before Qt starts, so
// that they need no display. Returns the exit status, or -1 to go on.
int AnswerCommandLine(int argc, char** argv) {
  using kdx::app::AppArguments;
  const AppArguments args = kdx::app::ParseAppArguments(argc, argv);
  switch (args.request) {
    case AppArguments::Request::Run:
      return -1;
    case AppArguments::Request::Help:
      std::fputs(kdx::about::kHelp, stdout);
      return 0;
    case AppArguments::Request::Version:
      std::printf("%s %s\n", kdx::about::kProgram, kdx::about::kVersion);
      return 0;
    case AppArguments::Request::Bad:
      break;
  }
  std::fprintf(stderr, "%s: %s\n%sTry '%s --help' for more information.\n", kdx::about::kProgram,
               args.error.c_str(), kdx::about::kUsage, kdx::about::kProgram);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = AnswerCommandLine(argc, argv); status >= 0) return status;
  QApplication app(argc, argv);
  QApplication::setApplicationVersion(kdx::about::kVersion);
  QGuiApplication::setDesktopFileName(kDesktopId);
  // Installed, the icon comes from the desktop's icon theme; run from the
  // build folder the window keeps the window system's default.
  QApplication::setWindowIcon(QIcon::fromTheme(kDesktopId));
  kdx::SteadyClock clock;
  kdx::ui::QtSerialLine line;
  kdx::ui::QtMessages messages;
  kdx::Monitor monitor;
  // The program-wide values, one object per layer that owns them.
  kdx::LinkState link;
  kdx::DeviceRecords records;
  kdx::Session session{line, clock, messages, monitor, link};
  kdx::ui::QtFileDialogs files;
  kdx::ui::ReaderMain window(session, records, files);
  messages.setOwner(&window);
  window.show();
  // For documentation and headless checks: save a picture of the window
  // once it has been painted, then quit.
  const QString screenshot = qEnvironmentVariable("KDX846_SCREENSHOT");
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(800, &window, [&] {
      const bool saved = window.grab().save(screenshot);
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
