#include "platform/ini_document.h"

#include <algorithm>

namespace merid::platform {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// The part of a raw line that carries meaning: no '\r', no byte-order mark.
std::string_view content(const std::string& line, bool first) {
  std::string_view v(line);
  if (!v.empty() && v.back() == '\r') v.remove_suffix(1);
  if (first && v.substr(0, kBom.size()) == kBom) v.remove_prefix(kBom.size());
  return v;
}

std::optional<std::string_view> sectionName(std::string_view v) {
  v = trimBlanks(v);
  if (v.empty() || v.front() != '[') return std::nullopt;
  v.remove_prefix(1);
  auto close = v.find(']');
  if (close != std::string_view::npos) v = v.substr(0, close);
  return trimBlanks(v);
}

struct KeyValue {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyValue> keyValue(std::string_view v) {
  v = trimBlanks(v);
  if (v.empty() || v.front() == ';' || v.front() == '[') return std::nullopt;
  auto eq = v.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyValue{trimBlanks(v.substr(0, eq)), trimBlanks(v.substr(eq + 1))};
}

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y && std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

}  // namespace

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

IniDocument::IniDocument(std::string bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto nl = bytes.find('\n', start);
    if (nl == std::string::npos) {
      lines_.push_back(bytes.substr(start));
      finalNewline_ = false;
      break;
    }
    lines_.push_back(bytes.substr(start, nl - start));
    if (lines_.size() == 1) crlf_ = !lines_.back().empty() && lines_.back().back() == '\r';
    start = nl + 1;
  }
  index();
}

void IniDocument::index() {
  sections_.clear();
  std::string current;
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = sectionName(content(lines_[i], i == 0));
    if (!name) continue;
    if (inSection) sections_[current].end = std::min(sections_[current].end, i);
    current = lowerAscii(*name);
    inSection = sections_.count(current) == 0;
    if (inSection) sections_[current] = Section{i, lines_.size()};
  }
}

const IniDocument::Section* IniDocument::findSection(std::string_view section) const {
  auto it = sections_.find(lowerAscii(trimBlanks(section)));
  return it == sections_.end() ? nullptr : &it->second;
}

std::optional<std::size_t> IniDocument::findKeyLine(const Section& s, std::string_view key) const {
  key = trimBlanks(key);
  for (std::size_t i = s.header + 1; i < s.end; ++i) {
    auto kv = keyValue(content(lines_[i], false));
    if (kv && equalNoCase(kv->key, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::find(std::string_view section, std::string_view key) const {
  const Section* s = findSection(section);
  if (!s) return std::nullopt;
  auto line = findKeyLine(*s, key);
  if (!line) return std::nullopt;
  std::string_view v = keyValue(content(lines_[*line], false))->value;
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::string IniDocument::newline() const {
  return crlf_ ? "\r" : "";
}

// Ends the file's last line before a line is added after it. A last line that
// already ends in '\r' keeps it alone: a second one would become part of its
// value.
void IniDocument::closeLastLine() {
  if (lines_.empty() || finalNewline_) return;
  if (lines_.back().empty() || lines_.back().back() != '\r') lines_.back() += newline();
  finalNewline_ = true;
}

std::string IniDocument::editedLine(std::size_t line, std::string_view value) const {
  const std::string& raw = lines_[line];
  const bool hadCr = !raw.empty() && raw.back() == '\r';
  const std::string name(keyValue(content(raw, false))->key);
  // Leading blanks of the line stay as they were.
  const std::string lead(raw.substr(0, raw.find_first_not_of(" \t")));
  return lead + name + "=" + std::string(value) + (hadCr ? "\r" : "");
}

bool IniDocument::changes(std::string_view section, std::string_view key, std::string_view value) const {
  const Section* s = findSection(trimBlanks(section));
  if (!s) return true;
  auto line = findKeyLine(*s, trimBlanks(key));
  return !line || editedLine(*line, value) != lines_[*line];
}

// A line was inserted at index at: the sections after it move down one line
// and the one it went into grows by one (no new header, so no new section).
void IniDocument::inserted(std::size_t at) {
  for (auto& [name, s] : sections_) {
    if (s.header >= at) ++s.header;
    if (s.end >= at) ++s.end;
  }
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  section = trimBlanks(section);
  key = trimBlanks(key);
  const std::string cr = newline();
  if (const Section* s = findSection(section)) {
    if (auto line = findKeyLine(*s, key)) {
      lines_[*line] = editedLine(*line, value);
      return;
    }
    // After the section's last non-blank line, so the blank lines that set it
    // apart from the next section stay where they are.
    std::size_t at = s->end;
    while (at > s->header + 1 && trimBlanks(content(lines_[at - 1], false)).empty()) --at;
    if (at == lines_.size()) closeLastLine();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::string(key) + "=" + std::string(value) + cr);
    inserted(at);
  } else {
    closeLastLine();
    const std::size_t header = lines_.size();
    lines_.push_back("[" + std::string(section) + "]" + cr);
    lines_.push_back(std::string(key) + "=" + std::string(value) + cr);
    finalNewline_ = true;
    // Read back as the parser reads it: the first section of a name wins.
    if (auto name = sectionName(content(lines_[header], header == 0)))
      sections_.emplace(lowerAscii(*name), Section{header, lines_.size()});
  }
}

std::string IniDocument::bytes() const {
  std::string out;
  std::size_t total = 0;
  for (const auto& l : lines_) total += l.size() + 1;
  out.reserve(total);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || finalNewline_) out += '\n';
  }
  return out;
}

}  // namespace merid::platform
