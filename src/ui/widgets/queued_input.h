#pragma once

namespace kdx::ui {

// Discards the operator's input that queued up while an exchange held the
// window thread, and processes everything else that waited (paints, timers,
// the window system's other events).
//
// An exchange blocks the window thread for up to 15 s. Clicks and key
// presses made on the frozen window wait in the queue; delivered afterwards,
// each would run its operation again (five clicks on a silent unit: a minute
// of a window that cannot be used). Call this right after an operation, on
// the window thread; input that arrives later is delivered as usual.
//
// Only input to the windows open when it starts is dropped, and only while it
// runs: a dialog or message box that opens meanwhile gets its input. The
// operation's own boxes are not affected at all: they ran and closed inside
// the operation, where input reaches them as usual.
void DropQueuedInput();

}  // namespace kdx::ui
