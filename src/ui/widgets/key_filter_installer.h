#pragma once

#include <QObject>
#include <optional>

#include "input/key_filters.h"

class QKeyEvent;
class QLineEdit;

namespace kdx::ui {

// Puts a keystroke filter on a line edit: each typed character goes through
// FilterKey and is discarded or let through (hex letters upper-cased).
//
// Only typed characters are filtered. Navigation and editing keys that type
// nothing (arrows, Delete, Home, Tab, Enter, Escape) and shortcuts held with
// Ctrl or Meta (copy, paste, undo, select all) pass untouched, and text that
// is pasted or written by the program is not a keystroke, so it is not
// filtered either. Backspace counts as the character code 8.
class KeyFilterInstaller final : public QObject {
  Q_OBJECT

 public:
  // Installs `filter` on `edit`, replacing any filter installed before. The
  // installer is a child of the edit and goes with it.
  static KeyFilterInstaller* install(QLineEdit* edit, KeyFilter filter);

  // The filter installed on `edit`, if any.
  static std::optional<KeyFilter> installedOn(const QLineEdit* edit);

  KeyFilter filter() const { return filter_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeyFilterInstaller(QLineEdit* edit, KeyFilter filter);

  // What becomes of a key press: sent on unchanged, discarded, or replaced by
  // the same key typing another character.
  enum class Verdict { Pass, Discard, Replace };
  Verdict judge(const QKeyEvent& key, char& replacement) const;

  QLineEdit* edit_;
  KeyFilter filter_;
  bool forwarding_ = false;
};

}  // namespace kdx::ui
