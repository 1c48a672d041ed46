#include "faults.h"

#include <cctype>

#include "sim_text.h"

namespace merid::sim {

namespace {

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::string lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool number(const std::string& s, int64_t& v) {
  return s.size() <= 9 && parseNumber(s, v);
}

bool truthy(const std::string& v) {
  return v == "1" || v == "yes" || v == "true" || v == "on";
}

std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

}  // namespace

FaultConfig parseFaults(std::string_view ini) {
  FaultConfig f;
  for (auto raw : split(ini, '\n')) {
    std::string line = trim(raw);
    size_t comment = line.find(';');
    if (comment != std::string::npos) line = trim(line.substr(0, comment));
    size_t eq = line.find('=');
    if (line.empty() || line[0] == '[' || eq == std::string::npos) continue;
    std::string key = lower(trim(line.substr(0, eq)));
    std::string value = trim(line.substr(eq + 1));
    int64_t n;
    if (key == "paper_end_after_lines" && number(value, n)) {
      f.paperEndAfterLines = n;
    } else if (key == "cover_open") {
      f.coverOpen = truthy(lower(value));
    } else if (key == "journal") {
      std::string v = lower(value);
      f.journalFull = v == "full";
      f.journalNearlyFull = v == "nearly_full";
    } else if (key == "link_unplugged") {
      f.linkUnplugged = truthy(lower(value));
    } else if (key == "clear_after_status" && number(value, n)) {
      f.clearAfterStatus = n;
    } else if (key == "lose_answer") {
      for (const auto& prefix : words(value)) f.loseAnswer.push_back(prefix);
    } else if (key == "refuse") {
      auto w = words(value);
      int64_t error, times = -1;
      if ((w.size() == 2 || w.size() == 3) && number(w[1], error) &&
          (w.size() == 2 || lower(w[2]) == "always" || number(w[2], times)))
        f.refuse.push_back(RefuseRule{w[0], int(error), w.size() == 3 ? times : -1});
    }
  }
  return f;
}

bool answerLost(const FaultConfig& f, std::string_view command) {
  if (command.substr(0, 4) == "1109") return false;
  for (const auto& prefix : f.loseAnswer)
    if (command.substr(0, prefix.size()) == prefix) return true;
  return false;
}

}  // namespace merid::sim
