#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/fakes.h"

namespace merid::test {

TempHome::TempHome() {
  char tmpl[] = "/tmp/merid-test-XXXXXX";
  if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
  if (const char* h = std::getenv("MERID_HOME")) {
    hadHome_ = true;
    previousHome_ = h;
  }
  ::setenv("MERID_HOME", path_.c_str(), 1);
}

TempHome::~TempHome() {
  if (hadHome_)
    ::setenv("MERID_HOME", previousHome_.c_str(), 1);
  else
    ::unsetenv("MERID_HOME");
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

bool fileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace merid::test
