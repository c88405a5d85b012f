#pragma once

#include <QString>
#include <functional>

#include "iso/decoded_lines.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kdx::ui {

// Read-only views that explain the hex bytes of an answer or response box
// beside it. Each follows its box's text: whatever fills or clears the box
// (a reset, an activation, an APDU, a refused input) refreshes the view, and
// the box itself is only read.

using Decoder = std::function<DecodedLines(ByteView)>;

// A read-only box for decoded lines, `lines` lines high, named `name`.
QPlainTextEdit* DecodedView(const char* name, int lines);

// A read-only one-line label for a status word, named `name`.
QLabel* StatusLine(const char* name);

// Keeps `view` showing `decode` of the bytes in `box`; empty while the box
// is empty or holds something other than hex pairs.
void ExplainBytes(QLineEdit* box, QPlainTextEdit* view, Decoder decode);
void ExplainBytes(QPlainTextEdit* box, QPlainTextEdit* view, Decoder decode);

// Keeps `line` explaining the status word that ends the response in `box`.
void ExplainStatusWord(QLineEdit* box, QLabel* line);
void ExplainStatusWord(QPlainTextEdit* box, QLabel* line);

// The lines of `lines` in `view`, one per line.
void ShowDecodedLines(QPlainTextEdit& view, const DecodedLines& lines);

}  // namespace kdx::ui
