#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <functional>

#include "link/operation.h"
#include "ui/tab_router.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

// Runs one operation of a command button: the main window shows the busy
// cursor while it runs and drops the input queued meanwhile.
using OperationRunner = std::function<void(const std::function<void()>&)>;

// The buttons that open a window of their own ("Command Line", "Sam Card",
// "CPU Card"): the caution box while the link is closed, their window while
// it is open.
class WindowButtons {
 public:
  explicit WindowButtons(Session& session) : session_(session) {}

  QPushButton* add(const QString& caption, const QString& name, std::function<void()> opener);

 private:
  Session& session_;
};

// What the main window gives each page.
struct PageServices {
  Session& session;
  OperationRunner run;
  WindowButtons& windows;
  // The window's tab controls, for operations that bring a tab to the front.
  TabRouter& tabs;
};

// The button of one operation row: named and captioned from the row, and
// running the row on `context` through `run` when clicked.
template <class Context>
QPushButton* OperationButton(const OperationRow<Context>& row, Context& context,
                             const OperationRunner& run) {
  auto* button = Named(new QPushButton(FromDevice(row.caption)), row.control);
  QObject::connect(button, &QPushButton::clicked, button, [&row, &context, run] {
    run([&row, &context] { RunOperation(context, row); });
  });
  return button;
}

}  // namespace kdx::ui
