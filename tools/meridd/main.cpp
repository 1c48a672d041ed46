// meridd --config FILE: serves the configured printers over HTTP until
// SIGINT or SIGTERM. The first line on stdout names the address it listens on.

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <thread>

#include "config.h"
#include "service.h"

namespace {

std::string programFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? "." : exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  std::string file;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--config") == 0 && i + 1 < argc) {
      file = argv[++i];
    } else {
      std::cerr << "usage: meridd --config FILE\n";
      return 2;
    }
  }
  if (file.empty()) {
    std::cerr << "usage: meridd --config FILE\n";
    return 2;
  }
  meridd::Config config;
  std::string error;
  if (!meridd::loadConfig(file, programFolder(), config, error)) {
    std::cerr << "meridd: " << error << "\n";
    return 2;
  }
  // The signals are taken by one thread, so that stopping is an ordinary call.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  meridd::Service service(config);
  const int port = service.start(error);
  if (port < 0) {
    std::cerr << "meridd: " << error << "\n";
    return 1;
  }
  std::cout << "meridd: listening on http://" << config.address << ":" << port << "/" << std::endl;
  std::thread stopper([&] {
    int which = 0;
    sigwait(&signals, &which);
    service.stop();
  });
  service.serve();
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  service.stop();
  return 0;
}
