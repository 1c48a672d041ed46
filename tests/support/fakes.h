#pragma once
// Fakes of the seams and helpers shared by the unit tests.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/components.h"
#include "platform/platform.h"

namespace merid::test {

// A fresh folder under /tmp, removed at the end; MERID_HOME points at it while
// the object lives, so the library's own folder is this one.
class TempHome {
 public:
  TempHome();
  ~TempHome();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::string previousHome_;
  bool hadHome_ = false;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);

// Runs body on a new thread (fresh per-thread module data) and waits for it.
void onFreshThread(const std::function<void()>& body);

// Every entry any RecordingLogWriter made, in order, by file path.
struct LogEntry {
  std::string path, tag, message;
};
class LogRecorder {
 public:
  LogRecorder();  // installs itself as the LogWriter factory
  ~LogRecorder();
  std::vector<std::string> messages(const std::string& fileName) const;  // by file name
  std::vector<std::string> debug() const { return messages("MeridDll_LoggerDebug.log"); }
  std::vector<std::string> errors() const { return messages("MeridDllManager.log"); }
  int created() const;
  void failCreation(bool fail) { failCreation_ = fail; }

 private:
  friend class RecordingLogWriter;
  mutable std::mutex mutex_;
  std::vector<LogEntry> entries_;
  int created_ = 0;
  bool failCreation_ = false;
  platform::Factory<platform::LogWriter> previous_;
};

// Registry switches for the test, in place of the environment.
class FakeSettings {
 public:
  FakeSettings();
  ~FakeSettings();
  void set(const std::string& name, const std::string& value);
  void clear(const std::string& name);

 private:
  std::shared_ptr<std::map<std::string, std::string>> values_;
  platform::Factory<platform::SettingsStore> previous_;
};

class FixedClock : public platform::Clock {
 public:
  explicit FixedClock(platform::DateTime t);
  ~FixedClock() override;
  platform::DateTime now() override { return t_; }
  void set(platform::DateTime t) { t_ = t; }

 private:
  platform::DateTime t_;
  platform::Clock* previous_;
};

// Records each message box and answers OK; optional hook runs on each.
class BoxRecorder {
 public:
  struct Box {
    std::string text, title;
    unsigned style;
  };
  BoxRecorder();
  ~BoxRecorder();
  std::vector<Box> boxes() const;
  std::function<void()> onBox;

 private:
  mutable std::mutex mutex_;
  std::vector<Box> boxes_;
  platform::MessageBoxHandler previous_;
};

}  // namespace merid::test
