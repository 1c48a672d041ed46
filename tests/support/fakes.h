#pragma once
// Fakes of the seams and helpers shared by the unit tests.

#include <stdlib.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "components/components.h"
#include "platform/platform.h"

namespace merid::test {

// A fresh folder in the temporary folder, the library's own folder (MERID_HOME) while it lives.
struct TempHome {
  TempHome();
  ~TempHome();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::string path_;
};

// The process environment, on either system.
void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
// A value through the built-in profile functions ("stale" stays only if they do not write it), and a write.
inline std::string get(const std::string& file, const std::string& section, const std::string& key,
                       std::size_t n = 65535) {
  std::string out = "stale";
  platform::builtinProfile().getString(section, key, out, n, file);
  return out;
}
inline bool put(const std::string& file, const std::string& section, const std::string& key,
                const std::string& v) {
  return platform::builtinProfile().writeString(section, key, v, file);
}
// Runs body on a new thread (fresh per-thread module data) and waits for it.
void onFreshThread(const std::function<void()>& body);

// Installs itself as the LogWriter factory and keeps every message, by log.
struct LogRecorder {
  LogRecorder();
  ~LogRecorder() { components::setLogWriterFactory(previous_); }
  std::vector<std::string> debug() const { return copy(debug_); }
  std::vector<std::string> errors() const { return copy(errors_); }
  std::vector<std::string> copy(const std::vector<std::string>& log) const;

  mutable std::mutex mutex_;
  std::vector<std::string> debug_, errors_;
  components::Factory<components::LogWriter> previous_;
};

// The registry switches: the environment the POSIX settings store reads, cleared at both ends.
struct FakeSettings {
  FakeSettings() { clear(); }
  ~FakeSettings() { clear(); }
  void set(const std::string& name, const std::string& value) { setEnvironment(name, value); }
  static void clear() {
    unsetEnvironment("MeridDll_LoggerDebug"), unsetEnvironment("MeridDll_LoggerDebug_KeepFile");
  }
};

struct FixedClock : platform::Clock {
  explicit FixedClock(platform::DateTime t) : t_(t), previous_(platform::setClock(this)) {}
  ~FixedClock() override { platform::setClock(previous_); }
  platform::DateTime now() override { return t_; }
  platform::DateTime t_;
  platform::Clock* previous_;
};

// Records each message box and answers OK.
struct BoxRecorder {
  struct Box {
    std::string text, title;
    unsigned style;
  };
  BoxRecorder();
  ~BoxRecorder() { platform::setMessageBoxHandler(previous_); }
  std::vector<Box> boxes() const { return boxes_; }
  std::vector<Box> boxes_;
  platform::MessageBoxHandler previous_;
};

}  // namespace merid::test
