// The paper tape: every printed line goes to tape.txt and, rendered as a paper
// roll, to tape.html in the state folder.
#pragma once

#include <string>
#include <vector>

namespace merid::sim {

// Fonts 3, 7, 8 and 9 are condensed: 42 columns instead of 32.
inline constexpr int kCut = 0;  // a "font" that marks the paper cut
size_t lineWidth(int font);

struct PrintLine {
  int font = 1;
  std::string text;
};

// The text of the cut mark in tape.txt.
extern const char* const kCutMark;

void appendTape(const std::string& dir, const std::vector<PrintLine>& lines);

}  // namespace merid::sim
