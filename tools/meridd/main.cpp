// meridd --config FILE: serves the configured printers over HTTP until
// stopped (Ctrl+C, SIGTERM, or the console closed on Windows). The first line
// on stdout names the address it listens on.

#include <cstring>
#include <iostream>

#include "config.h"
#include "merid/version.h"
#include "process_control.h"
#include "service.h"

int main(int argc, char** argv) {
  std::string file;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--config") == 0 && i + 1 < argc) {
      file = argv[++i];
    } else if (std::strcmp(argv[i], "--version") == 0 && argc == 2) {
      std::cout << "meridd " << merid::version() << "\n";
      return 0;
    } else {
      std::cerr << "usage: meridd --config FILE | --version\n";
      return 2;
    }
  }
  if (file.empty()) {
    std::cerr << "usage: meridd --config FILE | --version\n";
    return 2;
  }
  meridd::Config config;
  std::string error;
  if (!meridd::loadConfig(file, meridd::programFolder(), config, error)) {
    std::cerr << "meridd: " << error << "\n";
    return 2;
  }
  // Before the service's threads start, and outliving the service.
  meridd::StopSignals signals;
  meridd::Service service(config);
  const int port = service.start(error);
  if (port < 0) {
    std::cerr << "meridd: " << error << "\n";
    return 1;
  }
  std::cout << "meridd: listening on http://" << config.address << ":" << port << "/" << std::endl;
  signals.watch([&] { service.stop(); });
  service.serve();
  signals.end();
  service.stop();
  return 0;
}
