/* Printer libraries for the loader tests, in plain C so dlclose unloads them.
 * Well behaved: opens only port 3 with the fixed settings; replies paper end.
 * With MERID_MISBEHAVING: no VbCEFOpen; commands but "1109" become 'X's, the
 * pointer nulled. $MERID_MISBEHAVE makes either lie about a reply: "null" nulls
 * the data pointer and claims 2^30 bytes, "shrink"/"long" 1/5000 elements. */

#define MERID_CEFDLL_IMPLEMENTATION
#include <stdlib.h>
#include <string.h>

#include "merid/cefdll.h"

enum { kPortClosed = 5 };
static int gOpen = 0;

#ifndef MERID_MISBEHAVING
int32_t VbCEFOpen(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                  int32_t* status) {
  *status = 0;
  gOpen = port == 3 && baud == 19200 && b1 == 1 && b2 == 7 && b3 == 0 && b4 == 1;
  return gOpen ? 0 : 1;
}
#endif

int32_t VbCEFWrite(char** command, int32_t* status) {
  *status = 0;
  (void)command;
#ifdef MERID_MISBEHAVING
  if (strcmp(*command, "1109") == 0) return 0;
  memset(*command, 'X', strlen(*command) + 1);
  *command = NULL;
  return 0;
#endif
  return gOpen ? 0 : kPortClosed;
}

int32_t VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status) {
  MeridByteArray* d = *reply;
  const char* mode = getenv("MERID_MISBEHAVE") ? getenv("MERID_MISBEHAVE") : "";
  *status = 0;
  if (!gOpen && !*mode) return kPortClosed;
  memcpy(d->pvData, strcmp(mode, "null") == 0 || strcmp(mode, "long") == 0 ? "011111" : "001000", 6);
  *length = 6;
  if (strcmp(mode, "null") == 0) d->pvData = NULL, *length = 1 << 30;
  if (strcmp(mode, "shrink") == 0) d->cElements = 1, *length = 1;
  if (strcmp(mode, "long") == 0) d->cElements = 5000, *length = 5000;
  return 0;
}

int32_t VbCEFClose(int32_t* status) {
  *status = 0;
  if (!gOpen) return kPortClosed;
  gOpen = 0;
  return 0;
}

/* With $MERID_STUB_MARK, loading the library leaves that file behind, so a
 * test sees whether it was loaded at all. */
#include <stdio.h>
__attribute__((constructor)) static void markLoaded(void) {
  const char* mark = getenv("MERID_STUB_MARK");
  if (mark && *mark) {
    FILE* f = fopen(mark, "w");
    if (f) fclose(f);
  }
}
