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

// Every button of a window, in the order the window shows them.
std::span<const CpuCardOperation> CpuCardOperations(CpuCardWindow window);

// The entries of the window's `CmdText` list, in order.
std::span<const std::string_view> ApduCommandList(CpuCardWindow window);

// The row of button `control` in the window's table, or nullptr.
const CpuCardOperation* FindCpuCardOperation(CpuCardWindow window, std::string_view control);

// Runs one row: the card window's command sequence.
//   - Card status and deactivate check the link themselves first; the other
//     buttons leave it to the transaction, after their prologue.
//   - Prologue (the monitor), the row's check (which clears the result box
//     the row fills and reads the input), the exchange, the reply, CR LF.
//   - A negative reply to a reset puts the data after the error code into
//     `ResetTextBack`; a cold reset's "69" with its protocol byte is the
//     card refusing the EMV2000 activation and gets its own box. Every other
//     negative reply is explained by the negative-reply report.
CommandOutcome RunCpuCardOperation(CpuCardContext& context, const CpuCardOperation& row);

}  // namespace kdx
