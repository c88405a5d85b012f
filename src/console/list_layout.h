#pragma once

#include <string>
#include <vector>

#include "link/bytes.h"

namespace kdx {

// The entries of the console's two lists, one string per list entry.
using Entries = std::vector<std::string>;

// Traffic list byte lines: `head` ("SD: " or "RD: ") and each byte as two hex
// digits and a blank, at most 25 bytes an entry, further entries beginning
// with four blanks.
Entries TrafficByteLines(std::string_view head, ByteView bytes);

// A control byte on the traffic list, without a trailing blank: "SD: 04".
std::string TrafficControlLine(std::string_view head, std::uint8_t byte);

inline constexpr std::string_view kCommandRule =
    "--------------------------------------- Command ---------------------------------------";
inline constexpr std::string_view kReplyRule =
    "----------------------------------------- Reply -----------------------------------------";
inline constexpr std::string_view kNoData = "Data(Hex):<No data>";

// "Data(Hex):" lines: 16 bytes an entry, " - " after the eighth byte of each,
// further entries beginning with `indent` blanks; kNoData for no bytes.
Entries DataLines(ByteView data, std::size_t indent);

// The history list's command section for a frame of `length` bytes (ETX and
// check byte included): rule, time stamp, command and parameter codes, the
// data lines (frame bytes 7 to length - 3), an empty entry.
Entries CommandSection(ByteView frame, std::size_t length, std::string_view stamp);

// The reply section for a reply of `length` bytes ("P" or "N" through the
// check byte): rule, time stamp, reply type, codes and status characters,
// the data lines (reply bytes 6 to length - 3), an empty entry.
Entries ReplySection(ByteView reply, std::size_t length, std::string_view stamp);

// A reply section that stands for a reply that did not come: rule, time
// stamp and the type line ("Reply type='User Stop'").
Entries ReplyTypeSection(std::string_view typeLine, std::string_view stamp);

}  // namespace kdx
