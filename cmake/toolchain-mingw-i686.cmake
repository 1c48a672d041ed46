# Cross-compiling the Windows DLL with mingw-w64 (32-bit), for the 32-bit
# hosts the library is meant for. See toolchain-mingw-x86_64.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MERID_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
