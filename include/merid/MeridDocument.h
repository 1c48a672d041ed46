#pragma once
// What an invoice and a credit note both keep between calls: the port given
// at the opening, whether the document is open, and the outcome of the last
// call.

#include <cstdint>

#include "merid/outcome.h"

namespace merid {

class MeridDocument {
 public:
  int16_t port() const { return port_; }
  bool isOpen() const { return open_; }

  // What the last call did, beside the answer it gave (merid/outcome.h).
  const Outcome& UltimoEsito() const { return esito_; }

 protected:
  MeridDocument() = default;
  ~MeridDocument() = default;

  Outcome esito_;
  int16_t port_ = 0;
  bool open_ = false;
};

}  // namespace merid
