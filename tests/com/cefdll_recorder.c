/* A printer library for the COM tests: it answers every call as a ready
 * printer would and appends one line per call to "cefdll-record.txt" beside
 * itself, so a test reads back the exact commands a method sent.
 *
 *   open <port> <baud>   write <command>   read   close
 *
 * The status reply is "0000000000" (ready) unless the environment variable
 * MERID_RECORDER_STATUS gives another one. Built a second time as a decoy
 * that records to a file of another name. */

#define MERID_CEFDLL_IMPLEMENTATION
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "merid/cefdll.h"

#ifndef MERID_RECORD_NAME
#define MERID_RECORD_NAME L"cefdll-record.txt"
#endif

enum { kPortClosed = 5 };

static int gOpen = 0;

static void recordLine(const char* text) {
  wchar_t path[MAX_PATH + 32];
  HMODULE self = NULL;
  DWORD n;
  wchar_t* slash;
  FILE* f;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          (LPCWSTR)(void*)&recordLine, &self))
    return;
  n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  slash = wcsrchr(path, L'\\');
  if (!slash) return;
  wcscpy(slash + 1, MERID_RECORD_NAME);
  f = _wfopen(path, L"ab");
  if (!f) return;
  fputs(text, f);
  fputs("\r\n", f);
  fclose(f);
}

int32_t MERID_CEFCALL VbCEFOpen(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                                int32_t* status) {
  char line[64];
  (void)b1, (void)b2, (void)b3, (void)b4;
  snprintf(line, sizeof line, "open %d %d", (int)port, (int)baud);
  recordLine(line);
  *status = 0;
  gOpen = 1;
  return 0;
}

int32_t MERID_CEFCALL VbCEFWrite(char** command, int32_t* status) {
  size_t size = strlen(*command) + 8;
  char* line = (char*)malloc(size);
  *status = 0;
  if (line) {
    snprintf(line, size, "write %s", *command);
    recordLine(line);
    free(line);
  }
  return gOpen ? 0 : kPortClosed;
}

int32_t MERID_CEFCALL VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status) {
  char wanted[64] = "0000000000";
  DWORD n = GetEnvironmentVariableA("MERID_RECORDER_STATUS", wanted, sizeof wanted);
  if (n == 0 || n >= sizeof wanted) strcpy(wanted, "0000000000");
  recordLine("read");
  *status = 0;
  if (!gOpen) return kPortClosed;
  memcpy((*reply)->pvData, wanted, strlen(wanted));
  *length = (int32_t)strlen(wanted);
  return 0;
}

int32_t MERID_CEFCALL VbCEFClose(int32_t* status) {
  recordLine("close");
  *status = 0;
  gOpen = 0;
  return 0;
}

int32_t MERID_CEFCALL VbCEFGetVersion(char** version, int32_t* status) {
  static char text[] = "recorder 1.0";
  *version = text;
  *status = 0;
  return 0;
}
