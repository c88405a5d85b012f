#pragma once

#include <array>
#include <cstdint>

namespace kdx {

enum class RunMode : std::int16_t { Idle = -1, Continuous = 1, Step = 3 };

enum class StopRequest : std::uint8_t { None = 0, Stop = 1, Cancel = 2 };

// The console state the buttons and the console transaction share. It lives
// as long as one opening of the console window (or one headless run).
struct ConsoleState {
  StopRequest stop = StopRequest::None;
  RunMode mode = RunMode::Idle;
  // Line count of the script at the start of the pass; a script holds at
  // most 255 lines.
  std::uint8_t lines = 0;
  // Index, from 0, of the line being executed or to be executed next.
  std::uint8_t currentLine = 0;
  std::int32_t repeatCount = 0;
  // Passes still to run, as `Label1` shows them; 0 means no run is under way.
  std::int32_t remaining = 0;
  // "Setp" clicks since the last completed pass.
  std::int16_t stepCounter = 0;
};

// The enabled states of Start, Resume, Setp, Stop, Cancel and the script box.
enum class ButtonState { Loaded, Running, Stepping, Finished, Paused, StoppedContinuous, Idle };

struct ButtonStates {
  bool start, resume, step, stop, cancel;
  // Whether the script box is enabled; the stopped state leaves it as it is.
  enum class Script { Off, On, Unchanged } script;
};

ButtonStates ButtonsFor(ButtonState state);

}  // namespace kdx
