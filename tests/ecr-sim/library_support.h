// The built libCeFdll.so, loaded with dlopen as the host library loads it.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "merid/cefdll.h"

namespace simtest {

typedef int32_t (*SetFaults_t)(const char*);

struct Library {
  void* handle = nullptr;
  VbCEFOpen_t open = nullptr;
  VbCEFWrite_t write = nullptr;
  VbCEFRead_t read = nullptr;
  VbCEFClose_t close = nullptr;
  VbCEFGetVersion_t version = nullptr;
  SetFaults_t setFaults = nullptr;

  Library() {
    handle = dlopen(MERID_SIM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return;
    open = reinterpret_cast<VbCEFOpen_t>(dlsym(handle, "VbCEFOpen"));
    write = reinterpret_cast<VbCEFWrite_t>(dlsym(handle, "VbCEFWrite"));
    read = reinterpret_cast<VbCEFRead_t>(dlsym(handle, "VbCEFRead"));
    close = reinterpret_cast<VbCEFClose_t>(dlsym(handle, "VbCEFClose"));
    version = reinterpret_cast<VbCEFGetVersion_t>(dlsym(handle, "VbCEFGetVersion"));
    setFaults = reinterpret_cast<SetFaults_t>(dlsym(handle, "MeridSimSetFaults"));
  }
  bool complete() const { return open && write && read && close && version && setFaults; }

  int32_t openPort() {
    int32_t status = 0;
    return open(1, 19200, 1, 7, 0, 1, &status);
  }
  int32_t send(const std::string& command) {
    std::string copy = command;
    char* text = copy.data();
    int32_t status = 0;
    return write(&text, &status);
  }
  int32_t closePort() {
    int32_t status = 0;
    return close(&status);
  }
};

// Points the library at a folder of its own for the life of the object.
class SimDirectory {
 public:
  explicit SimDirectory(const std::string& dir) {
    const char* old = std::getenv("MERID_SIM_DIR");
    had_ = old != nullptr;
    if (old) old_ = old;
    setenv("MERID_SIM_DIR", dir.c_str(), 1);
  }
  ~SimDirectory() { had_ ? setenv("MERID_SIM_DIR", old_.c_str(), 1) : unsetenv("MERID_SIM_DIR"); }

 private:
  bool had_ = false;
  std::string old_;
};

}  // namespace simtest
