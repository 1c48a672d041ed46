#include "platform/ini_document.h"

#include <algorithm>
#include <cctype>

namespace merid::platform {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// The part of a raw line that carries meaning: no '\r', no byte-order mark.
std::string_view content(std::string_view v, bool first) {
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

// The key's line with a new value: its leading blanks, its name as written
// and its '\r' stay.
std::string editedLine(std::string_view raw, std::string_view value) {
  const bool hadCr = !raw.empty() && raw.back() == '\r';
  const std::string_view name = keyValue(content(raw, false))->key;
  const std::string_view lead = raw.substr(0, raw.find_first_not_of(" \t"));
  return std::string(lead) + std::string(name) + "=" + std::string(value) + (hadCr ? "\r" : "");
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

namespace {

uint64_t nameHash(std::string_view name) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : name) {
    h ^= static_cast<uint64_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

IniDocument::IniDocument(std::string bytes) : raw_(std::move(bytes)) {
  const std::string_view all(raw_);
  // Room for the sections whose header starts its line, so a large file's
  // index is not grown step by step.
  std::size_t headers = !all.empty() && all[0] == '[';
  for (auto at = all.find("\n["); at != std::string_view::npos; at = all.find("\n[", at + 2)) ++headers;
  readSections_.reserve(headers);
  blocks_.reserve(headers + 64);  // and room for a few added without a copy
  std::size_t start = 0;
  bool first = true;
  while (start < all.size()) {
    const auto nl = all.find('\n', start);
    const std::size_t end = nl == std::string_view::npos ? all.size() : nl;
    const std::string_view line = all.substr(start, end - start);
    if (first && nl != std::string_view::npos) crlf_ = !line.empty() && line.back() == '\r';
    if (auto name = sectionName(content(line, first))) {
      blocks_.back().size = start - blocks_.back().begin;
      readSections_.emplace_back(nameHash(*name), blocks_.size());
      blocks_.push_back(Block{start, 0});
    }
    first = false;
    start = end == all.size() ? end : end + 1;
  }
  blocks_.back().size = all.size() - blocks_.back().begin;
  // By hash, then by block: the first block of a name comes first.
  std::sort(readSections_.begin(), readSections_.end());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < readSections_.size(); ++i) {
    if (kept > 0 && readSections_[kept - 1].first == readSections_[i].first) {
      if (!equalNoCase(headerName(readSections_[kept - 1].second), headerName(readSections_[i].second)))
        collided_ = true;
      continue;
    }
    readSections_[kept++] = readSections_[i];
  }
  readSections_.resize(kept);
}

std::string_view IniDocument::block(std::size_t i) const {
  const Block& b = blocks_[i];
  if (b.owned != kNotOwned) return owned_[b.owned];
  return std::string_view(raw_).substr(b.begin, b.size);
}

std::string& IniDocument::edit(std::size_t i) {
  Block& b = blocks_[i];
  if (b.owned == kNotOwned) {
    owned_.emplace_back(std::string_view(raw_).substr(b.begin, b.size));
    b.owned = owned_.size() - 1;
  }
  return owned_[b.owned];
}

// The name in block i's header line (block 0 has none).
std::string_view IniDocument::headerName(std::size_t i) const {
  const std::string_view text = block(i);
  const bool first = i == 1 && block(0).empty();
  return sectionName(content(text.substr(0, text.find('\n')), first)).value_or(std::string_view());
}

std::optional<std::size_t> IniDocument::findSection(std::string_view section) const {
  section = trimBlanks(section);
  const uint64_t hash = nameHash(section);
  auto it =
      std::lower_bound(readSections_.begin(), readSections_.end(), std::make_pair(hash, std::size_t{0}));
  if (it != readSections_.end() && it->first == hash && equalNoCase(headerName(it->second), section))
    return it->second;
  if (auto added = addedSections_.find(hash);
      added != addedSections_.end() && equalNoCase(headerName(added->second), section))
    return added->second;
  if (!collided_) return std::nullopt;
  for (std::size_t i = 1; i < blocks_.size(); ++i)
    if (equalNoCase(headerName(i), section)) return i;
  return std::nullopt;
}

std::optional<IniDocument::Line> IniDocument::findKeyLine(std::string_view block,
                                                          std::string_view key) const {
  key = trimBlanks(key);
  auto pos = block.find('\n');  // the header line is not a key
  while (pos != std::string::npos && ++pos < block.size()) {
    const auto nl = block.find('\n', pos);
    const std::size_t end = nl == std::string::npos ? block.size() : nl;
    auto kv = keyValue(content(std::string_view(block).substr(pos, end - pos), false));
    if (kv && equalNoCase(kv->key, key)) return Line{pos, end};
    pos = nl;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::find(std::string_view section, std::string_view key) const {
  const auto block = findSection(section);
  if (!block) return std::nullopt;
  const std::string_view text = this->block(*block);
  const auto line = findKeyLine(text, key);
  if (!line) return std::nullopt;
  std::string_view v = keyValue(content(text.substr(line->begin, line->end - line->begin), false))->value;
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
  const std::string_view tail = block(blocks_.size() - 1);
  if (tail.empty() || tail.back() == '\n') return;
  std::string& last = edit(blocks_.size() - 1);
  if (last.back() != '\r') last += newline();
  last += '\n';
}

bool IniDocument::changes(std::string_view section, std::string_view key, std::string_view value) const {
  const auto block = findSection(trimBlanks(section));
  if (!block) return true;
  const std::string_view text = this->block(*block);
  const auto line = findKeyLine(text, trimBlanks(key));
  if (!line) return true;
  const std::string_view raw = text.substr(line->begin, line->end - line->begin);
  return editedLine(raw, value) != raw;
}

// The key goes after the section's last non-blank line, so the blank lines
// that set it apart from the next section stay where they are.
void IniDocument::addToSection(std::size_t block, std::string_view key, std::string_view value) {
  std::string& text = edit(block);
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < text.size();) {
    starts.push_back(pos);
    const auto nl = text.find('\n', pos);
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  auto lineEnd = [&](std::size_t i) {
    if (i + 1 < starts.size()) return starts[i + 1] - 1;
    return text.back() == '\n' ? text.size() - 1 : text.size();
  };
  std::size_t at = starts.size();
  while (at > 1 &&
         trimBlanks(
             content(std::string_view(text).substr(starts[at - 1], lineEnd(at - 1) - starts[at - 1]), false))
             .empty())
    --at;
  if (at == starts.size() && block + 1 == blocks_.size()) {
    closeLastLine();  // the same string: the last block is already its own
  }
  const std::size_t offset = at == starts.size() ? text.size() : starts[at];
  text.insert(offset, std::string(key) + "=" + std::string(value) + newline() + "\n");
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  section = trimBlanks(section);
  key = trimBlanks(key);
  if (const auto block = findSection(section)) {
    if (const auto line = findKeyLine(this->block(*block), key)) {
      std::string& text = edit(*block);
      text.replace(line->begin, line->end - line->begin,
                   editedLine(std::string_view(text).substr(line->begin, line->end - line->begin), value));
    } else {
      addToSection(*block, key, value);
    }
    return;
  }
  closeLastLine();
  const bool first = blocks_.size() == 1 && block(0).empty();
  const std::string cr = newline();
  std::string added =
      "[" + std::string(section) + "]" + cr + "\n" + std::string(key) + "=" + std::string(value) + cr + "\n";
  // Read back as the parser reads it: the first section of a name wins.
  const auto name = sectionName(content(std::string_view(added).substr(0, added.find('\n')), first));
  if (name && !findSection(*name)) {
    const uint64_t hash = nameHash(*name);
    const bool known =
        std::binary_search(readSections_.begin(), readSections_.end(), std::make_pair(hash, std::size_t{0}),
                           [](const auto& a, const auto& b) { return a.first < b.first; });
    if (known || !addedSections_.emplace(hash, blocks_.size()).second) collided_ = true;
  }
  owned_.push_back(std::move(added));
  blocks_.push_back(Block{0, 0, owned_.size() - 1});
}

std::string IniDocument::bytes() const {
  std::string out;
  std::size_t total = 0;
  for (std::size_t i = 0; i < blocks_.size(); ++i) total += block(i).size();
  out.reserve(total);
  for (std::size_t i = 0; i < blocks_.size(); ++i) out += block(i);
  return out;
}

bool IniDocument::holds(std::string_view bytes) const {
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const std::string_view b = block(i);
    if (bytes.substr(0, b.size()) != b) return false;
    bytes.remove_prefix(b.size());
  }
  return bytes.empty();
}

bool IniDocument::write(std::size_t piece, const std::function<bool(std::string_view)>& out) const {
  std::string buffer;
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const std::string_view block = this->block(i);
    if (buffer.empty() && block.size() >= piece) {
      if (!out(block)) return false;
      continue;
    }
    if (buffer.empty()) buffer.reserve(piece + block.size());
    buffer += block;
    if (buffer.size() >= piece) {
      if (!out(buffer)) return false;
      buffer.clear();
    }
  }
  return buffer.empty() || out(buffer);
}

}  // namespace merid::platform
