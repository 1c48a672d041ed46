#pragma once
// Opening and closing the printer link. The link itself lives in the printer
// library, one per process; the system keeps no open flag and learns the
// link's state from a status check.

#include <cstdint>

namespace merid {

// Makes the link usable: checks the status, opens the port only when the
// printer does not answer, then for mode 1 or 2 writes the buffer-mode
// command ("30161" or "30160"; its result is ignored). False only when the
// port had to be opened and could not be.
bool AperturaComunicazione(int16_t& port, int32_t& mode);
// True when the library reports the port closed, or cannot be called at all.
bool ChiusuraComunicazione();
// True unless "CloseConnEachDoc" of section "Fiscal" is exactly "0"; read
// once per thread, written back as "0" when missing.
bool getCloseConnEachDoc();

// Closes the link when "CloseConnEachDoc" says each document closes it.
void closeLinkAfterDocument();

// The frame of a routine that is a whole document: opens the link in mode,
// runs body, then closes the link when so configured. False, without running
// body, when the link cannot be opened.
template <class Body>
bool withLink(int16_t& port, int32_t mode, Body&& body) {
  if (!AperturaComunicazione(port, mode)) return false;
  const bool result = body();
  closeLinkAfterDocument();
  return result;
}

}  // namespace merid
