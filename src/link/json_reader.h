#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kdx {

// A JSON value as the strict reader gives it. Numbers are whole (the files
// this reads hold no fractions); an object's members keep their order, the
// names and the values side by side (a pair holding a Json could not be
// declared inside Json).
struct Json {
  enum class Type { Null, Bool, Number, String, Array, Object };
  Type type = Type::Null;
  bool flag = false;
  std::int64_t number = 0;
  std::string text;
  std::vector<Json> items;
  std::vector<std::string> names;
  std::vector<Json> values;

  // The member named `key`, if the object has one.
  const Json* find(std::string_view key) const;
};

// Reads the one JSON value `text` holds: objects, arrays, strings (escapes
// and surrogate pairs as UTF-8), whole numbers of up to 15 digits, true,
// false and null, nested at most 8 deep; a member name given twice, text
// after the value and anything else are refused. Nothing, with the reason
// and column in `error`, for text that is not such a value.
std::optional<Json> ParseJson(std::string_view text, std::string& error);

// UTF-8 text as a JSON string, quotes included: the quote and the backslash
// escaped, control characters as \u00XX, everything else as it is. Every
// JSON this program writes quotes its strings with it.
std::string JsonString(std::string_view text);

}  // namespace kdx
