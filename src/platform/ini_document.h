#pragma once
// An INI file held as its raw bytes, read and edited the way the Windows
// profile functions do it: section and key names match without regard to case,
// the first of duplicate sections or keys wins, and an edit touches only the
// line it changes, so every other byte of the file survives a write.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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
  std::optional<Line> findKeyLine(std::string_view block, std::string_view key) const;
  std::string newline() const;
  void closeLastLine();
  void addToSection(std::size_t block, std::string_view key, std::string_view value);

  // The file cut before each section header line: block 0 holds what comes
  // before the first header (often nothing), every later block a header and
  // the lines up to the next one. Only the last block may lack a final '\n'.
  // A block is a stretch of the bytes read until it is first edited, then a
  // string of its own, so a large file is held in one piece and an edit costs
  // the size of one section, not of the file.
  struct Block {
    std::size_t begin = 0, size = 0;  // within raw_, while not owned
    std::size_t owned = kNotOwned;    // its own text in owned_
  };
  static constexpr std::size_t kNotOwned = static_cast<std::size_t>(-1);
  std::string_view block(std::size_t i) const;
  std::string& edit(std::size_t i);
  std::string_view headerName(std::size_t i) const;

  std::string raw_;
  std::vector<Block> blocks_{Block{}};
  std::deque<std::string> owned_;  // a deque: a string stays where it is as others are added
  bool crlf_ = false;
  // The hash of each lower-case section name and the first block of that
  // name: sorted pairs for the sections read (one allocation, however large
  // the file), a map for those added since. Names are checked on each hit;
  // two names of one hash (never seen in practice) make a lookup that misses
  // search the blocks in order.
  std::vector<std::pair<uint64_t, std::size_t>> readSections_;
  std::unordered_map<uint64_t, std::size_t> addedSections_;
  bool collided_ = false;
};

// Parsing helpers shared with the tests.
std::string_view trimBlanks(std::string_view s);
std::string lowerAscii(std::string_view s);

}  // namespace merid::platform
