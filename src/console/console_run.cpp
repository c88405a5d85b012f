#include "console/console_run.h"

#include <algorithm>

#include "console/command_line.h"
#include "link/conversions.h"
#include "link/frame.h"
#include "link/reply_catalogue.h"
#include "link/transaction.h"

namespace kdx {

namespace {

constexpr std::int32_t kStepDelayMs = 200;

std::string Blank(long value) {
  return " " + std::to_string(value);
}

void SetButtons(ConsoleContext& c, ButtonState state) {
  c.view.setButtons(ButtonsFor(state));
}

void SetRemaining(ConsoleContext& c, std::int32_t value) {
  c.state.remaining = value;
  c.view.setLabel(ConsoleLabel::Remaining, std::to_string(value));
}

void CautionLower(ConsoleContext& c, std::string_view text) {
  c.session.messages.show(kLowerCaution, text, Icon::Exclamation);
}

// The preparation "Start", "Resume" and "Setp" share: the repeat count, the
// script's size, the buttons and the tidied script. False, after its
// message, when the run cannot start.
bool Prepare(ConsoleContext& c, ButtonState buttons) {
  const auto count = ParseRepeatCount(c.view.repeatText());
  if (!count || *count < 1) {
    ShowCaution(c.session.messages, kValueAboveZero);
    return false;
  }
  const std::string script = TidyScript(c.view.scriptText());
  if (ScriptLineCount(script) > kMaxScriptLines) {
    ShowCaution(c.session.messages, kCheckData);
    return false;
  }
  c.state.repeatCount = *count;
  SetButtons(c, buttons);
  c.view.setScriptText(script);
  return true;
}

// The line's frame for the current address, or nothing (after the message)
// when the line or the address cannot be framed.
std::optional<Bytes> Frame(ConsoleContext& c, std::string_view line) {
  const ParsedLine parsed = ParseCommandLine(line);
  const auto address = ParseAddress(c.session.state.addressText);
  if (!parsed.ok() || !address) {
    ShowCaution(c.session.messages, kCheckData);
    return std::nullopt;
  }
  return BuildConsoleFrame(*address, parsed.text);
}

int Send(ConsoleContext& c, Bytes& frame, Bytes& reply, int& replyLength) {
  c.view.setBusy(true);
  const int result =
      ConsoleTransaction(c, frame, static_cast<int>(frame.size()), reply, replyLength);
  c.view.setBusy(false);
  return result;
}

void Finish(ConsoleContext& c) {
  if (c.state.currentLine > 0) c.view.highlightLine(-1);
  c.state.currentLine = 0;
  SetButtons(c, ButtonState::Finished);
}

// The passes of "Start" and "Resume", the first from `first`.
void RunPasses(ConsoleContext& c, std::uint8_t first) {
  Bytes reply(kReplyBufferSize);
  for (;;) {
    const std::string script = c.view.scriptText();
    c.state.lines = static_cast<std::uint8_t>(std::min(ScriptLineCount(script), kMaxScriptLines));
    c.state.stop = StopRequest::None;
    bool nextPass = false;
    for (int i = first; i <= c.state.lines && !nextPass; ++i) {
      if (!c.session.state.linkOpen) {
        CautionLower(c, kConnectFirst);
        return Finish(c);
      }
      c.state.currentLine = static_cast<std::uint8_t>(i);
      c.view.setLabel(ConsoleLabel::Lines, Blank(c.state.lines));
      c.view.setLabel(ConsoleLabel::CurrentLine, Blank(i));
      c.view.highlightLine(-1);
      const std::string line = ReadTextLine(c.view.scriptText(), i);
      if (!line.empty() && static_cast<unsigned char>(line[0]) < 0x30) return Finish(c);
      if (line.empty()) {
        // Past the last line: the pass is over (at once for an empty script).
        if (i == 0) return Finish(c);
        SetRemaining(c, c.state.remaining - 1);
        if (c.state.remaining <= 0) return Finish(c);
        c.state.currentLine = 0;
        nextPass = true;
        continue;
      }
      auto frame = Frame(c, line);
      if (!frame) return Finish(c);
      c.view.highlightLine(i);
      int replyLength = 0;
      if (Send(c, *frame, reply, replyLength) != kConsoleDone) return Finish(c);
    }
    first = 0;
  }
}

}  // namespace

std::string TidyScript(std::string_view text) {
  // One pass over the lines, each ended by CR LF, a bare CR or a bare LF as
  // ReadTextLine reads them: reading line by line from the start would take
  // time growing with the square of the script's size before a long script
  // is even refused.
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    if (end > pos) {
      if (!out.empty()) out += kCrLf;
      out.append(text.substr(pos, end - pos));
    }
    const bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
    pos = end + (crLf ? 2 : 1);
  }
  return out;
}

std::size_t ScriptLineCount(std::string_view text) {
  if (text.empty()) return 0;
  std::size_t count = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if ((text[i] == '\r' || text[i] == '\n') && i + 1 < text.size()) ++count;
  }
  return count;
}

void LoadConsole(ConsoleContext& c) {
  c.state.mode = RunMode::Idle;
  SetButtons(c, ButtonState::Loaded);
  SetRemaining(c, 0);
}

void StartRun(ConsoleContext& c) {
  if (!Prepare(c, ButtonState::Running)) return;
  c.state.mode = RunMode::Continuous;
  SetRemaining(c, c.state.repeatCount);
  RunPasses(c, 0);
}

void ResumeRun(ConsoleContext& c) {
  if (!Prepare(c, ButtonState::Running)) return;
  RunPasses(c, c.state.currentLine);
}

void StepRun(ConsoleContext& c) {
  if (!c.session.state.linkOpen) return CautionLower(c, kConnectFirst);
  if (!Prepare(c, ButtonState::Stepping)) return;
  c.state.mode = RunMode::Step;
  if (c.state.remaining == 0) SetRemaining(c, c.state.repeatCount);
  std::int32_t remaining = c.state.remaining;
  Bytes reply(kReplyBufferSize);
  for (;;) {
    const std::string script = c.view.scriptText();
    c.state.lines = static_cast<std::uint8_t>(std::min(ScriptLineCount(script), kMaxScriptLines));
    c.state.stop = StopRequest::None;
    if (c.state.lines == 0) {
      // An empty script has nothing to step through: the run is over.
      SetRemaining(c, 0);
      c.state.currentLine = 0;
      c.view.highlightLine(-1);
      return SetButtons(c, ButtonState::Finished);
    }
    if (++c.state.stepCounter == c.state.lines) {
      c.state.stepCounter = 0;
      SetRemaining(c, c.state.remaining - 1);
    }
    c.view.setLabel(ConsoleLabel::Lines, Blank(c.state.lines));
    c.view.setLabel(ConsoleLabel::CurrentLine, Blank(c.state.currentLine));
    c.view.setLabel(ConsoleLabel::RepeatCount, Blank(c.state.repeatCount));
    c.view.setLabel(ConsoleLabel::RemainingNumber, Blank(remaining));
    c.view.setLabel(ConsoleLabel::Steps, Blank(c.state.stepCounter));
    c.view.highlightLine(-1);
    const std::string line = ReadTextLine(script, c.state.currentLine);
    if (line.empty()) {
      // The script became shorter than the position between clicks.
      --remaining;
      if (c.state.remaining > 0 && remaining > 0 && c.state.currentLine != 0) {
        c.state.currentLine = 0;
        continue;
      }
    } else if (static_cast<unsigned char>(line[0]) >= 0x30) {
      auto frame = Frame(c, line);
      if (!frame) {
        SetRemaining(c, 0);
        c.state.currentLine = 0;
        c.view.highlightLine(-1);
        return SetButtons(c, ButtonState::Finished);
      }
      DelayMs(c.session.clock, kStepDelayMs);
      c.view.highlightLine(c.state.currentLine);
      int replyLength = 0;
      if (Send(c, *frame, reply, replyLength) == kConsoleDone && replyLength > 0 &&
          reply[0] == 'N') {
        ReportNegativeReply(c.session.messages, reply[3], reply[4]);
      }
    }
    break;
  }
  const int next = c.state.currentLine + 1;
  if (next < c.state.lines) {
    c.state.currentLine = static_cast<std::uint8_t>(next);
    c.view.highlightLine(next);
  } else {
    c.view.highlightLine(-1);
    c.state.currentLine = 0;
  }
  SetButtons(c, c.state.remaining <= 0 ? ButtonState::Finished : ButtonState::Paused);
}

void StopRun(ConsoleContext& c) {
  if (!c.session.state.linkOpen) return CautionLower(c, kConnectFirst);
  c.state.stop = StopRequest::Stop;
  if (c.state.mode == RunMode::Continuous) {
    SetButtons(c, ButtonState::StoppedContinuous);
    SetRemaining(c, 0);
  } else {
    SetButtons(c, ButtonState::Idle);
  }
}

void CancelRun(ConsoleContext& c) {
  if (!c.session.state.linkOpen) return CautionLower(c, kConnectFirst);
  c.state.stop = StopRequest::Cancel;
  SetButtons(c, ButtonState::Idle);
  SetRemaining(c, 0);
}

}  // namespace kdx
