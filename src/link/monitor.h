#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kdx {

// The traffic monitor's text: every byte on the line as "SD: " and "RD: "
// lines with CR LF ends. It is only ever appended to, emptied or read; a view
// mirrors it through the callbacks, so an append costs the size of the piece,
// not of the whole text.
class Monitor {
 public:
  void append(std::string_view piece);
  void clear();
  const std::string& text() const { return text_; }

  // "Record Data": keep the history of earlier operations.
  void setRecord(bool record) { record_ = record; }
  bool record() const { return record_; }

  // Before each operation: empty the monitor unless "Record Data" is checked.
  void prologue();
  // After each operation: CR LF, so that exchanges stand apart.
  void epilogue();
  // Asks the view to show the end of the text (after a failure).
  void revealEnd();

  // The text as saved to a file: blanks (not line ends) trimmed at both ends.
  std::string trimmedText() const;

  std::function<void(std::string_view)> onAppend;
  std::function<void()> onClear;
  std::function<void()> onRevealEnd;

 private:
  std::string text_;
  bool record_ = false;
};

}  // namespace kdx
