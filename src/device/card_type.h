#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_context.h"

namespace kdx {

inline constexpr std::uint8_t kCardTypeCommand = 'P';
inline constexpr std::uint8_t kIcCardTypeParameter = '0';
inline constexpr std::uint8_t kRfCardTypeParameter = '1';

// What a type code means: the text shown and the tabs that serve the card,
// outer tab control first. "Unknow Type" and "Unknow Error" bring no tab.
struct CardTypeMeaning {
  std::string_view text;
  std::vector<TabStop> tabs;
};

// The type code of a positive reply: its first two data bytes as characters,
// trimmed of blanks; only the bytes the reply carries.
std::string CardTypeCode(const Reply& reply);

CardTypeMeaning RfCardType(std::string_view code);
CardTypeMeaning IcCardType(std::string_view code);

// "RF Card Type" and "IC Card Type": the tabs first, then the box with the
// row's title, its text, CR LF and the type text.
void ShowRfCardType(DeviceContext& context, const DeviceOperation& row, const Reply& reply);
void ShowIcCardType(DeviceContext& context, const DeviceOperation& row, const Reply& reply);

}  // namespace kdx
