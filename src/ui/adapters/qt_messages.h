#pragma once

#include <QPointer>
#include <QWidget>

#include "link/messages.h"

namespace kdx::ui {

// The message service over QMessageBox: modal, over the modal window in use
// (a card window, a dialog) or else over the given owner.
class QtMessages final : public Messages {
 public:
  explicit QtMessages(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  void show(std::string_view title, std::string_view text, Icon icon) override;
  bool askOkCancel(std::string_view title, std::string_view text, Icon icon) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace kdx::ui
