#pragma once

#include <QWidget>

#include "rf/rf_context.h"
#include "ui/page_services.h"

class QComboBox;
class QTabWidget;

namespace kdx::ui {

class ApduCardTab;
class MifareClassicTab;
class UltralightTab;

// The "RF CARD" tab: the activation row and the inner tabs `SSTab3` (with
// `SSTab4` for the Mifare families) of the contactless station. Its buttons
// come from the RF operation table; it is the view those operations read and
// write.
class RfCardPage final : public QWidget, public RfView {
  Q_OBJECT
 public:
  RfCardPage(const PageServices& services, QWidget* parent = nullptr);

  // SSTab3 (MIFARE, TYPE A, TYPE B) and SSTab4 (S50/S70, Ultralight).
  QTabWidget* protocolTabs() const { return protocolTabs_; }
  QTabWidget* mifareTabs() const { return mifareTabs_; }

  RfInputs inputs() const override;
  void showCardFields(const RfCardFields& fields) override;
  void bringTabsToFront(std::span<const TabStop> stops) override;
  CellGrid& blockGrid() override;
  CellGrid& pageGrid() override;
  void setPurseValue(std::string_view text) override;
  void setApduResponse(ApduTab tab, std::string_view text) override;
  void showAccessConditions(const DecodedLines& lines) override;

 private:
  PageServices services_;
  RfContext context_;
  QComboBox* protocol_ = nullptr;
  QTabWidget* protocolTabs_ = nullptr;
  QTabWidget* mifareTabs_ = nullptr;
  MifareClassicTab* classic_ = nullptr;
  UltralightTab* ultralight_ = nullptr;
  ApduCardTab* typeA_ = nullptr;
  ApduCardTab* typeB_ = nullptr;
};

}  // namespace kdx::ui
