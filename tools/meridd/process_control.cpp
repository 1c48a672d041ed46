#include "process_control.h"

#include <filesystem>
#include <memory>

#if defined(_WIN32)
#include <windows.h>

#else
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace meridd {

#if defined(_WIN32)

namespace {

// The console handler runs on a thread the system makes for it; it hands the
// event to the waiter and, for a console being closed, holds the process
// until the service has stopped (the system ends it when the handler returns).
HANDLE stopEvent = nullptr;
HANDLE stoppedEvent = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      SetEvent(stopEvent);
      if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) WaitForSingleObject(stoppedEvent, 5000);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::string programFolder() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return ".";
  buffer.resize(n);
  return std::filesystem::path(buffer).parent_path().u8string();
}

StopSignals::StopSignals() {
  stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  stoppedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void StopSignals::watch(std::function<void()> stop) {
  waiter_ = std::thread([stop = std::move(stop)] {
    WaitForSingleObject(stopEvent, INFINITE);
    stop();
  });
}

void StopSignals::end() {
  SetEvent(stopEvent);
  if (waiter_.joinable()) waiter_.join();
}

StopSignals::~StopSignals() {
  end();
  SetConsoleCtrlHandler(onConsoleEvent, FALSE);
  SetEvent(stoppedEvent);
}

std::function<bool()> fileSyncer(const std::string& path, std::string& error) {
  // Shared in every way: the file's owner keeps writing, and may delete it.
  HANDLE h = CreateFileW(std::filesystem::u8path(path).wstring().c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = "cannot open " + path + ": error " + std::to_string(GetLastError());
    return nullptr;
  }
  std::shared_ptr<void> owned(h, CloseHandle);
  return [owned] { return FlushFileBuffers(owned.get()) != 0; };
}

#else

namespace {

sigset_t stopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

std::string programFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? "." : exe.parent_path().string();
}

StopSignals::StopSignals() {
  const sigset_t set = stopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

void StopSignals::watch(std::function<void()> stop) {
  waiter_ = std::thread([stop = std::move(stop)] {
    const sigset_t set = stopSet();
    int which = 0;
    sigwait(&set, &which);
    stop();
  });
}

void StopSignals::end() {
  if (!waiter_.joinable()) return;
  pthread_kill(waiter_.native_handle(), SIGTERM);  // blocked there: sigwait takes it
  waiter_.join();
}

StopSignals::~StopSignals() {
  end();
}

std::function<bool()> fileSyncer(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  std::shared_ptr<const int> owned(new int(fd), [](const int* f) {
    ::close(*f);
    delete f;
  });
  return [owned] { return ::fdatasync(*owned) == 0; };
}

#endif

}  // namespace meridd
