// The profile functions on POSIX: our own reader and writer, with the
// behaviour of GetPrivateProfileStringA and WritePrivateProfileStringA.
//
// Reads are served from a parsed copy of each file, checked against the file's
// identity, size and times at every call. A copy loaded within kRacyWindow of
// the file's last change is not trusted (a second change in the same clock tick
// would leave the times alone), so such a file is read again until it settles.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/ini_document.h"
#include "platform/platform.h"
#include "platform/posix/atomic_file.h"

namespace merid::platform {

namespace {

constexpr int64_t kRacyWindowNs = 100'000'000;

int64_t ns(const timespec& t) { return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

int64_t nowNs() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return ns(t);
}

struct Snapshot {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = -1;
  int64_t mtime = 0, ctime = 0;
  bool operator==(const Snapshot& o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtime == o.mtime && ctime == o.ctime;
  }
};

Snapshot snapshotOf(const struct stat& st) {
  return Snapshot{st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim)};
}

struct Cached {
  Snapshot snap;
  bool trusted = false;
  std::shared_ptr<const IniDocument> doc;
};

std::string clean(std::string s) {
  // A line break inside a name or value would split the line in two.
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

class PosixProfile : public Profile {
 public:
  std::size_t getString(const std::string& section, const std::string& key, std::string& out,
                        std::size_t bufferSize, const std::string& file) override {
    out.clear();
    if (bufferSize == 0) return 0;
    auto doc = load(file);
    if (!doc) return 0;
    auto value = doc->find(section, key);
    if (!value) return 0;
    out = value->substr(0, bufferSize - 1);
    return out.size();
  }

  bool writeString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override {
    std::lock_guard<std::mutex> lock(writeMutex_);
    std::string bytes;
    struct stat st{};
    const bool existed = ::stat(file.c_str(), &st) == 0;
    if (existed && !readAll(file, bytes)) return false;
    IniDocument doc(bytes);
    doc.set(clean(section), clean(key), clean(value).substr(0, 65534));
    std::string edited = doc.bytes();
    // Writing back what is there already (an empty value read as missing)
    // would only make the file look changed to every reader.
    if (existed && edited == bytes) return true;
    const bool ok = writeFileAtomically(file, edited, existed ? (st.st_mode & 07777) : 0644);
    std::lock_guard<std::mutex> cacheLock(cacheMutex_);
    cache_.erase(file);
    return ok;
  }

 private:
  static bool readAll(const std::string& file, std::string& bytes) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
  }

  std::shared_ptr<const IniDocument> load(const std::string& file) {
    struct stat st{};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    const Snapshot snap = snapshotOf(st);
    {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      auto it = cache_.find(file);
      if (it != cache_.end() && it->second.trusted && it->second.snap == snap) return it->second.doc;
    }
    const int64_t loadedAt = nowNs();
    std::string bytes;
    if (!readAll(file, bytes)) return nullptr;
    auto doc = std::make_shared<const IniDocument>(std::move(bytes));
    // Taken again after the read: a change during it makes the copy untrusted.
    struct stat after{};
    if (::stat(file.c_str(), &after) != 0) return doc;
    const Snapshot snapAfter = snapshotOf(after);
    Cached entry{snapAfter, snapAfter == snap && snap.mtime < loadedAt - kRacyWindowNs &&
                                snap.ctime < loadedAt - kRacyWindowNs,
                 doc};
    std::lock_guard<std::mutex> lock(cacheMutex_);
    cache_[file] = std::move(entry);
    return doc;
  }

  std::mutex writeMutex_;
  std::mutex cacheMutex_;
  std::unordered_map<std::string, Cached> cache_;
};

}  // namespace

Profile& builtinProfile() {
  static PosixProfile p;
  return p;
}

}  // namespace merid::platform
