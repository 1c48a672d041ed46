#pragma once
// The tasks, kept in one SQLite file (write-ahead log). A task is written and
// committed before the client hears of it, marked running before the first
// call reaches its printer, and finished after the last. One connection,
// guarded by a lock: every statement is short.

#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace meridd {

struct Task {
  int64_t seq = 0;  // the order of acceptance
  std::string id, printer, kind, body, state;
  std::string calls = "[]";  // JSON array of the calls made
  std::string error;
  std::string printerSaid;  // JSON: what the printer reported after an interruption
  std::string created, started, ended;
};

class Store {
 public:
  enum class Added { New, Same, Conflict, Failed };

  Store() = default;
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  bool open(const std::string& file, std::string& error);
  // A new task, or the one already under that id (Same when printer, kind
  // and body match, else Conflict).
  Added add(const Task& task, Task& stored);
  std::optional<Task> get(const std::string& id);
  // The most recent tasks first.
  std::vector<Task> recent(int limit);
  bool markRunning(const std::string& id, const std::string& when);
  bool finish(const std::string& id, const std::string& state, const std::string& calls,
              const std::string& error, const std::string& when);
  bool setPrinterSaid(const std::string& id, const std::string& json);
  // At start: every running task becomes unknown. Returns their ids.
  std::vector<Task> interrupted();
  // The enqueued tasks of a printer, in order of acceptance.
  std::vector<std::string> enqueued(const std::string& printer);

 private:
  bool exec(const char* sql);
  bool run(const char* sql, const std::vector<std::string>& args);
  std::vector<Task> select(const char* sql, const std::vector<std::string>& args);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace meridd
