#include "ui/widgets/queued_input.h"

#include <QApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace kdx::ui {

namespace {

// Longest the flush may take; it ends earlier as soon as nothing is pending.
constexpr int kFlushLimitMs = 200;

bool IsOperatorInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

// The top-level widget a receiver of input belongs to, or null.
QWidget* WindowOf(QObject* receiver) {
  for (QObject* o = receiver; o; o = o->parent()) {
    if (o->isWidgetType()) return static_cast<QWidget*>(o)->window();
  }
  if (receiver->isWindowType()) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->windowHandle() == receiver) return top;
    }
  }
  return nullptr;
}

// Eats the operator's input to the windows that were open when it was
// installed, for as long as it is installed. A window that opens meanwhile
// (a dialog or message box) gets its input.
class InputDropper final : public QObject {
 public:
  InputDropper() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->isVisible()) frozen_.append(top);
    }
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~InputDropper() override { QCoreApplication::instance()->removeEventFilter(this); }
  InputDropper(const InputDropper&) = delete;
  InputDropper& operator=(const InputDropper&) = delete;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!IsOperatorInput(event->type())) return false;
    QWidget* window = WindowOf(receiver);
    return window == nullptr || frozen_.contains(window);
  }

 private:
  QList<QPointer<QWidget>> frozen_;
};

}  // namespace

void DropQueuedInput() {
  if (!QCoreApplication::instance()) return;
  InputDropper dropper;
  QCoreApplication::processEvents(QEventLoop::AllEvents, kFlushLimitMs);
}

}  // namespace kdx::ui
