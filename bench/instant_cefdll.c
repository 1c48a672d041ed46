/* A printer library that answers at once: every command accepted, every
 * status request answered "idle, no fault". For measuring what the host side
 * costs without a printer's own time. */

#define MERID_CEFDLL_IMPLEMENTATION
#include <string.h>

#include "merid/cefdll.h"

int32_t VbCEFOpen(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                  int32_t* status) {
  (void)port, (void)baud, (void)b1, (void)b2, (void)b3, (void)b4;
  *status = 0;
  return 0;
}

int32_t VbCEFWrite(char** command, int32_t* status) {
  (void)command;
  *status = 0;
  return 0;
}

int32_t VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status) {
  *status = 0;
  if (!reply || !*reply || !(*reply)->pvData || MeridByteArrayElements(*reply) < 6) return 3;
  memcpy((*reply)->pvData, "000000", 6);
  *length = 6;
  return 0;
}

int32_t VbCEFClose(int32_t* status) {
  *status = 0;
  return 0;
}

int32_t VbCEFGetVersion(char** version, int32_t* status) {
  *status = 0;
  if (version) *version = (char*)"INSTANT";
  return 0;
}
