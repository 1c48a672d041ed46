// File helpers built on the file-system seam, the same on every system.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/platform.h"

namespace merid::platform {

namespace {

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const auto slash = path.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr const char* kTemporaryMark = ".tmp";

}  // namespace

bool FileSystem::exists(const std::string& path) {
  FileInfo info;
  return stat(path, info) == 0 && info.regular;
}

bool FileSystem::copyReplacing(const std::string& from, const std::string& to) {
  std::string bytes;
  return readWholeFile(*this, from, bytes) == 0 && writeFileAtomically(*this, to, bytes, 0644);
}

int readWholeFile(FileSystem& fs, const std::string& path, std::string& bytes, std::size_t expected) {
  bytes.clear();
  int error = 0;
  auto file = fs.open(path, OpenMode::Read, 0, error);
  if (!file) return error ? error : EIO;
  // Read straight into the string, sized for the whole file: a large file is
  // copied once, not again at each growth.
  bytes.resize(std::max<std::size_t>(expected + 1, 65536));
  std::size_t used = 0;
  long long n;
  while ((n = file->read(&bytes[used], bytes.size() - used)) > 0) {
    used += static_cast<std::size_t>(n);
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
  }
  bytes.resize(used);
  const bool closed = file->close();
  if (n < 0 || !closed) {
    bytes.clear();
    return EIO;
  }
  return 0;
}

bool writeFileAtomically(FileSystem& fs, const std::string& path, const std::string& content,
                         unsigned permissions) {
  return writeFileAtomically(
      fs, path, [&content](const auto& put) { return put(content); }, permissions);
}

bool writeFileAtomically(FileSystem& fs, const std::string& path, const ContentPieces& fill,
                         unsigned permissions) {
  static std::atomic<unsigned> counter{0};
  const std::string tmp =
      path + kTemporaryMark + std::to_string(currentProcessId()) + "_" + std::to_string(counter++);
  int error = 0;
  auto file = fs.open(tmp, OpenMode::CreateNew, permissions, error);
  if (!file) {
    // A failed create may still have made the file (a full disk after the
    // directory entry); it is ours by its unique name.
    if (error != EEXIST) fs.remove(tmp);
    return false;
  }
  // The data reaches the disk before the rename makes it the file: a crash
  // right after the rename must not find an empty or partial file there.
  bool ok = fill([&file](std::string_view piece) { return file->write(piece.data(), piece.size()); }) &&
            file->sync();
  ok = file->close() && ok;
  file.reset();
  if (ok) ok = fs.rename(tmp, path) == 0;
  if (!ok) {
    fs.remove(tmp);
    return false;
  }
  fs.syncFolder(folderOf(path));
  return true;
}

void removeLeftoverTemporaries(FileSystem& fs, const std::string& path) {
  std::vector<std::string> names;
  if (fs.list(folderOf(path), names) != 0) return;
  const std::string prefix = nameOf(path) + kTemporaryMark;
  const std::string folder = path.substr(0, path.size() - nameOf(path).size());
  for (const auto& name : names) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    // "<pid>_<n>", digits only: anything else is not one of ours.
    const std::string rest = name.substr(prefix.size());
    const auto underscore = rest.find('_');
    if (underscore == 0 || underscore == std::string::npos || underscore > 9 ||
        rest.find_first_not_of("0123456789_") != std::string::npos ||
        rest.find('_', underscore + 1) != std::string::npos || underscore + 1 == rest.size())
      continue;
    const long pid = std::stol(rest.substr(0, underscore));
    if (pid == currentProcessId() || processIsRunning(pid)) continue;
    fs.remove(folder + name);
  }
}

}  // namespace merid::platform
