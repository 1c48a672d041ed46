#include "service.h"

#include <httplib.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "documents.h"
#include "merid/MeridDLLManager.h"
#include "merid/codepage.h"
#include "merid/host.h"
#include "page.h"
#include "virtual_printer.h"

namespace meridd {

namespace {

using nlohmann::json;

constexpr std::size_t kMaxBody = 1 << 20;
constexpr int kMaxWaitSeconds = 60;

// The operator prompts of the call a worker thread is making; null on other
// threads, whose prompts are given up at once.
thread_local std::vector<std::string>* tPrompts = nullptr;
thread_local Worker* tWorker = nullptr;

// Nobody stands at a service's console: a prompt is recorded for the task's
// client and given up, after the printer's configured wait for an operator.
merid::PromptAnswer answerPrompt(const std::string& text, const std::string&) {
  if (!tPrompts || !tWorker) return merid::PromptAnswer::GiveUp;
  tPrompts->push_back(merid::ansiToUtf8(text));
  return tWorker->waitForOperator() ? merid::PromptAnswer::Ok : merid::PromptAnswer::GiveUp;
}

bool terminal(const std::string& state) {
  return state == "done" || state == "failed" || state == "unknown";
}

bool plainId(const std::string& s) {
  if (s.empty() || s.size() > 64) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.' && c != ':')
      return false;
  return true;
}

std::string newTaskId() {
  static std::mutex mutex;
  static std::mt19937_64 random{std::random_device{}()};
  std::lock_guard<std::mutex> lock(mutex);
  char out[33];
  std::snprintf(out, sizeof out, "%016llx%016llx", static_cast<unsigned long long>(random()),
                static_cast<unsigned long long>(random()));
  return out;
}

// "127.0.0.1:8710", "localhost", "[::1]:8710".
bool loopbackHost(const std::string& host) {
  std::string name = host;
  if (!name.empty() && name.front() == '[') {
    name = name.substr(0, name.find(']') + 1);
  } else if (auto colon = name.rfind(':'); colon != std::string::npos) {
    name = name.substr(0, colon);
  }
  return name == "localhost" || name == "[::1]" || (name.rfind("127.", 0) == 0 && isLoopback(name));
}

json taskJson(const Task& t) {
  json calls = json::parse(t.calls, nullptr, false);
  json said = t.printerSaid.empty() ? json() : json::parse(t.printerSaid, nullptr, false);
  auto orNull = [](const std::string& s) { return s.empty() ? json() : json(s); };
  return {{"taskId", t.id},          {"printer", t.printer}, {"kind", t.kind},
          {"state", t.state},        {"calls", calls},       {"error", orNull(t.error)},
          {"printerSaid", said},     {"created", t.created}, {"started", orNull(t.started)},
          {"ended", orNull(t.ended)}};
}

void reply(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(), "application/json");
}

void bad(httplib::Response& res, int status, const std::string& field, const std::string& message) {
  reply(res, status, {{"error", message}, {"field", field}});
}

const merid::Outcome& outcomeOf(const Call& c, const Objects& o) {
  switch (c.object) {
    case Call::Invoice:
      return o.invoice.UltimoEsito();
    case Call::CreditNote:
      return o.creditNote.UltimoEsito();
    case Call::Receipt:
      break;
  }
  return o.receipt.UltimoEsito();
}

// The record of one call: the answer, and what the call did beside it.
json callRecord(const Call& c, std::optional<bool> result, const Objects& objects,
                const std::vector<std::string>& prompts) {
  const merid::Outcome& o = outcomeOf(c, objects);
  json outcome = {{"kind", merid::outcomeKindName(o.kind)},
                  {"summary", merid::ansiToUtf8(o.summary())},
                  {"code", o.code},
                  {"codeName", o.codeName()},
                  {"prompts", o.prompts},
                  {"command", merid::ansiToUtf8(o.command)},
                  {"answer", o.answer},
                  {"commands", o.commands}};
  if (o.kind == merid::OutcomeKind::NotSent) {
    outcome["reason"] = merid::notSentReasonName(o.reason);
    outcome["detail"] = merid::ansiToUtf8(o.detail);
  }
  if (!prompts.empty()) outcome["operatorPrompts"] = prompts;
  return {{"method", c.method},
          {"args", c.args},
          {"result", result ? json(*result) : json()},
          {"outcome", outcome}};
}

// Why the task stops after this call, or "" to go on. A call that answered
// true may still have been refused by the printer or not have reached it.
std::string stopReason(const Call& c, std::optional<bool> result, const merid::Outcome& o,
                       const std::vector<std::string>& prompts) {
  std::string why;
  if (result && !*result)
    why = c.method + " answered false (" + merid::ansiToUtf8(o.summary()) + ")";
  else if (o.kind == merid::OutcomeKind::Refused || o.kind == merid::OutcomeKind::NotSent ||
           o.kind == merid::OutcomeKind::GaveUp || o.kind == merid::OutcomeKind::Unknown)
    why = c.method + ": " + merid::ansiToUtf8(o.summary());
  if (!why.empty() && !prompts.empty()) why += "; the printer asked for an operator: " + prompts.back();
  return why;
}

// What the status reply says of an open document: true or false where the
// printer tells (the virtual printer puts its document state, a digit from 0
// for none to 6, before the fault flags), else null.
json documentOpen(bool virtualPrinter, merid::MeridCodeErrors code, const std::string& reply) {
  if (!virtualPrinter || code == merid::ECK_NonConnesso || reply.empty()) return json();
  if (reply[0] < '0' || reply[0] > '6') return json();
  return reply[0] != '0';
}

}  // namespace

std::string utcNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
#if defined(_WIN32)
  gmtime_s(&tm, &t);
#else
  gmtime_r(&t, &tm);
#endif
  char out[80];
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::snprintf(out, sizeof out, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
  return out;
}

// --- Worker ---------------------------------------------------------------

Worker::Worker(const PrinterConfig& printer, Store& store, std::function<void(const std::string&)> onTaskEnd)
    : printer_(printer), store_(store), onTaskEnd_(std::move(onTaskEnd)) {}

Worker::~Worker() {
  stop();
}

void Worker::start(std::vector<Task> interrupted) {
  thread_ =
      std::thread([this, interrupted = std::move(interrupted)]() mutable { run(std::move(interrupted)); });
}

void Worker::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& p : statusRequests_) p.set_value({{"error", "the service is stopping"}});
  statusRequests_.clear();
}

void Worker::push(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(task));
  }
  wake_.notify_one();
}

std::size_t Worker::waiting() {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

std::future<json> Worker::status() {
  std::lock_guard<std::mutex> lock(mutex_);
  statusRequests_.emplace_back();
  auto f = statusRequests_.back().get_future();
  if (stopping_) {
    statusRequests_.back().set_value({{"error", "the service is stopping"}});
    statusRequests_.pop_back();
  }
  wake_.notify_one();
  return f;
}

json Worker::askStatus() {
  Objects o;
  int16_t port = static_cast<int16_t>(printer_.port);
  o.receipt.InitComunicazione(port);
  const bool connected = o.receipt.IsConnected();
  const merid::MeridCodeErrors code = o.receipt.StatoStampante();
  return {{"connected", connected},
          {"status", static_cast<int>(code)},
          {"name", std::string(merid::codeErrorName(code))},
          {"documentOpen",
           documentOpen(!printer_.simulatorFolder.empty(), code, o.receipt.UltimoEsito().dataRead)},
          {"at", utcNow()}};
}

bool Worker::waitForOperator() {
  const auto now = std::chrono::steady_clock::now();
  if (!operatorDeadline_) operatorDeadline_ = now + std::chrono::seconds(printer_.operatorWaitSeconds);
  if (now >= *operatorDeadline_) return false;
  // A look at the printer each second until the deadline: answering OK makes
  // the library check it again, and ask again while the fault is there.
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.wait_until(lock, std::min(now + std::chrono::seconds(1), *operatorDeadline_),
                   [&] { return stopping_; });
  return !stopping_;
}

void Worker::run(std::vector<Task> interrupted) {
  // This thread is the printer: its library file and settings folder.
  merid::setThreadPrinterLibrary(printer_.library);
  merid::setThreadHomeFolder(printer_.home);
  std::vector<std::string> prompts;
  tPrompts = &prompts;
  tWorker = this;
  if (!interrupted.empty()) {
    // What the printer says now, for the person who checks its journal. A
    // receipt cut short is still open on the printer: voided, so that the
    // next task's lines do not join it. The interrupted task is not run again.
    json said = askStatus();
    bool receipt = false;
    for (const auto& t : interrupted) receipt = receipt || t.kind == "receipt";
    if (receipt) {
      Objects o;
      int16_t port = static_cast<int16_t>(printer_.port);
      o.receipt.InitComunicazione(port);
      said["voidedOpenReceipt"] = o.receipt.Manutenzione_AnnulloScontrinoAperto();
    }
    for (const auto& t : interrupted) store_.setPrinterSaid(t.id, said.dump());
  }
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [&] { return stopping_ || !queue_.empty() || !statusRequests_.empty(); });
    if (stopping_) return;
    if (!statusRequests_.empty()) {
      auto promise = std::move(statusRequests_.front());
      statusRequests_.pop_front();
      lock.unlock();
      promise.set_value(askStatus());
      continue;
    }
    const Task task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    runTask(task);
    onTaskEnd_(task.id);
  }
}

void Worker::runTask(const Task& task) {
  const std::string& id = task.id;
  Plan plan;
  const json body = json::parse(task.body, nullptr, false);
  if (auto refused = planDocument(task.kind, body, printer_.port, plan)) {
    store_.finish(id, "failed", "[]", refused->field + ": " + refused->message, utcNow());
    return;
  }
  if (!store_.markRunning(id, utcNow())) {
    // Never printed. Not marked: it stays enqueued for the next start. Marked
    // but not on disk: a crash now could lose the mark, so nothing is sent.
    const auto now = store_.get(id);
    if (now && now->state == "running")
      store_.finish(id, "failed", "[]", "the task file could not be synced: nothing was sent", utcNow());
    return;
  }
  json calls = json::array();
  std::string error;
  bool unknown = false;  // the printer may have executed a command or not
  try {
    Objects objects;
    operatorDeadline_.reset();
    auto make = [&](const Call& call) {
      tPrompts->clear();
      const std::optional<bool> result = call.run(objects);
      calls.push_back(callRecord(call, result, objects, *tPrompts));
      return result;
    };
    for (std::size_t i = 0; i < plan.calls.size() && error.empty(); ++i) {
      const Call& call = plan.calls[i];
      const std::optional<bool> result = make(call);
      error = stopReason(call, result, outcomeOf(call, objects), *tPrompts);
      unknown = outcomeOf(call, objects).kind == merid::OutcomeKind::Unknown;
      if (!error.empty() && i > plan.opens)
        for (const Call& after : plan.afterRefusal) make(after);
    }
  } catch (const std::exception& e) {
    error = std::string("unexpected failure: ") + e.what();
  }
  // What the printer says is stored first: a client that sees the end sees it.
  if (!error.empty()) store_.setPrinterSaid(id, askStatus().dump());
  store_.finish(id, error.empty() ? "done" : unknown ? "unknown" : "failed", calls.dump(), error, utcNow());
}

// --- Service --------------------------------------------------------------

Service::Service(Config config) : config_(std::move(config)), server_(std::make_unique<httplib::Server>()) {}

Service::~Service() {
  stop();
}

void Service::taskEnded(const std::string& id) {
  {
    std::lock_guard<std::mutex> lock(endMutex_);
    auto w = watched_.find(id);
    if (w == watched_.end()) return;
    ++w->second.ends;
  }
  ended_.notify_all();
}

uint64_t Service::endsOf(const std::string& id) {
  std::lock_guard<std::mutex> lock(endMutex_);
  return watched_[id].ends;
}

void Service::watch(const std::string& id, int change) {
  std::lock_guard<std::mutex> lock(endMutex_);
  Watched& w = watched_[id];
  w.waiters += change;
  if (w.waiters <= 0) watched_.erase(id);
}

void Service::waitEnd(const std::string& id, uint64_t seen, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(endMutex_);
  ended_.wait_until(lock, deadline, [&] { return watched_[id].ends != seen; });
}

int Service::start(std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(config_.database).parent_path(), ec);
  if (!store_.open(config_.database, error)) return -1;
  std::map<std::string, std::vector<Task>> interrupted;
  for (auto& t : store_.interrupted()) interrupted[t.printer].push_back(t);
  previousPrompt_ = merid::setPromptHandler(answerPrompt);
  promptSet_ = true;
  for (auto p : config_.printers) {
    std::filesystem::create_directories(p.home, ec);
    if (!p.simulatorFolder.empty()) {
      p.library = privateVirtualPrinter(p, error);
      if (p.library.empty()) return -1;
    }
    auto w = std::make_unique<Worker>(p, store_, [this](const std::string& id) { taskEnded(id); });
    for (auto& t : store_.enqueued(p.id)) w->push(std::move(t));
    w->start(interrupted[p.id]);
    workers_[p.id] = std::move(w);
  }
  routes();
  const int port = config_.port == 0
                       ? server_->bind_to_any_port(config_.address)
                       : (server_->bind_to_port(config_.address, config_.port) ? config_.port : -1);
  if (port < 0) error = "cannot listen on " + config_.address + ":" + std::to_string(config_.port);
  return port;
}

void Service::serve() {
  server_->listen_after_bind();
}

void Service::stop() {
  if (server_) server_->stop();
  for (auto& [id, w] : workers_) w->stop();
  if (promptSet_) merid::setPromptHandler(std::move(previousPrompt_));
  promptSet_ = false;
}

void Service::routes() {
  httplib::Server& s = *server_;
  s.new_task_queue = [] { return new httplib::ThreadPool(32); };
  s.set_payload_max_length(kMaxBody);
  // Answers go out at once: with Nagle's algorithm a kept-alive client waits
  // for the delayed acknowledgement of the headers before the body comes.
  s.set_tcp_nodelay(true);
  // A till keeps its connection: not closed after every fifth request.
  s.set_keep_alive_max_count(1000);
  s.set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        if (res.status == 413)
          bad(res, 413, "body", "the body is over 1 MB");
        else if (res.status == 404)
          bad(res, 404, "path", "nothing at " + req.path);
        else
          bad(res, res.status, "", "the request was refused");
        return httplib::Server::HandlerResponse::Handled;
      }));
  s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    bad(res, 500, "", "internal error");
  });

  // Who may call: the token when one is configured, and browsers only from
  // this service's own page or an origin the configuration lists.
  s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    using R = httplib::Server::HandlerResponse;
    // On loopback, a page elsewhere could still reach the service through a
    // name of its own that resolves to 127.0.0.1: only loopback names count.
    if (isLoopback(config_.address) && !loopbackHost(req.get_header_value("Host"))) {
      bad(res, 403, "Host", "only loopback host names are served");
      return R::Handled;
    }
    if (req.has_header("Origin")) {
      const std::string origin = req.get_header_value("Origin");
      const bool own = origin == "http://" + req.get_header_value("Host");
      bool listed = false;
      for (const auto& o : config_.allowedOrigins) listed = listed || o == origin;
      if (!own && !listed) {
        bad(res, 403, "Origin", "cross-origin requests from " + origin + " are not allowed");
        return R::Handled;
      }
      if (listed) {
        res.set_header("Access-Control-Allow-Origin", origin);
        res.set_header("Vary", "Origin");
      }
      if (req.method == "OPTIONS") {
        res.set_header("Access-Control-Allow-Methods", "GET, POST");
        res.set_header("Access-Control-Allow-Headers", "Content-Type, Authorization");
        res.status = 204;
        return R::Handled;
      }
    }
    if (!config_.token.empty() && req.get_header_value("Authorization") != "Bearer " + config_.token) {
      bad(res, 401, "Authorization", "a valid bearer token is needed");
      return R::Handled;
    }
    return R::Unhandled;
  });

  s.Get("/printers", [this](const httplib::Request&, httplib::Response& res) {
    json list = json::array();
    for (const auto& p : config_.printers)
      list.push_back({{"id", p.id}, {"port", p.port}, {"waiting", workers_.at(p.id)->waiting()}});
    reply(res, 200, list);
  });

  s.Get(R"(/printers/([^/]+)/status)", [this](const httplib::Request& req, httplib::Response& res) {
    auto w = workers_.find(req.matches[1].str());
    if (w == workers_.end()) return bad(res, 404, "printer", "no printer " + req.matches[1].str());
    auto f = w->second->status();
    if (f.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
      return bad(res, 504, "", "the printer is busy with a task; try again");
    json body = f.get();
    body["printer"] = w->first;
    reply(res, 200, body);
  });

  s.Post(R"(/printers/([^/]+)/(receipt|nonfiscal|invoice|creditnote|reports/x|reports/z|drawer|display|raw))",
         [this](const httplib::Request& req, httplib::Response& res) {
           const std::string printer = req.matches[1].str(), kind = req.matches[2].str();
           auto w = workers_.find(printer);
           if (w == workers_.end()) return bad(res, 404, "printer", "no printer " + printer);
           json body = json::parse(req.body, nullptr, false);
           if (body.is_discarded()) return bad(res, 400, "body", "malformed JSON");
           if (!body.is_object()) return bad(res, 400, "body", "the body must be a JSON object");
           std::string id;
           if (auto t = body.find("taskId"); t != body.end()) {
             if (!t->is_string() || !plainId(t->get<std::string>()))
               return bad(res, 400, "taskId", "1 to 64 letters, digits, '-', '_', '.' or ':'");
             id = t->get<std::string>();
             body.erase("taskId");
           } else {
             id = newTaskId();
           }
           Plan plan;
           if (auto refused = planDocument(kind, body, w->second->printer().port, plan))
             return bad(res, 400, refused->field, refused->message);
           Task task;
           task.id = id;
           task.printer = printer;
           task.kind = kind;
           task.body = body.dump();
           task.created = utcNow();
           Task stored;
           Store::Added added;
           {
             std::lock_guard<std::mutex> lock(submitMutex_);
             added = store_.add(task, stored);
             if (added == Store::Added::New) w->second->push(stored);
           }
           switch (added) {
             case Store::Added::Failed:
               return bad(res, 503, "", "the task could not be stored; nothing will be printed");
             case Store::Added::Conflict:
               return bad(res, 409, "taskId", "task " + id + " exists with another printer, kind or body");
             case Store::Added::Same:
             case Store::Added::New:
               res.set_header("Location", "/tasks/" + id);
               reply(res, added == Store::Added::New ? 202 : 200, taskJson(stored));
           }
         });

  s.Get(R"(/tasks/([^/]+))", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string id = req.matches[1].str();
    int wait = 0;
    if (req.has_param("wait")) {
      const std::string w = req.get_param_value("wait");
      char* end = nullptr;
      const long n = std::strtol(w.c_str(), &end, 10);
      if (w.empty() || *end || n < 0 || n > kMaxWaitSeconds)
        return bad(res, 400, "wait", "seconds from 0 to " + std::to_string(kMaxWaitSeconds));
      wait = static_cast<int>(n);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(wait);
    // Watched before the first read, so that an end just after it is seen.
    struct Watching {
      Service& service;
      const std::string& id;
      ~Watching() { service.watch(id, -1); }
    } watching{*this, id};
    watch(id, +1);
    for (;;) {
      const uint64_t seen = endsOf(id);
      auto task = store_.get(id);
      if (!task) return bad(res, 404, "taskId", "no task " + id);
      if (terminal(task->state) || std::chrono::steady_clock::now() >= deadline)
        return reply(res, 200, taskJson(*task));
      waitEnd(id, seen, deadline);
    }
  });

  s.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Security-Policy", "default-src 'self'; style-src 'unsafe-inline'");
    res.set_content(kPageHtml, "text/html; charset=utf-8");
  });
  s.Get("/app.js", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kPageScript, "text/javascript; charset=utf-8");
  });

  // The end of a virtual printer's paper tape. The file is the configured
  // folder's; nothing from the request goes into its name.
  s.Get(R"(/printers/([^/]+)/tape)", [this](const httplib::Request& req, httplib::Response& res) {
    auto w = workers_.find(req.matches[1].str());
    if (w == workers_.end()) return bad(res, 404, "printer", "no printer " + req.matches[1].str());
    const std::string& folder = w->second->printer().simulatorFolder;
    if (folder.empty()) return bad(res, 404, "printer", "not a virtual printer");
    std::ifstream in(std::filesystem::path(folder) / "tape.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string tape = text.str();
    constexpr std::size_t kTail = 64 * 1024;
    if (tape.size() > kTail) tape = tape.substr(tape.find('\n', tape.size() - kTail) + 1);
    res.set_content(merid::ansiToUtf8(tape), "text/plain; charset=utf-8");
  });

  s.Get("/tasks", [this](const httplib::Request&, httplib::Response& res) {
    json list = json::array();
    for (const auto& t : store_.recent(50)) list.push_back(taskJson(t));
    reply(res, 200, list);
  });
}

}  // namespace meridd
