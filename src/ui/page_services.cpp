#include "ui/page_services.h"

namespace kdx::ui {

QPushButton* WindowButtons::add(const QString& caption, const QString& name,
                                std::function<void()> open) {
  auto* button = Named(new QPushButton(caption), name);
  QObject::connect(button, &QPushButton::clicked, button, [this, open] {
    if (CheckLink(session_) && open) open();
  });
  if (open) return button;
  buttons_.append(button);
  button->setEnabled(!session_.state.linkOpen);
  return button;
}

void WindowButtons::refresh() {
  for (const auto& button : buttons_) {
    if (button) button->setEnabled(!session_.state.linkOpen);
  }
}

}  // namespace kdx::ui
