#pragma once
// The tasks, kept in one SQLite file in write-ahead-log mode.
//
// What is promised, and what each write costs for it:
//
// - A task is committed before the client hears of it (the 202), and its end
//   is committed when it ends. These commits are not synced
//   (synchronous=NORMAL): in WAL mode a commit is in the operating system as
//   soon as it returns, so a crash or a kill -9 of the service loses none of
//   them. Only a power cut or a crash of the whole machine can take back the
//   last ones.
// - The running mark, written before the first call reaches the printer, is
//   committed, then made durable by a sync of the log before the call is
//   made. Syncing the log makes every commit before it durable too: the
//   task's acceptance, and the ends of the tasks before it. The sync is made
//   outside the writer's lock, so acceptances do not wait for the disk, and
//   printers marking tasks at the same time share one sync.
//
// So after a power cut: a task that reached the printer is at least `running`
// on disk, and becomes `unknown` at the next start, never run again by
// itself; a task whose end was lost shows as `unknown`, not as a rerun; a
// task accepted but not yet started may be gone, and its client finds 404
// under its id, so sending it again under the same id prints it once. One
// fsync per printed task, none per acceptance.
//
// Three connections: one writes, under a lock, with its statements prepared
// once; one reads, under its own lock (the log lets readers run beside a
// writer); one, on a thread of its own, copies the log into the database
// when it has grown, which SQLite would otherwise do inside a commit, so
// that one task in a few hundred would wait for it.

#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
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
  // Durable when it returns true: see above.
  bool markRunning(const std::string& id, const std::string& when);
  bool finish(const std::string& id, const std::string& state, const std::string& calls,
              const std::string& error, const std::string& when);
  bool setPrinterSaid(const std::string& id, const std::string& json);
  // At start: every running task becomes unknown. Returns their ids.
  std::vector<Task> interrupted();
  // The enqueued tasks of a printer, in order of acceptance.
  std::vector<Task> enqueued(const std::string& printer);

 private:
  // One connection and its prepared statements.
  struct Connection {
    sqlite3* db = nullptr;
    std::map<const char*, sqlite3_stmt*> prepared;  // by the address of the SQL text
    std::mutex mutex;
    ~Connection();
    bool open(const std::string& file, int flags, std::string& error);
    // The statement ready to bind and step, or nullptr.
    sqlite3_stmt* statement(const char* sql, const std::vector<std::string>& args);
    bool run(const char* sql, const std::vector<std::string>& args);
    std::vector<Task> select(const char* sql, const std::vector<std::string>& args);
  };

  // Makes durable every running mark up to `mark`, the count of marks
  // committed when it was: the caller leads one sync of the log, or waits
  // for the one under way to end and checks again.
  bool syncMarks(uint64_t mark);
  static int onCommit(void* store, sqlite3*, const char*, int pages);
  void checkpoints();

  Connection writer_, reader_, checkpointer_;
  std::function<bool()> syncLog_;
  std::atomic<uint64_t> marks_{0};  // running marks committed
  std::mutex syncMutex_;
  std::condition_variable syncEnded_;
  uint64_t durable_ = 0;  // running marks known to be on disk
  bool syncing_ = false;
  std::mutex checkpointMutex_;
  std::condition_variable checkpointWake_;
  bool checkpointDue_ = false, closing_ = false;
  std::thread checkpointThread_;
};

}  // namespace meridd
