/* A printer library for the COM tests: it answers as a ready printer (5: the port is closed) and appends
 * to the file %MERID_RECORD% '|' and what each call sent: "open <port> <baud>", a command other than
 * the status request 1109, or "close". */

/* The builds with a .def file (MERID_RECORDER_DEF) name their exports there. */
#ifndef MERID_RECORDER_DEF
#define MERID_CEFDLL_IMPLEMENTATION
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "merid/cefdll.h"

static int gOpen = 0;

static int32_t record(const char* text, int32_t* status) {
  const char* path = getenv("MERID_RECORD");
  FILE* f = path && text && strcmp(text, "1109") != 0 ? fopen(path, "ab") : NULL;
  if (f) fprintf(f, "|%s", text), fclose(f);
  return *status = 0, gOpen ? 0 : 5;
}

int32_t MERID_CEFCALL VbCEFOpen(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                                int32_t* status) {
  char line[32];
  (void)b1, (void)b2, (void)b3, (void)b4;
  snprintf(line, sizeof line, "open %d %d", (int)port, (int)baud);
  gOpen = 1;
  return record(line, status);
}

int32_t MERID_CEFCALL VbCEFWrite(char** command, int32_t* status) {
  return record(*command, status);
}

int32_t MERID_CEFCALL VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status) {
  if (gOpen) memcpy((*reply)->pvData, "0000000000", 10), *length = 10;
  return record(NULL, status);
}

int32_t MERID_CEFCALL VbCEFClose(int32_t* status) {
  record("close", status);
  return gOpen = 0;
}
