#pragma once
// A recording fake of the printer library: answers each write from a per-test
// script and records every call, with its arguments, in order.

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/printer_library.h"

namespace merid::test {

class FakePrinter : public platform::PrinterLibrary {
 public:
  FakePrinter() : previous_(platform::setPrinterLibrary(this)) {}
  ~FakePrinter() override { platform::setPrinterLibrary(previous_); }

  // Successive writes of the command get these results, the last one
  // repeating; a command without a script gets 0.
  void answer(const std::string& command, std::vector<int32_t> results) { answers_[command] = results; }
  // The reads from now on get these replies (bytes from position 0) and
  // results, the last one repeating; without a script: 0 and no bytes.
  struct Reply {
    std::string bytes;
    int32_t result = 0;
  };
  void replies(std::vector<Reply> script) { replies_ = std::move(script); }
  int32_t openResult = 0;
  // Runs on each write's text, in place, before the result is given.
  std::function<void(char* text)> editText;

  // "open 3 19200 1 7 0 1", "write 3013", "read", "close"; a call with a status (or read length)
  // not 0 on entry, or a read through a descriptor other than one of 1001 bytes or into a buffer
  // not cleared first, says so at the end of its line.
  const std::vector<std::string>& calls() const { return calls_; }
  // A write of this text, as another device on the line would leave it.
  void note(std::string text) { calls_.push_back("write " + std::move(text)); }

  int32_t open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
               int32_t& status) override {
    record("open " + std::to_string(port) + " " + std::to_string(baud) + " " + std::to_string(b1) + " " +
               std::to_string(b2) + " " + std::to_string(b3) + " " + std::to_string(b4),
           status);
    return openResult;
  }
  int32_t write(char** command, int32_t& status) override {
    const std::string text = *command;
    record("write " + text, status);
    if (editText) editText(*command);
    auto it = answers_.find(text);
    if (it == answers_.end() || it->second.empty()) return 0;
    return it->second[std::min(sent_[text]++, it->second.size() - 1)];
  }
  int32_t read(MeridByteArray** reply, int32_t& length, int32_t& status) override {
    const MeridByteArray* d = *reply;
    std::string call = "read";
    if (!d || d->cDims != 1 || d->cbElements != 1 || d->cElements != MERID_REPLY_SIZE || d->lLbound != 0 ||
        !d->pvData)
      call += " bad-descriptor";
    else if (std::any_of(static_cast<const char*>(d->pvData),
                         static_cast<const char*>(d->pvData) + MERID_REPLY_SIZE,
                         [](char c) { return c != 0; }))
      call += " not-cleared";
    if (length != 0) call += " length=" + std::to_string(length);
    record(call, status);
    length = 77;
    if (replies_.empty()) return 0;
    const Reply r = replies_.front();
    if (replies_.size() > 1) replies_.erase(replies_.begin());
    if (d && d->pvData)
      std::memcpy(d->pvData, r.bytes.data(), std::min<std::size_t>(r.bytes.size(), d->cElements));
    length = static_cast<int32_t>(r.bytes.size());
    return r.result;
  }
  int32_t close(int32_t& status) override {
    record("close", status);
    return 0;
  }

 private:
  // The status comes back dirty so that a caller reusing it without setting
  // it to 0 shows up in the next recorded call.
  void record(std::string call, int32_t& status) {
    if (status != 0) call += " status=" + std::to_string(status);
    calls_.push_back(std::move(call));
    status = 77;
  }
  std::map<std::string, std::vector<int32_t>> answers_;
  std::map<std::string, std::size_t> sent_;
  std::vector<Reply> replies_;
  std::vector<std::string> calls_;
  platform::PrinterLibrary* previous_;
};

}  // namespace merid::test
