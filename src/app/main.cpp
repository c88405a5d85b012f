#include <QApplication>
#include <QTimer>

#include "link/app_state.h"
#include "link/clock.h"
#include "link/monitor.h"
#include "ui/file_dialogs.h"
#include "ui/qt_messages.h"
#include "ui/qt_serial_line.h"
#include "ui/reader_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kdx::SteadyClock clock;
  kdx::ui::QtSerialLine line;
  kdx::ui::QtMessages messages;
  kdx::Monitor monitor;
  kdx::AppState state;
  kdx::Session session{line, clock, messages, monitor, state};
  kdx::ui::QtFileDialogs files;
  kdx::ui::ReaderMain window(session, files);
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
