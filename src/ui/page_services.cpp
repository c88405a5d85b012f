#include "ui/page_services.h"

namespace kdx::ui {

QPushButton* WindowButtons::add(const QString& caption, const QString& name) {
  auto* button = Named(new QPushButton(caption), name);
  buttons_.append(button);
  QObject::connect(button, &QPushButton::clicked, button, [this] { CheckLink(session_); });
  button->setEnabled(!session_.state.linkOpen);
  return button;
}

QPushButton* WindowButtons::add(const QString& caption, const QString& name,
                                std::function<void()> opener) {
  auto* button = Named(new QPushButton(caption), name);
  QObject::connect(button, &QPushButton::clicked, button, [this, opener = std::move(opener)] {
    if (CheckLink(session_)) opener();
  });
  return button;
}

void WindowButtons::refresh() {
  for (const auto& button : buttons_) {
    if (button) button->setEnabled(!session_.state.linkOpen);
  }
}

}  // namespace kdx::ui
