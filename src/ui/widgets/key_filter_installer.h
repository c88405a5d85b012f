#pragma once

#include <QClipboard>
#include <QObject>
#include <optional>

#include "input/key_filters.h"

class QContextMenuEvent;
class QDropEvent;
class QKeyEvent;
class QLineEdit;
class QMouseEvent;

namespace kdx::ui {

// Puts a keystroke filter on a line edit: each typed character goes through
// FilterKey and is discarded or let through (hex letters upper-cased).
//
// The line edit of an editable combo box does not get the keys itself: the
// combo box holds the focus and passes them on without the edit's event
// filters. There the filter also sits on the combo box, where the keys
// arrive.
//
// Navigation and editing keys that type nothing (arrows, Delete, Home, Tab,
// Enter, Escape) and shortcuts held with Ctrl or Meta (copy, undo, select
// all) pass untouched. Backspace counts as the character code 8.
//
// Text the operator pastes (the paste shortcut, the context menu, a middle
// click) or drops goes through the same filter one character at a time;
// Backspace is not a character of such text and is dropped. Text written by
// the program with setText is not the operator's input and is not filtered.
class KeyFilterInstaller final : public QObject {
  Q_OBJECT

 public:
  // Installs `filter` on `edit` (and on the combo box whose line edit it
  // is), replacing any filter installed before. The installer is a child of
  // the edit and goes with it.
  static KeyFilterInstaller* install(QLineEdit* edit, KeyFilter filter);

  // The filter installed on `edit`, if any.
  static std::optional<KeyFilter> installedOn(const QLineEdit* edit);

  KeyFilter filter() const { return filter_; }

  // What `filter` lets through of inserted `text`: each character as a typed
  // key would be, without Backspace.
  static QString admitted(KeyFilter filter, const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeyFilterInstaller(QLineEdit* edit, KeyFilter filter);

  // What becomes of a key press: sent on unchanged, discarded, or replaced by
  // the same key typing another character.
  enum class Verdict { Pass, Discard, Replace };
  Verdict judge(const QKeyEvent& key, char& replacement) const;

  // `receiver` is the widget the key came to: the edit or its combo box.
  bool filterKey(QObject* receiver, QKeyEvent& key);
  bool filterMiddleClick(const QMouseEvent& click);
  bool filterDrag(QDropEvent& drag);
  bool filterDrop(QDropEvent& drop);
  bool showContextMenu(const QContextMenuEvent& request);
  // Inserts the filtered text of the clipboard in `mode` at the cursor.
  void paste(QClipboard::Mode mode);

  QLineEdit* edit_;
  QWidget* host_ = nullptr;  // the combo box that passes its keys to edit_
  KeyFilter filter_;
  bool forwarding_ = false;
};

}  // namespace kdx::ui
