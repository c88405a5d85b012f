#pragma once

class QDialog;

namespace kdx::ui {

// Runs a dialog or message box modally. While an operation shows the busy
// cursor, the dialog gets the normal one, so the operator can answer it.
int ExecModal(QDialog& dialog);

}  // namespace kdx::ui
