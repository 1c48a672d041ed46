// The destructors of thread_local objects (the core's module data), run when
// their thread ends, while the objects' storage is still there.
//
// With mingw-w64's GCC a thread_local object lives in emutls storage, which
// a winpthreads key destructor frees when the thread ends; libstdc++ runs
// the objects' destructors from another key's destructor, created after the
// first and so run after it: on freed memory. On 32-bit hosts that memory is
// reused by then, a destructor calls through a broken pointer, and the
// thread's remaining cleanup is skipped (the debug log stayed open, so the
// next host thread could not start a fresh one). The core therefore keeps the
// list itself, for the DLL and for any program built with it, and runs it
// from a TLS callback placed before winpthreads'.

#if defined(__MINGW32__)

#include <windows.h>

#include <cstdlib>

namespace {

// Member functions are __thiscall on 32-bit: the object comes in ECX.
#if defined(__i386__)
typedef void(__attribute__((thiscall)) * Destructor)(void*);
#else
typedef void (*Destructor)(void*);
#endif

struct Entry {
  Destructor destroy;
  void* object;
  Entry* next;
};

DWORD listSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

// Last constructed, first destroyed; a destructor may construct more.
void runDestructors() {
  const DWORD slot = listSlot();
  if (slot == TLS_OUT_OF_INDEXES) return;
  while (auto* e = static_cast<Entry*>(TlsGetValue(slot))) {
    TlsSetValue(slot, e->next);
    e->destroy(e->object);
    std::free(e);
  }
}

// At process end (reserved set) the other threads are gone and nothing is
// cleaned up, as in entry.cpp.
void NTAPI onThreadEnd(PVOID, DWORD reason, PVOID reserved) {
  if (reason == DLL_THREAD_DETACH || (reason == DLL_PROCESS_DETACH && reserved == nullptr)) runDestructors();
}

}  // namespace

// What GCC calls for each thread_local object it constructs; this definition
// is taken instead of libstdc++'s.
extern "C" int __cxa_thread_atexit(Destructor destroy, void* object, void*) {
  const DWORD slot = listSlot();
  auto* e = static_cast<Entry*>(std::malloc(sizeof(Entry)));
  if (slot == TLS_OUT_OF_INDEXES || !e) return std::free(e), -1;
  *e = Entry{destroy, object, static_cast<Entry*>(TlsGetValue(slot))};
  TlsSetValue(slot, e);
  return 0;
}

// TLS callbacks run in the order of their section names; winpthreads' own,
// which frees the emutls storage, is in .CRT$XLF.
extern "C" __attribute__((section(".CRT$XLE"), used)) const PIMAGE_TLS_CALLBACK meridThreadEndCallback =
    onThreadEnd;

#endif
