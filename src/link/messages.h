#pragma once

#include <string_view>

namespace kdx {

enum class Icon { None, Information, Exclamation, Question };

// The message box service: modal, one OK button unless a question is asked.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual void show(std::string_view title, std::string_view text, Icon icon) = 0;
  // OK/Cancel question; true for OK.
  virtual bool askOkCancel(std::string_view title, std::string_view text, Icon icon) = 0;
};

}  // namespace kdx
