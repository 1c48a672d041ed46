// meridd as a client sees it: the real program on a free loopback port, a
// real HTTP client, its SQLite file on disk and the virtual printer, whose
// journal tells what was printed. Receipts carry their task id as the item
// description, so the journal can be counted per task.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The journal's records (one a line) that hold the text.
std::size_t records(const std::string& journal, const std::string& what) {
  std::size_t n = 0;
  std::istringstream lines(journal);
  for (std::string line; std::getline(lines, line);) n += line.find(what) != std::string::npos;
  return n;
}

json receipt(const std::string& id, const std::string& description, int items = 1) {
  json lines = json::array();
  for (int i = 0; i < items; ++i)
    lines.push_back({{"description", description}, {"unitPrice", 1.5}, {"vat", "22"}});
  return {{"taskId", id},
          {"items", lines},
          {"payments", {{{"amount", 1.5 * items}, {"description", "Contanti"}}}}};
}

// One meridd process on the virtual printer "p1". Its folder is on tmpfs when
// there is one: the printer and the database sync every write.
class Meridd {
 public:
  explicit Meridd(json printers = json::array({{{"id", "p1"}, {"simulatorFolder", "sim"}}}),
                  json listen = {{"port", 0}}) {
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    dir_ = base / ("meridd-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial_++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "meridd.json")
        << json{{"listen", listen}, {"database", "tasks.sqlite"}, {"printers", printers}};
  }
  ~Meridd() {
    stop(SIGTERM);
    if (!std::getenv("MERIDD_TEST_KEEP")) fs::remove_all(dir_);
  }

  // Starts the program and reads the port from its first line.
  void start() {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::dup2(::open((dir_ / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644), 2);
      ::execl(MERIDD_PATH, "meridd", "--config", (dir_ / "meridd.json").c_str(), nullptr);
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    char c = 0;
    while (line.find('\n') == std::string::npos && ::poll(&p, 1, 10000) == 1 && ::read(out[0], &c, 1) == 1)
      line += c;
    ::close(out[0]);
    const auto colon = line.rfind(':');
    ASSERT_NE(colon, std::string::npos) << "meridd did not start: " << readFile(dir_ / "stderr.txt");
    port_ = std::stoi(line.substr(colon + 1));
  }

  void stop(int signal) {
    if (pid_ <= 0) return;
    ::kill(pid_, signal);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  httplib::Client client() const {
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(70, 0);
    return c;
  }
  json post(const std::string& path, const json& body, int* status = nullptr,
            const std::string& printer = "p1") const {
    auto r = client().Post(("/printers/" + printer + "/" + path).c_str(), body.dump(), "application/json");
    if (status) *status = r ? r->status : -1;
    return r ? json::parse(r->body, nullptr, false) : json();
  }
  json task(const std::string& id, int wait = 30) const {
    return get("/tasks/" + id + "?wait=" + std::to_string(wait));
  }
  json get(const std::string& path) const {
    auto r = client().Get(path.c_str());
    return r && r->status == 200 ? json::parse(r->body, nullptr, false) : json();
  }
  std::string journal(const std::string& folder = "sim") const {
    return readFile(dir_ / folder / "journal.txt");
  }
  std::string tape() const { return readFile(dir_ / "sim" / "tape.txt"); }
  const fs::path& dir() const { return dir_; }
  int port() const { return port_; }

 private:
  static inline int serial_ = 0;
  fs::path dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// Each document prints. The status's documentOpen comes from the printer's
// reply: false when idle, true with a receipt left open by a raw free line
// (the last row), null where the printer cannot say.
TEST(Meridd, EveryDocumentTypePrints) {
  Meridd m(json::array(
      {{{"id", "p1"}, {"simulatorFolder", "sim"}}, {{"id", "gone"}, {"library", "missing/libCeFdll.so"}}}));
  m.start();
  EXPECT_EQ(m.get("/printers/p1/status").value("documentOpen", json()), false);
  EXPECT_EQ(m.get("/printers/gone/status").value("documentOpen", json(0)), json());
  struct Row {
    std::string path;
    json body;
    std::string printed;  // on the tape after it; empty: nothing to see there
  };
  const std::vector<Row> rows = {
      {"receipt",
       {{"items",
         {{{"description", "PANE"}, {"quantity", 2}, {"unitPrice", 1.25}, {"vat", "4"}},
          {{"type", "return"}, {"description", "VINO"}, {"unitPrice", 1}, {"department", 2}},
          {{"type", "discount"}, {"amount", 0.5}, {"description", "SCONTO PANE"}},
          {{"type", "text"}, {"text", "TESSERA 42"}, {"font", "kMerid_Grassetto"}},
          {{"type", "subtotal"}}}},
        {"totalDiscount", {{"amount", 0.1}}},
        {"payments", {{{"type", 2}, {"amount", 0.9}, {"description", "Bancomat"}}}}},
       "TESSERA 42"},
      {"nonfiscal",
       {{"lines", {{{"text", "BUONO SCONTO"}, {"price", "5,00"}}, {{"barcode", "8001234567897"}}}}},
       "BUONO SCONTO"},
      {"invoice",
       {{"total", 122},
        {"customer", {{"name", "ROSSI SRL"}, {"vatNumber", "01234567890"}}},
        {"lines", {{{"text", "2 X CESTO          122,00"}}}}},
       "P.IVA 01234567890"},
      {"creditnote",
       {{"reference", "FA 12/2026"},
        {"total", 19.9},
        {"lines", {{{"text", "RESO SCIARPA"}, {"price", "19,90"}}}}},
       "RIF. FA 12/2026"},
      {"display", {{"line1", "BENVENUTI"}, {"line2", "CASSA 1"}}, ""},
      {"drawer", json::object(), ""},
      {"raw", {{"command", "70081"}}, ""},
      {"reports/x", json::object(), "LETTURA GIORNALIERA"},
      {"reports/z", json::object(), "CHIUSURA GIORNALIERA"},
      {"raw", {{"command", "3002105PROVA"}}, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.path);
    const json t = m.task(m.post(r.path, r.body).value("taskId", ""));
    EXPECT_EQ(t["state"], "done") << t.dump();
    EXPECT_EQ(t["kind"], r.path);
    for (const auto& call : t["calls"]) {
      EXPECT_NE(call["result"], false) << call.dump();
      EXPECT_EQ(call["outcome"]["kind"], "done") << call.dump();
    }
    EXPECT_TRUE(r.printed.empty() || m.tape().find(r.printed) != std::string::npos) << r.printed;
  }
  const std::string journal = m.journal();
  for (const char* kind : {"|SC|", "|NF|", "|FA|", "|NC|", "|Z|"})
    EXPECT_EQ(records(journal, kind), 1u) << kind;
  EXPECT_EQ(m.get("/printers/p1/status").value("documentOpen", json()), true);
}

// What the printer answers shows in the task. It refuses a line (148, a
// department it does not have): the call still answers true, its outcome
// says refused, and the task stops there and voids the receipt instead of
// printing it without the line. It asks for an operator, whom a service does
// not have: the prompt's text goes into the call and the task's error, and
// the task ends after the configured wait, done if the printer was fixed.
TEST(Meridd, ARefusalOrAPromptShowsInTheTask) {
  struct Row {
    std::string name;
    int waitSeconds;
    std::string faults, state, kind;
  };
  const std::vector<Row> rows = {
      {"refused line", 0, "refuse = 3101 148 1\n", "failed", "refused"},
      {"nobody comes", 0, "cover_open = 1\n", "failed", "gave up"},
      {"fixed in time", 20, "cover_open = 1\nclear_after_status = 1\n", "done", "done after prompts"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Meridd m(
        json::array({{{"id", "p1"}, {"simulatorFolder", "sim"}, {"operatorWaitSeconds", r.waitSeconds}}}));
    m.start();
    std::ofstream(m.dir() / "sim" / "faults.ini") << "[faults]\n" << r.faults;
    int status = 0;
    m.post("receipt", receipt("fault-1", "FAULT1"), &status);
    ASSERT_EQ(status, 202);
    const json t = m.task("fault-1");
    EXPECT_EQ(t["state"], r.state) << t.dump();
    json answered;  // the first call the printer answered so
    for (const auto& call : t["calls"])
      if (answered.is_null() && call["outcome"]["kind"] == r.kind) answered = call;
    EXPECT_EQ(records(m.journal(), "|SC|"), r.state == "done" ? 1u : 0u);
    if (r.kind == "refused") {
      EXPECT_EQ(answered["method"], "Vendita") << t.dump();
      EXPECT_EQ(answered["outcome"]["code"], 148);
      EXPECT_EQ(t["calls"].back()["method"], "Manutenzione_AnnulloScontrinoAperto");
      EXPECT_TRUE(t["printerSaid"].contains("status"));
    } else {
      EXPECT_FALSE(answered["outcome"]["operatorPrompts"].empty()) << t.dump();
    }
    if (r.name == "nobody comes") {
      EXPECT_NE(t["error"].get<std::string>().find("asked for an operator: "), std::string::npos) << t.dump();
    }
  }
}

TEST(Meridd, ARepeatedTaskIdPrintsOnce) {
  Meridd m;
  m.start();
  struct Row {
    std::string path;
    json body;
    int status;
  };
  const std::vector<Row> rows = {
      {"receipt", receipt("again-1", "AGAIN1"), 202},
      {"receipt", receipt("again-1", "AGAIN1"), 200},  // the same body: the task as it is
      {"receipt", receipt("again-1", "AGAIN2"), 409},  // another body under that id
      {"nonfiscal", {{"taskId", "again-1"}, {"lines", {{{"text", "X"}}}}}, 409},  // another kind
  };
  for (const auto& r : rows) {
    int status = 0;
    const json answer = m.post(r.path, r.body, &status);
    EXPECT_EQ(status, r.status) << answer.dump();
    if (r.status == 409) {
      EXPECT_EQ(answer["field"], "taskId");
    }
    EXPECT_EQ(m.task("again-1")["state"], "done");
  }
  EXPECT_EQ(records(m.journal(), "AGAIN1"), 1u);
  EXPECT_EQ(records(m.journal(), "AGAIN2"), 0u);
}

TEST(Meridd, BadInputIsRefusedNamingTheFieldAndPrintsNothing) {
  Meridd m;
  m.start();
  struct Row {
    std::string path, body;
    int status;
    std::string field;
  };
  const std::string good = receipt("ok", "OK").dump();
  auto with = [](const char* pointer, json value) {  // a good receipt with one value changed
    json body = receipt("x", "X");
    body[json::json_pointer(pointer)] = value;
    return body.dump();
  };
  const std::vector<Row> rows = {
      {"/printers/p1/receipt", "{\"items\": [", 400, "body"},
      {"/printers/p1/receipt", "[1, 2]", 400, "body"},
      {"/printers/p1/receipt", R"({"payments": []})", 400, "items"},
      {"/printers/p1/receipt", with("/items/0/quantity", -1), 400, "items[0].quantity"},
      {"/printers/p1/receipt", with("/items/0/description", 7), 400, "items[0].description"},
      {"/printers/p1/receipt", with("/items/0/amount", 9), 400, "items[0].amount"},
      {"/printers/p1/receipt", with("/payments/0/amount", 1), 400, "payments"},
      {"/printers/p1/receipt", with("/items/0/type", "gift"), 400, "items[0].type"},
      {"/printers/p1/receipt", R"({"taskId": "../../etc/passwd", "items": []})", 400, "taskId"},
      {"/printers/p1/creditnote", R"({"total": 5, "lines": [{"text": "X"}]})", 400, "reference"},
      {"/printers/p1/invoice", R"({"total": -5})", 400, "total"},
      {"/printers/p1/display", R"({"line1": "MORE THAN TWENTY CHARACTERS"})", 400, "line1"},
      {"/printers/p1/raw", R"({"command": ""})", 400, "command"},
      {"/printers/nowhere/receipt", good, 404, "printer"},
      {"/printers/p1/receipt", std::string(1100000, ' ') + good, 413, "body"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.body.substr(0, 80));
    auto answer = m.client().Post(r.path.c_str(), r.body, "application/json");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, r.status);
    EXPECT_EQ(json::parse(answer->body, nullptr, false).value("field", "?"), r.field) << answer->body;
  }
  EXPECT_EQ(json::parse(m.client().Get("/tasks/ok?wait=forever")->body).value("field", ""), "wait");
  auto foreign = m.client().Post("/printers/p1/receipt", {{"Origin", "http://elsewhere.example"}}, good,
                                 "application/json");
  EXPECT_EQ(foreign->status, 403);
  auto rebound =
      m.client().Post("/printers/p1/receipt", {{"Host", "evil.example:80"}}, good, "application/json");
  EXPECT_EQ(json::parse(rebound->body).value("field", ""), "Host");
  EXPECT_EQ(m.client().Get("/tasks/ok")->status, 404);  // none of them became a task
  EXPECT_EQ(m.tape(), "");
}

// A configuration that cannot be served as written stops meridd before it
// listens (exit 2), with the key named on stderr.
TEST(Meridd, AConfigurationItCannotHonourIsRefused) {
  struct Row {
    std::string name;
    json listen, printers;
    std::string key;
  };
  const std::vector<Row> rows = {
      {"open address without a token", {{"address", "0.0.0.0"}, {"port", 0}}, {{{"id", "p1"}}}, "token"},
      {"two virtual printers on one folder",
       {{"port", 0}},
       {{{"id", "p1"}, {"simulatorFolder", "s"}}, {{"id", "p2"}, {"simulatorFolder", "./s"}}},
       "printers[1].simulatorFolder"},
      {"an operator wait beyond ten minutes",
       {{"port", 0}},
       {{{"id", "p1"}, {"operatorWaitSeconds", 601}}},
       "printers[0].operatorWaitSeconds"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Meridd m(r.printers, r.listen);
    const fs::path err = m.dir() / "stderr.txt";
    const int status = std::system(("timeout 20 " + std::string(MERIDD_PATH) + " --config " +
                                    (m.dir() / "meridd.json").string() + " 2>" + err.string())
                                       .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_NE(readFile(err).find(r.key), std::string::npos) << readFile(err);
  }
}

// Two services on one queue would print its tasks twice.
TEST(Meridd, ASecondServiceOnTheSameDatabaseStopsAndTheFirstServesOn) {
  Meridd m;
  m.start();
  const fs::path err = m.dir() / "second.txt";
  const int status = std::system(("timeout 20 " + std::string(MERIDD_PATH) + " --config " +
                                  (m.dir() / "meridd.json").string() + " >/dev/null 2>" + err.string())
                                     .c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_NE(readFile(err).find("in use by another process"), std::string::npos) << readFile(err);
  m.post("receipt", receipt("after-second", "PANE"));
  EXPECT_EQ(m.task("after-second")["state"], "done");
}

// Clients send receipts, a third of them again under an id already sent;
// client c to printer p(c % printers + 1). Returns the ids that were
// accepted (202 or 200).
std::set<std::string> sendReceipts(const Meridd& m, int clients, int each, std::atomic<bool>* halt = nullptr,
                                   int printers = 1) {
  std::mutex mutex;
  std::set<std::string> accepted;
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c)
    threads.emplace_back([&, c] {
      std::mt19937 random(c);
      std::vector<std::string> sent;
      for (int n = 0; n < each && !(halt && *halt); ++n) {
        char id[16];
        std::snprintf(id, sizeof id, "T%02d-%03d", c, n);
        std::string chosen = id;
        if (!sent.empty() && random() % 3 == 0) chosen = sent[random() % sent.size()];
        int status = 0;
        m.post("receipt", receipt(chosen, chosen), &status, "p" + std::to_string(c % printers + 1));
        if (status == 202 || status == 200) {
          std::lock_guard<std::mutex> lock(mutex);
          accepted.insert(chosen);
          sent.push_back(chosen);
        }
        EXPECT_TRUE(status == 202 || status == 200 || (halt && *halt)) << status;
      }
    });
  for (auto& t : threads) t.join();
  return accepted;
}

// Two virtual printers, each with its own queue and state: every receipt is
// in its own printer's journal once and not in the other's.
TEST(Meridd, ConcurrentClientsWithRepeatsPrintEachTaskOnce) {
  Meridd m(
      json::array({{{"id", "p1"}, {"simulatorFolder", "sim"}}, {{"id", "p2"}, {"simulatorFolder", "sim2"}}}));
  m.start();
  const std::set<std::string> accepted = sendReceipts(m, 8, 100, nullptr, 2);
  ASSERT_GT(accepted.size(), 500u);
  for (const auto& id : accepted) EXPECT_EQ(m.task(id)["state"], "done") << id;
  const std::string journals[] = {m.journal("sim"), m.journal("sim2")};
  for (const auto& id : accepted) {
    const int mine = std::stoi(id.substr(1, 2)) % 2;  // the client's number: "T03-017" went to p2
    EXPECT_EQ(records(journals[mine], id), 1u) << id;
    EXPECT_EQ(records(journals[1 - mine], id), 0u) << id;
  }
  EXPECT_EQ(records(journals[0], "|SC|") + records(journals[1], "|SC|"), accepted.size());
}

TEST(Meridd, AKillDuringTasksLosesNoneAndPrintsNoneTwice) {
  Meridd m;
  m.start();
  std::atomic<bool> killed{false};
  std::set<std::string> accepted;
  std::thread traffic([&] { accepted = sendReceipts(m, 4, 50, &killed); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  // A long receipt, killed while it prints.
  m.post("receipt", receipt("BIG-0001", "BIG-0001", 300));
  bool running = false;
  for (int i = 0; i < 20000 && !running; ++i) running = m.task("BIG-0001", 0)["state"] == "running";
  ASSERT_TRUE(running);
  killed = true;
  m.stop(SIGKILL);
  traffic.join();

  m.start();
  m.task(m.post("receipt", receipt("AFTER-0001", "AFTER-0001"))["taskId"]);  // after the printer was asked
  const json big = m.task("BIG-0001");
  EXPECT_EQ(big["state"], "unknown");
  EXPECT_TRUE(big["printerSaid"].contains("status")) << big.dump();
  accepted.insert({"AFTER-0001", "BIG-0001"});
  std::map<std::string, std::string> states;
  for (const auto& id : accepted) states[id] = m.task(id).value("state", "lost");
  const std::string journal = m.journal();
  int unknown = 0;
  for (const auto& [id, state] : states) {
    unknown += state == "unknown";
    EXPECT_TRUE(state == "done" || state == "unknown") << id << " " << state;
    // In the journal once when done; an unknown one at most once (a voided
    // receipt keeps its lines).
    const std::size_t n = records(journal, id);
    EXPECT_TRUE(state == "done" ? n == 1 : n <= 1) << id << " " << state << " " << n;
  }
  EXPECT_EQ(states["AFTER-0001"], "done");
  EXPECT_EQ(unknown, 1);  // only the one that was running
}

// The page in a headless browser shows a receipt posted a moment before: its
// task and its lines on the tape. The screenshot is left in the build folder.
TEST(Meridd, ThePageShowsAPostedReceipt) {
#ifndef MERID_CHROMIUM
  GTEST_SKIP() << "chromium is not installed";
#else
  Meridd m;
  m.start();
  m.post("receipt", receipt("PAGE-0001", "PAGE-0001"));
  ASSERT_EQ(m.task("PAGE-0001")["state"], "done");
  const std::string url = "http://127.0.0.1:" + std::to_string(m.port()) + "/";
  const std::string browser = std::string(MERID_CHROMIUM) +
                              " --headless --no-sandbox --disable-gpu --virtual-time-budget=3000"
                              " --window-size=1200,900 ";
  const fs::path dom = m.dir() / "dom.html";
  ASSERT_EQ(std::system((browser + "--dump-dom " + url + " > " + dom.string() + " 2>/dev/null").c_str()), 0);
  const std::string page = readFile(dom);
  EXPECT_NE(page.find("PAGE-0001</td>"), std::string::npos);         // the task row
  EXPECT_NE(page.find("DOCUMENTO COMMERCIALE"), std::string::npos);  // the tape
  EXPECT_NE(page.find(">done<"), std::string::npos);
  const std::string shot = fs::absolute("meridd-page.png").string();
  EXPECT_EQ(std::system((browser + "--screenshot=" + shot + " " + url + " >/dev/null 2>&1").c_str()), 0);
  EXPECT_TRUE(fs::exists(shot));
#endif
}

}  // namespace
