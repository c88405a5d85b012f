#pragma once

#include <string>
#include <vector>

#include "link/messages.h"

namespace kdx::test {

// A message service that records every box instead of showing it, and answers
// questions with a preset reply.
class RecordingMessages final : public Messages {
 public:
  struct Box {
    std::string title;
    std::string text;
    Icon icon;
    bool question = false;
  };

  void show(std::string_view title, std::string_view text, Icon icon) override {
    boxes.push_back({std::string(title), std::string(text), icon});
  }
  bool askOkCancel(std::string_view title, std::string_view text, Icon icon) override {
    boxes.push_back({std::string(title), std::string(text), icon, true});
    return answerOk;
  }

  std::vector<Box> boxes;
  bool answerOk = true;
};

}  // namespace kdx::test
