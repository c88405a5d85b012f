#pragma once

#include <string>
#include <string_view>

#include "link/operation.h"

namespace kdx {

// The controls of a CPU or SAM card window as they stand when a button is
// pressed, read in one go. Texts are single-byte, as typed.
struct CpuCardInputs {
  // The cold reset option: index 0 (EMV2000) rather than index 1
  // (ISO/IEC 7816-3).
  bool emvActivation = true;
  std::string apduText;    // CmdText
  std::string socketText;  // SimNo1 (SAM window only)
};

// A CPU or SAM card window as its operations see it: the inputs and the two
// result boxes, the ATR box `ResetTextBack` and the response box `BackText`.
class CpuCardView {
 public:
  virtual ~CpuCardView() = default;
  virtual CpuCardInputs inputs() const = 0;
  virtual void clearResetText() = 0;
  virtual void appendResetText(std::string_view hex) = 0;
  virtual void clearResponseText() = 0;
  virtual void appendResponseText(std::string_view hex) = 0;
};

// What the operations of one window work on.
struct CpuCardContext {
  Session& session;
  CpuCardView& view;
};

using CpuCardOperation = OperationRow<CpuCardContext>;

}  // namespace kdx
