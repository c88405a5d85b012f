#pragma once

#include <span>
#include <string_view>

#include "contact/cpu_card_context.h"

namespace kdx {

// The two card windows are twins: the CPU card window `CPUCARD` talks to the
// card at the IC station with command "Q", the SAM window `SimCard` to the
// SAM in the chosen socket with command "R". Besides the command code they
// differ in the Choose SAM step, the socket line of the card status, the
// APDU list and the APDU exchange's success text.
enum class CpuCardWindow { Cpu, Sam };

// Every button of a window, in the order the window shows them; each runs
// through RunOperation. The rows that differ from the standard sequence say so
// themselves: the resets, the APDU exchange and Choose SAM leave the link check
// to the transaction (after their prologue), and a negative reply to a reset
// puts the data after the error code into `ResetTextBack` (a cold reset's "69"
// with its protocol byte is the card refusing the EMV2000 activation and gets
// its own box).
std::span<const CpuCardOperation> CpuCardOperations(CpuCardWindow window);

// The entries of the window's `CmdText` list, in order.
std::span<const std::string_view> ApduCommandList(CpuCardWindow window);

// The row of button `control` in the window's table, or nullptr.
const CpuCardOperation* FindCpuCardOperation(CpuCardWindow window, std::string_view control);

}  // namespace kdx
