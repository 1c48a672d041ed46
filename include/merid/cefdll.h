/* The printer library interface: what the core calls and what any substitute
 * (the virtual printer, test fakes, a third party's) implements.
 *
 * Entry points have C linkage and, on 32-bit Windows, the __stdcall convention.
 * Every entry point takes a status integer by reference as its last argument;
 * callers set it to 0 and never read it back. Text is NUL-terminated ANSI
 * (Windows-1252). */
#ifndef MERID_CEFDLL_H
#define MERID_CEFDLL_H

#include <stdint.h>
#if defined(_WIN32)
#include <oaidl.h>
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define MERID_CEFCALL __stdcall
#else
#define MERID_CEFCALL
#endif

#if defined(_WIN32)
#define MERID_CEFEXPORT __declspec(dllexport)
#else
#define MERID_CEFEXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The reply buffer descriptor, laid out as a one-dimensional SAFEARRAY of bytes
 * (on Windows it is one): cDims 1, cbElements 1, cElements 1001, lLbound 0, and
 * pvData pointing at the 1001 reply bytes. */
#if defined(_WIN32)
typedef SAFEARRAY MeridByteArray;
#else
typedef struct MeridByteArray {
  uint16_t cDims;
  uint16_t fFeatures;
  uint32_t cbElements;
  uint32_t cLocks;
  void* pvData;
  uint32_t cElements;
  int32_t lLbound;
} MeridByteArray;
#endif

enum { MERID_REPLY_SIZE = 1001 };

/* The element count of a reply descriptor, whichever its layout. */
static inline uint32_t MeridByteArrayElements(const MeridByteArray* a) {
#if defined(_WIN32)
  return a->rgsabound[0].cElements;
#else
  return a->cElements;
#endif
}

typedef int32_t(MERID_CEFCALL* VbCEFOpen_t)(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3,
                                            uint8_t b4, int32_t* status);
typedef int32_t(MERID_CEFCALL* VbCEFWrite_t)(char** command, int32_t* status);
typedef int32_t(MERID_CEFCALL* VbCEFRead_t)(MeridByteArray** reply, int32_t* length, int32_t* status);
typedef int32_t(MERID_CEFCALL* VbCEFClose_t)(int32_t* status);
typedef int32_t(MERID_CEFCALL* VbCEFGetVersion_t)(char** version, int32_t* status);

/* Declarations for implementers; the core binds these by name at run time. */
#ifdef MERID_CEFDLL_IMPLEMENTATION
MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFOpen(int32_t port, int32_t baud, uint8_t b1, uint8_t b2,
                                                uint8_t b3, uint8_t b4, int32_t* status);
/* The command is NUL-terminated ANSI text; the library may change it in place.
 * Answers 0 when the printer executed it; a positive number when the printer
 * refused it (the MeridCodeErrors numbering, nothing executed); -1 when the
 * link is not connected (nothing went out); any other negative number when the
 * write failed part-way, so the printer may or may not have executed it. */
MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFWrite(char** command, int32_t* status);
MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status);
MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFClose(int32_t* status);
/* Exported by substitutes; the core never calls it. */
MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFGetVersion(char** version, int32_t* status);
#endif

#ifdef __cplusplus
}
#endif

#endif
