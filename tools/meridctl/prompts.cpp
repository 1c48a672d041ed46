#include "prompts.h"

#include <iostream>
#include <string>

#include "merid/codepage.h"
#include "merid/host.h"

namespace meridctl {

namespace {

int gCount = 0;
bool gGaveUp = false;

}  // namespace

void installPrompts(const PromptPolicy& policy) {
  merid::setPromptHandler([policy](const std::string& text, const std::string& title) {
    ++gCount;
    std::cerr << "MessageBox [" << merid::ansiToUtf8(title) << "] " << merid::ansiToUtf8(text) << std::endl;
    if (policy.autoOk || !policy.terminal) {
      if (gCount < policy.limit) return merid::PromptAnswer::Ok;
      gGaveUp = true;
      return merid::PromptAnswer::GiveUp;
    }
    std::cerr << "Press Enter when the printer is ready, or type q and Enter to give up: " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer) || answer == "q" || answer == "Q") {
      gGaveUp = true;
      return merid::PromptAnswer::GiveUp;
    }
    return merid::PromptAnswer::Ok;
  });
}

void resetPromptCount() {
  gCount = 0;
  gGaveUp = false;
}

bool promptsGaveUp() {
  return gGaveUp;
}

}  // namespace meridctl
