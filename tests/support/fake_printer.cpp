#include "support/fake_printer.h"

#include <algorithm>
#include <cstring>

namespace merid::test {

FakePrinter::FakePrinter() : previous_(platform::setPrinterLibrary(this)) {}
FakePrinter::~FakePrinter() {
  platform::setPrinterLibrary(previous_);
}


std::vector<std::string> FakePrinter::writes() const {
  std::vector<std::string> out;
  for (const auto& c : calls_)
    if (c.rfind("write ", 0) == 0) out.push_back(c.substr(6));
  return out;
}

// The status comes back dirty so that a caller reusing it without setting it
// to 0 shows up in the next recorded call.
void FakePrinter::record(std::string call, int32_t& status) {
  if (status != 0) call += " status=" + std::to_string(status);
  calls_.push_back(std::move(call));
  status = 77;
}

int32_t FakePrinter::open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                          int32_t& status) {
  record("open " + std::to_string(port) + " " + std::to_string(baud) + " " + std::to_string(b1) + " " +
             std::to_string(b2) + " " + std::to_string(b3) + " " + std::to_string(b4),
         status);
  return openResult;
}

int32_t FakePrinter::write(char** command, int32_t& status) {
  const std::string text = *command;
  record("write " + text, status);
  if (editText) editText(*command);
  auto it = answers_.find(text);
  if (it == answers_.end() || it->second.empty()) return 0;
  const std::size_t n = sent_[text]++;
  return it->second[std::min(n, it->second.size() - 1)];
}

int32_t FakePrinter::read(MeridByteArray** reply, int32_t& length, int32_t& status) {
  const MeridByteArray* d = *reply;
  std::string call = "read";
  if (!d || d->cDims != 1 || d->cbElements != 1 || d->cElements != MERID_REPLY_SIZE || d->lLbound != 0 ||
      !d->pvData)
    call += " bad-descriptor";
  else if (std::any_of(static_cast<const char*>(d->pvData),
                       static_cast<const char*>(d->pvData) + MERID_REPLY_SIZE, [](char c) { return c != 0; }))
    call += " not-cleared";
  if (length != 0) call += " length=" + std::to_string(length);
  record(call, status);
  length = 77;
  if (replies_.empty()) return 0;
  const Reply& r = replies_[std::min(reads_++, replies_.size() - 1)];
  if (d && d->pvData)
    std::memcpy(d->pvData, r.bytes.data(), std::min<std::size_t>(r.bytes.size(), d->cElements));
  length = static_cast<int32_t>(r.bytes.size());
  return r.result;
}

int32_t FakePrinter::close(int32_t& status) {
  record("close", status);
  return closeResult;
}

}  // namespace merid::test
