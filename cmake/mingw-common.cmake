set(CMAKE_C_COMPILER ${MERID_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MERID_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MERID_MINGW_TRIPLET}-windres)
set(MERID_WIDL ${MERID_MINGW_TRIPLET}-widl CACHE STRING "IDL compiler for the type library")
set(MERID_OBJDUMP ${MERID_MINGW_TRIPLET}-objdump CACHE STRING "objdump for the static checks")

set(CMAKE_FIND_ROOT_PATH /usr/${MERID_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtimes: libgcc, libstdc++ and winpthreads go inside each module.
set(CMAKE_C_STANDARD_LIBRARIES_INIT "")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
