#include "components/components.h"

#include <cstdio>
#include <mutex>

#include "platform/failure.h"
#include "platform/platform.h"

namespace merid::components {

namespace {

std::mutex gFactoryMutex;
Factory<LogWriter> gLogWriterFactory;
Factory<platform::SettingsStore> gSettingsStoreFactory;
Factory<TextFilter> gTextFilterFactory;
Factory<NumberFormatter> gNumberFormatterFactory;
Factory<ZReportComponent> gZReportFactory;

template <class T>
std::unique_ptr<T> create(const Factory<T>& installed, std::unique_ptr<T> (*builtin)()) {
  Factory<T> f;
  {
    std::lock_guard<std::mutex> lock(gFactoryMutex);
    f = installed;
  }
  auto made = f ? f() : builtin();
  if (!made) throw RuntimeFailure("ActiveX component can't create object");
  return made;
}

template <class T>
Factory<T> exchange(Factory<T>& slot, Factory<T> f) {
  std::lock_guard<std::mutex> lock(gFactoryMutex);
  std::swap(slot, f);
  return f;
}

std::string two(int n) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", n % 100);
  return b;
}

// Appends one time-stamped line per entry, written at once (no buffer), so a
// crash loses nothing that was logged. The file stays open between entries.
class FileLogWriter : public LogWriter {
 public:
  ~FileLogWriter() override { closeFile(); }
  void SetSourceName(const std::string& name) override { source_ = name; }
  void SetFilePath(const std::string& path) override {
    if (path != path_) closeFile();
    path_ = path;
  }
  void SetLogMode(int16_t mode) override { mode_ = mode; }
  void WriteEntry(const std::string& tag, const std::string& message, const void*, int16_t,
                  const std::string&) override {
    if (path_.empty()) return;
    if (!file_) {
      int error = 0;
      file_ = platform::fileSystem().open(path_, platform::OpenMode::Append, 0644, error);
    }
    if (!file_) throw RuntimeFailure("Path not found: " + path_);
    platform::DateTime t = platform::clock().now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%s-%s %s:%s:%s", t.year % 10000, two(t.month).c_str(),
                  two(t.day).c_str(), two(t.hour).c_str(), two(t.minute).c_str(), two(t.second).c_str());
    std::string line = std::string(stamp) + '\t' + tag + '\t' + message + '\n';
    if (!file_->write(line.data(), line.size())) {
      closeFile();
      throw RuntimeFailure("Device I/O error: " + path_);
    }
  }

 private:
  void closeFile() {
    if (file_) file_->close();
    file_.reset();
  }
  std::string source_, path_;
  int16_t mode_ = 0;
  std::unique_ptr<platform::File> file_;
};

}  // namespace

std::unique_ptr<LogWriter> builtinLogWriter() {
  return std::make_unique<FileLogWriter>();
}

// Each component's pair of functions: create (the installed factory's
// object, else the built-in one) and set (installs a factory, answers the
// one it replaces).
#define MERID_COMPONENT(T, createName, setName, slot, builtin) \
  std::unique_ptr<T> createName() {                            \
    return create(slot, &builtin);                             \
  }                                                            \
  Factory<T> setName(Factory<T> f) {                           \
    return exchange(slot, std::move(f));                       \
  }
MERID_COMPONENT(LogWriter, createLogWriter, setLogWriterFactory, gLogWriterFactory, builtinLogWriter)
MERID_COMPONENT(platform::SettingsStore, createSettingsStore, setSettingsStoreFactory, gSettingsStoreFactory,
                platform::builtinSettingsStore)
MERID_COMPONENT(TextFilter, createTextFilter, setTextFilterFactory, gTextFilterFactory, builtinTextFilter)
MERID_COMPONENT(NumberFormatter, createNumberFormatter, setNumberFormatterFactory, gNumberFormatterFactory,
                builtinNumberFormatter)
MERID_COMPONENT(ZReportComponent, createZReportComponent, setZReportComponentFactory, gZReportFactory,
                builtinZReportComponent)
#undef MERID_COMPONENT

}  // namespace merid::components
