#pragma once

#include <string>
#include <string_view>

#include "console/console_transaction.h"

namespace kdx {

inline constexpr std::string_view kValueAboveZero = "The Value should > 0";
inline constexpr std::string_view kConnectFirst = "Please Connect ICRW First";
inline constexpr std::string_view kLowerCaution = "caution";
// A script's line count and current line are bytes.
inline constexpr std::size_t kMaxScriptLines = 255;

// The script with its empty lines dropped and the rest joined by CR LF (no
// CR LF after the last line); lines of blanks are kept.
std::string TidyScript(std::string_view text);

// Lines of a script as ReadTextLine sees them.
std::size_t ScriptLineCount(std::string_view text);

// The console's buttons. Each runs to its end inside one click; "Start" and
// "Resume" run every pass, "Setp" one command line.
void StartRun(ConsoleContext& c);   // CmdExBtn
void ResumeRun(ConsoleContext& c);  // CmdResumeBtn
void StepRun(ConsoleContext& c);    // CmdStepBtn
void StopRun(ConsoleContext& c);    // CmdStopBtn
void CancelRun(ConsoleContext& c);  // CmdCANCLEBtn

// Loading the window: idle run mode, buttons loaded, Label1 "0".
void LoadConsole(ConsoleContext& c);

}  // namespace kdx
