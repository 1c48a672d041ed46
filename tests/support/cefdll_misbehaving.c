/* A printer library that breaks the rules, to show the core stays inside its
 * own memory: it does not export VbCEFOpen, and its read (chosen by the
 * environment variable MERID_MISBEHAVE) lies about the reply.
 *   null     fills "01" then nulls the data pointer and claims a huge length
 *   shrink   fills "001" then claims one element and a length of 1
 *   long     fills "011111" then claims 5000 elements and a length of 5000
 *   replace  swaps in its own descriptor over two bytes "01", claiming 1001
 *   closed   refuses "1109"
 * Every other command is overwritten in place with 'X', terminator included,
 * and the pointer handed back is null. */

#define MERID_CEFDLL_IMPLEMENTATION
#include <stdlib.h>
#include <string.h>

#include "merid/cefdll.h"

static uint8_t gTwoBytes[2] = {'0', '1'};
static MeridByteArray gSmall = {1, 0, 1, 0, gTwoBytes, MERID_REPLY_SIZE, 0};

static int isMode(const char* name) {
  const char* m = getenv("MERID_MISBEHAVE");
  return m && strcmp(m, name) == 0;
}

int32_t VbCEFWrite(char** command, int32_t* status) {
  *status = 0;
  if (strcmp(*command, "1109") == 0) return isMode("closed") ? 5 : 0;
  memset(*command, 'X', strlen(*command) + 1);
  *command = NULL;
  return 0;
}

int32_t VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status) {
  MeridByteArray* d = *reply;
  char* data = (char*)d->pvData;
  *status = 0;
  if (isMode("null")) {
    memcpy(data, "01", 2);
    d->pvData = NULL;
    *length = 1 << 30;
  } else if (isMode("shrink")) {
    memcpy(data, "001", 3);
    d->cElements = 1;
    *length = 1;
  } else if (isMode("long")) {
    memcpy(data, "011111", 6);
    d->cElements = 5000;
    *length = 5000;
  } else if (isMode("replace")) {
    *reply = &gSmall;
    *length = MERID_REPLY_SIZE;
  }
  return 0;
}

int32_t VbCEFClose(int32_t* status) {
  *status = 0;
  return 0;
}

int32_t VbCEFGetVersion(char** version, int32_t* status) {
  static char text[] = "misbehaving";
  *version = text;
  *status = 0;
  return 0;
}
