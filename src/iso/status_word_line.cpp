#include "iso/status_word_line.h"

#include <array>
#include <string_view>
#include <utility>

namespace kdx {

namespace {

// Words with a fixed meaning.
constexpr std::array<std::pair<std::uint16_t, std::string_view>, 38> kWords{{
    {0x9000, "normal processing"},
    {0x6281, "warning, part of the data returned may be corrupted"},
    {0x6282, "warning, end of file or record reached before Le bytes"},
    {0x6283, "warning, selected file deactivated"},
    {0x6284, "warning, file control information not formatted"},
    {0x6285, "warning, selected file in termination state"},
    {0x6286, "warning, no input data available from a sensor"},
    {0x6381, "warning, file filled up by the last write"},
    {0x6581, "error, memory failure"},
    {0x6700, "wrong length (Lc or Le)"},
    {0x6881, "logical channel not supported"},
    {0x6882, "secure messaging not supported"},
    {0x6883, "last command of the chain expected"},
    {0x6884, "command chaining not supported"},
    {0x6981, "command incompatible with the file structure"},
    {0x6982, "security status not satisfied"},
    {0x6983, "authentication method blocked"},
    {0x6984, "reference data not usable"},
    {0x6985, "conditions of use not satisfied"},
    {0x6986, "command not allowed (no current EF)"},
    {0x6987, "expected secure messaging data objects missing"},
    {0x6988, "incorrect secure messaging data objects"},
    {0x6A80, "incorrect parameters in the data field"},
    {0x6A81, "function not supported"},
    {0x6A82, "file or application not found"},
    {0x6A83, "record not found"},
    {0x6A84, "not enough memory space in the file"},
    {0x6A85, "Nc inconsistent with the TLV structure"},
    {0x6A86, "incorrect parameters P1-P2"},
    {0x6A87, "Nc inconsistent with P1-P2"},
    {0x6A88, "referenced data not found"},
    {0x6A89, "file already exists"},
    {0x6A8A, "DF name already exists"},
    {0x6B00, "wrong parameters P1-P2"},
    {0x6D00, "instruction code not supported or invalid"},
    {0x6E00, "class not supported"},
    {0x6F00, "no precise diagnosis"},
    {0x6401, "execution error, immediate response required"},
}};

// Words whose SW1 alone says what happened, SW2 qualifying it.
std::string_view GroupMeaning(std::uint8_t sw1) {
  switch (sw1) {
    case 0x62:
      return "warning, memory unchanged";
    case 0x63:
      return "warning, memory changed";
    case 0x64:
      return "execution error, memory unchanged";
    case 0x65:
      return "execution error, memory changed";
    case 0x66:
      return "security-related issue";
    case 0x67:
      return "wrong length";
    case 0x68:
      return "function in CLA not supported";
    case 0x69:
      return "command not allowed";
    case 0x6A:
      return "wrong parameters P1-P2";
    default:
      return {};
  }
}

}  // namespace

std::string StatusWordLine(std::uint8_t sw1, std::uint8_t sw2) {
  const std::string word = HexByte(sw1) + HexByte(sw2) + ": ";
  const auto value = static_cast<std::uint16_t>(sw1 << 8 | sw2);
  for (const auto& [known, meaning] : kWords) {
    if (known == value) return word + std::string(meaning);
  }
  if (sw1 == 0x61) {
    return word + (sw2 == 0 ? std::string("256 or more") : std::to_string(sw2)) +
           " bytes waiting, fetch them with GET RESPONSE (00C00000" + HexByte(sw2) + ")";
  }
  if (sw1 == 0x6C) {
    return word + "wrong Le, the exact length is " +
           (sw2 == 0 ? std::string("256") : std::to_string(sw2)) + " (Le " + HexByte(sw2) + ")";
  }
  if (sw1 == 0x63 && (sw2 & 0xF0) == 0xC0) {
    const int tries = sw2 & 0x0F;
    return word + "warning, " + std::to_string(tries) + (tries == 1 ? " try left" : " tries left");
  }
  const std::string_view group = GroupMeaning(sw1);
  if (!group.empty()) return word + std::string(group);
  return word + "unknown status word";
}

std::string ResponseStatusLine(ByteView response) {
  if (response.size() < 2) return {};
  return StatusWordLine(response[response.size() - 2], response[response.size() - 1]);
}

}  // namespace kdx
