#pragma once
// How meridctl answers the operator prompts (paper end, cover open, journal
// checks): at once with --auto-ok; by asking on a terminal; with nobody to
// ask, by giving up after a few prompts so that a fault that does not clear
// cannot keep the program prompting for ever.

namespace meridctl {

struct PromptPolicy {
  bool autoOk = false;
  bool terminal = false;  // stdin is a terminal: ask and wait
  int limit = 3;          // prompts of one call before giving up (nobody to ask)
};

// With --auto-ok and no --prompt-limit: still a bound, far above any
// operator's patience.
constexpr int kAutoOkLimit = 1000;

void installPrompts(const PromptPolicy& policy);
// Each call has its own count.
void resetPromptCount();
// The last call gave up at a prompt: the run stops there.
bool promptsGaveUp();

}  // namespace meridctl
