#include "ui/widgets/key_filter_installer.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

namespace kdx::ui {

namespace {

// Keys that move, delete or leave rather than type; some platforms attach a
// control character to them, which is not a typed character here.
bool TypesNothing(int key) {
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
      return true;
    default:
      return false;
  }
}

}  // namespace

KeyFilterInstaller::KeyFilterInstaller(QLineEdit* edit, KeyFilter filter)
    : QObject(edit), edit_(edit), filter_(filter) {
  setObjectName(QStringLiteral("keyFilter"));
  if (auto* combo = qobject_cast<QComboBox*>(edit->parentWidget());
      combo && combo->lineEdit() == edit) {
    host_ = combo;
  }
}

KeyFilterInstaller* KeyFilterInstaller::install(QLineEdit* edit, KeyFilter filter) {
  if (auto* old = edit->findChild<KeyFilterInstaller*>(QString(), Qt::FindDirectChildrenOnly)) {
    delete old;  // a deleted object's event filters go with it
  }
  auto* installer = new KeyFilterInstaller(edit, filter);
  edit->installEventFilter(installer);
  // Composed input would reach the field as text without a key press and
  // bypass the filter; these fields take plain keys only. A combo box hands
  // its own composed input to the edit as well.
  edit->setAttribute(Qt::WA_InputMethodEnabled, false);
  if (installer->host_) {
    installer->host_->installEventFilter(installer);
    installer->host_->setAttribute(Qt::WA_InputMethodEnabled, false);
  }
  return installer;
}

std::optional<KeyFilter> KeyFilterInstaller::installedOn(const QLineEdit* edit) {
  if (auto* installer =
          edit->findChild<KeyFilterInstaller*>(QString(), Qt::FindDirectChildrenOnly)) {
    return installer->filter();
  }
  return std::nullopt;
}

KeyFilterInstaller::Verdict KeyFilterInstaller::judge(const QKeyEvent& key,
                                                      char& replacement) const {
  if (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return Verdict::Pass;
  if (TypesNothing(key.key())) return Verdict::Pass;
  const QString text = key.text();
  char code = 0;
  if (key.key() == Qt::Key_Backspace) {
    code = kBackspace;
  } else if (text.isEmpty()) {
    return Verdict::Pass;  // arrows, Home, End, function keys
  } else if (text.size() == 1 && text.at(0).unicode() < 0x80) {
    code = static_cast<char>(text.at(0).unicode());
  } else {
    return Verdict::Discard;  // no filter admits anything beyond ASCII
  }
  const auto passed = FilterKey(filter_, code);
  if (!passed) return Verdict::Discard;
  if (*passed == code) return Verdict::Pass;
  replacement = *passed;
  return Verdict::Replace;
}

QString KeyFilterInstaller::admitted(KeyFilter filter, const QString& text) {
  QString out;
  for (const QChar c : text) {
    if (c.unicode() >= 0x80) continue;  // no filter admits anything beyond ASCII
    const char code = static_cast<char>(c.unicode());
    if (code == kBackspace) continue;
    if (const auto passed = FilterKey(filter, code)) out += QChar::fromLatin1(*passed);
  }
  return out;
}

bool KeyFilterInstaller::eventFilter(QObject* watched, QEvent* event) {
  if (forwarding_) return false;
  // The combo box passes on keys only; mouse, drag and menu events reach
  // the edit under the pointer directly.
  if (watched == host_ && host_) {
    return event->type() == QEvent::KeyPress && filterKey(host_, *static_cast<QKeyEvent*>(event));
  }
  if (watched != edit_) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
      return filterKey(edit_, *static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonRelease:
      return filterMiddleClick(*static_cast<QMouseEvent*>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
      return filterDrag(*static_cast<QDropEvent*>(event));
    case QEvent::Drop:
      return filterDrop(*static_cast<QDropEvent*>(event));
    case QEvent::ContextMenu:
      return showContextMenu(*static_cast<QContextMenuEvent*>(event));
    default:
      return false;
  }
}

bool KeyFilterInstaller::filterKey(QObject* receiver, QKeyEvent& key) {
  // Ctrl+V, Shift+Insert and the Paste key: the edit would insert the
  // clipboard as it is.
  if (key.matches(QKeySequence::Paste)) {
    if (edit_->isReadOnly()) return false;
    paste(QClipboard::Clipboard);
    return true;
  }
  char replacement = 0;
  switch (judge(key, replacement)) {
    case Verdict::Pass:
      return false;
    case Verdict::Discard:
      return true;
    case Verdict::Replace:
      break;
  }
  // The same key typing the upper-cased letter, to the widget it came to;
  // the edit handles it as its own, so overwrite mode, length limit and undo
  // behave as for any key.
  QKeyEvent upper(key.type(), key.key(), key.modifiers(), QString(QChar::fromLatin1(replacement)),
                  key.isAutoRepeat(), static_cast<quint16>(key.count()));
  forwarding_ = true;
  QCoreApplication::sendEvent(receiver, &upper);
  forwarding_ = false;
  return true;
}

// A middle click pastes the selection where the system has one (X11); the
// edit deselects and inserts it on release.
bool KeyFilterInstaller::filterMiddleClick(const QMouseEvent& click) {
  if (click.button() != Qt::MiddleButton || edit_->isReadOnly() ||
      !QGuiApplication::clipboard()->supportsSelection()) {
    return false;
  }
  edit_->deselect();
  paste(QClipboard::Selection);
  return true;
}

// A drag whose text has nothing the filter admits is refused, so that the
// operator sees it cannot be dropped, and a moving drag does not take the
// text away from where it came from.
bool KeyFilterInstaller::filterDrag(QDropEvent& drag) {
  if (edit_->isReadOnly() || drag.source() == edit_ || !drag.mimeData()->hasText()) return false;
  if (!admitted(filter_, drag.mimeData()->text()).isEmpty()) return false;
  drag.ignore();
  return true;
}

// The edit handles the drop itself (position, selection, undo) with the
// filtered text in place of the dragged one. Text dragged within the edit is
// already in it and passes as it is: the edit moves it by its length.
bool KeyFilterInstaller::filterDrop(QDropEvent& drop) {
  if (edit_->isReadOnly() || drop.source() == edit_ || !drop.mimeData()->hasText()) return false;
  const QString text = admitted(filter_, drop.mimeData()->text());
  if (text.isEmpty()) {
    drop.ignore();
    return true;
  }
  QMimeData filtered;
  filtered.setText(text);
  QDropEvent forwarded(drop.position(), drop.possibleActions(), &filtered, drop.buttons(),
                       drop.modifiers(), QEvent::Drop);
  forwarded.setDropAction(drop.dropAction());
  forwarding_ = true;
  // Straight to the edit: the application would route a drop only to the
  // widget the drag manager has as its target.
  static_cast<QObject*>(edit_)->event(&forwarded);
  forwarding_ = false;
  drop.setDropAction(forwarded.dropAction());
  drop.setAccepted(forwarded.isAccepted());
  return true;
}

// The edit's own context menu, with its Paste rewired to paste filtered
// text. Submenus go: the one the edit may add inserts Unicode control
// characters, which no filter admits.
bool KeyFilterInstaller::showContextMenu(const QContextMenuEvent& request) {
  QMenu* menu = edit_->createStandardContextMenu();
  if (!menu) return false;
  for (QAction* action : menu->actions()) {
    if (action->menu()) {
      menu->removeAction(action);
      continue;
    }
    // The edit connects its Paste by name (Qt 6.4) or by member pointer.
    const bool byName = QObject::disconnect(action, SIGNAL(triggered()), edit_, SLOT(paste()));
    const bool byPointer =
        QObject::disconnect(action, &QAction::triggered, edit_, &QLineEdit::paste);
    if (byName || byPointer) {
      connect(action, &QAction::triggered, this, [this] { paste(QClipboard::Clipboard); });
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(request.globalPos());
  return true;
}

// Inserts what the filter admits of the clipboard text through the edit's
// insert(), which replaces the selection and keeps the length limit and
// undo. Nothing admitted changes nothing, as a discarded key does not.
void KeyFilterInstaller::paste(QClipboard::Mode mode) {
  const QString text = admitted(filter_, QGuiApplication::clipboard()->text(mode));
  if (!text.isEmpty()) edit_->insert(text);
}

}  // namespace kdx::ui
