#include <QApplication>
#include <QTimer>

#include "device/device_records.h"
#include "link/clock.h"
#include "link/link_state.h"
#include "link/monitor.h"
#include "ui/adapters/file_dialogs.h"
#include "ui/adapters/qt_messages.h"
#include "ui/adapters/qt_serial_line.h"
#include "ui/reader_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
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
