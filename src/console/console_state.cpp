#include "console/console_state.h"

namespace kdx {

ButtonStates ButtonsFor(ButtonState state) {
  using S = ButtonStates::Script;
  switch (state) {
    case ButtonState::Loaded:
    case ButtonState::Idle:
      return {true, false, true, false, false, S::On};
    case ButtonState::Running:
      return {false, false, false, true, true, S::Off};
    case ButtonState::Stepping:
      return {false, false, true, true, true, S::Off};
    case ButtonState::Finished:
      return {true, false, true, false, true, S::On};
    case ButtonState::Paused:
      return {false, true, true, true, true, S::On};
    case ButtonState::StoppedContinuous:
      return {false, true, true, true, true, S::Unchanged};
  }
  return {true, false, true, false, false, S::On};
}

}  // namespace kdx
