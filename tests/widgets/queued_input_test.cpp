// Input given to a window while an exchange holds it is dropped, not
// replayed afterwards; boxes and dialogs still take theirs. The clicks, keys
// and wheel turns are queued on the window from inside the exchange (the
// line's write hook), as the window system queues them on a frozen window.
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "ui/adapters/qt_messages.h"
#include "ui/link/port_setup_dialog.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

QWindow* WindowHandle(QWidget* widget) {
  return widget->window()->windowHandle();
}

QPointF InWindow(QWidget* widget) {
  return widget->mapTo(widget->window(), QPointF(widget->rect().center()));
}

// Queues a left click on `target` for its window.
void QueueClick(QWidget* target) {
  const QPointF at = InWindow(target);
  const QPointF global = target->mapToGlobal(QPointF(target->rect().center()));
  QCoreApplication::postEvent(WindowHandle(target),
                              new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                              Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(
      WindowHandle(target), new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                            Qt::NoButton, Qt::NoModifier));
}

// Queues the space bar, which presses the focused button, for `top`.
void QueueSpace(QWidget* top) {
  for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QCoreApplication::postEvent(WindowHandle(top),
                                new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, " "));
  }
}

// Queues a wheel turn over `target` (over a closed combo box it changes the
// selection).
void QueueWheel(QWidget* target) {
  const QPointF global = target->mapToGlobal(QPointF(target->rect().center()));
  QCoreApplication::postEvent(
      WindowHandle(target),
      new QWheelEvent(InWindow(target), global, QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false));
}

// Counts paint events of a widget.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

class QueuedInputTest : public QObject {
  Q_OBJECT
 private slots:
  // Four clicks, a key and a wheel turn queued during the first exchange of
  // a press on a silent unit; the line answers nothing, so each exchange
  // that ran shows as its command frame(s) on the line.
  void queuedInputIsDropped_data() {
    QTest::addColumn<bool>("inDialog");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("framesPerPress");
    QTest::newRow("Card Status") << false << "CardStatusBtn" << 1;
    QTest::newRow("port dialog OK") << true << "Command1" << 1;
    QTest::newRow("port dialog SCAN") << true << "Command3" << 5;  // COM1 at five rates
  }
  void queuedInputIsDropped() {
    QFETCH(bool, inDialog);
    QFETCH(QString, button);
    QFETCH(int, framesPerPress);
    WindowHarness h;
    h.state.linkOpen = true;
    h.line.onOpen = [](int port, int) {
      return port == 1 ? OpenError::None : OpenError::NoSuchPort;
    };
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    std::unique_ptr<ui::PortSetupDialog> dialog;
    QWidget* top = h.window.get();
    if (inDialog) {
      dialog = std::make_unique<ui::PortSetupDialog>(h.session, h.window.get());
      dialog->toggleFold();
      dialog->show();
      QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
      top = dialog.get();
    }
    auto* pressed = top->findChild<QPushButton*>(button);
    auto* order = h.find<QComboBox>("RFCardUPCombbox");  // on the tab in front
    PaintCounter painted;
    pressed->installEventFilter(&painted);

    int frames = 0;
    h.line.onWrite = [&](int, const Bytes& bytes) {
      if (bytes.size() < 9 || ++frames > 1) return;
      for (int i = 0; i < 4; ++i) QueueClick(pressed);
      pressed->setFocus();
      QueueSpace(top);
      QueueWheel(order);
      pressed->update();
    };
    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(frames, framesPerPress);
    QTest::qWait(50);  // nothing left queued to replay
    QCOMPARE(frames, framesPerPress);
    QCOMPARE(order->currentIndex(), 0);
    QVERIFY(painted.paints > 0);

    // Input given after the operation is taken as usual.
    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(frames, 2 * framesPerPress);
  }

  // A box that the operation shows, and one that opens while the queued
  // input is dropped, each take the operator's click on their OK.
  void boxesTakeTheirClicks_data() {
    QTest::addColumn<bool>("inOperation");
    QTest::newRow("box of the operation") << true;
    QTest::newRow("box opening after it") << false;
  }
  void boxesTakeTheirClicks() {
    QFETCH(bool, inOperation);
    LinkHarness h;
    ui::QtMessages boxes;
    Session session{h.line, h.clock, boxes, h.monitor, h.state};
    DeviceRecords records;
    FakeFileDialogs files;
    ui::ReaderMain window(session, records, files);
    boxes.setOwner(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* status = window.findChild<QPushButton*>("CardStatusBtn");

    int frames = 0;
    h.line.onWrite = [&](int, const Bytes& bytes) {
      if (bytes.size() < 9 || ++frames > 1) return;
      for (int i = 0; i < 3; ++i) QueueClick(status);
      if (inOperation) {
        h.line.deliverIn(5, {kAck});
        h.line.deliverIn(10, ReplyFrame("P10000"));
      } else {
        QTimer::singleShot(0, &window, [&] { boxes.show("Later", "Later", Icon::Information); });
      }
    };
    QString shown;
    bool closedByClick = false;
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      shown = box->windowTitle();
      QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
      closedByClick = !box->isVisible();
      if (!closedByClick) box->done(0);  // eaten: close it so the test ends
    });
    QTest::mouseClick(status, Qt::LeftButton);
    QTest::qWait(20);
    QCOMPARE(shown, QString(inOperation ? "Card Status" : "Later"));
    QVERIFY(closedByClick);
    QCOMPARE(frames, 1);
    QVERIFY(!QApplication::activeModalWidget());
  }
};

#include "test_main.h"
KDX_TEST_MAIN(QueuedInputTest)
#include "queued_input_test.moc"
