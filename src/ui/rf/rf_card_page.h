#pragma once

#include <QWidget>

#include "ui/page_services.h"

namespace kdx::ui {

// The "RF CARD" tab: the activation row and the inner tabs `SSTab3` (with
// `SSTab4` for the Mifare families) of the contactless station, with the
// combos it fills when the window loads.
class RfCardPage final : public QWidget {
  Q_OBJECT
 public:
  RfCardPage(const PageServices& services, QWidget* parent = nullptr);

 private:
  PageServices services_;
};

}  // namespace kdx::ui
