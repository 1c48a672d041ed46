// The profile functions: our own reader and writer, with the behaviour of
// GetPrivateProfileStringA and WritePrivateProfileStringA, on every system
// (Windows' own take hundreds of microseconds a call, rereading the file).
//
// Reads are served from a parsed copy of each file, checked against the file's
// identity, size and times at every call. A copy loaded within kRacyWindow of
// the file's last change is not trusted (a second change in the same clock tick
// would leave the times alone), so such a file is read again until it settles.
// A copy we wrote ourselves is trusted: our writes replace the file, so another
// writer's change shows as a new identity or new times.

#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ini_document.h"
#include "platform/platform.h"

namespace merid::platform {

namespace {

constexpr int64_t kRacyWindowNs = 100'000'000;
constexpr std::size_t kLongestValue = 65534;

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct Cached {
  FileInfo info;
  bool trusted = false;
  std::shared_ptr<const IniDocument> doc;
};

std::string clean(std::string s) {
  // A line break inside a name or value would split the line in two.
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

struct Edit {
  std::string section, key, value;
};

// What a batch on this thread has changed in one file: the document it
// started from, the edits, and the document with them.
struct Pending {
  bool existed = false;
  FileInfo base;  // the file the document was read from
  std::vector<Edit> edits;
  std::shared_ptr<IniDocument> doc;
};

struct Batch {
  int depth = 0;
  std::map<std::string, Pending> files;
  // Files a read failed on: what a call writes after such a read rests on a
  // value it could not see, so those writes are dropped.
  std::set<std::string> unreadable;
  // Documents already checked against their files in this batch: one call
  // asks the file system once per file (a check costs tens of microseconds
  // under Windows).
  std::map<std::string, std::shared_ptr<const IniDocument>> checked;
};
// Made when a thread's outermost batch begins and gone when it ends, so no
// thread keeps an object to destroy at its exit (the mingw runtime's
// destructors of thread-local objects are not safe there).
thread_local Batch* tBatchOpen = nullptr;

class FileProfile : public Profile {
 public:
  std::size_t getString(const std::string& section, const std::string& key, std::string& out,
                        std::size_t bufferSize, const std::string& file) override {
    out.clear();
    if (bufferSize == 0) return 0;
    std::shared_ptr<const IniDocument> doc;
    if (!tBatchOpen) {
      int error = 0;
      doc = load(file, error);
    } else if (auto it = tBatchOpen->files.find(file); it != tBatchOpen->files.end()) {
      doc = it->second.doc;
    } else if (auto seen = tBatchOpen->checked.find(file); seen != tBatchOpen->checked.end()) {
      doc = seen->second;
    } else {
      int error = 0;
      doc = load(file, error);
      if (doc) tBatchOpen->checked.emplace(file, doc);
      if (!doc && error != ENOENT) tBatchOpen->unreadable.insert(file);
    }
    if (!doc) return 0;
    auto value = doc->find(section, key);
    if (!value) return 0;
    out = value->substr(0, bufferSize - 1);
    return out.size();
  }

  bool writeString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override {
    Edit edit{clean(section), clean(key), clean(value).substr(0, kLongestValue)};
    if (tBatchOpen) {
      if (tBatchOpen->unreadable.count(file)) return false;
      auto& files = tBatchOpen->files;
      auto it = files.find(file);
      if (it == files.end()) {
        int error = 0;
        auto current = load(file, error);
        if (!current && error != ENOENT) return false;
        // Writing back what is there already (an empty value read as missing)
        // costs nothing.
        if (current && !current->changes(edit.section, edit.key, edit.value)) return true;
        tBatchOpen->checked.erase(file);  // its reference would force a copy
        Pending pending;
        pending.existed = current != nullptr;
        pending.doc = current ? takeOrCopy(file, current, pending.base) : std::make_shared<IniDocument>();
        it = files.emplace(file, std::move(pending)).first;
      }
      it->second.doc->set(edit.section, edit.key, edit.value);
      it->second.edits.push_back(std::move(edit));
      return true;
    }
    std::lock_guard<std::mutex> lock(writeMutex_);
    int error = 0;
    auto current = load(file, error);
    if (!current && error != ENOENT) return false;
    if (current && !current->changes(edit.section, edit.key, edit.value)) return true;
    IniDocument doc = current ? *current : IniDocument();
    doc.set(edit.section, edit.key, edit.value);
    return store(file, std::move(doc));
  }

  bool writeDefault(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file) override {
    std::string now;
    if (getString(section, key, now, 2, file) > 0) return true;
    return writeString(section, key, value, file);
  }

  // Writes what the batch of this thread changed. A file that changed under
  // the batch gets the batch's edits again on its new content.
  void flush() {
    auto files = std::move(tBatchOpen->files);
    tBatchOpen->files.clear();
    std::lock_guard<std::mutex> lock(writeMutex_);
    for (auto& [file, pending] : files) {
      FileInfo now;
      int error = fileSystem().stat(file, now);
      if (error != 0 && error != ENOENT) continue;
      if ((error == 0) == pending.existed && (error != 0 || now == pending.base)) {
        store(file, std::move(*pending.doc));
        continue;
      }
      auto current = load(file, error);
      if (!current && error != ENOENT) continue;
      {
        IniDocument doc = current ? *current : IniDocument();
        for (const auto& e : pending.edits) doc.set(e.section, e.key, e.value);
        store(file, std::move(doc));
      }
    }
  }

 private:
  bool store(const std::string& file, IniDocument doc) {
    FileSystem& fs = fileSystem();
    FileInfo before;
    const int error = fs.stat(file, before);
    if (error != 0 && error != ENOENT) return false;
    std::string bytes = doc.bytes();
    const bool ok = writeFileAtomically(fs, file, bytes, error == 0 ? before.permissions : 0644);
    FileInfo after;
    std::lock_guard<std::mutex> lock(cacheMutex_);
    if (ok && fs.stat(file, after) == 0) {
      cache_[file] = Cached{after, true, std::make_shared<IniDocument>(std::move(doc))};
    } else {
      cache_.erase(file);
    }
    return ok;
  }

  // A document the batch may edit: the cached one itself when nobody else
  // holds it (a large file is not copied), else a copy. Every document is
  // made non-const, so editing the one taken from the cache is allowed.
  std::shared_ptr<IniDocument> takeOrCopy(const std::string& file,
                                          std::shared_ptr<const IniDocument>& current, FileInfo& base) {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    auto it = cache_.find(file);
    if (it != cache_.end() && it->second.doc == current && it->second.trusted) {
      base = it->second.info;
      if (current.use_count() == 2) {
        cache_.erase(it);
        return std::const_pointer_cast<IniDocument>(std::exchange(current, nullptr));
      }
    } else {
      base = FileInfo{};  // unknown: the flush reads the file again
    }
    return std::make_shared<IniDocument>(*current);
  }

  // The file's document; nullptr with an errno value when it cannot be read.
  std::shared_ptr<const IniDocument> load(const std::string& file, int& error) {
    FileSystem& fs = fileSystem();
    firstUse(fs, file);
    FileInfo info;
    if ((error = fs.stat(file, info)) != 0) return nullptr;
    if (!info.regular) {
      error = ENOENT;
      return nullptr;
    }
    {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      auto it = cache_.find(file);
      if (it != cache_.end() && it->second.trusted && it->second.info == info) return it->second.doc;
    }
    const int64_t loadedAt = nowNs();
    std::string bytes;
    if ((error = readWholeFile(fs, file, bytes)) != 0) return nullptr;
    std::shared_ptr<const IniDocument> doc = std::make_shared<IniDocument>(std::move(bytes));
    // Taken again after the read: a change during it makes the copy untrusted.
    FileInfo after;
    if (fs.stat(file, after) != 0) return doc;
    Cached entry{
        after,
        after == info && info.modified < loadedAt - kRacyWindowNs && info.changed < loadedAt - kRacyWindowNs,
        doc};
    std::lock_guard<std::mutex> lock(cacheMutex_);
    cache_[file] = std::move(entry);
    return doc;
  }

  // The first time this process touches a file, the temporary files that
  // interrupted writes of it left behind go.
  void firstUse(FileSystem& fs, const std::string& file) {
    {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      if (!seen_.insert(file).second) return;
    }
    removeLeftoverTemporaries(fs, file);
  }

  std::mutex writeMutex_;
  std::mutex cacheMutex_;
  std::unordered_map<std::string, Cached> cache_;
  std::set<std::string> seen_;
};

FileProfile& fileProfile() {
  static FileProfile p;
  return p;
}

}  // namespace

Profile& builtinProfile() {
  return fileProfile();
}

ProfileBatch::ProfileBatch() {
  if (!tBatchOpen) tBatchOpen = new Batch;
  ++tBatchOpen->depth;
}

ProfileBatch::~ProfileBatch() {
  if (--tBatchOpen->depth != 0) return;
  std::unique_ptr<Batch> ending(std::exchange(tBatchOpen, nullptr));
  if (ending->files.empty()) return;
  ending->unreadable.clear();
  tBatchOpen = ending.get();  // for flush(), which empties it
  try {
    fileProfile().flush();
  } catch (...) {
    // A write that fails is lost silently, as one outside a batch.
    ending->files.clear();
  }
  tBatchOpen = nullptr;
}

}  // namespace merid::platform
