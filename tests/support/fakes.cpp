#include "support/fakes.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace merid::test {

TempHome::TempHome() {
  char tmpl[] = "/tmp/merid-test-XXXXXX";
  if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
  ::setenv("MERID_HOME", path_.c_str(), 1);
}

TempHome::~TempHome() {
  ::unsetenv("MERID_HOME");
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
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
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
