#include "link/reply_catalogue.h"

#include <array>
#include <utility>

#include "link/conversions.h"

namespace kdx {

namespace {

// The device's error vocabulary, in the order the codes are tested.
constexpr std::array<std::pair<std::string_view, std::string_view>, 75> kCatalogue{{
    {"00", "A given command code is unidentified"},
    {"01", "Parameter is not correct"},
    {"02", "Command execution is impossible"},
    {"03", "Hardware does not support the command"},
    {"04", "Command data error"},
    {"05", "Tried to card feed commands before the IC contact release command"},
    {"06", "--------"},
    {"07", "--------"},
    {"08", "--------"},
    {"09", "--------"},
    {"10", "Card jam"},
    {"11", "Shutter failure"},
    {"12", "Sensor failure of PD1, PD2, PD3, PDI / Card remains inside"},
    {"13", "Irregular card length (LONG)"},
    {"14", "Irregular card length (SHORT)"},
    {"15", "F-ROM error / EEPROM error"},
    {"16", "The card was moved forcibly"},
    {"17", "Jam error at retrieve"},
    {"18", "SW1 or SW2 error"},
    {"19", "Card was not inserted from the rear"},
    {"20", "Read Error (Parity error)"},
    {"21", "Read Error"},
    {"22", "Write Error"},
    {"23", "Read Error (Only SS-ES-LRC)"},
    {"24", "Read Error (no encode and/or no magnetic stripe)"},
    {"25", "Write Verify Error (Quality error)"},
    {"26", "Read Error (No SS)"},
    {"27", "Read Error (No ES)"},
    {"28", "Read Error (LRC error)"},
    {"29", "Write Verify Error (Data discordance)"},
    {"30", "Power Down"},
    {"31", "DSR signal was turned to OFF"},
    {"32", "--------"},
    {"33", "--------"},
    {"34", "--------"},
    {"35", "--------"},
    {"36", "--------"},
    {"37", "--------"},
    {"38", "--------"},
    {"39", "--------"},
    {"40", "Card was pulled out during capture"},
    {"41", "Failure at IC contact solenoid or sensor ICD"},
    {"42", "--------"},
    {"43", "Card could not be set to IC contact position"},
    {"44", "--------"},
    {"45", "ICRW ejected the card forcibly"},
    {"46", "The ejected card has not been withdrawn until the specified time"},
    {"47", "--------"},
    {"48", "--------"},
    {"49", "--------"},
    {"50", "Retract counter overflow"},
    {"51", "Motor error"},
    {"52", "--------"},
    {"53", "Digital decode read error"},
    {"54", "Anti-fishing pin moving error"},
    {"55", "The command cannot be executed since the pin is down"},
    {"56", "--------"},
    {"57", "--------"},
    {"58", "Anti-fishing pin is during the movement"},
    {"59", "--------"},
    {"60", "Abnormal condition was found on the power-line (Vcc) of IC card"},
    {"61", "Receiving error of ATR"},
    {"62", "The specified protocol does not agree with that of IC card"},
    {"63", "IC card communication error (IC card does not respond)."},
    {"64", "IC card communication error (Other than “63”)"},
    {"65", "HOST sends command for IC card communication before receiving ATR"},
    {"66", "Tried to communicate with IC card not supported in ICRW."},
    {"67", "--------"},
    {"68", "--------"},
    {"69", "Tried to communicate with IC card not supported in Protocol EMV2000."},
    {"80", "Write Error (No '1')"},
    {"81", "Write Verify Error"},
    {"A0", "Card issuing machine stack (boxes) and the channels are non-card"},
    {"A1", "The Error Bin is Full"},
    {"B0", "Not received Initialize command"},
}};

}  // namespace

std::optional<std::string_view> NegativeReplyText(std::uint8_t e1, std::uint8_t e0) {
  const char raw[] = {static_cast<char>(e1), static_cast<char>(e0)};
  const std::string_view code = TrimBlanks(std::string_view(raw, 2));
  for (const auto& [key, text] : kCatalogue) {
    if (key == code) return text;
  }
  return std::nullopt;
}

void ReportNegativeReply(Messages& messages, std::uint8_t e1, std::uint8_t e0) {
  const auto text = NegativeReplyText(e1, e0);
  if (!text) return;
  std::string title = "Negative response:";
  title += static_cast<char>(e1);
  title += static_cast<char>(e0);
  messages.show(title, *text, Icon::Information);
}

std::size_t NegativeReplyCodeCount() {
  return kCatalogue.size();
}

}  // namespace kdx
