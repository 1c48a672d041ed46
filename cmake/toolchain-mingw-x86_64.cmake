# Cross-compiling the Windows DLL with mingw-w64 (64-bit). The "-posix"
# compilers carry std::thread and std::mutex, which the core uses; the C and
# C++ runtimes (winpthreads included) are linked statically so the DLL needs
# nothing beside it but system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MERID_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
