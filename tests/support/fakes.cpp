#include "support/fakes.h"

#include <thread>

namespace merid::test {

namespace {

std::string baseName(const std::string& path) {
  auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

class RecordingLogWriter : public platform::LogWriter {
 public:
  explicit RecordingLogWriter(LogRecorder* r) : r_(r) {}
  void SetSourceName(const std::string&) override {}
  void SetFilePath(const std::string& path) override { path_ = path; }
  void SetLogMode(int16_t) override {}
  void WriteEntry(const std::string& tag, const std::string& message, const void*, int16_t,
                  const std::string&) override {
    std::lock_guard<std::mutex> lock(r_->mutex_);
    r_->entries_.push_back({path_, tag, message});
  }

 private:
  LogRecorder* r_;
  std::string path_;
};

LogRecorder::LogRecorder() {
  previous_ = platform::setLogWriterFactory([this]() -> std::unique_ptr<platform::LogWriter> {
    if (failCreation_) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    ++created_;
    return std::make_unique<RecordingLogWriter>(this);
  });
}

LogRecorder::~LogRecorder() { platform::setLogWriterFactory(previous_); }

std::vector<std::string> LogRecorder::messages(const std::string& fileName) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const auto& e : entries_)
    if (baseName(e.path) == fileName) out.push_back(e.message);
  return out;
}

int LogRecorder::created() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return created_;
}

namespace {

class MapSettings : public platform::SettingsStore {
 public:
  explicit MapSettings(std::shared_ptr<std::map<std::string, std::string>> v) : v_(std::move(v)) {}
  void SetBaseKey(const std::string&) override {}
  std::string GetValue(const std::string&, const std::string& name, const std::string& fallback) override {
    auto it = v_->find(name);
    return it == v_->end() ? fallback : it->second;
  }

 private:
  std::shared_ptr<std::map<std::string, std::string>> v_;
};

}  // namespace

FakeSettings::FakeSettings() : values_(std::make_shared<std::map<std::string, std::string>>()) {
  auto values = values_;
  previous_ = platform::setSettingsStoreFactory([values] { return std::make_unique<MapSettings>(values); });
}
FakeSettings::~FakeSettings() { platform::setSettingsStoreFactory(previous_); }
void FakeSettings::set(const std::string& name, const std::string& value) { (*values_)[name] = value; }
void FakeSettings::clear(const std::string& name) { values_->erase(name); }

FixedClock::FixedClock(platform::DateTime t) : t_(t), previous_(platform::setClock(this)) {}
FixedClock::~FixedClock() { platform::setClock(previous_); }

BoxRecorder::BoxRecorder() {
  previous_ = platform::setMessageBoxHandler([this](const std::string& text, const std::string& title, unsigned s) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      boxes_.push_back({text, title, s});
    }
    if (onBox) onBox();
    return platform::kIdOk;
  });
}
BoxRecorder::~BoxRecorder() { platform::setMessageBoxHandler(previous_); }
std::vector<BoxRecorder::Box> BoxRecorder::boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

void onFreshThread(const std::function<void()>& body) {
  std::thread t(body);
  t.join();
}

}  // namespace merid::test
