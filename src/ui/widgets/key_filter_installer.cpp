#include "ui/widgets/key_filter_installer.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

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
}

KeyFilterInstaller* KeyFilterInstaller::install(QLineEdit* edit, KeyFilter filter) {
  if (auto* old = edit->findChild<KeyFilterInstaller*>(QString(), Qt::FindDirectChildrenOnly)) {
    edit->removeEventFilter(old);
    delete old;
  }
  auto* installer = new KeyFilterInstaller(edit, filter);
  edit->installEventFilter(installer);
  // Composed input would reach the field as text without a key press and
  // bypass the filter; these fields take plain keys only.
  edit->setAttribute(Qt::WA_InputMethodEnabled, false);
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

bool KeyFilterInstaller::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_ || event->type() != QEvent::KeyPress || forwarding_) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  char replacement = 0;
  switch (judge(*key, replacement)) {
    case Verdict::Pass:
      return false;
    case Verdict::Discard:
      return true;
    case Verdict::Replace:
      break;
  }
  // The same key typing the upper-cased letter; the edit handles it as its
  // own, so overwrite mode, length limit and undo behave as for any key.
  QKeyEvent upper(key->type(), key->key(), key->modifiers(),
                  QString(QChar::fromLatin1(replacement)), key->isAutoRepeat(),
                  static_cast<quint16>(key->count()));
  forwarding_ = true;
  QCoreApplication::sendEvent(edit_, &upper);
  forwarding_ = false;
  return true;
}

}  // namespace kdx::ui
