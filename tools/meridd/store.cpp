#include "store.h"

namespace meridd {

namespace {

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS tasks(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
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

const char* const kColumns =
    "seq, id, printer, kind, body, state, calls, error, printer_said, created, started, ended";

std::string text(sqlite3_stmt* st, int column) {
  const unsigned char* t = sqlite3_column_text(st, column);
  return t ? reinterpret_cast<const char*>(t) : "";
}

// Finalizes the statement whatever way the scope is left.
struct Statement {
  sqlite3_stmt* st = nullptr;
  ~Statement() { sqlite3_finalize(st); }
};

}  // namespace

Store::~Store() {
  sqlite3_close(db_);
}

bool Store::open(const std::string& file, std::string& error) {
  if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    error = "cannot open " + file + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
    return false;
  }
  sqlite3_busy_timeout(db_, 5000);
  // FULL: a task the client was told about survives a power cut too.
  if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=FULL") || !exec(kSchema)) {
    error = file + ": " + sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool Store::exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool Store::run(const char* sql, const std::vector<std::string>& args) {
  Statement s;
  if (sqlite3_prepare_v2(db_, sql, -1, &s.st, nullptr) != SQLITE_OK) return false;
  for (std::size_t i = 0; i < args.size(); ++i)
    sqlite3_bind_text(s.st, static_cast<int>(i + 1), args[i].data(), static_cast<int>(args[i].size()),
                      SQLITE_TRANSIENT);
  return sqlite3_step(s.st) == SQLITE_DONE;
}

std::vector<Task> Store::select(const char* sql, const std::vector<std::string>& args) {
  std::vector<Task> out;
  Statement s;
  if (sqlite3_prepare_v2(db_, sql, -1, &s.st, nullptr) != SQLITE_OK) return out;
  for (std::size_t i = 0; i < args.size(); ++i)
    sqlite3_bind_text(s.st, static_cast<int>(i + 1), args[i].data(), static_cast<int>(args[i].size()),
                      SQLITE_TRANSIENT);
  while (sqlite3_step(s.st) == SQLITE_ROW) {
    Task t;
    t.seq = sqlite3_column_int64(s.st, 0);
    t.id = text(s.st, 1);
    t.printer = text(s.st, 2);
    t.kind = text(s.st, 3);
    t.body = text(s.st, 4);
    t.state = text(s.st, 5);
    t.calls = text(s.st, 6);
    t.error = text(s.st, 7);
    t.printerSaid = text(s.st, 8);
    t.created = text(s.st, 9);
    t.started = text(s.st, 10);
    t.ended = text(s.st, 11);
    out.push_back(std::move(t));
  }
  return out;
}

Store::Added Store::add(const Task& task, Task& stored) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string byId = std::string("SELECT ") + kColumns + " FROM tasks WHERE id = ?1";
  auto found = select(byId.c_str(), {task.id});
  if (found.empty()) {
    if (!run("INSERT INTO tasks(id, printer, kind, body, state, created) VALUES(?1, ?2, ?3, ?4, 'enqueued', "
             "?5)",
             {task.id, task.printer, task.kind, task.body, task.created}))
      return Added::Failed;
    found = select(byId.c_str(), {task.id});
    if (found.empty()) return Added::Failed;
    stored = found.front();
    return Added::New;
  }
  stored = found.front();
  const bool same = stored.printer == task.printer && stored.kind == task.kind && stored.body == task.body;
  return same ? Added::Same : Added::Conflict;
}

std::optional<Task> Store::get(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = select((std::string("SELECT ") + kColumns + " FROM tasks WHERE id = ?1").c_str(), {id});
  if (found.empty()) return std::nullopt;
  return found.front();
}

std::vector<Task> Store::recent(int limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  return select((std::string("SELECT ") + kColumns + " FROM tasks ORDER BY seq DESC LIMIT ?1").c_str(),
                {std::to_string(limit)});
}

bool Store::markRunning(const std::string& id, const std::string& when) {
  std::lock_guard<std::mutex> lock(mutex_);
  return run("UPDATE tasks SET state = 'running', started = ?2 WHERE id = ?1 AND state = 'enqueued'",
             {id, when}) &&
         sqlite3_changes(db_) == 1;
}

bool Store::finish(const std::string& id, const std::string& state, const std::string& calls,
                   const std::string& error, const std::string& when) {
  std::lock_guard<std::mutex> lock(mutex_);
  return run("UPDATE tasks SET state = ?2, calls = ?3, error = ?4, ended = ?5 WHERE id = ?1",
             {id, state, calls, error, when});
}

bool Store::setPrinterSaid(const std::string& id, const std::string& json) {
  std::lock_guard<std::mutex> lock(mutex_);
  return run("UPDATE tasks SET printer_said = ?2 WHERE id = ?1", {id, json});
}

std::vector<Task> Store::interrupted() {
  std::lock_guard<std::mutex> lock(mutex_);
  auto tasks =
      select((std::string("SELECT ") + kColumns + " FROM tasks WHERE state = 'running'").c_str(), {});
  run("UPDATE tasks SET state = 'unknown' WHERE state = 'running'", {});
  for (auto& t : tasks) t.state = "unknown";
  return tasks;
}

std::vector<std::string> Store::enqueued(const std::string& printer) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> ids;
  for (auto& t : select((std::string("SELECT ") + kColumns +
                         " FROM tasks WHERE printer = ?1 AND state = 'enqueued' ORDER BY seq")
                            .c_str(),
                        {printer}))
    ids.push_back(t.id);
  return ids;
}

}  // namespace meridd
