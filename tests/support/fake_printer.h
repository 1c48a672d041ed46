#pragma once
// A recording fake of the printer library: answers each write from a per-test
// script and records every call, with its arguments, in order.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/printer_library.h"

namespace merid::test {

class FakePrinter : public platform::PrinterLibrary {
 public:
  FakePrinter();  // installs itself
  ~FakePrinter() override;

  // Successive writes of the command get these results, the last one
  // repeating; a command without a script gets 0.
  void answer(const std::string& command, std::vector<int32_t> results) { answers_[command] = results; }
  // Successive reads get these replies (bytes from position 0) and results,
  // the last one repeating; without a script a read answers 0 and no bytes.
  struct Reply {
    std::string bytes;
    int32_t result = 0;
  };
  void replies(std::vector<Reply> script) { replies_ = std::move(script); }
  int32_t openResult = 0;
  int32_t closeResult = 0;
  // Runs on each write's text, in place, before the result is given.
  std::function<void(char* text)> editText;

  // "open 3 19200 1 7 0 1", "write 3013", "read", "close". A call made with a
  // status (or read length) that was not 0 on entry, or a read through a
  // descriptor other than one of 1001 bytes or into a buffer not cleared
  // first, says so at the end of its line.
  const std::vector<std::string>& calls() const { return calls_; }
  std::vector<std::string> writes() const;

  int32_t open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
               int32_t& status) override;
  int32_t write(char** command, int32_t& status) override;
  int32_t read(MeridByteArray** reply, int32_t& length, int32_t& status) override;
  int32_t close(int32_t& status) override;

 private:
  void record(std::string call, int32_t& status);
  std::map<std::string, std::vector<int32_t>> answers_;
  std::map<std::string, std::size_t> sent_;
  std::vector<Reply> replies_;
  std::size_t reads_ = 0;
  std::vector<std::string> calls_;
  platform::PrinterLibrary* previous_;
};

}  // namespace merid::test
