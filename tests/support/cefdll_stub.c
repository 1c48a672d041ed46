/* A well-behaved printer library for the loader tests: a port that is closed
 * until opened, a status reply that reports paper end, and a journal of every
 * call that the tests read through MeridStubJournal.
 *
 * Plain C on purpose: a C++ library can pick up symbols that keep it loaded
 * after dlclose, and the tests rely on unloading it. */

#define MERID_CEFDLL_IMPLEMENTATION
#include <stdio.h>
#include <string.h>

#include "merid/cefdll.h"

enum { kPortClosed = 5 };

static int gOpen = 0;
static char gJournal[4096];

static void note(const char* text) {
  size_t used = strlen(gJournal);
  snprintf(gJournal + used, sizeof gJournal - used, "%s;", text);
}

MERID_CEFEXPORT const char* MeridStubJournal(void) {
  return gJournal;
}

int32_t VbCEFOpen(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                  int32_t* status) {
  char line[96];
  snprintf(line, sizeof line, "open %d %d %u %u %u %u", (int)port, (int)baud, b1, b2, b3, b4);
  note(line);
  *status = 0;
  if (port == 99) return 1; /* no such port */
  gOpen = 1;
  return 0;
}

int32_t VbCEFWrite(char** command, int32_t* status) {
  char line[96];
  snprintf(line, sizeof line, "write %s", *command);
  note(line);
  *status = 0;
  return gOpen ? 0 : kPortClosed;
}

int32_t VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status) {
  static const char kPaperEnd[] = "001000";
  note("read");
  *status = 0;
  if (!gOpen) return kPortClosed;
  memcpy((*reply)->pvData, kPaperEnd, sizeof kPaperEnd - 1);
  *length = (int32_t)(sizeof kPaperEnd - 1);
  return 0;
}

int32_t VbCEFClose(int32_t* status) {
  note("close");
  *status = 0;
  if (!gOpen) return kPortClosed;
  gOpen = 0;
  return 0;
}

int32_t VbCEFGetVersion(char** version, int32_t* status) {
  static char text[] = "stub 1.0";
  *version = text;
  *status = 0;
  return 0;
}
