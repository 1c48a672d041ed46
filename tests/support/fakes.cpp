#include "support/fakes.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace merid::test {

void setEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name.c_str(), value.c_str());
#else
  ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

void unsetEnvironment(const std::string& name) {
#ifdef _WIN32
  SetEnvironmentVariableA(name.c_str(), nullptr);
#else
  ::unsetenv(name.c_str());
#endif
}

TempHome::TempHome() {
  static std::atomic<unsigned> counter{0};
  const auto base = std::filesystem::temp_directory_path();
  std::random_device random;
  for (int attempt = 0; path_.empty(); ++attempt) {
    if (attempt == 100) throw std::runtime_error("no temporary folder");
    auto candidate = base / ("merid-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) path_ = candidate.string();
  }
  setEnvironment("MERID_HOME", path_);
}

TempHome::~TempHome() {
  unsetEnvironment("MERID_HOME");
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

void onFreshThread(const std::function<void()>& body) {
  std::thread(body).join();
}

struct RecordingLogWriter : components::LogWriter {
  explicit RecordingLogWriter(LogRecorder* r) : r_(r) {}
  void SetSourceName(const std::string&) override {}
  void SetFilePath(const std::string& path) override {
    debug_ = path.find("LoggerDebug") != std::string::npos;
  }
  void SetLogMode(int16_t) override {}
  void WriteEntry(const std::string&, const std::string& message, const void*, int16_t,
                  const std::string&) override {
    std::lock_guard<std::mutex> lock(r_->mutex_);
    (debug_ ? r_->debug_ : r_->errors_).push_back(message);
  }
  LogRecorder* r_;
  bool debug_ = false;
};

LogRecorder::LogRecorder()
    : previous_(
          components::setLogWriterFactory([this] { return std::make_unique<RecordingLogWriter>(this); })) {}
std::vector<std::string> LogRecorder::copy(const std::vector<std::string>& log) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log;
}

BoxRecorder::BoxRecorder()
    : previous_(platform::setMessageBoxHandler(
          [this](const std::string& text, const std::string& title, unsigned s) {
            boxes_.push_back({text, title, s});
            return platform::kIdOk;
          })) {}

}  // namespace merid::test
