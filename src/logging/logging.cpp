#include "logging/logging.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include "merid/host.h"

#include "text/number_text.h"
#include "components/components.h"
#include "platform/failure.h"
#include "platform/platform.h"

namespace merid {

namespace {

struct LogModule {
  std::unique_ptr<components::LogWriter> errorWriter;
  std::unique_ptr<components::LogWriter> debugWriter;
  std::unique_ptr<platform::SettingsStore> settings;
  // The debug log's size cap: 0 for none. The bytes are counted as written
  // (the message and the writer's time stamp and tag), from the file's size
  // when it was kept.
  uint64_t debugCap = 0;
  uint64_t debugBytes = 0;
};

// The size cap of the debug log, in KB: section "Logging", key
// "DebugLogMaxKB" of MeridFiscal.ini. Missing, empty or not a whole number:
// the default; 0: no cap.
constexpr uint64_t kDefaultDebugLogMaxKB = 10240;
// What the built-in writer adds to each message: time stamp, tabs, tag, end of line.
constexpr uint64_t kEntryOverhead = 33;

uint64_t debugLogCap() {
  std::string text;
  platform::profile().getString("Logging", "DebugLogMaxKB", text, 32,
                                platform::inOwnFolder("MeridFiscal.ini"));
  uint64_t kb = 0;
  if (text.empty() || text.size() > 9) return kDefaultDebugLogMaxKB * 1024;
  for (char c : text) {
    if (c < '0' || c > '9') return kDefaultDebugLogMaxKB * 1024;
    kb = kb * 10 + static_cast<uint64_t>(c - '0');
  }
  return kb * 1024;
}

uint64_t fileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : static_cast<uint64_t>(size);
}

void openDebugWriter(LogModule& m, const std::string& path) {
  m.debugWriter = components::createLogWriter();
  m.debugWriter->SetLogMode(3);
  m.debugWriter->SetFilePath(path);
  m.debugWriter->SetSourceName("MeridDll_LoggerDebug");
}

// The cap is reached: the file is moved aside to ".1" (replacing the one
// before) and a new one starts, so the log never takes more than twice the cap.
void rotateDebugLog(LogModule& m) {
  const std::string path = platform::inOwnFolder("MeridDll_LoggerDebug.log");
  m.debugWriter.reset();  // lets the file go before it is moved
  m.debugBytes = 0;
  auto& fs = platform::fileSystem();
  fs.copyReplacing(path, path + ".1");
  fs.removeForced(path);
  openDebugWriter(m, path);
}

LogModule& module() {
  thread_local LogModule m;
  return m;
}

std::mutex gSinkMutex;
LogSink gSink;
std::atomic<bool> gHasSink{false};

void toSink(LogKind kind, const std::string& message) {
  if (!gHasSink.load(std::memory_order_relaxed)) return;
  LogSink sink;
  {
    std::lock_guard<std::mutex> lock(gSinkMutex);
    sink = gSink;
  }
  try {
    if (sink) sink(kind, message);
  } catch (...) {
  }
}

void write(components::LogWriter* w, const char* tag, LogKind kind, const std::string& message) {
  if (!w) return;
  try {
    w->WriteEntry(tag, message, nullptr, 0, "");
  } catch (...) {
  }
  toSink(kind, message);
}

template <class F>
void ignoringFailure(F&& step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

void loggerError(const std::string& message) {
  write(module().errorWriter.get(), "loggerError", LogKind::Error, message);
}
void loggerDebug(const std::string& message) {
  LogModule& m = module();
  if (!m.debugWriter) return;
  write(m.debugWriter.get(), "loggerDebug", LogKind::Debug, message);
  m.debugBytes += message.size() + kEntryOverhead;
  if (m.debugCap && m.debugBytes >= m.debugCap) ignoringFailure([&] { rotateDebugLog(m); });
}

LogSink setLogSink(LogSink sink) {
  std::lock_guard<std::mutex> lock(gSinkMutex);
  std::swap(gSink, sink);
  gHasSink = static_cast<bool>(gSink);
  return sink;
}
bool debugLogActive() {
  return module().debugWriter != nullptr;
}

std::string errorText(std::string_view module, std::string_view routine, std::string_view description) {
  std::string s;
  s.reserve(module.size() + routine.size() + description.size() + 2);
  s.append(module).append("-").append(routine).append(" ").append(description);
  return s;
}

std::string debugLine(std::string_view label, std::string_view value) {
  std::string s = "....";
  s.append(label.substr(0, 20));
  if (label.size() < 20) s.append(20 - label.size(), ' ');
  s.append(value);
  return s;
}

void logFailure(std::string_view moduleName, std::string_view routine) {
  loggerError(errorText(moduleName, routine, currentFailureText()));
}

std::string readRegistrySwitch(const std::string& name) {
  auto& store = module().settings;
  if (!store) {
    store = components::createSettingsStore();
    store->SetBaseKey("SOFTWARE\\TAVIK\\VEK");
  }
  return store->GetValue("Options", name, "0");
}

void InitErrorLog() {
  LogModule& m = module();
  ignoringFailure([&] { m.errorWriter = components::createLogWriter(); });
  if (auto* w = m.errorWriter.get()) {
    ignoringFailure([&] { w->SetLogMode(0); });
    ignoringFailure([&] { w->SetFilePath(platform::inOwnFolder("MeridDllManager.log")); });
    ignoringFailure([&] { w->SetSourceName("MeridDllManager"); });
    // Once per process: the folder named by the environment that was refused.
    if (std::string why = platform::takeOwnFolderProblem(); !why.empty()) loggerError("InitErrorLog-" + why);
  }
  ignoringFailure([] {
    auto& fs = platform::fileSystem();
    const std::string cefLog = platform::printerLibraryLogPath();
    if (!fs.exists(cefLog)) return;
    const std::string day = formatNumber(platform::clock().now().day, "00");
    fs.copyReplacing(cefLog, platform::inOwnFolder("CefDll_Day" + day + ".log"));
    fs.removeForced(cefLog);
  });
}

void InitDebugLog() {
  const std::string on = readRegistrySwitch("MeridDll_LoggerDebug");
  if (!isNumeric(on) || textToDouble(on) != 1.0) return;
  LogModule& m = module();
  m.debugWriter = components::createLogWriter();
  const std::string path = platform::inOwnFolder("MeridDll_LoggerDebug.log");
  if (readRegistrySwitch("MeridDll_LoggerDebug_KeepFile") == "0" && platform::fileSystem().exists(path))
    platform::fileSystem().removeForced(path);
  m.debugWriter->SetLogMode(3);
  m.debugWriter->SetFilePath(path);
  m.debugWriter->SetSourceName("MeridDll_LoggerDebug");
  m.debugCap = debugLogCap();
  m.debugBytes = fileSize(path);
}

}  // namespace merid
