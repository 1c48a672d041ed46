// Helpers of the virtual printer tests: a throw-away state folder, a fixed
// clock, builders of command strings and a reader of the tape.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ecr_model.h"

namespace simtest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// 4 December 2026, 15:42.
int64_t fixedWallClock();

std::string readText(const std::string& path);
std::vector<std::string> tapeLines(const std::string& dir);

std::string amount(int64_t cents);
std::string sale(char type, int department, const std::string& description, int64_t cents);
std::string payment(const char* code, const std::string& description, int64_t cents);
std::string nonFiscalLine(int font, const std::string& text);
std::string display(const std::string& line1, const std::string& line2);

// The tape lines of a document header as the default settings print it.
std::vector<std::string> header(const std::string& title, const std::string& number,
                                const std::string& when = "04-12-2026 15:42");
std::vector<std::string> footer();  // the footer line and the cut mark

// Runs commands that must all be accepted; fails the current test otherwise.
void runAll(merid::sim::EcrModel& m, const std::vector<std::string>& commands);

}  // namespace simtest
