#include "ui/monitor/monitor_view.h"

#include <QContextMenuEvent>
#include <QFont>
#include <QMenu>
#include <QScrollBar>
#include <QTextCursor>

#include "ui/widgets/texts.h"

namespace kdx::ui {

MonitorView::MonitorView(Monitor& monitor, QWidget* parent)
    : QPlainTextEdit(parent), monitor_(monitor) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  QFont font("Arial");
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  appendPiece(monitor.text());
  monitor_.onAppend = [this](std::string_view piece) { appendPiece(piece); };
  monitor_.onClear = [this] { clear(); };
  monitor_.onRevealEnd = [this] {
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
  };
}

MonitorView::~MonitorView() {
  monitor_.onAppend = nullptr;
  monitor_.onClear = nullptr;
  monitor_.onRevealEnd = nullptr;
}

void MonitorView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu(event->pos());
  if (!actions().isEmpty()) {
    menu->addSeparator();
    menu->addActions(actions());
  }
  menu->exec(event->globalPos());
  delete menu;
}

void MonitorView::appendPiece(std::string_view piece) {
  // The monitor keeps CR LF line ends; the text box breaks lines on LF.
  QString text = FromDevice(piece);
  text.remove(QLatin1Char('\r'));
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(text);
}

}  // namespace kdx::ui
