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
//
// A read of a missing or empty key writes the caller's default back, so the
// file documents itself. In a large file (kLargeFile and more) each such
// write would be a whole rewrite, and a receipt's first calls find dozens of
// keys missing: there the defaults are gathered in memory instead (see
// Gathered) and written later in one rewrite. Every other write, and every
// write to a small file, is in the file when the call that made it returns.

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
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
// From this size on, a settings file gets the defaults read back into it
// gathered: below it a rewrite costs less than a millisecond or two, so the
// file is kept exactly as a call left it.
constexpr uint64_t kLargeFile = 1 << 20;
// Written to the temporary file in pieces of this size: a large file is never
// built whole in memory.
constexpr std::size_t kWritePiece = 1 << 20;
std::atomic<long long> gLongestWaitMs{10'000};

int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

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
  // A default read back: it goes in only where the key has no value by then.
  bool isDefault = false;
};

void apply(IniDocument& doc, const Edit& e) {
  if (e.isDefault) {
    auto now = doc.find(e.section, e.key);
    if (now && !now->empty()) return;
  }
  doc.set(e.section, e.key, e.value);
}

// Names a line of the file gives back as written: a gathered default is read
// from its own small document, which answers as the file will only for these.
bool plainNames(const Edit& e) {
  const std::string_view key = trimBlanks(e.key);
  return e.section.find(']') == std::string::npos && !key.empty() && key.find('=') == std::string::npos &&
         key.front() != ';' && key.front() != '[';
}

// The defaults read back into one large file and not yet written. Reads of
// every thread see them at once, after the file's own value (which wins
// unless it is empty). They reach the file together with the next real
// write to it, at the end of the first call after the oldest has waited
// gLongestWaitMs, or when the process ends, each only where the key has no
// value by then. A crash before that loses these defaults and nothing else:
// the next read of each key finds it missing and writes it back again.
struct Gathered {
  std::vector<Edit> edits;  // edits[i] is number first + i, in the order gathered
  std::vector<int64_t> when;
  uint64_t first = 1;
  IniDocument view;  // the same edits, for reads
};

// What a batch on this thread has changed in one file: the document it
// started from, the edits, and the document with them.
struct Pending {
  bool existed = false;
  FileInfo base;  // the file the document was read from
  std::vector<Edit> edits;
  std::shared_ptr<IniDocument> doc;
  uint64_t gatheredUpTo = 0;  // the gathered defaults it carries
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

void writeAtExit();

class FileProfile : public Profile {
 public:
  std::size_t getString(const std::string& section, const std::string& key, std::string& out,
                        std::size_t bufferSize, const std::string& file) override {
    out.clear();
    if (bufferSize == 0) return 0;
    std::shared_ptr<const IniDocument> doc;
    bool ownEdits = false;  // the batch's own document, which holds what was gathered
    if (!tBatchOpen) {
      int error = 0;
      doc = load(file, error);
    } else if (auto it = tBatchOpen->files.find(file); it != tBatchOpen->files.end()) {
      doc = it->second.doc;
      ownEdits = true;
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
    if ((!value || value->empty()) && !ownEdits && anyGathered_) value = gatheredValue(file, section, key);
    if (!tBatchOpen) writeOverdue();
    if (!value) return 0;
    out = value->substr(0, bufferSize - 1);
    return out.size();
  }

  bool writeString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override {
    const bool ok = write(Edit{clean(section), clean(key), clean(value).substr(0, kLongestValue)}, file);
    if (!tBatchOpen) writeOverdue();
    return ok;
  }

  bool writeDefault(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file) override {
    std::string now;
    if (getString(section, key, now, 2, file) > 0) return true;
    Edit edit{clean(section), clean(key), clean(value).substr(0, kLongestValue), true};
    const bool ok = gather(edit, file) || write(std::move(edit), file);
    if (!tBatchOpen) writeOverdue();
    return ok;
  }

  // Writes what the batch of this thread changed. A file that changed under
  // the batch gets the batch's edits again on its new content.
  void flush() {
    auto files = std::move(tBatchOpen->files);
    tBatchOpen->files.clear();
    std::lock_guard<std::mutex> lock(writeMutex_);
    for (auto& [file, pending] : files) {
      flushOne(file, pending);
      dropGathered(file, pending.gatheredUpTo);
    }
  }

  // The gathered defaults of every file whose oldest has waited long enough.
  void writeOverdue() {
    if (!anyGathered_) return;
    const int64_t now = steadyMs();
    std::vector<std::string> due;
    {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      for (const auto& [file, g] : gathered_)
        if (!g.when.empty() && now - g.when.front() >= gLongestWaitMs) due.push_back(file);
    }
    for (const auto& file : due) writeGathered(file);
  }

  // At the end of the process (atExit) the locks are only tried: under
  // Windows the other threads are gone by then, perhaps holding one, and
  // waiting would hang the host's exit. What is skipped is lost as in a crash.
  void writeAllGathered(bool atExit) {
    std::unique_lock<std::mutex> writing(writeMutex_, std::defer_lock);
    if (atExit ? !writing.try_lock() : (writing.lock(), false)) return;
    std::vector<std::string> files;
    {
      std::unique_lock<std::mutex> lock(cacheMutex_, std::defer_lock);
      if (atExit ? !lock.try_lock() : (lock.lock(), false)) return;
      for (const auto& [file, g] : gathered_) files.push_back(file);
    }
    for (const auto& file : files) writeGatheredLocked(file);
  }

 private:
  // A write in the batch of this thread, or at once outside one.
  bool write(Edit edit, const std::string& file) {
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
        // What was gathered for the file goes with this write.
        pending.gatheredUpTo = takeGathered(file, pending.edits, pending.existed);
        for (const auto& e : pending.edits) apply(*pending.doc, e);
        it = files.emplace(file, std::move(pending)).first;
      }
      apply(*it->second.doc, edit);
      it->second.edits.push_back(std::move(edit));
      return true;
    }
    std::lock_guard<std::mutex> lock(writeMutex_);
    int error = 0;
    auto current = load(file, error);
    if (!current && error != ENOENT) return false;
    if (current && !current->changes(edit.section, edit.key, edit.value)) return true;
    std::vector<Edit> edits;
    const uint64_t upTo = takeGathered(file, edits, current != nullptr);
    edits.push_back(std::move(edit));
    FileInfo base;
    auto doc = current ? takeOrCopy(file, current, base) : std::make_shared<IniDocument>();
    for (const auto& e : edits) apply(*doc, e);
    const bool ok = store(file, std::move(*doc));
    dropGathered(file, upTo);
    return ok;
  }

  void flushOne(const std::string& file, Pending& pending) {
    FileInfo now;
    int error = fileSystem().stat(file, now);
    if (error != 0 && error != ENOENT) return;
    if ((error == 0) == pending.existed && (error != 0 || now == pending.base)) {
      store(file, std::move(*pending.doc));
      return;
    }
    auto current = load(file, error);
    if (!current && error != ENOENT) return;
    IniDocument doc = current ? *current : IniDocument();
    for (const auto& e : pending.edits) apply(doc, e);
    store(file, std::move(doc));
  }

  // Keeps a default read back into a large file in memory; false when it is
  // to be written as any other write.
  bool gather(const Edit& edit, const std::string& file) {
    if (!plainNames(edit)) return false;
    if (tBatchOpen && (tBatchOpen->files.count(file) || tBatchOpen->unreadable.count(file))) return false;
    const int64_t now = steadyMs();
    {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      auto it = cache_.find(file);
      if (it == cache_.end() || it->second.info.size < kLargeFile) return false;
      if (!it->second.doc->changes(edit.section, edit.key, edit.value)) return true;
      Gathered& g = gathered_[file];
      if (!g.view.changes(edit.section, edit.key, edit.value)) return true;
      g.view.set(edit.section, edit.key, edit.value);
      g.edits.push_back(edit);
      g.when.push_back(now);
      anyGathered_ = true;
    }
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(writeAtExit); });
    return true;
  }

  std::optional<std::string> gatheredValue(const std::string& file, const std::string& section,
                                           const std::string& key) {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    auto it = gathered_.find(file);
    if (it == gathered_.end()) return std::nullopt;
    return it->second.view.find(section, key);
  }

  // The file's gathered defaults, added to edits (only when the file still
  // exists: one that went away gets its defaults from the reads that find them
  // missing); the number of the last one, 0 for none.
  uint64_t takeGathered(const std::string& file, std::vector<Edit>& edits, bool fileExists) {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    auto it = gathered_.find(file);
    if (it == gathered_.end() || it->second.edits.empty()) return 0;
    if (fileExists) edits.insert(edits.end(), it->second.edits.begin(), it->second.edits.end());
    return it->second.first + it->second.edits.size() - 1;
  }

  // Forgets the gathered defaults up to number upTo: written, or lost with a
  // write that failed (the next read of their keys gathers them again).
  void dropGathered(const std::string& file, uint64_t upTo) {
    if (upTo == 0) return;
    std::lock_guard<std::mutex> lock(cacheMutex_);
    auto it = gathered_.find(file);
    if (it == gathered_.end() || upTo < it->second.first) return;
    Gathered& g = it->second;
    const std::size_t n = std::min<std::size_t>(g.edits.size(), upTo - g.first + 1);
    g.edits.erase(g.edits.begin(), g.edits.begin() + static_cast<std::ptrdiff_t>(n));
    g.when.erase(g.when.begin(), g.when.begin() + static_cast<std::ptrdiff_t>(n));
    g.first += n;
    g.view = IniDocument();
    for (const auto& e : g.edits) g.view.set(e.section, e.key, e.value);
    if (g.edits.empty()) gathered_.erase(it);
    anyGathered_ = !gathered_.empty();
  }

  void writeGathered(const std::string& file) {
    std::lock_guard<std::mutex> lock(writeMutex_);
    writeGatheredLocked(file);
  }

  void writeGatheredLocked(const std::string& file) {
    std::vector<Edit> edits;
    int error = 0;
    auto current = load(file, error);
    const uint64_t upTo = takeGathered(file, edits, current != nullptr);
    bool needed = false;
    for (const auto& e : edits) {
      auto now = current->find(e.section, e.key);
      needed = needed || ((!now || now->empty()) && current->changes(e.section, e.key, e.value));
    }
    if (needed) {
      FileInfo base;
      auto doc = takeOrCopy(file, current, base);
      for (const auto& e : edits) apply(*doc, e);
      store(file, std::move(*doc));
    }
    dropGathered(file, upTo);
  }

  bool store(const std::string& file, IniDocument doc) {
    FileSystem& fs = fileSystem();
    FileInfo before;
    const int error = fs.stat(file, before);
    if (error != 0 && error != ENOENT) return false;
    const bool ok = writeFileAtomically(
        fs, file, [&doc](const auto& put) { return doc.write(kWritePiece, put); },
        error == 0 ? before.permissions : 0644);
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
    std::shared_ptr<const IniDocument> previous;
    {
      std::lock_guard<std::mutex> lock(cacheMutex_);
      auto it = cache_.find(file);
      if (it != cache_.end() && it->second.trusted && it->second.info == info) return it->second.doc;
      if (it != cache_.end()) previous = it->second.doc;
    }
    const int64_t loadedAt = nowNs();
    std::string bytes;
    if ((error = readWholeFile(fs, file, bytes, static_cast<std::size_t>(info.size))) != 0) return nullptr;
    // A copy not trusted (read too soon after a change) is kept when the file
    // reads the same again: comparing costs far less than parsing a large file.
    std::shared_ptr<const IniDocument> doc =
        previous && previous->holds(bytes) ? previous : std::make_shared<IniDocument>(std::move(bytes));
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
  std::mutex cacheMutex_;  // guards cache_, seen_ and gathered_
  std::unordered_map<std::string, Cached> cache_;
  std::set<std::string> seen_;
  std::map<std::string, Gathered> gathered_;
  std::atomic<bool> anyGathered_{false};
};

FileProfile& fileProfile() {
  static FileProfile p;
  return p;
}

void writeAtExit() {
  try {
    fileProfile().writeAllGathered(true);
  } catch (...) {
  }
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
  if (!ending->files.empty()) {
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
  try {
    fileProfile().writeOverdue();
  } catch (...) {
  }
}

long long setLongestDefaultsWaitMs(long long ms) {
  return gLongestWaitMs.exchange(ms);
}

void writeWaitingDefaults() {
  try {
    fileProfile().writeAllGathered(false);
  } catch (...) {
    // Lost silently, as any failed write; the next reads write them again.
  }
}

}  // namespace merid::platform
