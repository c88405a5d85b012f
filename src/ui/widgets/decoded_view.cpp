#include "ui/widgets/decoded_view.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "iso/status_word_line.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

namespace {

// The bytes of a box's hex text; none for an empty box or one that does not
// hold hex pairs.
Bytes BoxBytes(const QString& text) {
  Bytes bytes;
  if (!ParseHexBytes(ToDevice(text), bytes)) bytes.clear();
  return bytes;
}

void Refresh(const QString& text, QPlainTextEdit* view, const Decoder& decode) {
  const Bytes bytes = BoxBytes(text);
  ShowDecodedLines(*view, bytes.empty() ? DecodedLines{} : decode(bytes));
}

void RefreshStatus(const QString& text, QLabel* line) {
  line->setText(FromStd(ResponseStatusLine(BoxBytes(text))));
}

}  // namespace

QPlainTextEdit* DecodedView(const char* name, int lines) {
  auto* view = Named(new QPlainTextEdit, name);
  view->setReadOnly(true);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Long lines wrap at blanks rather than hide behind a scroll bar.
  view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  const int lineHeight = view->fontMetrics().lineSpacing();
  view->setFixedHeight(lineHeight * lines + 2 * view->frameWidth() + 8);
  return view;
}

QLabel* StatusLine(const char* name) {
  auto* line = Named(new QLabel, name);
  line->setTextInteractionFlags(Qt::TextSelectableByMouse);
  line->setTextFormat(Qt::PlainText);
  return line;
}

void ExplainBytes(QLineEdit* box, QPlainTextEdit* view, Decoder decode) {
  QObject::connect(box, &QLineEdit::textChanged, view,
                   [view, decode](const QString& text) { Refresh(text, view, decode); });
}

void ExplainBytes(QPlainTextEdit* box, QPlainTextEdit* view, Decoder decode) {
  QObject::connect(box, &QPlainTextEdit::textChanged, view,
                   [box, view, decode] { Refresh(box->toPlainText(), view, decode); });
}

void ExplainStatusWord(QLineEdit* box, QLabel* line) {
  QObject::connect(box, &QLineEdit::textChanged, line,
                   [line](const QString& text) { RefreshStatus(text, line); });
}

void ExplainStatusWord(QPlainTextEdit* box, QLabel* line) {
  QObject::connect(box, &QPlainTextEdit::textChanged, line,
                   [box, line] { RefreshStatus(box->toPlainText(), line); });
}

void ShowDecodedLines(QPlainTextEdit& view, const DecodedLines& lines) {
  QStringList text;
  for (const std::string& line : lines) text << FromStd(line);
  view.setPlainText(text.join('\n'));
}

}  // namespace kdx::ui
