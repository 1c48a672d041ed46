// The DLL's entry point: the C runtime's own, except when the process ends.
//
// By then the system has already stopped every other thread of the host,
// wherever it was, perhaps holding the heap lock or a lock of the runtime.
// Running our static destructors at that point can wait forever on such a
// lock (Wine does; it is what the DLL_PROCESS_DETACH rules warn about), and
// freeing memory of a process that is going away serves nothing. A DLL
// unloaded by FreeLibrary (reserved == nullptr) cleans up as usual.

#include <windows.h>

#if defined(_MSC_VER)
extern "C" BOOL WINAPI _DllMainCRTStartup(HANDLE instance, DWORD reason, LPVOID reserved);
#define MERID_RUNTIME_ENTRY _DllMainCRTStartup
#else
extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE instance, DWORD reason, LPVOID reserved);
#define MERID_RUNTIME_ENTRY DllMainCRTStartup
#endif

extern "C" BOOL WINAPI MeridDllEntry(HANDLE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved != nullptr) return TRUE;
  return MERID_RUNTIME_ENTRY(instance, reason, reserved);
}
