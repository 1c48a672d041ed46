#include "store.h"

#include <algorithm>
#include <iterator>

#include "process_control.h"

namespace meridd {

namespace {

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS tasks(
  seq INTEGER PRIMARY KEY,  -- tasks are never deleted: the rowid only grows
  id TEXT NOT NULL UNIQUE,
  printer TEXT NOT NULL,
  kind TEXT NOT NULL,
  body TEXT NOT NULL,
  state TEXT NOT NULL,
  calls TEXT NOT NULL DEFAULT '[]',
  error TEXT NOT NULL DEFAULT '',
  printer_said TEXT NOT NULL DEFAULT '',
  created TEXT NOT NULL,
  started TEXT NOT NULL DEFAULT '',
  ended TEXT NOT NULL DEFAULT '');
CREATE INDEX IF NOT EXISTS tasks_queue ON tasks(printer, state, seq);
)";

// The statements, each prepared once per connection (keyed by its address).
#define MERIDD_TASK_COLUMNS                                                                               \
  "SELECT seq, id, printer, kind, body, state, calls, error, printer_said, created, started, ended FROM " \
  "tasks "
const char* const kById = MERIDD_TASK_COLUMNS "WHERE id = ?1";
const char* const kRecent = MERIDD_TASK_COLUMNS "ORDER BY seq DESC LIMIT ?1";
const char* const kRunning = MERIDD_TASK_COLUMNS "WHERE state = 'running'";
const char* const kQueue = MERIDD_TASK_COLUMNS "WHERE printer = ?1 AND state = 'enqueued' ORDER BY seq";
#undef MERIDD_TASK_COLUMNS
const char* const kInsert =
    "INSERT INTO tasks(id, printer, kind, body, state, created) VALUES(?1, ?2, ?3, ?4, 'enqueued', ?5) "
    "ON CONFLICT(id) DO NOTHING";
const char* const kMarkRunning =
    "UPDATE tasks SET state = 'running', started = ?2 WHERE id = ?1 AND state = 'enqueued'";
const char* const kFinish = "UPDATE tasks SET state = ?2, calls = ?3, error = ?4, ended = ?5 WHERE id = ?1";
const char* const kPrinterSaid = "UPDATE tasks SET printer_said = ?2 WHERE id = ?1";
const char* const kToUnknown = "UPDATE tasks SET state = 'unknown' WHERE state = 'running'";
const char* const kUnsynced = "PRAGMA synchronous=NORMAL";
// Pages in the log after which it is copied into the database (SQLite's own default).
constexpr int kCheckpointPages = 1000;

// The text columns after seq, in the order of the SELECTs above.
std::string Task::*const kTexts[] = {&Task::id,      &Task::printer, &Task::kind,  &Task::body,
                                     &Task::state,   &Task::calls,   &Task::error, &Task::printerSaid,
                                     &Task::created, &Task::started, &Task::ended};

std::string text(sqlite3_stmt* st, int column) {
  const unsigned char* t = sqlite3_column_text(st, column);
  return t ? reinterpret_cast<const char*>(t) : "";
}

#if defined(_WIN32)
const char* const kVfs = nullptr;
#else
// The file is this process's alone: a second service on it fails to start
// instead of running the same tasks, and the log's index is kept in memory,
// so a transaction makes no locking calls to the system.
const char* const kVfs = "unix-excl";
#endif

// Lets go of the statement's read or write lock whatever way the scope is left.
struct Reset {
  sqlite3_stmt* st;
  ~Reset() {
    if (st) sqlite3_reset(st);
  }
};

}  // namespace

Store::Connection::~Connection() {
  for (auto& [sql, st] : prepared) sqlite3_finalize(st);
  sqlite3_close(db);
}

bool Store::Connection::open(const std::string& file, int flags, std::string& error) {
  if (sqlite3_open_v2(file.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, kVfs) != SQLITE_OK) {
    error = "cannot open " + file + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    return false;
  }
  sqlite3_busy_timeout(db, 5000);
  return true;
}

sqlite3_stmt* Store::Connection::statement(const char* sql, const std::vector<std::string>& args) {
  sqlite3_stmt*& st = prepared[sql];
  if (!st && sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    st = nullptr;
    return nullptr;
  }
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  for (std::size_t i = 0; i < args.size(); ++i)
    sqlite3_bind_text(st, static_cast<int>(i + 1), args[i].data(), static_cast<int>(args[i].size()),
                      SQLITE_TRANSIENT);
  return st;
}

bool Store::Connection::run(const char* sql, const std::vector<std::string>& args) {
  Reset r{statement(sql, args)};
  if (!r.st) return false;
  const int rc = sqlite3_step(r.st);
  return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

std::vector<Task> Store::Connection::select(const char* sql, const std::vector<std::string>& args) {
  std::vector<Task> out;
  Reset r{statement(sql, args)};
  if (!r.st) return out;
  while (sqlite3_step(r.st) == SQLITE_ROW) {
    Task t;
    t.seq = sqlite3_column_int64(r.st, 0);
    for (std::size_t c = 0; c < std::size(kTexts); ++c) t.*kTexts[c] = text(r.st, static_cast<int>(c + 1));
    out.push_back(std::move(t));
  }
  return out;
}

Store::~Store() {
  {
    std::lock_guard<std::mutex> lock(checkpointMutex_);
    closing_ = true;
  }
  checkpointWake_.notify_all();
  if (checkpointThread_.joinable()) checkpointThread_.join();
  syncLog_ = nullptr;  // before the connections: the last one to close removes the log
}

int Store::onCommit(void* store, sqlite3*, const char*, int pages) {
  if (pages >= kCheckpointPages) {
    Store* self = static_cast<Store*>(store);
    {
      std::lock_guard<std::mutex> lock(self->checkpointMutex_);
      self->checkpointDue_ = true;
    }
    self->checkpointWake_.notify_one();
  }
  return SQLITE_OK;
}

void Store::checkpoints() {
  std::unique_lock<std::mutex> lock(checkpointMutex_);
  for (;;) {
    checkpointWake_.wait(lock, [&] { return checkpointDue_ || closing_; });
    if (closing_) return;
    checkpointDue_ = false;
    lock.unlock();
    // Passive: it copies what no reader still needs and never blocks a commit.
    sqlite3_wal_checkpoint_v2(checkpointer_.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    lock.lock();
  }
}

bool Store::syncMarks(uint64_t mark) {
  std::unique_lock<std::mutex> lock(syncMutex_);
  while (durable_ < mark) {
    if (syncing_) {
      syncEnded_.wait(lock);
      continue;
    }
    syncing_ = true;
    const uint64_t covered = marks_.load();  // all of them are in the log already
    lock.unlock();
    const bool synced = syncLog_();
    lock.lock();
    syncing_ = false;
    if (synced) durable_ = std::max(durable_, covered);
    syncEnded_.notify_all();
    if (!synced) return false;
  }
  return true;
}

bool Store::open(const std::string& file, std::string& error) {
  if (!writer_.open(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error)) return false;
  auto exec = [&](const char* sql) {
    return sqlite3_exec(writer_.db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  };
  if (!exec("PRAGMA journal_mode=WAL") || !exec(kUnsynced) || !exec(kSchema)) {
    error = file + ": " +
            (sqlite3_errcode(writer_.db) == SQLITE_BUSY ? "in use by another process (another meridd?)"
                                                        : sqlite3_errmsg(writer_.db));
    return false;
  }
  // The schema is written or read by now, so the log exists.
  if (!reader_.open(file, SQLITE_OPEN_READWRITE, error) ||
      !checkpointer_.open(file, SQLITE_OPEN_READWRITE, error) ||
      !(syncLog_ = fileSyncer(file + "-wal", error)))
    return false;
  sqlite3_wal_hook(writer_.db, &Store::onCommit, this);  // in place of SQLite's checkpoints in commits
  checkpointThread_ = std::thread([this] { checkpoints(); });
  return true;
}

Store::Added Store::add(const Task& task, Task& stored) {
  std::lock_guard<std::mutex> lock(writer_.mutex);
  if (!writer_.run(kInsert, {task.id, task.printer, task.kind, task.body, task.created}))
    return Added::Failed;
  if (sqlite3_changes(writer_.db) == 1) {
    stored = task;
    stored.seq = sqlite3_last_insert_rowid(writer_.db);
    stored.state = "enqueued";
    stored.calls = "[]";
    stored.error = stored.printerSaid = stored.started = stored.ended = "";
    return Added::New;
  }
  auto found = writer_.select(kById, {task.id});
  if (found.empty()) return Added::Failed;
  stored = found.front();
  const bool same = stored.printer == task.printer && stored.kind == task.kind && stored.body == task.body;
  return same ? Added::Same : Added::Conflict;
}

std::optional<Task> Store::get(const std::string& id) {
  std::lock_guard<std::mutex> lock(reader_.mutex);
  auto found = reader_.select(kById, {id});
  if (found.empty()) return std::nullopt;
  return found.front();
}

std::vector<Task> Store::recent(int limit) {
  std::lock_guard<std::mutex> lock(reader_.mutex);
  return reader_.select(kRecent, {std::to_string(limit)});
}

bool Store::markRunning(const std::string& id, const std::string& when) {
  uint64_t mark = 0;
  {
    std::lock_guard<std::mutex> lock(writer_.mutex);
    if (!writer_.run(kMarkRunning, {id, when}) || sqlite3_changes(writer_.db) != 1) return false;
    mark = ++marks_;
  }
  return syncMarks(mark);
}

bool Store::finish(const std::string& id, const std::string& state, const std::string& calls,
                   const std::string& error, const std::string& when) {
  std::lock_guard<std::mutex> lock(writer_.mutex);
  return writer_.run(kFinish, {id, state, calls, error, when});
}

bool Store::setPrinterSaid(const std::string& id, const std::string& json) {
  std::lock_guard<std::mutex> lock(writer_.mutex);
  return writer_.run(kPrinterSaid, {id, json});
}

std::vector<Task> Store::interrupted() {
  std::lock_guard<std::mutex> lock(writer_.mutex);
  auto tasks = writer_.select(kRunning, {});
  writer_.run(kToUnknown, {});
  for (auto& t : tasks) t.state = "unknown";
  return tasks;
}

std::vector<Task> Store::enqueued(const std::string& printer) {
  std::lock_guard<std::mutex> lock(writer_.mutex);
  return writer_.select(kQueue, {printer});
}

}  // namespace meridd
