#pragma once
// An INI file held as its raw lines, read and edited the way the Windows
// profile functions do it: section and key names match without regard to case,
// the first of duplicate sections or keys wins, and an edit touches only the
// line it changes, so every other byte of the file survives a write.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace merid::platform {

class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string bytes);

  // The value as the Windows functions return it: blanks around it removed,
  // then one pair of enclosing double or single quotes. Empty when missing.
  std::optional<std::string> find(std::string_view section, std::string_view key) const;

  // Replaces the key's value in place, or adds the key (and the section) when
  // missing. New lines take the line ending the file already uses.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // False when set() with these arguments would leave the bytes as they are.
  bool changes(std::string_view section, std::string_view key, std::string_view value) const;

  std::string bytes() const;

 private:
  struct Section {
    std::size_t header;  // line index of "[name]"
    std::size_t end;     // one past its last line
  };
  void index();
  const Section* findSection(std::string_view section) const;
  std::optional<std::size_t> findKeyLine(const Section& s, std::string_view key) const;
  std::string newline() const;
  std::string editedLine(std::size_t line, std::string_view value) const;
  void inserted(std::size_t at);

  std::vector<std::string> lines_;  // without the '\n'; a '\r' before it is kept
  bool finalNewline_ = true;
  bool crlf_ = false;
  std::unordered_map<std::string, Section> sections_;  // lower-case name -> first occurrence
};

// Parsing helpers shared with the tests.
std::string_view trimBlanks(std::string_view s);
std::string lowerAscii(std::string_view s);

}  // namespace merid::platform
