#pragma once

#include <QPlainTextEdit>

#include "link/monitor.h"

namespace kdx::ui {

// Mirrors the monitor text in a read-only text box. Each append inserts only
// the new piece at the end, so its cost does not grow with the history. Its
// context menu offers, below the standard entries, the actions added to it.
class MonitorView final : public QPlainTextEdit {
  Q_OBJECT
 public:
  MonitorView(Monitor& monitor, QWidget* parent = nullptr);
  ~MonitorView() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void appendPiece(std::string_view piece);
  Monitor& monitor_;
};

}  // namespace kdx::ui
