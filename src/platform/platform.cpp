#include <atomic>
#include <mutex>

#include "platform/platform.h"

namespace merid::platform {

namespace {
std::atomic<Profile*> gProfile{nullptr};
std::atomic<FileSystem*> gFiles{nullptr};
std::atomic<Clock*> gClock{nullptr};
std::mutex gBoxMutex;
MessageBoxHandler gBox;
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

Profile* setProfile(Profile* p) { return gProfile.exchange(p); }
FileSystem* setFileSystem(FileSystem* f) { return gFiles.exchange(f); }
Clock* setClock(Clock* c) { return gClock.exchange(c); }
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler h) {
  std::lock_guard<std::mutex> lock(gBoxMutex);
  std::swap(gBox, h);
  return h;
}

std::string inOwnFolder(const std::string& name) { return ownFolder() + kPathSeparator + name; }

}  // namespace merid::platform
