#include "sim_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim_text.h"

namespace simtest {

using namespace merid::sim;

TempDir::TempDir() {
  char tmpl[] = "/tmp/merid-sim-test-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

int64_t fixedWallClock() {
  return fromCivil(CivilTime{2026, 12, 4, 15, 42});
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> tapeLines(const std::string& dir) {
  std::vector<std::string> lines;
  std::istringstream in(readText(dir + "/tape.txt"));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string amount(int64_t cents) {
  std::string s = std::to_string(cents < 0 ? -cents : cents);
  s = std::string(s.size() < 9 ? 9 - s.size() : 0, '0') + s;
  return cents < 0 ? "-" + s : s;
}

static std::string two(size_t n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string sale(char type, int department, const std::string& description, int64_t cents) {
  return "3101" + std::string(1, type) + two(size_t(department)) + "22" + padRight(description, 22) +
         amount(cents);
}

std::string payment(const char* code, const std::string& description, int64_t cents) {
  return code + two(description.size()) + description + amount(cents);
}

std::string nonFiscalLine(int font, const std::string& text) {
  return "4003" + std::to_string(font) + "32" + padRight(text, 32);
}

std::string display(const std::string& line1, const std::string& line2) {
  return "7007" + padRight(line1, 20) + padRight(line2, 20);
}

std::vector<std::string> header(const std::string& title, const std::string& number,
                                const std::string& when) {
  return {center("NEGOZIO DI PROVA", 32),  center("VIA ROMA 1 - 00100 ROMA", 32),
          center("P.IVA 00000000000", 32), center(title, 32),
          twoColumns(when, number, 32),    std::string(32, '-')};
}

std::vector<std::string> footer() {
  return {"    SIMULATORE - DOCUMENTO NON FISCALE", kCutMark};
}

void runAll(EcrModel& m, const std::vector<std::string>& commands) {
  for (const std::string& c : commands) ASSERT_EQ(m.execute(c), 0) << "command " << c;
}

}  // namespace simtest
