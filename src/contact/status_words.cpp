#include "contact/status_words.h"

#include <array>
#include <utility>

namespace kdx {

namespace {

// The texts keep their double blanks and spelling: they are what the
// operator has always read.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kStatusWords{{
    {"9000", "Execute OK"},
    {"6700", "The lenth of Lc is overflow and Command Cannot be Executed"},
    {"6B00", "Parameter(P1/P2) is error and  Command Cannot be Executed"},
    {"6F00", "Execute Error"},
    {"6F01", "Verification Password error"},
    {"6F02",
     "Card has been scrapped (password validation error over the number of cards permit error)"},
    {"6D00", "INS error  Command Cannot be Executed"},
    {"6E00", "CLA error  Command Cannot be Executed"},
}};

}  // namespace

std::string_view StatusWordText(std::string_view statusWord) {
  for (const auto& [word, text] : kStatusWords) {
    if (word == statusWord) return text;
  }
  return "Unknow Error";
}

std::string StatusWord(std::uint8_t sw1, std::uint8_t sw2) {
  return HexByte(sw1) + HexByte(sw2);
}

}  // namespace kdx
