// The INI document: any bytes parse, serialise back unchanged, and a value
// set reads back while every other key keeps its value.
//
// Input: a first line "SECTION|KEY|VALUE" naming the edit, then the file.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "platform/ini_document.h"

namespace {

using merid::platform::IniDocument;
using merid::platform::trimBlanks;

// Section and key names the document may hold, found the simple way; the
// checks below ask the document itself for their values.
std::vector<std::pair<std::string, std::string>> candidateKeys(const std::string& bytes) {
  std::vector<std::pair<std::string, std::string>> keys;
  std::string section;
  for (std::string line : fuzzing::lines(bytes)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string_view v = trimBlanks(line);
    if (!v.empty() && v.front() == '[') {
      v.remove_prefix(1);
      section = std::string(trimBlanks(v.substr(0, v.find(']'))));
    } else if (auto eq = v.find('='); eq != std::string_view::npos) {
      keys.emplace_back(section, std::string(trimBlanks(v.substr(0, eq))));
    }
  }
  return keys;
}

bool hasAny(std::string_view text, std::string_view bytes) {
  return text.find_first_of(bytes) != text.npos;
}

// Names and values a line can hold and give back: a value without line breaks, a section name
// without ']', a key that is not a comment or a section and has no '='.
bool writable(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view k = trimBlanks(key);
  return !hasAny(section, std::string_view("]\r\n\0", 4)) && !hasAny(key, std::string_view("=\r\n\0", 4)) &&
         !hasAny(value, std::string_view("\r\n\0", 3)) && !k.empty() && k.front() != ';' && k.front() != '[';
}

// What reading gives for a value written as is.
std::string readBack(std::string_view value) {
  std::string_view v = trimBlanks(value);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

bool sameName(const std::string& a, std::string_view b) {
  return merid::platform::lowerAscii(trimBlanks(a)) == merid::platform::lowerAscii(trimBlanks(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzzing::asText(data, size);
  const size_t nl = input.find('\n');
  const std::string_view edit = nl == input.npos ? input : input.substr(0, nl);
  const std::string file(nl == input.npos ? std::string_view() : input.substr(nl + 1));
  const size_t bar1 = edit.find('|');
  const size_t bar2 = bar1 == edit.npos ? edit.npos : edit.find('|', bar1 + 1);
  const std::string_view section = edit.substr(0, bar1);
  const std::string_view key =
      bar1 == edit.npos ? std::string_view() : edit.substr(bar1 + 1, bar2 - bar1 - 1);
  const std::string_view value = bar2 == edit.npos ? std::string_view() : edit.substr(bar2 + 1);

  IniDocument doc(file);
  const IniDocument& edited = doc;
  FUZZ_CHECK(doc.bytes() == file && doc.holds(file));
  std::string pieces;
  FUZZ_CHECK(doc.write(7, [&](std::string_view p) { return pieces.append(p), true; }) && pieces == file);

  const auto keys = candidateKeys(file);
  std::vector<std::optional<std::string>> before;
  for (const auto& [s, k] : keys) before.push_back(doc.find(s, k));

  doc.set(section, key, value);
  if (!writable(section, key, value)) return 0;  // no crash is all that is asked

  const std::string after = doc.bytes();
  FUZZ_CHECK(doc.holds(after) && (after.empty() || !doc.holds(after.substr(1))));
  const IniDocument reread(after);
  for (const IniDocument* d : {&edited, &reread}) {
    FUZZ_CHECK(d->find(section, key) == readBack(value));
    for (size_t i = 0; i < keys.size(); ++i) {
      if (sameName(keys[i].first, section) && sameName(keys[i].second, key)) continue;
      FUZZ_CHECK(d->find(keys[i].first, keys[i].second) == before[i]);
    }
  }
  return 0;
}
