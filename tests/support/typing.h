#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QtTest>

namespace kdx::test {

// Brings `widget` into view as the operator finds it: each tab or page that
// holds it to the front, its window shown and active. False when the window
// does not become active (then nothing takes the focus).
inline bool BringIntoView(QWidget* widget) {
  for (QWidget* w = widget; w && w->parentWidget(); w = w->parentWidget()) {
    auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget());
    if (!pages) continue;
    if (auto* tabs = qobject_cast<QTabWidget*>(pages->parentWidget()))
      tabs->setCurrentWidget(w);
    else
      pages->setCurrentWidget(w);
  }
  QWidget* window = widget->window();
  window->show();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

// A click where the operator clicks to type into `field`: the middle of its
// text box (the line edit of an editable combo box). Returns the widget that
// has the focus afterwards, which is where a window system delivers keys.
inline QWidget* ClickInto(QWidget* field) {
  if (!BringIntoView(field)) return nullptr;
  QWidget* box = field;
  if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
    box = combo->lineEdit();
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
  return QApplication::focusWidget();
}

// Clicks into `field`, selects what it holds (Ctrl+A) unless `keep`, and
// types `keys` to the focused widget; "\b" is Backspace. The text the field
// shows afterwards.
inline QString TypeInto(QWidget* field, const QString& keys, bool keep = false) {
  QWidget* focus = ClickInto(field);
  if (!focus) return QStringLiteral("<no focus>");
  if (!keep) QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
  // Each key to the widget that has the focus when it is typed.
  for (const QChar key : keys) QTest::keyClicks(QApplication::focusWidget(), QString(key));
  if (auto* combo = qobject_cast<QComboBox*>(field)) return combo->currentText();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) return edit->text();
  return {};
}

}  // namespace kdx::test
