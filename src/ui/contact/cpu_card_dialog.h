#pragma once

#include <QDialog>
#include <array>

#include "contact/cpu_operations.h"
#include "ui/page_services.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;

namespace kdx::ui {

// The CPU card window `CPUCARD` ("CPU Card") and the SAM window `SimCard`
// ("SAM Card"): one form for both twins, built from the window's operation
// table. The SAM window adds the socket combo `SimNo1` and "Choose SAM" and
// lists one APDU fewer. It is the view its operations talk to.
class CpuCardDialog final : public QDialog, public CpuCardView {
  Q_OBJECT
 public:
  CpuCardDialog(CpuCardWindow window, const PageServices& services, QWidget* parent = nullptr);

  CpuCardInputs inputs() const override;
  void clearResetText() override;
  void appendResetText(std::string_view hex) override;
  void clearResponseText() override;
  void appendResponseText(std::string_view hex) override;

 private:
  CpuCardWindow window_;
  PageServices services_;
  CpuCardContext context_;
  std::array<QRadioButton*, 2> options_{};
  QComboBox* socket_ = nullptr;
  QComboBox* apdu_ = nullptr;
  QPlainTextEdit* reset_ = nullptr;
  QPlainTextEdit* response_ = nullptr;
  QPlainTextEdit* resetDetails_ = nullptr;  // ResetTextBackDetails: the ATR explained
  QLabel* statusLine_ = nullptr;            // ReturnStatusLine: the response's status word
};

// Opens a fresh window of `window`'s kind modally over `parent`; returns when
// the operator has closed it. Each opening starts from the defaults.
void OpenCpuCardWindow(CpuCardWindow window, const PageServices& services, QWidget* parent);

}  // namespace kdx::ui
