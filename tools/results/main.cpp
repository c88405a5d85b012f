// kdx846-results: the results database of kdx846-run in a window, or its
// charts and unit table written to a folder (--export) without a display.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "program_help.h"
#include "results_options.h"
#include "results_window.h"

namespace {

constexpr char kDesktopId[] = "org.kdx846.Results";

}  // namespace

int main(int argc, char** argv) {
  using kdx::results::ResultsArguments;
  const ResultsArguments args = kdx::results::ParseResultsArguments(argc, argv);
  switch (args.request) {
    case ResultsArguments::Request::Help:
      std::fputs(kdx::about::kHelp, stdout);
      return 0;
    case ResultsArguments::Request::Version:
      std::printf("%s %s\n", kdx::about::kProgram, kdx::about::kVersion);
      return 0;
    case ResultsArguments::Request::Bad:
      std::fprintf(stderr, "%s: %s\n%sTry '%s --help' for more information.\n",
                   kdx::about::kProgram, args.error.c_str(), kdx::about::kUsage,
                   kdx::about::kProgram);
      return 2;
    case ResultsArguments::Request::Run:
      break;
  }
  // An export draws off screen, so that a CI job needs no display.
  if (args.exportDir) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationVersion(kdx::about::kVersion);
  QGuiApplication::setDesktopFileName(kDesktopId);
  QApplication::setWindowIcon(QIcon::fromTheme("org.kdx846.TestTool"));
  kdx::results::ResultsWindow window;
  const QString file = QString::fromLocal8Bit(args.file.c_str());
  if (args.exportDir) {
    QString error;
    if (!window.openFile(file, &error)) {
      std::fprintf(stderr, "%s: %s\n", kdx::about::kProgram, qPrintable(error));
      return 2;
    }
    const QString dir = QString::fromLocal8Bit(args.exportDir->c_str());
    if (!window.exportTo(dir, error)) {
      std::fprintf(stderr, "%s: %s\n", kdx::about::kProgram, qPrintable(error));
      return 1;
    }
    if (!window.message().isEmpty())
      std::fprintf(stderr, "%s: %s\n", kdx::about::kProgram, qPrintable(window.message()));
    return 0;
  }
  window.show();
  if (!file.isEmpty()) window.openFile(file);
  // For documentation and headless checks, as kdx846 does: save a picture
  // of the window once it has been painted, then quit.
  const QString screenshot = qEnvironmentVariable("KDX846_SCREENSHOT");
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(800, &window, [&] {
      const bool saved = window.grab().save(screenshot);
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
