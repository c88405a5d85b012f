#include <QApplication>

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
  return app.exec();
}
