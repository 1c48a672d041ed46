// Helpers of the virtual printer tests: a throw-away printer, command builders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ecr_model.h"
#include "sim_text.h"

namespace simtest {

using Lines = std::vector<std::string>;
using merid::sim::EcrModel;
using merid::sim::padRight;

inline Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
inline std::string readText(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// A fresh printer at 4 December 2026, 15:42. One shop line keeps the tapes
// short; five departments and two closings bring those limits within reach.
struct Sim {
  struct Dir {
    char name[27] = "/tmp/merid-sim-test-XXXXXX";
    std::string path = mkdtemp(name) ? name : throw std::runtime_error("mkdtemp failed");
    ~Dir() { std::filesystem::remove_all(path); }
  } dir;
  int64_t clock = merid::sim::fromCivil({2026, 12, 4, 15, 42});
  bool settings = bool(std::ofstream(dir.path + "/settings.ini")
                       << "line1 = BAR SPORT\ndepartments = 5\nfiscal_memory_records = 2\n");
  EcrModel m{dir.path, [this] { return clock; }};

  Lines tape() const {
    Lines lines;
    std::istringstream in(readText(dir.path + "/tape.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Commands that must be accepted. Instead, "+day" moves the clock a day on,
  // "=..." writes the rest to faults.ini, "-..." removes that file.
  void run(const Lines& commands) {
    for (const std::string& c : commands) {
      if (c == "+day") clock += 24 * 3600;
      if (c[0] == '=') std::ofstream(dir.path + "/faults.ini") << c.substr(1);
      if (c[0] == '-') std::filesystem::remove(dir.path + "/" + c.substr(1));
      ASSERT_EQ(c[0] == '+' || c[0] == '=' || c[0] == '-' ? 0 : m.execute(c), 0) << c;
    }
  }
};

inline std::string amount(int64_t cents) {  // nine digits at least, the sign first
  const std::string digits = std::to_string(cents < 0 ? -cents : cents);
  return (cents < 0 ? "-" : "") + std::string(digits.size() < 9 ? 9 - digits.size() : 0, '0') + digits;
}
inline std::string sale(char type, int department, const std::string& text, int64_t cents) {
  return "3101" + std::string(1, type) + (department < 10 ? "0" : "") + std::to_string(department) + "22" +
         padRight(text, 22) + amount(cents);
}
inline std::string payment(const std::string& code, const std::string& text, int64_t cents) {
  return code + (text.size() < 10 ? "0" : "") + std::to_string(text.size()) + text + amount(cents);
}
inline std::string cash(int64_t cents) {
  return payment("3004", "CONTANTE", cents);
}

const std::string kSale = sale('1', 3, "PANE", 250);
const std::string kDisplay = "7007" + padRight("BENVENUTI", 20) + padRight("CASSA 2", 20);
const Lines kPaid = {kSale, cash(0), "3011", "3013"};

}  // namespace simtest
