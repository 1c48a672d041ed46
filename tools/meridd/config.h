#pragma once
// The service's configuration file: where it listens, who may call it, where
// the task database lives, and the printers it serves.

#include <string>
#include <vector>

namespace meridd {

struct PrinterConfig {
  std::string id;               // the {id} of the printer's URLs
  std::string library;          // the printer library file its worker loads
  int port = 1;                 // the COM port number handed to the document classes
  std::string home;             // its settings and log folder
  std::string simulatorFolder;  // the virtual printer's state folder, when it is one
  int operatorWaitSeconds = 0;  // how long a prompt for an operator waits before giving up
};

struct Config {
  std::string address = "127.0.0.1";
  int port = 8710;  // 0: any free port, printed at start
  std::string token;
  std::vector<std::string> allowedOrigins;
  std::string database;
  std::vector<PrinterConfig> printers;
};

bool isLoopback(const std::string& address);

// Reads and checks the file; relative paths count from the file's folder.
// On failure returns false with a one-line reason in error.
bool loadConfig(const std::string& file, const std::string& programFolder, Config& config,
                std::string& error);

}  // namespace meridd
