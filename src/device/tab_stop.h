#pragma once

#include <string_view>

namespace kdx {

// One tab to bring to the front: the tab control by its name ("SSTab1") and
// the tab's position in it, from 0. Operations hand over a list of them,
// outer tab control first, then the inner ones from outside in, so that the
// operator lands on the page that serves the card found.
struct TabStop {
  std::string_view tabs;
  int index = 0;
  bool operator==(const TabStop&) const = default;
};

// The tab controls and the positions the card operations switch to.
inline constexpr std::string_view kMainTabs = "SSTab1";
inline constexpr std::string_view kContactTabs = "SSTab2";
inline constexpr std::string_view kRfTabs = "SSTab3";
inline constexpr std::string_view kMifareTabs = "SSTab4";

inline constexpr TabStop kRfCardTab{kMainTabs, 0};
inline constexpr TabStop kIcCardTab{kMainTabs, 1};
inline constexpr TabStop kMifareTab{kRfTabs, 0};
inline constexpr TabStop kTypeATab{kRfTabs, 1};
inline constexpr TabStop kTypeBTab{kRfTabs, 2};
inline constexpr TabStop kS50S70Tab{kMifareTabs, 0};
inline constexpr TabStop kUltralightTab{kMifareTabs, 1};
inline constexpr TabStop kCpuSamTab{kContactTabs, 0};
inline constexpr TabStop kSle4442Tab{kContactTabs, 1};
inline constexpr TabStop kSle4428Tab{kContactTabs, 2};
inline constexpr TabStop k24CxxTab{kContactTabs, 4};

}  // namespace kdx
