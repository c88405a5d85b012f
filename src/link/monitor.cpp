#include "link/monitor.h"

#include "link/bytes.h"

namespace kdx {

void Monitor::append(std::string_view piece) {
  if (piece.empty()) return;
  text_.append(piece);
  if (onAppend) onAppend(piece);
}

void Monitor::clear() {
  text_.clear();
  if (onClear) onClear();
}

void Monitor::prologue() {
  if (!record_) clear();
}

void Monitor::epilogue() { append(kCrLf); }

void Monitor::revealEnd() {
  if (onRevealEnd) onRevealEnd();
}

std::string Monitor::trimmedText() const {
  const auto first = text_.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text_.find_last_not_of(' ');
  return text_.substr(first, last - first + 1);
}

}  // namespace kdx
