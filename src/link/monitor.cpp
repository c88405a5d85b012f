#include "link/monitor.h"

#include "link/bytes.h"
#include "link/conversions.h"

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

void Monitor::epilogue() {
  append(kCrLf);
}

void Monitor::revealEnd() {
  if (onRevealEnd) onRevealEnd();
}

std::string Monitor::trimmedText() const {
  return std::string(TrimBlanks(text_));
}

}  // namespace kdx
