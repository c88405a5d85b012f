#include "ui/page_services.h"

namespace kdx::ui {

QPushButton* WindowButtons::add(const QString& caption, const QString& name,
                                std::function<void()> opener) {
  auto* button = Named(new QPushButton(caption), name);
  QObject::connect(button, &QPushButton::clicked, button, [this, opener = std::move(opener)] {
    if (CheckLink(session_) && opener) opener();
  });
  return button;
}

}  // namespace kdx::ui
