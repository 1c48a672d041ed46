// Shared by the fuzz targets: an invariant check that stops the run, pieces
// of an input, and throw-away folders.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// A broken invariant is a finding: abort so that libFuzzer keeps the input
// and the replay test fails.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

namespace fuzzing {

inline std::string_view asText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The input cut at each '\n' (a last piece without one included).
inline std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> out;
  for (size_t start = 0, nl; start < text.size(); start = nl + 1) {
    nl = std::min(text.find('\n', start), text.size());
    out.emplace_back(text.substr(start, nl - start));
  }
  return out;
}

// The text up to and including its last '\n': what a record file holds as
// complete records. A last line without its '\n' is a write cut short.
inline std::string_view completeLines(std::string_view text) {
  const size_t nl = text.rfind('\n');
  return nl == std::string_view::npos ? std::string_view() : text.substr(0, nl + 1);
}

inline bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace fuzzing

#ifndef _WIN32
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fuzzing {

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

// A fresh, empty folder for each input, so that nothing carries over; in memory where the system
// offers it, as the printer syncs every record it writes (a hundred times slower on a disk).
inline std::string freshFolder(const char* tag) {
  static struct Base {
    std::string path;
    ~Base() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  } base{std::string(std::filesystem::is_directory("/dev/shm") ? "/dev/shm/" : "/tmp/") + tag + "-XXXXXX"};
  static unsigned long counter = 0;
  if (counter == 0 && !mkdtemp(base.path.data())) std::abort();
  std::error_code ec;
  if (counter > 0) std::filesystem::remove_all(base.path + "/" + std::to_string(counter), ec);
  const std::string dir = base.path + "/" + std::to_string(++counter);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace fuzzing
#endif
