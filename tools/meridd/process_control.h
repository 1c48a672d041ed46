#pragma once
// What meridd needs from the operating system around the service: its own
// folder, and a way to be stopped from outside. (Not named process.h: mingw's
// pthread.h includes the C library's header of that name.)

#include <functional>
#include <string>
#include <thread>

namespace meridd {

// The folder of the running program; "." when the system does not say.
std::string programFolder();

// A file opened once beside whoever writes it, for one thing: forcing what
// was written to it so far, by anyone, onto the disk.
class FileToSync {
 public:
  FileToSync() = default;
  ~FileToSync();
  FileToSync(const FileToSync&) = delete;
  FileToSync& operator=(const FileToSync&) = delete;

  // False, with the reason, when the file cannot be opened.
  bool open(const std::string& path, std::string& error);
  bool sync();
  void close();

 private:
#if defined(_WIN32)
  void* handle_ = nullptr;  // a HANDLE
#else
  int fd_ = -1;
#endif
};

// Ctrl+C and SIGTERM on POSIX; Ctrl+C, Ctrl+Break and closing the console on
// Windows. Made before any other thread starts (POSIX threads inherit the
// blocked signals); from watch() on, the first of them calls stop, on a
// thread of its own, so that stopping is an ordinary call. end() calls stop
// too if nothing did, and joins that thread: call it while what stop touches
// still exists.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  void watch(std::function<void()> stop);
  void end();

 private:
  std::thread waiter_;
};

}  // namespace meridd
