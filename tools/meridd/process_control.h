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

// A way to force onto the disk what anyone wrote so far to a file that
// somebody else writes: a handle of its own, opened once, kept by the
// function. Empty, with the reason in error, when the file cannot be opened.
std::function<bool()> fileSyncer(const std::string& path, std::string& error);

// Ctrl+C and SIGTERM on POSIX; Ctrl+C, Ctrl+Break and closing the console on
// Windows. Made before any other thread starts (POSIX threads inherit the
// blocked signals); from watch() on, the first of them calls stop, on a
// thread of its own, so that stopping is an ordinary call. end() calls stop
// too if nothing did, and joins that thread: call it while what stop touches
// still exists.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();  // not copied: it holds a thread

  void watch(std::function<void()> stop);
  void end();

 private:
  std::thread waiter_;
};

}  // namespace meridd
