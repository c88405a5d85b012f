#include "input/grid_rules.h"

namespace kdx {

GridRules::GridRules(int count) : count_(count < 1 ? 1 : count) {}

int GridRules::next(int index) const {
  return index >= last() ? 0 : index + 1;
}

int GridRules::previous(int index) const {
  return index <= 0 ? last() : index - 1;
}

std::string GridRules::KeepLastTwo(std::string_view text) {
  if (text.size() <= 2) return std::string(text);
  return std::string(text.substr(text.size() - 2));
}

std::string GridRules::Pad(std::string_view text) {
  if (text.size() == 1) return "0" + std::string(text);
  return std::string(text);
}

GridKeyAction GridRules::onKey(int index, GridKey key) const {
  switch (key) {
    case GridKey::Right:
    case GridKey::Enter:
      return {CellEdit::Pad, next(index)};
    case GridKey::Left:
      return {CellEdit::Pad, previous(index)};
    case GridKey::Escape:
      return {CellEdit::Clear, std::nullopt};
  }
  return {};
}

}  // namespace kdx
