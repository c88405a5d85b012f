#include "device/card_type.h"

#include <algorithm>
#include <array>

#include "link/conversions.h"

namespace kdx {

namespace {

struct TypeRow {
  std::string_view code;
  std::string_view text;
  std::array<TabStop, 3> tabs;
  int tabCount;
};

constexpr std::array<TypeRow, 6> kRfTypes{{
    {"00", "Unknow Type", {}, 0},
    {"10", "S50 card", {kRfCardTab, kMifareTab, kS50S70Tab}, 3},
    {"11", "S70 card", {kRfCardTab, kMifareTab, kS50S70Tab}, 3},
    {"12", "Ultralight card", {kRfCardTab, kMifareTab, kUltralightTab}, 3},
    {"20", "Type A CPU", {kRfCardTab, kTypeATab}, 2},
    {"30", "Type B CPU", {kRfCardTab, kTypeBTab}, 2},
}};

constexpr std::array<TypeRow, 14> kIcTypes{{
    {"00", "Unknow Type", {}, 0},
    {"10", "T=0 CPU Card", {kIcCardTab, kCpuSamTab}, 2},
    {"11", "T=1 CPU Card", {kIcCardTab, kCpuSamTab}, 2},
    {"20", "SLE4442 Card", {kIcCardTab, kSle4442Tab}, 2},
    {"21", "SLE4428 Card", {kIcCardTab, kSle4428Tab}, 2},
    {"30", "24C01 Card", {kIcCardTab, k24CxxTab}, 2},
    {"31", "24C02 Card", {kIcCardTab, k24CxxTab}, 2},
    {"32", "24C04 Card", {kIcCardTab, k24CxxTab}, 2},
    {"33", "24C08 Card", {kIcCardTab, k24CxxTab}, 2},
    {"34", "24C16 Card", {kIcCardTab, k24CxxTab}, 2},
    {"35", "24C32 Card", {kIcCardTab, k24CxxTab}, 2},
    {"36", "24C64 Card", {kIcCardTab, k24CxxTab}, 2},
    {"37", "24C128 Card", {kIcCardTab, k24CxxTab}, 2},
    {"38", "24C256 Card", {kIcCardTab, k24CxxTab}, 2},
}};

template <std::size_t N>
CardTypeMeaning Lookup(const std::array<TypeRow, N>& table, std::string_view code) {
  for (const TypeRow& row : table) {
    if (row.code == code) return {row.text, {row.tabs.begin(), row.tabs.begin() + row.tabCount}};
  }
  return {"Unknow Error", {}};
}

void ShowCardType(DeviceContext& context, const DeviceOperation& row,
                  const CardTypeMeaning& meaning) {
  if (!meaning.tabs.empty()) context.view.bringTabsToFront(meaning.tabs);
  context.session.messages.show(row.boxTitle,
                                std::string(row.boxText) + kCrLf + std::string(meaning.text),
                                Icon::Information);
}

}  // namespace

std::string CardTypeCode(const Reply& reply) {
  const ByteView data = reply.data();
  const std::string code = BytesToText(data.first(std::min<std::size_t>(data.size(), 2)));
  return std::string(TrimBlanks(code));
}

CardTypeMeaning RfCardType(std::string_view code) {
  return Lookup(kRfTypes, code);
}

CardTypeMeaning IcCardType(std::string_view code) {
  return Lookup(kIcTypes, code);
}

void ShowRfCardType(DeviceContext& context, const DeviceOperation& row, const Reply& reply) {
  ShowCardType(context, row, RfCardType(CardTypeCode(reply)));
}

void ShowIcCardType(DeviceContext& context, const DeviceOperation& row, const Reply& reply) {
  ShowCardType(context, row, IcCardType(CardTypeCode(reply)));
}

}  // namespace kdx
