#pragma once
// An INI file held as its raw bytes, read and edited the way the Windows
// profile functions do it: section and key names match without regard to case,
// the first of duplicate sections or keys wins, and an edit touches only the
// line it changes, so every other byte of the file survives a write.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace merid::platform {

class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string_view bytes);

  // The value as the Windows functions return it: blanks around it removed,
  // then one pair of enclosing double or single quotes. Empty when missing.
  std::optional<std::string> find(std::string_view section, std::string_view key) const;

  // Replaces the key's value in place, or adds the key (and the section) when
  // missing. New lines take the line ending the file already uses.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // False when set() with these arguments would leave the bytes as they are.
  bool changes(std::string_view section, std::string_view key, std::string_view value) const;

  std::string bytes() const;
  // True when bytes() would give exactly these bytes.
  bool holds(std::string_view bytes) const;
  // The same bytes handed to out in order, in pieces of at least `piece`
  // bytes (the last may be shorter), so a large file is written without
  // being built whole in memory. False as soon as out answers false.
  bool write(std::size_t piece, const std::function<bool(std::string_view)>& out) const;

 private:
  struct Line {
    std::size_t begin, end;  // within the block; end is at the '\n' or the block's end
  };
  std::optional<std::size_t> findSection(std::string_view section) const;
  std::optional<Line> findKeyLine(const std::string& block, std::string_view key) const;
  std::string newline() const;
  void closeLastLine();
  void addToSection(std::size_t block, std::string_view key, std::string_view value);

  // The file cut before each section header line: blocks_[0] holds what
  // comes before the first header (often nothing), every later block a header
  // and the lines up to the next one. Only the last block may lack a final
  // '\n'. A key added to a section touches its block alone, so an edit of a
  // large file costs the size of one section, not of the file.
  std::vector<std::string> blocks_{std::string()};
  bool crlf_ = false;
  std::unordered_map<std::string, std::size_t> sections_;  // lower-case name -> first block of that name
};

// Parsing helpers shared with the tests.
std::string_view trimBlanks(std::string_view s);
std::string lowerAscii(std::string_view s);

}  // namespace merid::platform
