#pragma once
// The print service: the HTTP API in front, the task store, and one worker
// thread per printer that runs that printer's tasks one at a time, in the
// order they were accepted.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "config.h"
#include "merid/host.h"
#include "store.h"

namespace httplib {
class Server;
}

namespace meridd {

class Worker {
 public:
  Worker(const PrinterConfig& printer, Store& store, std::function<void(const std::string&)> onTaskEnd);
  ~Worker();
  void start(std::vector<Task> interrupted);
  void stop();
  void push(Task task);
  // Asks the printer for its status between two tasks.
  std::future<nlohmann::json> status();
  const PrinterConfig& printer() const { return printer_; }
  std::size_t waiting();
  // On the worker's thread, when the printer needs an operator: true after a
  // short wait while the printer's wait for one lasts, false to give up.
  bool waitForOperator();

 private:
  void run(std::vector<Task> interrupted);
  void runTask(const Task& task);
  nlohmann::json askStatus();

  PrinterConfig printer_;
  Store& store_;
  std::function<void(const std::string&)> onTaskEnd_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> queue_;
  std::deque<std::promise<nlohmann::json>> statusRequests_;
  bool stopping_ = false;
  std::optional<std::chrono::steady_clock::time_point> operatorDeadline_;  // of the running task
  std::thread thread_;
};

class Service {
 public:
  explicit Service(Config config);
  ~Service();
  // Opens the store, starts the workers and binds the address; the port
  // actually bound (the configured one, or a free one for 0), or -1.
  int start(std::string& error);
  // Serves until stop() (from another thread or a signal handler's helper).
  void serve();
  void stop();

 private:
  void routes();
  void taskEnded(const std::string& id);
  // The long poll of GET /tasks/{id}?wait: a waiter watches its task's id
  // and wakes at that task's end only, not at every task's.
  uint64_t endsOf(const std::string& id);
  void watch(const std::string& id, int change);
  void waitEnd(const std::string& id, uint64_t seen, std::chrono::steady_clock::time_point deadline);

  Config config_;
  Store store_;
  std::unique_ptr<httplib::Server> server_;
  std::map<std::string, std::unique_ptr<Worker>> workers_;
  std::mutex submitMutex_;  // acceptance order is queue order
  std::mutex endMutex_;
  std::condition_variable ended_;
  struct Watched {
    int waiters = 0;
    uint64_t ends = 0;
  };
  std::map<std::string, Watched> watched_;
  merid::PromptHandler previousPrompt_;
  bool promptSet_ = false;
};

// "2026-12-06T01:02:03.456Z"
std::string utcNow();

}  // namespace meridd
