// What meridd itself costs per task, on a printer library that answers at
// once. ReceiptTask: a receipt posted over HTTP, checked, stored in SQLite,
// queued, run through the core, and waited for with GET /tasks/{id}?wait.
// AcceptTask: the POST alone, until the 202. Each reports the median and the
// 99th percentile of each client thread's latencies (averaged over the
// threads), at 1 and 8 concurrent clients, each client a till with its own
// printer and its connection kept open. Flat out, 8 clients keep 8 tasks in
// flight on a machine of few cores, so a task's latency is mostly its wait
// for a core (the time per iteration, wall time over all tasks, is the cost
// of a task then). ReceiptTaskPaced/8 sends at a fixed rate instead, 8 tills
// at 50 tasks a second each (a printer prints one receipt a second), each
// starting its next task at its own next tick: the latency of a task among
// concurrent ones when the machine is not saturated. ReceiptTaskOnePrinter
// puts 8 clients on one printer: a task also waits for the tasks queued
// before it. The database goes in $MERIDD_BENCH_DIR, else the temporary
// folder: put it on a disk, not on tmpfs, for the cost of the one synced
// commit per task.

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <thread>

#include "service.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPrinters = 8;

struct Running {
  fs::path dir;
  std::unique_ptr<meridd::Service> service;
  std::thread thread;
  int port = 0;

  Running() {
    const char* where = std::getenv("MERIDD_BENCH_DIR");
    dir = fs::path(where && *where ? where : fs::temp_directory_path().string()) /
          ("meridd-bench-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    meridd::Config c;
    c.port = 0;
    c.database = (dir / "tasks.sqlite").string();
    for (int i = 0; i < kPrinters; ++i) {
      meridd::PrinterConfig p;
      p.id = "p" + std::to_string(i);
      p.library = MERIDD_INSTANT_CEFDLL;
      p.home = (dir / ("home" + std::to_string(i))).string();
      c.printers.push_back(p);
    }
    service = std::make_unique<meridd::Service>(c);
    std::string error;
    port = service->start(error);
    thread = std::thread([this] { service->serve(); });
  }
  ~Running() {
    service->stop();
    thread.join();
    service.reset();
    fs::remove_all(dir);
  }
};

Running& running() {
  static Running r;
  return r;
}

std::atomic<int> gSerial{0};

void report(benchmark::State& state, std::vector<double>& micros) {
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  auto at = [&](double q) {
    return micros[std::min(micros.size() - 1, static_cast<std::size_t>(q * micros.size()))];
  };
  state.counters["p50_us"] = benchmark::Counter(at(0.5), benchmark::Counter::kAvgThreads);
  state.counters["p99_us"] = benchmark::Counter(at(0.99), benchmark::Counter::kAvgThreads);
}

// One receipt posted under a new task id; the id, or "" when it was not
// accepted. Its time goes into micros when `until` is null; else `until`
// runs after the POST and the time covers both.
std::string postReceipt(httplib::Client& client, const std::string& printer, std::vector<double>& micros,
                        const std::function<bool(const std::string&)>& until = nullptr) {
  const std::string id = "t" + std::to_string(gSerial++) + "-" + std::to_string(::getpid());
  const nlohmann::json body = {{"taskId", id},
                               {"items", {{{"description", "PANE"}, {"quantity", 2}, {"unitPrice", 1.25}}}},
                               {"payments", {{{"amount", 5}, {"description", "Contanti"}}}}};
  const auto start = std::chrono::steady_clock::now();
  auto posted = client.Post(("/printers/" + printer + "/receipt").c_str(), body.dump(), "application/json");
  const bool ok = posted && posted->status == 202 && (!until || until(id));
  micros.push_back(
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  return ok ? id : "";
}

// A client as a till would keep one: the connection stays open between tasks.
httplib::Client clientOf(const Running& r) {
  httplib::Client client("127.0.0.1", r.port);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  client.set_read_timeout(30, 0);
  return client;
}

// The printer of this client thread: its own, or p0 for all.
std::string printerOf(const benchmark::State& state, bool own) {
  return "p" + std::to_string(own ? state.thread_index() % kPrinters : 0);
}

// tick: the time between two tasks of one client, zero for flat out.
void receiptTasks(benchmark::State& state, bool ownPrinter,
                  std::chrono::microseconds tick = std::chrono::microseconds(0)) {
  Running& r = running();
  const std::string printer = printerOf(state, ownPrinter);
  httplib::Client client = clientOf(r);
  std::vector<double> micros;
  auto ended = [&](const std::string& id) {
    auto done = client.Get(("/tasks/" + id + "?wait=30").c_str());
    return done && done->body.find("\"done\"") != std::string::npos;
  };
  // The clients' ticks spread over one tick, so that they do not all send at once.
  auto next = std::chrono::steady_clock::now() + tick * state.thread_index() / state.threads();
  for (auto _ : state) {
    if (tick.count() > 0) {
      std::this_thread::sleep_until(next);
      next += tick;
    }
    if (postReceipt(client, printer, micros, ended).empty()) {
      state.SkipWithError("a task did not end done");
      break;
    }
  }
  report(state, micros);
}
void BM_ReceiptTaskPaced(benchmark::State& state) {
  receiptTasks(state, true, std::chrono::milliseconds(20));
}
void BM_ReceiptTask(benchmark::State& state) {
  receiptTasks(state, true);
}
void BM_ReceiptTaskOnePrinter(benchmark::State& state) {
  receiptTasks(state, false);
}
// The acceptance alone: POST until the 202, the task committed to the file.
void BM_AcceptTask(benchmark::State& state) {
  Running& r = running();
  httplib::Client client = clientOf(r);
  const std::string printer = printerOf(state, true);
  std::vector<double> micros;
  for (auto _ : state) {
    if (postReceipt(client, printer, micros).empty()) {
      state.SkipWithError("a task was not accepted");
      break;
    }
  }
  report(state, micros);
}

BENCHMARK(BM_ReceiptTask)->Threads(1)->Threads(8)->Iterations(500)->UseRealTime();
BENCHMARK(BM_ReceiptTaskPaced)->Threads(8)->Iterations(500)->UseRealTime();
BENCHMARK(BM_ReceiptTaskOnePrinter)->Threads(8)->Iterations(500)->UseRealTime();
// Last: the tasks it leaves queued would delay the measure above.
BENCHMARK(BM_AcceptTask)->Threads(1)->Threads(8)->Iterations(500)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
