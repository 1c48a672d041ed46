#include "platform/platform.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "merid/host.h"

namespace merid::platform {

namespace {
std::atomic<Profile*> gProfile{nullptr};
std::atomic<FileSystem*> gFiles{nullptr};
std::atomic<Clock*> gClock{nullptr};
std::mutex gBoxMutex;
MessageBoxHandler gBox;
std::mutex gFolderMutex;
std::string gFolderOverride;
thread_local std::string tFolderOverride;  // wins over the process-wide one
}  // namespace

Profile& profile() {
  Profile* p = gProfile.load();
  return p ? *p : builtinProfile();
}
FileSystem& fileSystem() {
  FileSystem* f = gFiles.load();
  return f ? *f : builtinFileSystem();
}
Clock& clock() {
  Clock* c = gClock.load();
  return c ? *c : builtinClock();
}

int showMessageBox(const std::string& text, const std::string& title, unsigned style) {
  MessageBoxHandler h;
  {
    std::lock_guard<std::mutex> lock(gBoxMutex);
    h = gBox;
  }
  return h ? h(text, title, style) : builtinMessageBox(text, title, style);
}

Profile* setProfile(Profile* p) {
  return gProfile.exchange(p);
}
FileSystem* setFileSystem(FileSystem* f) {
  return gFiles.exchange(f);
}
Clock* setClock(Clock* c) {
  return gClock.exchange(c);
}
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler h) {
  std::lock_guard<std::mutex> lock(gBoxMutex);
  std::swap(gBox, h);
  return h;
}

std::string setOwnFolderOverride(const std::string& folder) {
  std::lock_guard<std::mutex> lock(gFolderMutex);
  std::string previous = std::move(gFolderOverride);
  gFolderOverride = folder;
  return previous;
}

std::string setThreadOwnFolderOverride(const std::string& folder) {
  std::string previous = std::move(tFolderOverride);
  tFolderOverride = folder;
  return previous;
}

namespace {
std::mutex gProblemMutex;
std::string gProblem;
bool gProblemTold = false;
}  // namespace

void noteOwnFolderProblem(const std::string& why) {
  std::lock_guard<std::mutex> lock(gProblemMutex);
  if (!gProblemTold) gProblem = why;
}

std::string takeOwnFolderProblem() {
  std::lock_guard<std::mutex> lock(gProblemMutex);
  if (gProblem.empty()) return "";
  gProblemTold = true;
  return std::exchange(gProblem, std::string());
}

std::string ownFolderOverride() {
  if (!tFolderOverride.empty()) return tFolderOverride;
  std::lock_guard<std::mutex> lock(gFolderMutex);
  return gFolderOverride;
}

}  // namespace merid::platform

namespace merid {

namespace {

class FunctionClock : public platform::Clock {
 public:
  explicit FunctionClock(ClockFunction f) : f_(std::move(f)) {}
  DateTime now() override { return f_(); }
  ClockFunction f_;
};

std::mutex gHostMutex;
PromptHandler gPrompt;
std::unique_ptr<FunctionClock> gHostClock;

}  // namespace

PromptHandler setPromptHandler(PromptHandler handler) {
  std::lock_guard<std::mutex> lock(gHostMutex);
  std::swap(gPrompt, handler);
  if (!gPrompt) {
    platform::setMessageBoxHandler(nullptr);
  } else {
    platform::setMessageBoxHandler(
        [h = gPrompt](const std::string& text, const std::string& title, unsigned) {
          return h(text, title) == PromptAnswer::GiveUp ? platform::kIdCancel : platform::kIdOk;
        });
  }
  return handler;
}

ClockFunction setClock(ClockFunction clock) {
  std::lock_guard<std::mutex> lock(gHostMutex);
  ClockFunction previous = gHostClock ? gHostClock->f_ : ClockFunction();
  // The old clock is kept alive: a call on another thread may still read it.
  static std::vector<std::unique_ptr<FunctionClock>> retired;
  if (gHostClock) retired.push_back(std::move(gHostClock));
  if (clock) gHostClock = std::make_unique<FunctionClock>(std::move(clock));
  platform::setClock(gHostClock.get());
  return previous;
}

namespace {
std::string absoluteFolder(const std::string& folder) {
  std::string absolute = folder;
  if (!folder.empty()) {
    std::error_code ec;
    auto path = std::filesystem::absolute(std::filesystem::path(folder), ec);
    if (!ec) absolute = path.lexically_normal().string();
    while (absolute.size() > 1 && (absolute.back() == '/' || absolute.back() == '\\')) absolute.pop_back();
  }
  return absolute;
}
}  // namespace

std::string setHomeFolder(const std::string& folder) {
  return platform::setOwnFolderOverride(absoluteFolder(folder));
}

std::string setThreadHomeFolder(const std::string& folder) {
  return platform::setThreadOwnFolderOverride(absoluteFolder(folder));
}

}  // namespace merid

namespace merid::platform {

std::string inOwnFolder(const std::string& name) {
  return ownFolder() + kPathSeparator + name;
}

}  // namespace merid::platform
