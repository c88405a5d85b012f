#include "model/card.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace kdx::sim {

namespace {

using Named = std::pair<std::string_view, std::string_view>;

constexpr std::array<Named, 14> kContactNames{{
    {"t0cpu", "10"},
    {"t1cpu", "11"},
    {"sle4442", "20"},
    {"sle4428", "21"},
    {"24c01", "30"},
    {"24c02", "31"},
    {"24c04", "32"},
    {"24c08", "33"},
    {"24c16", "34"},
    {"24c32", "35"},
    {"24c64", "36"},
    {"24c128", "37"},
    {"24c256", "38"},
    {"24c512", "39"},
}};

// A T=1 CPU card ("11") whose ATR the EMV2000 activation refuses.
constexpr std::string_view kIsoCpuName = "isocpu";

constexpr std::array<Named, 5> kContactlessNames{{
    {"s50", "10"},
    {"s70", "11"},
    {"ultralight", "12"},
    {"typea", "20"},
    {"typeb", "30"},
}};

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

template <std::size_t N>
std::optional<std::string> Resolve(std::string_view side, const std::array<Named, N>& names) {
  const std::string key = Lower(side);
  for (const auto& [name, code] : names) {
    if (key == name || key == code) return std::string(code);
  }
  return std::nullopt;
}

}  // namespace

bool IsKnownContactCode(std::string_view code) {
  return std::any_of(kContactNames.begin(), kContactNames.end(),
                     [&](const Named& n) { return n.second == code; });
}

bool IsKnownContactlessCode(std::string_view code) {
  return std::any_of(kContactlessNames.begin(), kContactlessNames.end(),
                     [&](const Named& n) { return n.second == code; });
}

std::optional<Card> ParseCard(std::string_view text) {
  const auto slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view contact = text.substr(0, slash);
  const std::string_view contactless = text.substr(slash + 1);
  Card card;
  if (contact != "-") {
    if (Lower(contact) == kIsoCpuName) {
      card.contact = ContactFace{"11"};
      card.contact->cpu = ContactCpuCard::IsoOnlyCard();
    } else {
      auto code = Resolve(contact, kContactNames);
      if (!code) return std::nullopt;
      card.contact = ContactFace{*code};
    }
  }
  if (contactless != "-") {
    auto code = Resolve(contactless, kContactlessNames);
    if (!code) return std::nullopt;
    card.contactless = ContactlessFace{*code};
  }
  return card;
}

std::string CardText(const Card& card) {
  return (card.contact ? card.contact->typeCode : "-") + "/" +
         (card.contactless ? card.contactless->typeCode : "-");
}

}  // namespace kdx::sim
